// The table data set: opening and auto-creation, browsing with deleted and filtered records,
// editing under record locks, memos through blob streams, code-page conversion and creation.
#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include "dbf/DbfFile.h"
#include "dbf/DbfTable.h"
#include "platform/rtl/CodePages.h"
#include "tests/dbf/DbfTestUtil.h"

namespace orv::test {
namespace {

class Table : public TTempDir {
 protected:
  std::unique_ptr<TDbfTable> Make(const std::string& name = "t.dbf") {
    auto t = std::make_unique<TDbfTable>();
    t->SetFilePath(Dir);
    t->SetTableName(name);
    return t;
  }
  // A level-IV table with NAME C(20), CITY C(15) and NOTE M, created through the data set.
  std::unique_ptr<TDbfTable> Created(const std::string& name = "t.dbf", bool memo = true) {
    auto t = Make(name);
    t->FieldDefs().Add("NAME", ftString, 20);
    t->FieldDefs().Add("CITY", ftString, 15);
    if (memo) t->FieldDefs().Add("NOTE", ftMemo);
    t->CreateTable();
    t->Open();
    return t;
  }
  static void AppendRow(TDbfTable& t, const std::string& name, const std::string& city) {
    t.Append();
    t.FieldByName("NAME")->SetAsString(name);
    t.FieldByName("CITY")->SetAsString(city);
    t.Post();
  }
  static std::vector<std::string> Names(TDbfTable& t) {
    std::vector<std::string> out;
    for (t.First(); !t.Eof(); t.Next()) out.push_back(t.FieldByName("NAME")->AsString());
    return out;
  }
};

TEST_F(Table, OpeningAMissingTable) {
  auto normal = Make("none.dbf");
  try {
    normal->Open();
    FAIL() << "a missing table opened";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.Message()).find("Open: file not found"), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(normal->Active());

  auto declined = Make("declined.dbf");
  declined->OpenMode = omAutoCreate;
  declined->FieldDefs().Add("A", ftString, 5);
  declined->BeforeAutoCreate = [](TDbfTable*, bool& doCreate) { doCreate = false; };
  declined->Open();
  EXPECT_FALSE(declined->Active());
  EXPECT_FALSE(std::filesystem::exists(Path("declined.dbf")));

  auto created = Make("auto.dbf");
  created->OpenMode = omAutoCreate;
  created->FieldDefs().Add("FIRST", ftString, 12);
  created->FieldDefs().Add("AGE", ftInteger);
  created->Open();
  ASSERT_TRUE(created->Active());
  ASSERT_EQ(created->FieldCount(), 2);
  EXPECT_EQ(created->Fields().Fields(0)->FieldName(), "FIRST");
  EXPECT_EQ(created->Fields().Fields(0)->Size(), 12);
  EXPECT_EQ(created->TableLevel(), 4);
  EXPECT_TRUE(created->IsEmpty());
}

TEST_F(Table, AHeaderThatDoesNotHoldTogetherIsRefused) {
  WriteBytes("bad.dbf", std::vector<Byte>(40, 0x03));
  auto t = Make("bad.dbf");
  EXPECT_ANY_THROW(t->Open());
  EXPECT_FALSE(t->Active());
}

TEST_F(Table, RecordCountIsThePhysicalCountAndDeletedRecordsAreSkipped) {
  auto t = Created();
  AppendRow(*t, "Anna", "Bonn");
  AppendRow(*t, "Bert", "Celle");
  AppendRow(*t, "Carl", "Dessau");
  t->First();
  t->Next();
  t->Delete();
  EXPECT_EQ(t->RecordCount(), 3);
  EXPECT_EQ(Names(*t), (std::vector<std::string>{"Anna", "Carl"}));
  t->SetShowDeleted(true);
  EXPECT_EQ(Names(*t), (std::vector<std::string>{"Anna", "Bert", "Carl"}));
  t->SetShowDeleted(false);
  for (t->First(); !t->Eof();) t->Delete();
  EXPECT_TRUE(t->IsEmpty());
  EXPECT_EQ(t->RecordCount(), 3);
  t->Close();
  auto file = Open("t.dbf", pfReadOnly);
  std::vector<Byte> rec(static_cast<size_t>(file->RecordSize()));
  for (Integer n = 1; n <= 3; ++n) {
    ASSERT_EQ(file->ReadRecord(n, rec.data()), file->RecordSize());
    EXPECT_EQ(rec[0], '*') << "record " << n << " is not marked deleted";
  }
}

TEST_F(Table, OnFilterRecordDecidesWhichRecordsAreSeen) {
  auto t = Created();
  for (auto [n, c] : {std::pair{"Anna", "Bonn"}, {"Bert", "Celle"}, {"Carl", "Bonn"}, {"Dora", "Essen"}})
    AppendRow(*t, n, c);
  struct Case {
    const char* What;
    std::function<bool(TDbfTable&)> Accept;
    std::vector<std::string> Seen;
  } cases[] = {
      {"all", [](TDbfTable&) { return true; }, {"Anna", "Bert", "Carl", "Dora"}},
      {"none", [](TDbfTable&) { return false; }, {}},
      {"by city", [](TDbfTable& d) { return d.FieldByName("CITY")->AsString() == "Bonn"; }, {"Anna", "Carl"}},
      {"only the last", [](TDbfTable& d) { return d.FieldByName("NAME")->AsString() == "Dora"; }, {"Dora"}},
      {"only the first", [](TDbfTable& d) { return d.FieldByName("NAME")->AsString() == "Anna"; }, {"Anna"}},
  };
  for (const auto& c : cases) {
    t->Filtered() ? void() : t->SetFiltered(true);
    t->OnFilterRecord = [&](TDataSet*, bool& accept) { accept = c.Accept(*t); };
    EXPECT_EQ(Names(*t), c.Seen) << c.What;
    EXPECT_EQ(t->RecordCount(), 4) << c.What;
  }
  t->OnFilterRecord = [&](TDataSet*, bool& accept) { accept = t->FieldByName("CITY")->AsString() == "Bonn"; };
  t->Last();
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Carl");
  t->Prior();
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Anna");
  t->SetFiltered(false);
  EXPECT_EQ(Names(*t).size(), 4u);
}

TEST_F(Table, FilterTextsCompileAgainstTheTable) {
  auto t = Created();
  for (auto [n, c] : {std::pair{"Anna", "Bonn"}, {"Bert", "Celle"}, {"Carl", "bonn"}}) AppendRow(*t, n, c);
  t->SetFilterText("CITY = 'Bonn'");
  t->SetFiltered(true);
  EXPECT_EQ(Names(*t), (std::vector<std::string>{"Anna"}));
  t->SetFilterOptions(TFilterOptions{foCaseInsensitive});
  EXPECT_EQ(Names(*t), (std::vector<std::string>{"Anna", "Carl"}));
  EXPECT_ANY_THROW(t->SetFilterText("NOSUCH = 1"));
  EXPECT_EQ(t->Filter(), "");
  EXPECT_EQ(Names(*t).size(), 3u) << "a filter that did not compile still filters";
  t->Close();
  t->SetFilterText("CITY = (");
  t->Open();
  EXPECT_EQ(t->Filter(), "") << "a filter that does not compile at open is kept";
  EXPECT_EQ(Names(*t).size(), 3u);
  // A filter set before opening is compiled at open as the parser comes, without regard to case
  // whatever FilterOptions say; set on the open table, the options apply again.
  t->Close();
  t->SetFilterOptions(TFilterOptions{});
  t->SetFilterText("CITY = 'Bonn'");
  t->Open();
  EXPECT_EQ(t->Filter(), "CITY = 'Bonn'");
  EXPECT_EQ(Names(*t), (std::vector<std::string>{"Anna", "Carl"}));
  t->SetFilterText("CITY = 'Bonn'");
  EXPECT_EQ(Names(*t), (std::vector<std::string>{"Anna"}));
}

TEST_F(Table, EditsPostAndBookmarksSurviveThem) {
  auto t = Created();
  AppendRow(*t, "Anna", "Bonn");
  AppendRow(*t, "Bert", "Celle");
  AppendRow(*t, "Carl", "Dessau");
  t->First();
  t->Next();
  const TBookmark mark = t->GetBookmark();
  ASSERT_EQ(mark.size(), 4u);
  EXPECT_EQ(t->RecNo(), 2);
  t->Edit();
  EXPECT_EQ(t->LockedRecNo(), 2);
  t->FieldByName("CITY")->SetAsString("Cuxhaven");
  t->Post();
  EXPECT_EQ(t->LockedRecNo(), -1);
  t->Last();
  t->Edit();
  t->FieldByName("NAME")->SetAsString("Cora");
  t->Cancel();
  t->GotoBookmark(mark);
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Bert");
  EXPECT_EQ(t->FieldByName("CITY")->AsString(), "Cuxhaven");
  t->Last();
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Carl") << "a cancelled edit reached the file";
  EXPECT_LT(t->CompareBookmarks(mark, t->GetBookmark()), 0);
  EXPECT_EQ(t->CompareBookmarks(TBookmark(), mark), 1);
  EXPECT_EQ(t->CompareBookmarks(TBookmark(), TBookmark()), 0);
  t->SetRecNo(1);
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Anna");
  t->Close();
  auto file = Open("t.dbf", pfReadOnly);
  EXPECT_EQ(ReadText(*file, 2, 1), "Cuxhaven");
}

TEST_F(Table, ADeleteIsAnEditAndAPostWithTheirEvents) {
  auto a = Created();
  AppendRow(*a, "Anna", "Bonn");
  AppendRow(*a, "Bert", "Celle");
  std::vector<std::string> events;
  auto note = [&](const char* name) { return [&events, name](TDataSet*) { events.push_back(name); }; };
  a->BeforeDelete = note("BeforeDelete");
  a->BeforeEdit = note("BeforeEdit");
  a->AfterEdit = note("AfterEdit");
  a->BeforePost = note("BeforePost");
  a->AfterPost = note("AfterPost");
  a->AfterDelete = note("AfterDelete");
  a->First();
  a->Delete();
  EXPECT_EQ(events, (std::vector<std::string>{"BeforeDelete", "BeforeEdit", "AfterEdit", "BeforePost", "AfterPost",
                                              "AfterDelete"}));
  EXPECT_EQ(a->State(), dsBrowse);
  EXPECT_EQ(a->FieldByName("NAME")->AsString(), "Bert");
  EXPECT_EQ(Names(*a), std::vector<std::string>{"Bert"});
  // A record locked elsewhere: the edit's error event is asked first, then the delete's.
  auto b = Make();
  b->Open();
  b->First();
  b->Edit();
  events.clear();
  a->First();
  std::vector<std::string> errors;
  a->OnEditError = [&](TDataSet*, EDatabaseError& e, TDataAction& action) {
    errors.push_back("edit: " + std::string(e.Message()));
    action = daFail;
  };
  a->OnDeleteError = [&](TDataSet*, EDatabaseError& e, TDataAction& action) {
    errors.push_back("delete: " + std::string(e.Message()));
    action = daFail;
  };
  EXPECT_THROW(a->Delete(), EDbfError);
  EXPECT_EQ(errors, (std::vector<std::string>{"edit: Record locked.", "delete: Record locked."}));
  EXPECT_EQ(a->State(), dsBrowse);
  b->Cancel();
  EXPECT_EQ(Names(*a), std::vector<std::string>{"Bert"});
}

TEST_F(Table, SettingsTheTableFileKeeps) {
  auto t = Make();
  EXPECT_EQ(t->DateTimeHandling, dtTimeStamp);
  EXPECT_FALSE(t->StoreDefs);
  t->FieldDefs().Add("NAME", ftString, 20);
  EXPECT_TRUE(t->StoreDefs) << "changed definitions are stored";
  t->FieldDefs().Add("CITY", ftString, 15);
  t->CreateTable();
  t->DateTimeHandling = dtDateTime;
  int calls = 0;
  t->OnCompareRecord = [&] { ++calls; };
  t->Open();
  ASSERT_NE(t->DbfFile(), nullptr);
  EXPECT_EQ(t->DbfFile()->DateTimeHandling, dtDateTime);
  ASSERT_TRUE(t->DbfFile()->OnCompareRecord);
  AppendRow(*t, "Anna", "");
  EXPECT_EQ(calls, 0) << "stored, never called";
}

TEST_F(Table, ARecordLockedElsewhereCannotBeEdited) {
  auto a = Created();
  AppendRow(*a, "Anna", "Bonn");
  auto b = Make();
  b->Open();
  a->First();
  a->Edit();
  b->First();
  try {
    b->Edit();
    FAIL() << "edited a locked record";
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.Message()), "Record locked.");
  }
  EXPECT_EQ(b->State(), dsBrowse);
  a->Cancel();
  b->Edit();
  b->FieldByName("NAME")->SetAsString("Anne");
  b->Post();
  a->Refresh();
  EXPECT_EQ(a->FieldByName("NAME")->AsString(), "Anne");
  AppendRow(*a, "Bert", "Celle");
  EXPECT_EQ(b->RecordCount(), 2) << "the other process's append is not seen";
}

