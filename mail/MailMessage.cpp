// The message: address, subject, date and id fields, address parsing, recipient lists and reset.
#include "mail/MailEncoders.h"
#include "mail/MailMessage.h"
#include "mail/MailText.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

void RefuseLineBreaks(std::string_view address) {
  if (address.find_first_of("\r\n") == std::string_view::npos) return;
  AnsiString shown;
  for (char c : address) {
    if (c == '\r') shown += "\\r";
    else if (c == '\n') shown += "\\n";
    else shown.push_back(c);
  }
  throw EMailError("Invalid e-mail address \"" + shown + "\": it holds a line break");
}

// CR and LF made blanks before a text is encoded: encoded, they would come back as line breaks
// inside the decoded field, as plain text they are blanked when the field is set.
AnsiString WithoutLineBreaks(std::string_view text) {
  AnsiString out(text);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

AnsiString AddressText(std::string_view name, std::string_view address, std::string_view charset) {
  const AnsiString n = TrimBlanks(WithoutLineBreaks(name));
  const AnsiString a = TrimBlanks(address);
  if (n.empty()) return "<" + a + ">";
  return EncodeDisplayName(n, charset) + " <" + a + ">";
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

TMailMessage::TMailMessage()
    : TMailPart(nullptr), FTo(*this, "To"), FCc(*this, "Cc"), FBcc(*this, "Bcc") {
  FOwnerMessage = this;
}

TMailMessage::~TMailMessage() = default;

void TMailMessage::SetAddressField(std::string_view field, std::string_view name,
                                   std::string_view address) {
  RefuseLineBreaks(address);
  if (TrimBlanks(address).empty()) {
    SetHeaderValue(field, "");
    return;
  }
  SetHeaderValue(field, AddressText(name, address, Charset));
}

void TMailMessage::SetFrom(std::string_view name, std::string_view address) {
  SetAddressField("From", name, address);
}

void TMailMessage::SetReplyTo(std::string_view name, std::string_view address) {
  SetAddressField("Reply-To", name, address);
}

void TMailMessage::SetSubject(std::string_view text) {
  SetHeaderValue("Subject", text.empty() ? AnsiString() : EncodeHeaderWords(WithoutLineBreaks(text), Charset));
}

void TMailMessage::SetDate(TDateTime localTime) { SetHeaderValue("Date", MailDateText(localTime)); }

void TMailMessage::SetMessageId(std::string_view localAddress) {
  AnsiString host;
  if (IsDottedNumber(localAddress)) {
    host = AnsiString(localAddress);
  } else {
    // A bare IPv6 address is no valid right-hand side of a message id.
    const AnsiString source =
        localAddress.find(':') != std::string_view::npos ? GetComputerName() : AnsiString(localAddress);
    for (char c : source)
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
          c == '.')
        host.push_back(c);
    if (host.empty()) host = "localhost";
  }
  Word y, mo, d, h, mi, s, ms;
  const TDateTime now = Now();
  DecodeDate(now, y, mo, d);
  DecodeTime(now, h, mi, s, ms);
  const unsigned first = Random32();
  const unsigned second = Random32();
  // "<" yyyymmddhhnnss "." hex "." hex "@" host ">"
  AnsiString id = "<";
  AppendDecimal(id, y, 4);
  for (const Word part : {mo, d, h, mi, s}) AppendDecimal(id, part, 2);
  id += '.';
  AppendHex(id, first, 1);
  id += '.';
  AppendHex(id, second, 1);
  id += '@';
  id += host;
  id += '>';
  SetHeaderValue("Message-ID", id);
}

void TMailMessage::GetAddressField(std::string_view name, AnsiString& displayName,
                                   AnsiString& address) const {
  enum { stUnknown, stName, stAddress } state = stUnknown;
  const AnsiString value = TrimBlanks(GetHeaderValue(name));
  AnsiString gathered, nm, addr;
  char closer = 0;
  auto add = [&](char c) {
    if (state == stName) nm.push_back(c);
    else if (state == stAddress) addr.push_back(c);
    else gathered.push_back(c);
  };
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (closer) {
      if (c == closer) {
        closer = 0;
        state = stAddress;
      } else if (c == '\\' && i + 1 < value.size()) {
        add(value[++i]);
      } else {
        add(c);
      }
    } else if (c == '"' || c == '(') {
      closer = c == '"' ? '"' : ')';
      if (state == stUnknown) {
        addr = gathered;
        state = stName;
      }
    } else if (c == '<') {
      if (state == stUnknown) nm = gathered;
      state = stAddress;
    } else if (c == '>') {
      state = stName;
    } else {
      add(c);
    }
  }
  if (state == stUnknown) addr = gathered;
  displayName = DecodeHeaderWords(TrimBlanks(nm));
  address = TrimBlanks(addr);
}

AnsiString TMailMessage::FromAddress() const {
  AnsiString name, address;
  GetAddressField("From", name, address);
  return address;
}

