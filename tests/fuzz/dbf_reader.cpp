// fuzz-libs: orv_dbf
// Fuzz target of the table readers: a .dbf with its .dbt or .fpt memo file, and memo files alone.
// Input: one selector byte, a 16-bit little-endian length of the table bytes, the table bytes,
// then the memo bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>
#include "dbf/DbfFile.h"

namespace {

// A folder of this process for the files of one input; removed at exit.
struct TFolder {
  std::string Path;
  TFolder() : Path(std::filesystem::temp_directory_path().string() + "/orv_fuzz_dbf_" + std::to_string(getpid())) {
    std::filesystem::create_directories(Path);
  }
  ~TFolder() {
    std::error_code ec;
    std::filesystem::remove_all(Path, ec);
  }
};

const std::string& Folder() {
  static const TFolder folder;
  return folder.Path;
}

void Put(const std::string& name, const std::uint8_t* data, size_t size) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void ReadTable(const std::string& name) {
  orv::TDbfFile table(name);
  table.SetMode(orv::pfReadOnly);
  table.OpenDbfFile();
  if (table.OpenFailed()) return;
  std::vector<orv::Byte> rec(static_cast<size_t>(table.RecordSize()));
  const orv::Integer count = std::min(table.RecordCount(), 200);
  for (orv::Integer n = 1; n <= count; ++n) {
    if (table.ReadRecord(n, rec.data()) != table.RecordSize()) break;
    for (size_t f = 0; f < table.FieldDefs().Count(); ++f) {
      const auto& def = table.FieldDefs()[f];
      std::vector<char> out(static_cast<size_t>(def.Size()) + 16);
      orv::TFieldType type = def.IsBlob() ? orv::ftInteger : def.FieldType();
      if (!table.DecodeFieldValue(static_cast<orv::Integer>(f), type, out.data(), rec.data())) continue;
      if (def.IsBlob() && table.MemoFile()) {
        std::int32_t block = 0;
        std::memcpy(&block, out.data(), 4);
        table.MemoFile()->ReadMemo(block);
      }
    }
  }
}

void ReadMemoAlone(const std::string& name, int level) {
  std::unique_ptr<orv::TMemoFile> memo;
  if (level == orv::kLevelFoxPro) memo = std::make_unique<orv::TFoxProMemoFile>(name, level, 0);
  else memo = std::make_unique<orv::TDbaseMemoFile>(name, level, 0);
  memo->SetMode(orv::pfReadOnly);
  memo->OpenMemo();
  for (orv::Integer block = 0; block < 24; ++block) memo->ReadMemo(block);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int selector = data[0] % 4;
  size_t tableSize = std::min<size_t>(data[1] | (data[2] << 8), size - 3);
  const std::uint8_t* table = data + 3;
  const std::uint8_t* memo = table + tableSize;
  const size_t memoSize = size - 3 - tableSize;
  const std::string base = Folder() + "/t";
  std::filesystem::remove(base + ".dbt");
  std::filesystem::remove(base + ".fpt");
  try {
    switch (selector) {
      case 0:
      case 1:
        Put(base + ".dbf", table, tableSize);
        Put(base + (selector == 0 ? ".dbt" : ".fpt"), memo, memoSize);
        ReadTable(base + ".dbf");
        break;
      case 2: Put(base + ".dbt", memo, memoSize); ReadMemoAlone(base + ".dbt", data[1] & 1 ? orv::kLevelDbase3 : orv::kLevelDbase4); break;
      default: Put(base + ".fpt", memo, memoSize); ReadMemoAlone(base + ".fpt", orv::kLevelFoxPro); break;
    }
  } catch (const orv::Exception&) {
    // Refusing a damaged file is the expected outcome.
  }
  return 0;
}
