// The main window's address table: choosing and creating Table1, its record filter, and the send
// page's address list and choices that the send run reads.
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include "app/AddressImport.h"
#include "app/MainUnit.h"
#include "app/MailStore.h"
#include "app/OptionsStore.h"
#include "mail/MailAddress.h"
#include "platform/forms/DialogService.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

struct TAddressFieldDef {
  const char* Name;
  Integer Size;
};

constexpr TAddressFieldDef kAddressFields[] = {
    {"eMail", 50},      {"Last Name", 30}, {"First Name", 30},
    {"Salutation", 20}, {"Info 1", 50},    {"Info 2", 255},
};

void DefineAddressFields(TDbfTable& table) {
  table.FieldDefs().Clear();
  for (const auto& def : kAddressFields) table.FieldDefs().Add(def.Name, ftString, def.Size);
}

// Only the blank itself is trimmed.
AnsiString TrimBlanks(const AnsiString& s) {
  const auto first = s.find_first_not_of(' ');
  if (first == AnsiString::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The edit's number with its fraction dropped; anything unreadable counts as field 0.
Integer WholeFieldNumber(const AnsiString& text) {
  const AnsiString t = TrimBlanks(text);
  double value = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(value)) return 0;
  if (value >= 2147483647.0 || value <= -2147483648.0) return 0;
  return static_cast<Integer>(std::trunc(value));
}

// Characters of text the table's own code page cannot hold: they do not survive the round trip.
Integer LostInTable(TDbfTable& table, const AnsiString& text) {
  const AnsiString back = table.Translate(table.Translate(text, true), false);
  if (back == text || back.size() != text.size()) return 0;
  Integer lost = 0;
  for (std::size_t i = 0; i < text.size(); ++i) lost += back[i] != text[i] ? 1 : 0;
  return lost;
}

}  // namespace

void TMainForm::CreateAddressTable() {
  Table1 = new TDbfTable(this);
  Table1->SetName("Table1");
  Table1->OpenMode = omAutoCreate;
  Table1->SetTableLevel(4);
  Table1->OnFilterRecord = [this](TDataSet* dataSet, bool& accept) { Table1FilterRecord(dataSet, accept); };
  Table1->BeforeAutoCreate = [this](TDbfTable* dbf, bool& doCreate) { Table1BeforeAutoCreate(dbf, doCreate); };
  DataSource1 = new TDataSource(this);
  DataSource1->SetName("DataSource1");
  DataSource1->SetDataSet(Table1);
}

void TMainForm::Table1BeforeAutoCreate(TDbfTable* dbf, bool&) {
  // A missing file gets the program's own six fields, never an empty record layout.
  DefineAddressFields(*dbf);
  dbf->SetTableLevel(4);
}

void TMainForm::Button1Click(TObject*) {
  if (DialogService().MessageBox("Attention: all existing data sets will be lost!!!", "New data base",
                                 MB_OKCANCEL | MB_ICONSTOP) != IDOK)
    return;
  Table1->Close();
  Table1->SetTableLevel(4);
  DefineAddressFields(*Table1);
  Table1->CreateTable();
  Table1->Open();
}

void TMainForm::ChooseTableFile(const AnsiString& name) {
  // The same name changes no text, yet the file may be another by now: it is opened again.
  if (FilenameEdit1->GetFileName() == name) {
    FilenameEdit1Change(FilenameEdit1);
    return;
  }
  try {
    FilenameEdit1->SetFileName(name);
  } catch (const EComboEditError&) {
    // A name the edit does not take opens nothing, as a file that cannot be opened does.
  }
}

void TMainForm::FilenameEdit1Change(TObject*) {
  const AnsiString name = FilenameEdit1->GetFileName();
  // options.dat keeps the path behind a one-byte length: a longer one is refused before the table
  // changes, so what is open is always what the options can name.
  const AnsiString tooLong = CheckTablePath(name);
  if (!tooLong.empty()) {
    DialogService().MessageBox(tooLong, Application->Title(), MB_OK | MB_ICONERROR);
    return;
  }
  try {
    Table1->Close();
    Table1->SetFilePath(ExtractFilePath(name));
    Table1->SetTableName(ExtractFileName(name));
    Table1->Open();
    Table1->SetFiltered(true);
    SaveOptions();
  } catch (...) {
    // A table that cannot be opened leaves the page empty; the user picks another file.
  }
}

