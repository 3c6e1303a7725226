// A file's bytes read or written whole, for tests.
#pragma once
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace orv::test {

// The file's bytes; empty when it cannot be read.
inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The file made to hold exactly the bytes.
inline void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace orv::test
