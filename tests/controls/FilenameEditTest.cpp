// The file-name edit as the main window places it: read from a description, the file name in and
// out of the text (quotes, blanks, invalid names), OnChange on every change, the browse button and
// Alt+Down opening the scripted file dialog, the dialog events, the dialog kinds, and the button.
#include "tests/controls/ControlsFixture.h"

#include <fstream>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include "controls/FilenameEdit.h"
#include "controls/OrvSpin.h"
#include "platform/classes/ObjectText.h"
#include "platform/win/DropFiles.h"
#include "platform/win/ErrorMode.h"
#include "platform/win/SysColors.h"
#include "tests/platform/forms/WindowInput.h"

namespace orv::test {
namespace {

class TFileForm : public TForm {
 public:
  explicit TFileForm(TComponent* owner) : TForm(owner) {}
  TFilenameEdit* FilenameEdit1 = nullptr;
  TEdit* Other = nullptr;
  TButton* OkBtn = nullptr;
  std::vector<std::string> Events;
  void FilenameEdit1Change(TObject*) { Events.push_back("change " + FilenameEdit1->GetText()); }
  void OkBtnClick(TObject*) { Events.push_back("ok"); }
};

const char* const kFileForm = R"(object FileForm: TFileForm
  Width = 600
  Height = 200
  Font.Name = 'DejaVu Sans'
  Font.Height = -11
  object FilenameEdit1: TFilenameEdit
    Left = 80
    Top = 8
    Width = 420
    Height = 21
    DialogKind = dkSave
    Filter = 'DBASE-Datenbanken (*.dbf)|*.dbf|Alle Dateien (*.*)|*.*'
    NumGlyphs = 1
    OnChange = FilenameEdit1Change
  end
  object Other: TEdit
    Left = 80
    Top = 40
    Width = 100
    Height = 21
  end
  object OkBtn: TButton
    Left = 80
    Top = 80
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    OnClick = OkBtnClick
  end
end
)";

class FilenameEditTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    using F = TFileForm;
    RegisterClassType<F, TForm>("TFileForm")
        .Field("FilenameEdit1", &F::FilenameEdit1)
        .Field("Other", &F::Other)
        .Field("OkBtn", &F::OkBtn)
        .Method("FilenameEdit1Change", &F::FilenameEdit1Change)
        .Method("OkBtnClick", &F::OkBtnClick);
    Form = MakeForm<TFileForm>("TFileForm", kFileForm);
    Ed = Form->FilenameEdit1;
  }

  // A file in the test's data folder.
  AnsiString MakeFile(const std::string& name) {
    const std::string path = FDataDir + name;
    std::ofstream(path) << "x";
    return path;
  }

  void ClickBrowse() {
    Click(Ed->ButtonWindow()->Widget(), QPoint(Ed->ButtonWindow()->Width() / 2, Ed->ButtonWindow()->Height() / 2));
  }

  QLineEdit* Line() const { return static_cast<QLineEdit*>(Ed->Widget()); }
  // The middle of the browse button, in the window's coordinates.
  QPoint ButtonInWindow() const {
    QWidget* button = Ed->ButtonWindow()->Widget();
    return testinput::At(button, button->rect().center());
  }

  TFileForm* Form = nullptr;
  TFilenameEdit* Ed = nullptr;
};

// Records the error mode in force while the file dialog is open; may fail the dialog.
class TModeDialogs : public TScriptedColorDialogs {
 public:
  std::vector<UINT> Modes;
  bool Fail = false;
  bool ChooseFiles(const TFileRequest& request, std::vector<AnsiString>& files) override {
    Modes.push_back(GetErrorMode());
    if (Fail) throw Exception("the dialog could not be shown");
    return TScriptedColorDialogs::ChooseFiles(request, files);
  }
};

