// The binary component stream back into form-description text, and the text-level reading and
// writing of components built on the two conversions.
#include <charconv>
#include <cmath>
#include "platform/classes/ObjectText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

constexpr int kMaxDepth = 256;
constexpr size_t kStringPiece = 64;
constexpr size_t kBinaryLine = 32;

class TTextWriter {
 public:
  TTextWriter(TReader& reader, AnsiString& out) : R(reader), Out(out) {}

  void Run() {
    R.ReadSignature();
    Object(0);
  }

 private:
  // Names in the text must read back as names: identifiers, joined by "." where allowed.
  static const AnsiString& CheckName(const AnsiString& name, bool dotted, bool emptyAllowed) {
    auto start = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    auto part = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= '0' && c <= '9'); };
    if (name.empty()) {
      if (emptyAllowed) return name;
      throw EReadError(SInvalidImage);
    }
    bool atStart = true;
    for (char c : name) {
      if (atStart) {
        if (!start(c)) throw EReadError(SInvalidImage);
        atStart = false;
      } else if (c == '.' && dotted) {
        atStart = true;
      } else if (!part(c)) {
        throw EReadError(SInvalidImage);
      }
    }
    if (atStart) throw EReadError(SInvalidImage);
    return name;
  }

  void Line(int indent, const AnsiString& text) {
    Out.append(static_cast<size_t>(indent), ' ');
    Out += text;
    Out += '\n';
  }

  void Object(int indent) {
    if (indent / 2 > kMaxDepth) throw EReadError(SInvalidImage);
    R.ReadPrefix();
    AnsiString cls = CheckName(R.ReadStr(), false, false);
    AnsiString name = CheckName(R.ReadStr(), false, true);
    Line(indent, "object " + (name.empty() ? cls : name + ": " + cls));
    while (!R.EndOfList()) Property(indent + 2);
    R.ReadListEnd();
    while (!R.EndOfList()) Object(indent + 2);
    R.ReadListEnd();
    Line(indent, "end");
  }

  void Property(int indent) {
    AnsiString name = CheckName(R.ReadStr(), true, false);
    Out.append(static_cast<size_t>(indent), ' ');
    Out += name;
    Out += " =";
    Value(indent, 0);
    Out += '\n';
  }

  static AnsiString Quote(std::u16string_view s) {
    AnsiString out;
    bool inQuote = false;
    for (char16_t c : s) {
      if (c >= 0x20 && c < 0x7F) {
        if (!inQuote) { out += '\''; inQuote = true; }
        if (c == '\'') out += "''";
        else out += static_cast<char>(c);
      } else {
        if (inQuote) { out += '\''; inQuote = false; }
        out += '#';
        out += IntToStr(c);
      }
    }
    if (inQuote) out += '\'';
    if (out.empty()) out = "''";
    return out;
  }

  void Text(int indent, const WideString& s) {
    if (s.size() <= kStringPiece) {
      Out += ' ';
      Out += Quote(s);
      return;
    }
    for (size_t i = 0; i < s.size(); i += kStringPiece) {
      Out += '\n';
      Out.append(static_cast<size_t>(indent + 2), ' ');
      Out += Quote(std::u16string_view(s).substr(i, kStringPiece));
      if (i + kStringPiece < s.size()) Out += " +";
    }
  }

  static AnsiString FloatText(double d) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, d);
    AnsiString s(buf, r.ptr);
    if (s.find_first_of(".e") == AnsiString::npos) s += ".0";
    return s;
  }

  // Writes the value after "Name =" (a leading blank where the value stays on that line).
  void Value(int indent, int depth) {
    if (depth > kMaxDepth) throw EReadError(SInvalidImage);
    switch (R.NextValue()) {
      case vaList: {
        R.ReadValue();
        Out += " (";
        bool any = false;
        while (!R.EndOfList()) {
          Out += '\n';
          Out.append(static_cast<size_t>(indent + 2), ' ');
          size_t mark = Out.size();
          Value(indent + 2, depth + 1);
          // Items start their own line: drop the blank a value puts before itself.
          if (Out.size() > mark && Out[mark] == ' ') Out.erase(mark, 1);
          any = true;
        }
        R.ReadListEnd();
        Out += ")";
        (void)any;
        return;
      }
      case vaInt8: case vaInt16: case vaInt32: case vaInt64:
        Out += ' ';
        Out += IntToStr(R.ReadInt64());
        return;
      case vaExtended:
        Out += ' ';
        Out += FloatText(R.ReadFloat());
        return;
      case vaSingle:
        Out += ' ';
        Out += FloatText(static_cast<float>(R.ReadFloat())) + "s";
        return;
      case vaCurrency:
        Out += ' ';
        Out += FloatText(R.ReadFloat()) + "c";
        return;
      case vaDate:
        Out += ' ';
        Out += FloatText(R.ReadFloat()) + "d";
        return;
      case vaString: case vaLString:
        Text(indent, AnsiToWide(R.ReadString()));
        return;
      case vaWString: case vaUTF8String:
        Text(indent, R.ReadWideString());
        return;
      case vaIdent: case vaFalse: case vaTrue: case vaNil:
        Out += ' ';
        Out += CheckName(R.ReadIdent(), true, false);
        return;
      case vaSet: {
        Out += " [";
        bool first = true;
        for (const AnsiString& n : R.ReadSetNames()) {
          if (!first) Out += ", ";
          Out += CheckName(n, false, false);
          first = false;
        }
        Out += ']';
        return;
      }
      case vaBinary: {
        std::vector<Byte> data = R.ReadBinary();
        static const char* hex = "0123456789ABCDEF";
        Out += " {";
        for (size_t i = 0; i < data.size(); ++i) {
          if (i % kBinaryLine == 0) {
            Out += '\n';
            Out.append(static_cast<size_t>(indent + 2), ' ');
          }
          Out += hex[data[i] >> 4];
          Out += hex[data[i] & 15];
        }
        Out += '}';
        return;
      }
      case vaCollection: {
        R.ReadValue();
        Out += " <";
        while (!R.EndOfList()) {
          if (R.NextValue() != vaList) R.ReadInt64();  // an order index, not kept in text
          R.ReadListBegin();
          Out += '\n';
          Line(indent + 2, "item");
          while (!R.EndOfList()) Property(indent + 4);
          R.ReadListEnd();
          Out.append(static_cast<size_t>(indent + 2), ' ');
          Out += "end";
        }
        R.ReadListEnd();
        Out += '>';
        return;
      }
      case vaNull:
        throw EReadError(SInvalidImage);
    }
  }

  TReader& R;
  AnsiString& Out;
};

}  // namespace

void ObjectBinaryToText(TStream& input, TStream& output) {
  AnsiString text;
  TReader reader(input);
  TTextWriter(reader, text).Run();
  if (!text.empty()) output.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
}

AnsiString ObjectBinaryToText(std::string_view binary) {
  TMemoryStream in;
  if (!binary.empty()) in.WriteBuffer(binary.data(), static_cast<Int64>(binary.size()));
  in.SetPosition(0);
  AnsiString text;
  TReader reader(in);
  TTextWriter(reader, text).Run();
  return text;
}

TComponent* ReadComponentFromText(std::string_view text, TComponent* instance) {
  AnsiString binary = ObjectTextToBinary(text);
  TMemoryStream in;
  in.WriteBuffer(binary.data(), static_cast<Int64>(binary.size()));
  in.SetPosition(0);
  return ReadComponentFromStream(in, instance);
}

AnsiString WriteComponentToText(TComponent* instance, TComponent* ancestor) {
  TMemoryStream out;
  WriteComponentToStream(out, instance, ancestor);
  return ObjectBinaryToText(std::string_view(reinterpret_cast<const char*>(out.Memory()),
                                             static_cast<size_t>(out.Size())));
}

}  // namespace orv