TEST_F(Table, MemosReadBackAsWrittenThroughTheTablesCodePage) {
  auto t = Created();
  const std::string text = "Gr\xFC\xDF" "e aus M\xFCnchen, \xC4rger \xFC" "ber \xD6l";
  t->Append();
  t->FieldByName("NAME")->SetAsString("M\xFCller");
  t->FieldByName("NOTE")->SetAsString(text);
  t->Post();
  EXPECT_EQ(t->FieldByName("NOTE")->AsString(), text) << "the memo shows bytes of the table's code page";
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "M\xFCller");
  t->Close();
  t->Open();
  EXPECT_EQ(t->FieldByName("NOTE")->AsString(), text);
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "M\xFCller");
  auto file = t->DbfFile();
  ASSERT_EQ(file->UseCodePage(), 850u);
  std::vector<Byte> rec(static_cast<size_t>(file->RecordSize()));
  file->ReadRecord(1, rec.data());
  EXPECT_EQ(rec[2], 0x81) << "u-umlaut is not stored in code page 850";
}

TEST_F(Table, BlobStreamsKeepTheirChangesAtPost) {
  auto t = Created();
  AppendRow(*t, "Anna", "Bonn");
  t->Edit();
  {
    auto s = t->CreateBlobStream(t->FieldByName("NOTE"), bmReadWrite);
    s->Write("first text and a tail", 21);
    s->SetPosition(10);  // read/write: the memo ends where the position was left
  }
  t->Post();
  EXPECT_EQ(t->FieldByName("NOTE")->AsString(), "first text");
  t->Edit();
  {
    auto s = t->CreateBlobStream(t->FieldByName("NOTE"), bmReadWrite);
    s->Seek(0, soEnd);
    s->Write(" and more", 9);
    auto again = t->CreateBlobStream(t->FieldByName("NOTE"), bmRead);
    EXPECT_EQ(again->Size(), 19) << "two references are not the same stream";
    s.reset();
    char buf[5] = {};
    again->SetPosition(0);
    EXPECT_EQ(again->Read(buf, 5), 5) << "freeing one reference broke the other";
  }
  t->Post();
  t->Close();
  t->Open();
  EXPECT_EQ(t->FieldByName("NOTE")->AsString(), "first text and more");
  t->Edit();
  t->FieldByName("NOTE")->SetAsString("discarded");
  t->Cancel();
  EXPECT_EQ(t->FieldByName("NOTE")->AsString(), "first text and more");
  t->Edit();
  t->FieldByName("NOTE")->SetAsString("");
  t->Post();
  EXPECT_EQ(t->FieldByName("NOTE")->AsString(), "");
  // A stream opened for writing keeps all it was given, wherever it was left.
  t->Edit();
  {
    auto s = t->CreateBlobStream(t->FieldByName("NOTE"), bmWrite);
    s->Write("kept whole", 10);
    s->SetPosition(0);
  }
  t->Post();
  EXPECT_EQ(t->FieldByName("NOTE")->AsString(), "kept whole");
}

