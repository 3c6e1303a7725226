// fuzz-libs: orv_dbf
// Fuzz target of table expressions: the input's first byte picks the options, the rest is the
// expression text, prepared over a small table and evaluated on a filled and a blank record.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>
#include "dbf/DbfParser.h"
#include "dbf/DbfFile.h"

namespace {

using namespace orv;

struct TFixture {
  std::string Path;
  std::unique_ptr<TDbfFile> File;
  std::vector<Byte> Filled, Blank;

  TFixture() : Path(std::filesystem::temp_directory_path().string() + "/orv_fuzz_expr_" + std::to_string(getpid())) {
    std::filesystem::create_directories(Path);
    File = std::make_unique<TDbfFile>(Path + "/t.dbf");
    File->SetMode(pfExclusiveCreate);
    File->SetTableLevelCode(kLevelDbase4);
    File->OpenDbfFile();
    TDbfFieldDefs defs;
    defs.TableLevel = kLevelDbase4;
    const struct { const char* Name; char Type; Integer Size, Decimals; } fields[] = {
        {"NAME", 'C', 10, 0}, {"NUM", 'N', 6, 0}, {"AMT", 'N', 10, 2}, {"BIG", 'N', 15, 0},
        {"BORN", 'D', 8, 0},  {"OK", 'L', 1, 0},  {"NOTES", 'M', 10, 0}, {"WIDE", 'C', 200, 0}};
    for (const auto& f : fields) {
      TDbfFieldDef& d = defs.Add();
      d.SetFieldName(f.Name);
      d.SetNativeFieldType(f.Type);
      d.SetSize(f.Size);
      d.SetPrecision(f.Decimals);
    }
    File->FinishCreate(defs, 512);
    Filled.resize(static_cast<size_t>(File->RecordSize()));
    Blank = Filled;
    File->BlankRecord(Blank.data());
    File->BlankRecord(Filled.data());
    File->EncodeFieldValue(0, ftString, Filled.data(), "Smith");
    const Integer num = -42;
    File->EncodeFieldValue(1, ftInteger, Filled.data(), &num);
    const double amt = 1234.5;
    File->EncodeFieldValue(2, ftFloat, Filled.data(), &amt);
    File->EncodeFieldValue(7, ftString, Filled.data(), std::string(150, 'w').c_str());
  }
  ~TFixture() {
    File.reset();
    std::error_code ec;
    std::filesystem::remove_all(Path, ec);
  }
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size == 0 || size > 4096) return 0;
  TFixture& f = Fixture();
  TDbfParser parser(f.File.get());
  try {
    parser.SetRawStrings((data[0] & 1) != 0);
    parser.SetCaseInsensitive((data[0] & 2) != 0);
    parser.Optimize = (data[0] & 4) == 0;
    parser.PrepareExpression(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  } catch (const Exception&) {
  }
  try {
    parser.EvaluateRecord(f.Filled.data());
    parser.EvaluateRecord(f.Blank.data());
    if (data[0] & 8) parser.SetCaseInsensitive((data[0] & 2) == 0);
    parser.EvaluateRecord(f.Filled.data());
  } catch (const Exception&) {
  }
  return 0;
}