TEST_F(FilenameEditTest, DescriptionGivesTheSaveDialogWithItsFilterAndTheDefaultGlyph) {
  EXPECT_EQ(Ed->DialogKind(), dkSave);
  ASSERT_NE(dynamic_cast<TSaveDialog*>(Ed->Dialog()), nullptr);
  EXPECT_EQ(Ed->Filter(), "DBASE-Datenbanken (*.dbf)|*.dbf|Alle Dateien (*.*)|*.*");
  EXPECT_EQ(Ed->DialogTitle(), "Browse") << "the new dialog took the old one's title";
  EXPECT_EQ(Ed->DialogOptions(), TOpenOptions{ofHideReadOnly});
  EXPECT_EQ(Ed->GlyphKind(), gkDefault);
  EXPECT_EQ(Ed->ClickKey(), VK_DOWN | scAlt);
  EXPECT_TRUE(Ed->DirectInput());
  ASSERT_NE(Ed->Glyph(), nullptr);
  EXPECT_EQ(Ed->Glyph()->Width(), 14);
  EXPECT_EQ(Ed->Glyph()->Height(), 12);
  EXPECT_EQ(Ed->Glyph()->PixelRGB(0, 0), 0xFF00FFu);
  EXPECT_EQ(Ed->Glyph()->PixelRGB(7, 0), 0x000000u);
  EXPECT_EQ(Ed->Glyph()->PixelRGB(2, 5), 0xFFFFFFu);
  EXPECT_EQ(Ed->Glyph()->PixelRGB(5, 8), 0x808080u);
  EXPECT_EQ(Ed->NumGlyphs(), 1);
  EXPECT_EQ(Ed->ButtonWidth(), 21) << "the glyph's width and 6, at least 21";
  EXPECT_TRUE(Form->Events.empty()) << "reading the description changes no text";

  const AnsiString text = WriteComponentToText(Form);
  EXPECT_NE(text.find("Filter = 'DBASE-Datenbanken"), AnsiString::npos) << text;
  EXPECT_NE(text.find("NumGlyphs = 1"), AnsiString::npos) << "the glyph count has no default\n" << text;
  for (const char* absent :
       {" DialogTitle =", " FileName =", " ButtonWidth =", " Glyph.Data", " GlyphKind =", " DialogOptions ="})
    EXPECT_EQ(text.find(absent), AnsiString::npos) << absent << "\n" << text;
  auto* bare = new TFilenameEdit(Form);
  EXPECT_EQ(bare->Filter(), "All files (*.*)|*.*");
  EXPECT_FALSE(bare->IsFilterStored());
  EXPECT_EQ(dynamic_cast<TSaveDialog*>(bare->Dialog()), nullptr) << "an open dialog by default";
  EXPECT_FALSE(bare->AutoSize()) << "a combo edit keeps its height";
  bare->SetParent(Form);
  bare->Font().SetHeight(-30);
  EXPECT_EQ(bare->Height(), 21) << "a larger font does not make it higher";
}

TEST_F(FilenameEditTest, FileNameComesOutOfTheTextWithoutQuotesOrFollowingWords) {
  const AnsiString spaced = MakeFile("my table.dbf");
  struct TCase {
    AnsiString Text, FileName;
  };
  const TCase cases[] = {
    {"/data/mailaddies.dbf", "/data/mailaddies.dbf"},
    {"\"/data/my table.dbf\"", "/data/my table.dbf"},
    {"/data/table.dbf second", "/data/table.dbf"},
    {spaced, spaced},
    {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    Ed->SetText(c.Text);
    EXPECT_EQ(Ed->GetFileName(), c.FileName);
  }
}

TEST_F(FilenameEditTest, SettingTheFileNameQuotesBlanksFiresOnChangeAndRefusesInvalidNames) {
  Ed->SetFileName("/data/mailaddies.dbf");
  EXPECT_EQ(Ed->GetText(), "/data/mailaddies.dbf");
  Ed->SetFileName("/data/my table.dbf");
  EXPECT_EQ(Ed->GetText(), "\"/data/my table.dbf\"");
  EXPECT_EQ(Ed->GetFileName(), "/data/my table.dbf");
  Ed->SetFileName("/data/my table.dbf");
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"change /data/mailaddies.dbf", "change \"/data/my table.dbf\""}))
      << "each change once, before the window exists too; the same name again is no change";
  Form->Show();
  Ed->SetFileName("");
  EXPECT_EQ(Ed->GetText(), "");
  EXPECT_EQ(Form->Events.back(), "change ");

  Form->Events.clear();
  for (const char* bad : {"/data/a|b.dbf", "<x>", "a[1].dbf"}) {
    SCOPED_TRACE(bad);
    try {
      Ed->SetFileName(bad);
      ADD_FAILURE() << "no error";
    } catch (const EComboEditError& e) {
      EXPECT_EQ(AnsiString(e.what()), AnsiString("Ung\xFCltiger Dateiname - ") + bad);
    }
    EXPECT_EQ(Ed->GetText(), "") << "the text stays";
  }
  Ed->SetFileName("what?*.dbf");
  EXPECT_EQ(Ed->GetText(), "what?*.dbf") << "wildcards are no invalid characters";
  Form->Events.clear();
  Key(Ed->Widget(), Qt::Key_X, "x");
  EXPECT_EQ(Form->Events, std::vector<std::string>{"change what?*.dbfx"}) << "typing changes the text too";
}

