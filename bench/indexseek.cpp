// Benchmark: 100,000 random seeks by e-mail address on an index tag over 100,000 records of the
// address table; no peer, the last line gives seeks per second.
#include <chrono>
#include <filesystem>
#include <random>
#include "bench/DbfBench.h"
#include "dbf/DbfIndexFile.h"

namespace {
constexpr int kRecords = 100000;
constexpr int kSeeks = 100000;
}  // namespace

int main() {
  const std::string dir = orv::bench::TempFolder("indexseek");
  const std::string table = dir + "/mailaddies.dbf";
  orv::bench::CreateFilledAddressTable(table, kRecords);
  orv::TDbfFile t(table);
  t.SetMode(orv::pfExclusiveOpen);
  t.OpenDbfFile();
  orv::TIndexFile index(t, dir + "/mailaddies.mdx");
  index.SetMode(orv::pfExclusiveCreate);
  index.OpenIndex();
  index.CreateTag("EMAIL", "EMAIL", 0);
  std::vector<orv::Byte> rec(static_cast<size_t>(t.RecordSize()));
  for (orv::Integer n = 1; n <= kRecords; ++n) {
    t.ReadRecord(n, rec.data());
    if (!index.InsertKeys(n, rec.data())) return 1;
  }
  index.FlushIndex();
  std::mt19937 rng(42);
  std::vector<std::vector<orv::Byte>> keys;
  keys.reserve(kSeeks);
  for (int i = 0; i < kSeeks; ++i)
    keys.push_back(index.ValueToKey(orv::AnsiString("user" + std::to_string(rng() % kRecords) + "@example.org")));
  int found = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const auto& key : keys)
    if (index.FindByKey(key.data(), 0)) ++found;
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("ours: %d seeks in %.3f s (%d found), locale %#x\n", kSeeks, secs, found, index.Locale());
  index.CloseIndex();
  std::filesystem::remove_all(dir);
  std::printf("indexseek: %.0f\n", kSeeks / secs);
  return found == kSeeks ? 0 : 1;
}
