// The wide command line: blanks and empty quote pairs between parameters, quoted stretches, the
// parameter length limit, and index 0 as the program's full file name.
#include <fstream>
#include <iterator>
#include "platform/rtl/SysUtils.h"
#include "tests/widechar/WideTestSupport.h"
#include "widechar/UniSysUtils.h"

namespace orv::test {
namespace {

class WideParamStrTest : public WidePlatformTest {};

TEST_F(WideParamStrTest, ParametersOfACommandLine) {
  const WideString line = u"C:\\Prog\\orvinta.exe  \"C:\\My Files\\list.dbf\" -x \"\" a\"b c\"d  \u00E9\u263A \t last";
  struct TCase {
    int Index;
    WideString Param;
  };
  const TCase cases[] = {
      {0, u"C:\\Prog\\orvinta.exe"},
      {1, u"C:\\My Files\\list.dbf"},  // whole, without its quotes
      {2, u"-x"},
      {3, u"ab cd"},                   // the empty pair is skipped; a stretch inside a word
      {4, u"\u00E9\u263A"},
      {5, u"last"},
      {6, u""},                        // past the last parameter
      {60, u""},
      {-1, u""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Index);
    EXPECT_EQ(Show(WideParamStrOf(line, c.Index)), Show(c.Param));
  }
  EXPECT_EQ(WideParamStrOf(u"prog \"open stretch", 1), u"open stretch") << "a stretch may run to the end";
  EXPECT_EQ(WideParamStrOf(u"", 0), u"");
}

TEST_F(WideParamStrTest, AParameterStopsAtTheLimitAndTheRestIsTheNextOne) {
  const WideString longWord(MaxParamUnits + 10, u'w');
  const WideString line = u"prog " + longWord + u" next";
  EXPECT_EQ(WideParamStrOf(line, 1), WideString(MaxParamUnits, u'w'));
  EXPECT_EQ(WideParamStrOf(line, 2), WideString(10, u'w'));
  EXPECT_EQ(WideParamStrOf(line, 3), u"next");
  const WideString quoted = u"prog \"" + longWord + u" x\"";
  EXPECT_EQ(WideParamStrOf(quoted, 1), WideString(MaxParamUnits, u'w')) << "the limit holds inside quotes";
  EXPECT_EQ(WideParamStrOf(quoted, 2), WideString(10, u'w'));
}

TEST_F(WideParamStrTest, IndexZeroIsTheProgramsFullFileNameAndTheOthersComeFromTheProcess) {
  EXPECT_EQ(WideParamStr(0), Utf8ToWide(ParamStr0()));
  EXPECT_EQ(WideGetModuleFileName(0), Utf8ToWide(ParamStr0()));
  // The arguments this test runs with, as the process got them.
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> args;
  for (std::size_t start = 0; start < raw.size();) {
    std::size_t end = raw.find('\0', start);
    if (end == std::string::npos) end = raw.size();
    args.push_back(raw.substr(start, end - start));
    start = end + 1;
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i].empty() || args[i].find('"') != std::string::npos) continue;
    EXPECT_EQ(WideParamStr(static_cast<int>(i)), Utf8ToWide(args[i]));
  }
  EXPECT_EQ(WideParamStr(static_cast<int>(args.size()) + 5), u"");
}

}  // namespace
}  // namespace orv::test
