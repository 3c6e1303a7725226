// Benchmark: our base64 (76-character CRLF lines) against coreutils base64 on 100 MB of CRLF text
// with about 3 % 8-bit bytes. Last line "base64: R", R = our speed / coreutils' speed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include "bench/MailBench.h"
#include "mail/MailEncoders.h"
#include "platform/rtl/Streams.h"

namespace {

using orvbench::MakeText;
using orvbench::Seconds;

// Where the encoded text goes: nowhere, as coreutils' output goes to /dev/null.
class TNullStream : public orv::TStream {
 public:
  orv::Int64 Read(void*, orv::Int64) override { return 0; }
  orv::Int64 Write(const void*, orv::Int64 count) override {
    FSize += count;
    return count;
  }
  orv::Int64 Seek(orv::Int64, orv::TSeekOrigin) override { return 0; }
  void SetSize(orv::Int64 size) override { FSize = size; }
  orv::Int64 Written() const { return FSize; }
 private:
  orv::Int64 FSize = 0;
};

}  // namespace

int main() {
  const size_t size = 100u * 1024 * 1024;
  const std::string text = MakeText(size);
  const std::string path = "/tmp/orv_bench_base64_" + std::to_string(::getpid()) + ".txt";
  {
    std::ofstream f(path, std::ios::binary);
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  double ours = 1e30, theirs = 1e30;
  size_t outSize = 0;
  for (int round = 0; round < 3; ++round) {
    auto t0 = std::chrono::steady_clock::now();
    {
      orv::TFileStream source(path, orv::fmOpenRead);
      TNullStream sink;
      orv::EncodeBase64Stream(source, sink);
      outSize = static_cast<size_t>(sink.Written());
    }
    ours = std::min(ours, Seconds(t0));
    t0 = std::chrono::steady_clock::now();
    if (std::system(("base64 '" + path + "' > /dev/null").c_str()) != 0) {
      std::fprintf(stderr, "base64 failed\n");
      return 1;
    }
    theirs = std::min(theirs, Seconds(t0));
  }
  std::remove(path.c_str());
  const auto tm = std::chrono::steady_clock::now();
  const size_t memSize = orv::EncodeBase64(text).size();
  const double memory = Seconds(tm);
  if (memSize != outSize) std::fprintf(stderr, "stream and memory forms differ in size\n");
  const double mb = size / 1e6;
  std::printf("input: %.1f MB, our output %zu bytes (in-memory EncodeBase64: %.3f s)\n", mb, outSize,
              memory);
  std::printf("ours (EncodeBase64Stream, file to a null stream): %.3f s, %.1f MB/s\n", ours, mb / ours);
  std::printf("coreutils base64 (file to /dev/null): %.3f s, %.1f MB/s\n", theirs, mb / theirs);
  std::printf("base64: %.2f\n", theirs / ours);
  return 0;
}
