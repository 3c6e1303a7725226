// Benchmark: appending 100,000 records to the address table in the shared mode the application
// uses, against python3-dbf appending the same rows; both timed as whole processes.
#include <filesystem>
#include <fstream>
#include "bench/DbfBench.h"

namespace {

constexpr int kRecords = 100000;

int Append(const std::string& path, int count) {
  orv::TDbfFile t(path);
  t.SetMode(orv::pfReadWriteOpen);
  t.OpenDbfFile();
  orv::bench::AppendRows(t, 0, count);
  return t.RecordCount() == count ? 0 : 1;
}

// The same rows and fields through python3-dbf (field names without blanks, which it requires).
const char* kPython = R"(
import sys, dbf
path, count = sys.argv[1], int(sys.argv[2])
t = dbf.Table(path, 'EMAIL C(50); LAST_NAME C(30); FIRST_NAME C(30); SALUTATION C(20); INFO_1 C(50); INFO_2 C(255)',
              dbf_type='db3', codepage='cp1252')
t.open(dbf.READ_WRITE)
for i in range(count):
    n = str(i)
    t.append(('user' + n + '@example.org', 'Lastname' + n, 'First' + n, 'Mr' if i % 2 else 'Ms', 'Info ' + n,
              'Some longer remark for record ' + n))
t.close()
)";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "append") return Append(argv[2], std::stoi(argv[3]));
  const std::string dir = orv::bench::TempFolder("dbfappend");
  const std::string ours = dir + "/mailaddies.dbf";
  const std::string theirs = dir + "/python.dbf";
  const std::string script = dir + "/append.py";
  std::ofstream(script) << kPython;
  const std::string self = std::filesystem::canonical("/proc/self/exe").string();
  orv::bench::CreateAddressTable(ours);
  const double oursSecs = orv::bench::TimeProcess({self, "append", ours, std::to_string(kRecords)});
  const double theirSecs = orv::bench::TimeProcess({"/usr/bin/python3", script, theirs, std::to_string(kRecords)});
  std::printf("ours (shared mode, record and header locks, whole process): %.3f s, %.0f records/s, %lld bytes\n",
              oursSecs, kRecords / oursSecs, static_cast<long long>(std::filesystem::file_size(ours)));
  std::printf("python3-dbf (whole process): %.3f s, %.0f records/s, %lld bytes\n", theirSecs, kRecords / theirSecs,
              static_cast<long long>(std::filesystem::file_size(theirs)));
  std::filesystem::remove_all(dir);
  std::printf("dbfappend: %.2f\n", theirSecs / oursSecs);
  return 0;
}
