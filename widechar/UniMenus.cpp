// Wide shortcut texts, hot-key markers, the wide texts of system menu entries and the wide popup
// list.
#include "widechar/UniMenus.h"

#include <memory>
#include "platform/forms/Forms.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/Keyboard.h"
#include "platform/win/LastError.h"
#include "platform/win/Version.h"
#include "widechar/UniForms.h"
#include "widechar/UniSysUtils.h"
#include "widechar/UniSystem.h"

namespace orv {

namespace {

// The keys whose names the class library gives itself.
bool ClassLibraryNamesKey(Word key) {
  return key == VK_BACK || key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_SPACE ||
         (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE || (key >= VK_F1 && key <= VK_F24);
}

// A Far-East "(&X)" group starting at position i of text.
bool IsHotKeyGroup(const WideString& text, std::size_t i) {
  return OSVersion().FarEast && i + 3 < text.size() && text[i] == u'(' && text[i + 1] == u'&' && text[i + 3] == u')';
}

}  // namespace

WideString WideKeyName(Word key) {
  const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  if (scan == 0) return {};
  char16_t buffer[256] = {};
  GetKeyNameTextW(static_cast<LONG>(scan << 16), buffer, 256);
  return WideString(buffer);
}

WideString WideShortCutToText(Word shortCut) {
  const Word key = static_cast<Word>(shortCut & 0xFF);
  if (!Win32PlatformIsUnicode || ClassLibraryNamesKey(key)) return AnsiToWide(ShortCutToText(shortCut));
  WideString keyText;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') || (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)) {
    if (const UINT c = MapVirtualKeyW(key, MAPVK_VK_TO_CHAR); c != 0) keyText = WideString(1, static_cast<WideChar>(c));
  } else {
    keyText = WideKeyName(key);
  }
  if (keyText.empty()) return {};
  WideString text;
  if (shortCut & scShift) text += u"Umsch+";
  if (shortCut & scCtrl) text += u"Strg+";
  if (shortCut & scAlt) text += u"Alt+";
  return text + keyText;
}

WideString WideStripHotkey(const WideString& text) {
  WideString out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (i > 0 && text[i] == u'&' && IsHotKeyGroup(text, i - 1)) {
      out.pop_back();  // the "(" before it
      i += 3;
      continue;
    }
    if (text[i] == u'&') {
      if (i + 1 < text.size()) out += text[i + 1];
      i += 2;
      continue;
    }
    out += text[i++];
  }
  return out;
}

bool WideSameCaption(const WideString& a, const WideString& b) { return WideSameText(WideStripHotkey(a), WideStripHotkey(b)); }

bool WideSameCaptionExact(const WideString& a, const WideString& b) { return WideStripHotkey(a) == WideStripHotkey(b); }

WideString SyncHotKeyPosition(const WideString& source, const WideString& destination) {
  const AnsiString ansiSource = WideToAnsi(source);
  if (ansiSource == WideToAnsi(destination)) return destination;
  if (WideStripHotkey(AnsiToWide(ansiSource)) != WideStripHotkey(AnsiToWide(WideToAnsi(destination)))) return destination;
  WideString result = WideStripHotkey(destination);
  std::size_t r = 0;
  std::size_t s = 0;
  while (s < source.size()) {
    if (IsHotKeyGroup(source, s)) {
      result.insert(std::min(r, result.size()), source.substr(s, 4));
      r += 4;
      s += 4;
    } else if (source[s] == u'&') {
      result.insert(std::min(r, result.size()), 1, u'&');
      // The character after the marker is the destination's own (a second "&" included).
      r += 2;
      s += 2;
    } else {
      ++r;
      ++s;
    }
  }
  if (WideToAnsi(result) != ansiSource)
    throw EUniInternalError(Format(SSyncHotKeyPositionFailed, {ansiSource, WideToAnsi(result)}));
  return result;
}

WideString GetMenuItemWideHint(TMenuItem* item) {
  if (auto* uni = dynamic_cast<TUniMenuItem*>(item)) return uni->WideHint();
  return item != nullptr ? AnsiToWide(item->Hint()) : WideString();
}

