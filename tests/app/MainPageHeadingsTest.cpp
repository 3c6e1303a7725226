// The main window's page headings and section titles: shadow labels on their pages, clear of the
// other controls, each showing its text in its colour with the highlight copy beside it, on a
// ground of the page's own colour.
#include "tests/app/AppFixture.h"

#include <QImage>
#include <QRect>
#include <QWidget>

namespace orv::test {
namespace {

class MainPageHeadingsTest : public AppTest {};

// Whether a shown pixel is close to a colour (text edges are smoothed).
bool Near(QColor shown, QColor wanted) {
  return std::abs(shown.red() - wanted.red()) + std::abs(shown.green() - wanted.green()) +
             std::abs(shown.blue() - wanted.blue()) < 48;
}

QColor Shown(TColor color) {
  const COLORREF c = ColorToRGB(color);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TEST_F(MainPageHeadingsTest, EveryPageShowsItsHeadingAndSectionTitlesAsShadowLabels) {
  StartWindows();
  struct TCase {
    const char* Name;
    TTabSheet* Page;
    const char* Caption;
    bool Wrapped;
  };
  const TCase cases[] = {
    {"DataBaseHeading", MainForm->TabSheet1,
     "Address data base - the table of recipients and the field with their email addresses", false},
    {"RecordsTitle", MainForm->TabSheet1,
     "Records of the address table: move with the buttons on the left, change a field by typing into the grid", true},
    {"MailsHeading", MainForm->TabSheet2, "Your emails - write new mails, edit and delete them", false},
    {"AccountsHeading", MainForm->TabSheet3, "Sender accounts - the names, addresses and servers you send from", false},
    {"SendHeading", MainForm->TabSheet4, "Send emails - choose the account, the email and who gets it", false},
    {"AddressesTitle", MainForm->TabSheet4,
     "Addresses of the table - select rows with the mouse, holding CTRL down for more than one", true},
    {"ErrorLogTitle", MainForm->TabSheet4, "Errors of the send run", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* label = Find<TOrvLabel>(MainForm, c.Name);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Parent(), c.Page);
    EXPECT_EQ(label->Caption(), c.Caption);
    EXPECT_EQ(label->AutoSize(), !c.Wrapped);
    EXPECT_EQ(label->WordWrap(), c.Wrapped);
    EXPECT_EQ(label->ShadowColor(), clBtnHighlight) << "the other properties keep their defaults";
    EXPECT_EQ(label->ShadowSize(), 1);
    EXPECT_EQ(label->ShadowPos(), spLeftTop);

    MainForm->PageControl2->SetActivePage(c.Page);
    Application->ProcessMessages();
    const TRect box = label->BoundsRect();
    EXPECT_GE(box.Left, 0);
    EXPECT_GE(box.Top, 0);
    EXPECT_LE(box.Right, c.Page->ClientWidth()) << "the whole text fits on the page";
    EXPECT_LE(box.Bottom, c.Page->ClientHeight());
    for (Integer i = 0; i < c.Page->ControlCount(); ++i) {
      TControl* other = c.Page->Controls(i);
      if (other == label || !other->Visible()) continue;
      const TRect r = other->BoundsRect();
      const bool apart = r.Right <= box.Left || box.Right <= r.Left || r.Bottom <= box.Top || box.Bottom <= r.Top;
      EXPECT_TRUE(apart) << "covers " << other->Name();
    }

    // What the page shows inside the label: the text in its colour and the highlight copy, on
    // one line, or on more than one for a wrapped title.
    // Taken from the whole window, so that what lies under the page shows where the page lets it.
    QWidget* page = c.Page->Widget();
    const QImage window = MainForm->Widget()->grab().toImage();
    const QImage shot = window.copy(QRect(page->mapTo(MainForm->Widget(), QPoint(0, 0)), page->size()));
    const QColor text = Shown(label->Font().Color()), shadow = Shown(clBtnHighlight);
    int textPixels = 0, shadowPixels = 0, top = box.Bottom, bottom = box.Top;
    for (int y = box.Top; y < box.Bottom; ++y)
      for (int x = box.Left; x < box.Right; ++x) {
        const QColor shown = shot.pixelColor(x, y);
        if (Near(shown, text)) {
          ++textPixels;
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        } else if (shown == shadow) {
          ++shadowPixels;
        }
      }
    EXPECT_EQ(shot.pixelColor(box.Right - 1, box.Bottom - 1), Shown(clBtnFace)) << "the label fills with its colour";
    EXPECT_EQ(shot.pixelColor(box.Right + 2, box.Bottom - 1), Shown(clBtnFace)) << "and so does the page around it";
    EXPECT_GT(textPixels, 20) << "the text is drawn";
    EXPECT_GT(shadowPixels, 10) << "with its shadow";
    const int lineHeight = label->Font().Height() < 0 ? -label->Font().Height() : label->Font().Height();
    if (c.Wrapped) EXPECT_GT(bottom - top, lineHeight + 2) << "the title wraps onto a second line";
    else EXPECT_LE(bottom - top, lineHeight + 4) << "one line";
  }
}

}  // namespace
}  // namespace orv::test
