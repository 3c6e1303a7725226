// The message's MIME tree: restructuring on every add, text parts, attachments, embedded files
// and the byte layout of the built body.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>
#include "mail/MailEncoders.h"
#include "mail/MailMessage.h"
#include "mail/MailText.h"
#include "mail/MimeTree.h"
#include "platform/win/MimeTypes.h"

namespace orv {

namespace {

AnsiString Quoted(std::string_view s) { return "\"" + AnsiString(s) + "\""; }

std::vector<AnsiString> SplitLines(std::string_view crlfText) {
  std::vector<AnsiString> lines;
  size_t pos = 0;
  while (pos < crlfText.size()) {
    size_t eol = crlfText.find("\r\n", pos);
    if (eol == std::string_view::npos) eol = crlfText.size();
    lines.emplace_back(crlfText.substr(pos, eol - pos));
    pos = eol + 2;
  }
  return lines;
}

AnsiString FileNameOnly(std::string_view path) {
  const size_t slash = path.rfind('/');
  return AnsiString(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

AnsiString UpperAZ(std::string_view s) {
  AnsiString r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

void SetLength(TMailPart& p) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, std::as_const(p).Body().size()).ptr;
  p.SetHeaderValue("Content-Length", std::string_view(digits, static_cast<size_t>(end - digits)));
}

}  // namespace

AnsiString ContentTypeForFile(std::string_view fileName) {
  const AnsiString name = FileNameOnly(fileName);
  const size_t dot = name.rfind('.');
  AnsiString type;
  if (dot != AnsiString::npos) type = MimeTypeMap().TypeForExtension(name.substr(dot));
  return type.empty() ? AnsiString("application/octet-stream") : type;
}

AnsiString ExtensionForContentType(std::string_view contentType) {
  return MimeTypeMap().ExtensionForType(TrimBlanks(contentType));
}

TMailPart* TMailMessage::NewPart(TMailPart* parent) {
  FParts.push_back(std::make_unique<TMailPart>(this));
  TMailPart* p = FParts.back().get();
  if (parent) AdoptChild(parent, p);
  return p;
}

void TMailMessage::AdoptChild(TMailPart* container, TMailPart* part) {
  part->FParentPart = container;
  part->ParentBoundary = container->GetBoundary();
  container->FSubParts.push_back(part);
}

void TMailMessage::DestroyPart(TMailPart* part) {
  if (!part || part == this) return;
  const TMailPartList children = part->FSubParts;
  part->FSubParts.clear();
  for (TMailPart* c : children) {
    c->FParentPart = nullptr;
    DestroyPart(c);
  }
  // No role or list may keep pointing at a destroyed part.
  std::erase(FAttachments, part);
  std::erase(FSubParts, part);
  for (TMailPart** role : {&FTextPart, &FHtmlPart, &FMixedPart, &FRelatedPart, &FAlternativePart,
                           &FInnermost})
    if (*role == part) *role = nullptr;
  std::erase_if(FParts, [part](const std::unique_ptr<TMailPart>& p) { return p.get() == part; });
}

TMailPart* TMailMessage::MakeContainer(TMailPart* parent, std::string_view kind) {
  TMailPart* c = this;
  if (parent) {
    c = NewPart(nullptr);
    c->SetHeaderValue("Content-Type", "multipart/" + AnsiString(kind));
    c->SetHeaderParam("Content-Type", "boundary", Quoted(NewBoundary() + "_" + AnsiString(kind)));
    AdoptChild(parent, c);
    return c;
  }
  SetHeaderValue("Content-Type", "multipart/" + AnsiString(kind));
  SetHeaderParam("Content-Type", "boundary", Quoted(NewBoundary() + "_" + AnsiString(kind)));
  return c;
}

void TMailMessage::Restructure(int reason) {
  if (reason == 0) return;
  FNeedsRebuild = true;
  FFileCounter = 0;
  int t = (FTextPart ? 1 : 0) + (FHtmlPart ? 1 : 0) + (reason == 2 ? 1 : 0);
  int a = reason == 3 ? 1 : 0;
  int e = reason == 4 ? 1 : 0;
  for (TMailPart* p : FAttachments) (p->Embedded ? e : a) += 1;

  // The message's own single body moves into a part of its own. An empty text or attachment
  // body moves too: the message must never be left playing a role inside its own tree.
  const bool inAttachments = std::find(FAttachments.begin(), FAttachments.end(), this) !=
                             FAttachments.end();
  if (!FBody.empty() || FTextPart == this || FHtmlPart == this || inAttachments) {
    TMailPart* p = NewPart(nullptr);
    p->FBody = FBody;
    p->FDecoded = FDecoded;
    p->FEncodedAs = FEncodedAs;
    p->IsDecoded = IsDecoded;
    p->Embedded = Embedded;
    for (const AnsiString& l : FHeader)
      if (HeaderLineIs(l, "Content-")) p->FHeader.push_back(l);
    TMailPart** roles[] = {&FTextPart, &FHtmlPart, &FMixedPart, &FRelatedPart, &FAlternativePart};
    TMailPart** taken = nullptr;
    for (TMailPart** r : roles)
      if (*r == this) {
        taken = r;
        break;
      }
    if (taken) {
      *taken = p;
    } else if (!FSubParts.empty()) {
      DestroyPart(p);
    } else {
      std::replace(FAttachments.begin(), FAttachments.end(), static_cast<TMailPart*>(this), p);
      if (!inAttachments) FAttachments.push_back(p);
    }
  }
  std::erase(FAttachments, static_cast<TMailPart*>(this));
  for (const char* f : {"Content-Type", "Content-Transfer-Encoding", "Content-Disposition",
                        "Content-ID", "Content-Location", "Content-Length"})
    RemoveHeaderLines(f);
  SetHeaderValue("Mime-Version", "1.0");
  SetHeaderValue("X-Mailer", MailerName);
  RemoveHeaderLines("X-VudeMail-Attachment");
  Embedded = false;

  TMailPart* oldAlternative = FAlternativePart;
  TMailPart* oldRelated = FRelatedPart;
  TMailPart* oldMixed = FMixedPart;
  TMailPart* mixed = nullptr;
  TMailPart* related = nullptr;
  TMailPart* alternative = nullptr;
  if (a > 1 || (a > 0 && t > 0) || (a > 0 && e > 0)) mixed = MakeContainer(nullptr, "mixed");
  if (e > 0) related = MakeContainer(mixed, "related");
  if (t > 1) alternative = MakeContainer(related ? related : mixed, "alternative");
  FInnermost = alternative ? alternative : related ? related : mixed;
  FMixedPart = mixed;
  FRelatedPart = related;
  FAlternativePart = alternative;

  PlaceTextPart(FTextPart, "text/plain");
  PlaceTextPart(FHtmlPart, "text/html");
  const TMailPartList attachments = FAttachments;
  for (TMailPart* p : attachments) PlaceAttachment(p);

  for (TMailPart* old : {oldAlternative, oldRelated, oldMixed})
    if (old && old != this && old != mixed && old != related && old != alternative) {
      DetachPart(old);
      DestroyPart(old);
    }
  FMixedPart = mixed;
  FRelatedPart = related;
  FAlternativePart = alternative;
}

void TMailMessage::PlaceTextPart(TMailPart*& role, std::string_view type) {
  TMailPart* part = role;
  if (!part || part == this) return;
  DetachPart(part);
  if (FInnermost) {
    AdoptChild(FInnermost, part);
    part->SetHeaderValue("Content-Type", type);
    part->SetHeaderValue("Content-Disposition", "inline");
    part->Decode();
    part->Encode(TextEncoding);
    SetLength(*part);
    part->FSubParts.clear();
    return;
  }
  SetHeaderValue("Content-Type", type);
  const AnsiString charset = part->GetHeaderParam("Content-Type", "charset");
  if (!charset.empty()) SetHeaderParam("Content-Type", "charset", Quoted(charset));
  SetHeaderValue("Content-Disposition", "inline");
  part->Decode();
  FDecoded = part->FDecoded;
  FEncodedAs = -1;
  IsDecoded = true;
  Encode(TextEncoding);
  SetLength(*this);
  TMailPart** other = (&role == &FTextPart) ? &FHtmlPart : &FTextPart;
  DestroyPart(part);
  role = this;
  if (*other == part) *other = nullptr;
}

void TMailMessage::PlaceAttachment(TMailPart* part) {
  DetachPart(part);
  if (!part->HasHeader("Content-Type")) part->SetHeaderValue("Content-Type", "application/octet-stream");
  AnsiString name = AttachmentFileName(*part);
  if (name.empty()) {
    name = "file_" + std::to_string(FFileCounter) + ExtensionForContentType(part->GetContentType());
    ++FFileCounter;
  }
  const AnsiString encoded = Quoted(EncodeHeaderWord(name, Charset));
  part->SetHeaderValue("X-VudeMail-Attachment", encoded);
  if (part->Embedded && FRelatedPart) {
    part->SetHeaderParam("X-VudeMail-Attachment", "embedded", "yes");
    // HTML already refers to an embedded file by the id or address it got when it was added; a
    // later restructuring must not change it (the safe name here may differ from that one).
    if (EmbedMethod == emContentID) {
      if (!part->HasHeader("Content-ID")) part->SetHeaderValue("Content-ID", "<" + name + ">");
    } else if (!part->HasHeader("Content-Location")) {
      part->SetHeaderValue("Content-Location", ContentLocationBase + name);
    }
    part->SetHeaderValue("Content-Disposition", "inline");
    AdoptChild(FRelatedPart, part);
    return;
  }
  part->SetHeaderParam("X-VudeMail-Attachment", "embedded", "no");
  if (!part->HasHeaderParam("Content-Type", "name"))
    part->SetHeaderParam("Content-Type", "name", encoded);
  if (!part->HasHeaderParam("Content-Disposition", "filename"))
    part->SetHeaderParam("Content-Disposition", "filename", encoded);
  if (FMixedPart) {
    part->SetHeaderValue("Content-Disposition", "attachment");
    AdoptChild(FMixedPart, part);
    return;
  }
  for (const AnsiString& l : part->FHeader)
    if (HeaderLineIs(l, "Content-")) FHeader.push_back(l);
  for (const AnsiString& l : part->FHeader)
    if (HeaderLineIs(l, "X-VudeMail-")) FHeader.push_back(l);
  part->Decode();
  FDecoded = part->FDecoded;
  FEncodedAs = -1;
  IsDecoded = true;
  Encode(etBase64);
  std::replace(FAttachments.begin(), FAttachments.end(), part, static_cast<TMailPart*>(this));
  DestroyPart(part);
}

AnsiString TMailMessage::AttachmentFileName(const TMailPart& part) const {
  AnsiString name;
  if (part.HasHeader("X-VudeMail-Attachment")) name = part.GetHeaderValue("X-VudeMail-Attachment");
  else if (!part.GetHeaderParam("Content-Type", "name").empty())
    name = part.GetHeaderParam("Content-Type", "name");
  else if (!part.GetHeaderParam("Content-Disposition", "filename").empty())
    name = part.GetHeaderParam("Content-Disposition", "filename");
  else if (part.HasHeader("Content-ID")) name = part.GetHeaderValue("Content-ID");
  else if (part.HasHeader("Content-Location")) name = part.GetHeaderValue("Content-Location");
  else if (part.HasHeader("Content-Type"))
    name = part.GetHeaderValue("Content-Type") + ExtensionForContentType(part.GetContentType());
  else name = "unknown";
  name = DecodeHeaderWords(name);
  if (name.find('.') == AnsiString::npos && part.HasHeader("Content-Type"))
    name += ExtensionForContentType(part.GetContentType());
  return SafeFileName(name);
}

void TMailMessage::SetTextPart(AnsiString crlfText, TMailPart*& role, std::string_view type) {
  Restructure(role ? 0 : 2);
  if (!role) {
    if (FInnermost) {
      TMailPart* p = NewPart(nullptr);
      p->FParentPart = FInnermost;
      p->ParentBoundary = FInnermost->GetBoundary();
      TMailPartList& kids = FInnermost->FSubParts;
      size_t at = kids.size();
      if (type == "text/plain") at = 0;
      // The HTML text follows the plain text, not an attachment that happens to be text/plain.
      else if (type == "text/html")
        at = (!kids.empty() && kids[0] == FTextPart) ? 1 : 0;
      kids.insert(kids.begin() + static_cast<std::ptrdiff_t>(at), p);
      role = p;
    } else {
      role = this;
    }
  }
  TMailPart& part = *role;
  part.FDecoded = std::move(crlfText);
  part.FEncodedAs = -1;
  part.IsDecoded = true;
  part.SetHeaderValue("Content-Type", type);
  part.Encode(TextEncoding);
  part.SetHeaderParam("Content-Type", "charset", Quoted(Charset));
  part.SetHeaderValue("Content-Disposition", "inline");
  SetLength(part);
  FNeedsRebuild = true;
}

void TTextLines::Assign(AnsiString crlfText) {
  FText = std::move(crlfText);
  FLines.clear();
  FSplit = false;
}

void TTextLines::Clear() {
  FText.clear();
  FLines.clear();
  FSplit = true;
}

const std::vector<AnsiString>& TTextLines::Lines() const {
  if (!FSplit) {
    FLines = SplitLines(FText);
    FSplit = true;
  }
  return FLines;
}

void TMailMessage::SetTextPlain(std::string_view text) {
  AnsiString crlf = WithCRLF(text);
  SetTextPart(crlf, FTextPart, "text/plain");
  FTextLines.Assign(std::move(crlf));
}

void TMailMessage::SetTextHtml(std::string_view text) {
  AnsiString crlf = WithCRLF(text);
  SetTextPart(crlf, FHtmlPart, "text/html");
  FHtmlLines.Assign(std::move(crlf));
}

void TMailMessage::AttachFile(const AnsiString& filePath, std::string_view contentType,
                              bool embedded) {
  std::ifstream in(filePath, std::ios::binary);
  AnsiString data;
  if (in) data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) {
    const int err = errno;
    throw EFOpenError("Cannot open file \"" + filePath + "\". " + std::strerror(err));
  }
  AttachBytes(data, filePath, embedded, contentType);
}

void TMailMessage::AttachBytes(std::string_view data, std::string_view fileName, bool embedded,
                               std::string_view contentType) {
  // No file system has longer names; it also keeps the unfolded part header lines short.
  const AnsiString name = FileNameOnly(fileName).substr(0, 255);
  Restructure(embedded ? 4 : 3);
  TMailPart* container = embedded ? FRelatedPart : FMixedPart;
  TMailPart* part = container ? NewPart(container) : this;
  part->FDecoded.assign(data);
  part->FEncodedAs = -1;
  part->IsDecoded = true;
  part->SetHeaderValue("Content-Type", contentType.empty() ? ContentTypeForFile(name)
                                                           : AnsiString(contentType));
  part->Encode(AttachEncoding);
  const AnsiString encoded = Quoted(EncodeHeaderWord(name, Charset));
  part->SetHeaderValue("X-VudeMail-Attachment", encoded);
  SetLength(*part);
  part->Embedded = embedded;
  if (embedded) {
    part->SetHeaderValue("Content-Disposition", "inline");
    part->SetHeaderParam("X-VudeMail-Attachment", "embedded", "yes");
    if (EmbedMethod == emContentID) part->SetHeaderValue("Content-ID", "<" + UpperAZ(name) + ">");
    else part->SetHeaderValue("Content-Location", ContentLocationBase + name);
  } else {
    part->SetHeaderValue("Content-Disposition", "attachment");
    part->SetHeaderParam("Content-Type", "name", encoded);
    part->SetHeaderParam("Content-Disposition", "filename", encoded);
    part->SetHeaderParam("X-VudeMail-Attachment", "embedded", "no");
  }
  FAttachments.push_back(part);
  FNeedsRebuild = true;
}

void TMailMessage::BuildBody() {
  if (!FNeedsRebuild) return;
  if (!FSubParts.empty()) {
    FBody = "This is a multipart message in mime format.\r\n";
    FEncodedAs = -1;
    WriteParts(*this);
  }
  SetLength(*this);
  FNeedsRebuild = false;
}

void TMailMessage::WriteParts(const TMailPart& container) {
  for (const TMailPart* child : container.FSubParts) {
    FBody += "\r\n--";
    FBody += child->ParentBoundary;
    FBody += "\r\n";
    for (const AnsiString& l : child->FHeader)
      if (!l.empty()) {
        FBody += l;
        FBody += "\r\n";
      }
    FBody += "\r\n";
    if (child->FSubParts.empty()) FBody += child->FBody;
    else WriteParts(*child);
  }
  if (!container.FSubParts.empty()) {
    FBody += "\r\n--";
    FBody += container.FSubParts.front()->ParentBoundary;
    FBody += "--\r\n";
  }
}

}  // namespace orv
