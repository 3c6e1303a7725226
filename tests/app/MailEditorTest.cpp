// The mail editor window on its own: text inserted at the caret, the pages each mail type shows,
// the design tool bar, previews with embedded pictures, the HTML import, and the close question.
#include <QImage>
#include <QTimer>
#include <fstream>
#include <functional>

#include "app/HtmlToText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/SysUtils.h"
#include "tests/app/AppFixture.h"

namespace orv::test {
namespace {

class MailEditorTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartWindows();
    E = WriteMailForm;
    ASSERT_NE(E, nullptr);
  }

  // Shows the editor modally, runs `inEditor` in it, and answers the close question with
  // `answer`; a stuck editor is cancelled after a few seconds.
  TModalResult WithEditor(const std::function<void()>& inEditor, int answer) {
    QTimer::singleShot(0, [&] {
      inEditor();
      Dialogs.Answers.push_back(answer);
      E->SpeedButton1->Click();
    });
    // Outlives the test: it reaches the editor through the global, never through the fixture.
    QTimer::singleShot(8000, [] {
      if (WriteMailForm && WriteMailForm->FormState().Contains(fsModal)) WriteMailForm->SetModalResult(mrCancel);
    });
    return E->ShowModal();
  }

  // A picture file of the temporary folder.
  AnsiString Picture(const std::string& name) {
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    const std::string path = FProgramDir + name;
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
    return path;
  }

  std::vector<AnsiString> Lines(const TCustomMemo& memo) { return memo.Lines().ToVector(); }

  TWriteMailForm* E = nullptr;
};

TEST_F(MailEditorTest, InsertingAtTheCaretOfAMemo) {
  struct TCase {
    const char* text;
    Integer caret;
    std::vector<AnsiString> lines;
    Integer caretAfter;
  };
  const TCase cases[] = {
      {"abcde", 2, {"ab[%X]cde"}, 6},                      // inside a five-letter line
      {"", 0, {"[%X]"}, 4},                                 // an empty memo gets one line
      {"one\r\ntwo\r\nthree", 10, {"one", "two", "th[%X]ree"}, 14},  // one position per break
      {"one\r\n", 4, {"one", "[%X]"}, 8},                   // after the last break: a new last line
  };
  for (const TCase& c : cases) {
    E->Memo2->SetText(c.text);
    E->Memo2->SetSelStart(c.caret);
    E->Memo2->SetSelLength(0);
    TWriteMailForm::InsertTextAtCaret(*E->Memo2, "[%X]");
    EXPECT_EQ(Lines(*E->Memo2), c.lines) << "text \"" << c.text << "\" caret " << c.caret;
    EXPECT_EQ(E->Memo2->SelStart(), c.caretAfter) << c.text;
    EXPECT_EQ(E->Memo2->SelLength(), 0) << c.text;
  }
}

TEST_F(MailEditorTest, FieldInsertedIntoTheDesignLandsOnItsLineWithThatLinesFormat) {
  TRichCharFormat plain, red;
  red.Name = "Times New Roman";
  red.Size = 14;
  red.Color = clRed;
  red.Style.Include(fsBold);
  TRichDocument doc;
  for (const auto& [text, format] : {std::pair{u"first", plain}, {u"second", plain}, {u"third line", red}}) {
    doc.Paragraphs.emplace_back();
    doc.Paragraphs.back().Runs.push_back({format, text});
  }
  E->RichEdit1->SetRichText(doc);
  E->PageControl1->SetActivePage(E->TabSheet1);
  E->PageControl2->SetActivePageIndex(0);
  // The caret after "th" of the third line: 6 + 7 positions for the two lines and their breaks.
  E->RichEdit1->SetSelStart(13 + 2);
  E->RichEdit1->SetSelLength(0);
  E->FelderCombo->Items().Add("Last Name");
  E->FelderCombo->SetItemIndex(0);
  E->InsertFieldClick(E->InsertField);

  const TRichDocument after = E->RichEdit1->RichText();
  ASSERT_EQ(after.Lines().size(), 3u);
  EXPECT_EQ(after.Lines()[2], u"th[%Last Name]ird line");
  EXPECT_EQ(after.Lines()[0], u"first");
  for (const TRichRun& run : after.Paragraphs[2].Runs) EXPECT_EQ(run.Format, red) << "the inserted text took the line's format";
  EXPECT_EQ(E->RichEdit1->SelStart(), 13 + 2 + 12);
}

