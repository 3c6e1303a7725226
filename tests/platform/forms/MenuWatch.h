// Watches for the pop-up menus that open while a test gives input: each one is recorded as it
// shows itself and then answered, by clicking an entry or by closing it.
#pragma once
#include <QTimer>
#include "tests/platform/forms/WindowInput.h"

namespace orv::test {

// What a menu shows, each entry's text without the shortcut after its tab.
inline std::vector<std::string> MenuEntries(QMenu* menu) {
  std::vector<std::string> entries = MenuTexts(menu);
  for (std::string& e : entries)
    if (const auto tab = e.find('\t'); tab != std::string::npos) {
      const auto suffix = e.find(" (grey)", tab);
      e = e.substr(0, tab) + (suffix != std::string::npos ? e.substr(suffix) : std::string());
    }
  return entries;
}

class TMenuWatch {
 public:
  // The entry to click in the next menu (its text without the shortcut); empty: the menu closes.
  QString Choose;
  std::vector<std::vector<std::string>> Shown;

  TMenuWatch() {
    FTimer.setInterval(5);
    QObject::connect(&FTimer, &QTimer::timeout, [this] { Answer(); });
    FTimer.start();
  }

 private:
  void Answer() {
    QMenu* menu = OpenMenu();
    if (menu == nullptr || !menu->isVisible()) return;
    Shown.push_back(MenuEntries(menu));
    const QString choose = std::exchange(Choose, QString());
    for (QAction* action : menu->actions())
      if (!choose.isEmpty() && action->text().section('\t', 0, 0) == choose) {
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(action).center());
        return;
      }
    menu->close();
  }

  QTimer FTimer;
};

}  // namespace orv::test
