// The global atom table: names from 0xC000 up with addition counts, and the "#n" integer atoms.
#include "platform/win/Atoms.h"

#include <unordered_map>
#include <vector>
#include "platform/win/Immortal.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/LastError.h"
#include "platform/win/NameKey.h"

namespace orv {

namespace {

constexpr ATOM FirstStringAtom = 0xC000;
constexpr std::size_t MaxAtomName = 255;

struct TAtomEntry {
  WideString Name;
  int Count = 0;  // 0: the slot is free
};

struct TAtomTable {
  std::vector<TAtomEntry> Entries;  // index = atom - FirstStringAtom
  std::unordered_map<WideString, ATOM> ByKey;
  std::vector<ATOM> Free;
};

TAtomTable& Table() {
  static winimpl::TImmortal<TAtomTable> table;
  return table.Get();
}

// "#123" names the integer atom 123; returns -1 when the name is not of that form, 0 when the
// number is out of range.
int IntegerAtomOf(const WideString& name) {
  if (name.size() < 2 || name[0] != u'#') return -1;
  long value = 0;
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (name[i] < u'0' || name[i] > u'9') return -1;
    value = value * 10 + (name[i] - u'0');
    if (value >= FirstStringAtom) return 0;
  }
  return static_cast<int>(value);
}

bool ValidName(const WideString& name) {
  if (name.empty() || name.size() > MaxAtomName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

}  // namespace

ATOM GlobalAddAtomW(const WideString& name) {
  if (!ValidName(name)) return 0;
  if (int n = IntegerAtomOf(name); n >= 0) {
    if (n == 0) SetLastError(ERROR_INVALID_PARAMETER);
    return static_cast<ATOM>(n);
  }
  auto& t = Table();
  WideString key = NameKey(name);
  if (auto it = t.ByKey.find(key); it != t.ByKey.end()) {
    ++t.Entries[it->second - FirstStringAtom].Count;
    return it->second;
  }
  ATOM atom;
  if (!t.Free.empty()) {
    atom = t.Free.back();
    t.Free.pop_back();
  } else {
    if (t.Entries.size() >= 0x10000u - FirstStringAtom) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    atom = static_cast<ATOM>(FirstStringAtom + t.Entries.size());
    t.Entries.emplace_back();
  }
  t.Entries[atom - FirstStringAtom] = {name, 1};
  t.ByKey.emplace(std::move(key), atom);
  return atom;
}

ATOM GlobalAddAtomA(const AnsiString& name) { return GlobalAddAtomW(AnsiToWide(name)); }

ATOM GlobalFindAtomW(const WideString& name) {
  if (!ValidName(name)) return 0;
  if (int n = IntegerAtomOf(name); n >= 0) return static_cast<ATOM>(n);
  auto& t = Table();
  auto it = t.ByKey.find(NameKey(name));
  return it == t.ByKey.end() ? 0 : it->second;
}

ATOM GlobalFindAtomA(const AnsiString& name) { return GlobalFindAtomW(AnsiToWide(name)); }

ATOM GlobalDeleteAtom(ATOM atom) {
  if (atom < FirstStringAtom) return 0;
  auto& t = Table();
  std::size_t index = atom - FirstStringAtom;
  if (index >= t.Entries.size() || t.Entries[index].Count == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return atom;
  }
  auto& entry = t.Entries[index];
  if (--entry.Count == 0) {
    t.ByKey.erase(NameKey(entry.Name));
    entry.Name.clear();
    t.Free.push_back(atom);
  }
  return 0;
}

WideString AtomName(ATOM atom) {
  if (atom == 0) return {};
  if (atom < FirstStringAtom) {
    std::string digits = std::to_string(atom);
    return u"#" + WideString(digits.begin(), digits.end());
  }
  auto& t = Table();
  std::size_t index = atom - FirstStringAtom;
  if (index >= t.Entries.size() || t.Entries[index].Count == 0) return {};
  return t.Entries[index].Name;
}

UINT GlobalGetAtomNameW(ATOM atom, char16_t* buffer, int size) {
  WideString name = AtomName(atom);
  if (name.empty() || buffer == nullptr || size <= 0) {
    SetLastError(name.empty() ? ERROR_INVALID_PARAMETER : ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::size_t n = std::min<std::size_t>(name.size(), static_cast<std::size_t>(size) - 1);
  name.copy(buffer, n);
  buffer[n] = 0;
  return static_cast<UINT>(n);
}

UINT GlobalGetAtomNameA(ATOM atom, char* buffer, int size) {
  AnsiString name = WideToAnsi(AtomName(atom));
  if (name.empty() || buffer == nullptr || size <= 0) {
    SetLastError(name.empty() ? ERROR_INVALID_PARAMETER : ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::size_t n = std::min<std::size_t>(name.size(), static_cast<std::size_t>(size) - 1);
  name.copy(buffer, n);
  buffer[n] = 0;
  return static_cast<UINT>(n);
}

}  // namespace orv
