// The properties the spin edit and the file-name edit take over from the edit: a window
// description that sets every one of them is read, the control follows it, and the description
// written back gives them again.
#include "tests/controls/ControlsFixture.h"

#include <QLineEdit>
#include "controls/FilenameEdit.h"
#include "controls/OrvSpin.h"
#include "platform/classes/ObjectText.h"
#include "platform/forms/Menus.h"

namespace orv::test {
namespace {

class TEditsForm : public TForm {
 public:
  explicit TEditsForm(TComponent* owner) : TForm(owner) {}
  TOrvSpinEdit* SpinEd = nullptr;
  TFilenameEdit* FileEd = nullptr;
  TPopupMenu* Menu1 = nullptr;
  void Handler(TObject*) {}
  void ContextPopup(TObject*, TPoint, bool&) {}
  void Key(TObject*, Word&, TShiftState) {}
  void KeyPress(TObject*, char&) {}
  void Mouse(TObject*, TMouseButton, TShiftState, Integer, Integer) {}
  void MouseMove(TObject*, TShiftState, Integer, Integer) {}
  void Wheel(TObject*, TShiftState, TPoint, bool&) {}
  void DragOver(TObject*, TObject*, Integer, Integer, TDragState, bool&) {}
  void DragDrop(TObject*, TObject*, Integer, Integer) {}
  void EndDrag(TObject*, TObject*, Integer, Integer) {}
  void StartDrag(TObject*, TDragObject*&) {}
  void StartDock(TObject*, TDragDockObject*&) {}
};

// Each inherited property away from its default (the events bound), as a description names them.
const char* const kEditsForm = R"(object EditsForm: TEditsForm
  Width = 400
  Height = 300
  object Menu1: TPopupMenu
  end
  object SpinEd: TOrvSpinEdit
    Left = 8
    Top = 8
    Width = 80
    Height = 30
    Anchors = [akLeft, akTop, akRight]
    AutoSelect = False
    AutoSize = False
    BiDiMode = bdRightToLeft
    BorderStyle = bsNone
    Color = clYellow
    Constraints.MinWidth = 50
    Ctl3D = False
    DragCursor = crHandPoint
    DragKind = dkDock
    DragMode = dmAutomatic
    Enabled = False
    Font.Height = -14
    ImeMode = imDisable
    MaxLength = 6
    ParentBiDiMode = False
    ParentColor = False
    ParentCtl3D = False
    ParentFont = False
    ParentShowHint = False
    PopupMenu = Menu1
    ReadOnly = True
    ShowHint = True
    TabOrder = 1
    TabStop = False
    Visible = False
    OnBottomClick = Handler
    OnTopClick = Handler
    OnChange = Handler
    OnClick = Handler
    OnDblClick = Handler
    OnDragDrop = DragDrop
    OnDragOver = DragOver
    OnEndDrag = EndDrag
    OnEnter = Handler
    OnExit = Handler
    OnKeyDown = Key
    OnKeyPress = KeyPress
    OnKeyUp = Key
    OnMouseDown = Mouse
    OnMouseMove = MouseMove
    OnMouseUp = Mouse
    OnStartDrag = StartDrag
    OnContextPopup = ContextPopup
    OnMouseWheelDown = Wheel
    OnMouseWheelUp = Wheel
    OnEndDock = EndDrag
    OnStartDock = StartDock
  end
  object FileEd: TFilenameEdit
    Left = 8
    Top = 50
    Width = 150
    Height = 21
    AutoSelect = False
    BorderStyle = bsNone
    CharCase = ecUpperCase
    Color = clAqua
    Ctl3D = False
    EditMask = '>aaaa;1;_'
    Enabled = False
    Font.Height = -13
    HideSelection = False
    TabStop = False
    AcceptFiles = True
    OnChange = Handler
    OnKeyDown = Key
    OnMouseDown = Mouse
    OnDragDrop = DragDrop
  end
end
)";

class InheritedEditPropertiesTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    RegisterClassType<TEditsForm, TForm>("TEditsForm")
        .Field("SpinEd", &TEditsForm::SpinEd)
        .Field("FileEd", &TEditsForm::FileEd)
        .Field("Menu1", &TEditsForm::Menu1)
        .Method("Handler", &TEditsForm::Handler)
        .Method("ContextPopup", &TEditsForm::ContextPopup)
        .Method("Key", &TEditsForm::Key)
        .Method("KeyPress", &TEditsForm::KeyPress)
        .Method("Mouse", &TEditsForm::Mouse)
        .Method("MouseMove", &TEditsForm::MouseMove)
        .Method("Wheel", &TEditsForm::Wheel)
        .Method("DragOver", &TEditsForm::DragOver)
        .Method("DragDrop", &TEditsForm::DragDrop)
        .Method("EndDrag", &TEditsForm::EndDrag)
        .Method("StartDrag", &TEditsForm::StartDrag)
        .Method("StartDock", &TEditsForm::StartDock);
  }
};

