// Index files written here read by Perl's XBase::Index (a reader only): keys in the same order
// with the same record numbers, and searches that land on the same entries.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include "dbf/DbfFile.h"
#include "dbf/DbfIndexFile.h"
#include "tests/support/ShellCommand.h"

namespace orv {
namespace {

const std::string kPeer = "/usr/bin/perl " + std::string(ORV_SOURCE_DIR) + "/tests/interop/index_peer.pl";

std::vector<std::string> RunPeer(const std::string& args) {
  const std::string out = test::RunChecked(kPeer + " " + args + " 2>&1");
  std::vector<std::string> lines;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

std::string Trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

class IndexInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/orv_idx_XXXXXX";
    Dir = mkdtemp(tmpl);
    Table = std::make_unique<TDbfFile>(Dir + "/people.dbf");
    Table->SetMode(pfExclusiveCreate);
    Table->SetTableLevelCode(kLevelDbase4);
    Table->OpenDbfFile();
    TDbfFieldDefs defs;
    defs.TableLevel = kLevelDbase4;
    auto add = [&](const char* name, char type, Integer size) {
      TDbfFieldDef& d = defs.Add();
      d.SetFieldName(name);
      d.SetNativeFieldType(type);
      d.SetSize(size);
      d.SetPrecision(0);
    };
    add("NAME", 'C', 12);
    add("NUM", 'N', 8);
    Table->FinishCreate(defs, 512);
  }
  void TearDown() override {
    Table.reset();
    if (!std::getenv("ORV_KEEP")) std::filesystem::remove_all(Dir);
  }
  // Fills the index with n records whose names repeat, so equal keys span several pages.
  void Fill(TIndexFile& index, Integer n) {
    std::vector<Byte> rec(static_cast<size_t>(Table->RecordSize()));
    for (Integer r = 1; r <= n; ++r) {
      Table->BlankRecord(rec.data());
      char name[16];
      std::snprintf(name, sizeof name, "K%04d", (r * 37) % (n / 2));
      Table->EncodeFieldValue(0, ftString, rec.data(), name);
      const Integer num = (r * 53) % 1000 - 500;
      Table->EncodeFieldValue(1, ftInteger, rec.data(), &num);
      Table->WriteRecord(r, rec.data());
      ASSERT_TRUE(index.InsertKeys(r, rec.data()));
    }
  }
  // Our own walk as "key<TAB>record" lines (character keys trimmed, numbers as whole numbers).
  std::vector<std::string> OurWalk(TIndexFile& index) {
    std::vector<std::string> out;
    index.GoFirst();
    while (index.GoNext()) {
      const Byte* k = index.CurrentKey();
      std::string key;
      if (index.KeyType() == 'N' && index.IsMdx()) {
        static const char* kHex = "0123456789abcdef";
        key = "hex:";
        for (Integer i = 0; i < kMdxNumericKeyLength; ++i) {
          key += kHex[k[i] >> 4];
          key += kHex[k[i] & 15];
        }
      } else if (index.KeyType() == 'N') {
        const double v = index.IsMdx() ? DecodeMdxNumber(k) : DecodeNdxNumber(k);
        key = std::to_string(static_cast<long long>(v));
      } else {
        key = Trimmed(std::string(reinterpret_cast<const char*>(k), static_cast<size_t>(index.KeyLength())));
      }
      out.push_back(key + "\t" + std::to_string(index.CurrentRecNo()));
    }
    return out;
  }
  static std::vector<std::string> Normalized(std::vector<std::string> lines, bool numeric) {
    for (auto& l : lines) {
      auto tab = l.find('\t');
      if (tab == std::string::npos) continue;
      std::string key = Trimmed(l.substr(0, tab));
      if (numeric && key.rfind("hex:", 0) != 0) key = std::to_string(static_cast<long long>(std::stod(key)));
      l = key + l.substr(tab);
    }
    return lines;
  }

  // The peer walks the tag of the file in our order and finds the first of the equal keys where
  // a search of ours lands; the walk holds the given number of entries.
  void ExpectPeerAgrees(TIndexFile& index, const std::string& file, const std::string& tag, bool numeric,
                        size_t entries) {
    const auto ours = OurWalk(index);
    ASSERT_EQ(ours.size(), entries);
    const auto theirs = Normalized(RunPeer("walk " + Dir + "/" + file + " " + tag), numeric);
    EXPECT_EQ(theirs, ours);
    if (numeric) return;
    const auto found = Normalized(RunPeer("find " + Dir + "/" + file + " " + tag + " K0100"), false);
    ASSERT_FALSE(found.empty());
    auto key = index.ValueToKey(AnsiString("K0100"));
    ASSERT_TRUE(index.FindByKey(key.data(), 0));
    EXPECT_EQ(found[0], "K0100\t" + std::to_string(index.CurrentRecNo()));
  }