TEST_F(Table, CreationFailuresLeaveNoTableBehindAndNeverALiveOne) {
  auto empty = Make("empty.dbf");
  try {
    empty->CreateTable();
    FAIL() << "a table without fields was created";
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.Message()), "Invalid field count: 0 (must be between 1 and 4095).");
  }
  EXPECT_FALSE(std::filesystem::exists(Path("empty.dbf")));

  auto tooWide = Make("wide.dbf");
  for (int i = 0; i < 300; ++i) tooWide->FieldDefs().Add("F" + std::to_string(i), ftString, 254);
  EXPECT_ANY_THROW(tooWide->CreateTable());
  EXPECT_FALSE(std::filesystem::exists(Path("wide.dbf"))) << "a half-made table was left";

  // Its memo and index files go with it.
  auto withMemo = Make("memo.dbf");
  withMemo->FieldDefs().Add("NAME", ftString, 10);
  withMemo->FieldDefs().Add("NOTE", ftMemo);
  TDbfIndexDef* def = withMemo->IndexDefs().Add();
  def->SetIndexFile("BYNOTHING");
  def->SetSortField("NOSUCHFIELD");
  EXPECT_ANY_THROW(withMemo->CreateTable());
  for (const char* name : {"memo.dbf", "memo.dbt", "memo.mdx"})
    EXPECT_FALSE(std::filesystem::exists(Path(name))) << name << " was left";

  auto live = Created("live.dbf");
  AppendRow(*live, "Anna", "Bonn");
  auto again = Make("live.dbf");
  again->FieldDefs().Add("X", ftString, 3);
  EXPECT_ANY_THROW(again->CreateTable());
  ASSERT_TRUE(std::filesystem::exists(Path("live.dbf"))) << "creation deleted a table that is in use";
  live->Refresh();
  EXPECT_EQ(live->RecordCount(), 1);
  EXPECT_EQ(live->FieldByName("NAME")->AsString(), "Anna");
}

