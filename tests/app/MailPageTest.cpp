// The "Write emails" page driven offscreen: mails written in the editor as a design, as HTML and as
// text survive a restart; opening, cancelling and deleting; the list's preview and keys; and the
// editor filled from a mail without its handlers rewriting what the mail holds.
#include <QImage>
#include <QTimer>
#include <fstream>
#include <functional>

#include "app/MailStore.h"
#include "platform/rtl/CodePages.h"
#include "tests/app/AppFixture.h"

namespace orv::test {
namespace {

class MailPageTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartWindows();
  }

  // Runs `open` (which shows the editor), fills it with `inEditor` and answers the close question.
  void WithEditor(const std::function<void()>& open, const std::function<void(TWriteMailForm&)>& inEditor,
                  int answer) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      ran = true;
      ASSERT_TRUE(WriteMailForm->FormState().Contains(fsModal));
      inEditor(*WriteMailForm);
      Dialogs.Answers.push_back(answer);
      WriteMailForm->SpeedButton1->Click();
    });
    QTimer::singleShot(8000, [] {
      if (WriteMailForm && WriteMailForm->FormState().Contains(fsModal)) WriteMailForm->SetModalResult(mrCancel);
    });
    open();
    EXPECT_TRUE(ran) << "the editor was not shown";
  }

  void Open(Integer row, const std::function<void(TWriteMailForm&)>& inEditor, int answer = IDYES) {
    WithEditor([&] {
      MainForm->ListView1->ClearSelection();
      MainForm->ListView1->Items()[row]->SetSelected(true);
      MainForm->ListView1DblClick(MainForm->ListView1);
    }, inEditor, answer);
  }

  void New(const std::function<void(TWriteMailForm&)>& inEditor, int answer = IDYES) {
    WithEditor([] { MainForm->NewBtn->Click(); }, inEditor, answer);
  }

  AnsiString Picture(const std::string& name) {
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::blue);
    const std::string path = FProgramDir + name;
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
    return path;
  }

  std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::string MailsFile() { return FProgramDir + "mails.dat"; }

  TMailRec& Mail(Integer i) { return (*MainForm->Mails())[i]; }

  // Three mails: a bold, centred newsletter design with a picture and an attachment, an HTML mail
  // and a text mail.
  void WriteThreeMails(const AnsiString& picture, const AnsiString& attachment) {
    New([&](TWriteMailForm& e) {
      e.Edit1->SetText("Design mail");
      e.MailTyp1->SetChecked(true);
      e.NewsCheck->SetChecked(true);
      e.PageControl1->SetActivePage(e.TabSheet1);
      e.PageControl2->SetActivePageIndex(0);
      e.RichEdit1->SetText("Hello [%First Name]");
      e.RichEdit1->SelectAll();
      e.BoldBtn->Click();
      e.PCenterBtn->Click();
      e.RichEdit1->SetSelStart(static_cast<Integer>(e.RichEdit1->GetText().size()));
      e.RichEdit1->SetSelLength(0);
      Dialogs.FileAnswers.push_back({picture});
      e.PicBtnClick(e.PicBtn);
      Dialogs.FileAnswers.push_back({attachment});
      e.AttachBtnClick(e.AttachBtn);
      e.RichEdit1->SetColor(static_cast<TColor>(0xE0F0FF));
    });
    New([](TWriteMailForm& e) {
      e.Edit1->SetText("HTML mail");
      e.MailTyp2->SetChecked(true);
      e.AutoCreateCheck->SetChecked(true);
      e.Memo1->SetText("<html><body><p>Dear [%Last Name],</p>\r\n<div align=left>see you</div></body></html>");
    });
    New([](TWriteMailForm& e) {
      e.Edit1->SetText("Text mail");
      e.MailTyp3->SetChecked(true);
      e.Memo2->SetText("Only text\r\nsecond line");
    });
  }
};

