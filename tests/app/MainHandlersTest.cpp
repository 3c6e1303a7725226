// The main window's small handlers: quit, about box, web address, the subject-panel highlight, and
// closing during a send run.
#include "tests/app/AppFixture.h"

#include <QCloseEvent>
#include <QTimer>
#include <functional>
#include "app/AboutBoxUnit.h"
#include "platform/graphics/Jpeg.h"

namespace orv::test {
namespace {

class MainHandlersTest : public AppTest {};

TEST_F(MainHandlersTest, SubjectPanelIsHighlightedWhileThePreviewHasTheFocus) {
  StartWindows();
  MainForm->PageControl2->SetActivePage(MainForm->TabSheet2);
  Application->ProcessMessages();
  MainForm->RichEdit1->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(MainForm->Panel19->Color(), static_cast<TColor>(RGB(49, 106, 197)));
  EXPECT_EQ(MainForm->Label8->Font().Color(), clWhite);
  EXPECT_EQ(MainForm->Label9Betreff->Font().Color(), clWhite);

  MainForm->NewBtn->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(MainForm->Panel19->Color(), clBtnFace);
  EXPECT_EQ(MainForm->Label8->Font().Color(), clBlack);
  EXPECT_EQ(MainForm->Label9Betreff->Font().Color(), clBlack);
}

TEST_F(MainHandlersTest, WebButtonsOpenTheMakersAddress) {
  StartWindows();
  MainForm->wwwBtn->Click();
  ASSERT_EQ(Opened.size(), 1u);
  EXPECT_EQ(Opened[0], AnsiString("http://") + MakerWebAddress);
}

TEST_F(MainHandlersTest, AboutBoxShowsItsPictureModallyAndIsFreedAfterwards) {
  StartWindows();
  const Integer formsBefore = Screen->FormCount();
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* box = dynamic_cast<TAboutBox*>(Application->ActiveDialog());
    ASSERT_NE(box, nullptr) << "the about box is shown modally";
    seen = true;
    EXPECT_EQ(box->Owner(), MainForm);
    ASSERT_NE(box->ProgramIcon, nullptr);
    TGraphic* picture = box->ProgramIcon->Picture()->Graphic();
    ASSERT_NE(dynamic_cast<TJPEGImage*>(picture), nullptr) << "the picture is a JPEG image";
    EXPECT_EQ(picture->Width(), 96);
    EXPECT_EQ(picture->Height(), 96);
    EXPECT_EQ(box->MailLabel->Caption(), "info@orvinta.example") << "texts reach the window unchanged";
    box->BitBtnXP1->Click();
    box->OKButton->Click();
  });
  MainForm->AboutBtn->Click();
  EXPECT_TRUE(seen);
  EXPECT_EQ(Screen->FormCount(), formsBefore) << "the about box lives only while it is shown";
  ASSERT_EQ(Opened.size(), 1u);
  EXPECT_EQ(Opened[0], AnsiString("http://") + MakerWebAddress);
}

TEST_F(MainHandlersTest, QuitClosesTheWindow) {
  TMainForm* form = ExtraMainWindow();
  ASSERT_TRUE(form->Visible());
  form->QuitBtn->Click();
  EXPECT_FALSE(form->Visible());
}

TEST_F(MainHandlersTest, ClosingDuringASendRunCancelsItAndClosesOnceItHasUnwound) {
  struct TCase {
    const char* Name;
    std::function<void(TMainForm*)> CloseIt;
  };
  const TCase cases[] = {
    {"Close", [](TMainForm* f) { f->Close(); }},
    {"quit button", [](TMainForm* f) { f->QuitBtn->Click(); }},
    {"title bar close", [](TMainForm* f) {
       QCloseEvent e;
       QApplication::sendEvent(f->Widget(), &e);
     }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TMainForm* form = ExtraMainWindow();
    form->BeginSendRun();
    c.CloseIt(form);
    Application->ProcessMessages();
    EXPECT_TRUE(form->Visible()) << "the window stays while the run's loop stands on it";
    EXPECT_TRUE(form->Cancelled()) << "the close cancels the run";
    EXPECT_TRUE(form->Sending());
    form->EndSendRun();
    EXPECT_FALSE(form->Sending());
    EXPECT_FALSE(form->Visible()) << "the close asked for during the run happens once it is over";

    // A later run is not closed by the earlier request.
    form->Show();
    form->BeginSendRun();
    EXPECT_FALSE(form->Cancelled());
    form->EndSendRun();
    EXPECT_TRUE(form->Visible());
  }
}

TEST_F(MainHandlersTest, SendButtonDuringARunCancelsIt) {
  TMainForm* form = ExtraMainWindow();
  form->BeginSendRun();
  form->SendBtn->Click();
  EXPECT_TRUE(form->Cancelled());
  form->EndSendRun();
  EXPECT_TRUE(form->Visible()) << "cancelling is no close";
}

}  // namespace
}  // namespace orv::test
