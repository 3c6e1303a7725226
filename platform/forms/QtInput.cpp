// Mapping of Qt keys, buttons and modifiers to virtual-key codes and message parameters.
#include "platform/forms/QtInput.h"

#include <QKeyEvent>
#include "platform/win/Keyboard.h"
#include "platform/win/Messages.h"

namespace orv {
namespace {

struct TKeyPair { int Qt; int VK; };
constexpr TKeyPair kKeys[] = {
  {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Backtab, VK_TAB},
  {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN}, {Qt::Key_Shift, VK_SHIFT},
  {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU}, {Qt::Key_Pause, VK_PAUSE},
  {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Space, VK_SPACE},
  {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_End, VK_END},
  {Qt::Key_Home, VK_HOME}, {Qt::Key_Left, VK_LEFT}, {Qt::Key_Up, VK_UP},
  {Qt::Key_Right, VK_RIGHT}, {Qt::Key_Down, VK_DOWN}, {Qt::Key_Print, VK_SNAPSHOT},
  {Qt::Key_Insert, VK_INSERT}, {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Help, VK_HELP},
  {Qt::Key_Menu, VK_APPS}, {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL},
  {Qt::Key_Semicolon, VK_OEM_1}, {Qt::Key_Equal, VK_OEM_PLUS}, {Qt::Key_Plus, VK_OEM_PLUS},
  {Qt::Key_Comma, VK_OEM_COMMA}, {Qt::Key_Minus, VK_OEM_MINUS}, {Qt::Key_Period, VK_OEM_PERIOD},
  {Qt::Key_Slash, VK_OEM_2}, {Qt::Key_QuoteLeft, VK_OEM_3}, {Qt::Key_BracketLeft, VK_OEM_4},
  {Qt::Key_Backslash, VK_OEM_5}, {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_Apostrophe, VK_OEM_7},
};

}  // namespace

int QtKeyToVK(int qtKey) {
  if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
    return qtKey;  // '0'..'9' and 'A'..'Z' are their own codes in both
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return VK_F1 + (qtKey - Qt::Key_F1);
  for (const auto& k : kKeys)
    if (k.Qt == qtKey) return k.VK;
  return 0;
}

int VKToQtKey(int vk) {
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return vk;
  if (vk >= VK_F1 && vk <= VK_F24) return Qt::Key_F1 + (vk - VK_F1);
  for (const auto& k : kKeys)
    if (k.VK == vk) return k.Qt;
  return Qt::Key_unknown;
}

WPARAM QtMouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  WPARAM keys = 0;
  if (buttons & Qt::LeftButton) keys |= MK_LBUTTON;
  if (buttons & Qt::RightButton) keys |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton) keys |= MK_MBUTTON;
  if (modifiers & Qt::ShiftModifier) keys |= MK_SHIFT;
  if (modifiers & Qt::ControlModifier) keys |= MK_CONTROL;
  return keys;
}

LPARAM QtKeyData(int vk, Qt::KeyboardModifiers modifiers, bool release) {
  std::uint32_t data = 1;
  data |= (MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC) & 0xFF) << 16;
  if (modifiers & Qt::AltModifier) data |= 1u << 29;
  if (release) data |= (1u << 30) | (1u << 31);
  return static_cast<LPARAM>(data);
}

void SyncModifierState(Qt::KeyboardModifiers modifiers) {
  SetKeyDown(VK_SHIFT, (modifiers & Qt::ShiftModifier) != 0);
  SetKeyDown(VK_CONTROL, (modifiers & Qt::ControlModifier) != 0);
  SetKeyDown(VK_MENU, (modifiers & Qt::AltModifier) != 0);
}

}  // namespace orv