TEST_F(Table, FieldDefinitionsFromTheFile) {
  {
    TDbfFieldDefs defs = MakeDefs({{"ID", '+', 4, 0}, {"NAME", 'C', 10, 0}, {"_DBASELOCK", 'C', 24, 0}}, kLevelDbase7);
    TDbfFile file(Path("seven.dbf"));
    file.SetMode(pfExclusiveCreate);
    file.SetTableLevelCode(kLevelDbase7);
    file.OpenDbfFile();
    file.FinishCreate(defs, 512);
    file.CloseDbfFile();
  }
  auto t = Make("seven.dbf");
  t->Open();
  EXPECT_EQ(t->TableLevel(), 7);
  EXPECT_TRUE(t->FieldByName("ID")->ReadOnly());
  if (TField* lock = t->FindField("_DBASELOCK")) {
    EXPECT_FALSE(lock->Visible());
  }
  EXPECT_ANY_THROW(t->SetTableLevel(4));
  t->Close();
  t->SetTableLevel(5);
  EXPECT_EQ(t->TableLevel(), 7);

  auto dup = Make("dup.dbf");
  dup->FieldDefs().Add("ABCDEFGHIJKLM", ftString, 5);
  dup->FieldDefs().Add("ABCDEFGHIJXYZ", ftString, 5);
  dup->CreateTable();
  dup->Open();
  ASSERT_EQ(dup->FieldCount(), 2);
  EXPECT_EQ(dup->Fields().Fields(0)->FieldName(), "ABCDEFGHIJ");
  EXPECT_EQ(dup->Fields().Fields(1)->FieldName(), "ABCDEFGHIJ2");
  EXPECT_EQ(dup->Version(), "6.29");
}

