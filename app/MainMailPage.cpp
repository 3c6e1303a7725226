// The "Write emails" page: new, open and delete mails, the list's keys, pop-up menu and preview,
// and the hand-over of a mail to the editor and the designer and back.
#include "app/MainUnit.h"
#include "app/NewsDesignFUnit.h"
#include "app/WriteMailFUnit.h"
#include "platform/forms/DialogService.h"
#include "platform/rtl/Streams.h"

namespace orv {

namespace {

Byte StyleBits(TFontStyles style) {
  Byte bits = 0;
  if (style.Contains(fsBold)) bits |= 1;
  if (style.Contains(fsItalic)) bits |= 2;
  if (style.Contains(fsUnderline)) bits |= 4;
  if (style.Contains(fsStrikeOut)) bits |= 8;
  return bits;
}

TFontStyles StyleOf(Byte bits) {
  TFontStyles style;
  if (bits & 1) style.Include(fsBold);
  if (bits & 2) style.Include(fsItalic);
  if (bits & 4) style.Include(fsUnderline);
  if (bits & 8) style.Include(fsStrikeOut);
  return style;
}

TNewsletterFrame FrameOf(const TMailRec& mail, const TNewsletterFrame& kept) {
  TNewsletterFrame frame = kept;
  frame.MailBackground = mail.Color1;
  frame.CaptionBackground = mail.Color2;
  frame.BottomCaptionBackground = mail.Color3;
  frame.Border = mail.Color4;
  frame.CaptionFont = {mail.CaptionFontName, mail.CaptionFontSize, mail.CaptionFontColor, StyleOf(mail.CaptionFontStyle)};
  frame.BottomCaptionFont = {mail.FooterFontName, mail.FooterFontSize, mail.FooterFontColor, StyleOf(mail.FooterFontStyle)};
  frame.Width = mail.Width;
  frame.MinHeight = mail.MinHeight;
  frame.Caption = mail.CaptionText;
  frame.BottomCaption = mail.FooterText;
  return frame;
}

// Everything the editor and the designer hold, into the record (its old contents replaced).
void ReadEditor(TMailRec& mail) {
  TWriteMailForm& e = *WriteMailForm;
  mail.Subject = e.Edit1->GetText();
  mail.BlankText = e.Memo2->GetText();
  mail.BlankHTML = e.Memo1->GetText();
  mail.GeneratedHTML = e.Memo3->GetText();
  mail.MailType = e.MailTyp1->Checked() ? mtDesign : (e.MailTyp2->Checked() ? mtHtml : mtText);
  mail.AutoCreateText = e.AutoCreateCheck->Checked();
  mail.DesignColor = e.RichEdit1->Color();
  TMemoryStream rtf;
  e.RichEdit1->SaveToStream(rtf);
  const auto* bytes = static_cast<const Byte*>(rtf.Memory());
  mail.DesignRTF.assign(bytes, bytes + rtf.Size());
  mail.Newsletter = e.NewsCheck->Checked();
  const TNewsletterFrame frame = NewsletterFrame();
  mail.Color1 = frame.MailBackground;
  mail.Color2 = frame.CaptionBackground;
  mail.Color3 = frame.BottomCaptionBackground;
  mail.Color4 = frame.Border;
  mail.CaptionFontSize = frame.CaptionFont.Size;
  mail.FooterFontSize = frame.BottomCaptionFont.Size;
  mail.CaptionFontColor = frame.CaptionFont.Color;
  mail.FooterFontColor = frame.BottomCaptionFont.Color;
  mail.CaptionFontStyle = StyleBits(frame.CaptionFont.Style);
  mail.FooterFontStyle = StyleBits(frame.BottomCaptionFont.Style);
  mail.CaptionFontName = frame.CaptionFont.Name;
  mail.FooterFontName = frame.BottomCaptionFont.Name;
  mail.Width = frame.Width;
  mail.MinHeight = frame.MinHeight;
  mail.CaptionText = frame.Caption;
  mail.FooterText = frame.BottomCaption;
  mail.Attachments = std::make_unique<TDynaArray<TAttachRec>>();
  TListItems& rows = e.ListView1->Items();
  for (Integer i = 0; i < rows.Count(); ++i) {
    TAttachRec* a = mail.Attachments->Append();
    a->Path = rows[i]->Caption();
    a->Cid = rows[i]->SubItems().Count() > 0 ? rows[i]->SubItems().Get(0) : AnsiString();
  }
  mail.Date = Now();
}

}  // namespace

void TMainForm::FillFieldNames() {
  TComboBox& combo = *WriteMailForm->FelderCombo;
  combo.Clear();
  if (Table1 != nullptr) {
    TFieldDefs& defs = Table1->FieldDefs();
    for (Integer i = 0; i < defs.Count(); ++i) combo.Items().Add(defs.Items(i)->Name());
  }
  if (combo.Items().Count() > 0) combo.SetItemIndex(0);
}

bool TMainForm::EditMail(const TMailRec* mail) {
  if (WriteMailForm == nullptr) return false;
  TWriteMailForm& e = *WriteMailForm;
  e.BeginFill();
  {
    struct TEnd {
      TWriteMailForm& Form;
      ~TEnd() { Form.EndFill(); }
    } end{e};
    e.Edit1->SetText(mail ? mail->Subject : AnsiString());
    e.Memo1->SetText(mail ? mail->BlankHTML : AnsiString());
    e.Memo2->SetText(mail ? mail->BlankText : AnsiString());
    // A new mail starts without the previous mail's generated HTML.
    e.Memo3->SetText(mail ? mail->GeneratedHTML : AnsiString());
    e.RichEdit1->Clear();
    if (mail != nullptr && !mail->DesignRTF.empty()) {
      TMemoryStream rtf;
      rtf.WriteBuffer(mail->DesignRTF.data(), static_cast<Int64>(mail->DesignRTF.size()));
      rtf.SetPosition(0);
      e.RichEdit1->SetPlainText(false);
      e.RichEdit1->LoadFromStream(rtf);
    }
    e.RichEdit1->SetColor(mail ? mail->DesignColor : TColor(0xFFFFFF));
    const Byte type = mail ? mail->MailType : Byte{mtDesign};
    (type == mtHtml ? e.MailTyp2 : type == mtText ? e.MailTyp3 : e.MailTyp1)->SetChecked(true);
    e.AutoCreateCheck->SetChecked(mail ? mail->AutoCreateText : true);
    e.AutoCreateCheck->SetEnabled(type != mtText);
    e.ListView1->Items().Clear();
    if (mail != nullptr && mail->Attachments != nullptr)
      for (Integer i = 0; i < mail->Attachments->Count(); ++i) {
        const TAttachRec& a = (*mail->Attachments)[i];
        TListItem* row = e.ListView1->Items().Add();
        row->SetCaption(a.Path);
        row->SubItems().Add(a.Cid);
      }
    // No row of the new list is selected, whatever was selected in the last mail's list.
    e.ListView1Change(e.ListView1, nullptr, ctState);
    FillFieldNames();
    // The newsletter choice and the designer keep what they held for a new mail.
    if (mail != nullptr) {
      (mail->Newsletter ? e.NewsCheck : e.NormalCheck)->SetChecked(true);
      if (NewsDesignForm != nullptr) NewsDesignForm->SetFrame(FrameOf(*mail, NewsDesignForm->Frame()));
    }
  }
  return e.ShowModal() == mrOk;
}

void TMainForm::NewBtnClick(TObject*) {
  if (FMails == nullptr || !EditMail(nullptr)) return;
  ReadEditor(*FMails->Append());
  ListMails();
  SaveMails();
}

void TMainForm::ListView1DblClick(TObject*) {
  if (FMails == nullptr || ListView1->Selected() == nullptr) return;
  const Integer index = ListView1->Selected()->Index();
  if (index < 0 || index >= FMails->Count()) return;
  FMails->Select(index);
  if (!EditMail(&(*FMails)[index])) return;
  // The editor was modal: nothing could change the array meanwhile.
  ReadEditor((*FMails)[index]);
  ListMails();
  SaveMails();
}

void TMainForm::DelBtnClick(TObject*) {
  if (FMails == nullptr || ListView1->Selected() == nullptr) return;
  if (DialogService().MessageBox("Do you want to delete the selected emails?", "Delete",
                                 MB_YESNO | MB_ICONINFORMATION) != IDYES)
    return;
  TListItems& rows = ListView1->Items();
  for (Integer i = rows.Count() - 1; i >= 0; --i)
    if (rows[i]->Selected() && i < FMails->Count()) FMails->Delete(i);
  ListMails();
  SaveMails();
}

void TMainForm::ListView1Change(TObject*, TListItem*, TItemChange) {
  TListItem* row = ListView1->Selected();
  DelBtn->SetEnabled(row != nullptr);
  if (row != nullptr && FMails != nullptr && row->Index() < FMails->Count()) {
    const TMailRec* mail = FMails->Select(row->Index());
    Label9Betreff->SetCaption(mail->Subject);
    RichEdit1->SetText(mail->BlankText);
  } else {
    Label9Betreff->SetCaption("");
    RichEdit1->SetText("No message selected.");
  }
}

void TMainForm::ListView1KeyDown(TObject*, Word& key, TShiftState) {
  if (key == VK_RETURN) ListView1DblClick(ListView1);
  else if (key == VK_DELETE) DelBtnClick(ListView1);
}

void TMainForm::ListView1MouseDown(TObject*, TMouseButton button, TShiftState, Integer x, Integer y) {
  if (button != mbRight || ListView1->Selected() == nullptr || PopupMenu1 == nullptr) return;
  const TPoint p = ListView1->ClientToScreen(Point(x, y));
  PopupMenu1->Popup(p.X, p.Y);
}

}  // namespace orv
