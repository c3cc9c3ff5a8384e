// The readers see a log piece by piece: a tag, a field's data, a line end
// or a byte-order mark cut at any byte must read as the whole text does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "log.h"

namespace replay {
namespace {

// Hands out the text a few bytes at a time: 1, 2, 3, ... up to `longest`.
class DribbleSource final : public ByteSource {
 public:
  DribbleSource(std::string_view text, size_t longest) : text_(text), longest_(longest) {}
  size_t Read(char* to, size_t size) override {
    const size_t n = std::min({size, text_.size() - pos_, next_});
    std::copy_n(text_.data() + pos_, n, to);
    pos_ += n;
    next_ = next_ % longest_ + 1;
    return n;
  }

 private:
  std::string_view text_;
  size_t longest_;
  size_t pos_ = 0;
  size_t next_ = 1;
};

class Collect final : public LogReceiver {
 public:
  void OnQso(const LogQso& qso) override { log.qsos.push_back(qso); }
  void OnProblem(const ReadProblem& problem) override { log.problems.push_back(problem); }
  void OnHeader(const HeaderLine& header) override { log.header.push_back(header); }
  Log log;
};

// Everything a reader gives, as one text to compare.
std::string Describe(const Log& log) {
  std::string out = "own " + log.own_call + "\n";
  for (const LogQso& q : log.qsos) {
    out += std::to_string(q.number) + " " + std::to_string(q.line) + " " + q.call + " " +
           q.own_call + " " + std::to_string(q.time.OleDays()) + " " +
           std::to_string(q.frequency_hz) + " " + q.band + " " + q.mode + " " + q.rst_sent +
           " " + q.rst_received + " [" + q.exchange_sent + "] [" + q.exchange_received + "] " +
           q.prefix + "\n";
  }
  for (const ReadProblem& p : log.problems) out += std::to_string(p.line) + " " + p.reason + "\n";
  for (const HeaderLine& h : log.header) {
    out += std::to_string(h.line) + " " + h.tag + "=" + h.value + "\n";
  }
  return out;
}

const char* const kAdifTexts[] = {
    "head <by> me\r\n<ADIF_VER:5>3.1.4<EOH>\r\n"
    "<CALL:6>DL1ABC<QSO_DATE:8>20170107<TIME_ON:4>1312<BAND:3>20M<MODE:3>PSK"
    "<SUBMODE:5>PSK63<STX:1>7<SRX_STRING:3>ANT<STATION_CALLSIGN:6>ON4XYZ<EOR>\r\n"
    "<call:3>K1A<EOR>\r"
    "<CALL:5>F5ABC<QSO_DATE:8>20170107<TIME_ON:6>131259<FREQ:7>14.0705<PFX:2>F5<EOR>\n"
    "<COMMENT: 12> text <CALL:5>F5XYZ<QSO_DATE:8>20170107<TIME_ON:4>1314<EOR>\n<EOF>"
    "<CALL:5>F5ZZZ<EOR>",
    "<CALL:5>F5ABC<QSO_DATE:8>20170107<TIME_ON:4>1312<EOR>\n<CALL:40>F5",
    "<CALL:5>F5ABC<QSO_DATE:8>20170107<TIME_ON:4>1312<EOR>\n<CALL:6",
    "<CALL:x>F5ABC<EOR><CALL:5>F5ABC<QSO_DATE:8>20170107<TIME_ON:4>1312\r\n",
};

const char* const kCabrilloTexts[] = {
    "START-OF-LOG: 3.0\r\nCALLSIGN: on4xyz\r\nNAME: A B\r\n"
    "QSO: 14070 PM 2017-01-07 1312 ON4XYZ 599 001 DL1ABC 599 012\r\n"
    "X-QSO: 14070 PM 2017-01-07 1313 ON4XYZ 599 002 DL1ABD 599 013\r"
    "QSO: 14070 PM 2017-01-07 13 ON4XYZ 599 002 DL1ABD 599 013\r\r\n"
    "QSO: 7035 PM 2017-01-07 1314 ON4XYZ 599 003 ON4AB 599 ANT\n"
    "END-OF-LOG:",
    "QSO: 14070 PM 2017-01-07 1312 ON4XYZ 599 001 DL1ABC 599 012\r",
};

TEST(StreamingReaders, AnyCutOfTheBytesReadsAsTheWholeText) {
  for (const char* text : kAdifTexts) {
    const std::string whole = Describe(ReadAdif(text));
    for (size_t longest : {1u, 2u, 3u, 7u}) {
      DribbleSource source(text, longest);
      Collect collect;
      collect.log.own_call = StreamAdif(source, collect);
      EXPECT_EQ(Describe(collect.log), whole) << text << " in pieces of up to " << longest;
    }
  }
  for (const char* text : kCabrilloTexts) {
    const std::string whole = Describe(ReadCabrillo(text));
    for (size_t longest : {1u, 2u, 3u, 7u}) {
      DribbleSource source(text, longest);
      Collect collect;
      collect.log.own_call = StreamCabrillo(source, collect);
      EXPECT_EQ(Describe(collect.log), whole) << text << " in pieces of up to " << longest;
    }
  }
}

// A record's line is that of its first tag, however the line ends before it
// fall: in field data, between records, cut between reads.
TEST(StreamingReaders, AdifLinesCountLineEndsInsideDataAndBetweenRecords) {
  const std::string text =
      "<EOH>\r\n<COMMENT:6>a\r\nb\rc<CALL:5>F5ABC<QSO_DATE:8>20170107<TIME_ON:4>1312<EOR>\r\n\r\n"
      "<CALL:5>F5ABD<QSO_DATE:8>20170107<TIME_ON:4>1313<NOTES:4>x\n\ny<EOR>\n<CALL:3>K1A<EOR>";
  for (size_t longest : {1u, 2u, 3u, 7u, 1000u}) {
    DribbleSource source(text, longest);
    Collect collect;
    StreamAdif(source, collect);
    ASSERT_EQ(collect.log.qsos.size(), 2u) << longest;
    EXPECT_EQ(collect.log.qsos[0].line, 2) << longest;
    EXPECT_EQ(collect.log.qsos[1].line, 6) << longest;
    ASSERT_EQ(collect.log.problems.size(), 1u) << longest;
    EXPECT_EQ(collect.log.problems[0].line, 9) << longest;
  }
}

// A field's name is reported in capitals even when the bytes it was read
// from have been dropped for the field's data.
TEST(StreamingReaders, AdifFieldNamesInProblemsSurviveReadsInPieces) {
  const std::string nul = std::string("<eoh><call:5>F5") + '\0' +
                          "BC<qso_date:8>20170107<time_on:4>1312<eor>";
  const std::string cut = "<call:5>F5ABC<qso_date:8>20170107<time_on:4>1312<eor><Call:9>F5";
  const std::pair<std::string, std::string> cases[] = {
      {nul, "1 record 1: field CALL holds a NUL byte"},
      {cut, "1 record 2: field CALL announces 9 bytes but the file ends after 2"},
  };
  for (const auto& [text, problem] : cases) {
    for (size_t longest : {1u, 2u, 5u, 1000u}) {
      DribbleSource source(text, longest);
      Collect collect;
      StreamAdif(source, collect);
      ASSERT_EQ(collect.log.problems.size(), 1u) << longest;
      EXPECT_EQ(std::to_string(collect.log.problems[0].line) + " " +
                    collect.log.problems[0].reason,
                problem)
          << longest;
    }
  }
}

// A receiver that needs no texts beyond the call, own call and time meets
// the same QSOs and problems.
TEST(StreamingReaders, AReaderOfFewerFieldsMeetsTheSameQsosAndProblems) {
  class Lean final : public LogReceiver {
   public:
    void OnQso(const LogQso& q) override {
      text += std::to_string(q.number) + " " + q.call + " " + q.own_call + " " +
              std::to_string(q.time.OleDays()) + "\n";
    }
    void OnProblem(const ReadProblem& p) override { text += p.reason + "\n"; }
    bool WantsAllFields() const override { return false; }
    std::string text;
  };
  for (const char* text : kAdifTexts) {
    TextSource source(text);
    Lean lean;
    const std::string own = StreamAdif(source, lean);
    const Log log = ReadAdif(text);
    std::string expected;
    for (const LogQso& q : log.qsos) {
      expected += std::to_string(q.number) + " " + q.call + " " + q.own_call + " " +
                  std::to_string(q.time.OleDays()) + "\n";
    }
    for (const ReadProblem& p : log.problems) expected += p.reason + "\n";
    // Problems come in file order among the QSOs; compare the sets of lines.
    std::vector<std::string> got_lines, expected_lines;
    for (const auto& pair : {std::make_pair(&lean.text, &got_lines), std::make_pair(&expected, &expected_lines)}) {
      size_t start = 0;
      for (size_t end; (end = pair.first->find('\n', start)) != std::string::npos; start = end + 1) {
        pair.second->push_back(pair.first->substr(start, end - start));
      }
      std::sort(pair.second->begin(), pair.second->end());
    }
    EXPECT_EQ(got_lines, expected_lines) << text;
    EXPECT_EQ(own, log.own_call);
  }
}

TEST(StreamingReaders, FormatIsFoundFromTheFirstBytesInPieces) {
  const struct {
    const char* text;
    LogFormat format;
  } cases[] = {
      {"\xEF\xBB\xBF\r\n  \t\nstart-of-log: 3.0\r\n", LogFormat::kCabrillo},
      {"\n\nSTART-OF-LOG:", LogFormat::kCabrillo},
      {"START-OF-LOG\n:", LogFormat::kAdif},
      {"<ADIF_VER:5>3.1.4<EOH>START-OF-LOG:", LogFormat::kAdif},
      {"", LogFormat::kAdif},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DetectFormat("log.adi", c.text), c.format) << c.text;
    DribbleSource source(c.text, 1);
    EXPECT_EQ(DetectFormat("log.adi", source), c.format) << c.text;
  }
}

TEST(StreamingReaders, FileLargerThanOneReadKeepsRecordsAcrossItsPieces) {
  std::string text = "<ADIF_VER:5>3.1.4<EOH>\n";
  for (int i = 0; i < 4000; ++i) {
    const std::string call = "DL" + std::to_string(i % 10) + "A" + std::string(1, 'A' + i % 26);
    text += "<CALL:" + std::to_string(call.size()) + ">" + call +
            "<QSO_DATE:8>20170107<TIME_ON:4>1312<BAND:3>20M<MODE:5>PSK63<SRX:" +
            std::to_string(std::to_string(i).size()) + ">" + std::to_string(i) + "<EOR>\r\n";
  }
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / "stats_stream_test.adi";
  {
    std::ofstream file(path, std::ios::binary);
    file << text;
  }
  std::string error;
  std::unique_ptr<FileSource> source = FileSource::Open(path, &error);
  ASSERT_TRUE(source) << error;
  Collect collect;
  StreamAdif(*source, collect);
  EXPECT_TRUE(source->Error().empty());
  source.reset();  // closed before it goes: Windows keeps an open file
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  ASSERT_EQ(collect.log.qsos.size(), 4000u);
  EXPECT_EQ(collect.log.qsos[3999].line, 4001);
  EXPECT_EQ(collect.log.qsos[3999].exchange_received, "3999");
  EXPECT_EQ(Describe(collect.log), Describe(ReadAdif(text)));
}

}  // namespace
}  // namespace replay
