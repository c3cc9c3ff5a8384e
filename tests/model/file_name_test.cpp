// The rules that keep a file name made from host texts one plain file of
// the host's folder.
#include <gtest/gtest.h>

#include <string>

#include "model/file_name.h"

namespace stats {
namespace {

using file_names::Problem;

TEST(FileNames, PlainNamesOfTheFilesThePlugInWrites) {
  EXPECT_EQ(Problem("BadQSO_RazadUREVARERE63_07_01_2017.txt"), "");
  EXPECT_EQ(Problem("BadQSO_RazadUREVARERE63_.txt"), "");  // a null end date
  EXPECT_EQ(Problem("OT_ON4XX.cbr"), "");
  EXPECT_EQ(Problem("ON4 XX_P.cbr"), "");
  EXPECT_EQ(Problem(".._.._ON4XX.cbr"), "");
  EXPECT_EQ(Problem("R\xc4\xd6.cbr"), "");
  EXPECT_EQ(Problem("CONTEST.cbr"), "");
}

TEST(FileNames, NamesThatWouldLeaveTheFolderOrNameAnotherFile) {
  for (const std::string name :
       {"", ".", "..", "../x.cbr", "..\\x.cbr", "C:x.cbr", "C:\\x.cbr", "/etc/x.cbr",
        "\\\\server\\x.cbr", "a*.cbr", "a?.cbr", "a\".cbr", "a<b>.cbr", "a|b.cbr", "a\tb.cbr",
        "a\r\n.cbr", "a\x7f.cbr", "CON", "con.cbr", "NUL.txt", "COM1.cbr", "lpt9", "x.cbr ",
        "x.cbr."}) {
    EXPECT_NE(Problem(name), "") << name;
  }
  EXPECT_NE(Problem(std::string("a\0b.cbr", 7)), "");
}

TEST(FileNames, MapUnsafeChangesOnlyWhatANameCannotHold) {
  EXPECT_EQ(file_names::MapUnsafe("ON4XX"), "ON4XX");
  EXPECT_EQ(file_names::MapUnsafe("a/b\\c:d*e?f\"g<h>i|j\x01k"), "a_b_c_d_e_f_g_h_i_j_k");
  EXPECT_EQ(file_names::MapUnsafe("a.b-c_d e"), "a.b-c_d e");
}

}  // namespace
}  // namespace stats