TEST_F(MailEditorTest, FieldGoesToTheEditorOfThePageShowing) {
  E->FelderCombo->Items().Add("eMail");
  E->FelderCombo->SetItemIndex(0);
  E->Memo1->SetText("");
  E->Memo2->SetText("");
  E->MailTyp2->SetChecked(true);
  E->AutoCreateCheck->SetChecked(false);
  E->PageControl1->SetActivePage(E->TabSheet2);
  E->PageControl3->SetActivePageIndex(0);
  E->InsertFieldClick(E->InsertField);
  EXPECT_EQ(E->Memo1->GetText(), "[%eMail]");
  E->PageControl3->SetActivePageIndex(1);  // the preview: nowhere to type
  E->InsertFieldClick(E->InsertField);
  EXPECT_EQ(E->Memo1->GetText(), "[%eMail]");
  E->PageControl1->SetActivePage(E->TabSheet3);
  E->InsertFieldClick(E->InsertField);
  EXPECT_EQ(E->Memo2->GetText(), "[%eMail]");
}

TEST_F(MailEditorTest, EachMailTypeShowsItsPages) {
  struct TCase {
    TRadioButton* TWriteMailForm::*type;
    bool autoText;
    bool design, html, text, autoEnabled;
  };
  const TCase cases[] = {
      {&TWriteMailForm::MailTyp1, true, true, false, false, true},
      {&TWriteMailForm::MailTyp1, false, true, false, true, true},
      {&TWriteMailForm::MailTyp2, true, false, true, false, true},
      {&TWriteMailForm::MailTyp2, false, false, true, true, true},
      {&TWriteMailForm::MailTyp3, true, false, false, true, false},
      {&TWriteMailForm::MailTyp3, false, false, false, true, false},
  };
  for (const TCase& c : cases) {
    (E->*c.type)->SetChecked(true);
    E->AutoCreateCheck->SetChecked(c.autoText);
    E->MailTypClick();
    const AnsiString name = (E->*c.type)->Name() + (c.autoText ? " with" : " without") + " automatic text";
    EXPECT_EQ(E->TabSheet1->TabVisible(), c.design) << name;
    EXPECT_EQ(E->TabSheet2->TabVisible(), c.html) << name;
    EXPECT_EQ(E->TabSheet3->TabVisible(), c.text) << name;
    EXPECT_EQ(E->AutoCreateCheck->Enabled(), c.autoEnabled) << name;
  }
}

// The darkest grey level among the pixels of a control's caption (right of its box).
int DarkestCaptionPixel(QWidget* widget) {
  const QImage shot = widget->grab().toImage();
  int darkest = 255;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 20; x < shot.width(); ++x) darkest = std::min(darkest, qGray(shot.pixel(x, y)));
  return darkest;
}

TEST_F(MailEditorTest, DisabledAutomaticTextChoiceOfATextMailLooksDisabled) {
  E->Show();
  Application->ProcessMessages();
  E->MailTyp1->SetChecked(true);
  const int enabled = DarkestCaptionPixel(E->AutoCreateCheck->Widget());
  E->MailTyp3->SetChecked(true);
  ASSERT_FALSE(E->AutoCreateCheck->Enabled());
  const int disabled = DarkestCaptionPixel(E->AutoCreateCheck->Widget());
  EXPECT_LT(enabled, 60) << "an enabled caption is drawn in the font's black";
  EXPECT_GE(disabled, qGray(ColorToRGB(clGrayText) & 0xFF, (ColorToRGB(clGrayText) >> 8) & 0xFF,
                            (ColorToRGB(clGrayText) >> 16) & 0xFF) - 8)
      << "a disabled caption is drawn in the grey of disabled text, not in black";
  E->Hide();
}

TEST_F(MailEditorTest, PlainTextFollowsTheHtmlOfTheMailTypeOnlyWithAutomaticText) {
  E->AutoCreateCheck->SetChecked(true);
  E->MailTyp2->SetChecked(true);
  E->Memo1->SetText("<p>Hello</p><div align=left>World");
  EXPECT_EQ(Lines(*E->Memo2), HTMLLinesToText(Lines(*E->Memo1)));
  E->AutoCreateCheck->SetChecked(false);
  E->Memo2->SetText("by hand");
  E->Memo1->SetText("<p>changed");
  EXPECT_EQ(E->Memo2->GetText(), "by hand") << "without automatic text the written text stays";
}

