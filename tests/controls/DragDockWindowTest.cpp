// The extended controls dragged by the mouse through their window: a shadow label dropped on a
// file-name edit that takes it, and a file-name edit docked into a dock site and floated out.
#include "tests/controls/ControlsFixture.h"

#include <QLineEdit>
#include "controls/FilenameEdit.h"
#include "controls/OrvLabel.h"
#include "platform/forms/DockForm.h"
#include "tests/platform/forms/WindowInput.h"

namespace orv::test {
namespace {

class TDragDockForm : public TForm {
 public:
  explicit TDragDockForm(TComponent* owner) : TForm(owner) {}
  TOrvLabel* NameLabel = nullptr;
  TFilenameEdit* TargetEd = nullptr;
  TPanel* Site = nullptr;
  TFilenameEdit* ToolEd = nullptr;
};

const char* const kDragDockForm = R"(object DragDockForm: TDragDockForm
  Left = 100
  Top = 80
  Width = 500
  Height = 320
  Font.Name = 'DejaVu Sans'
  Font.Height = -11
  object NameLabel: TOrvLabel
    Left = 10
    Top = 10
    Caption = 'dragged'
    DragMode = dmAutomatic
  end
  object TargetEd: TFilenameEdit
    Left = 10
    Top = 50
    Width = 220
    Height = 21
  end
  object Site: TPanel
    Left = 250
    Top = 120
    Width = 230
    Height = 150
    DockSite = True
  end
  object ToolEd: TFilenameEdit
    Left = 250
    Top = 20
    Width = 200
    Height = 21
    DragKind = dkDock
    DragMode = dmAutomatic
  end
end
)";

class DragDockWindowTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    using F = TDragDockForm;
    RegisterClassType<F, TForm>("TDragDockForm")
        .Field("NameLabel", &F::NameLabel)
        .Field("TargetEd", &F::TargetEd)
        .Field("Site", &F::Site)
        .Field("ToolEd", &F::ToolEd);
    Form = MakeForm<TDragDockForm>("TDragDockForm", kDragDockForm);
    Form->Show();
    Top = Form->Widget();
  }
  void TearDown() override {
    CancelDrag();
    ControlsTest::TearDown();
  }

  // Pressed at from, moved in a few steps to to, and let go there.
  void Drag(QPoint from, QPoint to) {
    testinput::Move(Top, from);
    testinput::Press(Top, from);
    constexpr int steps = 4;
    for (int i = 1; i <= steps; ++i) testinput::Move(Top, from + (to - from) * i / steps);
    testinput::Release(Top, to);
    Application->ProcessMessages();
  }

  TDragDockForm* Form = nullptr;
  QWidget* Top = nullptr;
};

TEST_F(DragDockWindowTest, ALabelDroppedOnTheEditBecomesItsFileName) {
  TFilenameEdit* target = Form->TargetEd;
  std::vector<std::string> events;
  target->OnDragOver = [&](TObject*, TObject* source, Integer x, Integer, TDragState state, bool& accept) {
    accept = dynamic_cast<TOrvLabel*>(source) != nullptr && x >= 10;
    if (state == dsDragEnter) events.push_back(accept ? "enter yes" : "enter no");
  };
  target->OnDragDrop = [&](TObject*, TObject* source, Integer x, Integer y) {
    events.push_back("drop " + std::to_string(x) + "," + std::to_string(y));
    target->SetFileName("/data/" + static_cast<TOrvLabel*>(source)->Caption() + " table.dbf");
  };
  int ended = 0;
  Form->NameLabel->OnEndDrag = [&](TObject*, TObject* to, Integer, Integer) {
    ++ended;
    EXPECT_EQ(to, target) << "the label hears where it went";
  };

  Drag(InWindow(Form->NameLabel, QPoint(5, 5)), InWindow(target, QPoint(40, 8)));
  EXPECT_FALSE(DragActive());
  EXPECT_EQ(events, (std::vector<std::string>{"enter yes", "drop 40,8"}));
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(static_cast<QLineEdit*>(target->Widget())->text(), "\"/data/dragged table.dbf\"") << "what the edit shows";
  EXPECT_EQ(Form->NameLabel->Left(), 10) << "a drag moves nothing by itself";

  // Let go over the edit's refusing strip: nothing changes.
  events.clear();
  Form->NameLabel->OnEndDrag = nullptr;
  Drag(InWindow(Form->NameLabel, QPoint(5, 5)), InWindow(target, QPoint(4, 8)));
  EXPECT_EQ(events, std::vector<std::string>{"enter no"});
  EXPECT_EQ(target->GetFileName(), "/data/dragged table.dbf");
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(DragDockWindowTest, AnEditDockedByTheMouseLivesInTheSiteAndFloatsOutAgain) {
  TFilenameEdit* tool = Form->ToolEd;
  tool->SetText("/data/kept.dbf");
  std::vector<std::string> events;
  tool->OnEndDock = [&](TObject*, TObject* to, Integer x, Integer y) {
    const auto* site = dynamic_cast<TComponent*>(to);
    events.push_back("end " + (site != nullptr ? std::string(site->Name()) : "nil") + " " + std::to_string(x) +
                     "," + std::to_string(y));
  };

  Drag(InWindow(tool, QPoint(30, 5)), InWindow(Form->Site, QPoint(50, 60)));
  ASSERT_EQ(tool->Parent(), Form->Site);
  EXPECT_EQ(tool->HostDockSite(), Form->Site);
  EXPECT_EQ(Point(tool->Left(), tool->Top()), Point(20, 55)) << "the point taken stays under the mouse";
  EXPECT_EQ(events, std::vector<std::string>{"end Site 20,55"});
  ASSERT_TRUE(tool->HandleAllocated());
  EXPECT_EQ(tool->Widget()->parentWidget(), Form->Site->Widget()) << "the edit's widget is the site's child";
  EXPECT_TRUE(tool->Widget()->isVisible());
  EXPECT_EQ(static_cast<QLineEdit*>(tool->Widget())->text(), "/data/kept.dbf");
  EXPECT_TRUE(tool->ButtonWindow()->Widget()->isVisible()) << "its button came along";

  // Out of the site into no other: the edit floats in a window of its own, text and button with it.
  events.clear();
  const QPoint away = InWindow(Form, QPoint(60, 250));
  Drag(InWindow(tool, QPoint(30, 5)), away);
  ASSERT_TRUE(tool->Floating());
  auto* floating = dynamic_cast<TCustomDockForm*>(tool->Parent());
  ASSERT_NE(floating, nullptr);
  EXPECT_EQ(tool->Widget()->window(), floating->Widget());
  EXPECT_EQ(static_cast<QLineEdit*>(tool->Widget())->text(), "/data/kept.dbf");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].rfind("end nil ", 0), 0u) << events[0];

  // The floating edit still opens its dialog from its button.
  ColorDialogs.FileAnswers.push_back({"/data/floated.dbf"});
  QWidget* button = tool->ButtonWindow()->Widget();
  testinput::Click(floating->Widget(), testinput::At(button, button->rect().center()));
  EXPECT_EQ(ColorDialogs.FileRequests.size(), 1u);
  EXPECT_EQ(tool->GetText(), "/data/floated.dbf");
}

}  // namespace
}  // namespace orv::test
