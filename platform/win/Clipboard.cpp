// The process clipboard: format registration through the atom table, data per format.
#include "platform/win/Clipboard.h"

#include <algorithm>
#include "platform/rtl/CodePages.h"
#include "platform/win/Atoms.h"
#include "platform/win/Immortal.h"
#include "platform/win/LastError.h"

namespace orv {

namespace {

struct TClipEntry {
  UINT Format;
  std::uint64_t Data;
};

struct TClipState {
  bool Open = false;
  bool Changed = false;
  std::vector<TClipEntry> Entries;
  std::vector<UINT> Registered;
  std::function<void()> Sink;
};

TClipState& State() {
  static winimpl::TImmortal<TClipState> state;
  return state.Get();
}

// Bitmaps and palettes are the drawing layer's handles; every other format is a global block.
constexpr UINT BitmapFormat = 2;
constexpr UINT PaletteFormat = 9;

bool OwnsBlock(UINT format) { return format != BitmapFormat && format != PaletteFormat; }

void Release(const TClipEntry& e) {
  if (OwnsBlock(e.Format)) GlobalFree(HGLOBAL(e.Data));
}

}  // namespace

UINT RegisterClipboardFormatW(const WideString& name) {
  auto& s = State();
  ATOM existing = GlobalFindAtomW(name);
  if (existing >= 0xC000 && std::count(s.Registered.begin(), s.Registered.end(), existing) != 0) return existing;
  ATOM atom = GlobalAddAtomW(name);
  // "#n" names are integer atoms, not formats.
  if (atom < 0xC000) return 0;
  s.Registered.push_back(atom);
  return atom;
}

UINT RegisterClipboardFormatA(const AnsiString& name) { return RegisterClipboardFormatW(AnsiToWide(name)); }

WideString ClipboardFormatName(UINT format) {
  auto& r = State().Registered;
  if (std::count(r.begin(), r.end(), format) == 0) return {};
  return AtomName(static_cast<ATOM>(format));
}

bool OpenClipboard(HWND) {
  auto& s = State();
  if (s.Open) return false;
  s.Open = true;
  s.Changed = false;
  return true;
}

bool CloseClipboard() {
  auto& s = State();
  if (!s.Open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return false;
  }
  s.Open = false;
  if (s.Changed && s.Sink) {
    auto sink = s.Sink;
    sink();
  }
  return true;
}

bool EmptyClipboard() {
  auto& s = State();
  if (!s.Open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return false;
  }
  for (const auto& e : s.Entries) Release(e);
  s.Entries.clear();
  s.Changed = true;
  return true;
}

std::uint64_t SetClipboardData(UINT format, std::uint64_t data) {
  auto& s = State();
  if (!s.Open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return 0;
  }
  if (format == 0 || data == 0 || (OwnsBlock(format) && !IsGlobalBlock(HGLOBAL(data)))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto it = std::find_if(s.Entries.begin(), s.Entries.end(), [&](const TClipEntry& e) { return e.Format == format; });
  if (it != s.Entries.end()) {
    if (it->Data != data) Release(*it);
    it->Data = data;
  } else {
    s.Entries.push_back({format, data});
  }
  s.Changed = true;
  return data;
}

std::uint64_t GetClipboardData(UINT format) {
  auto& s = State();
  auto it = std::find_if(s.Entries.begin(), s.Entries.end(), [&](const TClipEntry& e) { return e.Format == format; });
  return it == s.Entries.end() ? 0 : it->Data;
}

bool IsClipboardFormatAvailable(UINT format) { return GetClipboardData(format) != 0; }

std::vector<UINT> ClipboardFormats() {
  std::vector<UINT> formats;
  for (const auto& e : State().Entries) formats.push_back(e.Format);
  return formats;
}

void SetClipboardChangeSink(std::function<void()> sink) { State().Sink = std::move(sink); }

}  // namespace orv
