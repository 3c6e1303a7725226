// The table data set against third-party dBASE peers: tables it writes at level III and FoxPro,
// memos and code page 850 included, are read by the peers, and it reads and edits theirs.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "dbf/DbfTable.h"
#include "tests/support/ShellCommand.h"

namespace orv {
namespace {

const std::string kTablePeer = "/usr/bin/python3 " + std::string(ORV_SOURCE_DIR) + "/tests/interop/table_peer.py";

std::string RunTablePeer(const std::string& args) { return test::RunChecked(kTablePeer + " " + args + " 2>&1"); }

std::vector<std::string> PeerRows(const std::string& args) {
  std::vector<std::string> rows;
  std::istringstream in(RunTablePeer(args));
  std::string line;
  while (std::getline(in, line)) rows.push_back(line);
  return rows;
}

// The ANSI texts of these tests hold only Latin-1 letters, whose UTF-8 form is two bytes.
std::string Utf8(const std::string& ansi) {
  std::string out;
  for (unsigned char c : ansi) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\\n") : std::string(1, c);
  return out;
}

struct TRow {
  std::string Name, City, Note;
};

const std::vector<TRow> kRows = {
    {"M\xFCller", "K\xF6ln", "Gr\xFC\xDF" "e\nvom Rhein"},
    {"Schmidt", "Bonn", ""},
    {"\xD6zt\xFCrk", "D\xFCren", std::string(700, 'x') + "\xE4"},
};

std::vector<std::string> Expected(const std::vector<TRow>& rows) {
  std::vector<std::string> out = {"#fields\tNAME\tCITY\tNOTE"};
  for (const auto& r : rows) out.push_back(Utf8(r.Name + "\t" + r.City + "\t" + Escaped(r.Note)));
  return out;
}

class TableInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/orv_tblx_XXXXXX";
    Dir = mkdtemp(tmpl);
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }
  std::unique_ptr<TDbfTable> Table(const std::string& name) {
    auto t = std::make_unique<TDbfTable>();
    t->SetFilePath(Dir);
    t->SetTableName(name);
    return t;
  }
  std::vector<TRow> ReadAll(TDbfTable& t) {
    std::vector<TRow> rows;
    for (t.First(); !t.Eof(); t.Next())
      rows.push_back({t.FieldByName("NAME")->AsString(), t.FieldByName("CITY")->AsString(),
                      t.FieldByName("NOTE")->AsString()});
    return rows;
  }
  std::string Dir;
};

void ExpectRows(const std::vector<TRow>& got, const std::vector<TRow>& want, const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].Name, want[i].Name) << what << " row " << i;
    EXPECT_EQ(got[i].City, want[i].City) << what << " row " << i;
    EXPECT_EQ(got[i].Note, want[i].Note) << what << " row " << i;
  }
}

TEST_F(TableInterop, PeersReadWhatTheDataSetWrites) {
  for (Integer level : {3, 25, 4}) {
    const std::string name = "ours" + std::to_string(level) + ".dbf";
    auto t = Table(name);
    t->SetTableLevel(level);
    t->FieldDefs().Add("NAME", ftString, 20);
    t->FieldDefs().Add("CITY", ftString, 15);
    t->FieldDefs().Add("NOTE", ftMemo);
    t->CreateTable();
    t->Open();
    for (const auto& r : kRows) {
      t->Append();
      t->FieldByName("NAME")->SetAsString(r.Name);
      t->FieldByName("CITY")->SetAsString(r.City);
      t->FieldByName("NOTE")->SetAsString(r.Note);
      t->Post();
    }
    // An edit and a deletion are seen too.
    t->First();
    t->Edit();
    t->FieldByName("CITY")->SetAsString("Aachen");
    t->Post();
    t->Append();
    t->FieldByName("NAME")->SetAsString("Gone");
    t->Post();
    t->Delete();
    t->Close();
    std::vector<TRow> want = kRows;
    want[0].City = "Aachen";
    // Level III has no language driver: its texts are in the ANSI code page.
    const std::string path = Dir + "/" + name + (level == 3 ? " cp1252" : "");
    if (level != 4) {
      EXPECT_EQ(PeerRows("read " + path), Expected(want)) << "level " << level;
    }
    if (level == 3) {
      // This reader shows a record without a memo as a missing value.
      std::vector<std::string> lines = Expected(want);
      lines[2] += "<null>";
      EXPECT_EQ(PeerRows("dbfread " + path), lines) << "level 3 through the second reader";
    }
  }
}

TEST_F(TableInterop, TheDataSetReadsAndEditsThePeersTables) {
  for (const char* kind : {"db3", "fp"}) {
    const std::string name = std::string("peer_") + kind + ".dbf";
    RunTablePeer("write " + Dir + "/" + name + " " + kind);
    auto t = Table(name);
    t->Open();
    ASSERT_TRUE(t->Active()) << kind;
    // The peer's level-III table names code page 850, which makes it level IV to this engine.
    EXPECT_EQ(t->TableLevel(), std::string(kind) == "fp" ? 25 : 4) << kind;
    ExpectRows(ReadAll(*t), kRows, kind);
    t->Last();
    t->Edit();
    t->FieldByName("NOTE")->SetAsString("neu: \xFC" "ber alles");
    t->Post();
    t->Close();
    std::vector<TRow> want = kRows;
    want[2].Note = "neu: \xFC" "ber alles";
    EXPECT_EQ(PeerRows("read " + Dir + "/" + name), Expected(want)) << kind;
  }
}

}  // namespace
}  // namespace orv