TEST_F(FilenameEditTest, BrowseButtonOpensTheDialogAndWritesTheChosenName) {
  Form->Show();
  const AnsiString existing = MakeFile("old.dbf");
  Ed->SetFileName(existing);
  Form->Events.clear();
  ColorDialogs.FileAnswers.push_back({FDataDir + "new table.dbf"});
  ClickBrowse();
  ASSERT_EQ(ColorDialogs.FileRequests.size(), 1u);
  const TFileRequest& asked = ColorDialogs.FileRequests[0];
  EXPECT_TRUE(asked.Save);
  EXPECT_EQ(asked.Title, "Browse");
  EXPECT_EQ(asked.Filter, "DBASE-Datenbanken (*.dbf)|*.dbf|Alle Dateien (*.*)|*.*");
  EXPECT_EQ(asked.InitialDir, FDataDir) << "the folder of the name in the edit";
  EXPECT_EQ(asked.FileName, existing);
  EXPECT_EQ(Ed->GetText(), "\"" + FDataDir + "new table.dbf\"");
  EXPECT_EQ(Ed->GetFileName(), FDataDir + "new table.dbf");
  EXPECT_EQ(Form->Events, std::vector<std::string>{"change \"" + FDataDir + "new table.dbf\""});
  EXPECT_TRUE(Ed->Focused()) << "the edit has the focus after the dialog";

  // Cancelled: the text stays, and the after-dialog event still hears of it.
  std::vector<std::string> after;
  Ed->OnAfterDialog = [&](TObject*, AnsiString& name, bool& action) {
    after.push_back(name + (action ? " ok" : " cancelled"));
  };
  Form->Events.clear();
  ClickBrowse();
  EXPECT_EQ(ColorDialogs.FileRequests.size(), 2u);
  EXPECT_EQ(ColorDialogs.FileRequests[1].FileName, FDataDir + "new table.dbf");
  EXPECT_EQ(Ed->GetFileName(), FDataDir + "new table.dbf");
  EXPECT_TRUE(Form->Events.empty());
  EXPECT_EQ(after, std::vector<std::string>{FDataDir + "new table.dbf cancelled"});

  // The after-dialog event can change the name written.
  Ed->OnAfterDialog = [](TObject*, AnsiString& name, bool&) { name = "/changed.dbf"; };
  ColorDialogs.FileAnswers.push_back({"/chosen.dbf"});
  ClickBrowse();
  EXPECT_EQ(Ed->GetText(), "/changed.dbf");
  EXPECT_EQ(Ed->InitialDir(), "/") << "the start folder becomes the chosen file's";
}

