#include <gtest/gtest.h>

#include "platform/choice_list.h"

namespace stats {
namespace {

TEST(ChoiceLists, ParsesOneLinePerBox) {
  const ChoiceLists lists =
      ParseChoiceLists("1013|SINGLE-OP|MULTI-OP\r\n// note\n1022|DX|-/-|\n1018|PSK63\n|x\n");
  ASSERT_EQ(lists.size(), 3u);
  EXPECT_EQ(lists.at(1013), (std::vector<std::string>{"SINGLE-OP", "MULTI-OP"}));
  EXPECT_EQ(lists.at(1022), (std::vector<std::string>{"DX", "-/-", ""}));
  EXPECT_EQ(lists.at(1018), (std::vector<std::string>{"PSK63"}));
}

TEST(ChoiceLists, FirstEntryThatBeginsWithTheText) {
  const std::vector<std::string> modes = {"PSK63"};
  EXPECT_EQ(FirstEntryBeginningWith(modes, "BPSK63"), -1);
  EXPECT_EQ(FirstEntryBeginningWith(modes, "psk"), 0);
  const std::vector<std::string> places = {"DX", "-/-", "NB", "NS", "NWT"};
  EXPECT_EQ(FirstEntryBeginningWith(places, "n"), 2);
  EXPECT_EQ(FirstEntryBeginningWith(places, "nw"), 4);
  EXPECT_EQ(FirstEntryBeginningWith(places, "NWTX"), -1);
  EXPECT_EQ(FirstEntryBeginningWith(places, ""), -1);
}

}  // namespace
}  // namespace stats
