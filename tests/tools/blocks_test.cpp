// A log read on a second thread in blocks must give exactly what the reader
// gives on its own, in the same order; a failure on either side must end
// both, and reach the caller.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "blocks.h"
#include "log.h"

namespace replay {
namespace {

// Every entry a reader hands on, as one line each, in the order given.
class Journal final : public LogReceiver {
 public:
  void OnQso(const LogQso& q) override {
    lines.push_back("Q " + std::to_string(q.number) + " " + std::to_string(q.line) + " " +
                    q.call + "|" + q.own_call + "|" + std::to_string(q.time.OleDays()) + "|" +
                    std::to_string(q.frequency_hz) + "|" + q.band + "|" + q.mode + "|" +
                    q.rst_sent + "|" + q.rst_received + "|" + q.exchange_sent + "|" +
                    q.exchange_received + "|" + q.prefix);
  }
  void OnProblem(const ReadProblem& p) override {
    lines.push_back("P " + std::to_string(p.line) + " " + p.reason);
  }
  void OnHeader(const HeaderLine& h) override {
    lines.push_back("H " + std::to_string(h.line) + " " + h.tag + "=" + h.value);
  }
  std::vector<std::string> lines;
};

// An ADIF log of `records` records, several blocks long: some records bad,
// some with a field of a few kilobytes, a marker and a second header on
// the way.
std::string BigAdif(int records) {
  std::string text = "made for the test <ADIF_VER:5>3.1.4 <EOH>\n";
  for (int i = 0; i < records; ++i) {
    const std::string call = "DL" + std::to_string(i % 10) + "AB" + std::string(1, 'A' + i % 26);
    text += "<CALL:" + std::to_string(call.size()) + ">" + call;
    if (i % 97 != 5) text += " <QSO_DATE:8>20260103";
    text += " <TIME_ON:6>12" + std::string(i % 3 == 0 ? "0000" : "3015");
    text += " <BAND:3>40M <MODE:4>PSK6 <SRX_STRING:4>" + std::to_string(1000 + i % 9000);
    if (i % 1000 == 9) text += " <STX_STRING:400>" + std::string(400, 'E');  // a long text
    if (i % 501 == 7) text += " <COMMENT:3000>" + std::string(3000, 'x');
    if (i % 777 == 3) text += " <APP_X_MARK>";
    if (i == records / 2) text += " <EOR>\n<EOH>\r\n";
    text += " <STATION_CALLSIGN:5>ON4XX <EOR>\r\n";
  }
  return text + "<CALL:4>ON4A <QSO_DATE:8>20260103";  // not ended
}

std::vector<std::string> Directly(LogReader read, const std::string& text, std::string* own) {
  TextSource source(text);
  Journal journal;
  *own = read(source, journal);
  return journal.lines;
}

std::vector<std::string> InBlocks(LogReader read, const std::string& text, std::string* own,
                                  int* blocks = nullptr) {
  TextSource source(text);
  Journal journal;
  UnpackingVisitor unpack(journal);
  int taken = 0;
  *own = ReadInBlocks(read, source, true, [&](QsoBlock&& block) {
    ++taken;
    block.Visit(unpack);
  });
  if (blocks != nullptr) *blocks = taken;
  return journal.lines;
}

TEST(ReadInBlocksTest, GivesWhatTheReaderGivesInTheSameOrder) {
  const std::string adif = BigAdif(60000);
  std::string own_direct, own_blocks;
  int blocks = 0;
  const std::vector<std::string> direct = Directly(StreamAdif, adif, &own_direct);
  EXPECT_EQ(InBlocks(StreamAdif, adif, &own_blocks, &blocks), direct);
  EXPECT_EQ(own_blocks, own_direct);
  EXPECT_EQ(own_blocks, "ON4XX");
  EXPECT_GT(blocks, 2);
  EXPECT_GT(direct.size(), 60000u);

  std::string cabrillo = "START-OF-LOG: 3.0\nCALLSIGN: ON4XX\nCATEGORY-OPERATOR: SINGLE-OP\n";
  for (int i = 0; i < 80000; ++i) {
    cabrillo += "QSO:  7040 PS 2026-01-03 12" + std::to_string(10 + i % 50) +
                " ON4XX  599 001  DL" + std::to_string(i % 10) + "ABC 599 " +
                std::to_string(i) + "\n";
    if (i % 5000 == 17) cabrillo += "QSO: garbage\nSOAPBOX: " + std::string(i % 300, 'y') + "\n";
  }
  cabrillo += "END-OF-LOG:\n";
  EXPECT_EQ(InBlocks(StreamCabrillo, cabrillo, &own_blocks, &blocks),
            Directly(StreamCabrillo, cabrillo, &own_direct));
  EXPECT_EQ(own_blocks, own_direct);
  EXPECT_GT(blocks, 2);

  // Nothing at all, and a log of one QSO.
  EXPECT_TRUE(InBlocks(StreamAdif, "", &own_blocks, &blocks).empty());
  EXPECT_EQ(blocks, 0);
  const std::string one = "<CALL:4>ON4A <QSO_DATE:8>20260103 <TIME_ON:4>1200 <EOR>";
  EXPECT_EQ(InBlocks(StreamAdif, one, &own_blocks), Directly(StreamAdif, one, &own_direct));
}

// The texts go to the plug-in as C strings straight from the block.
TEST(ReadInBlocksTest, EveryTextOfAPackedQsoIsFollowedByANul) {
  class Check final : public BlockVisitor {
   public:
    void OnQso(const PackedQso& q) override {
      for (const std::string_view text : {q.call, q.own_call, q.band, q.mode, q.rst_sent,
                                          q.rst_received, q.exchange_sent, q.exchange_received,
                                          q.prefix}) {
        EXPECT_EQ(text.data()[text.size()], '\0');
        EXPECT_EQ(std::string(text.data()), std::string(text));
      }
      ++qsos;
    }
    int qsos = 0;
  } check;
  const std::string adif = BigAdif(3000);
  TextSource source(adif);
  ReadInBlocks(StreamAdif, source, true, [&](QsoBlock&& block) { block.Visit(check); });
  EXPECT_GT(check.qsos, 2900);

  PackedTexts texts;
  for (const std::string_view t :
       {std::string_view(), std::string_view("ON4"), std::string_view("a\0b", 3)}) {
    texts.Add(t);
  }
  texts.Add(std::string(300, 'z'));  // a length of two bytes
  PackedTexts::Reader reader(texts);
  EXPECT_EQ(reader.Next(), "");
  EXPECT_EQ(reader.Next(), "ON4");
  EXPECT_EQ(reader.Next(), std::string_view("a\0b", 3));
  EXPECT_EQ(reader.Next(), std::string(300, 'z'));
}

std::vector<std::string> InTwo(const std::string& text, size_t split, std::string* own) {
  TextSource head(text);
  TextSource tail(std::string_view(text).substr(split));
  Journal journal;
  UnpackingVisitor unpack(journal);
  std::string tail_error;
  *own = ReadAdifInTwo(head, tail, split, true,
                       [&](QsoBlock&& block) { block.Visit(unpack); }, &tail_error);
  EXPECT_EQ(tail_error, "");
  return journal.lines;
}

// Wherever the log is cut, the two halves read at once give what one
// reading gives: the tail's records, lines and problems numbered as in the
// whole log, and a cut whose <EOR> is a field's data (or lies past the end
// of the data) read as one.
TEST(ReadInBlocksTest, AnAdifLogReadInTwoHalvesGivesWhatOneReadingGives) {
  std::string small = "<ADIF_VER:5>3.1.4 <eoh>\r\n";
  for (int i = 0; i < 16; ++i) {  // each kind of record twice
    const std::string n = std::to_string(i);
    switch (i % 8) {
      case 0: small += "<CALL:4>ON4A <QSO_DATE:8>20260103 <TIME_ON:4>12" + n.substr(0, 1) + "0 <eor>\n"; break;
      case 1: small += "<CALL:5>DL1AB <QSO_DATE:8>2026013X <TIME_ON:4>1200 <EOR>\r\n"; break;  // bad date
      case 2: small += "<COMMENT:11>has <EOR>in <CALL:4>G4AB <QSO_DATE:8>20260103\n<TIME_ON:4>1201 <EOR>\r"; break;
      case 3: small += "<APP_X_MARK> <CALL:4>F5AB <STATION_CALLSIGN:5>ON4XX <QSO_DATE:8>20260103 <TIME_ON:4>1202 <EOR>\n"; break;
      case 4: small += "<CALL:4>I2AB <QSO_DATE:x>20260103 <TIME_ON:4>1203 <EOR>\n"; break;  // no valid length
      case 5: small += "text <between> tags <CALL:4>K1AB <QSO_DATE:8>20260103 <TIME_ON:4>1204 <EOR>\n<EOH>\n"; break;
      case 6: small += "<CALL:5>JA1AB <QSO_DATE:8>20260103 <TIME_ON:6>120530 <FREQ:5>7.040 <EOR>"; break;
      default: small += "<CALL:4>VK2A <QSO_DATE:8>20260103 <TIME_ON:4>1206 <BAND:3>20m <EOR>\n\n"; break;
    }
  }
  std::string own_direct, own_two;
  for (const std::string& text : {small, small + "<CALL:4>ON4Z <QSO_DATE:8>20260103",
                                  small.substr(0, small.size() / 2) + "<EOF>" +
                                      small.substr(small.size() / 2)}) {
    const std::vector<std::string> direct = Directly(StreamAdif, text, &own_direct);
    for (size_t split = 0; split <= text.size(); ++split) {
      ASSERT_EQ(InTwo(text, split, &own_two), direct) << "cut at " << split;
      ASSERT_EQ(own_two, own_direct) << "cut at " << split;
    }
  }

  // A log of many blocks, cut in the middle and elsewhere.
  const std::string big = BigAdif(60000);
  const std::vector<std::string> direct = Directly(StreamAdif, big, &own_direct);
  for (const size_t split : {big.size() / 2, big.size() / 3, size_t{100}, big.size() - 10}) {
    EXPECT_EQ(InTwo(big, split, &own_two), direct) << "cut at " << split;
    EXPECT_EQ(own_two, own_direct);
  }
}

// The calls of a block's QSOs.
class Calls final : public BlockVisitor {
 public:
  void OnQso(const PackedQso& qso) override { calls.Add(qso.call); }
  PackedTexts calls;
};

TEST(ReadInBlocksTest, BlocksArePreparedAheadOfUseInOrder) {
  std::vector<QsoBlock> blocks;
  const std::string adif = BigAdif(60000);
  TextSource source(adif);
  ReadInBlocks(StreamAdif, source, true,
               [&](QsoBlock&& block) { blocks.push_back(std::move(block)); });
  ASSERT_GT(blocks.size(), 2u);
  const auto prepare = [](QsoBlock& block) {
    Calls calls;
    block.Visit(calls);
    block.notes = std::move(calls.calls);
  };
  // Each block is used after its preparation, in order.
  size_t used = 0;
  PrepareAhead(blocks, prepare, [&](QsoBlock& block) {
    EXPECT_EQ(&block, &blocks[used]);
    ++used;
    Calls calls;
    block.Visit(calls);
    ASSERT_GT(calls.calls.Bytes(), 0u);
    ASSERT_EQ(block.notes.Bytes(), calls.calls.Bytes());
    PackedTexts::Reader noted(block.notes), expected(calls.calls);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(noted.Next(), expected.Next());
  });
  EXPECT_EQ(used, blocks.size());

  // A failure on either side ends both, and comes out here.
  EXPECT_THROW(PrepareAhead(
                   blocks, [](QsoBlock&) {},
                   [&](QsoBlock& block) {
                     if (&block == &blocks[1]) throw std::logic_error("user gave up");
                   }),
               std::logic_error);
  used = 0;
  EXPECT_THROW(PrepareAhead(
                   blocks,
                   [&](QsoBlock& block) {
                     if (&block == &blocks[2]) throw std::runtime_error("out of memory");
                   },
                   [&](QsoBlock&) { ++used; }),
               std::runtime_error);
  EXPECT_EQ(used, 2u);
  std::vector<QsoBlock> none;
  PrepareAhead(none, prepare, [](QsoBlock&) { ADD_FAILURE(); });
}

// Gives a text as a file would, counting what was read; it may fail with an
// error or throw after a number of bytes.
class CountingSource final : public ByteSource {
 public:
  CountingSource(const std::string& text, size_t fail_at, bool throws)
      : text_(text), fail_at_(fail_at), throws_(throws) {}
  size_t Read(char* to, size_t size) override {
    if (pos_ >= fail_at_) {
      if (throws_) throw std::runtime_error("the disk went away");
      error_ = "Input/output error";
      return 0;
    }
    const size_t n = std::min({size, text_.size() - pos_, fail_at_ - pos_});
    std::copy_n(text_.data() + pos_, n, to);
    pos_ += n;
    return n;
  }
  std::string Error() const override { return error_; }
  size_t pos_ = 0;

