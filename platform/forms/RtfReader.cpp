// The RTF reader: a tokenizer over the bytes and a group-state machine that fills a rich-text document.
#include "platform/forms/RtfReader.h"

#include <algorithm>
#include <map>

#include "platform/rtl/CodePages.h"

namespace orv {

namespace {

constexpr size_t kMaxDepth = 200;
constexpr size_t kMaxTableEntries = 4096;
constexpr size_t kMaxFontNameLength = 255;
constexpr Cardinal kSymbolCodePage = 42;
constexpr Integer kDefaultHalfPoints = 24;

enum TDest { dText, dSkip, dFontTable, dColorTable, dNumbering };

struct TFontEntry {
  AnsiString Name;
  TFontCharset Charset = ANSI_CHARSET;
  Cardinal CodePage = 0;   // 0: the document's code page
};

struct TState {
  TDest Dest = dText;
  TRichCharFormat Format;
  Cardinal CodePage = 0;
  TRichParaFormat Para;
  Integer UnicodeSkip = 1;
};

Cardinal CodePageOfCharset(Integer charset) {
  switch (charset) {
    case 2: return kSymbolCodePage;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return 0;
  }
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A code page the converter knows, else the fallback (0: the document's code page).
Cardinal Usable(Cardinal codePage, Cardinal fallback = 0) {
  return codePage != 0 && codePage != kSymbolCodePage && !IsValidCodePage(codePage) ? fallback : codePage;
}

Integer Clamp(Integer v, Integer lo, Integer hi) { return std::min(std::max(v, lo), hi); }

class TRtfParser {
 public:
  explicit TRtfParser(std::string_view in) : FIn(in) {
    FState.Format = DefaultFormat();
  }

  TRichDocument Run() {
    while (FPos < FIn.size() && !FDone) {
      const char c = FIn[FPos++];
      if (c == '{') {
        OpenGroup();
      } else if (c == '}') {
        CloseGroup();
      } else if (c == '\\') {
        ControlItem();
      } else if (c == '\r' || c == '\n') {
        continue;
      } else if (SkipOne()) {
        continue;
      } else if (c == '\t') {
        TextChar(u'\t');
      } else if (static_cast<unsigned char>(c) >= 0x20) {
        TextByte(c);
      }
    }
    Flush();
    if (!FCurrent.Runs.empty()) EndParagraph();
    FDoc.DefaultFormat = DefaultFormat();
    FDoc.Normalize();
    return std::move(FDoc);
  }

 private:
  // ----- groups -----

  void OpenGroup() {
    FSkip = 0;
    if (FStack.size() >= kMaxDepth) {
      ++FOverflow;
      return;
    }
    Flush();
    FStack.push_back(FState);
    FGroupStart = true;
  }

  void CloseGroup() {
    FSkip = 0;
    if (FOverflow > 0) {
      --FOverflow;
      return;
    }
    if (FStack.empty()) {
      FDone = true;
      return;
    }
    Flush();
    const TDest closing = FState.Dest;
    if (closing == dFontTable) CommitFont();
    FState = FStack.back();
    FStack.pop_back();
    if (closing == dNumbering && FState.Dest != dNumbering && FBulletSeen) {
      FState.Para.Numbering = nsBullet;
      FBulletSeen = false;
    }
    FGroupStart = false;
    if (FStack.empty()) FDone = true;
  }

  // ----- control words and symbols -----

  void ControlItem() {
    if (FPos >= FIn.size()) return;
    const char c = FIn[FPos];
    if (!IsLetter(c)) {
      ++FPos;
      ControlSymbol(c);
      return;
    }
    const size_t start = FPos;
    while (FPos < FIn.size() && IsLetter(FIn[FPos])) ++FPos;
    const std::string_view word = FIn.substr(start, std::min<size_t>(FPos - start, 32));
    bool hasParam = false;
    Integer param = 0;
    bool negative = false;
    if (FPos < FIn.size() && FIn[FPos] == '-' && FPos + 1 < FIn.size() && IsDigit(FIn[FPos + 1])) {
      negative = true;
      ++FPos;
    }
    if (FPos < FIn.size() && IsDigit(FIn[FPos])) {
      hasParam = true;
      Int64 value = 0;
      while (FPos < FIn.size() && IsDigit(FIn[FPos])) {
        value = std::min<Int64>(value * 10 + (FIn[FPos] - '0'), 2147483647);
        ++FPos;
      }
      param = static_cast<Integer>(negative ? -value : value);
    }
    if (FPos < FIn.size() && FIn[FPos] == ' ') ++FPos;
    ControlWord(word, hasParam, param);
  }

  void ControlSymbol(char c) {
    if (c == '*') {
      FIgnorable = true;
      return;
    }
    FGroupStart = false;
    if (c == '\'') {
      int value = -1;
      if (FPos + 1 < FIn.size()) {
        const int hi = HexValue(FIn[FPos]), lo = HexValue(FIn[FPos + 1]);
        if (hi >= 0 && lo >= 0) value = hi * 16 + lo;
      }
      if (value < 0) return;
      FPos += 2;
      if (SkipOne()) return;
      TextByte(static_cast<char>(value));
      return;
    }
    if (SkipOne()) return;
    switch (c) {
      case '\\': case '{': case '}': TextByte(c); break;
      case '~': TextChar(u'\u00A0'); break;
      case '_': TextChar(u'\u2011'); break;
      case '\r': case '\n': if (FState.Dest == dText) EndParagraph(); break;
      default: break;   // \- optional hyphen, \| and \: index marks, anything else
    }
  }

  bool SkipOne() {
    if (FSkip <= 0) return false;
    --FSkip;
    return true;
  }

  void ControlWord(std::string_view w, bool hasParam, Integer param) {
    const bool groupStart = std::exchange(FGroupStart, false);
    const bool ignorable = std::exchange(FIgnorable, false);
    if (w == "bin") {
      // binary data is never text, whatever the destination
      const size_t n = hasParam && param > 0 ? static_cast<size_t>(param) : 0;
      FPos += std::min(n, FIn.size() - FPos);
      return;
    }
    if (FState.Dest == dSkip) return;
    if (groupStart && Destination(w, ignorable)) return;
    if (SkipOne()) return;
    switch (FState.Dest) {
      case dFontTable: FontTableWord(w, hasParam, param); return;
      case dColorTable: ColorTableWord(w, param); return;
      case dNumbering:
        if (w == "pnlvlblt") FBulletSeen = true;
        return;
      default: break;
    }
    TextWord(w, hasParam, param);
  }

  // The first control word of a group names its destination; true when it changed the state.
  bool Destination(std::string_view w, bool ignorable) {
    if (w == "pn") {
      FState.Dest = dNumbering;
      FBulletSeen = false;
      return true;
    }
    if (ignorable) {
      FState.Dest = dSkip;
      return true;
    }
    if (w == "fonttbl") {
      FState.Dest = dFontTable;
      return true;
    }
    if (w == "colortbl") {
      FState.Dest = dColorTable;
      FColors.clear();
      FRed = FGreen = FBlue = 0;
      FColorGiven = false;
      return true;
    }
    if (w == "stylesheet" || w == "info" || w == "pict" || w == "pntext" || w == "listtext") {
      FState.Dest = dSkip;
      return true;
    }
    return false;
  }

  void FontTableWord(std::string_view w, bool hasParam, Integer param) {
    if (w == "f" && hasParam) {
      CommitFont();
      FFontNumber = param;
      FFontOpen = true;
    } else if (w == "fcharset") {
      FFont.Charset = static_cast<TFontCharset>(Clamp(param, 0, 255));
      if (!FCpgGiven) FFont.CodePage = Usable(CodePageOfCharset(param));
    } else if (w == "cpg" && IsValidCodePage(static_cast<Cardinal>(Clamp(param, 0, 65535)))) {
      FFont.CodePage = static_cast<Cardinal>(param);
      FCpgGiven = true;
    }
  }

  void CommitFont() {
    if (!FFontOpen) return;
    FFontOpen = false;
    if (FFonts.size() < kMaxTableEntries || FFonts.count(FFontNumber)) FFonts[FFontNumber] = FFont;
    FFont = {};
    FCpgGiven = false;
  }

  void ColorTableWord(std::string_view w, Integer param) {
    const Integer v = Clamp(param, 0, 255);
    if (w == "red") FRed = v, FColorGiven = true;
    else if (w == "green") FGreen = v, FColorGiven = true;
    else if (w == "blue") FBlue = v, FColorGiven = true;
  }

  void TextWord(std::string_view w, bool hasParam, Integer param) {
    TRichCharFormat& f = FState.Format;
    const bool on = !hasParam || param != 0;
    if (w == "par" || w == "page" || w == "sect") {
      if (FState.Dest == dText) EndParagraph();
    } else if (w == "line") {
      TextChar(kRichLineBreak);
    } else if (w == "tab") {
      TextChar(u'\t');
    } else if (w == "pard") {
      FState.Para = {};
    } else if (w == "ql" || w == "qj") {
      FState.Para.Alignment = taLeftJustify;
    } else if (w == "qc") {
      FState.Para.Alignment = taCenter;
    } else if (w == "qr") {
      FState.Para.Alignment = taRightJustify;
    } else if (w == "plain") {
      f = DefaultFormat();
      FState.CodePage = FontCodePage(FDefaultFont);
    } else if (w == "f" && hasParam) {
      SelectFont(param);
    } else if (w == "fs") {
      f.Size = hasParam ? (Clamp(param, 1, 3276) + 1) / 2 : kDefaultHalfPoints / 2;
    } else if (w == "cf") {
      f.Color = hasParam && param > 0 && static_cast<size_t>(param) < FColors.size() ? FColors[param] : clBlack;
    } else if (w == "b") {
      SetStyle(fsBold, on);
    } else if (w == "i") {
      SetStyle(fsItalic, on);
    } else if (w == "ul" || w == "uld" || w == "uldb" || w == "ulw" || w == "uldash" || w == "ulth") {
      SetStyle(fsUnderline, on);
    } else if (w == "ulnone") {
      SetStyle(fsUnderline, false);
    } else if (w == "strike") {
      SetStyle(fsStrikeOut, on);
    } else if (w == "uc") {
      FState.UnicodeSkip = Clamp(param, 0, 16);
    } else if (w == "u" && hasParam) {
      const char16_t unit = static_cast<char16_t>(static_cast<unsigned>(param) & 0xFFFFu);
      if (unit != 0) TextChar(unit);
      FSkip = FState.UnicodeSkip;
    } else if (w == "ansicpg") {
      if (param > 0 && IsValidCodePage(static_cast<Cardinal>(param))) FAnsiCodePage = static_cast<Cardinal>(param);
    } else if (w == "ansi") {
      FAnsiCodePage = 1252;
    } else if (w == "mac") {
      FAnsiCodePage = Usable(10000, 1252);
    } else if (w == "pc") {
      FAnsiCodePage = Usable(437, 1252);
    } else if (w == "pca") {
      FAnsiCodePage = Usable(850, 1252);
    } else if (w == "deff" && hasParam) {
      FDefaultFont = param;
    } else if (const char16_t special = SpecialChar(w)) {
      TextChar(special);
    }
  }

  static char16_t SpecialChar(std::string_view w) {
    if (w == "emdash") return u'\u2014';
    if (w == "endash") return u'\u2013';
    if (w == "bullet") return u'\u2022';
    if (w == "lquote") return u'\u2018';
    if (w == "rquote") return u'\u2019';
    if (w == "ldblquote") return u'\u201C';
    if (w == "rdblquote") return u'\u201D';
    if (w == "emspace" || w == "enspace" || w == "qmspace") return u' ';
    return 0;
  }

  void SetStyle(TFontStyle style, bool on) {
    if (on)
      FState.Format.Style.Include(style);
    else
      FState.Format.Style.Exclude(style);
  }

  void SelectFont(Integer number) {
    const auto it = FFonts.find(number);
    if (it == FFonts.end()) return;
    FState.Format.Name = it->second.Name;
    FState.Format.Charset = it->second.Charset;
    FState.CodePage = it->second.CodePage;
  }

  Cardinal FontCodePage(Integer number) const {
    const auto it = FFonts.find(number);
    return it == FFonts.end() ? 0 : it->second.CodePage;
  }

  TRichCharFormat DefaultFormat() const {
    TRichCharFormat f;
    f.Size = kDefaultHalfPoints / 2;
    const auto it = FFonts.find(FDefaultFont);
    if (it != FFonts.end()) {
      f.Name = it->second.Name;
      f.Charset = it->second.Charset;
    }
    return f;
  }

  // ----- text -----

  void TextByte(char c) {
    switch (FState.Dest) {
      case dText:
        if (!FBytes.empty() && (FBytesFormat != FState.Format || FBytesCodePage != FState.CodePage)) Flush();
        if (FBytes.empty()) {
          FBytesFormat = FState.Format;
          FBytesCodePage = FState.CodePage;
        }
        FBytes += c;
        return;
      case dFontTable:
        if (c == ';') {
          CommitFont();
        } else if (FFont.Name.size() < kMaxFontNameLength) {
          FFont.Name += c;
        }
        return;
      case dColorTable:
        if (c == ';' && FColors.size() < kMaxTableEntries) {
          FColors.push_back(FColorGiven ? static_cast<TColor>(FRed | (FGreen << 8) | (FBlue << 16)) : clBlack);
          FRed = FGreen = FBlue = 0;
          FColorGiven = false;
        }
        return;
      default: return;
    }
  }

  void TextChar(char16_t c) {
    if (FState.Dest != dText) return;
    Flush();
    AddText(WideString(1, c), FState.Format);
  }

  void Flush() {
    if (FBytes.empty()) return;
    AddText(Decode(FBytes, FBytesCodePage), FBytesFormat);
    FBytes.clear();
  }

  WideString Decode(const AnsiString& bytes, Cardinal codePage) const {
    if (codePage == kSymbolCodePage) {
      WideString out = MultiByteToWide(bytes, 1252);
      for (size_t i = 0; i < bytes.size() && i < out.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) == 0xB7) out[i] = u'\u2022';
      return out;
    }
    try {
      return MultiByteToWide(bytes, codePage != 0 ? codePage : FAnsiCodePage);
    } catch (const EConvertError&) {
      // a code page the converter lacks still gives text rather than nothing
      return MultiByteToWide(bytes, 1252);
    }
  }

  void AddText(const WideString& raw, const TRichCharFormat& format) {
    // paragraph ends are structure, never characters; other controls are not text
    WideString text;
    for (char16_t c : raw)
      if (c >= 0x20 || c == u'\t' || c == kRichLineBreak) text += c;
    if (text.empty()) return;
    if (!FCurrent.Runs.empty() && FCurrent.Runs.back().Format == format)
      FCurrent.Runs.back().Text += text;
    else
      FCurrent.Runs.push_back({format, text});
  }

  void EndParagraph() {
    Flush();
    FCurrent.Format = FState.Para;
    FDoc.Paragraphs.push_back(std::move(FCurrent));
    FCurrent = {};
  }

  std::string_view FIn;
  size_t FPos = 0;
  bool FDone = false;
  std::vector<TState> FStack;
  TState FState;
  size_t FOverflow = 0;
  bool FGroupStart = false;
  bool FIgnorable = false;
  Integer FSkip = 0;
  bool FBulletSeen = false;

  Cardinal FAnsiCodePage = 1252;
  Integer FDefaultFont = 0;
  std::map<Integer, TFontEntry> FFonts;
  TFontEntry FFont;
  Integer FFontNumber = 0;
  bool FFontOpen = false;
  bool FCpgGiven = false;
  std::vector<TColor> FColors;
  Integer FRed = 0, FGreen = 0, FBlue = 0;
  bool FColorGiven = false;

  AnsiString FBytes;
  TRichCharFormat FBytesFormat;
  Cardinal FBytesCodePage = 0;
  TRichParagraph FCurrent;
  TRichDocument FDoc;
};

}  // namespace

TRichDocument ReadRtf(std::string_view rtf) { return TRtfParser(rtf).Run(); }

namespace {

std::string_view SkipBlanks(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) ++i;
  return bytes.substr(i);
}

}  // namespace

bool IsRtf(std::string_view bytes) { return SkipBlanks(bytes).substr(0, 5) == "{\\rtf"; }

TRichDocument PlainTextToRichText(const WideString& text, const TRichCharFormat& format) {
  TRichDocument doc;
  doc.DefaultFormat = format;
  if (text.empty()) return doc;
  WideString unified;
  unified.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    unified += text[i] == u'\n' ? kRichParagraphBreak : text[i];
  }
  doc.Append(unified, format);
  // a final break ends the last paragraph instead of opening an empty one
  if (!unified.empty() && unified.back() == kRichParagraphBreak) doc.Paragraphs.pop_back();
  return doc;
}

TRichDocument ReadRichText(std::string_view bytes, const TRichCharFormat& plainFormat) {
  if (IsRtf(bytes)) return ReadRtf(SkipBlanks(bytes));
  return PlainTextToRichText(MultiByteToWide(AnsiString(bytes), CP_ACP), plainFormat);
}

}  // namespace orv