TEST_F(FilenameEditTest, BeforeDialogCanChangeTheNameOrStopTheDialog) {
  Form->Show();
  std::vector<std::string> clicks;
  Ed->OnButtonClick = [&](TObject*) { clicks.push_back("button"); };
  Ed->OnBeforeDialog = [](TObject*, AnsiString&, bool& action) { action = false; };
  ClickBrowse();
  EXPECT_TRUE(ColorDialogs.FileRequests.empty()) << "no dialog";
  EXPECT_EQ(clicks.size(), 1u) << "OnButtonClick fires first";
  EXPECT_TRUE(Form->Events.empty());

  Ed->OnBeforeDialog = [](TObject*, AnsiString& name, bool&) { name = "/nowhere/start name.dbf"; };
  ClickBrowse();
  ASSERT_EQ(ColorDialogs.FileRequests.size(), 1u);
  EXPECT_EQ(ColorDialogs.FileRequests[0].FileName, "/nowhere/start name.dbf");
  EXPECT_EQ(ColorDialogs.FileRequests[0].InitialDir, "") << "a folder that does not exist is not taken";

  Ed->OnBeforeDialog = [](TObject*, AnsiString& name, bool&) { name = "a|b"; };
  ClickBrowse();
  EXPECT_EQ(ColorDialogs.FileRequests[1].FileName, "/nowhere/start name.dbf")
      << "an invalid name leaves the dialog's previous one";
}

TEST_F(FilenameEditTest, AltDownOpensTheDialogAndTheReadOnlyEditDoesNot) {
  Form->Show();
  Ed->SetFocus();
  ColorDialogs.FileAnswers.push_back({"/picked.dbf"});
  Key(Ed->Widget(), Qt::Key_Down, QString(), Qt::AltModifier);
  ASSERT_EQ(ColorDialogs.FileRequests.size(), 1u);
  EXPECT_EQ(Ed->GetText(), "/picked.dbf");

  Ed->SetReadOnly(true);
  EXPECT_TRUE(static_cast<QLineEdit*>(Ed->Widget())->isReadOnly());
  ClickBrowse();
  Key(Ed->Widget(), Qt::Key_Down, QString(), Qt::AltModifier);
  EXPECT_EQ(ColorDialogs.FileRequests.size(), 1u) << "a read-only edit opens no dialog";
  Ed->SetReadOnly(false);
  Ed->SetDirectInput(false);
  EXPECT_TRUE(static_cast<QLineEdit*>(Ed->Widget())->isReadOnly()) << "without direct input no typing";
  ClickBrowse();
  EXPECT_EQ(ColorDialogs.FileRequests.size(), 2u) << "but the button still works";
}

TEST_F(FilenameEditTest, DialogKindMakesANewDialogThatKeepsTheSettings) {
  Ed->SetInitialDir("/start");
  Ed->SetDefaultExt("dbf");
  Ed->SetFilterIndex(2);
  Ed->SetDialogTitle("Choose");
  TOpenDialog* old = Ed->Dialog();
  Ed->SetDialogKind(dkOpenPicture);
  EXPECT_NE(Ed->Dialog(), old);
  EXPECT_NE(dynamic_cast<TOpenPictureDialog*>(Ed->Dialog()), nullptr);
  EXPECT_EQ(Ed->InitialDir(), "/start");
  EXPECT_EQ(Ed->DefaultExt(), "dbf");
  EXPECT_EQ(Ed->FilterIndex(), 2);
  EXPECT_EQ(Ed->DialogTitle(), "Choose");
  EXPECT_EQ(Ed->Filter(), "DBASE-Datenbanken (*.dbf)|*.dbf|Alle Dateien (*.*)|*.*");
  Ed->SetDialogKind(dkSavePicture);
  EXPECT_NE(dynamic_cast<TSavePictureDialog*>(Ed->Dialog()), nullptr);

  Ed->SetDialogOptions(TOpenOptions{ofAllowMultiSelect});
  Ed->Dialog()->Files().Add("/a.dbf");
  Ed->SetFileName("/b.dbf");
  EXPECT_EQ(Ed->Dialog()->Files().Count(), 0) << "setting the name empties the dialog's file list";
}

