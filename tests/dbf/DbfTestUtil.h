// Shared fixture of the table-engine tests: a temporary folder and helpers that build tables.
#pragma once
#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>
#include "dbf/DbfFile.h"
#include "dbf/DbfIndexFile.h"

namespace orv::test {

struct TFieldSpec {
  const char* Name;
  char Type;
  Integer Size;
  Integer Decimals;
};

inline TDbfFieldDefs MakeDefs(std::initializer_list<TFieldSpec> specs, int level = kLevelDbase4) {
  TDbfFieldDefs defs;
  defs.TableLevel = level;
  for (const auto& s : specs) {
    TDbfFieldDef& d = defs.Add();
    d.SetFieldName(s.Name);
    d.SetSize(s.Size);
    d.SetPrecision(s.Decimals);
    d.SetNativeFieldType(s.Type);
    d.SetSize(s.Size);
    d.SetPrecision(s.Decimals);
  }
  return defs;
}

class TTempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/orv_dbf_XXXXXX";
    Dir = mkdtemp(tmpl);
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }
  std::string Path(const std::string& name) const { return Dir + "/" + name; }

  std::unique_ptr<TDbfFile> Create(const std::string& name, int level, std::initializer_list<TFieldSpec> specs,
                                   TPagedFileMode mode = pfExclusiveCreate) {
    auto file = std::make_unique<TDbfFile>(Path(name));
    file->SetMode(mode);
    file->SetTableLevelCode(level);
    file->OpenDbfFile();
    file->FinishCreate(MakeDefs(specs, level), 512);
    return file;
  }
  std::unique_ptr<TDbfFile> Open(const std::string& name, TPagedFileMode mode = pfReadWriteOpen) {
    auto file = std::make_unique<TDbfFile>(Path(name));
    file->SetMode(mode);
    file->OpenDbfFile();
    return file;
  }

  std::vector<Byte> ReadBytes(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::vector<Byte>(std::istreambuf_iterator<char>(in), {});
  }
  void WriteBytes(const std::string& name, const std::vector<Byte>& bytes) const {
    std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  // Sets the header's flag that says the table has a production index beside it.
  void MarkProductionIndex(const std::string& name) const {
    auto bytes = ReadBytes(name);
    bytes[28] = 1;
    WriteBytes(name, bytes);
  }

  // Creates a level IV table with a production index (same name, .mdx) holding one empty tag
  // named after the expression, linked from the table's header as the table links it.
  void CreateWithProductionTag(const std::string& name, std::initializer_list<TFieldSpec> specs,
                               const char* expression) {
    auto file = Create(name, kLevelDbase4, specs);
    ASSERT_TRUE(file->AddIndex(expression, expression, 0, true));
  }

  std::string Dir;
};

// Appends a record whose text fields get the given texts, in field order (binary fields null).
inline Integer AppendTexts(TDbfFile& file, const std::vector<std::string>& texts) {
  std::vector<Byte> rec(static_cast<size_t>(file.RecordSize()));
  file.BlankRecord(rec.data());
  for (size_t i = 0; i < texts.size() && i < file.FieldDefs().Count(); ++i)
    file.EncodeFieldValue(static_cast<Integer>(i), ftString, rec.data(), texts[i].c_str());
  return file.InsertRecord(rec.data());
}

inline std::string ReadText(TDbfFile& file, Integer recNo, Integer field) {
  std::vector<Byte> rec(static_cast<size_t>(file.RecordSize()));
  if (file.ReadRecord(recNo, rec.data()) != file.RecordSize()) return "<short>";
  std::vector<char> out(static_cast<size_t>(file.FieldDefs()[static_cast<size_t>(field)].Size()) + 1);
  if (!file.DecodeFieldValue(field, ftString, out.data(), rec.data())) return "";
  return out.data();
}

}  // namespace orv::test
