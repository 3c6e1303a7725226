// The send run of the "Send emails" page: recipients, checks, the SMTP session and the loop that
// builds and sends one mail per address or per batch, with progress, cancel and the error log.
#include <algorithm>
#include <cmath>
#include "app/KontenStore.h"
#include "app/MainUnit.h"
#include "mail/MailAddress.h"
#include "platform/forms/DialogService.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

// Batches far beyond what a server takes in one mail only make a refusal of the whole batch.
constexpr Integer MaxBatchAddresses = 100000;

// No caption of its own: the box carries the application's title.
void ErrorBox(const AnsiString& text) { Application->MessageBox(text, "", MB_OK | MB_ICONERROR); }

// A count of a spin edit, the fraction dropped; `fallback` for a value that is no number or is
// out of [low, high].
Integer CountOf(const TOrvSpinEdit* edit, Integer low, Integer high, Integer fallback) {
  double value = edit != nullptr ? static_cast<double>(edit->GetValue()) : 0;
  if (edit == nullptr || !std::isfinite(value)) return fallback;
  value = std::trunc(value);
  if (value < low || value > high) return fallback;
  return static_cast<Integer>(value);
}

// What one run sends, copied when it starts: the stored records may not change under the loop.
struct TRunMail {
  AnsiString Subject, GeneratedHTML, BlankHTML, BlankText;
  Byte MailType = mtDesign;
  std::vector<AnsiString> Attachments;
};

// Pages and button come back however the run ends.
struct TRunGuard {
  TMainForm& Form;
  ~TRunGuard() {
    Form.TabSheet1->SetTabVisible(true);
    Form.TabSheet2->SetTabVisible(true);
    Form.TabSheet3->SetTabVisible(true);
    Form.SendBtn->SetCaption("Send mails...");
    Form.EndSendRun();
  }
};

// Each failure is one line of the log: control characters inside (the line breaks of a
// multi-line reply, a tab or line break an address carried) become blanks.
AnsiString ErrorLine(const AnsiString& address, const AnsiString& reason) {
  AnsiString line = "Error while sending email to " + address + ": " + reason;
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 32 || c == 127) c = ' ';
  return line;
}

// Replies end in a line break; the log line holds the reply's text.
AnsiString ReplyText(const AnsiString& reply) { return TrimRight(reply); }

// One address of a mail: the recipient it belongs to and the address it is sent as.
struct TMailAddress {
  const TSendRecipient* Recipient;
  AnsiString Address;
};

// The refusal the server gave the address on its own in the last mail, if it gave one. The
// session offers each address once, compared without regard to case.
const TRefusedRecipient* RefusalOf(const std::vector<TRefusedRecipient>& refused, const AnsiString& address) {
  for (const TRefusedRecipient& r : refused)
    if (SameText(r.Address, address)) return &r;
  return nullptr;
}

}  // namespace

std::unique_ptr<TMailMessage> TMainForm::NewSendMessage() {
  auto message = std::make_unique<TMailMessage>();
  message->Charset = "iso-8859-1";
  message->TextEncoding = etQuotedPrintable;
  message->AttachEncoding = etBase64;
  // The editor's "CID:" references name the embedded files by content id.
  message->EmbedMethod = emContentID;
  return message;
}

std::unique_ptr<TSMTPSession> TMainForm::NewSendSession(TMailMessage& message) {
  auto session = std::make_unique<TSMTPSession>();
  session->Port = 25;
  session->SetTimeOut(60);
  session->MailMessage = &message;
  session->PacketSize = 102400;
  session->Handshaking = hsAuto;
  return session;
}

std::vector<TSendRecipient> TMainForm::GatherRecipients() {
  if (AlleEmpfCheck->Checked()) return TableRecipients(false);
  if (SelectedEmpfCheck->Checked()) return TableRecipients(true);
  std::vector<TSendRecipient> result;
  if (OneEmpfCheck->Checked()) {
    const AnsiString typed = Trim(EmpfEd->GetText());
    if (!typed.empty()) result.push_back({typed, -1, {}});
  }
  return result;
}