TEST_F(InheritedEditPropertiesTest, EveryInheritedPropertyIsReadFollowedAndWrittenBack) {
  auto* form = MakeForm<TEditsForm>("TEditsForm", kEditsForm);
  form->Show();
  TOrvSpinEdit* spin = form->SpinEd;
  EXPECT_FALSE(spin->AutoSelect());
  EXPECT_FALSE(spin->AutoSize());
  EXPECT_EQ(spin->Height(), 30);
  EXPECT_EQ(spin->BorderStyle(), bsNone);
  EXPECT_EQ(spin->Color(), clYellow);
  EXPECT_FALSE(spin->Ctl3D());
  EXPECT_EQ(spin->MaxLength(), 6);
  EXPECT_EQ(spin->PopupMenu(), form->Menu1);
  EXPECT_TRUE(spin->ReadOnly());
  EXPECT_FALSE(spin->Enabled());
  EXPECT_FALSE(spin->Visible());
  EXPECT_EQ(spin->Constraints().MinWidth(), 50);
  EXPECT_TRUE(static_cast<bool>(spin->OnMouseWheelUp));
  auto* spinLine = static_cast<QLineEdit*>(spin->Widget());
  EXPECT_EQ(spinLine->maxLength(), 6) << "what the widget takes";
  EXPECT_TRUE(spinLine->isReadOnly());
  EXPECT_FALSE(spinLine->hasFrame());

  TFilenameEdit* file = form->FileEd;
  EXPECT_FALSE(file->AutoSelect());
  EXPECT_EQ(file->CharCase(), ecUpperCase);
  EXPECT_EQ(file->EditMask(), ">aaaa;1;_");
  EXPECT_FALSE(file->HideSelection());
  EXPECT_TRUE(file->AcceptFiles());
  EXPECT_FALSE(file->TabStop());
  EXPECT_EQ(file->Color(), clAqua);

  // Written back, each property appears with the value read.
  const std::string written = WriteComponentToText(form);
  for (const char* line : {"    AutoSelect = False\n", "    AutoSize = False\n", "    BorderStyle = bsNone\n",
                           "    Ctl3D = False\n", "    MaxLength = 6\n", "    PopupMenu = Menu1\n",
                           "    ReadOnly = True\n", "    ImeMode = imDisable\n", "    BiDiMode = bdRightToLeft\n",
                           "    ParentCtl3D = False\n", "    OnMouseWheelUp = Wheel\n", "    OnStartDock = StartDock\n",
                           "    CharCase = ecUpperCase\n", "    HideSelection = False\n", "    AcceptFiles = True\n",
                           "    EditMask = '>aaaa;1;_'\n"})
    EXPECT_NE(written.find(line), std::string::npos) << line << written;
  // And that text reads into a second form alike.
  RegisterComponentResource("TEditsForm", written.c_str());
  auto* again = TCustomForm::Create<TEditsForm>(nullptr);
  FForms.push_back(again);
  EXPECT_FALSE(again->SpinEd->AutoSize());
  EXPECT_EQ(again->SpinEd->Height(), 30);
  EXPECT_TRUE(again->SpinEd->ReadOnly());
  EXPECT_FALSE(again->FileEd->HideSelection());
  EXPECT_EQ(again->FileEd->CharCase(), ecUpperCase);
}

}  // namespace
}  // namespace orv::test
