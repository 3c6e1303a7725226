// Code-page throughput: 1252 bytes to UTF-16 and back, against Python's cp1252 codec on the same
// text. Prints both rates in MB/s; the last line is "codepage: R" with R = ours / Python's.
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/rtl/CodePages.h"

using namespace orv;

namespace {

std::string SampleText(std::size_t size) {
  // Mostly ASCII with umlauts, the euro sign and typographic quotes, as mailing lists are.
  const std::string line = "Sehr geehrte Frau M\xFCller, vielen Dank f\xFCr Ihre Bestellung \x84Gr\xFC\xDF" "e\x93 \x80 12,50\r\n";
  std::string s;
  while (s.size() < size) s += line;
  s.resize(size);
  return s;
}

double PythonRate(std::size_t size, int rounds) {
  std::string script =
      "import time\n"
      "line = 'Sehr geehrte Frau M\\xfcller, vielen Dank f\\xfcr Ihre Bestellung \\u201eGr\\xfc\\xdfe\\u201c \\u20ac 12,50\\r\\n'\n"
      "data = (line * (" + std::to_string(size) + " // len(line) + 1)).encode('cp1252')[:" + std::to_string(size) + "]\n"
      "t = time.perf_counter()\n"
      "for _ in range(" + std::to_string(rounds) + "):\n"
      "    back = data.decode('cp1252').encode('cp1252')\n"
      "print(time.perf_counter() - t)\n";
  std::string cmd = "/usr/bin/python3 -c \"" ;
  for (char c : script) {
    if (c == '"' || c == '\\' || c == '$' || c == '`') cmd += '\\';
    cmd += c;
  }
  cmd += "\"";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return 0;
  double seconds = 0;
  if (std::fscanf(p, "%lf", &seconds) != 1) seconds = 0;
  pclose(p);
  return seconds > 0 ? static_cast<double>(size) * rounds / seconds / 1e6 : 0;
}

}  // namespace

int main() {
  const std::size_t size = 16 << 20;
  const int rounds = 8;
  std::string text = SampleText(size);
  std::size_t check = 0;
  auto start = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r) {
    WideString wide = MultiByteToWide(text, 1252);
    check += WideToMultiByte(wide, 1252).size();
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (check != size * rounds) {
    std::printf("round trip lost bytes\n");
    return 1;
  }
  double ours = static_cast<double>(size) * rounds / seconds / 1e6;
  double theirs = PythonRate(size, rounds);
  std::printf("ours: %.1f MB/s (1252 -> UTF-16 -> 1252)\n", ours);
  std::printf("python cp1252 codec: %.1f MB/s\n", theirs);
  std::printf("codepage: %.2f\n", theirs > 0 ? ours / theirs : 0.0);
  return 0;
}