TEST_F(MailPageTest, MailsOfEachTypeSurviveARestartAndTheirPreviewsShowThem) {
  const AnsiString picture = Picture("logo.png");
  const AnsiString attachment = FProgramDir + "notes.txt";
  std::ofstream(attachment) << "notes";
  WriteThreeMails(picture, attachment);
  ASSERT_EQ(MainForm->Mails()->Count(), 3);
  const std::string written = FileBytes(MailsFile());

  TMailRec& design = Mail(0);
  EXPECT_EQ(design.MailType, mtDesign);
  EXPECT_TRUE(design.Newsletter);
  EXPECT_EQ(design.DesignColor, static_cast<TColor>(0xE0F0FF));
  ASSERT_EQ(design.Attachments->Count(), 2);
  EXPECT_EQ((*design.Attachments)[0].Path, picture);
  EXPECT_EQ((*design.Attachments)[0].Cid, "LOGO.PNG");
  EXPECT_EQ((*design.Attachments)[1].Cid, "NOTES.TXT");
  // The design typed just before OK is in the generated HTML: the pending timer ran first.
  EXPECT_NE(design.GeneratedHTML.find("<img src=\"CID:LOGO.PNG\" border=0>"), AnsiString::npos)
      << design.GeneratedHTML;
  EXPECT_NE(design.GeneratedHTML.find("<div align=center>"), AnsiString::npos);
  EXPECT_NE(design.GeneratedHTML.find("<b>Hello [%First Name]"), AnsiString::npos);
  EXPECT_NE(design.BlankText.find("Hello [%First Name]"), AnsiString::npos) << "the text follows the design";

  Restart();
  ASSERT_EQ(MainForm->Mails()->Count(), 3);
  EXPECT_EQ(MainForm->ListView1->Items().Count(), 3);
  EXPECT_EQ(MainForm->ListView1->Items()[1]->SubItems().Get(0), "HTML mail");
  // Opening each mail and saving it unchanged writes the same mails again (only dates move on).
  std::vector<AnsiString> subjects;
  for (Integer i = 0; i < 3; ++i)
    Open(i, [&](TWriteMailForm& e) {
      subjects.push_back(e.Edit1->GetText());
      if (i == 0) {
        EXPECT_TRUE(e.MailTyp1->Checked());
        EXPECT_TRUE(e.NewsCheck->Checked());
        EXPECT_EQ(e.RichEdit1->Color(), static_cast<TColor>(0xE0F0FF));
        EXPECT_NE(WideToAnsi(e.RichEdit1->RichText().Text()).find("Hello [%First Name]"), AnsiString::npos);
        EXPECT_TRUE(e.RichEdit1->RichText().Paragraphs[0].Runs[0].Format.Style.Contains(fsBold));
        EXPECT_EQ(e.ListView1->Items().Count(), 2);
        e.PageControl2->SetActivePageIndex(2);
        e.PageControl2Change(e.PageControl2);
        EXPECT_TRUE(e.WebBrowser1->ShowsPicture(picture)) << "the preview shows the embedded picture";
      } else if (i == 1) {
        EXPECT_TRUE(e.MailTyp2->Checked());
        EXPECT_FALSE(e.TabSheet1->TabVisible());
        EXPECT_TRUE(e.TabSheet2->TabVisible());
        e.PageControl3->SetActivePageIndex(1);
        e.PageControl3Change(e.PageControl3);
        EXPECT_NE(WideToAnsi(e.WebBrowser2->DocumentText()).find("Dear [%Last Name],"), AnsiString::npos);
      } else {
        EXPECT_TRUE(e.MailTyp3->Checked());
        EXPECT_FALSE(e.AutoCreateCheck->Enabled()) << "a text mail opens with automatic text disabled";
        EXPECT_EQ(e.Memo2->GetText(), "Only text\r\nsecond line");
      }
    });
  EXPECT_EQ(subjects, (std::vector<AnsiString>{"Design mail", "HTML mail", "Text mail"}));
  TDynaArray<TMailRec> before, after;
  Integer kept = 0;
  {
    TMemoryStream s;
    s.WriteBuffer(written.data(), static_cast<Int64>(written.size()));
    s.SetPosition(0);
    ReadMails(s, before, kept);
  }
  ASSERT_EQ(OpenMailsFile(MailsFile(), after).State, dfWhole);
  ASSERT_EQ(after.Count(), 3);
  for (Integer i = 0; i < 3; ++i) {
    const TMailRec &a = before[i], &b = after[i];
    EXPECT_EQ(a.Subject, b.Subject);
    EXPECT_EQ(a.BlankText, b.BlankText) << i;
    EXPECT_EQ(a.BlankHTML, b.BlankHTML) << i;
    EXPECT_EQ(a.GeneratedHTML, b.GeneratedHTML) << i;
    EXPECT_EQ(a.DesignRTF, b.DesignRTF) << i << ": the design goes through the editor unchanged";
    EXPECT_EQ(a.MailType, b.MailType);
    EXPECT_EQ(a.AutoCreateText, b.AutoCreateText);
    EXPECT_EQ(a.DesignColor, b.DesignColor);
    EXPECT_EQ(a.Attachments->Count(), b.Attachments->Count());
  }
}