TEST_F(Table, PathsArePosixFolders) {
  TDbfTable t;
  t.SetFilePath("/srv/data");
  EXPECT_EQ(t.FilePath(), "/srv/data/");
  EXPECT_EQ(t.FilePathFull(), "/srv/data/");
  t.SetTableName("/var/tables/adr.dbf");
  EXPECT_EQ(t.TableName(), "adr.dbf");
  EXPECT_EQ(t.FilePathFull(), "/var/tables/");
  t.SetFilePath("rel");
  EXPECT_EQ(t.FilePath(), "rel/");
  ASSERT_FALSE(t.FilePathFull().empty());
  EXPECT_EQ(t.FilePathFull().front(), '/');
  EXPECT_EQ(t.FilePathFull().substr(t.FilePathFull().size() - 4), "rel/");
  t.SetFilePath("");
  EXPECT_EQ(t.FilePath(), "");
  EXPECT_EQ(t.FilePathFull().back(), '/');
}

TEST_F(Table, ReadOnlyTablesRefuseChanges) {
  { auto t = Created(); AppendRow(*t, "Anna", "Bonn"); }
  auto r = Make();
  r->ReadOnly = true;
  r->Open();
  EXPECT_FALSE(r->CanModify());
  EXPECT_ANY_THROW(r->Edit());
  EXPECT_ANY_THROW(r->Append());
  EXPECT_EQ(r->FieldByName("NAME")->AsString(), "Anna");
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

// Runs under another ANSI code page and another default table code page, restoring both.
class TableUnderCodePages : public Table {
 protected:
  void Use(Cardinal ansi, Cardinal tableCodePage, Cardinal locale) {
    Saved = NlsSettings();
    SavedCodePage = DbfGlobals().DefaultCodePage;
    SavedLocale = DbfGlobals().DefaultLocale;
    TNlsSettings s = Saved;
    s.AnsiCodePage = ansi;
    SetNlsSettings(s);
    DbfGlobals().DefaultCodePage = tableCodePage;
    DbfGlobals().DefaultLocale = locale;
  }
  void TearDown() override {
    SetNlsSettings(Saved);
    DbfGlobals().DefaultCodePage = SavedCodePage;
    DbfGlobals().DefaultLocale = SavedLocale;
    Table::TearDown();
  }
  TNlsSettings Saved;
  Cardinal SavedCodePage = 0, SavedLocale = 0;
};

TEST_F(TableUnderCodePages, DoubleByteMemosAreConvertedWhole) {
  // The application writes code page 936, the table holds 932: the same ideographs, other bytes.
  Use(936, 932, 0x411);
  const WideString ideographs = u"\u65E5\u672C\u8A9E\u5B66\u6821";
  AnsiString text = "a";  // an odd start, so that the 512th byte is a lead byte
  while (text.size() < 1500) text += WideToMultiByte(ideographs, 936);
  const AnsiString name = WideToMultiByte(u"\u65E5\u672C", 936);
  {
    auto t = Created();
    ASSERT_EQ(t->DbfFile()->UseCodePage(), 932u);
    ASSERT_EQ(t->TranslationMode(), tmAdvanced);
    t->Append();
    t->FieldByName("NAME")->SetAsString(name);
    t->FieldByName("NOTE")->SetAsString(text);
    t->Post();
  }
  auto t = Make();
  t->Open();
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), name);
  EXPECT_EQ(t->FieldByName("NOTE")->AsString(), text) << "a character split between two conversions";
  const AnsiString stored = t->DbfFile()->MemoFile()->ReadMemo(
      [&] { std::int32_t b = 0; t->DbfFile()->DecodeFieldValue(2, ftInteger, &b, t->ActiveBuffer() + kRecordDataOffset); return b; }());
  EXPECT_EQ(MultiByteToWide(stored, 932), MultiByteToWide(text, 936));
}

