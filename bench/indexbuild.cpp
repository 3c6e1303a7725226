// Benchmark: building an index tag over the e-mail addresses of 100,000 records of the address
// table, against sqlite3 creating an index over the same keys; both timed around the build only.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include "bench/DbfBench.h"
#include "dbf/DbfIndexFile.h"

namespace {

constexpr int kRecords = 100000;

const char* kPython = R"(
import sys, sqlite3, time
path, count = sys.argv[1], int(sys.argv[2])
db = sqlite3.connect(path)
db.execute('create table t (email text)')
db.executemany('insert into t values (?)', (('user%d@example.org' % i,) for i in range(count)))
db.commit()
start = time.perf_counter()
db.execute('create index ix on t (email)')
db.commit()
print('%.6f' % (time.perf_counter() - start))
)";

}  // namespace

int main() {
  const std::string dir = orv::bench::TempFolder("indexbuild");
  const std::string table = dir + "/mailaddies.dbf";
  orv::bench::CreateFilledAddressTable(table, kRecords);
  orv::TDbfFile t(table);
  t.SetMode(orv::pfExclusiveOpen);
  t.OpenDbfFile();
  const auto start = std::chrono::steady_clock::now();
  {
    orv::TIndexFile index(t, dir + "/mailaddies.mdx");
    index.SetMode(orv::pfExclusiveCreate);
    index.OpenIndex();
    index.CreateTag("EMAIL", "EMAIL", 0);
    // The records are read from the table in blocks, as a scan of the whole table does.
    const orv::Integer count = t.RecordCount();
    const orv::Integer size = t.RecordSize();
    constexpr orv::Integer kBlock = 512;
    std::vector<orv::Byte> block(static_cast<size_t>(size * kBlock));
    for (orv::Integer first = 1; first <= count; first += kBlock) {
      const orv::Integer n = std::min(kBlock, count - first + 1);
      if (t.ReadAt(t.PagePosition(first), block.data(), static_cast<orv::Int64>(n) * size) != static_cast<orv::Int64>(n) * size)
        return 1;
      for (orv::Integer i = 0; i < n; ++i)
        if (!index.InsertKeys(first + i, block.data() + static_cast<size_t>(i * size))) return 1;
    }
    index.CloseIndex();
  }
  const double ours = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double theirs = orv::bench::PeerSeconds(dir, kPython, dir + "/keys.db " + std::to_string(kRecords));
  if (theirs <= 0) return 1;
  std::printf("ours (tag over 100,000 records, read from the table, file closed): %.3f s, %.0f keys/s, %lld bytes\n",
              ours, kRecords / ours, static_cast<long long>(std::filesystem::file_size(dir + "/mailaddies.mdx")));
  std::printf("sqlite3 (create index over the same keys, committed): %.3f s, %.0f keys/s\n", theirs, kRecords / theirs);
  std::filesystem::remove_all(dir);
  std::printf("indexbuild: %.2f\n", theirs / ours);
  return 0;
}