TEST_F(FilenameEditTest, ButtonSitsAtTheRightEdgeAndTheTextStaysClearOfIt) {
  Form->Show();
  TWinControl* window = Ed->ButtonWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->Width(), 21);
  EXPECT_EQ(window->Left() + window->Width(), 420 - 2) << "flush with the client area's right edge";
  EXPECT_EQ(Ed->Button()->Height(), window->Height());
  EXPECT_EQ(static_cast<QLineEdit*>(Ed->Widget())->textMargins().right(), 21 + 2);
  Ed->SetButtonWidth(30);
  EXPECT_EQ(window->Width(), 30);
  EXPECT_EQ(window->Left() + 30, 420 - 2);
  Ed->SetHeight(5);
  EXPECT_EQ(Ed->Height(), Ed->MinimumHeight()) << "never lower than the text needs";

  Ed->SetGlyphKind(gkEllipsis);
  EXPECT_EQ(Ed->Glyph()->Width(), 30 - 6);
  EXPECT_EQ(Ed->Glyph()->Height(), 4);
  Ed->SetGlyphKind(gkDropDown);
  EXPECT_EQ(Ed->ButtonWidth(), GetSystemMetrics(SM_CXVSCROLL));
  Ed->SetEnabled(false);
  EXPECT_FALSE(Ed->Button()->Enabled()) << "the button follows the edit";

  const QImage shot = Form->Widget()->grab().toImage();
  const QPoint at = Ed->ButtonWindow()->Widget()->mapTo(Form->Widget(), QPoint(1, 1));
  EXPECT_EQ(shot.pixelColor(at + QPoint(0, 2)), QColor(255, 255, 255)) << "the button's highlight line";
}

TEST_F(FilenameEditTest, DroppedFilesBecomeTheFileNameWhenTheEditAcceptsThem) {
  Form->Show();
  const auto drop = [this](const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths) urls.push_back(QUrl::fromLocalFile(p));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Ed->Widget(), &enter);
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Ed->Widget(), &event);
  };
  int dropped = 0;
  Ed->OnDropFiles = [&](TObject*) { ++dropped; };
  drop({"/data/first.dbf"});
  EXPECT_EQ(Ed->GetText(), "") << "AcceptFiles is off by default";
  EXPECT_EQ(dropped, 0);

  Ed->SetAcceptFiles(true);
  EXPECT_TRUE(GetWindowLongA(Ed->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  const std::string longName = "/data/" + std::string(300, 'n') + ".dbf";
  drop({QString::fromStdString(longName), "/data/second table.dbf"});
  EXPECT_EQ(Ed->GetFileName(), longName) << "the first file, taken whole however long";
  EXPECT_EQ(Ed->Dialog()->Files().Count(), 0);
  EXPECT_EQ(dropped, 1);
  EXPECT_EQ(Form->Events.back(), "change " + longName);

  Ed->SetDialogOptions(TOpenOptions{ofAllowMultiSelect});
  drop({"/data/a.dbf", "/data/b c.dbf"});
  EXPECT_EQ(Ed->GetFileName(), "/data/a.dbf");
  ASSERT_EQ(Ed->Dialog()->Files().Count(), 2) << "with several files allowed the list takes them all";
  EXPECT_EQ(Ed->Dialog()->Files().Get(1), "/data/b c.dbf");
  EXPECT_EQ(PendingDropCount(), 0) << "every drop is released";

  Ed->RecreateWnd();
  drop({"/data/again.dbf"});
  EXPECT_EQ(Ed->GetFileName(), "/data/again.dbf") << "a new window accepts files again";
  Ed->SetAcceptFiles(false);
  drop({"/data/refused.dbf"});
  EXPECT_EQ(Ed->GetFileName(), "/data/again.dbf");
}

TEST_F(FilenameEditTest, TheSystemsErrorBoxesAreOffWhileTheDialogIsOpenAndTheOldModeComesBack) {
  Form->Show();
  TModeDialogs dialogs;
  SetDialogService(&dialogs);
  const UINT before = SetErrorMode(SEM_NOGPFAULTERRORBOX);
  dialogs.FileAnswers.push_back({"/chosen.dbf"});
  ClickBrowse();
  EXPECT_EQ(dialogs.Modes, std::vector<UINT>{SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX});
  EXPECT_EQ(GetErrorMode(), SEM_NOGPFAULTERRORBOX) << "the mode from before the dialog";
  EXPECT_EQ(Ed->GetText(), "/chosen.dbf");

  dialogs.Fail = true;
  EXPECT_THROW(Ed->ButtonClick(), Exception);
  EXPECT_EQ(dialogs.Modes.size(), 2u);
  EXPECT_EQ(GetErrorMode(), SEM_NOGPFAULTERRORBOX) << "also when the dialog fails";
  EXPECT_EQ(Ed->GetText(), "/chosen.dbf");
  SetErrorMode(before);
  SetDialogService(&ColorDialogs);
}

TEST_F(FilenameEditTest, LongAndShortNamesAreThoseTheSystemFindsForTheFile) {
  const AnsiString spaced = MakeFile("long table name.dbf");
  struct TCase {
    AnsiString Text, Long;
  };
  const TCase cases[] = {
    {QuoteFileName(spaced), "long table name.dbf"},
    {FDataDir + "missing.dbf", ""},
    {"", ""},
  };
  TFileDirEdit* edit = Ed;  // reached as the file-oriented edit
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    Ed->SetText(c.Text);
    EXPECT_EQ(edit->GetLongName(), c.Long);
    EXPECT_EQ(edit->GetShortName(), c.Long) << "the system keeps no second, short name";
  }
}