TEST_F(Table, AMemoThatCannotBeStoredFailsThePost) {
  {
    auto t = Created();
    AppendRow(*t, "Anna", "Bonn");
  }
  // The memo file's next free block at the last block number leaves no room for another memo.
  auto dbt = ReadBytes("t.dbt");
  ASSERT_GE(dbt.size(), 4u);
  dbt[0] = 0xFF;
  dbt[1] = 0xFF;
  dbt[2] = 0xFF;
  dbt[3] = 0x7F;
  WriteBytes("t.dbt", dbt);
  auto t = Make();
  t->Open();
  t->Edit();
  t->FieldByName("CITY")->SetAsString("Celle");
  t->FieldByName("NOTE")->SetAsString("no room");
  EXPECT_THROW(t->Post(), EDbfWriteError);
  EXPECT_EQ(t->State(), dsEdit) << "a failed memo write was reported as a post";
  t->Cancel();
  t->Close();
  auto file = Open("t.dbf", pfReadOnly);
  EXPECT_EQ(ReadText(*file, 1, 1), "Bonn") << "the record changed although its memo was not stored";
}

TEST_F(Table, LocateComparesTextsAsAsked) {
  auto t = Created();
  AppendRow(*t, "SCHMIDT", "Bonn");
  AppendRow(*t, "M\xDCLLER", "K\xF6ln");
  AppendRow(*t, "Meier", "Bonn");
  struct Case {
    const char* Fields;
    std::vector<AnsiString> Values;
    TLocateOptions Options;
    bool Found;
    const char* Name;
  } cases[] = {
      {"NAME", {"M\xFC"}, TLocateOptions{loPartialKey, loCaseInsensitive}, true, "M\xDCLLER"},
      {"NAME", {"M\xFC"}, TLocateOptions{loPartialKey}, false, ""},
      {"NAME", {"meier"}, TLocateOptions{loCaseInsensitive}, true, "Meier"},
      {"NAME;CITY", {"Meier"}, TLocateOptions{}, false, ""},
      {"NAME;CITY", {"Meier", "Bonn"}, TLocateOptions{}, true, "Meier"},
      {"CITY", {"Bo"}, TLocateOptions{}, false, ""},
  };
  for (const auto& c : cases) {
    t->First();
    EXPECT_EQ(t->Locate(c.Fields, c.Values, c.Options), c.Found) << c.Fields << " " << c.Values[0];
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), c.Found ? c.Name : "SCHMIDT") << c.Fields << " " << c.Values[0];
  }
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

