// Damaged tables: each header and descriptor field out of range fails with the table error (or
// the silent failed open where a zero length says so) and never reads outside the buffers.
#include <functional>
#include "tests/dbf/DbfTestUtil.h"

namespace orv::test {
namespace {

// oUnreadable: refused with a message that names the field and its type.
enum TOutcome { oOpens, oFailsSilently, oInvalid, oUnreadable };

struct TMalformed {
  const char* What;
  int Level;
  std::function<void(std::vector<Byte>&)> Damage;
  TOutcome Outcome;
  const char* Message = nullptr;
};

class MalformedTable : public TTempDir {
 protected:
  // A level-IV table: fields A C(10), B N(5), lock field; one record. Descriptors at 32, 64, 96.
  // A level-VII table: fields A C(10), B I; a property block behind the terminator.
  std::vector<Byte> Build(int level) {
    if (level == kLevelDbase7) {
      { auto t = Create("v.dbf", kLevelDbase7, {{"A", 'C', 10, 0}, {"B", 'I', 4, 0}}); AppendTexts(*t, {"x"}); }
      auto bytes = ReadBytes("v.dbf");
      // Insert a property block: 16-byte block header, one entry (default of field 1), its data.
      const Integer oldHeader = GetLE16(bytes.data() + 8);
      std::vector<Byte> block(16 + 15 + 10, 0);
      PutLE16(block.data(), 1);
      PutLE16(block.data() + 2, 16);
      PutLE16(block.data() + 16 + 2, 1);
      block[16 + 4] = 4;
      PutLE16(block.data() + 16 + 11, 31);
      PutLE16(block.data() + 16 + 13, 10);
      std::copy_n("default   ", 10, block.begin() + 31);
      bytes.insert(bytes.begin() + oldHeader, block.begin(), block.end());
      PutLE16(bytes.data() + 8, static_cast<Word>(oldHeader + block.size()));
      return bytes;
    }
    { auto t = Create("m.dbf", kLevelDbase4, {{"A", 'C', 10, 0}, {"B", 'N', 5, 0}, {"_DBASELOCK", 'C', 12, 0}}); AppendTexts(*t, {"abc"}); }
    return ReadBytes("m.dbf");
  }
};

TEST_F(MalformedTable, EachFieldOutOfRange) {
  const TMalformed cases[] = {
      {"intact level IV", kLevelDbase4, [](auto&) {}, oOpens},
      {"intact level VII with properties", kLevelDbase7, [](auto&) {}, oOpens},
      {"unknown version byte", kLevelDbase4, [](auto& b) { b[0] = 0x01; }, oInvalid},
      {"header length 0", kLevelDbase4, [](auto& b) { PutLE16(b.data() + 8, 0); }, oFailsSilently},
      {"record length 0", kLevelDbase4, [](auto& b) { PutLE16(b.data() + 10, 0); }, oFailsSilently},
      {"header length below one descriptor", kLevelDbase4, [](auto& b) { PutLE16(b.data() + 8, 40); }, oInvalid},
      {"header length past the file", kLevelDbase4, [](auto& b) { PutLE16(b.data() + 8, 60000); }, oOpens},
      {"record length shorter than the fields", kLevelDbase4, [](auto& b) { PutLE16(b.data() + 10, 12); }, oInvalid},
      {"field size past the record", kLevelDbase4, [](auto& b) { b[64 + 16] = 200; }, oInvalid},
      {"character field size high byte", kLevelDbase4, [](auto& b) { b[32 + 17] = 0xFF; }, oInvalid},
      {"empty field name", kLevelDbase4, [](auto& b) { b[32] = 0; }, oInvalid},
      {"unknown type letter", kLevelDbase4, [](auto& b) { b[64 + 11] = 'X'; }, oUnreadable,
       "Cannot read field \"B\": type 'X' of 5 bytes is not supported."},
      {"type letter no character", kLevelDbase4, [](auto& b) { b[64 + 11] = 0x01; }, oUnreadable,
       "Cannot read field \"B\": type 0x01 of 5 bytes is not supported."},
      {"currency", kLevelDbase4, [](auto& b) { b[64 + 11] = 'Y'; b[64 + 16] = 8; }, oUnreadable},
      {"binary integer not of 4 bytes", kLevelDbase4, [](auto& b) { b[64 + 11] = 'I'; }, oUnreadable,
       "Cannot read field \"B\": type 'I' of 5 bytes is not supported."},
      {"memo pointer of 4 bytes", kLevelDbase4, [](auto& b) { b[64 + 11] = 'M'; b[64 + 16] = 4; }, oUnreadable},
      {"date narrower than 8", kLevelDbase4, [](auto& b) { b[64 + 11] = 'D'; }, oUnreadable},
      {"later FoxPro double", kLevelDbase4, [](auto& b) { b[0] = 0x30; b[64 + 11] = 'B'; b[64 + 16] = 8; }, oUnreadable,
       "Cannot read field \"B\": type 'B' of 8 bytes is not supported."},
      {"later FoxPro date-time not of 8 bytes", kLevelDbase4, [](auto& b) { b[0] = 0x30; b[32 + 11] = 'T'; b[32 + 16] = 10; }, oUnreadable},
      {"later FoxPro integer", kLevelDbase4, [](auto& b) { b[0] = 0x31; b[64 + 11] = 'I'; b[64 + 16] = 4; }, oOpens},
      {"wider date", kLevelDbase4, [](auto& b) { b[32 + 11] = 'D'; }, oOpens},
      {"missing terminator", kLevelDbase4, [](auto& b) { b[128] = 'Z'; }, oOpens},
      {"lock field too short", kLevelDbase4, [](auto& b) { b[96 + 16] = 4; PutLE16(b.data() + 10, 20); }, oOpens},
      {"lock field of another type", kLevelDbase4, [](auto& b) { b[96 + 11] = 'N'; }, oOpens},
      {"property entries past the header", kLevelDbase7, [](auto& b) { PutLE16(b.data() + GetLE16(b.data() + 8) - 41, 500); }, oInvalid},
      {"property entry offset past the header", kLevelDbase7, [](auto& b) { PutLE16(b.data() + GetLE16(b.data() + 8) - 41 + 2, 9000); }, oInvalid},
      {"property data past the header", kLevelDbase7, [](auto& b) { PutLE16(b.data() + GetLE16(b.data() + 8) - 41 + 16 + 11, 60000); }, oInvalid},
      {"property data larger than the field", kLevelDbase7, [](auto& b) { PutLE16(b.data() + GetLE16(b.data() + 8) - 41 + 16 + 13, 10); }, oOpens},
      {"property of field 0 or beyond the fields", kLevelDbase7, [](auto& b) { PutLE16(b.data() + GetLE16(b.data() + 8) - 41 + 16 + 2, 9); }, oOpens},
      {"file cut inside the header", kLevelDbase4, [](auto& b) { b.resize(20); }, oInvalid},
  };
  for (const auto& c : cases) {
    std::vector<Byte> bytes = Build(c.Level);
    c.Damage(bytes);
    WriteBytes("bad.dbf", bytes);
    TDbfFile t(Path("bad.dbf"));
    t.SetMode(pfReadOnly);
    try {
      t.OpenDbfFile();
      if (c.Outcome == oInvalid || c.Outcome == oUnreadable) {
        ADD_FAILURE() << c.What << ": opened";
        continue;
      }
      EXPECT_EQ(t.OpenFailed(), c.Outcome == oFailsSilently) << c.What;
      if (t.OpenFailed()) continue;
      // Every field of every record decodes within the record.
      std::vector<Byte> rec(static_cast<size_t>(t.RecordSize()));
      for (Integer n = 1; n <= t.RecordCount(); ++n) {
        t.ReadRecord(n, rec.data());
        for (size_t f = 0; f < t.FieldDefs().Count(); ++f) {
          std::vector<char> out(static_cast<size_t>(t.FieldDefs()[f].Size()) + 16);
          t.DecodeFieldValue(static_cast<Integer>(f), t.FieldDefs()[f].FieldType(), out.data(), rec.data());
        }
      }
    } catch (const EDbfError& e) {
      if (c.Outcome == oUnreadable) {
        if (c.Message) EXPECT_EQ(e.Message(), c.Message) << c.What;
        else EXPECT_EQ(e.Message().rfind("Cannot read field \"", 0), 0u) << c.What << ": " << e.Message();
        continue;
      }
      EXPECT_EQ(c.Outcome, oInvalid) << c.What << ": " << e.Message();
      EXPECT_EQ(e.Message(), "Invalid DBF file.") << c.What;
    }
  }
}

TEST_F(MalformedTable, PropertiesReachTheirFields) {
  WriteBytes("p.dbf", Build(kLevelDbase7));
  auto t = Open("p.dbf", pfReadOnly);
  ASSERT_TRUE(t->FieldDefs()[0].HasDefault);
  std::vector<Byte> rec(static_cast<size_t>(t->RecordSize()));
  t->BlankRecord(rec.data());
  EXPECT_EQ(std::string(rec.begin() + 1, rec.begin() + 11), "default   ");
  EXPECT_EQ(std::vector<Byte>(rec.begin() + 11, rec.end()), std::vector<Byte>(4, 0)) << "a blank 'I' is null";
}

TEST_F(MalformedTable, LockFieldNeedsTypeAndSize) {
  WriteBytes("l.dbf", Build(kLevelDbase4));
  EXPECT_TRUE(Open("l.dbf", pfReadOnly)->HasLockField());
  auto bytes = Build(kLevelDbase4);
  bytes[96 + 11] = 'N';
  WriteBytes("l.dbf", bytes);
  EXPECT_FALSE(Open("l.dbf", pfReadOnly)->HasLockField());
}

TEST_F(MalformedTable, MissingMemoFile) {
  { auto t = Create("mm.dbf", kLevelDbase4, {{"NOTE", 'M', 10, 0}}); }
  std::filesystem::remove(Path("mm.dbt"));
  EXPECT_THROW(Open("mm.dbf", pfReadOnly), Exception);
}

}  // namespace
}  // namespace orv::test