TEST_F(FilenameEditTest, ANewButtonWidthMakesTheWindowAgainWhenItLeavesRoomForTheText) {
  Form->Show();
  Ed->SetText("/data/kept.dbf");
  const HWND first = Ed->Handle();
  Ed->SetButtonWidth(40);
  EXPECT_NE(Ed->Handle(), first) << "the window is made again";
  EXPECT_EQ(Ed->ButtonWidth(), 40);
  EXPECT_EQ(Ed->ButtonWindow()->Width(), 40);
  EXPECT_EQ(Line()->text(), "/data/kept.dbf") << "with the text it had";
  EXPECT_EQ(Line()->textMargins().right(), 40 + 2) << "and the text beside the new button";
  EXPECT_TRUE(Ed->ButtonWindow()->Widget()->isVisible());

  const HWND second = Ed->Handle();
  Ed->SetButtonWidth(Ed->ClientWidth());
  EXPECT_EQ(Ed->ButtonWidth(), 40) << "a button as wide as the edit is refused";
  EXPECT_EQ(Ed->Handle(), second);
  Ed->SetButtonWidth(1);
  EXPECT_FALSE(Ed->ButtonWindow()->Visible()) << "a button of one pixel is hidden";
  Ed->SetButtonWidth(21);
  EXPECT_TRUE(Ed->ButtonWindow()->Visible());
  ColorDialogs.FileAnswers.push_back({"/after.dbf"});
  ClickBrowse();
  EXPECT_EQ(Ed->GetText(), "/after.dbf") << "the button works in the new window";
}

TEST_F(FilenameEditTest, DefaultGlyphIsFreedOnlyWhenTheEditorSaysSo) {
  // An editor that makes its glyph for each call, or keeps one of its own.
  class TGlyph : public TBitmap {
   public:
    TGlyph(int* freed, COLORREF colour) : TBitmap(8, 6), FFreed(freed) {
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) SetPixelRGB(x, y, colour);
    }
    ~TGlyph() override { ++*FFreed; }

   private:
    int* FFreed;
  };
  class TMadeGlyphEdit : public TCustomComboEdit {
   public:
    TMadeGlyphEdit(TComponent* owner, bool made) : TCustomComboEdit(owner), FMade(made), FKept(&Freed, 0x00FF00) {}
    int Freed = 0;
    int Asked = 0;

   protected:
    TBitmap* GetDefaultBitmap(bool& destroyNeeded) override {
      ++Asked;
      destroyNeeded = FMade;
      if (!FMade) return &FKept;
      return std::make_unique<TGlyph>(&Freed, 0x0000FF).release();
    }

   private:
    bool FMade;
    TGlyph FKept;
  };
  for (const bool made : {true, false}) {
    SCOPED_TRACE(made ? "made for the call" : "kept by the editor");
    auto* edit = new TMadeGlyphEdit(Form, made);
    edit->SetGlyphKind(gkDefault);
    EXPECT_EQ(edit->Asked, 1);
    EXPECT_EQ(edit->Freed, made ? 1 : 0);
    ASSERT_NE(edit->Glyph(), nullptr);
    EXPECT_EQ(edit->Glyph()->Width(), 8) << "the button keeps a copy";
    EXPECT_EQ(edit->Glyph()->PixelRGB(3, 3), made ? 0x0000FFu : 0x00FF00u);
    edit->Free();
  }
}

