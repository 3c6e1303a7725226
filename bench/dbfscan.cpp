// Benchmark: a full scan of a 100,000-record address table opened read-only, decoding every field,
// against dbfdump on the same file; both timed as whole processes.
#include <filesystem>
#include "bench/DbfBench.h"

namespace {

constexpr int kRecords = 100000;

// The scan itself: every record read, every field decoded as text.
int Scan(const std::string& path) {
  orv::TDbfFile t(path);
  t.SetMode(orv::pfReadOnly);
  t.OpenDbfFile();
  std::vector<orv::Byte> rec(static_cast<size_t>(t.RecordSize()));
  std::vector<char> text(65536);
  std::uint64_t checksum = 0;
  const orv::Integer count = t.RecordCount();
  const size_t fields = t.FieldDefs().Count();
  for (orv::Integer n = 1; n <= count; ++n) {
    if (t.ReadRecord(n, rec.data()) != t.RecordSize()) return 1;
    for (size_t f = 0; f < fields; ++f)
      if (t.DecodeFieldValue(static_cast<orv::Integer>(f), orv::ftString, text.data(), rec.data())) checksum += static_cast<unsigned char>(text[0]);
  }
  std::printf("%u records, checksum %llu\n", static_cast<unsigned>(count), static_cast<unsigned long long>(checksum));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "scan") return Scan(argv[2]);
  const std::string dir = orv::bench::TempFolder("dbfscan");
  const std::string path = dir + "/mailaddies.dbf";
  orv::bench::CreateFilledAddressTable(path, kRecords);
  const std::string self = std::filesystem::canonical("/proc/self/exe").string();
  const double ours = orv::bench::BestOf(3, {self, "scan", path});
  const double theirs = orv::bench::BestOf(3, {"dbfdump", path});
  std::printf("table: %d records of %lld bytes (%.1f MB)\n", kRecords,
              static_cast<long long>(std::filesystem::file_size(path) / kRecords),
              std::filesystem::file_size(path) / 1e6);
  std::printf("ours (read-only scan, every field decoded, whole process): %.3f s, %.0f records/s\n", ours, kRecords / ours);
  std::printf("dbfdump (whole process, output to /dev/null): %.3f s, %.0f records/s\n", theirs, kRecords / theirs);
  std::filesystem::remove_all(dir);
  std::printf("dbfscan: %.2f\n", theirs / ours);
  return 0;
}
