// Opening web addresses and files through the desktop services.
#include "app/ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace orv {
namespace {

TShellOpenHandler& Handler() {
  static TShellOpenHandler handler;
  return handler;
}

AnsiString AsUrl(const AnsiString& target) {
  if (target.find("://") != AnsiString::npos || target.rfind("mailto:", 0) == 0) return target;
  if (!target.empty() && target[0] == '/') return "file://" + target;
  return "http://" + target;
}

}  // namespace

bool ShellOpen(const AnsiString& target) {
  const AnsiString url = AsUrl(target);
  if (Handler()) return Handler()(url);
  return QDesktopServices::openUrl(QUrl(QString::fromLatin1(url.data(), static_cast<int>(url.size()))));
}

void SetShellOpenHandler(TShellOpenHandler handler) { Handler() = std::move(handler); }

}  // namespace orv
