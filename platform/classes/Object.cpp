// Class identity of objects, GUID text forms and interface queries.
#include "platform/classes/Object.h"
#include <cxxabi.h>
#include <cstdlib>
#include <memory>
#include <typeinfo>
#include "platform/classes/TypeInfo.h"
#include "platform/rtl/Exceptions.h"

namespace orv {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

TGUID TGUID::FromString(std::string_view text) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  auto fail = [&]() -> TGUID {
    throw EConvertError("'" + AnsiString(text) + "' ist keine g\xFCltige GUID");
  };
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return fail();
  Byte bytes[16];
  int n = 0;
  for (size_t i = 1; i < 37;) {
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      if (text[i] != '-') return fail();
      ++i;
      continue;
    }
    int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return fail();
    bytes[n++] = static_cast<Byte>(hi * 16 + lo);
    i += 2;
  }
  TGUID g;
  g.D1 = (LongWord{bytes[0]} << 24) | (LongWord{bytes[1]} << 16) | (LongWord{bytes[2]} << 8) | bytes[3];
  g.D2 = static_cast<Word>((bytes[4] << 8) | bytes[5]);
  g.D3 = static_cast<Word>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) g.D4[i] = bytes[8 + i];
  return g;
}

AnsiString TGUID::ToString() const {
  static const char* hex = "0123456789ABCDEF";
  AnsiString s = "{";
  auto put = [&](std::uint64_t v, int digits) {
    for (int i = digits - 1; i >= 0; --i) s += hex[(v >> (i * 4)) & 0xF];
  };
  put(D1, 8);
  s += '-';
  put(D2, 4);
  s += '-';
  put(D3, 4);
  s += '-';
  put(D4[0], 2);
  put(D4[1], 2);
  s += '-';
  for (int i = 2; i < 8; ++i) put(D4[i], 2);
  s += '}';
  return s;
}

const TClassInfo* TObject::ClassType() const { return ClassInfoOfObject(this); }

AnsiString TObject::ClassName() const {
  if (const TClassInfo* c = ClassInfoOf(typeid(*this))) return c->Name;
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(
      abi::__cxa_demangle(typeid(*this).name(), nullptr, nullptr, &status), std::free);
  AnsiString full = status == 0 && name ? AnsiString(name.get()) : AnsiString(typeid(*this).name());
  auto colon = full.rfind("::");
  return colon == AnsiString::npos ? full : full.substr(colon + 2);
}

bool TObject::InheritsFrom(std::string_view className) const {
  const TClassInfo* c = ClassType();
  return c && c->InheritsFrom(className);
}

bool TObject::InheritsFrom(const TClassInfo* cls) const {
  const TClassInfo* c = ClassType();
  return c && cls && c->InheritsFrom(cls);
}

bool TObject::QueryInterface(const TGUID&, void** obj) {
  if (obj) *obj = nullptr;
  return false;
}

bool Supports(TObject* obj, const TGUID& iid, void** intf) {
  void* dummy = nullptr;
  void** out = intf ? intf : &dummy;
  *out = nullptr;
  return obj && obj->QueryInterface(iid, out) && *out;
}

}  // namespace orv
