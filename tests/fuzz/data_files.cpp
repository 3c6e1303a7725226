// fuzz-libs: orv_app
// Fuzz target of the application's data-file readers: the first byte picks mails.dat,
// konten.dat or options.dat, the rest is the file. Whatever reads whole must write back to bytes
// that read and write the same again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/KontenStore.h"
#include "app/MailStore.h"
#include "app/OptionsStore.h"

namespace {

using namespace orv;

std::string Bytes(TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

template <typename Read, typename Write>
void Check(const uint8_t* data, size_t size, Read read, Write write) {
  TMemoryStream in;
  in.WriteBuffer(data, static_cast<Int64>(size));
  in.SetPosition(0);
  Integer kept = 0;
  try {
    read(in, kept);
  } catch (const Exception&) {
    return;
  }
  TMemoryStream first;
  try {
    write(first);
  } catch (const Exception&) {
    return;  // a record the file format cannot hold again (a text over 255 bytes is never read)
  }
  first.SetPosition(0);
  read(first, kept);
  TMemoryStream second;
  write(second);
  if (Bytes(first) != Bytes(second)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t kind = data[0] % 3;
  ++data;
  --size;
  if (kind == 0) {
    TDynaArray<TMailRec> mails;
    Check(data, size, [&](TStream& s, Integer& k) { ReadMails(s, mails, k); },
          [&](TStream& s) { WriteMails(s, mails); });
  } else if (kind == 1) {
    TDynaArray<TKontoRec> konten;
    Check(data, size, [&](TStream& s, Integer& k) { ReadKonten(s, konten, k); },
          [&](TStream& s) { WriteKonten(s, konten); });
  } else {
    TOptionsRec options;
    Check(data, size, [&](TStream& s, Integer& k) { ReadOptions(s, options, k); },
          [&](TStream& s) { WriteOptions(s, options); });
  }
  return 0;
}
