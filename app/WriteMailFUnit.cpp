// The mail editor window: its life, the mail types, the design tool bar, fields, pictures and
// attachments, and its registration. Previews and the HTML import are in WriteMailPreview.cpp.
#include "app/WriteMailFUnit.h"

#include "app/DesignHtml.h"
#include "app/FormTeardown.h"
#include "app/HtmlToText.h"
#include "app/NewsDesignFUnit.h"
#include "platform/forms/DialogService.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

TWriteMailForm* WriteMailForm = nullptr;

TWriteMailForm::~TWriteMailForm() {
  TearDownForm(*this);
  if (WriteMailForm == this) WriteMailForm = nullptr;
}

// ----- window lifecycle -----

void TWriteMailForm::FormCreate(TObject*) {
  GetFontNames();
  RichEdit1SelectionChange(this);
  FontSize->SetItemIndex(1);
}

void TWriteMailForm::GetFontNames() {
  TStringList& items = FontName->Items();
  EnumFontFamilies(nullptr, [&items](const AnsiString& face) {
    items.Add(face);
    return 1;  // every face is wanted
  });
  items.Sort();
}

void TWriteMailForm::FormShow(TObject*) {
  if (Edit1->CanFocus()) Edit1->SetFocus();
  SetActiveControl(Edit1);
  if (MailTyp1->Checked()) PageControl1->SetActivePage(TabSheet1);
  else if (MailTyp2->Checked()) PageControl1->SetActivePage(TabSheet2);
  else PageControl1->SetActivePage(TabSheet3);
  MailTypClick();
  PageControl2->SetActivePageIndex(0);
  PageControl3->SetActivePageIndex(0);
}