TEST_F(Table, ClosingASharedTableKeepsOtherProcessesAppends) {
  { auto t = Created("s.dbf", false); }
  auto reader = Make("s.dbf");
  reader->Open();
  EXPECT_TRUE(reader->IsEmpty());
  {
    auto writer = Make("s.dbf");
    writer->Open();
    AppendRow(*writer, "Anna", "Bonn");
    AppendRow(*writer, "Bert", "Celle");
  }
  reader->Close();
  auto file = Open("s.dbf", pfReadOnly);
  EXPECT_EQ(file->HeaderRecordCount(), 2u) << "the reader's close put back its stale record count";
}

TEST_F(Table, BookmarksOfRecordsAppendedElsewhereBecomeValid) {
  { auto t = Created("b.dbf", false); }
  auto reader = Make("b.dbf");
  reader->Open();
  auto writer = Make("b.dbf");
  writer->Open();
  AppendRow(*writer, "Anna", "Bonn");
  const TBookmark anna = writer->GetBookmark();
  reader->First();
  EXPECT_EQ(Names(*reader), std::vector<std::string>{"Anna"});
  AppendRow(*writer, "Bert", "Celle");
  const TBookmark bert = writer->GetBookmark();
  TBookmark beyond = bert;
  beyond[0] = static_cast<char>(beyond[0] + 1);
  EXPECT_TRUE(reader->BookmarkValid(anna));
  EXPECT_TRUE(reader->BookmarkValid(bert)) << "a record appended after the reader last looked";
  EXPECT_FALSE(reader->BookmarkValid(beyond));
  reader->GotoBookmark(bert);
  EXPECT_EQ(reader->FieldByName("NAME")->AsString(), "Bert");
  EXPECT_FALSE(reader->BookmarkValid(TBookmark(4, '\0')));
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

TEST(TableIndexDefs, LookupsByNameAndBySortExpression) {
  TDbfTable t;
  TDbfIndexDef* byName = t.IndexDefs().Add();
  byName->SetIndexFile("name");
  byName->SetSortField("upper(name)");
  TDbfIndexDef* byCity = t.IndexDefs().Add();
  byCity->SetIndexFile("CITY");
  byCity->SetSortField("CITY+NAME");
  EXPECT_EQ(t.IndexDefs().FindByName(byName->IndexFile()), byName);
  EXPECT_EQ(t.IndexDefs().FindByName("city"), nullptr) << "names compare exactly";
  EXPECT_EQ(t.IndexDefs().FindBySortField("  city+name "), byCity);
  EXPECT_EQ(t.IndexDefs().FindBySortField(""), nullptr);
  EXPECT_EQ(t.IndexDefs().Items(1)->Collection(), &t.IndexDefs());
  t.SetIndexFieldNames("city+NAME");
  EXPECT_EQ(t.IndexName(), "CITY");
  EXPECT_EQ(t.IndexFieldNames(), byCity->SortField());
  t.SetIndexFieldNames("nothing");
  EXPECT_EQ(t.IndexName(), "");
  EXPECT_EQ(t.IndexFieldNames(), "");
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

TEST_F(Table, MasterLinks) {
  auto master = Created("m.dbf", false);
  AppendRow(*master, "Anna", "Bonn");
  AppendRow(*master, "Bert", "Celle");
  auto detail = Created("d.dbf", false);
  TDataSource masterSource(nullptr), detailSource(nullptr);
  masterSource.SetDataSet(master.get());
  detailSource.SetDataSet(detail.get());
  detail->SetMasterSource(&masterSource);
  detail->SetMasterFields("CITY");
  ASSERT_TRUE(detail->MasterLink().Compiled());
  master->First();
  const Byte* key = detail->MasterLink().MasterKey();
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(key), 4), "Bonn");
  master->Next();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(detail->MasterLink().MasterKey()), 5), "Celle");
  try {
    master->SetMasterSource(&detailSource);
    FAIL() << "a circular link was accepted";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(std::string(e.Message()), "Circular datalinks are not allowed");
  }
  EXPECT_EQ(master->MasterSource(), nullptr);
  EXPECT_ANY_THROW(detail->SetMasterFields("NOSUCH"));
  detail->SetMasterSource(nullptr);
  EXPECT_FALSE(detail->MasterLink().Compiled());
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