void TMailMessage::ResetMessage() {
  FParts.clear();
  FHeader.clear();
  FBody.clear();
  FDecoded.clear();
  FEncodedAs = -1;
  FSubParts.clear();
  FAttachments.clear();
  FTextLines.Clear();
  FHtmlLines.Clear();
  FTextPart = FHtmlPart = FMixedPart = FRelatedPart = FAlternativePart = FInnermost = nullptr;
  FNeedsRebuild = false;
  FFileCounter = 0;
  IsDecoded = false;
  Embedded = false;
  ParentBoundary.clear();
}

TMailRecipients::TMailRecipients(TMailMessage& message, AnsiString fieldName)
    : FMessage(message), FFieldName(std::move(fieldName)) {}

void TMailRecipients::ParseRecipients() {
  if (FSeen && FMessage.HeaderTextIs(FSeenHeader)) return;
  AnsiString header = FMessage.HeaderText();
  FNames.clear();
  FAddresses.clear();
  const AnsiString prefix = FFieldName + ":";
  for (Integer n = 0;; ++n) {
    const Integer i = TMailPart::FindHeaderLine(&FMessage.Header(), prefix, n);
    if (i < 0) break;
    const AnsiString& line = FMessage.Header()[static_cast<size_t>(i)];
    const std::string_view value = std::string_view(line).substr(prefix.size());
    AnsiString name, addr;
    bool inAngle = false, found = false;
    char closer = 0;
    auto finish = [&] {
      AnsiString a = found ? addr : AnsiString();
      if (!found) {
        for (char c : name)
          if (!IsBlank(c) && c != '<' && c != '>') a.push_back(c);
        name.clear();
      }
      if (!a.empty()) {
        FNames.push_back(DecodeHeaderWords(TrimBlanks(name)));
        FAddresses.push_back(TrimBlanks(a));
      }
      name.clear();
      addr.clear();
      inAngle = found = false;
    };
    for (size_t k = 0; k < value.size(); ++k) {
      const char c = value[k];
      // Within angle brackets the quotes of a quoted local part, and what they escape, belong to
      // the address as written: without them "a,b"@host would read as another address.
      const bool keepQuoting = inAngle && closer == '"';
      if (closer) {
        if (c == closer) {
          if (keepQuoting) addr.push_back(c);
          closer = 0;
        } else if (c == '\\' && k + 1 < value.size()) {
          if (keepQuoting) addr.push_back(c);
          (inAngle ? addr : name).push_back(value[++k]);
        } else {
          (inAngle ? addr : name).push_back(c);
        }
      } else if (c == '"' && inAngle) {
        addr.push_back(c);
        closer = c;
      } else if (c == '"' || c == '(') {
        // An address followed by a comment: the text so far was the address.
        if (c == '(' && !found && !TrimBlanks(name).empty()) {
          for (char x : name)
            if (!IsBlank(x)) addr.push_back(x);
          name.clear();
          found = true;
        }
        closer = c == '"' ? '"' : ')';
      } else if (c == ',' || c == ';') {
        finish();
      } else if (c == '<') {
        inAngle = true;
        found = true;
        addr.clear();
      } else if (c == '>') {
        inAngle = false;
      } else if (inAngle) {
        if (!IsBlank(c)) addr.push_back(c);
      } else {
        name.push_back(c);
      }
    }
    finish();
  }
  FSeenHeader = std::move(header);
  FSeen = true;
}

void TMailRecipients::WriteRecipients() {
  FMessage.RemoveHeaderLines(FFieldName);
  if (!FAddresses.empty()) {
    AnsiString value;
    for (size_t i = 0; i < FAddresses.size(); ++i) {
      if (i) value += ", ";
      value += AddressText(FNames[i], FAddresses[i], FMessage.Charset);
    }
    FMessage.Header().push_back(FFieldName + ": " + value);
  }
  FSeenHeader = FMessage.HeaderText();
  FSeen = true;
}

Integer TMailRecipients::RecipientCount() {
  ParseRecipients();
  return static_cast<Integer>(FAddresses.size());
}

AnsiString TMailRecipients::AddressesCommaText() {
  ParseRecipients();
  AnsiString out;
  for (size_t i = 0; i < FAddresses.size(); ++i) {
    if (i) out.push_back(',');
    const AnsiString& a = FAddresses[i];
    if (a.find_first_of(" ,\"") == AnsiString::npos && !a.empty()) {
      out += a;
    } else {
      out.push_back('"');
      for (char c : a) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
      }
      out.push_back('"');
    }
  }
  return out;
}

void TMailRecipients::AddRecipient(std::string_view name, std::string_view address) {
  RefuseLineBreaks(address);
  ParseRecipients();
  FNames.emplace_back(name);
  FAddresses.emplace_back(address);
  WriteRecipients();
}

void TMailRecipients::ClearRecipients() {
  FNames.clear();
  FAddresses.clear();
  FMessage.RemoveHeaderLines(FFieldName);
  FSeenHeader = FMessage.HeaderText();
  FSeen = true;
}

const std::vector<AnsiString>& TMailRecipients::Names() {
  ParseRecipients();
  return FNames;
}

const std::vector<AnsiString>& TMailRecipients::Addresses() {
  ParseRecipients();
  return FAddresses;
}

}  // namespace orv
