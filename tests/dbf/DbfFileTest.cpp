// Table file: creation at every level, reopening, header corrections, the production-index link,
// auto-increment, the lock field, record locks and write failures.
#include <sys/wait.h>
#include <set>
#include <unistd.h>
#include "dbf/DbfLang.h"
#include "tests/dbf/DbfTestUtil.h"

namespace orv::test {
namespace {

class DbfFile : public TTempDir {};

TEST_F(DbfFile, CreateAndReopenAtEveryLevel) {
  struct TCase { int Level; Byte Version; Integer HeaderLength; };
  const TCase cases[] = {
      {kLevelDbase3, 0x03, 32 + 3 * 32 + 1}, {kLevelDbase4, 0x03, 32 + 3 * 32 + 1},
      {kLevelFoxPro, 0x05, 32 + 3 * 32 + 1}, {kLevelDbase7, 0x04, 68 + 3 * 48 + 1}};
  for (const auto& c : cases) {
    std::string name = "t" + std::to_string(c.Level) + ".dbf";
    {
      auto t = Create(name, c.Level, {{"eMail", 'C', 40, 0}, {"Count", 'N', 6, 0}, {"Born", 'D', 8, 0}});
      AppendTexts(*t, {"a@b.c"});
      AppendTexts(*t, {"d@e.f"});
    }
    auto bytes = ReadBytes(name);
    EXPECT_EQ(bytes[0], c.Version) << c.Level;
    EXPECT_EQ(GetLE32(bytes.data() + 4), 2u);
    EXPECT_EQ(GetLE16(bytes.data() + 8), c.HeaderLength);
    EXPECT_EQ(GetLE16(bytes.data() + 10), 1 + 40 + 6 + 8);
    EXPECT_EQ(bytes[static_cast<size_t>(c.HeaderLength) - 1], 0x0D);
    EXPECT_EQ(bytes.size(), static_cast<size_t>(c.HeaderLength) + 2 * 55 + 1);
    EXPECT_EQ(bytes.back(), 0x1A) << "the end-of-file byte follows the last record";
    auto r = Open(name, pfReadOnly);
    EXPECT_EQ(r->TableLevelCode(), c.Level == kLevelDbase4 && DbfGlobals().DefaultLocale == 0 ? kLevelDbase3 : r->TableLevelCode());
    ASSERT_EQ(r->FieldDefs().Count(), 3u);
    EXPECT_EQ(r->FieldDefs()[0].FieldName(), "EMAIL");
    EXPECT_EQ(r->FieldDefs()[2].Offset(), 47);
    EXPECT_EQ(r->RecordCount(), 2);
    EXPECT_EQ(ReadText(*r, 2, 0), "d@e.f");
  }
}

TEST_F(DbfFile, UserLocaleDecidesTheLanguageDriver) {
  TDbfGlobals& globals = DbfGlobals();
  const Cardinal savedLocale = globals.DefaultLocale, savedCodePage = globals.DefaultCodePage;
  struct TCase { Cardinal Locale; int Level; Byte Driver; const char* Name; int LevelRead; Cardinal CodePage; };
  const TCase cases[] = {
      {0x407, kLevelDbase4, 0x61, "", kLevelDbase4, 1252},
      {0x409, kLevelDbase4, 0x37, "", kLevelDbase4, 850},
      {0x409, kLevelFoxPro, 0x01, "", kLevelFoxPro, 437},
      {0x409, kLevelDbase3, 0x00, "", kLevelDbase3, 1252},
      {0x0C1A, kLevelDbase4, 0x00, "", kLevelDbase3, 1252},  // no entry: reads back as level III
      {0x409, kLevelDbase7, 0x00, "DBWINUS0", kLevelDbase7, 1252},
  };
  for (const auto& c : cases) {
    globals.DefaultLocale = c.Locale;
    globals.DefaultCodePage = 1252;
    { auto t = Create("loc.dbf", c.Level, {{"A", 'C', 4, 0}}); }
    auto r = Open("loc.dbf", pfReadOnly);
    EXPECT_EQ(r->LanguageDriver(), c.Level == kLevelDbase7 ? 0 : c.Driver) << std::hex << c.Locale;
    EXPECT_EQ(r->LanguageName(), c.Name);
    EXPECT_EQ(r->TableLevelCode(), c.LevelRead) << std::hex << c.Locale;
    EXPECT_EQ(r->UseCodePage(), c.CodePage) << std::hex << c.Locale;
  }
  globals.DefaultLocale = savedLocale;
  globals.DefaultCodePage = savedCodePage;
}

TEST_F(DbfFile, InMemoryTableWithMemo) {
  TDbfFile t("");
  t.SetMode(pfMemoryCreate);
  t.SetTableLevelCode(kLevelFoxPro);
  t.OpenDbfFile();
  t.FinishCreate(MakeDefs({{"NAME", 'C', 8, 0}, {"NOTE", 'M', 10, 0}}, kLevelFoxPro), 512);
  ASSERT_NE(t.MemoFile(), nullptr);
  std::vector<Byte> rec(static_cast<size_t>(t.RecordSize()));
  for (int i = 0; i < 3; ++i) {
    t.BlankRecord(rec.data());
    Integer block = 0;
    t.MemoFile()->WriteMemo(block, 0, "note " + std::to_string(i));
    t.EncodeFieldValue(1, ftInteger, rec.data(), &block);
    t.InsertRecord(rec.data());
  }
  EXPECT_EQ(t.RecordCount(), 3);
  ASSERT_EQ(t.ReadRecord(3, rec.data()), t.RecordSize());
  std::int32_t block = 0;
  ASSERT_TRUE(t.DecodeFieldValue(1, ftInteger, &block, rec.data()));
  EXPECT_EQ(t.MemoFile()->ReadMemo(block), "note 2");
  EXPECT_FALSE(std::filesystem::exists(".fpt"));
}

TEST_F(DbfFile, LongCharacterFieldUsesTheDecimalsByte) {
  { auto t = Create("c.dbf", kLevelDbase4, {{"TEXT", 'C', 300, 0}}); }
  auto bytes = ReadBytes("c.dbf");
  EXPECT_EQ(bytes[32 + 16], 44);
  EXPECT_EQ(bytes[32 + 17], 1);
  EXPECT_EQ(Open("c.dbf")->FieldDefs()[0].Size(), 300);
}

TEST_F(DbfFile, MemoTablesGetMemoBitsAndFiles) {
  struct TCase { int Level; Byte Version; const char* Memo; };
  const TCase cases[] = {{kLevelDbase3, 0x83, "m3.dbt"}, {kLevelDbase4, 0x8B, "m4.dbt"},
                         {kLevelFoxPro, 0xF5, "m5.fpt"}, {kLevelDbase7, 0x8C, "m6.dbt"}};
  for (const auto& c : cases) {
    std::string name = std::string(c.Memo).substr(0, 2) + ".dbf";
    {
      auto t = Create(name, c.Level, {{"NOTE", 'M', 10, 0}});
      ASSERT_NE(t->MemoFile(), nullptr);
      Integer block = 0;
      t->MemoFile()->WriteMemo(block, 0, "memo text");
      std::vector<Byte> rec(static_cast<size_t>(t->RecordSize()));
      t->BlankRecord(rec.data());
      t->EncodeFieldValue(0, ftInteger, rec.data(), &block);
      t->InsertRecord(rec.data());
    }
    EXPECT_EQ(ReadBytes(name)[0], c.Version) << c.Level;
    EXPECT_TRUE(std::filesystem::exists(Path(c.Memo))) << c.Memo;
    auto r = Open(name, pfReadOnly);
    std::vector<Byte> rec(static_cast<size_t>(r->RecordSize()));
    r->ReadRecord(1, rec.data());
    std::int32_t block = 0;
    ASSERT_TRUE(r->DecodeFieldValue(0, ftInteger, &block, rec.data()));
    EXPECT_EQ(r->MemoFile()->ReadMemo(block), "memo text") << c.Level;
  }
}

TEST_F(DbfFile, CompanionFilesAreFoundWithoutRegardToCase) {
  { auto t = Create("UP.DBF", kLevelDbase4, {{"NOTE", 'M', 10, 0}}); }
  EXPECT_TRUE(std::filesystem::exists(Path("UP.DBT")));
  std::filesystem::rename(Path("UP.DBT"), Path("up.dBt"));
  auto r = Open("UP.DBF", pfReadOnly);
  ASSERT_NE(r->MemoFile(), nullptr);
  EXPECT_EQ(r->MemoFile()->FileName(), Path("up.dBt"));
}

TEST_F(DbfFile, HeaderCountIsCorrectedFromTheFileSize) {
  {
    auto t = Create("n.dbf", kLevelDbase3, {{"A", 'C', 5, 0}});
    for (int i = 0; i < 3; ++i) AppendTexts(*t, {"x"});
  }
  auto bytes = ReadBytes("n.dbf");
  PutLE32(bytes.data() + 4, 77);
  WriteBytes("n.dbf", bytes);
  { auto r = Open("n.dbf", pfReadOnly); EXPECT_EQ(r->HeaderRecordCount(), 3u); }
  EXPECT_EQ(GetLE32(ReadBytes("n.dbf").data() + 4), 77u) << "a read-only open writes nothing";
  { auto w = Open("n.dbf", pfReadWriteOpen); }
  EXPECT_EQ(GetLE32(ReadBytes("n.dbf").data() + 4), 3u);
  // A count below the size is what other processes' appends in progress look like: a shared open
  // leaves it to them, an exclusive one corrects it.
  bytes = ReadBytes("n.dbf");
  PutLE32(bytes.data() + 4, 1);
  WriteBytes("n.dbf", bytes);
  { auto w = Open("n.dbf", pfReadWriteOpen); }
  EXPECT_EQ(GetLE32(ReadBytes("n.dbf").data() + 4), 1u);
  { auto w = Open("n.dbf", pfExclusiveOpen); }
  EXPECT_EQ(GetLE32(ReadBytes("n.dbf").data() + 4), 3u);
}

// The header count after an append covers the record written, also where it fell short of the
// file, and the places other processes are still appending to.
TEST_F(DbfFile, AppendCountCoversTheRecordWritten) {
  {
    auto t = Create("s.dbf", kLevelDbase4, {{"A", 'C', 5, 0}});
    for (int i = 0; i < 60; ++i) AppendTexts(*t, {"r" + std::to_string(i + 1)});
  }
  auto bytes = ReadBytes("s.dbf");
  PutLE32(bytes.data() + 4, 30);
  WriteBytes("s.dbf", bytes);
  {
    auto w = Open("s.dbf", pfReadWriteOpen);
    ASSERT_EQ(w->HeaderRecordCount(), 30u) << "a shared open keeps a short count";
    EXPECT_EQ(AppendTexts(*w, {"new"}), 61);
    EXPECT_EQ(w->HeaderRecordCount(), 61u);
  }
  EXPECT_EQ(GetLE32(ReadBytes("s.dbf").data() + 4), 61u);
  EXPECT_EQ(ReadBytes("s.dbf").back(), 0x1A) << "the end-of-file mark follows the last record";
  // While this process takes record 62, another one appends record 63 and, as some programs do,
  // counts it in before its record is written: the count covers both.
  auto other = Open("s.dbf", pfReadWriteOpen);
  {
    auto w = Open("s.dbf", pfReadWriteOpen);
    ASSERT_TRUE(w->LockPage(62, false));
    ASSERT_TRUE(other->LockPage(63, false));
    Byte counted[4];
    PutLE32(counted, 62);
    ASSERT_EQ(other->WriteAt(4, counted, 4), 4);
    EXPECT_EQ(AppendTexts(*w, {"next"}), 62);
    EXPECT_EQ(w->HeaderRecordCount(), 63u);
  }
  std::vector<Byte> rec(static_cast<size_t>(other->RecordSize()), ' ');
  std::copy_n("theirs", 5, rec.begin() + 1);
  other->WriteRecord(63, rec.data());
  other->UnlockPage(63);
  other.reset();
  // Without others the count grows by the one record.
  auto x = Open("s.dbf", pfExclusiveOpen);
  EXPECT_EQ(x->HeaderRecordCount(), 63u);
  EXPECT_EQ(AppendTexts(*x, {"last"}), 64);
  EXPECT_EQ(x->HeaderRecordCount(), 64u);
  EXPECT_EQ(ReadText(*x, 61, 0), "new");
  EXPECT_EQ(ReadText(*x, 63, 0), "their");
}

TEST_F(DbfFile, MissingProductionIndex) {
  { auto t = Create("p.dbf", kLevelDbase4, {{"A", 'C', 5, 0}}); AppendTexts(*t, {"x"}); }
  MarkProductionIndex("p.dbf");
  {
    auto keep = std::make_unique<TDbfFile>(Path("p.dbf"));
    keep->OnIndexMissing = [](bool& deleteLink) { deleteLink = false; };
    keep->OpenDbfFile();
    EXPECT_TRUE(keep->OpenFailed());
    EXPECT_FALSE(keep->Opened());
  }
  {
    auto t = Open("p.dbf", pfExclusiveOpen);
    EXPECT_TRUE(t->Opened());
    EXPECT_TRUE(t->IndexFiles().empty());
    AppendTexts(*t, {"y"});
  }
  EXPECT_EQ(ReadBytes("p.dbf")[28], 0) << "the link is dropped with the next header write";
  WriteBytes("p.mdx", {0});
  MarkProductionIndex("p.dbf");
  auto withFile = Open("p.dbf", pfReadOnly);
  EXPECT_TRUE(withFile->Opened()) << "an index file that exists is not the table's to unlink";
  EXPECT_EQ(withFile->Header()[28], 1);
}

TEST_F(DbfFile, CreationLimits) {
  struct TCase { int Level; int Fields; Integer Size; const char* Message; };
  const TCase cases[] = {
      {kLevelDbase4, 0, 1, "Invalid field count: 0 (must be between 1 and 4095)."},
      {kLevelDbase4, 4096, 1, "Invalid field count: 4096 (must be between 1 and 4095)."},
      {kLevelDbase4, 2047, 1, "Invalid header length: 65537 (must be at most 65535)."},
      {kLevelDbase7, 1364, 1, "Invalid header length: 65541 (must be at most 65535)."},
      {kLevelDbase4, 2, 65534, "Invalid record length: 131069 (must be between 1 and 65535)."},
  };
  for (const auto& c : cases) {
    TDbfFieldDefs defs;
    defs.TableLevel = c.Level;
    for (int i = 0; i < c.Fields; ++i) {
      TDbfFieldDef& d = defs.Add();
      d.SetFieldName("F" + std::to_string(i));
      d.SetNativeFieldType('C');
      d.SetSize(c.Size);
    }
    TDbfFile t(Path("lim.dbf"));
    t.SetMode(pfExclusiveCreate);
    t.SetTableLevelCode(c.Level);
    t.OpenDbfFile();
    try {
      t.FinishCreate(defs, 512);
      ADD_FAILURE() << c.Message;
    } catch (const EDbfError& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
  }
  EXPECT_NO_THROW(Create("ok.dbf", kLevelDbase4, {{"A", 'C', 65534, 0}}));
}

TEST_F(DbfFile, AutoIncrementNeverHandsOutAValueTwice) {
  {
    auto t = Create("a.dbf", kLevelDbase7, {{"ID", '+', 4, 0}, {"NAME", 'C', 10, 0}});
    for (int i = 0; i < 3; ++i) AppendTexts(*t, {});
    // An exclusive table writes its header at close: the counter must survive that write.
  }
  {
    auto t = Open("a.dbf", pfExclusiveOpen);
    AppendTexts(*t, {});
  }
  auto t = Open("a.dbf", pfReadWriteOpen);
  AppendTexts(*t, {});
  std::vector<Byte> rec(static_cast<size_t>(t->RecordSize()));
  for (Integer n = 1; n <= 5; ++n) {
    t->ReadRecord(n, rec.data());
    std::int32_t id = 0;
    ASSERT_TRUE(t->DecodeFieldValue(0, ftAutoInc, &id, rec.data()));
    EXPECT_EQ(id, n) << "record " << n;
  }
  EXPECT_EQ(GetLE32(t->Header() + 68 + 42), 6u);
}

TEST_F(DbfFile, LockFieldRecordsWhoLocked) {
  DbfGlobals().SetComputerName("hostname-longer-than-field");
  auto t = Create("l.dbf", kLevelDbase4, {{"_dbaselock", 'C', 16, 0}, {"A", 'C', 4, 0}}, pfReadWriteCreate);
  ASSERT_TRUE(t->HasLockField());
  EXPECT_EQ(t->LockNameLength(), 8);
  AppendTexts(*t, {"", "abcd"});
  std::vector<Byte> rec(static_cast<size_t>(t->RecordSize()));
  t->ReadRecord(1, rec.data());
  const Word afterAppend = GetLE16(rec.data() + 1);
  t->LockRecord(1, rec.data());
  EXPECT_EQ(GetLE16(rec.data() + 1), static_cast<Word>(afterAppend + 1)) << "each lock counts";
  EXPECT_EQ(std::string(rec.begin() + 9, rec.begin() + 17), "hostname");
  auto other = Open("l.dbf", pfReadWriteOpen);
  std::vector<Byte> rec2(rec.size());
  try {
    other->LockRecord(1, rec2.data());
    FAIL() << "a locked record was locked twice";
  } catch (const EDbfError& e) {
    EXPECT_EQ(e.Message(), "Record locked.");
  }
  t->UnlockRecord(1, rec.data());
  EXPECT_NO_THROW(other->LockRecord(1, rec2.data()));
  other->UnlockRecord(1, rec2.data());
}

TEST_F(DbfFile, AFailedWriteIsReported) {
  auto t = Create("w.dbf", kLevelDbase4, {{"A", 'C', 4, 0}});
  AppendTexts(*t, {"ok"});
  std::vector<Byte> rec(static_cast<size_t>(t->RecordSize()));
  t->LockRecord(1, rec.data());
  t->SetWriteError();  // stands for a write the disk refused
  try {
    t->UnlockRecord(1, rec.data());
    FAIL() << "a failed write was reported as success";
  } catch (const EDbfWriteError& e) {
    EXPECT_EQ(e.Message(), "Error while writing occurred. (Disk full?)");
  }
  EXPECT_FALSE(t->WriteError());
}

TEST_F(DbfFile, ReadOnlyTableRefusesAppends) {
  { auto t = Create("ro.dbf", kLevelDbase4, {{"A", 'C', 4, 0}}); AppendTexts(*t, {"x"}); }
  auto r = Open("ro.dbf", pfReadOnly);
  EXPECT_THROW(AppendTexts(*r, {"y"}), EDbfWriteError);
  EXPECT_EQ(r->RecordCount(), 1);
}

TEST_F(DbfFile, ProcessesAppendingAtOnceLoseNothing) {
  constexpr int kProcesses = 4, kEach = 40;
  { auto t = Create("c.dbf", kLevelDbase7, {{"ID", '+', 4, 0}, {"WHO", 'C', 8, 0}, {"NOTE", 'M', 10, 0}}); }
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = fork();
    if (pid == 0) {
      int rc = 0;
      try {
        TDbfFile t(Path("c.dbf"));
        t.SetMode(pfReadWriteOpen);
        t.OpenDbfFile();
        for (int i = 0; i < kEach; ++i) {
          std::vector<Byte> rec(static_cast<size_t>(t.RecordSize()));
          t.BlankRecord(rec.data());
          std::string who = "p" + std::to_string(p) + "-" + std::to_string(i);
          t.EncodeFieldValue(1, ftString, rec.data(), who.c_str());
          Integer block = 0;
          t.MemoFile()->WriteMemo(block, 0, who + std::string(600, '.'));
          t.EncodeFieldValue(2, ftInteger, rec.data(), &block);
          t.InsertRecord(rec.data());
        }
      } catch (...) {
        rc = 1;
      }
      _exit(rc);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  auto t = Open("c.dbf", pfReadOnly);
  ASSERT_EQ(t->RecordCount(), kProcesses * kEach);
  EXPECT_EQ(t->HeaderRecordCount(), static_cast<LongWord>(kProcesses * kEach));
  std::set<std::int32_t> ids, blocks;
  std::set<std::string> whos;
  std::vector<Byte> rec(static_cast<size_t>(t->RecordSize()));
  for (Integer n = 1; n <= t->RecordCount(); ++n) {
    ASSERT_EQ(t->ReadRecord(n, rec.data()), t->RecordSize());
    EXPECT_EQ(rec[0], ' ') << "record " << n << " deletion flag";
    std::int32_t id = 0, block = 0;
    ASSERT_TRUE(t->DecodeFieldValue(0, ftAutoInc, &id, rec.data()));
    ASSERT_TRUE(t->DecodeFieldValue(2, ftInteger, &block, rec.data()));
    char who[9];
    t->DecodeFieldValue(1, ftString, who, rec.data());
    ids.insert(id);
    blocks.insert(block);
    whos.insert(who);
    EXPECT_EQ(t->MemoFile()->ReadMemo(block), std::string(who) + std::string(600, '.'));
  }
  EXPECT_EQ(ids.size(), static_cast<size_t>(kProcesses * kEach)) << "an auto-increment value was handed out twice";
  EXPECT_EQ(blocks.size(), static_cast<size_t>(kProcesses * kEach)) << "two memos share blocks";
  EXPECT_EQ(whos.size(), static_cast<size_t>(kProcesses * kEach)) << "a record was lost";
}

}  // namespace
}  // namespace orv::test
