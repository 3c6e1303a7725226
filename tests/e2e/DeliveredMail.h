// The e2e send tests' view of what the SMTP servers received: every message as Python's email
// package reads it (tests/e2e/sendrun_check.py for the real server, sendrun_got_check.py for the
// scripted one), one map of header/part names per message.
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

// A reader's output of a line "MAIL" per message followed by its "key=value" lines (values
// escaped): every value of each key per message, in order.
using TReadMail = std::map<std::string, std::vector<std::string>>;

inline std::vector<TReadMail> ReadMails(const std::string& output) {
  std::vector<TReadMail> result;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line == "MAIL") {
      result.emplace_back();
      continue;
    }
    const auto eq = line.find('=');
    if (result.empty() || eq == std::string::npos) continue;
    result.back()[line.substr(0, eq)].push_back(Unescape(line.substr(eq + 1)));
  }
  return result;
}

// The delivered messages in delivery order; values of repeated names joined by ";".
inline std::vector<TDelivered> Delivered(const std::filesystem::path& outDir) {
  std::vector<TDelivered> result;
  const std::string cmd = kE2EPython + " " + kE2EHere + "sendrun_check.py '" + outDir.string() + "'";
  for (const TReadMail& mail : ReadMails(RunChecked(cmd))) {
    TDelivered& d = result.emplace_back();
    for (const auto& [key, values] : mail) {
      std::string& slot = d[key];
      for (const std::string& v : values) slot += (slot.empty() ? "" : ";") + v;
    }
  }
  return result;
}

// What Python's email package reads in each mail the scripted server got (sendrun_got_check.py).
inline std::vector<TReadMail> GotReadByPython(const std::filesystem::path& outDir) {
  return ReadMails(RunChecked(kE2EPython + " " + kE2EHere + "sendrun_got_check.py '" + outDir.string() + "'"));
}

inline std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

}  // namespace orv::test
