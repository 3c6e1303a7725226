// Test helpers for the data files: hand-written hex fixtures (hex byte pairs, "quoted" text for
// readable strings, # comments) and a temporary folder per test.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/rtl/Types.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/FileBytes.h"

namespace orv::test {

inline std::string HexBytes(const std::string& text) {
  std::string out;
  std::size_t i = 0;
  auto hexValue = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  while (i < text.size()) {
    const char c = text[i];
    if (c == '#') {
      while (i < text.size() && text[i] != '\n') ++i;
    } else if (c == '"') {
      const std::size_t end = text.find('"', i + 1);
      if (end == std::string::npos) throw std::runtime_error("unterminated text in hex fixture");
      out.append(text, i + 1, end - i - 1);
      i = end + 1;
    } else if (hexValue(c) >= 0) {
      if (i + 1 >= text.size() || hexValue(text[i + 1]) < 0)
        throw std::runtime_error("odd hex digit in fixture at offset " + std::to_string(i));
      out.push_back(static_cast<char>(hexValue(c) * 16 + hexValue(text[i + 1])));
      i += 2;
    } else {
      ++i;
    }
  }
  return out;
}

inline std::string FixtureBytes(const std::string& name) {
  const std::string path = std::string(ORV_SOURCE_DIR) + "/tests/app/fixtures/" + name;
  const std::string text = ReadFileBytes(path);
  if (text.empty()) throw std::runtime_error("missing fixture " + path);
  return HexBytes(text);
}

// A fresh folder for the files of one test, removed afterwards.
class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orv_store_XXXXXX";
    const char* dir = mkdtemp(pattern);
    ASSERT_NE(dir, nullptr);
    FDir = std::string(dir) + "/";
  }
  void TearDown() override {
    const std::string cmd = "chmod -R u+w '" + FDir + "' && rm -rf '" + FDir + "'";
    (void)!system(cmd.c_str());
  }
  std::string Path(const std::string& name) const { return FDir + name; }
  bool Exists(const std::string& name) const { return std::ifstream(Path(name)).good(); }
  // Names in the folder, sorted, to catch left-over temporary files.
  std::string Listing() const {
    return RunCommand("ls -A '" + FDir + "'");
  }
  std::string FDir;
};

}  // namespace orv::test
