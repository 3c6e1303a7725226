// The mail message model: parts with header lines and bodies, the message with its MIME tree,
// recipient lists, address fields and body building.
#pragma once
#include <functional>
#include <memory>
#include <string_view>
#include <vector>
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

namespace orv {

class TStream;

enum TEncodingType { etBase64 = 0, etQuotedPrintable = 1, etNoEncoding = 2 };
enum TEmbedMethod { emContentID = 0, emContentLocation = 1 };
// The mail module's progress event (total and current byte counts). It lives in its own namespace
// because the picture classes have an event of the same name with another signature.
namespace vudemail {
using TProgressEvent = std::function<void(void* sender, Integer total, Integer current)>;
}

// Refused input of the message model (an address holding CR or LF, ...).
class EMailError : public Exception { public: using Exception::Exception; };

class TMailMessage;
class TMailPart;
// Child parts in order; the list owns nothing (the message owns every part it made).
using TMailPartList = std::vector<TMailPart*>;
// Header lines, one field per line, unfolded: "Name: value; param=value".
using THeaderLines = std::vector<AnsiString>;

class TMailPart {
 public:
  explicit TMailPart(TMailMessage* owner = nullptr);
  virtual ~TMailPart();
  TMailPart(const TMailPart&) = delete;
  TMailPart& operator=(const TMailPart&) = delete;

  THeaderLines& Header() { return FHeader; }
  const THeaderLines& Header() const { return FHeader; }
  // The encoded body (as on the wire) and the decoded bytes. A write through these references
  // makes the next Encode encode afresh.
  AnsiString& Body() {
    FEncodedAs = -1;
    return FBody;
  }
  const AnsiString& Body() const { return FBody; }
  AnsiString& Decoded() {
    FEncodedAs = -1;
    return FDecoded;
  }
  const AnsiString& Decoded() const { return FDecoded; }
  AnsiString ParentBoundary;
  bool IsDecoded = false;
  bool Embedded = false;
  TMailMessage* OwnerMessage() const { return FOwnerMessage; }
  TMailPart* ParentPart() const { return FParentPart; }
  TMailPartList& SubParts() { return FSubParts; }
  const TMailPartList& SubParts() const { return FSubParts; }

  // Index of the n-th line (from 0) starting with prefix (a-z case-insensitive); -1 when none.
  static Integer FindHeaderLine(const THeaderLines* list, std::string_view prefix, Integer n);
  AnsiString GetHeaderValue(std::string_view name) const;
  AnsiString GetHeaderParam(std::string_view name, std::string_view param) const;
  // An empty value deletes the field's first line. CR and LF in values become blanks, so a value
  // can never start a header line of its own.
  void SetHeaderValue(std::string_view name, std::string_view value);
  void SetHeaderParam(std::string_view name, std::string_view param, std::string_view value);
  // Removes every line of the field.
  void RemoveHeaderLines(std::string_view name);
  bool HasHeader(std::string_view name) const;
  bool HasHeaderParam(std::string_view name, std::string_view param) const;
  AnsiString GetContentType() const;
  AnsiString GetBoundary() const;
  // All header lines, each followed by CRLF; setting splits at CRLF (the inverse).
  AnsiString HeaderText() const;
  // HeaderText() == text, without building it.
  bool HeaderTextIs(std::string_view text) const;
  void SetHeaderText(std::string_view text);
  // Folded header, CRLF, then the encoded body: the text that goes on the wire.
  AnsiString GetSource() const;

  // Fills Decoded from Body once, by Content-Transfer-Encoding; always true.
  bool Decode();
  // Body := Decoded in the given encoding, with its Content-Transfer-Encoding field.
  void Encode(TEncodingType type);

  // Takes the part out of its parent's list (never the message itself).
  static void DetachPart(TMailPart* part);

 protected:
  friend class TMailMessage;
  THeaderLines FHeader;
  AnsiString FBody;
  AnsiString FDecoded;
  // The encoding (a TEncodingType) whose output for FDecoded FBody holds, -1 when not known.
  // Encode skips the work when asked for that encoding again; every write to either clears it.
  int FEncodedAs = -1;
  TMailMessage* FOwnerMessage = nullptr;
  TMailPart* FParentPart = nullptr;
  TMailPartList FSubParts;
};

// One address field (To, Cc, Bcc) of a message, kept in step with the message's header.
class TMailRecipients {
 public:
  TMailRecipients(TMailMessage& message, AnsiString fieldName);
  const AnsiString& FieldName() const { return FFieldName; }
  // Re-reads the lists from the header when the header changed since they last matched it.
  void ParseRecipients();
  // Replaces the field's lines by one field holding the lists (appended at the end of the header).
  void WriteRecipients();
  Integer RecipientCount();
  // The addresses joined by ","; an item with blanks, commas or quotes is quoted.
  AnsiString AddressesCommaText();
  // EMailError when the address holds CR or LF.
  void AddRecipient(std::string_view name, std::string_view address);
  void ClearRecipients();
  // Valid until the next change of the lists.
  const std::vector<AnsiString>& Names();
  const std::vector<AnsiString>& Addresses();