AnsiString TMainForm::FillPlaceholders(const AnsiString& text, bool uniform, const TSendRecipient& recipient,
                                       std::optional<TPlaceholderFields>* record) {
  // A uniform mail goes to many at once, and a typed address has no record.
  if (uniform || recipient.Position < 0) return text;
  if (record == nullptr) return FillPlaceholderText(text, RecipientFields(recipient));
  if (!record->has_value()) *record = RecipientFields(recipient);
  return FillPlaceholderText(text, **record);
}

void TMainForm::SendBtnClick(TObject*) {
  if (FSending) {
    CancelSendRun();
    return;
  }
  // Taken once: the radios may change while the run pumps the message loop.
  SendTo(GatherRecipients(), bccCheck->Checked());
}

void TMainForm::SendTo(const std::vector<TSendRecipient>& recipients, bool uniform) {
  if (FSending) return;
  BeginSendRun();
  TRunGuard guard{*this};
  // Each personalised mail moves the table to its recipient's record; with the grid following
  // every move, each one would re-read the grid's rows. The grid catches up once at the end.
  struct TControlsPause {
    TDataSet* Table;
    explicit TControlsPause(TDataSet* t) : Table(t) { Table->DisableControls(); }
    ~TControlsPause() { Table->EnableControls(); }
  } controlsPause{Table1};
  TabSheet1->SetTabVisible(false);
  TabSheet2->SetTabVisible(false);
  TabSheet3->SetTabVisible(false);
  SendBtn->SetCaption("Cancel");

  if (recipients.empty()) {
    ErrorBox("There are no email addresses!");
    return;
  }
  const Integer kontoIndex = AbsenderCombo->ItemIndex();
  if (kontoIndex < 0 || FKonten == nullptr || kontoIndex >= FKonten->Count()) {
    ErrorBox("No email account is selected!");
    return;
  }
  const TKontoRec konto = *FKonten->Select(kontoIndex);
  const Integer mailIndex = MailCombo->ItemIndex();
  if (mailIndex < 0 || FMails == nullptr || mailIndex >= FMails->Count()) {
    ErrorBox("There is no mail selected for sending!");
    return;
  }
  TRunMail mail;
  {
    const TMailRec& m = *FMails->Select(mailIndex);
    mail.Subject = m.Subject;
    mail.GeneratedHTML = m.GeneratedHTML;
    mail.BlankHTML = m.BlankHTML;
    mail.BlankText = m.BlankText;
    mail.MailType = m.MailType;
    if (m.Attachments)
      for (Integer i = 0; i < m.Attachments->Count(); ++i)
        mail.Attachments.push_back((*m.Attachments)[i].Path);
  }

  // Read before the first wait on the server, as every other choice of the run.
  const Integer every = CountOf(VirusEd, 0, 0x7FFFFFFF, 0);
  const Integer count = static_cast<Integer>(recipients.size());
  const Integer per = uniform ? CountOf(bccCountEd, 1, MaxBatchAddresses, 1) : 1;
  const Integer total = uniform ? (count - 1) / per + 1 : count;

  SMTP->Host = konto.Server;
  const TKontoCredentials credentials = KontoCredentials(konto);
  SMTP->UserName = credentials.UserName;
  SMTP->Password = credentials.Password;
  Integer failed = 0;
  if (!SMTP->Connect()) {
    SMTP->AbortSession();
    // A cancel while the server is awaited is the user's choice, not a failed connection.
    if (!FCancelled) ErrorBox("Could not connect to mail server!");
    return;
  }

  const auto reconnect = [this] {
    // After a cancel no connection is opened again.
    if (FCancelled || SMTP->Connect() || FCancelled) return;
    SMTP->AbortSession();
    ErrorBox("Could not connect to mail server!");
    // The mails that follow fail one by one and are logged when this one fails as well.
    SMTP->Connect();
  };

  for (Integer n = 1; n <= total; ++n) {
    Application->ProcessMessages();
    if (FCancelled) break;
    const Integer b = n - 1;
    // The mail's addresses: the batch in uniform mode, else the one recipient. Each value is
    // taken as exactly one address or refused on its own: a value the header field would read
    // as other addresses must not send this recipient's mail to them.
    std::vector<TMailAddress> batch;
    const Integer first = b * per;
    const Integer last = std::min(count, first + per);
    for (Integer i = first; i < last; ++i) {
      const TSendRecipient& r = recipients[static_cast<std::size_t>(i)];
      TSendAddress checked = SendAddressOf(r.Address);
      if (checked.Fault.empty()) {
        batch.push_back({&r, std::move(checked.Address)});
      } else {
        ErrorLog->Lines().Add(ErrorLine(r.Address, "Invalid e-mail address: " + checked.Fault));
        ++failed;
      }
    }
    const auto failBatch = [&](const AnsiString& reason, const std::vector<TRefusedRecipient>& refused) {
      // Every address of the mail is without it: each gets its line, with the server's own
      // refusal where it gave one, and counts.
      for (const TMailAddress& a : batch) {
        const TRefusedRecipient* own = RefusalOf(refused, a.Address);
        ErrorLog->Lines().Add(ErrorLine(a.Address, own != nullptr ? ReplyText(own->Reply) : reason));
        ++failed;
      }
    };

    // Counted by mail number, whatever the check refused: no connection carries more mails than
    // the option allows.
    if (every != 0 && n % every == 0) {
      SMTP->AbortSession();
      reconnect();
    }
    if (!batch.empty()) {
      // A mail with nothing to send needs no session; the next one that has opens it.
      if (!SMTP->SessionOpen()) reconnect();
      // A cancel while the server was awaited for the connection: this mail does not go.
      if (FCancelled) {
        failBatch("Cancelled before the mail was sent", {});
        batch.clear();
      }
    }
    bool built = false;
    if (!batch.empty()) {
      // The first valid address of the batch takes the place in To; the rest go in Bcc.
      const TMailAddress& to = batch.front();
      try {
        Msg->ResetMessage();
        Msg->SetFrom(konto.SenderName, konto.SenderAddress);
        Msg->SetReplyTo(konto.SenderName, konto.ReplyAddress);
        Msg->SetSubject(mail.Subject);
        Msg->SetDate(Now());
        Msg->ToRecipients().ClearRecipients();
        Msg->ToRecipients().AddRecipient("", to.Address);
        Msg->BccRecipients().ClearRecipients();
        for (std::size_t k = 1; k < batch.size(); ++k) Msg->BccRecipients().AddRecipient("", batch[k].Address);
        std::optional<TPlaceholderFields> record;
        if (mail.MailType == mtDesign || mail.MailType == mtHtml) {
          const AnsiString& html = mail.MailType == mtDesign ? mail.GeneratedHTML : mail.BlankHTML;
          Msg->SetTextHtml(html.empty() ? AnsiString(" ") : FillPlaceholders(html, uniform, *to.Recipient, &record));
        }
        Msg->SetTextPlain(mail.BlankText.empty() ? AnsiString(" ")
                                                  : FillPlaceholders(mail.BlankText, uniform, *to.Recipient, &record));
        for (const AnsiString& path : mail.Attachments) Msg->AttachFile(path, "", true);
        Msg->BuildBody();
        built = true;
      } catch (const Exception& e) {
        // A mail that cannot be built (an unreadable attachment, a record the table cannot
        // give) fails alone; the run goes on.
        failBatch(e.Message(), {});
      } catch (const std::exception& e) {
        failBatch(e.what(), {});
      }
    }
    if (built) {
      std::vector<AnsiString> envelope;
      for (const TMailAddress& a : batch) envelope.push_back(a.Address);
      // The envelope is the checked addresses themselves, not what a reading of the header
      // fields would make of them.
      if (SMTP->SendMessageTo(Msg->FromAddress(), envelope)) {
        // The mail reached those the server took; each refused one of the batch is logged.
        for (const TRefusedRecipient& refused : SMTP->RefusedRecipients())
          ErrorLog->Lines().Add(ErrorLine(refused.Address, ReplyText(refused.Reply)));
      } else {
        const AnsiString reason = SMTP->FailureReason();
        const std::vector<TRefusedRecipient> refusedList = SMTP->RefusedRecipients();
        SMTP->AbortSession();
        failBatch(reason, refusedList);
      }
    }
    ProgressBar1->SetPosition(static_cast<Integer>(static_cast<Int64>(n) * 100 / total));
    statlabel->SetCaption(IntToStr(n) + " mails of " + IntToStr(total) + " sended " +
                          IntToStr(failed) + " failed.");
  }
  ProgressBar1->SetPosition(0);
  SMTP->Quit();
}

}  // namespace orv