void TMainForm::ImportBtnClick(TObject*) {
  OpenDialog1->SetFilter("TXT und CSV Dateien (*.txt;*.csv)|*.txt;*.csv|Alle Dateien (*.*)|*.*");
  OpenDialog1->SetDefaultExt("txt");
  if (!OpenDialog1->Execute()) return;
  std::ifstream file(OpenDialog1->FileName(), std::ios::binary);
  if (!file) return;
  const std::string data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) return;

  Integer replaced = 0;
  // Under a filter every post would refetch the record window through the filter event.
  const bool wasFiltered = Table1->Filtered();
  Table1->DisableControls();
  try {
    Table1->SetFiltered(false);
    for (std::string_view line : SplitImportLines(data)) {
      if (line.empty()) continue;
      Table1->Append();
      const AnsiString text = ImportLineText(line, replaced);
      replaced += LostInTable(*Table1, text);
      const std::vector<AnsiString> pieces = SplitImportPieces(text);
      const std::size_t fields = static_cast<std::size_t>(Table1->FieldCount());
      for (std::size_t i = 0; i < pieces.size() && i < fields; ++i)
        Table1->Fields().Fields(static_cast<Integer>(i))->SetAsString(pieces[i]);
      Table1->Post();
    }
  } catch (...) {
    if (Table1->Active()) Table1->Cancel();
    Table1->SetFiltered(wasFiltered);
    Table1->EnableControls();
    throw;
  }
  Table1->SetFiltered(wasFiltered);
  Table1->EnableControls();
  if (replaced > 0)
    DialogService().MessageBox(
        Format("%d characters could not be stored in the table's code page and were replaced by '?'.", {replaced}),
        Application->Title(), MB_OK | MB_ICONWARNING);
}

void TMainForm::Table1FilterRecord(TDataSet* dataSet, bool& accept) {
  const AnsiString filter = UpperAsciiName(FilterEd->GetText());
  if (filter.empty()) {
    accept = true;
    return;
  }
  accept = false;
  for (Integer i = 0; i < dataSet->FieldCount(); ++i) {
    if (UpperAsciiName(dataSet->Fields().Fields(i)->AsString()).find(filter) != AnsiString::npos) {
      accept = true;
      return;
    }
  }
}

void TMainForm::FilterBtnClick(TObject*) {
  Table1->Close();
  Table1->Open();
  Table1->SetFiltered(true);
}

void TMainForm::PageControl2Change(TObject*) {
  if (PageControl2->ActivePageIndex() != 3) return;
  ListView3->Items().Clear();
  FAddressRows.clear();
  const Integer a = WholeFieldNumber(MailFieldEd->GetText());
  try {
    Table1->First();
    Integer position = 0;
    while (!Table1->Eof()) {
      // A number outside the fields, negative ones included, reads the first field.
      const Integer index = (a < 0 || a >= Table1->FieldCount()) ? 0 : a;
      // Exports pad with tabs as well as blanks; other control bytes stay and the run refuses them.
      const AnsiString address(TrimAddressSpace(Table1->Fields().Fields(index)->AsString()));
      if (!address.empty()) {
        ListView3->Items().Add()->SetCaption(address);
        FAddressRows.push_back({address, position, Table1->GetBookmark()});
      }
      Table1->Next();
      ++position;
    }
  } catch (...) {
    // The list keeps the rows read before the table failed.
  }

  AbsenderCombo->Items().Clear();
  const Integer accounts = FKonten ? FKonten->Count() : 0;
  for (Integer i = 0; i < accounts; ++i) {
    const TKontoRec& k = (*FKonten)[i];
    AbsenderCombo->Items().Add(k.SenderName.substr(0, 255) + " " + k.SenderAddress);
  }
  if (accounts == 0) AbsenderCombo->SetItemIndex(-1);
  else AbsenderCombo->SetItemIndex(FKontoIndex >= 0 && FKontoIndex < accounts ? FKontoIndex : 0);

  MailCombo->Items().Clear();
  const Integer mails = FMails ? FMails->Count() : 0;
  for (Integer i = 0; i < mails; ++i) {
    const TMailRec& m = (*FMails)[i];
    MailCombo->Items().Add(m.Subject.substr(0, 255) + " " + StoredMailDateText(m.Date));
  }
  MailCombo->SetItemIndex(mails - 1);
}

void TMainForm::PostAddressTable() {
  try {
    if (Table1 && Table1->Active()) Table1->CheckBrowseMode();
  } catch (...) {
    // Shutting down: a record the table refuses cannot be kept anyway.
  }
}

std::vector<TSendRecipient> TMainForm::TableRecipients(bool selectedOnly) {
  std::vector<TSendRecipient> result;
  const Integer rows = std::min<Integer>(ListView3->Items().Count(), static_cast<Integer>(FAddressRows.size()));
  for (Integer i = 0; i < rows; ++i) {
    if (selectedOnly && !ListView3->Items().Item(i)->Selected()) continue;
    result.push_back(FAddressRows[static_cast<std::size_t>(i)]);
  }
  return result;
}

TPlaceholderFields TMainForm::RecipientFields(const TSendRecipient& recipient) {
  if (!Table1->Active()) throw Exception("The address table is not open.");
  if (!recipient.Bookmark.empty() && Table1->BookmarkValid(recipient.Bookmark)) {
    Table1->GotoBookmark(recipient.Bookmark);
  } else {
    Table1->First();
    if (Table1->MoveBy(recipient.Position) != recipient.Position || Table1->Eof())
      throw Exception("The recipient's record is no longer in the address table.");
  }
  TPlaceholderFields fields;
  for (Integer i = 0; i < Table1->FieldCount(); ++i) {
    const TField* f = Table1->Fields().Fields(i);
    fields.emplace_back(f->FieldName(), f->AsString());
  }
  return fields;
}

}  // namespace orv
