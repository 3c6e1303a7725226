// fuzz-libs: orv_dbf
// Fuzz target of the index readers: the input after its selector byte is an index file (.mdx
// when the selector is odd, else .ndx) over a fixed small table; every tag is walked both ways,
// positioned by number and key, and given and relieved of a key.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>
#include "dbf/DbfFile.h"
#include "dbf/DbfIndexFile.h"

namespace {

using namespace orv;

struct TFixture {
  std::string Path;
  std::unique_ptr<TDbfFile> Table;
  TFixture() : Path(std::filesystem::temp_directory_path().string() + "/orv_fuzz_idx_" + std::to_string(getpid())) {
    std::filesystem::create_directories(Path);
    Table = std::make_unique<TDbfFile>(Path + "/t.dbf");
    Table->SetMode(pfExclusiveCreate);
    Table->SetTableLevelCode(kLevelDbase4);
    Table->OpenDbfFile();
    TDbfFieldDefs defs;
    defs.TableLevel = kLevelDbase4;
    TDbfFieldDef& name = defs.Add();
    name.SetFieldName("NAME");
    name.SetNativeFieldType('C');
    name.SetSize(10);
    TDbfFieldDef& num = defs.Add();
    num.SetFieldName("NUM");
    num.SetNativeFieldType('N');
    num.SetSize(8);
    Table->FinishCreate(defs, 512);
  }
  ~TFixture() {
    Table.reset();
    std::error_code ec;
    std::filesystem::remove_all(Path, ec);
  }
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

void Exercise(TIndexFile& index) {
  TDbfFile& table = *Fixture().Table;
  std::vector<Byte> rec(static_cast<size_t>(table.RecordSize()));
  table.BlankRecord(rec.data());
  table.EncodeFieldValue(0, ftString, rec.data(), "FUZZ");
  const Integer n = 7;
  table.EncodeFieldValue(1, ftInteger, rec.data(), &n);
  const Integer tags = index.IsMdx() ? index.TagCount() : 1;
  for (Integer t = 0; t < tags; ++t) {
    index.SelectTag(t);
    try {
      index.GoFirst();
      for (int i = 0; i < 400 && index.GoNext(); ++i) index.CurrentRecNo();
      index.GoLast();
      for (int i = 0; i < 400 && index.GoPrev(); ++i) index.CurrentKey();
      index.SetSequentialNo(index.SequentialCount() / 2);
      auto key = index.KeyType() == 'N' ? index.ValueToKey(7.0) : index.ValueToKey(AnsiString("FUZZ"));
      index.FindByKey(key.data(), 1);
    } catch (const Exception&) {
    }
  }
  index.InsertKeys(1, rec.data());
  index.RemoveKeys(1, rec.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string name = Fixture().Path + ((data[0] & 1) ? "/t.mdx" : "/t.ndx");
  {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  }
  try {
    TIndexFile index(*Fixture().Table, name);
    index.SetMode(pfExclusiveOpen);
    index.OpenIndex();
    if (!index.Unusable()) Exercise(index);
  } catch (const Exception&) {
    // Refusing a damaged file is the expected outcome.
  }
  std::error_code ec;
  std::filesystem::remove(name, ec);
  return 0;
}