TEST_F(FilenameEditTest, TheButtonFollowsTheThreeDLookAndADisabledTextStaysReadable) {
  Form->Show();
  EXPECT_EQ(Ed->ButtonWindow()->Left(), 420 - 21 - 2);
  Ed->SetCtl3D(false);
  EXPECT_EQ(Ed->ButtonWindow()->Left(), 420 - 21 - 1) << "inside the flat border";
  EXPECT_EQ(Ed->ButtonWindow()->Top(), 3);
  EXPECT_EQ(Ed->ButtonWindow()->Height(), Ed->Height() - 4);
  Ed->SetCtl3D(true);
  EXPECT_EQ(Ed->ButtonWindow()->Left(), 420 - 21 - 2);

  // Disabled, the text is grey; on a grey background it keeps the font's colour.
  Ed->SetText("WWWWWWWW");
  Ed->SetEnabled(false);
  struct TCase {
    TColor Background, Text;
  };
  const TCase cases[] = {{clWindow, clGrayText}, {clGrayText, clWindowText}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Background);
    Ed->SetColor(c.Background);
    const QImage shot = Ed->Widget()->grab().toImage();
    EXPECT_GT(CountPixels(shot.copy(0, 0, 40, shot.height()), ShownColor(c.Text)), 10)
        << "the text is drawn in its colour";
  }
}

TEST_F(FilenameEditTest, InputMethodNameIsKeptInTheDescriptionOfEitherEdit) {
  // The input method is the process's own; an edit keeps the name it was given.
  const AnsiString text = R"(object FileForm: TFileForm
  object FilenameEdit1: TFilenameEdit
    Left = 8
    Top = 8
    Width = 200
    Height = 21
    ImeMode = imDisable
    ImeName = 'Pinyin'
  end
  object SpinEd: TOrvSpinEdit
    Left = 8
    Top = 40
    Width = 60
    Height = 21
    ImeMode = imClose
    ImeName = 'Hangul'
  end
end
)";
  auto* form = MakeForm<TFileForm>("TFileForm", text.c_str());
  struct TCase {
    const char* Name;
    TImeMode Mode;
    const char* ImeName;
    const char* Written;
  };
  const TCase cases[] = {
    {"FilenameEdit1", imDisable, "Pinyin", "ImeName = 'Pinyin'"},
    {"SpinEd", imClose, "Hangul", "ImeName = 'Hangul'"},
  };
  const AnsiString written = WriteComponentToText(form);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* edit = dynamic_cast<TWinControl*>(form->FindComponent(c.Name));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->ImeName(), c.ImeName);
    EXPECT_EQ(edit->ImeMode(), c.Mode);
    EXPECT_NE(written.find(c.Written), AnsiString::npos) << written;
  }
}