 private:
  TMailMessage& FMessage;
  AnsiString FFieldName;
  std::vector<AnsiString> FNames;
  std::vector<AnsiString> FAddresses;
  // The header text the lists last matched; a length alone would miss same-length changes.
  AnsiString FSeenHeader;
  bool FSeen = false;
};

// A text as lines: the text is kept whole and split at CRLF on the first read after each change,
// so setting a text costs no line copies unless someone reads them.
class TTextLines {
 public:
  // crlfText: every line end already CRLF.
  void Assign(AnsiString crlfText);
  void Clear();
  // Valid until the next Assign or Clear.
  const std::vector<AnsiString>& Lines() const;

 private:
  AnsiString FText;
  mutable std::vector<AnsiString> FLines;
  mutable bool FSplit = true;
};

class TMailMessage : public TMailPart {
 public:
  TMailMessage();
  ~TMailMessage() override;

  // Attachments and embedded parts in the order added (may hold the message itself).
  const TMailPartList& Attachments() const { return FAttachments; }
  // The plain and the HTML text last set, as lines; valid until the next change of that text.
  const std::vector<AnsiString>& TextLines() const { return FTextLines.Lines(); }
  const std::vector<AnsiString>& HtmlLines() const { return FHtmlLines.Lines(); }
  TMailPart* TextPart() const { return FTextPart; }
  TMailPart* HtmlPart() const { return FHtmlPart; }
  TMailPart* MixedPart() const { return FMixedPart; }
  TMailPart* RelatedPart() const { return FRelatedPart; }
  TMailPart* AlternativePart() const { return FAlternativePart; }
  TMailPart* InnermostContainer() const { return FInnermost; }
  Integer FileCounter() const { return FFileCounter; }
  // Set by every change of the tree or a part; cleared by BuildBody. Sending refuses while set.
  bool NeedsRebuild() const { return FNeedsRebuild; }

  AnsiString Charset = "iso-8859-1";
  vudemail::TProgressEvent OnProgress;   // never fired by the message
  TEncodingType TextEncoding = etQuotedPrintable;
  TEncodingType AttachEncoding = etBase64;
  TEmbedMethod EmbedMethod = emContentLocation;
  AnsiString ContentLocationBase = "http://localhost/";

  TMailRecipients& ToRecipients() { return FTo; }
  TMailRecipients& CcRecipients() { return FCc; }
  TMailRecipients& BccRecipients() { return FBcc; }

  // EMailError when the address holds CR or LF; an empty address removes the field.
  void SetFrom(std::string_view name, std::string_view address);
  void SetReplyTo(std::string_view name, std::string_view address);
  void SetSubject(std::string_view text);
  void SetDate(TDateTime localTime);
  // Message-ID from the local time, two random numbers and the local address (a dotted IPv4
  // address as it is; an IPv6 address is replaced by the host name).
  void SetMessageId(std::string_view localAddress);
  void GetAddressField(std::string_view name, AnsiString& displayName, AnsiString& address) const;
  AnsiString FromAddress() const;
  // Back to the empty state: no header, no parts, no roles. The recipient objects re-read later.
  void ResetMessage();

  void SetTextPlain(std::string_view text);
  void SetTextHtml(std::string_view text);
  // Reads the whole file first: a file that cannot be read raises the stream's file error and the
  // message stays as it was. An empty content type means: by the file name's extension.
  void AttachFile(const AnsiString& filePath, std::string_view contentType, bool embedded);
  void AttachStream(TStream& stream, std::string_view fileName, bool embedded,
                    std::string_view contentType);
  void AttachBytes(std::string_view data, std::string_view fileName, bool embedded,
                   std::string_view contentType);
  // Writes the encoded body from the tree and its Content-Length; nothing unless NeedsRebuild.
  void BuildBody();
  AnsiString AttachmentFileName(const TMailPart& part) const;

 private:
  TMailPart* NewPart(TMailPart* parent);
  void DestroyPart(TMailPart* part);
  void AdoptChild(TMailPart* container, TMailPart* part);
  void Restructure(int reason);
  TMailPart* MakeContainer(TMailPart* parent, std::string_view kind);
  void PlaceTextPart(TMailPart*& role, std::string_view type);
  void PlaceAttachment(TMailPart* part);
  void SetTextPart(AnsiString crlfText, TMailPart*& role, std::string_view type);
  void WriteParts(const TMailPart& container);
  void SetAddressField(std::string_view field, std::string_view name, std::string_view address);

  std::vector<std::unique_ptr<TMailPart>> FParts;   // every part the message made and not destroyed
  TMailPartList FAttachments;
  TTextLines FTextLines;
  TTextLines FHtmlLines;
  TMailPart* FTextPart = nullptr;
  TMailPart* FHtmlPart = nullptr;
  TMailPart* FMixedPart = nullptr;
  TMailPart* FRelatedPart = nullptr;
  TMailPart* FAlternativePart = nullptr;
  TMailPart* FInnermost = nullptr;
  Integer FFileCounter = 0;
  bool FNeedsRebuild = false;
  TMailRecipients FTo;
  TMailRecipients FCc;
  TMailRecipients FBcc;
};

// The X-Mailer value of every built message.
inline constexpr const char* MailerName = "Tervan Mailer https://orvinta.example.org/";

}  // namespace orv
