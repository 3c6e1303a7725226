// Shared pieces of the table benchmarks: the application's address table, its rows, and timing
// of whole processes.
#pragma once
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchProcess.h"
#include "dbf/DbfFile.h"

extern char** environ;

namespace orv::bench {

struct TBenchField { const char* Name; Integer Size; };
// The six text fields of the table the application creates.
inline const std::vector<TBenchField>& AddressFields() {
  static const std::vector<TBenchField> fields = {{"eMail", 50},  {"Last Name", 30}, {"First Name", 30},
                                                  {"Salutation", 20}, {"Info 1", 50}, {"Info 2", 255}};
  return fields;
}

inline std::vector<std::string> AddressRow(int i) {
  std::string n = std::to_string(i);
  return {"user" + n + "@example.org", "Lastname" + n, "First" + n, i % 2 ? "Mr" : "Ms", "Info " + n,
          "Some longer remark for record " + n};
}

inline TDbfFieldDefs AddressDefs() {
  TDbfFieldDefs defs;
  defs.TableLevel = kLevelDbase4;
  for (const auto& f : AddressFields()) {
    TDbfFieldDef& d = defs.Add();
    d.SetFieldName(f.Name);
    d.SetNativeFieldType('C');
    d.SetSize(f.Size);
  }
  return defs;
}

// Creates an empty address table at level IV.
inline void CreateAddressTable(const std::string& path) {
  TDbfFile t(path);
  t.SetMode(pfExclusiveCreate);
  t.SetTableLevelCode(kLevelDbase4);
  t.OpenDbfFile();
  t.FinishCreate(AddressDefs(), 512);
}

inline void AppendRows(TDbfFile& t, int first, int count) {
  std::vector<Byte> rec(static_cast<size_t>(t.RecordSize()));
  for (int i = first; i < first + count; ++i) {
    t.BlankRecord(rec.data());
    auto row = AddressRow(i);
    for (size_t f = 0; f < row.size(); ++f) t.EncodeFieldValue(static_cast<Integer>(f), ftString, rec.data(), row[f].c_str());
    t.InsertRecord(rec.data());
  }
}

// Creates an address table at level IV holding the rows 0 to count - 1, closed again.
inline void CreateFilledAddressTable(const std::string& path, int count) {
  CreateAddressTable(path);
  TDbfFile t(path);
  t.SetMode(pfExclusiveOpen);
  t.OpenDbfFile();
  AppendRows(t, 0, count);
}

// Runs a Python peer script, written to the folder, with the given arguments; the script prints
// the seconds it measured itself. Returns them, or -1 when the script failed.
inline double PeerSeconds(const std::string& dir, const char* script, const std::string& args) {
  const std::string file = dir + "/peer.py";
  std::ofstream(file) << script;
  const std::string out = dir + "/peer.txt";
  const std::string command = "/usr/bin/python3 " + file + " " + args + " > " + out;
  if (std::system(command.c_str()) != 0) return -1;
  double secs = -1;
  std::ifstream(out) >> secs;
  return secs;
}

// Runs argv as a process with stdout to /dev/null (or kept) and returns its wall time in seconds.
inline double TimeProcess(const std::vector<std::string>& args, bool quiet = true) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (quiet) posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", argv[0]);
    posix_spawn_file_actions_destroy(&actions);
    return -1;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::fprintf(stderr, "%s failed\n", argv[0]);
  return secs;
}

// The best of a few runs, so a busy machine disturbs the figure less.
inline double BestOf(int runs, const std::vector<std::string>& args) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) best = std::min(best, TimeProcess(args));
  return best;
}

}  // namespace orv::bench