TEST_F(FilenameEditTest, TheGlyphCountFollowsTheKindAndACustomGlyphIsWrittenAndReadBack) {
  struct TCase {
    TGlyphKind Kind;
    Integer NumGlyphs;  // after asking for two
  };
  const TCase cases[] = {{gkDefault, 1}, {gkDropDown, 1}, {gkEllipsis, 1}, {gkCustom, 2}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Kind);
    Ed->SetGlyphKind(c.Kind);
    Ed->SetNumGlyphs(2);
    EXPECT_EQ(Ed->NumGlyphs(), c.NumGlyphs);
  }

  // A glyph of its own makes the kind custom, and only then is the glyph written.
  Ed->SetGlyphKind(gkDefault);
  const auto strip = Strip({0x0000FF, 0x00FF00}, 0xFF00FF);
  Ed->SetGlyph(strip.get());
  Ed->SetNumGlyphs(2);
  EXPECT_EQ(Ed->GlyphKind(), gkCustom);
  const AnsiString written = WriteComponentToText(Form);
  for (const char* line : {"GlyphKind = gkCustom", "Glyph.Data", "NumGlyphs = 2"})
    EXPECT_NE(written.find(line), AnsiString::npos) << line << "\n" << written;

  // Read again, the custom kind clears the default glyph and the glyph that follows it stays.
  RegisterComponentResource("TFileForm", written.c_str());
  auto* again = TCustomForm::Create<TFileForm>(nullptr);
  FForms.push_back(again);
  TFilenameEdit* read = again->FilenameEdit1;
  EXPECT_EQ(read->GlyphKind(), gkCustom);
  ASSERT_NE(read->Glyph(), nullptr);
  EXPECT_EQ(read->Glyph()->Width(), 20);
  EXPECT_EQ(read->Glyph()->PixelRGB(15, 5), 0x00FF00u);
  EXPECT_EQ(read->NumGlyphs(), 2);
}

// ----- through the window, as the user gives it -----

TEST_F(FilenameEditTest, ClickingTheBrowseButtonInTheWindowOpensTheDialog) {
  Form->Show();
  QWidget* top = Form->Widget();
  ColorDialogs.FileAnswers.push_back({FDataDir + "picked table.dbf"});
  testinput::Click(top, ButtonInWindow());
  ASSERT_EQ(ColorDialogs.FileRequests.size(), 1u);
  EXPECT_TRUE(ColorDialogs.FileRequests[0].Save);
  EXPECT_EQ(Line()->text().toStdString(), "\"" + FDataDir + "picked table.dbf\"") << "what the edit shows";
  EXPECT_EQ(Form->Events, std::vector<std::string>{"change \"" + FDataDir + "picked table.dbf\""});
  EXPECT_TRUE(Ed->Focused());

  // A press beside the button, in the text, opens nothing.
  testinput::Click(top, testinput::At(Ed->Widget(), QPoint(10, 10)));
  EXPECT_EQ(ColorDialogs.FileRequests.size(), 1u);
}

TEST_F(FilenameEditTest, KeysGivenToTheWindowReachTheEdit) {
  Form->Show();
  QWidget* top = Form->Widget();
  testinput::Click(top, testinput::At(Ed->Widget(), QPoint(10, 10)));
  ASSERT_TRUE(Ed->Focused()) << "the click gives the edit the focus";
  for (const int key : {Qt::Key_A, Qt::Key_B}) testinput::Key(top, key);
  EXPECT_EQ(Line()->text(), "ab");
  EXPECT_EQ(Form->Events, (std::vector<std::string>{"change a", "change ab"}));

  ColorDialogs.FileAnswers.push_back({"/by key.dbf"});
  testinput::Key(top, Qt::Key_Down, Qt::AltModifier);
  ASSERT_EQ(ColorDialogs.FileRequests.size(), 1u) << "Alt+Down opens the dialog";
  EXPECT_EQ(ColorDialogs.FileRequests[0].FileName, "ab");
  EXPECT_EQ(Line()->text(), "\"/by key.dbf\"");

  Form->Events.clear();
  testinput::Key(top, Qt::Key_Return);
  EXPECT_EQ(Form->Events, std::vector<std::string>{"ok"}) << "Enter is the form's default button";
  EXPECT_EQ(Line()->text(), "\"/by key.dbf\"") << "and is not typed";
  testinput::Key(top, Qt::Key_Down);
  EXPECT_EQ(ColorDialogs.FileRequests.size(), 1u) << "Down alone is no click key";
}

}  // namespace
}  // namespace orv::test