TEST_F(MailEditorTest, DesignBecomesHtmlAfterTheTimerAndOnlyForDesignMails) {
  E->MailTyp1->SetChecked(true);
  E->NormalCheck->SetChecked(true);
  E->AutoCreateCheck->SetChecked(true);
  E->RichEdit1->SetText("Hello design");
  EXPECT_TRUE(E->Timer1->Enabled()) << "a design change starts the timer";
  E->Timer1Timer(E->Timer1);
  EXPECT_FALSE(E->Timer1->Enabled());
  const std::vector<AnsiString> html = Lines(*E->Memo3);
  ASSERT_EQ(html.size(), 3u);
  EXPECT_EQ(html[0], "<html><body bgcolor=#FFFFFF>");
  EXPECT_NE(html[1].find("Hello design"), AnsiString::npos);
  EXPECT_EQ(Lines(*E->Memo2), HTMLLinesToText(html));

  E->NewsCheck->SetChecked(true);
  EXPECT_NE(E->Memo3->GetText().find("<table align=center width=550"), AnsiString::npos)
      << "choosing the newsletter frames the design at once";

  E->MailTyp2->SetChecked(true);
  const AnsiString kept = E->Memo3->GetText();
  E->RTFToHTML();
  EXPECT_EQ(E->Memo3->GetText(), kept) << "only a design mail generates HTML";
}

TEST_F(MailEditorTest, EmptyDesignShowsItsDefaultFaceAndSizeInTheToolBar) {
  AnsiString face, size;
  WithEditor([&] {
    face = E->FontName->GetText();
    size = E->FontSize->GetText();
  }, IDNO);
  EXPECT_EQ(face, E->RichEdit1->DefAttributes().Name()) << "the face box is empty before any text is typed";
  EXPECT_EQ(size, "10");
}

TEST_F(MailEditorTest, ToolBarSetsTheSelectionAndFollowsTheCaret) {
  E->RichEdit1->SetText("one\r\ntwo");
  E->RichEdit1->SetSelStart(5);
  E->RichEdit1->SetSelLength(3);
  E->BoldBtn->Click();
  EXPECT_TRUE(E->BoldBtn->Down());
  EXPECT_TRUE(E->RichEdit1->SelAttributes().Style().Contains(fsBold));
  E->PCenterBtn->Click();
  E->NumberingBtn->Click();
  E->FontSize->SetText("18");
  E->FontSizeChange(E->FontSize);
  E->FontSize->SetText("huge");
  E->FontSizeChange(E->FontSize);
  EXPECT_EQ(E->RichEdit1->SelAttributes().Size(), 12) << "a size that is no number gives 12";

  // The caret back in the first line: the buttons show its plain, left, bullet-less paragraph.
  E->RichEdit1->SetSelStart(1);
  E->RichEdit1->SetSelLength(0);
  E->RichEdit1SelectionChange(E->RichEdit1);
  EXPECT_FALSE(E->BoldBtn->Down());
  EXPECT_TRUE(E->PLeftBtn->Down());
  EXPECT_FALSE(E->PCenterBtn->Down());
  EXPECT_FALSE(E->NumberingBtn->Down());
  // And in the second: bold, centred, with a bullet.
  E->RichEdit1->SetSelStart(6);
  E->RichEdit1SelectionChange(E->RichEdit1);
  EXPECT_TRUE(E->BoldBtn->Down());
  EXPECT_TRUE(E->PCenterBtn->Down());
  EXPECT_FALSE(E->PLeftBtn->Down());
  EXPECT_TRUE(E->NumberingBtn->Down()) << "the bullet button follows the caret's paragraph";
  const std::vector<AnsiString> html = [&] {
    E->MailTyp1->SetChecked(true);
    E->NormalCheck->SetChecked(true);
    E->RTFToHTML();
    return Lines(*E->Memo3);
  }();
  ASSERT_EQ(html.size(), 4u);
  EXPECT_EQ(html[1].rfind("<div align=left>", 0), 0u);
  EXPECT_EQ(html[2].rfind("<div align=center><ul><li>", 0), 0u) << html[2];
}

TEST_F(MailEditorTest, FontNamesAreTheSystemsSorted) {
  TStringList& names = E->FontName->Items();
  ASSERT_GT(names.Count(), 0);
  EXPECT_GE(names.IndexOf("DejaVu Sans"), 0);
  for (Integer i = 1; i < names.Count(); ++i)
    EXPECT_LE(CompareText(names.Get(i - 1), names.Get(i)), 0) << names.Get(i);
  EXPECT_EQ(E->FontSize->GetText(), "10");
}

