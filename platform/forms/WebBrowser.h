// The class library's web-browser control as a local HTML view: it shows an HTML file of this
// machine, its text read through the ANSI code page and its pictures loaded from their files.
#pragma once
#include "platform/forms/Controls.h"

class QTextBrowser;

namespace orv {

// Shows simple HTML (tables, fonts, colours, pictures); scripts and remote content are not run or
// fetched. A page's relative picture paths are taken from the page's folder.
class TWebBrowser : public TWinControl {
 public:
  explicit TWebBrowser(TComponent* owner);
  // Loads a file given by its path or a "file://" address. Anything else shows an empty page.
  // A file that cannot be read shows an empty page too; the address is kept either way.
  void Navigate(const AnsiString& url);
  const AnsiString& LocationURL() const { return FLocation; }
  // The page's text as shown (markup dropped), for checks.
  WideString DocumentText() const;
  // Whether the shown page holds a picture loaded from this file.
  bool ShowsPicture(const AnsiString& fileName) const;

 protected:
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void InitWidget() override;

 private:
  void ShowPage();
  QTextBrowser* Browser() const;
  AnsiString FLocation;
  AnsiString FFileName;  // the local file shown, empty for none
  WideString FHtml;
};

}  // namespace orv
