// Shared fixture of the index tests: a table of names and numbers, records built and written
// to it, and index files opened over it.
#pragma once
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>
#include "dbf/DbfIndexFile.h"
#include "tests/dbf/DbfTestUtil.h"

namespace orv::test {

class IndexFixture : public TTempDir {
 protected:
  void TearDown() override {
    Table.reset();
    TTempDir::TearDown();
  }
  void MakeTable(int level = kLevelDbase4, const std::string& name = "people.dbf") {
    Table = Create(name, level, {{"NAME", 'C', 10, 0}, {"NUM", 'N', 8, 0}, {"AMT", 'N', 10, 2}, {"BORN", 'D', 8, 0}});
  }
  std::vector<Byte> Record(const std::string& name, Integer num, double amt = 0) {
    std::vector<Byte> rec(static_cast<size_t>(Table->RecordSize()));
    Table->BlankRecord(rec.data());
    Table->EncodeFieldValue(0, ftString, rec.data(), name.c_str());
    Table->EncodeFieldValue(1, ftInteger, rec.data(), &num);
    Table->EncodeFieldValue(2, ftFloat, rec.data(), &amt);
    return rec;
  }
  // Writes the record as table record n (without index maintenance).
  void Store(Integer n, const std::vector<Byte>& rec) { Table->WriteRecord(n, rec.data()); }
  std::unique_ptr<TIndexFile> NewIndex(const std::string& name, TPagedFileMode mode = pfExclusiveCreate) {
    auto index = std::make_unique<TIndexFile>(*Table, Path(name));
    index->SetMode(mode);
    index->OpenIndex();
    return index;
  }
  // Record numbers in index order, forwards.
  static std::vector<Integer> Walk(TIndexFile& index) {
    std::vector<Integer> out;
    index.GoFirst();
    while (index.GoNext()) out.push_back(index.CurrentRecNo());
    return out;
  }
  static std::vector<Integer> WalkBack(TIndexFile& index) {
    std::vector<Integer> out;
    index.GoLast();
    while (index.GoPrev()) out.push_back(index.CurrentRecNo());
    return out;
  }
  std::unique_ptr<TDbfFile> Table;
};

}  // namespace orv::test