TEST_F(MailPageTest, CancelLeavesTheMailAndTheFileAsTheyWere) {
  New([](TWriteMailForm& e) {
    e.Edit1->SetText("Kept");
    e.MailTyp3->SetChecked(true);
    e.Memo2->SetText("body");
  });
  const std::string before = FileBytes(MailsFile());
  Open(0, [](TWriteMailForm& e) {
    e.Edit1->SetText("Changed");
    e.Memo2->SetText("other");
  }, IDNO);
  EXPECT_EQ(Mail(0).Subject, "Kept");
  EXPECT_EQ(Mail(0).BlankText, "body");
  EXPECT_EQ(FileBytes(MailsFile()), before);
  // A new mail cancelled adds nothing.
  New([](TWriteMailForm& e) { e.Edit1->SetText("Never"); }, IDNO);
  EXPECT_EQ(MainForm->Mails()->Count(), 1);
  EXPECT_EQ(FileBytes(MailsFile()), before);
}

TEST_F(MailPageTest, FillingTheEditorRunsNoHandlerOverTheMail) {
  // A design mail whose text was written by hand, and whose stored HTML is not what the design
  // would give now.
  New([](TWriteMailForm& e) {
    e.Edit1->SetText("Hand");
    e.MailTyp1->SetChecked(true);
    e.AutoCreateCheck->SetChecked(false);
    e.Memo2->SetText("written by hand");
  });
  ASSERT_FALSE(Mail(0).AutoCreateText);
  Mail(0).GeneratedHTML = "<p>stored";
  AnsiString shownText, shownHtml, newHtml;
  Open(0, [&](TWriteMailForm& e) {
    shownText = e.Memo2->GetText();
    shownHtml = e.Memo3->GetText();
    EXPECT_FALSE(e.Timer1->Enabled()) << "loading the design is no change of it";
  });
  EXPECT_EQ(shownText, "written by hand");
  EXPECT_EQ(shownHtml, "<p>stored");
  EXPECT_EQ(Mail(0).BlankText, "written by hand");
  // A new mail after it starts without its HTML, with automatic text and the design type.
  New([&](TWriteMailForm& e) {
    newHtml = e.Memo3->GetText();
    EXPECT_TRUE(e.AutoCreateCheck->Checked());
    EXPECT_TRUE(e.AutoCreateCheck->Enabled());
    EXPECT_TRUE(e.MailTyp1->Checked());
    EXPECT_EQ(e.RichEdit1->Color(), static_cast<TColor>(0xFFFFFF));
    EXPECT_EQ(e.ListView1->Items().Count(), 0);
    EXPECT_EQ(e.Edit1->GetText(), "");
  }, IDNO);
  EXPECT_EQ(newHtml, "");
}

