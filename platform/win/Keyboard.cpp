// Key state kept for GetKeyState, and the scan codes, characters and names of a US keyboard.
#include "platform/win/Keyboard.h"

#include <algorithm>
#include <array>

namespace orv {

namespace {

constexpr Byte StateDown = 0x80;
constexpr Byte StateToggled = 0x01;

std::array<Byte, 256>& KeyStates() {
  static std::array<Byte, 256> states{};
  return states;
}

struct TKeyInfo {
  int Vk;
  UINT Scan;
  bool Extended;
  char16_t Char;  // unshifted character, 0 for none
  const char16_t* Name;
};

// VK_TO_VSC gives the first entry of a key; VSC_TO_VK the first non-extended entry of a scan code.
constexpr TKeyInfo Keys[] = {
    {VK_ESCAPE, 0x01, false, 27, u"Esc"},
    {'1', 0x02, false, u'1', u"1"}, {'2', 0x03, false, u'2', u"2"}, {'3', 0x04, false, u'3', u"3"},
    {'4', 0x05, false, u'4', u"4"}, {'5', 0x06, false, u'5', u"5"}, {'6', 0x07, false, u'6', u"6"},
    {'7', 0x08, false, u'7', u"7"}, {'8', 0x09, false, u'8', u"8"}, {'9', 0x0A, false, u'9', u"9"},
    {'0', 0x0B, false, u'0', u"0"},
    {VK_OEM_MINUS, 0x0C, false, u'-', u"-"}, {VK_OEM_PLUS, 0x0D, false, u'=', u"="},
    {VK_BACK, 0x0E, false, 8, u"Backspace"}, {VK_TAB, 0x0F, false, 9, u"Tab"},
    {'Q', 0x10, false, u'Q', u"Q"}, {'W', 0x11, false, u'W', u"W"}, {'E', 0x12, false, u'E', u"E"},
    {'R', 0x13, false, u'R', u"R"}, {'T', 0x14, false, u'T', u"T"}, {'Y', 0x15, false, u'Y', u"Y"},
    {'U', 0x16, false, u'U', u"U"}, {'I', 0x17, false, u'I', u"I"}, {'O', 0x18, false, u'O', u"O"},
    {'P', 0x19, false, u'P', u"P"},
    {VK_OEM_4, 0x1A, false, u'[', u"["}, {VK_OEM_6, 0x1B, false, u']', u"]"},
    {VK_RETURN, 0x1C, false, 13, u"Enter"},
    {VK_CONTROL, 0x1D, false, 0, u"Ctrl"}, {VK_LCONTROL, 0x1D, false, 0, u"Ctrl"},
    {'A', 0x1E, false, u'A', u"A"}, {'S', 0x1F, false, u'S', u"S"}, {'D', 0x20, false, u'D', u"D"},
    {'F', 0x21, false, u'F', u"F"}, {'G', 0x22, false, u'G', u"G"}, {'H', 0x23, false, u'H', u"H"},
    {'J', 0x24, false, u'J', u"J"}, {'K', 0x25, false, u'K', u"K"}, {'L', 0x26, false, u'L', u"L"},
    {VK_OEM_1, 0x27, false, u';', u";"}, {VK_OEM_7, 0x28, false, u'\'', u"'"},
    {VK_OEM_3, 0x29, false, u'`', u"`"},
    {VK_SHIFT, 0x2A, false, 0, u"Shift"}, {VK_LSHIFT, 0x2A, false, 0, u"Shift"},
    {VK_OEM_5, 0x2B, false, u'\\', u"\\"},
    {'Z', 0x2C, false, u'Z', u"Z"}, {'X', 0x2D, false, u'X', u"X"}, {'C', 0x2E, false, u'C', u"C"},
    {'V', 0x2F, false, u'V', u"V"}, {'B', 0x30, false, u'B', u"B"}, {'N', 0x31, false, u'N', u"N"},
    {'M', 0x32, false, u'M', u"M"},
    {VK_OEM_COMMA, 0x33, false, u',', u","}, {VK_OEM_PERIOD, 0x34, false, u'.', u"."},
    {VK_OEM_2, 0x35, false, u'/', u"/"},
    {VK_RSHIFT, 0x36, false, 0, u"Right Shift"},
    {VK_MULTIPLY, 0x37, false, u'*', u"Num *"},
    {VK_MENU, 0x38, false, 0, u"Alt"}, {VK_LMENU, 0x38, false, 0, u"Alt"},
    {VK_SPACE, 0x39, false, u' ', u"Space"},
    {VK_CAPITAL, 0x3A, false, 0, u"Caps Lock"},
    {VK_F1, 0x3B, false, 0, u"F1"}, {VK_F1 + 1, 0x3C, false, 0, u"F2"},
    {VK_F1 + 2, 0x3D, false, 0, u"F3"}, {VK_F1 + 3, 0x3E, false, 0, u"F4"},
    {VK_F1 + 4, 0x3F, false, 0, u"F5"}, {VK_F1 + 5, 0x40, false, 0, u"F6"},
    {VK_F1 + 6, 0x41, false, 0, u"F7"}, {VK_F1 + 7, 0x42, false, 0, u"F8"},
    {VK_F1 + 8, 0x43, false, 0, u"F9"}, {VK_F1 + 9, 0x44, false, 0, u"F10"},
    {VK_PAUSE, 0x45, false, 0, u"Pause"},
    {VK_SCROLL, 0x46, false, 0, u"Scroll Lock"},
    {VK_HOME, 0x47, false, 0, u"Num 7"}, {VK_UP, 0x48, false, 0, u"Num 8"},
    {VK_PRIOR, 0x49, false, 0, u"Num 9"}, {VK_SUBTRACT, 0x4A, false, u'-', u"Num -"},
    {VK_LEFT, 0x4B, false, 0, u"Num 4"}, {VK_CLEAR, 0x4C, false, 0, u"Num 5"},
    {VK_RIGHT, 0x4D, false, 0, u"Num 6"}, {VK_ADD, 0x4E, false, u'+', u"Num +"},
    {VK_END, 0x4F, false, 0, u"Num 1"}, {VK_DOWN, 0x50, false, 0, u"Num 2"},
    {VK_NEXT, 0x51, false, 0, u"Num 3"}, {VK_INSERT, 0x52, false, 0, u"Num 0"},
    {VK_DELETE, 0x53, false, 0, u"Num Del"},
    {VK_NUMPAD0 + 7, 0x47, false, u'7', u"Num 7"}, {VK_NUMPAD0 + 8, 0x48, false, u'8', u"Num 8"},
    {VK_NUMPAD0 + 9, 0x49, false, u'9', u"Num 9"}, {VK_NUMPAD0 + 4, 0x4B, false, u'4', u"Num 4"},
    {VK_NUMPAD0 + 5, 0x4C, false, u'5', u"Num 5"}, {VK_NUMPAD0 + 6, 0x4D, false, u'6', u"Num 6"},
    {VK_NUMPAD0 + 1, 0x4F, false, u'1', u"Num 1"}, {VK_NUMPAD0 + 2, 0x50, false, u'2', u"Num 2"},
    {VK_NUMPAD0 + 3, 0x51, false, u'3', u"Num 3"}, {VK_NUMPAD0, 0x52, false, u'0', u"Num 0"},
    {VK_DECIMAL, 0x53, false, u'.', u"Num Del"},
    {VK_F1 + 10, 0x57, false, 0, u"F11"}, {VK_F12, 0x58, false, 0, u"F12"},
    {VK_RETURN, 0x1C, true, 13, u"Num Enter"},
    {VK_RCONTROL, 0x1D, true, 0, u"Right Ctrl"},
    {VK_DIVIDE, 0x35, true, u'/', u"Num /"},
    {VK_SNAPSHOT, 0x37, true, 0, u"Prnt Scrn"},
    {VK_RMENU, 0x38, true, 0, u"Right Alt"},
    {VK_NUMLOCK, 0x45, true, 0, u"Num Lock"},
    {VK_HOME, 0x47, true, 0, u"Home"}, {VK_UP, 0x48, true, 0, u"Up"},
    {VK_PRIOR, 0x49, true, 0, u"Page Up"}, {VK_LEFT, 0x4B, true, 0, u"Left"},
    {VK_RIGHT, 0x4D, true, 0, u"Right"}, {VK_END, 0x4F, true, 0, u"End"},
    {VK_DOWN, 0x50, true, 0, u"Down"}, {VK_NEXT, 0x51, true, 0, u"Page Down"},
    {VK_INSERT, 0x52, true, 0, u"Insert"}, {VK_DELETE, 0x53, true, 0, u"Delete"},
    {VK_LWIN, 0x5B, true, 0, u"Left Super"}, {VK_RWIN, 0x5C, true, 0, u"Right Super"},
    {VK_APPS, 0x5D, true, 0, u"Application"},
};

bool IsDown(int vk) { return vk >= 0 && vk < 256 && (KeyStates()[static_cast<std::size_t>(vk)] & StateDown) != 0; }

}  // namespace

std::int16_t GetKeyState(int vk) {
  if (vk < 0 || vk >= 256) return 0;
  bool down = IsDown(vk);
  if (vk == VK_SHIFT) down = down || IsDown(VK_LSHIFT) || IsDown(VK_RSHIFT);
  if (vk == VK_CONTROL) down = down || IsDown(VK_LCONTROL) || IsDown(VK_RCONTROL);
  if (vk == VK_MENU) down = down || IsDown(VK_LMENU) || IsDown(VK_RMENU);
  int value = (down ? 0x8000 : 0) | (KeyStates()[static_cast<std::size_t>(vk)] & StateToggled);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

std::int16_t GetAsyncKeyState(int vk) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(GetKeyState(vk)) & 0x8000u);
}