TEST(PreviewLinesTest, ContentIdsBecomeTheAttachmentsPaths) {
  const std::vector<std::pair<AnsiString, AnsiString>> rows = {{"/pics/a.gif", "A.GIF"}, {"/pics/b.png", "B.PNG"}};
  struct TCase {
    AnsiString line, expected;
  };
  const TCase cases[] = {
      {"<img src=\"CID:A.GIF\" border=0>", "<img src=\"/pics/a.gif\" border=0>"},
      {"<img src=\"cid:a.gif\">", "<img src=\"/pics/a.gif\">"},  // lower case finds the row
      {"<img src=\"CID:B.PNG\"><img src=\"CID:A.GIF\">", "<img src=\"/pics/b.png\"><img src=\"/pics/a.gif\">"},
      {"<img src=\"CID:NONE.GIF\">", "<img src=\"\">"},             // no row: empty quotes
      {"<img src=\"CID:A.GIF", "<img src=\"/pics/a.gif"},           // no closing quote
      {"no pictures here", "no pictures here"},
  };
  for (const TCase& c : cases) EXPECT_EQ(PreviewLines({c.line}, rows), std::vector<AnsiString>{c.expected}) << c.line;
  // A path that holds the pattern itself is not read again.
  EXPECT_EQ(PreviewLines({"<img src=\"CID:X\">"}, {{"/odd/\"CID:X", "X"}}),
            std::vector<AnsiString>{"<img src=\"/odd/\"CID:X\">"});
}

TEST_F(MailEditorTest, PreviewShowsEmbeddedPicturesFromTheirFiles) {
  const AnsiString pic = Picture("photo.png");
  E->AddAttachment(pic);
  E->Memo1->SetText("<html><body><p>Look</p><img src=\"cid:PHOTO.PNG\"></body></html>");
  E->MailTyp2->SetChecked(true);
  E->PageControl1->SetActivePage(E->TabSheet2);
  E->Show();
  Application->ProcessMessages();
  E->PageControl3->SetActivePageIndex(1);
  E->PageControl3Change(E->PageControl3);
  const AnsiString preview = MainForm->AppDir() + "mail~.htm";
  EXPECT_EQ(E->WebBrowser2->LocationURL(), preview);
  std::ifstream in(preview, std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(written.find("<img src=\"" + pic + "\">"), std::string::npos) << written;
  EXPECT_NE(WideToAnsi(E->WebBrowser2->DocumentText()).find("Look"), AnsiString::npos);
  EXPECT_TRUE(E->WebBrowser2->ShowsPicture(pic));
  E->Hide();
}

TEST_F(MailEditorTest, HtmlImportEmbedsExistingPicturesAndKeepsTheRest) {
  ASSERT_EQ(system(("mkdir -p '" + FProgramDir + "site/img'").c_str()), 0);
  const AnsiString sub = Picture("site/img/logo.png");
  const AnsiString absolute = Picture("abs.png");
  const AnsiString page = FProgramDir + "site/page.html";
  {
    std::ofstream out(page, std::ios::binary);
    out << "<html><body>\r\n"
        << "<img alt=x src=\"img/logo.png\" width=4>\r\n"
        << "<img\r\nsrc=\"" << absolute << "\">\r\n"
        << "<img src=\"http://example.org/x.gif\"> <img src=\"missing.png\">\r\n"
        << "</body></html>\r\n";
  }
  Dialogs.FileAnswers.push_back({page});
  E->AutoCreateCheck->SetChecked(true);
  E->MailTyp2->SetChecked(true);
  E->HTMLImportClick(E->HTMLImport);

  const std::vector<AnsiString> lines = Lines(*E->Memo1);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1], "<img alt=x src=\"CID:LOGO.PNG\" width=4>");
  EXPECT_EQ(lines[2], "") << "a tag is written on the line where it ends";
  EXPECT_EQ(lines[3], "<img src=\"CID:ABS.PNG\">") << "a tag split over lines keeps a blank where it broke";
  EXPECT_EQ(lines[4], "<img src=\"http://example.org/x.gif\"> <img src=\"missing.png\">")
      << "a web address and a missing file stay as written";
  TListItems& rows = E->ListView1->Items();
  ASSERT_EQ(rows.Count(), 2);
  EXPECT_EQ(rows[0]->Caption(), FProgramDir + "site/img/logo.png");
  EXPECT_EQ(rows[0]->SubItems().Get(0), "LOGO.PNG");
  EXPECT_EQ(rows[1]->Caption(), absolute);
  EXPECT_EQ(E->ProgressBar1->Position(), 0);
  EXPECT_EQ(Lines(*E->Memo2), HTMLLinesToText(lines)) << "the text follows the imported HTML";
  (void)sub;
}

