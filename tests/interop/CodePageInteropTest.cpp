// Our code-page tables against Python's codecs: every byte of the single-byte pages, text in the
// double-byte page 932, and UTF-7 both ways.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/rtl/CodePages.h"
#include "tests/support/ShellCommand.h"

namespace orv {
namespace {

const std::string kScript = std::string(ORV_SOURCE_DIR) + "/tests/interop/codepage_table.py";

std::string RunPython(const std::string& command, const std::string& input = {}) {
  std::string inFile = ::testing::TempDir() + "cp_in_" + std::to_string(::getpid());
  std::ofstream(inFile, std::ios::binary) << input;
  std::string out = test::RunChecked(command + " < '" + inFile + "'");
  std::remove(inFile.c_str());
  return out;
}

std::string Hex(std::string_view s) {
  static const char* d = "0123456789abcdef";
  std::string h;
  for (unsigned char c : s) {
    h += d[c >> 4];
    h += d[c & 15];
  }
  return h;
}

std::string Unhex(const std::string& h) {
  std::string s;
  for (size_t i = 0; i + 1 < h.size(); i += 2) s += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
  return s;
}

TEST(CodePageInterop, SingleBytePagesMatchPython) {
  std::istringstream table(RunPython("/usr/bin/python3 '" + kScript + "' 1252 850 437 852 857 858 860 865 866 869 874 1250 1251 1253 1255 1257"));
  int rows = 0;
  Cardinal cp;
  int byte, codePoint;
  while (table >> cp >> byte >> codePoint) {
    ++rows;
    WideString ours = MultiByteToWide(AnsiString(1, static_cast<char>(byte)), cp);
    ASSERT_EQ(ours.size(), 1u);
    if (codePoint < 0) {
      // Python leaves the holes undefined. 1252 maps them to the C1 control of the same value, as
      // Windows does; elsewhere a hole reads as that control, U+FFFD or a private-use character.
      if (cp == 1252) EXPECT_EQ(ours[0], byte) << byte;
      else EXPECT_TRUE(ours[0] == byte || ours[0] == u'\uFFFD' || (ours[0] >= 0xE000 && ours[0] < 0xF900)) << cp << " " << byte;
      continue;
    }
    EXPECT_EQ(ours[0], codePoint) << "code page " << cp << " byte " << byte;
  }
  EXPECT_EQ(rows, 16 * 256);   // every table was read
}

TEST(CodePageInterop, DoubleBytePage932MatchesPython) {
  WideString text;
  for (char16_t c = 0x3041; c <= 0x3093; ++c) text += c;
  for (char16_t c = 0x30A1; c <= 0x30F6; ++c) text += c;
  text += u"\u65E5\u672C\u8A9E\u6587\u5B57\u6771\u4EAC ABC\uFF76\uFF9E\u2460\uFFE5";
  bool used = true;
  AnsiString ours = WideToMultiByte(text, 932, &used);
  std::string utf8 = WideToUtf8(text);
  std::string theirs = RunPython("/usr/bin/python3 '" + kScript + "' encode cp932", Hex(utf8) + "\n");
  ASSERT_FALSE(theirs.empty());
  EXPECT_EQ(Hex(ours) + "\n", theirs);
  EXPECT_FALSE(used);
  EXPECT_EQ(MultiByteToWide(Unhex(theirs.substr(0, theirs.size() - 1)), 932), text);
}

TEST(CodePageInterop, Utf7BothWays) {
  const WideString samples[] = {u"Hi Mom -\u263A-!", u"\u65E5\u672C\u8A9E", u"a+b=c", u"\u00E4\u00F6\u00FC \U0001F600"};
  for (const auto& s : samples) {
    AnsiString ours = WideToMultiByte(s, CP_UTF7);
    std::string decoded = RunPython("/usr/bin/python3 '" + kScript + "' decode utf-7", Hex(ours) + "\n");
    EXPECT_EQ(decoded, Hex(WideToUtf8(s)) + "\n") << ours;
    std::string theirs = RunPython("/usr/bin/python3 '" + kScript + "' encode utf-7", Hex(WideToUtf8(s)) + "\n");
    EXPECT_EQ(MultiByteToWide(Unhex(theirs.substr(0, theirs.size() - 1)), CP_UTF7), s) << theirs;
  }
}

TEST(CodePageInterop, MalformedUtf8ReplacedAsPythonDoes) {
  std::vector<std::string> inputs = {"\xC0\xAF", "\xED\xA0\x80x", "\xE2\x82", "\xF4\x90\x80\x80",
                                     "\xF0\x9F\x98", "a\x80\xBFz", "\xFE\xFF", "\xE0\x9F\x80", "\xC3"};
  std::mt19937 rng(7);
  for (int i = 0; i < 200; ++i) {
    std::string s;
    for (int k = 0; k < 12; ++k) {
      unsigned r = rng() % 8;
      s += static_cast<char>(r < 2 ? 0x41 + rng() % 26 : r < 5 ? 0x80 + rng() % 64 : 0xC0 + rng() % 64);
    }
    inputs.push_back(s);
  }
  std::string request;
  for (const auto& s : inputs) request += Hex(s) + "\n";
  std::istringstream theirs(RunPython("/usr/bin/python3 '" + kScript + "' decode utf-8 replace", request));
  for (const auto& s : inputs) {
    std::string line;
    ASSERT_TRUE(std::getline(theirs, line));
    EXPECT_EQ(Hex(WideToUtf8(Utf8ToWide(s))), line) << Hex(s);
  }
}

}  // namespace
}  // namespace orv
