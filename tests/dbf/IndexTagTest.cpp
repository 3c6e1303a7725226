// Tag descriptors of .mdx files: the accessor of each layout read and written against the bytes
// of real files, names cut to the layout's length, writes kept inside a descriptor's room, the
// accessor chosen by the file's version, and the tag header's page count kept on disk.
#include <gtest/gtest.h>
#include <cstring>
#include "dbf/DbfIndexTag.h"
#include "tests/dbf/IndexTestUtil.h"

namespace orv {
namespace {

class IndexTagTest : public test::IndexFixture {
 protected:
  // An .mdx of a table of the level, holding FIRST over NAME and SECOND over NUM (made with
  // ixExpression), with three records; returns the file's bytes.
  std::vector<Byte> MakeTwoTagFile(int level, const std::string& file) {
    MakeTable(level, "t" + std::to_string(level) + ".dbf");
    auto index = NewIndex(file);
    index->CreateTag("first", "NAME", 0);
    index->CreateTag("Second", "NUM", ixExpression);
    const char* names[] = {"CAROL", "ALICE", "BOB"};
    for (Integer r = 1; r <= 3; ++r) {
      auto rec = Record(names[r - 1], 10 - r);
      Store(r, rec);
      EXPECT_TRUE(index->InsertKeys(r, rec.data()));
    }
    index->CloseIndex();
    return ReadBytes(file);
  }
};

struct TLayoutCase {
  const char* Name;
  int Level;
  Byte Version;  // as the file reopens
  bool Newer;
  Integer Stride;
  Integer SixAt;
};

const TLayoutCase kLayouts[] = {
    {"older", kLevelDbase4, 3, false, 32, 15},
    {"older of a FoxPro table", kLevelFoxPro, 3, false, 32, 15},
    {"newer", kLevelDbase7, 6, true, 43, 37},
};

bool IsNewer(const TIndexTag* tag) { return dynamic_cast<const TMdx7Tag*>(tag) != nullptr; }
bool IsOlder(const TIndexTag* tag) { return dynamic_cast<const TMdx4Tag*>(tag) != nullptr; }

TEST_F(IndexTagTest, EachLayoutReadsTheFieldsOfARealFile) {
  for (const auto& c : kLayouts) {
    SCOPED_TRACE(c.Name);
    const std::string file = "read" + std::to_string(c.Level) + ".mdx";
    const auto bytes = MakeTwoTagFile(c.Level, file);
    ASSERT_EQ(bytes[26], c.Stride);
    auto index = NewIndex(file, pfExclusiveOpen);
    ASSERT_EQ(index->Version(), c.Version);
    for (Integer slot = 0; slot < 2; ++slot) {
      SCOPED_TRACE(slot);
      const TIndexTag* tag = index->TagDescriptor(slot);
      ASSERT_NE(tag, nullptr);
      EXPECT_EQ(IsNewer(tag), c.Newer);
      EXPECT_EQ(IsOlder(tag), !c.Newer);
      EXPECT_EQ(tag->Room(), c.Stride);
      const Byte* raw = &bytes[static_cast<size_t>(512 + c.Stride + slot * c.Stride)];
      EXPECT_EQ(tag->HeaderPageNo(), GetLE32(raw));
      EXPECT_GE(tag->HeaderPageNo(), 4u);
      EXPECT_EQ(tag->TagName(), slot == 0 ? "FIRST" : "SECOND");
      const Byte* six = raw + c.SixAt;
      EXPECT_EQ(tag->KeyFormat(), slot == 0 ? 16 : 0);
      EXPECT_EQ(tag->KeyFormat(), six[0]);
      EXPECT_EQ(tag->Reserved1(), 0);
      EXPECT_EQ(tag->Reserved2(), 0);
      EXPECT_EQ(tag->Reserved3(), 0);
      EXPECT_EQ(tag->Marker(), 2);
      EXPECT_EQ(six[4], 2);
      EXPECT_EQ(tag->KeyType(), slot == 0 ? 'C' : 'N');
      EXPECT_EQ(six[5], tag->KeyType());
      // The tag header the descriptor points at is that tag's.
      const Byte* header = &bytes[static_cast<size_t>(tag->HeaderPageNo()) * 512];
      EXPECT_STREQ(reinterpret_cast<const char*>(header + 24), slot == 0 ? "NAME" : "NUM");
    }
    // Every slot has its accessor, used or not; none outside them.
    ASSERT_NE(index->TagDescriptor(index->MaxTags() - 1), nullptr);
    EXPECT_EQ(index->TagDescriptor(index->MaxTags() - 1)->HeaderPageNo(), 0u);
    EXPECT_EQ(index->TagDescriptor(index->MaxTags()), nullptr);
    EXPECT_EQ(index->TagDescriptor(-1), nullptr);
  }
}

TEST_F(IndexTagTest, AnNdxHasNoDescriptors) {
  MakeTable();
  auto index = NewIndex("single.ndx");
  index->CreateTag("ONE", "NAME", 0);
  EXPECT_EQ(index->TagDescriptor(0), nullptr);
}

TEST_F(IndexTagTest, TheAccessorFollowsTheVersion) {
  struct {
    Byte Version;
    bool Newer;
  } cases[] = {{2, false}, {3, false}, {5, false}, {6, true}};
  std::vector<Byte> d(43, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Version));
    auto tag = NewIndexTag(c.Version, d.data(), 43);
    EXPECT_EQ(IsNewer(tag.get()), c.Newer);
    EXPECT_EQ(tag->NameCapacity(), c.Newer ? 32 : 10);
    EXPECT_EQ(IndexTagLength(c.Version), c.Newer ? 43 : 32);
  }
}

