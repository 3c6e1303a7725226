// Format: "%[index:][-][width][.prec]type" over a list of typed arguments.
#include "platform/rtl/Format.h"

#include <charconv>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/FloatDigits.h"
#include "platform/rtl/LocaleFormats.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

TVarRec::TVarRec(const WideString& v) : Value(WideToAnsi(v)) {}
TVarRec::TVarRec(const char16_t* v) : Value(WideToAnsi(v ? WideString(v) : WideString())) {}

namespace {

// Widths and precisions beyond this are refused rather than allocated.
constexpr Int64 kMaxWidth = 1 << 20;

struct TFormatter {
  std::string_view Fmt;
  const TVarRec* Args;
  std::size_t ArgCount;
  std::size_t Pos = 0;
  std::size_t NextArg = 0;

  [[noreturn]] void Invalid() const {
    throw EConvertError("Format '" + AnsiString(Fmt) + "' invalid or incompatible with argument");
  }

  const TVarRec& TakeArg() {
    if (NextArg >= ArgCount) Invalid();
    return Args[NextArg++];
  }

  Int64 TakeIntArg() {
    const auto* v = std::get_if<Int64>(&TakeArg().Value);
    if (!v) Invalid();
    return *v;
  }

  // A number or '*'; false when neither is there.
  bool ReadNumber(Int64& n) {
    if (Pos < Fmt.size() && Fmt[Pos] == '*') {
      ++Pos;
      n = TakeIntArg();
      return true;
    }
    if (Pos >= Fmt.size() || Fmt[Pos] < '0' || Fmt[Pos] > '9') return false;
    n = 0;
    while (Pos < Fmt.size() && Fmt[Pos] >= '0' && Fmt[Pos] <= '9') {
      n = n * 10 + (Fmt[Pos++] - '0');
      if (n > kMaxWidth) Invalid();
    }
    return true;
  }

  AnsiString Directive() {
    ++Pos;   // '%'
    if (Pos >= Fmt.size()) Invalid();
    if (Fmt[Pos] == '%') {
      ++Pos;
      return "%";
    }
    bool left = false;
    Int64 width = -1, prec = -1;
    std::size_t save = Pos, argSave = NextArg;
    Int64 index = 0;
    if (ReadNumber(index) && Pos < Fmt.size() && Fmt[Pos] == ':') {
      if (index < 0) Invalid();
      ++Pos;
      NextArg = static_cast<std::size_t>(index);
    } else {
      Pos = save;   // it was a width: read again below, after a possible '-'
      NextArg = argSave;
    }
    if (Pos < Fmt.size() && Fmt[Pos] == '-') {
      left = true;
      ++Pos;
    }
    if (ReadNumber(width) && width < 0) {   // a negative '*' width justifies to the left
      left = true;
      width = -width;
    }
    if (width > kMaxWidth) Invalid();
    if (Pos < Fmt.size() && Fmt[Pos] == '.') {
      ++Pos;
      if (!ReadNumber(prec)) prec = 0;
      if (prec < 0 || prec > kMaxWidth) Invalid();
    }
    if (Pos >= Fmt.size()) Invalid();
    char type = Fmt[Pos++];
    if (type >= 'a' && type <= 'z') type = static_cast<char>(type - 32);
    AnsiString text = Convert(type, prec);
    if (width > static_cast<Int64>(text.size())) {
      auto pad = static_cast<std::size_t>(width) - text.size();
      if (left) text.append(pad, ' ');
      else text.insert(0, pad, ' ');
    }
    return text;
  }

  AnsiString Convert(char type, Int64 prec) {
    const TVarRec& arg = TakeArg();
    const TLocaleFormats& loc = CurrentLocaleFormats();
    switch (type) {
      case 'D': case 'U': case 'X': {
        const auto* v = std::get_if<Int64>(&arg.Value);
        if (!v) Invalid();
        bool negative = false;
        AnsiString digits;
        if (type == 'D') {
          negative = *v < 0;
          std::uint64_t mag = negative ? 0 - static_cast<std::uint64_t>(*v) : static_cast<std::uint64_t>(*v);
          digits = std::to_string(mag);
        } else {
          std::uint64_t u = arg.Is64 ? static_cast<std::uint64_t>(*v) : static_cast<std::uint32_t>(*v);
          digits = type == 'U' ? std::to_string(u) : IntToHex(u, 0);
        }
        if (prec > static_cast<Int64>(digits.size())) digits.insert(0, static_cast<std::size_t>(prec) - digits.size(), '0');
        return negative ? "-" + digits : digits;
      }
      case 'E': case 'F': case 'G': case 'N': case 'M': {
        const auto* v = std::get_if<double>(&arg.Value);
        if (!v) Invalid();
        char sep = loc.DecimalSeparator;
        switch (type) {
          case 'E': return FormatFloatExponent(*v, prec < 0 ? 15 : static_cast<int>(prec), 3, sep);
          case 'G': return FormatFloatGeneral(*v, prec < 0 ? 15 : static_cast<int>(prec), 0, sep);
          case 'F': return FormatFloatFixed(*v, prec < 0 ? 2 : static_cast<int>(prec), sep, 0);
          case 'N': return FormatFloatFixed(*v, prec < 0 ? 2 : static_cast<int>(prec), sep, loc.ThousandSeparator);
          default: return Currency(*v, prec < 0 ? 2 : static_cast<int>(prec), loc);
        }
      }
      case 'S': {
        const auto* v = std::get_if<AnsiString>(&arg.Value);
        if (!v) Invalid();
        if (prec >= 0 && prec < static_cast<Int64>(v->size())) return v->substr(0, static_cast<std::size_t>(prec));
        return *v;
      }
      case 'P': {
        const auto* v = std::get_if<const void*>(&arg.Value);
        if (!v) Invalid();
        return IntToHex(reinterpret_cast<std::uintptr_t>(*v), 2 * static_cast<int>(sizeof(void*)));
      }
      default:
        Invalid();
    }
  }

  static AnsiString Currency(double v, int decimals, const TLocaleFormats& loc) {
    AnsiString num = FormatFloatFixed(v < 0 ? -v : v, decimals, loc.DecimalSeparator, loc.ThousandSeparator);
    bool negative = v < 0 && num.find_first_not_of("0,.' \xA0") != AnsiString::npos;
    // 0x409 writes "$1.00" and "($1.00)"; the euro locales "1,00 \x80" and "-1,00 \x80".
    if (loc.Lcid == 0x409 || loc.Lcid == 0xC09 || loc.Lcid == 0x1009)
      return negative ? "($" + num + ")" : "$" + num;
    if (loc.Lcid == 0x809) return (negative ? "-\xA3" : "\xA3") + num;
    if (loc.Lcid == 0x807 || loc.Lcid == 0x100C) return (negative ? "SFr. -" : "SFr. ") + num;
    return (negative ? "-" : "") + num + " \x80";
  }

  AnsiString Run() {
    AnsiString out;
    while (Pos < Fmt.size()) {
      auto p = Fmt.find('%', Pos);
      if (p == std::string_view::npos) {
        out.append(Fmt.substr(Pos));
        break;
      }
      out.append(Fmt.substr(Pos, p - Pos));
      Pos = p;
      out += Directive();
    }
    return out;
  }
};

}  // namespace

AnsiString Format(std::string_view format, std::initializer_list<TVarRec> args) {
  TFormatter f{format, args.begin(), args.size()};
  return f.Run();
}

}  // namespace orv
