// Framing of SMTP replies: complete only at the final line, whatever the pieces; malformed input
// ends the wait instead of stalling it.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "mail/SmtpReply.h"

namespace orv {
namespace {

struct TReplyCase {
  const char* Name;
  std::string Text;
  TSmtpReplyState State;
  int Code;
  std::size_t Length;
};

class SmtpReplyCases : public ::testing::TestWithParam<TReplyCase> {};

TEST_P(SmtpReplyCases, ParsesAsExpected) {
  const TReplyCase& c = GetParam();
  TSmtpReply r = ParseSmtpReply(c.Text);
  EXPECT_EQ(r.State, c.State) << c.Name;
  EXPECT_EQ(r.Code, c.Code) << c.Name;
  EXPECT_EQ(r.Length, c.Length) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, SmtpReplyCases,
    ::testing::Values(
        TReplyCase{"single line", "250 OK\r\n", rsComplete, 250, 8},
        TReplyCase{"code alone", "250\r\n", rsComplete, 250, 5},
        TReplyCase{"split before the text ends", "250 O", rsIncomplete, 0, 0},
        TReplyCase{"code without line end", "250", rsIncomplete, 0, 0},
        TReplyCase{"code and CR only", "250\r", rsIncomplete, 0, 0},
        TReplyCase{"first digits only", "2", rsIncomplete, 0, 0},
        TReplyCase{"empty", "", rsIncomplete, 0, 0},
        TReplyCase{"multi-line, all there", "250-a\r\n250-b\r\n250 c\r\n", rsComplete, 250, 21},
        TReplyCase{"multi-line, final line missing", "250-a\r\n250-b\r\n", rsIncomplete, 0, 0},
        TReplyCase{"multi-line, final line half there", "250-a\r\n250 c", rsIncomplete, 0, 0},
        TReplyCase{"continuation with empty text", "220-\r\n220 hi\r\n", rsComplete, 220, 14},
        TReplyCase{"bare LF line ends", "250-a\n250 b\n", rsComplete, 250, 12},
        TReplyCase{"bytes after the final line", "354 go\r\n250 x\r\n", rsComplete, 354, 8},
        TReplyCase{"permanent error", "550 5.1.1 no such user\r\n", rsComplete, 550, 24},
        TReplyCase{"letters for digits", "ABC hello\r\n", rsMalformed, 0, 0},
        TReplyCase{"partial line already wrong", "HTTP/1.1", rsMalformed, 0, 0},
        TReplyCase{"wrong separator", "250=ok\r\n", rsMalformed, 0, 0},
        TReplyCase{"short code", "25\r\n", rsMalformed, 0, 0},
        TReplyCase{"empty line", "\r\n", rsMalformed, 0, 0},
        TReplyCase{"good line then garbage", "250-a\r\nxyz\r\n", rsMalformed, 0, 0}),
    [](const ::testing::TestParamInfo<TReplyCase>& info) {
      std::string n;
      for (const char* p = info.param.Name; *p; ++p) n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return n;
    });

TEST(SmtpReply, EndlessReplyWithoutFinalLineIsMalformedAtTheBound) {
  std::string text;
  while (text.size() < SmtpMaxReplyLength + 10) text += "250-padding padding padding\r\n";
  EXPECT_EQ(ParseSmtpReply(text).State, rsMalformed);
  std::string oneLine = "250 " + std::string(SmtpMaxReplyLength, 'x');
  EXPECT_EQ(ParseSmtpReply(oneLine).State, rsMalformed) << "a line without end must not grow forever";
}

TEST(SmtpReply, EveryPrefixOfAMultiLineReplyIsIncomplete) {
  const std::string whole = "250-smtp.example\r\n250-SIZE 1000\r\n250 HELP\r\n";
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    EXPECT_EQ(ParseSmtpReply(whole.substr(0, cut)).State, rsIncomplete) << "cut at " << cut;
  }
  EXPECT_EQ(ParseSmtpReply(whole).State, rsComplete);
}

}  // namespace
}  // namespace orv
