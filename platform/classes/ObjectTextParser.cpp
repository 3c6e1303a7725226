// Form-description text into the binary component stream: a tokenizer over the text and a
// recursive reader of objects, properties and values that writes through TWriter.
#include <cctype>
#include <charconv>
#include <cstring>
#include <cmath>
#include "platform/classes/ObjectText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

constexpr int kMaxDepth = 256;

class TTextParser {
 public:
  TTextParser(std::string_view text, TWriter& writer) : FText(text), FW(writer) {}

  void Run() {
    FW.WriteSignature();
    SkipBlanks();
    ParseObject(0);
    SkipBlanks();
    if (FPos < FText.size()) Error("Ende der Beschreibung erwartet");
  }

 private:
  [[noreturn]] void Error(const AnsiString& what) {
    throw EParserError(Format("Zeile %d: %s", {FLine, what}));
  }

  bool AtEnd() const { return FPos >= FText.size(); }
  char Peek(size_t ahead = 0) const { return FPos + ahead < FText.size() ? FText[FPos + ahead] : '\0'; }

  void SkipBlanks() {
    while (!AtEnd()) {
      char c = FText[FPos];
      if (c == '\n') ++FLine;
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n') break;
      ++FPos;
    }
  }

  static bool IsIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
  static bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

  AnsiString Ident() {
    SkipBlanks();
    if (!IsIdentStart(Peek())) Error("Bezeichner erwartet");
    size_t start = FPos;
    while (IsIdentChar(Peek())) ++FPos;
    return AnsiString(FText.substr(start, FPos - start));
  }

  // A property path: identifiers joined by ".".
  AnsiString Path() {
    AnsiString p = Ident();
    while (Peek() == '.' && IsIdentStart(Peek(1))) {
      ++FPos;
      p += '.';
      p += Ident();
    }
    return p;
  }

  bool PeekKeyword(std::string_view word) {
    SkipBlanks();
    if (FText.size() - FPos < word.size()) return false;
    if (!SameText(FText.substr(FPos, word.size()), word)) return false;
    return !IsIdentChar(Peek(word.size()));
  }

  void Expect(char c, const char* what) {
    SkipBlanks();
    if (Peek() != c) Error(AnsiString("'") + c + "' erwartet" + (what[0] ? AnsiString(" ") + what : ""));
    ++FPos;
  }

  void ShortStr(const AnsiString& s) {
    if (s.size() > 255) Error("Bezeichner zu lang");
    FW.WriteStr(s);
  }

  void ParseObject(int depth) {
    if (depth > kMaxDepth) Error("zu tief verschachtelt");
    if (PeekKeyword("inherited") || PeekKeyword("inline")) Error("geerbte Komponenten werden nicht unterst\xFCtzt");
    if (!PeekKeyword("object")) Error("'object' erwartet");
    FPos += 6;
    AnsiString first = Ident();
    AnsiString name, cls;
    SkipBlanks();
    if (Peek() == ':') {
      ++FPos;
      name = first;
      cls = Ident();
    } else {
      cls = first;
    }
    ShortStr(cls);
    ShortStr(name);
    while (!PeekKeyword("end") && !PeekKeyword("object") && !PeekKeyword("inherited") && !PeekKeyword("inline")) {
      if (AtEnd()) Error("'end' erwartet");
      ParseProperty(depth);
    }
    FW.WriteListEnd();
    while (!PeekKeyword("end")) {
      if (AtEnd()) Error("'end' erwartet");
      ParseObject(depth + 1);
    }
    FPos += 3;
    FW.WriteListEnd();
  }

  void ParseProperty(int depth) {
    AnsiString path = Path();
    ShortStr(path);
    Expect('=', "");
    ParseValue(depth);
  }

  void ParseValue(int depth) {
    if (depth > kMaxDepth) Error("zu tief verschachtelt");
    SkipBlanks();
    char c = Peek();
    if (c == '\'' || c == '#') return ParseString();
    if (c == '-' || c == '+' || c == '$' || (c >= '0' && c <= '9')) return ParseNumber();
    if (IsIdentStart(c)) {
      AnsiString ident = Path();
      if (ident.size() > 255) Error("Bezeichner zu lang");
      FW.WriteIdent(ident);
      return;
    }
    switch (c) {
      case '[': return ParseSet();
      case '(': {
        ++FPos;
        FW.WriteListBegin();
        for (;;) {
          SkipBlanks();
          if (Peek() == ')') break;
          if (AtEnd()) Error("')' erwartet");
          ParseValue(depth + 1);
        }
        ++FPos;
        FW.WriteListEnd();
        return;
      }
      case '{': return ParseBinary();
      case '<': return ParseCollection(depth);
      default: Error("Wert erwartet");
    }
  }