TEST(HtmlImportTest, WebAddressesAndMissingFilesStayAndProgressStaysWithinRange) {
  std::vector<Integer> progress;
  const THtmlImport one = ImportHtmlLines({"<img src=\"http://x.org/a.gif\"><IMG SRC=\"none.gif\">"}, "/nowhere/",
                                          [&](Integer p) { progress.push_back(p); });
  EXPECT_EQ(one.Lines, std::vector<AnsiString>{"<img src=\"http://x.org/a.gif\"><IMG SRC=\"none.gif\">"});
  EXPECT_TRUE(one.Pictures.empty());
  EXPECT_EQ(progress, std::vector<Integer>{100}) << "a file of one line reports once, without dividing by zero";
  progress.clear();
  ImportHtmlLines({"a", "b", "c"}, "/", [&](Integer p) { progress.push_back(p); });
  EXPECT_EQ(progress, (std::vector<Integer>{0, 50, 100}));
}

TEST(FilePathTest, AbsolutePathsAndContentIds) {
  EXPECT_TRUE(IsAbsoluteFilePath("/home/a.gif"));
  EXPECT_TRUE(IsAbsoluteFilePath("C:\\pics\\a.gif"));
  EXPECT_TRUE(IsAbsoluteFilePath("c:a.gif"));
  EXPECT_FALSE(IsAbsoluteFilePath("img/a.gif"));
  EXPECT_FALSE(IsAbsoluteFilePath("1:a"));
  EXPECT_EQ(ContentIdOf("/home/me/Bild_ä.gif"), "BILD_ä.GIF") << "only a to z are upper-cased";
  EXPECT_EQ(ContentIdOf("C:\\pics\\logo.png"), "LOGO.PNG");
}

TEST_F(MailEditorTest, CloseQuestionDecidesTheResult) {
  struct TCase {
    int answer;
    TModalResult result;
  };
  for (const TCase c : {TCase{IDYES, mrOk}, TCase{IDNO, mrCancel}}) {
    Dialogs.Asked.clear();
    EXPECT_EQ(WithEditor([] {}, c.answer), c.result);
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Text, "Do you want to save the changed message?");
    EXPECT_EQ(Dialogs.Asked[0].Caption, "Save");
    EXPECT_EQ(Dialogs.Asked[0].Flags, MB_YESNOCANCEL | MB_ICONQUESTION);
  }
  // Cancel keeps the editor open: the second question, answered No, closes it.
  Dialogs.Asked.clear();
  bool stillOpen = false;
  QTimer::singleShot(0, [&] {
    Dialogs.Answers.push_back(IDCANCEL);
    E->SpeedButton1->Click();
    QTimer::singleShot(0, [&] {
      stillOpen = E->FormState().Contains(fsModal) && E->Visible();
      Dialogs.Answers.push_back(IDNO);
      E->Close();
    });
  });
  EXPECT_EQ(E->ShowModal(), mrCancel);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(Dialogs.Asked.size(), 2u);
}

TEST_F(MailEditorTest, PictureButtonAddsARowAndATagWhereTheEditorShows) {
  const AnsiString pic = Picture("Bild.png");
  E->PageControl1->SetActivePage(E->TabSheet1);
  E->PageControl2->SetActivePageIndex(0);
  E->RichEdit1->SetText("");
  Dialogs.FileAnswers.push_back({pic});
  E->PicBtnClick(E->PicBtn);
  EXPECT_EQ(E->RichEdit1->GetText(), "<img src=\"CID:BILD.PNG\" border=0>");
  ASSERT_EQ(E->ListView1->Items().Count(), 1);
  EXPECT_EQ(E->ListView1->Items()[0]->SubItems().Get(0), "BILD.PNG");
  // On the plain-text page only the row is added.
  E->PageControl1->SetActivePage(E->TabSheet3);
  E->Memo2->SetText("");
  Dialogs.FileAnswers.push_back({pic});
  E->PicBtnClick(E->SpeedButton2);
  EXPECT_EQ(E->Memo2->GetText(), "");
  EXPECT_EQ(E->ListView1->Items().Count(), 2);
  // Deleting the selected rows from the last to the first.
  E->ListView1->Items()[1]->SetSelected(true);
  EXPECT_TRUE(E->DelAttachBtn->Enabled());
  E->DelAttachBtnClick(E->DelAttachBtn);
  EXPECT_EQ(E->ListView1->Items().Count(), 1);
  EXPECT_FALSE(E->DelAttachBtn->Enabled());
}

}  // namespace
}  // namespace orv::test