  std::string Dir;
  std::unique_ptr<TDbfFile> Table;
};

TEST_F(IndexInterop, PeerReadsOurFilesInOrder) {
  struct TCase {
    const char* File;
    const char* Tag;
    const char* Expression;
    bool Numeric;
  } cases[] = {
      {"names.ndx", "-", "NAME", false},
      {"nums.ndx", "-", "NUM", true},
      {"people.mdx", "NAME", "NAME", false},
      {"people.mdx", "NUM", "NUM", true},
  };
  {
    TIndexFile mdx(*Table, Dir + "/people.mdx");
    mdx.SetMode(pfExclusiveCreate);
    mdx.OpenIndex();
    mdx.CreateTag("NAME", "NAME", 0);
    mdx.CreateTag("NUM", "NUM", 0);
    Fill(mdx, 400);
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.File) + " " + c.Tag);
    TIndexFile index(*Table, Dir + "/" + c.File);
    index.SetMode(std::string(c.File).ends_with(".ndx") ? pfExclusiveCreate : pfExclusiveOpen);
    index.OpenIndex();
    if (!index.IsMdx()) {
      index.CreateTag("X", c.Expression, 0);
      Fill(index, 400);
    } else {
      index.SelectTagByName(c.Tag);
    }
    index.FlushIndex();
    ExpectPeerAgrees(index, c.File, c.Tag, c.Numeric, 400);
    if (HasFatalFailure()) return;
  }
}

TEST_F(IndexInterop, PeerReadsIndexesAddedToTheTable) {
  // The records first, then the indexes: each is filled at once from all of them.
  std::vector<Byte> rec(static_cast<size_t>(Table->RecordSize()));
  constexpr Integer kRecords = 3000;
  for (Integer r = 1; r <= kRecords; ++r) {
    Table->BlankRecord(rec.data());
    char name[16];
    std::snprintf(name, sizeof name, "K%04d", (r * 37) % (kRecords / 3));
    Table->EncodeFieldValue(0, ftString, rec.data(), name);
    const Integer num = (r * 53) % 1000 - 500;
    Table->EncodeFieldValue(1, ftInteger, rec.data(), &num);
    ASSERT_EQ(Table->InsertRecord(rec.data()), r);
  }
  struct TCase {
    const char* Name;  // the name given to AddIndex
    const char* File;
    const char* Tag;
    const char* Expression;
    bool Numeric;
  } cases[] = {
      {"names.ndx", "names.ndx", "-", "NAME", false},
      {"nums.ndx", "nums.ndx", "-", "NUM", true},
      {"other.mdx", "other.mdx", "OTHER", "NAME", false},
      {"NAME", "people.mdx", "NAME", "NAME", false},
      {"NUM", "people.mdx", "NUM", "NUM", true},
  };
  for (const auto& c : cases) {
    const std::string name = std::string(c.Name).find('.') == std::string::npos ? c.Name : Dir + "/" + c.Name;
    ASSERT_TRUE(Table->AddIndex(name, c.Expression, 0, true));
  }
  Table.reset();
  Table = std::make_unique<TDbfFile>(Dir + "/people.dbf");
  Table->SetMode(pfExclusiveOpen);
  Table->OpenDbfFile();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    // The production index is the table's again; the others are opened here.
    std::unique_ptr<TIndexFile> own;
    auto* production = dynamic_cast<TIndexFile*>(Table->ProductionIndex());
    ASSERT_NE(production, nullptr);
    if (std::string(c.File) != "people.mdx") {
      own = std::make_unique<TIndexFile>(*Table, Dir + "/" + c.File);
      own->SetMode(pfExclusiveOpen);
      own->OpenIndex();
    }
    TIndexFile& index = own ? *own : *production;
    if (index.IsMdx()) index.SelectTagByName(c.Tag);
    ExpectPeerAgrees(index, c.File, c.Tag, c.Numeric, static_cast<size_t>(kRecords));
    if (HasFatalFailure()) return;
  }
  // The table the indexes belong to reads as before.
  const std::string table = test::RunChecked("/usr/bin/python3 " + std::string(ORV_SOURCE_DIR) +
                                             "/tests/interop/dbf_peer.py read-dbfread " + Dir + "/people.dbf 2>&1");
  EXPECT_NE(table.find("K0037\t-447"), std::string::npos) << table.substr(0, 200);
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), kRecords + 1) << table.substr(0, 200);
}

TEST_F(IndexInterop, PeerReadsTreesThinnedByRemovals) {
  for (const char* file : {"thin.ndx", "thin.mdx"}) {
    SCOPED_TRACE(file);
    TIndexFile index(*Table, Dir + "/" + file);
    index.SetMode(pfExclusiveCreate);
    index.OpenIndex();
    index.CreateTag("NAME", "NAME", 0);
    Fill(index, 600);
    // Whole leaves empty out and branches lose children.
    std::vector<Byte> rec(static_cast<size_t>(Table->RecordSize()));
    for (Integer r = 1; r <= 600; ++r) {
      if (r % 5 == 0) continue;
      Table->ReadRecord(r, rec.data());
      ASSERT_TRUE(index.RemoveKeys(r, rec.data()));
    }
    index.FlushIndex();
    const auto ours = OurWalk(index);
    ASSERT_EQ(ours.size(), 120u);
    const auto theirs = Normalized(RunPeer(std::string("walk ") + Dir + "/" + file + (index.IsMdx() ? " NAME" : " -")), false);
    EXPECT_EQ(theirs, ours);
  }
}

}  // namespace
}  // namespace orv