void SetKeyDown(int vk, bool down) {
  if (vk < 0 || vk >= 256) return;
  auto& s = KeyStates()[static_cast<std::size_t>(vk)];
  s = static_cast<Byte>(down ? (s | StateDown) : (s & ~StateDown));
}

void SetKeyToggled(int vk, bool toggled) {
  if (vk < 0 || vk >= 256) return;
  auto& s = KeyStates()[static_cast<std::size_t>(vk)];
  s = static_cast<Byte>(toggled ? (s | StateToggled) : (s & ~StateToggled));
}

void ResetKeyboardState() { KeyStates().fill(0); }

UINT MapVirtualKeyW(UINT code, UINT mapType) {
  switch (mapType) {
    case MAPVK_VK_TO_VSC:
      for (const auto& k : Keys)
        if (static_cast<UINT>(k.Vk) == code) return k.Scan;
      return 0;
    case MAPVK_VSC_TO_VK:
      for (const auto& k : Keys)
        if (k.Scan == code && !k.Extended) return static_cast<UINT>(k.Vk);
      return 0;
    case MAPVK_VK_TO_CHAR:
      for (const auto& k : Keys)
        if (static_cast<UINT>(k.Vk) == code && k.Char != 0) return k.Char;
      return 0;
    default:
      return 0;
  }
}

WideString KeyNameText(LONG lParam) {
  auto bits = static_cast<std::uint32_t>(lParam);
  UINT scan = (bits >> 16) & 0xFF;
  bool extended = (bits & (1u << 24)) != 0;
  for (const auto& k : Keys)
    if (k.Scan == scan && k.Extended == extended) return k.Name;
  return {};
}

int GetKeyNameTextW(LONG lParam, char16_t* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  WideString name = KeyNameText(lParam);
  std::size_t n = std::min<std::size_t>(name.size(), static_cast<std::size_t>(size) - 1);
  name.copy(buffer, n);
  buffer[n] = 0;
  return static_cast<int>(n);
}

}  // namespace orv