TEST_F(Table, DamagedMemoReferencesAndCutFilesReadSafely) {
  {
    auto t = Created();
    AppendRow(*t, "Anna", "Bonn");
    t->Edit();
    t->FieldByName("NOTE")->SetAsString("kept");
    t->Post();
  }
  struct Case {
    const char* What;
    const char* MemoField;  // the ten bytes of the memo reference
    const char* Note;
  } cases[] = {
      {"past the end of the memo file", "    999999", ""},
      {"negative", "        -5", ""},
      {"not a number", "  xyz     ", ""},
      {"beyond the block numbers", "9999999999", ""},
  };
  auto original = ReadBytes("t.dbf");
  for (const auto& c : cases) {
    auto bytes = original;
    const size_t recordStart = GetLE16(bytes.data() + 8);
    const size_t memoOffset = recordStart + 1 + 20 + 15;
    std::copy(c.MemoField, c.MemoField + 10, bytes.begin() + static_cast<std::ptrdiff_t>(memoOffset));
    WriteBytes("t.dbf", bytes);
    auto t = Make();
    t->Open();
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Anna") << c.What;
    EXPECT_EQ(t->FieldByName("NOTE")->AsString(), c.Note) << c.What;
  }
  // A file cut inside its last record shows the whole records only.
  {
    auto t = Created("cut.dbf", false);
    AppendRow(*t, "Anna", "Bonn");
    AppendRow(*t, "Bert", "Celle");
  }
  auto cut = ReadBytes("cut.dbf");
  cut.resize(cut.size() - 20);
  WriteBytes("cut.dbf", cut);
  auto t = Make("cut.dbf");
  t->Open();
  EXPECT_EQ(Names(*t), (std::vector<std::string>{"Anna"}));
  EXPECT_EQ(t->RecordCount(), 1);
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

TEST_F(TableUnderCodePages, ACodePageThatCannotBeConvertedAsksAndOtherwiseRefusesChanges) {
  Use(1252, 932, 0x411);
  { auto t = Created(); AppendRow(*t, "Anna", "Bonn"); }
  auto& installed = DbfGlobals().InstalledCodePages;
  const auto saved = installed;
  installed.erase(std::remove(installed.begin(), installed.end(), 932), installed.end());
  struct Case {
    const char* What;
    bool Handler;
    int Action;
    TDbfTranslationMode Mode;
    bool Modifiable;
  } cases[] = {
      {"no handler", false, 0, tmNoneAvailable, false},
      {"declined", true, 0, tmNoneAvailable, false},
      {"as OEM", true, 1, tmSimple, true},
      {"as ANSI", true, 2, tmNoneNeeded, true},
  };
  for (const auto& c : cases) {
    auto t = Make();
    int asked = 0;
    if (c.Handler) t->OnLanguageWarning = [&](TDbfTable*, int& action) { ++asked; action = c.Action; };
    t->Open();
    EXPECT_EQ(asked, c.Handler ? 1 : 0) << c.What;
    EXPECT_EQ(t->TranslationMode(), c.Mode) << c.What;
    EXPECT_EQ(t->CanModify(), c.Modifiable) << c.What;
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Anna") << c.What;
    if (!c.Modifiable) {
      EXPECT_ANY_THROW(t->Edit()) << c.What;
    }
  }
  installed = saved;
}

TEST_F(Table, OnTranslateReplacesTheConversion) {
  auto t = Created();
  t->OnTranslate = [](TDbfTable*, const AnsiString& src, AnsiString& dest, bool toOem) -> Integer {
    dest = src;
    for (char& ch : dest) ch = static_cast<char>(toOem ? ch + 1 : ch - 1);
    return -1;
  };
  AppendRow(*t, "HAL", "x");
  t->Close();
  {
    auto file = Open("t.dbf", pfReadOnly);
    EXPECT_EQ(ReadText(*file, 1, 0), "IBM");
  }
  t->Open();
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "HAL");
  // The handler's result is the length of its text: what lies behind it in dest is not taken.
  t->OnTranslate = [](TDbfTable*, const AnsiString& src, AnsiString& dest, bool) -> Integer {
    dest = src + "#junk";
    return static_cast<Integer>(src.size());
  };
  AppendRow(*t, "Ida", "x");
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Ida");
  EXPECT_EQ(t->Translate("Otto", true), "Otto");
  t->OnTranslate = [](TDbfTable*, const AnsiString&, AnsiString& dest, bool) -> Integer {
    dest = "Longer";
    return 4;
  };
  EXPECT_EQ(t->Translate("x", false), "Long");
}

}  // namespace
}  // namespace orv::test
