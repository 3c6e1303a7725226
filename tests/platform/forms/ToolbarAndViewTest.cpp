// Speed buttons as a tool bar uses them (groups, toggles, Down by code), the local HTML view, the
// font families of the screen, and windows made for a control deep inside nested pages.
#include "tests/platform/forms/FormsFixture.h"

#include <QImage>
#include <QToolButton>
#include <fstream>
#include "platform/classes/TypeInfo.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/WebBrowser.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/CodePages.h"

namespace orv::test {
namespace {

class TToolForm : public TForm {
 public:
  explicit TToolForm(TComponent* owner) : TForm(owner) {}
  TSpeedButton* LeftBtn = nullptr;
  TSpeedButton* CenterBtn = nullptr;
  TSpeedButton* BoldBtn = nullptr;
  TSpeedButton* PlainBtn = nullptr;
  TEdit* DeepEdit = nullptr;
  std::vector<std::string> Clicks;
  void BtnClick(TObject* sender) { Clicks.push_back(static_cast<TComponent*>(sender)->Name()); }
};

const char* const kToolForm = R"(object ToolForm: TToolForm
  Width = 400
  Height = 300
  object LeftBtn: TSpeedButton
    Left = 0
    Top = 0
    Caption = 'L'
    GroupIndex = 1
    Down = True
    OnClick = BtnClick
  end
  object CenterBtn: TSpeedButton
    Left = 24
    Top = 0
    Caption = 'C'
    GroupIndex = 1
    OnClick = BtnClick
  end
  object BoldBtn: TSpeedButton
    Left = 48
    Top = 0
    Caption = 'F'
    GroupIndex = 2
    AllowAllUp = True
    OnClick = BtnClick
  end
  object PlainBtn: TSpeedButton
    Left = 72
    Top = 0
    Caption = 'P'
    OnClick = BtnClick
  end
  object Outer: TPageControl
    Left = 0
    Top = 30
    Width = 300
    Height = 200
    ActivePage = OuterSheet
    object OuterSheet: TTabSheet
      Caption = 'Outer'
      object Inner: TPageControl
        Left = 0
        Top = 0
        Width = 290
        Height = 170
        ActivePage = InnerSheet
        object InnerSheet: TTabSheet
          Caption = 'Inner'
          object DeepEdit: TEdit
            Left = 4
            Top = 4
            Width = 100
            Height = 21
          end
        end
      end
    end
  end
end
)";

class ToolbarAndViewTest : public FormsTest {
 protected:
  TToolForm* MakeToolForm() {
    if (ClassInfoOf<TToolForm>() == nullptr)
      RegisterClassType<TToolForm, TForm>("TToolForm")
          .Field("LeftBtn", &TToolForm::LeftBtn)
          .Field("CenterBtn", &TToolForm::CenterBtn)
          .Field("BoldBtn", &TToolForm::BoldBtn)
          .Field("PlainBtn", &TToolForm::PlainBtn)
          .Field("DeepEdit", &TToolForm::DeepEdit)
          .Method("BtnClick", &TToolForm::BtnClick);
    return MakeForm<TToolForm>("TToolForm", kToolForm);
  }
};

TEST_F(ToolbarAndViewTest, SpeedButtonGroupsAndToggles) {
  TToolForm* f = MakeToolForm();
  f->Show();
  Application->ProcessMessages();
  EXPECT_TRUE(f->LeftBtn->Down());
  // A user's click on the other button of the group: it goes down, the first comes up.
  Click(f->CenterBtn->Widget(), QPoint(5, 5));
  EXPECT_TRUE(f->CenterBtn->Down());
  EXPECT_FALSE(f->LeftBtn->Down());
  EXPECT_TRUE(static_cast<QToolButton*>(f->CenterBtn->Widget())->isChecked());
  EXPECT_FALSE(static_cast<QToolButton*>(f->LeftBtn->Widget())->isChecked());
  // Clicking the down button of a group without AllowAllUp leaves it down.
  Click(f->CenterBtn->Widget(), QPoint(5, 5));
  EXPECT_TRUE(f->CenterBtn->Down());
  EXPECT_TRUE(static_cast<QToolButton*>(f->CenterBtn->Widget())->isChecked());
  // A button alone in its group with AllowAllUp toggles.
  Click(f->BoldBtn->Widget(), QPoint(5, 5));
  EXPECT_TRUE(f->BoldBtn->Down());
  Click(f->BoldBtn->Widget(), QPoint(5, 5));
  EXPECT_FALSE(f->BoldBtn->Down());
  // A button of no group never stays down.
  Click(f->PlainBtn->Widget(), QPoint(5, 5));
  f->PlainBtn->SetDown(true);
  EXPECT_FALSE(f->PlainBtn->Down());
  EXPECT_EQ(f->Clicks, (std::vector<std::string>{"CenterBtn", "CenterBtn", "BoldBtn", "BoldBtn", "PlainBtn"}));
  // Down by code moves the group without clicking.
  f->LeftBtn->SetDown(true);
  EXPECT_FALSE(f->CenterBtn->Down());
  EXPECT_EQ(f->Clicks.size(), 5u);
  EXPECT_EQ(f->LeftBtn->Widget()->focusPolicy(), Qt::NoFocus);
}

TEST_F(ToolbarAndViewTest, ControlDeepInNestedPagesGetsOneWindow) {
  TToolForm* f = MakeToolForm();
  // The innermost control asks first: its parents' windows are made, and with them its own.
  const HWND handle = f->DeepEdit->Handle();
  QWidget* widget = f->DeepEdit->Widget();
  EXPECT_EQ(f->DeepEdit->Handle(), handle);
  EXPECT_EQ(widget->parentWidget(), f->FindComponent("InnerSheet") != nullptr
                                        ? static_cast<TWinControl*>(f->FindComponent("InnerSheet"))->Widget()
                                        : nullptr);
  f->Show();
  Application->ProcessMessages();
  EXPECT_EQ(f->DeepEdit->Widget(), widget) << "showing the form keeps the window made first";
}

TEST_F(ToolbarAndViewTest, FreedActiveControlIsForgottenByItsForm) {
  TToolForm* f = MakeToolForm();
  f->Show();
  Application->ProcessMessages();
  f->DeepEdit->SetFocus();
  Application->ProcessMessages();
  ASSERT_EQ(f->ActiveControl(), f->DeepEdit);
  f->DeepEdit->Free();
  EXPECT_EQ(f->ActiveControl(), nullptr) << "the form kept a freed control as its active one";
  // Removing another control asks the form about its active control again.
  f->CenterBtn->Free();
  EXPECT_EQ(f->ActiveControl(), nullptr);
}

TEST_F(ToolbarAndViewTest, WebBrowserShowsALocalPageWithItsPictures) {
  QImage image(3, 3, QImage::Format_RGB32);
  image.fill(Qt::green);
  const std::string pic = FDataDir + "dot.png";
  ASSERT_TRUE(image.save(QString::fromStdString(pic), "PNG"));
  const std::string page = FDataDir + "page.htm";
  // The page's bytes are ANSI text: 0xE4 is a-umlaut.
  std::ofstream(page, std::ios::binary) << "<html><body><p>Gr\xE4\xDF" "e</p><img src=\"dot.png\"><img src=\"" << pic
                                        << "\"></body></html>";
  TToolForm* form = MakeToolForm();
  auto* view = new TWebBrowser(form);
  view->SetParent(form);
  view->Navigate(page);  // before its window exists
  form->Show();
  Application->ProcessMessages();
  EXPECT_EQ(view->LocationURL(), page);
  EXPECT_EQ(view->DocumentText().find(u"Grä\u00DFe"), 0u);
  EXPECT_TRUE(view->ShowsPicture(pic));

  view->Navigate("file://" + page);
  EXPECT_EQ(view->DocumentText().find(u"Grä\u00DFe"), 0u);
  for (const char* elsewhere : {"http://example.org/", "relative.htm", "/no/such/file.htm"}) {
    view->Navigate(elsewhere);
    EXPECT_EQ(view->LocationURL(), elsewhere);
    EXPECT_TRUE(view->DocumentText().empty()) << elsewhere << " shows an empty page";
  }
}

TEST_F(ToolbarAndViewTest, FontFamiliesGiveFaceNamesAndStopWhenAsked) {
  std::vector<AnsiString> faces;
  EnumFontFamilies(nullptr, [&](const AnsiString& face) {
    faces.push_back(face);
    return 1;
  });
  ASSERT_FALSE(faces.empty());
  EXPECT_NE(std::find(faces.begin(), faces.end(), "DejaVu Sans"), faces.end());
  for (const AnsiString& face : faces) EXPECT_LE(face.size(), 31u) << face;
  int calls = 0;
  EXPECT_EQ(EnumFontFamilies(nullptr, [&](const AnsiString&) { return ++calls == 1 ? 0 : 1; }), 0);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace orv::test
