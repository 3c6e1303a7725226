// The mail editor's previews (mail~.htm with embedded pictures shown from their files) and its
// HTML import (pictures of an HTML file become attachments referred to by content id).
#include <algorithm>

#include "app/MainUnit.h"
#include "app/ProgramFolder.h"
#include "app/WriteMailFUnit.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

const char kQuote = '"';

AnsiString UpperAZ(const AnsiString& s) { return UpperCase(s); }

AnsiString AppDir() {
  if (MainForm != nullptr) return MainForm->AppDir();
  return DataFolderFor(ProgramFolderOf(ProgramPath()));
}

// A picture tag's src value made a content id when it names an existing file.
AnsiString ProcessTag(const AnsiString& tag, const AnsiString& base, std::vector<AnsiString>& pictures) {
  const AnsiString upper = UpperAZ(tag);
  if (upper.rfind("IMG", 0) != 0) return tag;
  const std::size_t src = upper.find("SRC=\"");
  if (src == AnsiString::npos) return tag;
  const std::size_t valueStart = src + 5;
  const std::size_t close = tag.find(kQuote, valueStart);
  const AnsiString value = tag.substr(valueStart, close == AnsiString::npos ? AnsiString::npos : close - valueStart);
  const AnsiString path = IsAbsoluteFilePath(value) ? value : base + value;
  if (value.empty() || !FileExists(path)) return tag;
  pictures.push_back(path);
  const AnsiString rest = close == AnsiString::npos ? AnsiString() : tag.substr(close + 1);
  return tag.substr(0, valueStart) + "CID:" + ContentIdOf(path) + kQuote + rest;
}

}  // namespace

AnsiString PathFileName(const AnsiString& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == AnsiString::npos ? path : path.substr(slash + 1);
}

AnsiString ContentIdOf(const AnsiString& path) { return UpperAZ(PathFileName(path)); }

bool IsAbsoluteFilePath(const AnsiString& path) {
  if (!path.empty() && (path[0] == '/' || path[0] == '\\')) return true;
  const bool letter = path.size() >= 2 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return letter && path[1] == ':';
}

std::vector<AnsiString> PreviewLines(const std::vector<AnsiString>& lines,
                                     const std::vector<std::pair<AnsiString, AnsiString>>& attachments) {
  std::vector<AnsiString> out;
  out.reserve(lines.size());
  for (AnsiString line : lines) {
    // Scanning goes on after each replacement, so a path holding the pattern is left as it is.
    std::size_t from = 0;
    for (;;) {
      const std::size_t s = UpperAZ(line).find("\"CID:", from);
      if (s == AnsiString::npos) break;
      const std::size_t nameStart = s + 5;
      const std::size_t close = line.find(kQuote, nameStart);
      const AnsiString name = UpperAZ(line.substr(nameStart, close == AnsiString::npos ? AnsiString::npos : close - nameStart));
      AnsiString path;
      for (const auto& [rowPath, cid] : attachments)
        if (UpperAZ(cid) == name) {
          path = rowPath;
          break;
        }
      const AnsiString rest = close == AnsiString::npos ? AnsiString() : line.substr(close);
      line = line.substr(0, s) + kQuote + path + rest;
      from = s + 1 + path.size();
    }
    out.push_back(std::move(line));
  }
  return out;
}

THtmlImport ImportHtmlLines(const std::vector<AnsiString>& lines, const AnsiString& base,
                            const std::function<void(Integer percent)>& progress) {
  THtmlImport result;
  result.Lines.reserve(lines.size());
  bool inTag = false;
  AnsiString tag;
  const std::size_t n = lines.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (progress) progress(n <= 1 ? 100 : static_cast<Integer>(std::min<std::size_t>(100, i * 100 / (n - 1))));
    AnsiString out;
    for (char ch : lines[i]) {
      if (!inTag) {
        if (ch == '<') {
          inTag = true;
          tag.clear();
        } else {
          out += ch;
        }
      } else if (ch == '>') {
        out += "<" + ProcessTag(tag, base, result.Pictures) + ">";
        inTag = false;
      } else {
        tag += ch;
      }
    }
    // A tag that goes on past the line break had a blank there; without it words run together.
    if (inTag && !tag.empty()) tag += ' ';
    result.Lines.push_back(std::move(out));
  }
  return result;
}

void TWriteMailForm::ShowPreview(const TMemo& source, TWebBrowser& browser) {
  std::vector<std::pair<AnsiString, AnsiString>> attachments;
  TListItems& rows = ListView1->Items();
  for (Integer i = 0; i < rows.Count(); ++i)
    attachments.emplace_back(rows[i]->Caption(), rows[i]->SubItems().Count() > 0 ? rows[i]->SubItems().Get(0) : AnsiString());
  TStringList page;
  for (const AnsiString& line : PreviewLines(source.Lines().ToVector(), attachments)) page.Add(line);
  const AnsiString fileName = AppDir() + "mail~.htm";
  page.SaveToFile(fileName);
  browser.Navigate(fileName);
}

void TWriteMailForm::PageControl2Change(TObject*) {
  RTFToHTML();
  if (PageControl2->ActivePageIndex() == 2) ShowPreview(*Memo3, *WebBrowser1);
}

void TWriteMailForm::PageControl3Change(TObject*) {
  if (PageControl3->ActivePageIndex() == 1) ShowPreview(*Memo1, *WebBrowser2);
}

void TWriteMailForm::HTMLImportClick(TObject*) {
  if (!OpenDialog4->Execute()) return;
  const AnsiString fileName = OpenDialog4->FileName();
  const AnsiString folder = ExtractFilePath(fileName);
  const AnsiString base = folder.empty() ? folder : IncludeTrailingPathDelimiter(folder);
  TStringList source;
  source.LoadFromFile(fileName);
  std::vector<AnsiString> lines;
  lines.reserve(static_cast<std::size_t>(source.Count()));
  for (Integer i = 0; i < source.Count(); ++i) lines.push_back(source.Get(i));
  const THtmlImport imported =
      ImportHtmlLines(lines, base, [this](Integer percent) { ProgressBar1->SetPosition(percent); });
  for (const AnsiString& picture : imported.Pictures) AddAttachment(picture);
  FImporting = true;
  struct TClear {
    bool& Flag;
    ~TClear() { Flag = false; }
  } clear{FImporting};
  Memo1->Lines().FromVector(imported.Lines);
  ProgressBar1->SetPosition(0);
  FImporting = false;
  HTMLToText();
}

}  // namespace orv
