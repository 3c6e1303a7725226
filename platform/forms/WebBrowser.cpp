// The HTML view over a Qt text browser; the page is kept by the control, so it can be navigated
// before its window exists.
#include "platform/forms/WebBrowser.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include "platform/forms/QtHost.h"
#include "platform/forms/QtText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

constexpr const char* kFileScheme = "file://";
// A page larger than this is not shown: it is nothing a mail preview writes.
constexpr Int64 kMaxPageBytes = Int64{64} << 20;

// The local file an address names, or empty.
AnsiString LocalFile(const AnsiString& url) {
  if (url.rfind(kFileScheme, 0) == 0) {
    const QUrl parsed(ToQString(url));
    return parsed.isLocalFile() ? FromQString(parsed.toLocalFile()) : AnsiString();
  }
  if (!url.empty() && url[0] == '/') return url;
  return {};
}

}  // namespace

TWebBrowser::TWebBrowser(TComponent* owner) : TWinControl(owner) {
  FWidth = 300;
  FHeight = 150;
  FTabStop = true;
}

std::unique_ptr<IHostWidget> TWebBrowser::CreateWidget(QWidget* parentWidget) {
  return std::make_unique<THostWidget<QTextBrowser>>(this, parentWidget);
}

QTextBrowser* TWebBrowser::Browser() const {
  return Host() != nullptr ? static_cast<QTextBrowser*>(Host()->Widget()) : nullptr;
}

void TWebBrowser::InitWidget() {
  QTextBrowser* browser = Browser();
  browser->setOpenLinks(false);
  browser->setOpenExternalLinks(false);
  ShowPage();
}

void TWebBrowser::Navigate(const AnsiString& url) {
  FLocation = url;
  FFileName = LocalFile(url);
  FHtml.clear();
  if (!FFileName.empty()) {
    try {
      TFileStream file(FFileName, fmOpenRead | fmShareDenyNone);
      if (file.Size() > kMaxPageBytes) throw Exception("page too large");
      AnsiString bytes(static_cast<std::size_t>(file.Size()), '\0');
      file.ReadBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
      FHtml = AnsiToWide(bytes);
    } catch (const Exception&) {
      FHtml.clear();  // an unreadable page shows empty, as a missing one does
    }
  }
  ShowPage();
}

void TWebBrowser::ShowPage() {
  QTextBrowser* browser = Browser();
  if (browser == nullptr) return;
  QTextDocument* document = browser->document();
  document->clear();
  // Pictures with relative paths are found beside the page; absolute paths load as they stand.
  document->setBaseUrl(FFileName.empty() ? QUrl()
                                         : QUrl::fromLocalFile(ToQString(FFileName)));
  browser->setSearchPaths(FFileName.empty() ? QStringList()
                                            : QStringList{QFileInfo(ToQString(FFileName)).absolutePath()});
  browser->setHtml(ToQString(FHtml));
}

WideString TWebBrowser::DocumentText() const {
  if (QTextBrowser* browser = Browser()) return WideFromQString(browser->toPlainText());
  QTextDocument document;
  document.setHtml(ToQString(FHtml));
  return WideFromQString(document.toPlainText());
}

bool TWebBrowser::ShowsPicture(const AnsiString& fileName) const {
  QTextBrowser* browser = Browser();
  if (browser == nullptr) return false;
  const QUrl url = QUrl::fromLocalFile(ToQString(fileName));
  const QVariant picture = browser->document()->resource(QTextDocument::ImageResource, url);
  return picture.isValid() && !picture.isNull();
}

}  // namespace orv