TEST_F(MailPageTest, NewsletterSettingsTravelWithTheMail) {
  New([](TWriteMailForm& e) {
    e.Edit1->SetText("Framed");
    e.MailTyp1->SetChecked(true);
    e.NewsCheck->SetChecked(true);
    NewsDesignForm->VorelColorComboBox2->SetColorValue(clLime);
    NewsDesignForm->VorelColorComboBox3->SetColorValue(static_cast<TColor>(0x123456));
    NewsDesignForm->BreitEd->SetValue(700);
    NewsDesignForm->MinHEd->SetValue(250);
    NewsDesignForm->UnterSchriftEd->SetText("Bye");
    NewsDesignForm->FontDialog2->Font()->SetStyle(TFontStyles{fsItalic, fsStrikeOut});
  });
  const TMailRec& m = Mail(0);
  EXPECT_EQ(m.Color2, clLime);
  EXPECT_EQ(m.Color3, static_cast<TColor>(0x123456));
  EXPECT_EQ(m.Width, 700);
  EXPECT_EQ(m.MinHeight, 250);
  EXPECT_EQ(m.FooterText, "Bye");
  EXPECT_EQ(m.FooterFontStyle, 2 | 8);
  EXPECT_EQ(m.CaptionFontName, "Arial Black");

  // Another mail changes the designer; opening the first brings its settings back.
  Mail(0).Width = 640;
  NewsDesignForm->BreitEd->SetValue(300);
  NewsDesignForm->VorelColorComboBox2->SetColorValue(clBlack);
  Integer shownWidth = 0;
  TColor shownCaption = clNone;
  Open(0, [&](TWriteMailForm&) {
    shownWidth = NewsDesignForm->Frame().Width;
    shownCaption = NewsDesignForm->Frame().CaptionBackground;
  });
  EXPECT_EQ(shownWidth, 640);
  EXPECT_EQ(shownCaption, clLime);
  EXPECT_EQ(Mail(0).Width, 640);
  EXPECT_EQ(Mail(0).FooterFontStyle, 2 | 8);
  // A new mail starts with what the designer holds.
  Integer newWidth = 0;
  New([&](TWriteMailForm&) { newWidth = NewsDesignForm->Frame().Width; }, IDNO);
  EXPECT_EQ(newWidth, 640);
}

TEST_F(MailPageTest, FieldListHoldsTheAddressTablesFields) {
  std::vector<AnsiString> fields;
  New([&](TWriteMailForm& e) {
    for (Integer i = 0; i < e.FelderCombo->Items().Count(); ++i) fields.push_back(e.FelderCombo->Items().Get(i));
    EXPECT_EQ(e.FelderCombo->ItemIndex(), 0);
  }, IDNO);
  // As the table file keeps them: dBASE field names are upper-case.
  EXPECT_EQ(fields, (std::vector<AnsiString>{"EMAIL", "LAST NAME", "FIRST NAME", "SALUTATION", "INFO 1", "INFO 2"}));
}

TEST_F(MailPageTest, DeletingAsksAndKeepsTheUnselected) {
  for (const char* subject : {"one", "two", "three"})
    New([&](TWriteMailForm& e) {
      e.Edit1->SetText(subject);
      e.MailTyp3->SetChecked(true);
    });
  TListItems& rows = MainForm->ListView1->Items();
  rows[0]->SetSelected(true);
  rows[1]->SetSelected(true);
  Dialogs.Answers.push_back(IDNO);
  MainForm->DelBtnClick(MainForm->DelBtn);
  ASSERT_EQ(Dialogs.Asked.size(), 4u) << "three close questions, then the delete question";
  EXPECT_EQ(Dialogs.Asked.back().Text, "Do you want to delete the selected emails?");
  EXPECT_EQ(Dialogs.Asked.back().Caption, "Delete");
  EXPECT_EQ(Dialogs.Asked.back().Flags, MB_YESNO | MB_ICONINFORMATION);
  EXPECT_EQ(MainForm->Mails()->Count(), 3);

  rows[0]->SetSelected(true);
  rows[1]->SetSelected(true);
  Dialogs.Answers.push_back(IDYES);
  Word key = VK_DELETE;
  MainForm->ListView1KeyDown(MainForm->ListView1, key, {});
  ASSERT_EQ(MainForm->Mails()->Count(), 1);
  EXPECT_EQ(Mail(0).Subject, "three");
  TDynaArray<TMailRec> stored;
  ASSERT_EQ(OpenMailsFile(MailsFile(), stored).State, dfWhole);
  ASSERT_EQ(stored.Count(), 1);
  EXPECT_EQ(stored[0].Subject, "three");
  EXPECT_EQ(rows.Count(), 1);
}