void UpdateWideMenuItemText(TUniMenuItem* item, TMenu* menu) {
  if (item == nullptr) return;
  if (!item->HasOwnMeasureHandler()) {
    if (item->OnMeasureItem) item->UserMeasureItem = item->OnMeasureItem;
    item->InstallOwnMeasureHandler();
  }
  if (!Win32PlatformIsUnicode || !item->Visible() || item->Parent() == nullptr || menu == nullptr) return;
  if (item->ComponentState().Contains(csReading) || item->ComponentState().Contains(csDestroying)) return;
  const HMENU handle = menu->Handle();
  MENUITEMINFOW info;
  info.fMask = MIIM_TYPE;
  if (!GetMenuItemInfoW(handle, item->Command(), false, &info)) return;
  if ((info.fType & (MFT_BITMAP | MFT_OWNERDRAW | MFT_SEPARATOR)) != 0) return;
  WideString text = item->WideCaption();
  if (item->Count() == 0 && item->ShortCut() != 0 && !item->IsMenuBarEntry())
    text += u"\t" + WideShortCutToText(item->ShortCut());
  const int length = GetMenuStringW(handle, item->Command(), nullptr, 0, MF_BYCOMMAND);
  WideString current(static_cast<std::size_t>(std::max(0, length)) + 1, u'\0');
  const int n = GetMenuStringW(handle, item->Command(), current.data(), length + 1, MF_BYCOMMAND);
  current.resize(static_cast<std::size_t>(std::max(0, n)));
  if (current == text) return;
  MENUITEMINFOW write;
  write.fMask = MIIM_TYPE;
  write.fType = info.fType;
  write.dwTypeData = text.data();
  if (!SetMenuItemInfoW(handle, item->Command(), false, &write)) RaiseLastSystemError();
  if (item->IsMenuBarEntry() && menu->WindowHandle() && IsWindow(menu->WindowHandle())) DrawMenuBar(menu->WindowHandle());
}

void UpdateWideMenuTexts(TMenuItem* item, TMenu* menu) {
  if (item == nullptr) return;
  if (item->ComponentState().Contains(csReading) || item->ComponentState().Contains(csDestroying)) return;
  for (Integer i = item->Count() - 1; i >= 0; --i) UpdateWideMenuTexts(item->Items(i), menu);
  if (auto* uni = dynamic_cast<TUniMenuItem*>(item)) UpdateWideMenuItemText(uni, menu);
}

void RefreshMenuForBiDi(TMenu* menu) {
  if (menu == nullptr || !OSVersion().MiddleEast || menu->Items()->Count() == 0) return;
  if (auto* first = dynamic_cast<TUniMenuItem*>(menu->Items()->Items(0))) UpdateWideMenuItemText(first, menu);
}

// ----- TUniPopupList -----

TUniPopupList::TUniPopupList() : FSavedPopupList(PopupList()) {}

void TUniPopupList::WndProc(TMessage& message) {
  if (message.Msg == WM_MENUSELECT) {
    const UINT flags = HIWORD(message.WParam);
    const UINT id = LOWORD(message.WParam);
    const HMENU source = HMENU::FromParam(static_cast<std::uint64_t>(message.LParam));
    for (TPopupMenu* menu : Menus()) {
      TMenuItem* item = nullptr;
      if ((flags & MF_POPUP) != 0) {
        if (source) item = menu->FindItem(GetSubMenu(source, static_cast<int>(id)).Value, fkHandle);
      } else {
        item = menu->FindItem(id, fkCommand);
      }
      if (item != nullptr) {
        SetWideApplicationHint(WideGetLongHint(GetMenuItemWideHint(item)));
        return;
      }
    }
    SetWideApplicationHint(WideString());
  } else if (message.Msg == WM_ENTERMENULOOP) {
    SetPopupList(FSavedPopupList);
    for (TPopupMenu* menu : Menus()) RefreshMenuForBiDi(menu);
  }
  TPopupList::WndProc(message);
}

namespace {
std::unique_ptr<TUniPopupList> gUniPopupList;
}

void InitUniMenus() {
  if (!gUniPopupList) gUniPopupList = std::make_unique<TUniPopupList>();
}

void FinalizeUniMenus() { gUniPopupList.reset(); }

TUniPopupList* UniPopupList() { return gUniPopupList.get(); }

}  // namespace orv
