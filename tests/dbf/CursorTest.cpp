// Physical cursor moves at the ends of a table, and the engine's path and number helpers.
#include <gtest/gtest.h>
#include "dbf/DbfCursor.h"
#include "dbf/DbfHelpers.h"
#include "tests/dbf/DbfTestUtil.h"

namespace orv::test {
namespace {

class PhysicalCursor : public ::testing::Test {
 protected:
  void Fill(int records) {
    File.SetMode(pfMemoryCreate);
    File.OpenDbfFile();
    File.FinishCreate(MakeDefs({{"NAME", 'C', 4, 0}}), 512);
    for (int i = 0; i < records; ++i) AppendTexts(File, {"r" + std::to_string(i)});
  }
  TDbfFile File{""};
};

TEST_F(PhysicalCursor, MovesStayWithinBeforeFirstAndAfterLast) {
  Fill(3);
  TDbfCursor c(&File);
  struct Step {
    const char* Move;
    Integer Start;
    bool Result;
    Integer End;
  } steps[] = {
      {"next", 0, true, 1},  {"next", 3, false, 4}, {"next", 4, false, 4}, {"next", 9, false, 4},
      {"prev", 4, true, 3},  {"prev", 1, false, 0}, {"prev", 0, false, 0}, {"prev", -5, false, 0},
  };
  for (const auto& s : steps) {
    c.SetPhysicalRecNo(s.Start);
    const bool moved = std::string(s.Move) == "next" ? c.Next() : c.Prev();
    EXPECT_EQ(moved, s.Result) << s.Move << " from " << s.Start;
    EXPECT_EQ(c.GetPhysicalRecNo(), s.End) << s.Move << " from " << s.Start;
  }
  c.Last();
  EXPECT_EQ(c.GetPhysicalRecNo(), 4);
  c.First();
  EXPECT_EQ(c.GetBookmark(), 0);
  AppendTexts(File, {"new"});
  c.RecordAppended();
  EXPECT_EQ(c.GetSequentialRecNo(), 4);
  EXPECT_EQ(c.GetSequentialRecordCount(), 4);
}

TEST_F(PhysicalCursor, LastOfAnEmptyTableIsBeforeTheFirst) {
  Fill(0);
  TDbfCursor c(&File);
  c.Last();
  EXPECT_EQ(c.GetPhysicalRecNo(), 0);
  EXPECT_FALSE(c.Prev());
  EXPECT_FALSE(c.Next());
}

TEST(DbfHelpers, NumbersAsFieldText) {
  struct Case {
    Int64 Value;
    Integer Width;
    const char* Text;
  } cases[] = {
      {42, 5, "00042"}, {-42, 5, "-0042"}, {123456, 4, "3456"}, {-123456, 4, "-456"},
      {0, 3, "000"},    {INT64_MIN, 20, "-9223372036854775808"},
  };
  for (const auto& c : cases) {
    std::string out(static_cast<size_t>(c.Width), '?');
    Int64ToTextPadded(c.Value, c.Width, out.data());
    EXPECT_EQ(out, c.Text) << c.Value;
  }
  char digits[20];
  EXPECT_EQ(IntToDigits(-907, digits), 3);
  EXPECT_EQ(std::string(digits, 3), "907");
  EXPECT_EQ(Int64ToDigits(INT64_MIN, digits), 19);
}

TEST(DbfHelpers, PathsAreResolvedAgainstABaseFolder) {
  struct Case {
    const char* Base;
    const char* Path;
    const char* Result;
  } cases[] = {
      {"/data", "tables", "/data/tables/"},
      {"/data/", "../other/x", "/other/x/"},
      {"/data", "/abs/dir", "/abs/dir/"},
      {"/data/", "", "/data/"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolvePath(c.Base, c.Path), c.Result) << c.Base << " + " << c.Path;
  EXPECT_EQ(ResolveFileName("/data", "sub/t.dbf"), "/data/sub/t.dbf");
  EXPECT_FALSE(IsAbsolutePath("C:\\x"));
  EXPECT_TRUE(IsAbsolutePath("/x"));
  const Byte bytes[] = {1, 2, 3, 2};
  EXPECT_EQ(FindByte(bytes, 2, 4), bytes + 1);
  EXPECT_EQ(FindByte(bytes, 2, 1), nullptr);
  EXPECT_EQ(SwapInt32(0x01020304u), 0x04030201u);
}

}  // namespace
}  // namespace orv::test
