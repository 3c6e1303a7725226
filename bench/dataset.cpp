// Benchmark: a scan through the table data set in the application's shared mode (First, then
// Next to the end, all six fields read as text) of a 100,000-record address table, against dbfdump
// on the same file; both timed as whole processes, with our system calls per record.
#include <filesystem>
#include <fstream>
#include <sstream>
#include "bench/DbfBench.h"
#include "dbf/DbfTable.h"

namespace {

constexpr int kRecords = 100000;

int Scan(const std::string& path) {
  orv::TDbfTable t;
  t.SetTableName(path);
  t.Open();
  std::uint64_t checksum = 0;
  long records = 0;
  const orv::Integer fields = t.FieldCount();
  for (t.First(); !t.Eof(); t.Next()) {
    for (orv::Integer f = 0; f < fields; ++f) {
      const orv::AnsiString text = t.Fields().Fields(f)->AsString();
      checksum += text.empty() ? 0 : static_cast<unsigned char>(text[0]);
    }
    ++records;
  }
  std::printf("%ld records, checksum %llu\n", records, static_cast<unsigned long long>(checksum));
  return records == kRecords ? 0 : 1;
}

// The system calls of one scan process, from strace's summary; -1 when strace is not there.
long CountSystemCalls(const std::string& self, const std::string& path, const std::string& dir) {
  const std::string out = dir + "/strace.txt";
  if (orv::bench::TimeProcess({"strace", "-f", "-c", "-o", out, self, "scan", path}) < 0) return -1;
  std::ifstream in(out);
  std::string line;
  long total = -1;
  while (std::getline(in, line)) {
    if (line.find("total") == std::string::npos) continue;
    std::istringstream fields(line);
    std::string percent, seconds, usecs, calls;
    fields >> percent >> seconds >> usecs >> calls;
    total = std::atol(calls.c_str());
  }
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "scan") return Scan(argv[2]);
  const std::string dir = orv::bench::TempFolder("dataset");
  const std::string path = dir + "/mailaddies.dbf";
  orv::bench::CreateFilledAddressTable(path, kRecords);
  const std::string self = std::filesystem::canonical("/proc/self/exe").string();
  const double ours = orv::bench::BestOf(3, {self, "scan", path});
  const double theirs = orv::bench::BestOf(3, {"dbfdump", path});
  const long calls = CountSystemCalls(self, path, dir);
  std::printf("table: %d records of %lld bytes\n", kRecords,
              static_cast<long long>(std::filesystem::file_size(path) / kRecords));
  std::printf("ours (data set, shared open, six fields as text, whole process): %.3f s, %.0f records/s\n", ours,
              kRecords / ours);
  if (calls >= 0)
    std::printf("ours: %ld system calls, %.2f per record\n", calls, static_cast<double>(calls) / kRecords);
  std::printf("dbfdump (whole process, output to /dev/null): %.3f s, %.0f records/s\n", theirs, kRecords / theirs);
  std::filesystem::remove_all(dir);
  std::printf("dataset: %.2f\n", theirs / ours);
  return 0;
}