// Each of the six bytes, written through its own operation, lands at its place in the layout and
// nowhere else, and reads back.
TEST_F(IndexTagTest, EachFieldIsWrittenAtItsPlaceOnly) {
  struct TField {
    const char* Name;
    Byte (TIndexTag::*Get)() const;
    void (TIndexTag::*Set)(Byte);
    Integer Offset;  // from the first of the six bytes
  };
  const TField fields[] = {
      {"key format", &TIndexTag::KeyFormat, &TIndexTag::SetKeyFormat, 0},
      {"reserved 1", &TIndexTag::Reserved1, &TIndexTag::SetReserved1, 1},
      {"reserved 2", &TIndexTag::Reserved2, &TIndexTag::SetReserved2, 2},
      {"reserved 3", &TIndexTag::Reserved3, &TIndexTag::SetReserved3, 3},
      {"marker", &TIndexTag::Marker, &TIndexTag::SetMarker, 4},
      {"key type", &TIndexTag::KeyType, &TIndexTag::SetKeyType, 5},
  };
  for (const auto& c : kLayouts) {
    SCOPED_TRACE(c.Name);
    const std::string file = "write" + std::to_string(c.Level) + ".mdx";
    auto bytes = MakeTwoTagFile(c.Level, file);
    const size_t at = static_cast<size_t>(512 + c.Stride * 2);  // the second descriptor
    for (const auto& f : fields) {
      SCOPED_TRACE(f.Name);
      auto changed = bytes;
      auto tag = NewIndexTag(c.Version, changed.data() + at, c.Stride);
      ((*tag).*f.Set)(0xA5);
      EXPECT_EQ(((*tag).*f.Get)(), 0xA5);
      const size_t place = at + static_cast<size_t>(c.SixAt + f.Offset);
      for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == place) continue;
        ASSERT_EQ(changed[i], bytes[i]) << i;
      }
      EXPECT_EQ(changed[at + static_cast<size_t>(c.SixAt + f.Offset)], 0xA5);
    }
    auto changed = bytes;
    auto tag = NewIndexTag(c.Version, changed.data() + at, c.Stride);
    tag->SetHeaderPageNo(0x01020304);
    EXPECT_EQ(tag->HeaderPageNo(), 0x01020304u);
    EXPECT_EQ(GetLE32(&changed[at]), 0x01020304u);
    EXPECT_TRUE(std::equal(changed.begin() + static_cast<std::ptrdiff_t>(at + 4), changed.end(),
                           bytes.begin() + static_cast<std::ptrdiff_t>(at + 4)));
  }
}