 private:
  const std::string& text_;
  size_t fail_at_;
  bool throws_;
  std::string error_;
};

TEST(ReadInBlocksTest, AFailureOnEitherSideEndsBothAndReachesTheCaller) {
  const std::string adif = BigAdif(200000);  // about 30 MB
  ASSERT_GT(adif.size(), 25u << 20);

  // The taker fails on the second block: the reader stops within the few
  // blocks that may wait, and the taker's exception comes out.
  {
    CountingSource source(adif, adif.size(), false);
    int taken = 0;
    EXPECT_THROW(ReadInBlocks(StreamAdif, source, true,
                              [&](QsoBlock&&) {
                                if (++taken == 2) throw std::logic_error("taker gave up");
                              }),
                 std::logic_error);
    EXPECT_EQ(taken, 2);
    EXPECT_LT(source.pos_, adif.size() / 2);
  }
  // The reader throws: what was read before comes first, then the exception.
  {
    CountingSource source(adif, 5u << 20, true);
    Journal journal;
    UnpackingVisitor unpack(journal);
    EXPECT_THROW(ReadInBlocks(StreamAdif, source, true,
                              [&](QsoBlock&& block) { block.Visit(unpack); }),
                 std::runtime_error);
    EXPECT_GT(journal.lines.size(), 10000u);
  }
  // The source fails with an error: the reading ends as it does for the
  // reader alone, and the caller finds the error on the source.
  {
    CountingSource direct_source(adif, 5u << 20, false);
    Journal direct;
    StreamAdif(direct_source, direct);
    CountingSource source(adif, 5u << 20, false);
    Journal journal;
    UnpackingVisitor unpack(journal);
    ReadInBlocks(StreamAdif, source, true, [&](QsoBlock&& block) { block.Visit(unpack); });
    EXPECT_EQ(journal.lines, direct.lines);
    EXPECT_EQ(source.Error(), "Input/output error");
  }
}

}  // namespace
}  // namespace replay
