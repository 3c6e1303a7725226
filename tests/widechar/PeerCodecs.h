// Python's codecs and iconv as peers of the UTF conversions: a batch of texts through one peer
// call, each answer as bytes or units, or nothing where the peer refused the input.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>
#include "platform/rtl/Types.h"
#include "tests/support/ShellCommand.h"

namespace orv::test {

inline std::string HexOf(std::string_view bytes) {
  static const char* digits = "0123456789abcdef";
  std::string h;
  for (unsigned char c : bytes) {
    h += digits[c >> 4];
    h += digits[c & 15];
  }
  return h;
}

inline std::string BytesOfHex(const std::string& hex) {
  std::string s;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    s += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return s;
}

inline std::string Utf16LeOf(const WideString& text) {
  std::string bytes;
  for (char16_t u : text) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

inline WideString WideOfUtf16Le(const std::string& bytes) {
  WideString w;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    w += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
  return w;
}

// Runs command with input on stdin and returns its stdout.
inline std::string RunPeer(const std::string& command, const std::string& input) {
  const std::string inFile = ::testing::TempDir() + "widechar_peer_" + std::to_string(::getpid());
  std::ofstream(inFile, std::ios::binary) << input;
  int status = 0;
  std::string out = RunCommand(command + " < '" + inFile + "' 2>/dev/null", &status);
  EXPECT_NE(status, -1) << command;
  std::remove(inFile.c_str());
  return out;
}

// The Python script's answers to hex lines, one per input; nullopt where it printed ERR.
inline std::vector<std::optional<std::string>> PythonCodec(const std::string& mode, const std::vector<std::string>& inputs) {
  const std::string script = std::string(ORV_SOURCE_DIR) + "/tests/widechar/utf_peer.py";
  std::string lines;
  for (const std::string& in : inputs) lines += HexOf(in) + "\n";
  std::istringstream out(RunPeer("/usr/bin/python3 '" + script + "' " + mode, lines));
  std::vector<std::optional<std::string>> answers;
  std::string line;
  while (std::getline(out, line)) {
    if (line == "ERR") answers.emplace_back(std::nullopt);
    else answers.emplace_back(BytesOfHex(line));
  }
  return answers;
}

// iconv's conversion of one input; nullopt when iconv refuses it.
inline std::optional<std::string> Iconv(const std::string& from, const std::string& to, const std::string& input) {
  const std::string marker = "\x01ok";
  std::string out = RunPeer("(iconv -f " + from + " -t " + to + " && printf '\\001ok')", input);
  if (out.size() < marker.size() || out.compare(out.size() - marker.size(), marker.size(), marker) != 0)
    return std::nullopt;
  out.resize(out.size() - marker.size());
  return out;
}

}  // namespace orv::test