void TWriteMailForm::FormCloseQuery(TObject*, bool& canClose) {
  switch (DialogService().MessageBox("Do you want to save the changed message?", "Save",
                                     MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
      FlushDesign();
      SetModalResult(mrOk);
      break;
    case IDNO:
      SetModalResult(mrCancel);
      break;
    default:
      canClose = false;
      break;
  }
}

void TWriteMailForm::FlushDesign() {
  if (Timer1->Enabled()) Timer1Timer(Timer1);
}

void TWriteMailForm::SpeedButton1Click(TObject*) {
  HTMLToText();
  SetModalResult(mrOk);
}

void TWriteMailForm::EndFill() {
  if (FFilling > 0) --FFilling;
  // A fill leaves no design change behind it for the timer.
  if (FFilling == 0) Timer1->SetEnabled(false);
}

// ----- mail type and the text kept from the HTML -----

void TWriteMailForm::MailTypClick() {
  const bool autoText = AutoCreateCheck->Checked();
  if (MailTyp1->Checked()) {
    TabSheet1->SetTabVisible(true);
    TabSheet2->SetTabVisible(false);
    TabSheet3->SetTabVisible(!autoText);
    AutoCreateCheck->SetEnabled(true);
  } else if (MailTyp2->Checked()) {
    TabSheet1->SetTabVisible(false);
    TabSheet2->SetTabVisible(true);
    TabSheet3->SetTabVisible(!autoText);
    AutoCreateCheck->SetEnabled(true);
  } else if (MailTyp3->Checked()) {
    TabSheet1->SetTabVisible(false);
    TabSheet2->SetTabVisible(false);
    TabSheet3->SetTabVisible(true);
    AutoCreateCheck->SetEnabled(false);
  }
}

void TWriteMailForm::MailTyp1Click(TObject*) {
  MailTypClick();
  HTMLToText();
}

void TWriteMailForm::MailTyp2Click(TObject*) {
  MailTypClick();
  HTMLToText();
}

void TWriteMailForm::MailTyp3Click(TObject*) {
  MailTypClick();
  HTMLToText();
}

void TWriteMailForm::AutoCreateCheckClick(TObject*) {
  HTMLToText();
  MailTypClick();
}

void TWriteMailForm::PageControl1Change(TObject*) { HTMLToText(); }

void TWriteMailForm::Memo1Change(TObject*) {
  // While the design's HTML is written, the conversion runs once when it is complete.
  if (!FImporting && !FBuildingHTML) HTMLToText();
}

void TWriteMailForm::HTMLToText() {
  if (FFilling > 0 || !AutoCreateCheck->Checked()) return;
  const TMemo* source = MailTyp1->Checked() ? Memo3 : (MailTyp2->Checked() ? Memo1 : nullptr);
  if (source == nullptr) return;
  Memo2->Lines().FromVector(HTMLLinesToText(source->Lines().ToVector()));
}

void TWriteMailForm::RTFToHTML() {
  if (FFilling > 0 || !MailTyp1->Checked()) return;
  BuildDesignHTML();
  HTMLToText();
}

void TWriteMailForm::BuildDesignHTML() {
  FBuildingHTML = true;
  struct TClear {
    bool& Flag;
    ~TClear() { Flag = false; }
  } clear{FBuildingHTML};
  const TNewsletterFrame frame = NewsletterFrame();
  Memo3->Lines().FromVector(orv::BuildDesignHTML(RichEdit1->RichText(), RichEdit1->Color(),
                                                 NewsCheck->Checked() ? &frame : nullptr));
  if (Visible() && DesignEditShowing() && RichEdit1->CanFocus()) RichEdit1->SetFocus();
}

void TWriteMailForm::RichEdit1Change(TObject*) {
  if (FFilling == 0) Timer1->SetEnabled(true);
}

void TWriteMailForm::Timer1Timer(TObject*) {
  RTFToHTML();
  Timer1->SetEnabled(false);
}

void TWriteMailForm::NewsConfigBtnClick(TObject*) {
  if (NewsDesignForm != nullptr) NewsDesignForm->ShowModal();
  RTFToHTML();
}

void TWriteMailForm::NewsCheckClick(TObject*) { RTFToHTML(); }

void TWriteMailForm::EditBtnClick(TObject*) {
  Memo1->Lines().Assign(Memo3->Lines());
  MailTyp2->SetChecked(true);
}

// ----- design tool bar -----

TTextAttributes& TWriteMailForm::CurrText() {
  return RichEdit1->GetText().empty() ? RichEdit1->DefAttributes() : RichEdit1->SelAttributes();
}

void TWriteMailForm::PLeftBtnClick(TObject*) {
  if (!FUpdatingToolbar) RichEdit1->Paragraph().SetAlignment(taLeftJustify);
}

void TWriteMailForm::PCenterBtnClick(TObject*) {
  if (!FUpdatingToolbar) RichEdit1->Paragraph().SetAlignment(taCenter);
}

void TWriteMailForm::PRightBtnClick(TObject*) {
  if (!FUpdatingToolbar) RichEdit1->Paragraph().SetAlignment(taRightJustify);
}

namespace {
void SetStyleBit(TTextAttributes& text, TFontStyle style, bool on) {
  TFontStyles styles = text.Style();
  if (on) styles.Include(style);
  else styles.Exclude(style);
  text.SetStyle(styles);
}
}  // namespace

void TWriteMailForm::BoldBtnClick(TObject*) {
  if (!FUpdatingToolbar) SetStyleBit(CurrText(), fsBold, BoldBtn->Down());
}

void TWriteMailForm::ItalicBtnClick(TObject*) {
  if (!FUpdatingToolbar) SetStyleBit(CurrText(), fsItalic, ItalicBtn->Down());
}

void TWriteMailForm::UnderlineBtnClick(TObject*) {
  if (!FUpdatingToolbar) SetStyleBit(CurrText(), fsUnderline, UnderlineBtn->Down());
}

void TWriteMailForm::FColorBtnClick(TObject*) {
  if (FUpdatingToolbar) return;
  ColorDialog1->SetColor(CurrText().Color());
  if (ColorDialog1->Execute()) CurrText().SetColor(ColorDialog1->Color());
}

void TWriteMailForm::BkColorBtnClick(TObject*) {
  ColorDialog1->SetColor(RichEdit1->Color());
  if (!ColorDialog1->Execute()) return;
  RichEdit1->SetColor(ColorDialog1->Color());
  RTFToHTML();
}

void TWriteMailForm::NumberingBtnClick(TObject*) {
  if (!FUpdatingToolbar) RichEdit1->Paragraph().SetNumbering(NumberingBtn->Down() ? nsBullet : nsNone);
}

void TWriteMailForm::FontNameChange(TObject*) {
  if (FUpdatingToolbar) return;
  CurrText().SetName(FontName->GetText());
  if (RichEdit1->CanFocus()) RichEdit1->SetFocus();
}

void TWriteMailForm::FontSizeChange(TObject*) {
  if (FUpdatingToolbar) return;
  CurrText().SetSize(StrToIntDef(FontSize->GetText(), 12));
  if (RichEdit1->CanFocus()) RichEdit1->SetFocus();
}

void TWriteMailForm::RichEdit1SelectionChange(TObject*) {
  if (FBuildingHTML) return;
  FUpdatingToolbar = true;
  struct TClear {
    bool& Flag;
    ~TClear() { Flag = false; }
  } clear{FUpdatingToolbar};
  const TRichCharFormat a = CurrText().Get();
  BoldBtn->SetDown(a.Style.Contains(fsBold));
  ItalicBtn->SetDown(a.Style.Contains(fsItalic));
  UnderlineBtn->SetDown(a.Style.Contains(fsUnderline));
  const Integer size = FontSize->Items().IndexOf(IntToStr(a.Size));
  if (size >= 0) FontSize->SetItemIndex(size);
  FontName->SetText(a.Name);
  switch (RichEdit1->Paragraph().Alignment()) {
    case taCenter: PCenterBtn->SetDown(true); break;
    case taRightJustify: PRightBtn->SetDown(true); break;
    default: PLeftBtn->SetDown(true); break;
  }
  // The bullet button follows the caret's paragraph, as the alignment buttons do.
  NumberingBtn->SetDown(RichEdit1->Paragraph().Numbering() == nsBullet);
}

void TWriteMailForm::ImportBtnClick(TObject*) {
  if (!OpenDialog3->Execute()) return;
  TFileStream file(OpenDialog3->FileName(), fmOpenRead | fmShareDenyWrite);
  const bool plain = RichEdit1->PlainText();
  RichEdit1->SetPlainText(false);
  struct TRestore {
    TRichEdit& Edit;
    bool Plain;
    ~TRestore() { Edit.SetPlainText(Plain); }
  } restore{*RichEdit1, plain};
  RichEdit1->LoadFromStream(file);
  // A load is no typed change, but the design it brings needs its HTML as much.
  RichEdit1Change(RichEdit1);
}

// ----- fields, pictures and attachments -----

bool TWriteMailForm::DesignEditShowing() const {
  return PageControl1->ActivePage() == TabSheet1 && PageControl2->ActivePageIndex() == 0;
}

bool TWriteMailForm::HtmlEditShowing() const {
  return PageControl1->ActivePage() == TabSheet2 && PageControl3->ActivePageIndex() == 0;
}

void TWriteMailForm::InsertTextAtCaret(TCustomMemo& edit, const AnsiString& text) {
  const Integer caret = edit.SelStart();
  edit.SetSelStart(caret);
  edit.SetSelLength(0);
  edit.SetSelText(text);
  edit.SetSelStart(caret + static_cast<Integer>(text.size()));
  edit.SetSelLength(0);
}

void TWriteMailForm::InsertFieldClick(TObject*) {
  const AnsiString text = "[%" + FelderCombo->GetText() + "]";
  if (DesignEditShowing()) InsertTextAtCaret(*RichEdit1, text);
  else if (HtmlEditShowing()) InsertTextAtCaret(*Memo1, text);
  else if (PageControl1->ActivePage() == TabSheet3) InsertTextAtCaret(*Memo2, text);
}

void TWriteMailForm::AddAttachment(const AnsiString& path) {
  TListItem* row = ListView1->Items().Add();
  row->SetCaption(path);
  row->SubItems().Add(ContentIdOf(path));
}

void TWriteMailForm::PicBtnClick(TObject*) {
  if (!OpenDialog2->Execute()) return;
  const AnsiString path = OpenDialog2->FileName();
  AddAttachment(path);
  const AnsiString tag = "<img src=\"CID:" + ContentIdOf(path) + "\" border=0>";
  if (DesignEditShowing()) InsertTextAtCaret(*RichEdit1, tag);
  else if (HtmlEditShowing()) InsertTextAtCaret(*Memo1, tag);
}

void TWriteMailForm::AttachBtnClick(TObject*) {
  if (!OpenDialog1->Execute()) return;
  TStringList& files = OpenDialog1->Files();
  for (Integer i = 0; i < files.Count(); ++i) AddAttachment(files.Get(i));
}

void TWriteMailForm::DelAttachBtnClick(TObject*) {
  TListItems& rows = ListView1->Items();
  for (Integer i = rows.Count() - 1; i >= 0; --i)
    if (rows[i]->Selected()) rows.Delete(i);
  ListView1Change(ListView1, nullptr, ctState);
}

void TWriteMailForm::DelAllAttachBtnClick(TObject*) {
  ListView1->Items().Clear();
  ListView1Change(ListView1, nullptr, ctState);
}

void TWriteMailForm::ListView1Change(TObject*, TListItem*, TItemChange) {
  DelAttachBtn->SetEnabled(ListView1->Selected() != nullptr);
}

// ----- registration -----

void RegisterWriteMailFormClass() {
  using F = TWriteMailForm;
  RegisterClassType<F, TForm>("TWriteMailForm")
      .Field("Edit1", &F::Edit1)
      .Field("MailTyp1", &F::MailTyp1)
      .Field("MailTyp2", &F::MailTyp2)
      .Field("MailTyp3", &F::MailTyp3)
      .Field("AutoCreateCheck", &F::AutoCreateCheck)
      .Field("FelderCombo", &F::FelderCombo)
      .Field("InsertField", &F::InsertField)
      .Field("SpeedButton1", &F::SpeedButton1)
      .Field("ListView1", &F::ListView1)
      .Field("AttachBtn", &F::AttachBtn)
      .Field("DelAttachBtn", &F::DelAttachBtn)
      .Field("DelAllAttachBtn", &F::DelAllAttachBtn)
      .Field("PageControl1", &F::PageControl1)
      .Field("TabSheet1", &F::TabSheet1)
      .Field("TabSheet2", &F::TabSheet2)
      .Field("TabSheet3", &F::TabSheet3)
      .Field("PageControl2", &F::PageControl2)
      .Field("PageControl3", &F::PageControl3)
      .Field("RichEdit1", &F::RichEdit1)
      .Field("Memo1", &F::Memo1)
      .Field("Memo2", &F::Memo2)
      .Field("Memo3", &F::Memo3)
      .Field("EditBtn", &F::EditBtn)
      .Field("WebBrowser1", &F::WebBrowser1)
      .Field("WebBrowser2", &F::WebBrowser2)
      .Field("SpeedButton2", &F::SpeedButton2)
      .Field("HTMLImport", &F::HTMLImport)
      .Field("ProgressBar1", &F::ProgressBar1)
      .Field("PLeftBtn", &F::PLeftBtn)
      .Field("PCenterBtn", &F::PCenterBtn)
      .Field("PRightBtn", &F::PRightBtn)
      .Field("BoldBtn", &F::BoldBtn)
      .Field("ItalicBtn", &F::ItalicBtn)
      .Field("UnderlineBtn", &F::UnderlineBtn)
      .Field("FColorBtn", &F::FColorBtn)
      .Field("BkColorBtn", &F::BkColorBtn)
      .Field("NumberingBtn", &F::NumberingBtn)
      .Field("PicBtn", &F::PicBtn)
      .Field("FontName", &F::FontName)
      .Field("FontSize", &F::FontSize)
      .Field("ImportBtn", &F::ImportBtn)
      .Field("NewsCheck", &F::NewsCheck)
      .Field("NormalCheck", &F::NormalCheck)
      .Field("NewsConfigBtn", &F::NewsConfigBtn)
      .Field("Timer1", &F::Timer1)
      .Field("OpenDialog1", &F::OpenDialog1)
      .Field("OpenDialog2", &F::OpenDialog2)
      .Field("OpenDialog3", &F::OpenDialog3)
      .Field("OpenDialog4", &F::OpenDialog4)
      .Field("ColorDialog1", &F::ColorDialog1)
      .Method("FormCreate", &F::FormCreate)
      .Method("FormShow", &F::FormShow)
      .Method("FormCloseQuery", &F::FormCloseQuery)
      .Method("SpeedButton1Click", &F::SpeedButton1Click)
      .Method("MailTyp1Click", &F::MailTyp1Click)
      .Method("MailTyp2Click", &F::MailTyp2Click)
      .Method("MailTyp3Click", &F::MailTyp3Click)
      .Method("AutoCreateCheckClick", &F::AutoCreateCheckClick)
      .Method("PageControl1Change", &F::PageControl1Change)
      .Method("Memo1Change", &F::Memo1Change)
      .Method("RichEdit1Change", &F::RichEdit1Change)
      .Method("Timer1Timer", &F::Timer1Timer)
      .Method("NewsConfigBtnClick", &F::NewsConfigBtnClick)
      .Method("NewsCheckClick", &F::NewsCheckClick)
      .Method("EditBtnClick", &F::EditBtnClick)
      .Method("PLeftBtnClick", &F::PLeftBtnClick)
      .Method("PCenterBtnClick", &F::PCenterBtnClick)
      .Method("PRightBtnClick", &F::PRightBtnClick)
      .Method("BoldBtnClick", &F::BoldBtnClick)
      .Method("ItalicBtnClick", &F::ItalicBtnClick)
      .Method("UnderlineBtnClick", &F::UnderlineBtnClick)
      .Method("FColorBtnClick", &F::FColorBtnClick)
      .Method("BkColorBtnClick", &F::BkColorBtnClick)
      .Method("NumberingBtnClick", &F::NumberingBtnClick)
      .Method("FontNameChange", &F::FontNameChange)
      .Method("FontSizeChange", &F::FontSizeChange)
      .Method("RichEdit1SelectionChange", &F::RichEdit1SelectionChange)
      .Method("ImportBtnClick", &F::ImportBtnClick)
      .Method("InsertFieldClick", &F::InsertFieldClick)
      .Method("PicBtnClick", &F::PicBtnClick)
      .Method("AttachBtnClick", &F::AttachBtnClick)
      .Method("DelAttachBtnClick", &F::DelAttachBtnClick)
      .Method("DelAllAttachBtnClick", &F::DelAllAttachBtnClick)
      .Method("ListView1Change", &F::ListView1Change)
      .Method("PageControl2Change", &F::PageControl2Change)
      .Method("PageControl3Change", &F::PageControl3Change)
      .Method("HTMLImportClick", &F::HTMLImportClick);
}

}  // namespace orv