// Names and header pages written through the accessors into a real file are what the file then
// reads: renamed tags are found by their new names, swapped header pages swap the expressions.
TEST_F(IndexTagTest, WritesIntoARealFileReadBack) {
  for (const auto& c : kLayouts) {
    SCOPED_TRACE(c.Name);
    const std::string file = "round" + std::to_string(c.Level) + ".mdx";
    auto bytes = MakeTwoTagFile(c.Level, file);
    auto first = NewIndexTag(c.Version, bytes.data() + 512 + c.Stride, c.Stride);
    auto second = NewIndexTag(c.Version, bytes.data() + 512 + 2 * c.Stride, c.Stride);
    first->SetTagName("BY_NUMBER");
    second->SetTagName("BY");
    const LongWord p1 = first->HeaderPageNo(), p2 = second->HeaderPageNo();
    first->SetHeaderPageNo(p2);
    second->SetHeaderPageNo(p1);
    WriteBytes(file, bytes);
    auto index = NewIndex(file, pfExclusiveOpen);
    ASSERT_FALSE(index->Unusable());
    EXPECT_EQ(index->TagNames(), (std::vector<AnsiString>{"BY_NUMBER", "BY"}));
    index->SelectTagByName("by_number");
    EXPECT_EQ(index->Expression(), "NUM");
    EXPECT_EQ(Walk(*index), (std::vector<Integer>{3, 2, 1}));
    index->SelectTagByName("By");
    EXPECT_EQ(index->Expression(), "NAME");
    EXPECT_EQ(Walk(*index), (std::vector<Integer>{2, 3, 1}));
  }
}

TEST_F(IndexTagTest, NamesAreCutToTheLayoutAndKeptInsideTheRoom) {
  const std::string forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";
  struct TCase {
    const char* What;
    Byte Version;
    Integer Room;
    size_t Given;
    size_t Kept;
    Integer Capacity;
  } cases[] = {
      {"older, shorter", 3, 32, 9, 9, 10},
      {"older, exact", 3, 32, 10, 10, 10},
      {"older, longer", 3, 32, 11, 10, 10},
      {"older in a wide stride", 3, 64, 40, 10, 10},
      {"newer, exact", 6, 43, 32, 32, 32},
      {"newer, longer", 6, 43, 33, 32, 32},
      {"newer in the older stride", 6, 32, 40, 27, 27},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    // The descriptor within a larger buffer whose bytes behind it belong to a neighbour.
    std::vector<Byte> buffer(static_cast<size_t>(c.Room) + 16, 0xEE);
    auto tag = NewIndexTag(c.Version, buffer.data(), c.Room);
    EXPECT_EQ(tag->NameCapacity(), c.Capacity);
    tag->SetTagName(forty);  // a longer name before leaves nothing behind
    tag->SetTagName(forty.substr(0, c.Given));
    EXPECT_EQ(tag->TagName(), forty.substr(0, c.Kept));
    EXPECT_EQ(0, std::memcmp(buffer.data() + 4, forty.data(), c.Kept));
    // A zero byte behind the name, up to and at the place behind the layout's characters.
    const size_t cut = static_cast<size_t>(tag->NameCapacity());
    for (size_t i = 4 + c.Kept; i <= 4 + cut; ++i) EXPECT_EQ(buffer[i], 0) << i;
    // Six bytes that do not fit the room are not written; nothing behind the room changes.
    tag->SetKeyFormat(16);
    tag->SetMarker(2);
    tag->SetKeyType('C');
    tag->SetHeaderPageNo(77);
    for (size_t i = static_cast<size_t>(c.Room); i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xEE) << i;
    const bool sixFit = (c.Version == 6 ? 43 : 21) <= c.Room;
    EXPECT_EQ(tag->KeyType(), sixFit ? 'C' : 0);
  }
}

TEST_F(IndexTagTest, ANameFillingItsFieldEndsWithTheField) {
  struct {
    Byte Version;
    size_t Field;
  } cases[] = {{3, 11}, {6, 33}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Version));
    std::vector<Byte> d(64, 'X');
    auto tag = NewIndexTag(c.Version, d.data(), 64);
    EXPECT_EQ(tag->TagName(), std::string(c.Field, 'X'));
  }
}