  void ParseNumber() {
    bool negative = false;
    if (Peek() == '-' || Peek() == '+') {
      negative = Peek() == '-';
      ++FPos;
      SkipBlanks();
    }
    if (Peek() == '$') {
      ++FPos;
      size_t hs = FPos;
      while (std::isxdigit(static_cast<unsigned char>(Peek()))) ++FPos;
      std::uint64_t v = 0;
      auto r = std::from_chars(FText.data() + hs, FText.data() + FPos, v, 16);
      if (hs == FPos || r.ec != std::errc() || r.ptr != FText.data() + FPos) Error("Hexadezimalzahl erwartet");
      if (v > static_cast<std::uint64_t>(INT64_MAX)) Error("Zahl zu gro\xDF");
      FW.WriteInteger(negative ? -static_cast<Int64>(v) : static_cast<Int64>(v));
      return;
    }
    size_t ds = FPos;
    bool isFloat = false;
    while (std::isdigit(static_cast<unsigned char>(Peek()))) ++FPos;
    if (Peek() == '.' && std::isdigit(static_cast<unsigned char>(Peek(1)))) {
      isFloat = true;
      ++FPos;
      while (std::isdigit(static_cast<unsigned char>(Peek()))) ++FPos;
    }
    if ((Peek() == 'e' || Peek() == 'E') &&
        (std::isdigit(static_cast<unsigned char>(Peek(1))) ||
         ((Peek(1) == '+' || Peek(1) == '-') && std::isdigit(static_cast<unsigned char>(Peek(2)))))) {
      isFloat = true;
      FPos += 2;
      while (std::isdigit(static_cast<unsigned char>(Peek()))) ++FPos;
    }
    if (ds == FPos) Error("Zahl erwartet");
    std::string_view digits = FText.substr(ds, FPos - ds);
    char suffix = Peek();
    if (suffix == 's' || suffix == 'S' || suffix == 'c' || suffix == 'C' || suffix == 'd' || suffix == 'D') {
      if (!IsIdentChar(Peek(1))) { isFloat = true; ++FPos; } else suffix = '\0';
    } else {
      suffix = '\0';
    }
    if (IsIdentChar(Peek())) Error("Zahl erwartet");
    if (!isFloat) {
      std::uint64_t v = 0;
      auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v);
      if (r.ec != std::errc() || v > static_cast<std::uint64_t>(INT64_MAX)) Error("Zahl zu gro\xDF");
      FW.WriteInteger(negative ? -static_cast<Int64>(v) : static_cast<Int64>(v));
      return;
    }
    double d = 0;
    auto r = std::from_chars(digits.data(), digits.data() + digits.size(), d);
    if (r.ec != std::errc() || r.ptr != digits.data() + digits.size() || !std::isfinite(d))
      Error("Gleitkommazahl erwartet");
    if (negative) d = -d;
    switch (suffix) {
      case 's': case 'S': {
        FW.WriteValue(vaSingle);
        float f = static_cast<float>(d);
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        Byte b[4] = {Byte(bits), Byte(bits >> 8), Byte(bits >> 16), Byte(bits >> 24)};
        FW.Stream().WriteBuffer(b, 4);
        return;
      }
      case 'c': case 'C': {
        FW.WriteValue(vaCurrency);
        // The whole 64-bit range in units of 1/10000; the text of the largest value comes back
        // from a double as 2^63, which stands for that value.
        constexpr double kLimit = 9223372036854775808.0;
        const double scaled = std::round(d * 10000.0);
        if (!(scaled >= -kLimit && scaled <= kLimit)) Error("Zahl zu gro\xDF");
        const Int64 units = scaled == kLimit ? INT64_MAX : static_cast<Int64>(scaled);
        auto v = static_cast<std::uint64_t>(units);
        Byte b[8];
        for (int i = 0; i < 8; ++i) b[i] = Byte(v >> (8 * i));
        FW.Stream().WriteBuffer(b, 8);
        return;
      }
      case 'd': case 'D': {
        FW.WriteValue(vaDate);
        std::uint64_t bits;
        std::memcpy(&bits, &d, 8);
        Byte b[8];
        for (int i = 0; i < 8; ++i) b[i] = Byte(bits >> (8 * i));
        FW.Stream().WriteBuffer(b, 8);
        return;
      }
      default:
        FW.WriteFloat(d);
    }
  }

  // One string token: quoted runs (bytes in the ANSI code page) and #codes, with "+" joining
  // further tokens over lines.
  void ParseString() {
    WideString text;
    for (;;) {
      SkipBlanks();
      if (Peek() != '\'' && Peek() != '#') Error("Zeichenkette erwartet");
      while (Peek() == '\'' || Peek() == '#') {
        if (Peek() == '\'') {
          ++FPos;
          AnsiString run;
          for (;;) {
            if (AtEnd() || Peek() == '\n' || Peek() == '\r') Error("Zeichenkette nicht abgeschlossen");
            if (Peek() == '\'') {
              if (Peek(1) == '\'') { run += '\''; FPos += 2; continue; }
              ++FPos;
              break;
            }
            run += FText[FPos++];
          }
          text += AnsiToWide(run);
        } else {
          ++FPos;
          std::uint32_t code = 0;
          size_t ds = FPos;
          int base = 10;
          if (Peek() == '$') { base = 16; ++ds; ++FPos; }
          while (base == 16 ? std::isxdigit(static_cast<unsigned char>(Peek())) != 0
                            : std::isdigit(static_cast<unsigned char>(Peek())) != 0)
            ++FPos;
          auto r = std::from_chars(FText.data() + ds, FText.data() + FPos, code, base);
          if (ds == FPos || r.ec != std::errc() || code > 0x10FFFF)
            Error("Zeichencode erwartet");
          if (code > 0xFFFF) {
            code -= 0x10000;
            text += static_cast<char16_t>(0xD800 + (code >> 10));
            text += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
          } else {
            text += static_cast<char16_t>(code);
          }
        }
      }
      size_t save = FPos;
      int saveLine = FLine;
      SkipBlanks();
      if (Peek() == '+') {
        ++FPos;
        continue;
      }
      FPos = save;
      FLine = saveLine;
      break;
    }
    bool ascii = true;
    for (char16_t ch : text)
      if (ch > 0x7F) { ascii = false; break; }
    if (ascii) {
      FW.WriteString(AnsiString(text.begin(), text.end()));
      return;
    }
    bool usedDefault = false;
    AnsiString narrow = WideToMultiByte(text, CP_ACP, &usedDefault);
    if (!usedDefault && AnsiToWide(narrow) == text) FW.WriteString(narrow);
    else FW.WriteWideString(text);
  }

  void ParseSet() {
    ++FPos;
    std::vector<AnsiString> names;
    SkipBlanks();
    if (Peek() != ']') {
      for (;;) {
        AnsiString n = Ident();
        if (n.size() > 255) Error("Bezeichner zu lang");
        names.push_back(n);
        SkipBlanks();
        if (Peek() == ',') { ++FPos; continue; }
        break;
      }
    }
    Expect(']', "");
    FW.WriteSetNames(names);
  }

  void ParseBinary() {
    ++FPos;
    std::vector<Byte> data;
    int hi = -1;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Error("'}' erwartet");
      char c = FText[FPos];
      if (c == '}') break;
      int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
              : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
      if (d < 0) Error("Hexadezimalziffer erwartet");
      ++FPos;
      if (hi < 0) hi = d;
      else { data.push_back(static_cast<Byte>(hi * 16 + d)); hi = -1; }
    }
    if (hi >= 0) Error("ungerade Anzahl Hexadezimalziffern");
    ++FPos;
    FW.WriteBinary(data);
  }

  void ParseCollection(int depth) {
    ++FPos;
    FW.WriteValue(vaCollection);
    for (;;) {
      SkipBlanks();
      if (Peek() == '>') break;
      if (!PeekKeyword("item")) Error("'item' erwartet");
      FPos += 4;
      FW.WriteListBegin();
      while (!PeekKeyword("end")) {
        if (AtEnd()) Error("'end' erwartet");
        ShortStr(Path());
        Expect('=', "");
        ParseValue(depth + 1);
      }
      FPos += 3;
      FW.WriteListEnd();
    }
    ++FPos;
    FW.WriteListEnd();
  }

  std::string_view FText;
  TWriter& FW;
  size_t FPos = 0;
  int FLine = 1;
};

}  // namespace

void ObjectTextToBinary(TStream& input, TStream& output) {
  Int64 size = input.Size() - input.Position();
  AnsiString text(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) input.ReadBuffer(text.data(), size);
  TWriter writer(output);
  TTextParser(text, writer).Run();
}

AnsiString ObjectTextToBinary(std::string_view text) {
  TMemoryStream out;
  TWriter writer(out);
  TTextParser(text, writer).Run();
  return AnsiString(reinterpret_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

}  // namespace orv
