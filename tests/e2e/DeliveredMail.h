// The e2e send tests' view of what the SMTP server received: every delivered message as Python's
// email package reads it (tests/e2e/sendrun_check.py), one map of header/part names per message.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>
#include "tests/support/ShellCommand.h"

namespace orv::test {

inline const std::string kE2EPython = "/usr/bin/python3";
inline const std::string kE2EHere = std::string(ORV_SOURCE_DIR) + "/tests/e2e/";

using TDelivered = std::map<std::string, std::string>;

inline std::string Unescape(const std::string& s) {
  std::string r;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      const char n = s[++i];
      r += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
    } else {
      r += s[i];
    }
  }
  return r;
}

// The delivered messages in delivery order; values of repeated names joined by ";".
inline std::vector<TDelivered> Delivered(const std::filesystem::path& outDir) {
  std::vector<TDelivered> result;
  const std::string cmd = kE2EPython + " " + kE2EHere + "sendrun_check.py '" + outDir.string() + "'";
  const std::string out = RunChecked(cmd);
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    if (line == "MAIL") {
      result.emplace_back();
      continue;
    }
    const auto eq = line.find('=');
    if (result.empty() || eq == std::string::npos) continue;
    std::string& slot = result.back()[line.substr(0, eq)];
    if (!slot.empty()) slot += ";";
    slot += Unescape(line.substr(eq + 1));
  }
  return result;
}

inline std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

}  // namespace orv::test