TEST_F(MailPageTest, SelectedRowIsPreviewedAndEnablesDelete) {
  New([](TWriteMailForm& e) {
    e.Edit1->SetText("Preview me");
    e.MailTyp3->SetChecked(true);
    e.Memo2->SetText("the body");
  });
  TListItems& rows = MainForm->ListView1->Items();
  rows[0]->SetSelected(true);
  MainForm->ListView1Change(MainForm->ListView1, rows[0], ctState);
  EXPECT_TRUE(MainForm->DelBtn->Enabled());
  EXPECT_EQ(MainForm->Label9Betreff->Caption(), "Preview me");
  EXPECT_EQ(MainForm->RichEdit1->GetText(), "the body");
  rows[0]->SetSelected(false);
  MainForm->ListView1Change(MainForm->ListView1, rows[0], ctState);
  EXPECT_FALSE(MainForm->DelBtn->Enabled());
  EXPECT_EQ(MainForm->Label9Betreff->Caption(), "");
  EXPECT_EQ(MainForm->RichEdit1->GetText(), "No message selected.");
  // Enter opens the first selected row.
  rows[0]->SetSelected(true);
  AnsiString opened;
  WithEditor([] {
    Word key = VK_RETURN;
    MainForm->ListView1KeyDown(MainForm->ListView1, key, {});
  }, [&](TWriteMailForm& e) { opened = e.Edit1->GetText(); }, IDNO);
  EXPECT_EQ(opened, "Preview me");
}

TEST_F(MailPageTest, ListRebuiltAfterAnEditOrADeleteShowsNoStaleMail) {
  for (const char* subject : {"first", "second"})
    New([&](TWriteMailForm& e) {
      e.Edit1->SetText(subject);
      e.MailTyp3->SetChecked(true);
      e.Memo2->SetText(AnsiString(subject) + " body");
    });
  TListItems& rows = MainForm->ListView1->Items();
  const auto expectNothingShown = [&](const char* after) {
    EXPECT_EQ(MainForm->ListView1->Selected(), nullptr) << after;
    EXPECT_FALSE(MainForm->DelBtn->Enabled()) << after << ": delete stays enabled without a selected mail";
    EXPECT_EQ(MainForm->Label9Betreff->Caption(), "") << after;
    EXPECT_EQ(MainForm->RichEdit1->GetText(), "No message selected.") << after;
  };

  Open(0, [](TWriteMailForm& e) { e.Memo2->SetText("changed body"); });
  expectNothingShown("after an edit");
  rows[0]->SetSelected(true);
  EXPECT_EQ(MainForm->RichEdit1->GetText(), "changed body");

  MainForm->ListView1->ClearSelection();
  rows[1]->SetSelected(true);
  Dialogs.Answers.push_back(IDYES);
  MainForm->DelBtnClick(MainForm->DelBtn);
  ASSERT_EQ(MainForm->Mails()->Count(), 1);
  expectNothingShown("after a delete");
}

TEST_F(MailPageTest, EditorOpensWithNoAttachmentSelected) {
  const AnsiString picture = Picture("pic.png");
  New([&](TWriteMailForm& e) {
    e.Edit1->SetText("with attachment");
    e.AddAttachment(picture);
  });
  bool enabledWhileSelected = false;
  Open(0, [&](TWriteMailForm& e) {
    e.ListView1->Items()[0]->SetSelected(true);
    enabledWhileSelected = e.DelAttachBtn->Enabled();
  }, IDNO);
  EXPECT_TRUE(enabledWhileSelected);
  for (bool newMail : {false, true}) {
    bool enabled = true;
    Integer attachments = -1;
    const auto look = [&](TWriteMailForm& e) {
      enabled = e.DelAttachBtn->Enabled();
      attachments = e.ListView1->Items().Count();
    };
    if (newMail) New(look, IDNO);
    else Open(0, look, IDNO);
    EXPECT_EQ(attachments, newMail ? 0 : 1);
    EXPECT_FALSE(enabled) << (newMail ? "new mail" : "stored mail")
                          << ": deleting attachments is offered with none selected";
  }
}

}  // namespace
}  // namespace orv::test