TEST_F(IndexTagTest, LongNamesInRealFilesKeepTheLayoutsLength) {
  const std::string forty = "A_VERY_LONG_TAG_NAME_THAT_GOES_ON_AND_ON";
  for (const auto& c : kLayouts) {
    SCOPED_TRACE(c.Name);
    MakeTable(c.Level, "long" + std::to_string(c.Level) + ".dbf");
    const std::string file = "long" + std::to_string(c.Level) + ".mdx";
    auto index = NewIndex(file);
    index->CreateTag(forty, "NAME", 0);
    index->CloseIndex();
    auto again = NewIndex(file, pfExclusiveOpen);
    const size_t kept = c.Newer ? 32 : 10;
    EXPECT_EQ(again->TagNames(), std::vector<AnsiString>{forty.substr(0, kept)});
    const auto bytes = ReadBytes(file);
    EXPECT_EQ(bytes[static_cast<size_t>(512 + c.Stride + 4) + kept], 0);
    // The name it was made with finds it again.
    EXPECT_EQ(again->TagIndexOf(forty), 0);
  }
}

// A deleted tag's followers move down whole: bytes that no field names go with them.
TEST_F(IndexTagTest, DeletingATagMovesTheFollowingDescriptorsWhole) {
  for (const auto& c : kLayouts) {
    SCOPED_TRACE(c.Name);
    MakeTable(c.Level, "del" + std::to_string(c.Level) + ".dbf");
    const std::string file = "del" + std::to_string(c.Level) + ".mdx";
    {
      auto index = NewIndex(file);
      for (const char* name : {"ONE", "TWO", "THREE"}) index->CreateTag(name, "NAME", 0);
    }
    auto bytes = ReadBytes(file);
    const size_t third = static_cast<size_t>(512 + 3 * c.Stride);
    bytes[third + 30] = 0x5A;  // behind the name's zero byte, or behind the six bytes
    WriteBytes(file, bytes);
    {
      auto index = NewIndex(file, pfExclusiveOpen);
      index->DeleteTag("one");
      EXPECT_EQ(index->TagNames(), (std::vector<AnsiString>{"TWO", "THREE"}));
    }
    const auto after = ReadBytes(file);
    const size_t second = static_cast<size_t>(512 + 2 * c.Stride);
    EXPECT_TRUE(std::equal(after.begin() + static_cast<std::ptrdiff_t>(second),
                           after.begin() + static_cast<std::ptrdiff_t>(second) + c.Stride,
                           bytes.begin() + static_cast<std::ptrdiff_t>(third)));
    for (size_t i = third; i < third + static_cast<size_t>(c.Stride); ++i) EXPECT_EQ(after[i], 0) << i;
  }
}

TEST_F(IndexTagTest, WholeDescriptorBytesAreTakenOnlyAtTheirSize) {
  std::vector<Byte> d(32, 0);
  auto tag = NewIndexTag(3, d.data(), 32);
  tag->SetTagName("KEEP");
  const auto kept = tag->Bytes();
  ASSERT_EQ(kept.size(), 32u);
  EXPECT_FALSE(tag->Assign(std::vector<Byte>(31, 1)));
  EXPECT_EQ(tag->TagName(), "KEEP");
  tag->Clear();
  EXPECT_EQ(tag->TagName(), "");
  EXPECT_TRUE(tag->Assign(kept));
  EXPECT_EQ(tag->TagName(), "KEEP");
}

// Every page a tag takes grows its header's count, and the count reaches the disk at each flush
// without shared mode too, also for pages taken after the tree last got a new root: it stays two
// below the file's next free page while the tag is the only one.
TEST_F(IndexTagTest, TheTagHeaderCountsThePagesTakenOnDisk) {
  MakeTable();
  auto index = NewIndex("count.mdx");
  index->CreateTag("NAME", "NAME", 0);
  for (Integer r = 1; r <= 400; ++r) {
    auto rec = Record("N" + std::to_string(r * 7919 % 400), r);
    Store(r, rec);
    ASSERT_TRUE(index->InsertKeys(r, rec.data()));
    if (r % 50 == 0) index->FlushIndex();
  }
  const auto bytes = ReadBytes("count.mdx");
  const LongWord nextFree = GetLE32(&bytes[32]);
  ASSERT_GT(nextFree, 20u) << "the tag took pages for its leaves";
  const LongWord headerPage = GetLE32(&bytes[512 + 32]);
  EXPECT_EQ(GetLE32(&bytes[static_cast<size_t>(headerPage) * 512 + 4]), nextFree - 2);
}

}  // namespace
}  // namespace orv
