// Qt input to the window system's terms: virtual-key codes, key data and mouse-key bits.
#pragma once
#include <Qt>
#include "platform/win/WinTypes.h"

class QKeyEvent;

namespace orv {

// The virtual-key code of a Qt key (0 when there is none).
int QtKeyToVK(int qtKey);
// The Qt key of a virtual-key code (Qt::Key_unknown when there is none).
int VKToQtKey(int vk);
// MK_* bits of the buttons held and the modifiers.
WPARAM QtMouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
// The key data of a key message: repeat count 1, the scan code, bit 29 for Alt, bit 31 on release.
LPARAM QtKeyData(int vk, Qt::KeyboardModifiers modifiers, bool release);
// Keeps the keyboard state of the window layer in step with the modifiers Qt reports.
void SyncModifierState(Qt::KeyboardModifiers modifiers);

}  // namespace orv
