// Flat scroll bars on the screen: turned on for a window, the scroll bars of its widget are drawn
// flat (plain faces, no raised edges); turned off, they look as before. An MDI client window's
// bars are those of its frame's MDI area.
#include "tests/platform/forms/FormsFixture.h"

#include <QApplication>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QScrollBar>
#include "platform/classes/TypeInfo.h"
#include "platform/forms/FlatScrollBarLook.h"
#include "platform/forms/StdCtrls.h"
#include "platform/win/FlatScrollBars.h"

namespace orv::test {
namespace {

class TScrollForm : public TForm {
 public:
  explicit TScrollForm(TComponent* owner) : TForm(owner) {}
  TMemo* Memo1 = nullptr;
};

class FlatScrollBarsTest : public FormsTest {
 protected:
  static void SetUpTestSuite() {
    FormsTest::SetUpTestSuite();
    RegisterClassType<TScrollForm, TForm>("TScrollForm").Field("Memo1", &TScrollForm::Memo1);
  }
};

TEST_F(FlatScrollBarsTest, AWindowsScrollBarsTurnFlatAndBack) {
  auto* form = MakeForm<TScrollForm>("TScrollForm",
                                     "object ScrollForm: TScrollForm\n  Width = 300\n  Height = 200\n"
                                     "  object Memo1: TMemo\n    Left = 8\n    Top = 8\n    Width = 150\n    Height = 100\n  end\nend\n");
  form->Show();
  for (int i = 0; i < 60; ++i) form->Memo1->Lines().Add("Zeile " + std::to_string(i));
  QScrollBar* bar = static_cast<QPlainTextEdit*>(form->Memo1->Widget())->verticalScrollBar();
  QApplication::processEvents();
  ASSERT_TRUE(bar->isVisible());
  const QImage normal = bar->grab().toImage();
  // The top arrow's upper edge: the plain face in the flat look.
  const QPoint edge(bar->width() / 2, 1);

  ASSERT_TRUE(InitializeFlatSB(form->Memo1->Handle()));
  EXPECT_EQ(bar->style(), FlatScrollBarStyle());
  const QImage flat = bar->grab().toImage();
  EXPECT_NE(flat, normal) << "the window shows other bars";
  EXPECT_EQ(flat.pixelColor(edge).rgb(), bar->palette().color(QPalette::Button).rgb());
  const QRect topArrow(0, 0, bar->width(), bar->width());
  EXPECT_NE(flat.copy(topArrow), normal.copy(topArrow)) << "the arrow is drawn another way";
  EXPECT_TRUE(InitializeFlatSB(form->Memo1->Handle())) << "turning them on twice is harmless";

  EXPECT_EQ(UninitializeFlatSB(form->Memo1->Handle()), S_OK);
  EXPECT_EQ(bar->style(), QApplication::style());
  EXPECT_EQ(bar->grab().toImage(), normal) << "the normal bars again";
  EXPECT_EQ(UninitializeFlatSB(form->Memo1->Handle()), S_FALSE);
  // A window made anew has normal bars.
  ASSERT_TRUE(InitializeFlatSB(form->Memo1->Handle()));
  form->Memo1->RecreateWnd();
  bar = static_cast<QPlainTextEdit*>(form->Memo1->Widget())->verticalScrollBar();
  EXPECT_EQ(bar->style(), QApplication::style());
}

TEST_F(FlatScrollBarsTest, AnMdiClientsBarsAreItsAreasBars) {
  auto* form = MakeForm<TScrollForm>("TScrollForm", "object ScrollForm: TScrollForm\n  FormStyle = fsMDIForm\nend\n");
  form->Show();
  auto* area = form->Widget()->findChild<QMdiArea*>("MDIClient");
  ASSERT_NE(area, nullptr);
  ASSERT_TRUE(InitializeFlatSB(form->ClientHandle()));
  EXPECT_EQ(area->verticalScrollBar()->style(), FlatScrollBarStyle());
  EXPECT_EQ(area->horizontalScrollBar()->style(), FlatScrollBarStyle());
  EXPECT_EQ(UninitializeFlatSB(form->ClientHandle()), S_OK);
  EXPECT_EQ(area->verticalScrollBar()->style(), QApplication::style());
  // A window without bars of its own only keeps the setting.
  ASSERT_TRUE(InitializeFlatSB(form->Handle()));
  EXPECT_TRUE(HasFlatScrollBars(form->Handle()));
  EXPECT_EQ(UninitializeFlatSB(form->Handle()), S_OK);
}

}  // namespace
}  // namespace orv::test
