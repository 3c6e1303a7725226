// The model of the randomised dBASE differential test: table specs, the canonical text of every
// value that all readers must print, and the seeded generator of schemas and records.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dbf/DbfFieldCodec.h"
#include "dbf/DbfFieldDef.h"
#include "dbf/DbfLang.h"
#include "tests/support/ShellCommand.h"

namespace orv::dbfdiff {

inline const std::string kPyPeer = "/usr/bin/python3 " + std::string(ORV_SOURCE_DIR) + "/tests/interop/dbf_diff_peer.py";

inline std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

inline std::string TrimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// Two values side by side; long ones from a little before the first place where they differ.
inline std::string Mismatch(const std::string& expected, const std::string& got) {
  size_t at = 0;
  while (at < expected.size() && at < got.size() && expected[at] == got[at]) ++at;
  const size_t from = expected.size() > 100 || got.size() > 100 ? (at > 20 ? at - 20 : 0) : 0;
  const std::string where = from ? "from " + std::to_string(from) + " of " + std::to_string(expected.size()) + "/" + std::to_string(got.size()) + " " : "";
  return where + "expected [" + expected.substr(std::min(from, expected.size()), 100) + "] got [" + got.substr(std::min(from, got.size()), 100) + "]";
}

// Where two walks part: the first differing line of each, or nothing when they agree.
inline std::string FirstDifference(const std::vector<std::string>& got, const std::vector<std::string>& want) {
  for (size_t i = 0; i < std::max(got.size(), want.size()); ++i) {
    const std::string g = i < got.size() ? got[i] : "<end>", w = i < want.size() ? want[i] : "<end>";
    if (g != w) return "at " + std::to_string(i) + ": got [" + g + "] want [" + w + "]";
  }
  return "";
}

inline std::string DateText(int y, int m, int d) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return buf;
}

inline std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

inline std::string Double17(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

inline std::string StampText(double ms) {
  const double days = std::floor(ms / kMSecsPerDay);
  auto msOfDay = static_cast<Int64>(std::llround(ms - days * kMSecsPerDay));
  int y, m, d;
  DateOfDayNumber(static_cast<Int64>(days), y, m, d);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", y, m, d, static_cast<int>(msOfDay / 3600000),
                static_cast<int>(msOfDay / 60000 % 60), static_cast<int>(msOfDay / 1000 % 60), static_cast<int>(msOfDay % 1000));
  return buf;
}

struct TFieldSpec {
  std::string Name;
  char Type;
  int Size, Decimals;
};

// One value with its canonical text (what every reader must print) and the typed form the writer uses.
struct TValue {
  bool Null = false;
  std::string Canonical;
  std::string Text;  // 'C' and 'M': UTF-8
  Int64 Int = 0;
  double Real = 0;
};

struct TRecordSpec {
  bool Deleted = false;
  std::vector<TValue> Values;
};

struct TTableSpec {
  int Seed = 0;
  int Level = kLevelDbase4;
  Cardinal CodePage = 1252;
  Cardinal Locale = 0x409;
  std::string Encoding;  // Python's name of the code page
  std::vector<TFieldSpec> Fields;
  std::vector<TRecordSpec> Records;
  std::string Path;

  std::string Describe() const {
    std::string s = "seed " + std::to_string(Seed) + " level code " + std::to_string(Level) + " cp " + std::to_string(CodePage) + ":";
    for (const auto& f : Fields) s += " " + f.Name + ":" + f.Type + ":" + std::to_string(f.Size) + ":" + std::to_string(f.Decimals);
    return s;
  }
  std::vector<std::string> LiveRows() const {
    std::vector<std::string> rows;
    for (const auto& r : Records) {
      if (r.Deleted) continue;
      std::string line;
      for (size_t i = 0; i < r.Values.size(); ++i) line += (i ? "\t" : "") + r.Values[i].Canonical;
      rows.push_back(line);
    }
    return rows;
  }
  size_t DeletedCount() const {
    return static_cast<size_t>(std::count_if(Records.begin(), Records.end(), [](const TRecordSpec& r) { return r.Deleted; }));
  }
};

// The code pages a table may carry at each level, with the locale that selects the driver.
struct TCodePageChoice {
  Cardinal CodePage, Locale;
  const char* Encoding;
};
inline const std::vector<TCodePageChoice> kDbaseCodePages = {
    {437, 0x409, "cp437"}, {850, 0x407, "cp850"}, {852, 0x405, "cp852"}, {866, 0x419, "cp866"}, {1252, 0x809, "cp1252"}};
inline const std::vector<TCodePageChoice> kFoxProCodePages = {
    {437, 0x409, "cp437"},   {850, 0x809, "cp850"},   {1252, 0x809, "cp1252"}, {1250, 0x405, "cp1250"},
    {1251, 0x419, "cp1251"}, {866, 0x419, "cp866"},   {1253, 0x408, "cp1253"}, {1254, 0x41F, "cp1254"}};

class TGenerator {
 public:
  explicit TGenerator(std::uint32_t seed) : FRng(seed) {}

  // What a peer writer cannot store as it is given: leading blanks of texts (the dbf package
  // strips them), years below 1000 (XBase writes them without leading zeros).
  // The dbf package's dBASE III numbers hold at most 19 characters.
  bool LeadingBlanks = true;
  int MinYear = 1;
  int MaxNumberSize = 20;
  // The dbf package writes character fields up to 254 characters and strips no-break spaces
  // from the ends of texts as it strips blanks.
  int MaxCharSize = 700;
  bool NoBreakSpace = true;
  // Texts the application can hand over: only characters its ANSI code page holds too.
  bool AnsiOnly = false;
  // The dbf package and XBase write whole numbers through a double: at most 15 digits survive.
  int MaxWholeDigits = 18;
  // The dbf package refuses a negative number with decimals that fills its field.
  int NegativeSpare = 0;

  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(FRng); }
  bool Chance(int percent) { return Int(1, 100) <= percent; }

  // The characters of a code page that stand for one character each way and that the Python
  // peers' tables map alike: printable ASCII and the upper half's letters and signs.
  static std::vector<std::string> Repertoire(Cardinal cp, const std::string& encoding) {
    static std::map<std::string, std::vector<std::string>> peerMaps;
    if (peerMaps.empty()) {
      std::string command = kPyPeer + " charmap";
      for (const auto& c : kFoxProCodePages) command += std::string(" ") + c.Encoding;
      for (const auto& c : kDbaseCodePages) command += std::string(" ") + c.Encoding;
      std::istringstream in(test::RunChecked(command + " 2>&1"));
      std::string line;
      while (std::getline(in, line)) {
        std::istringstream cells(line);
        std::string name, cell;
        cells >> name;
        while (cells >> cell) {
          std::string utf8;
          for (size_t i = 0; cell != "-" && i + 1 < cell.size(); i += 2)
            utf8 += static_cast<char>(std::stoi(cell.substr(i, 2), nullptr, 16));
          peerMaps[name].push_back(utf8);
        }
      }
    }
    const auto& peer = peerMaps[encoding];
    std::vector<std::string> chars;
    for (int b = 0x20; b < 0x7F; ++b) chars.emplace_back(1, static_cast<char>(b));
    for (int b = 0x80; b <= 0xFF; ++b) {
      std::string one(1, static_cast<char>(b));
      std::string utf8 = ConvertText(cp, 65001, one);
      if (utf8.empty() || utf8 == "?" || ConvertText(65001, cp, utf8) != one) continue;
      if (peer.size() != 128 || peer[static_cast<size_t>(b - 0x80)] != utf8) continue;
      const unsigned char lead = static_cast<unsigned char>(utf8[0]);
      // Box drawing, controls and the like are left out.
      if (lead == 0xC2 && static_cast<unsigned char>(utf8[1]) < 0xA0) continue;
      if (lead >= 0xE2) continue;
      chars.push_back(utf8);
    }
    return chars;
  }

  std::string Text(const std::vector<std::string>& repertoire, int length) {
    std::string s;
    for (int i = 0; i < length; ++i) s += repertoire[static_cast<size_t>(Int(0, static_cast<int>(repertoire.size()) - 1))];
    return s;
  }

  TTableSpec Table(int seed, int level, bool foxPro, bool withMemo = false, std::string types = "") {
    TTableSpec t;
    t.Seed = seed;
    t.Level = level;
    const auto& pages = foxPro ? kFoxProCodePages : kDbaseCodePages;
    const TCodePageChoice& cp = level == kLevelDbase3 ? TCodePageChoice{1252, 0x409, "cp1252"}
                                                      : pages[static_cast<size_t>(Int(0, static_cast<int>(pages.size()) - 1))];
    t.CodePage = cp.CodePage;
    t.Locale = cp.Locale;
    t.Encoding = cp.Encoding;
    if (types.empty()) types = level == kLevelDbase3 ? "CNLDM" : level == kLevelDbase7 ? "CNFLDMIO@+" : "CNFLDM";
    const int fieldCount = Int(1, 10);
    bool autoInc = false;
    for (int i = 0; i < fieldCount; ++i) {
      TFieldSpec f;
      f.Type = types[static_cast<size_t>(Int(0, static_cast<int>(types.size()) - 1))];
      if (f.Type == '+' && autoInc) f.Type = 'I';
      autoInc |= f.Type == '+';
      f.Name = std::string(1, f.Type == '@' ? 'S' : f.Type == '+' ? 'A' : f.Type) + "F" + std::to_string(i);
      f.Decimals = 0;
      switch (f.Type) {
        // Above 255 the descriptor keeps the size's high byte in its decimals byte.
        case 'C': f.Size = Chance(15) ? std::min(254, MaxCharSize) : Chance(20) ? 1 : MaxCharSize > 255 && Chance(10) ? Int(255, MaxCharSize) : Int(1, 40); break;
        case 'N':
        case 'F':
          f.Size = Chance(15) ? MaxNumberSize : Int(1, MaxNumberSize);
          if (f.Size >= 3 && Chance(50)) f.Decimals = Int(1, std::min(f.Size - 2, 14));
          break;
        case 'L': f.Size = 1; break;
        case 'D':
        case 'O':
        case '@': f.Size = 8; break;
        case 'I':
        case '+': f.Size = 4; break;
        default: f.Size = 10; break;
      }
      t.Fields.push_back(f);
    }
    if (withMemo && std::none_of(t.Fields.begin(), t.Fields.end(), [](const TFieldSpec& f) { return f.Type == 'M'; }))
      t.Fields.push_back({"MEMO", 'M', 10, 0});
    auto repertoire = Repertoire(t.CodePage, t.Encoding);
    if (!NoBreakSpace) std::erase(repertoire, std::string("\xC2\xA0"));
    if (AnsiOnly)
      std::erase_if(repertoire, [](const std::string& c) {
        const Cardinal ansi = DbfGlobals().SystemCodePage;
        return ConvertText(ansi, 65001, ConvertText(65001, ansi, c)) != c;
      });
    const int recordCount = Int(0, 12);
    for (int r = 0; r < recordCount; ++r) {
      TRecordSpec rec;
      rec.Deleted = Chance(15);
      for (const auto& f : t.Fields) rec.Values.push_back(Value(f, repertoire, r + 1));
      t.Records.push_back(std::move(rec));
    }
    return t;
  }

  TValue Value(const TFieldSpec& f, const std::vector<std::string>& repertoire, int recNo) {
    TValue v;
    switch (f.Type) {
      case 'C': {
        const int len = Chance(20) ? f.Size : Chance(15) ? 0 : Int(1, f.Size);
        std::string s = Text(repertoire, len);
        if (LeadingBlanks && len > 2 && Chance(15)) s = " " + Text(repertoire, len - 1);
        if (!LeadingBlanks) s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
        v.Text = s;
        v.Canonical = Escape(TrimRight(s));
        return v;
      }
      case 'N':
      case 'F': return Number(f);
      case 'L':
        if (Chance(20)) return Null();
        v.Int = Chance(50);
        v.Canonical = v.Int ? "T" : "F";
        return v;
      case 'D': {
        if (Chance(15)) return Null();
        static const int kEdges[][3] = {{1, 1, 1}, {9999, 12, 31}, {2000, 2, 29}, {1900, 2, 28}, {1970, 1, 1}};
        int y = Int(MinYear, 9999), m = Int(1, 12), d = Int(1, 28);
        if (Chance(25)) {
          const auto& e = kEdges[Int(0, 4)];
          if (e[0] >= MinYear) y = e[0], m = e[1], d = e[2];
        }
        v.Int = DayNumberOf(y, m, d);
        v.Canonical = DateText(y, m, d);
        return v;
      }
      case 'M': {
        if (Chance(15)) return Null('M');
        static const int kLengths[] = {1, 503, 504, 505, 510, 511, 512, 1024, 3000};
        const int len = Chance(35) ? kLengths[Int(0, 8)] : Int(1, 80);
        std::string s = len > 10 && Chance(50) ? Text(repertoire, len / 2) + "\r\n" + Text(repertoire, len - len / 2 - 2)
                                               : Text(repertoire, len);
        v.Text = s;
        v.Canonical = Escape(s);
        return v;
      }
      case 'I': {
        if (Chance(15)) return Null();
        static const Int64 kEdges[] = {0, -1, 1, 2147483647, -2147483647};
        v.Int = Chance(30) ? kEdges[Int(0, 4)] : std::uniform_int_distribution<Int64>(-2147483647, 2147483647)(FRng);
        v.Canonical = std::to_string(v.Int);
        return v;
      }
      case '+':
        v.Int = recNo;
        v.Canonical = std::to_string(recNo);
        return v;
      case 'O': {
        if (Chance(15)) return Null();
        static const double kEdges[] = {0.0, 1.0, -1.0, 1e300, -1e-300, 0.1, -123456.789};
        v.Real = Chance(30) ? kEdges[Int(0, 6)]
                            : std::ldexp(std::uniform_real_distribution<double>(-1, 1)(FRng), Int(-60, 60));
        v.Canonical = Double17(v.Real);
        return v;
      }
      case '@': {
        if (Chance(15)) return Null();
        const int y = Int(1, 9999), m = Int(1, 12), d = Int(1, 28);
        v.Real = DayNumberOf(y, m, d) * kMSecsPerDay + Int(0, 86399999);
        v.Canonical = StampText(v.Real);
        return v;
      }
      default: return Null();
    }
  }

 private:
  static TValue Null(char type = 0) {
    TValue v;
    v.Null = true;
    // A memo field without a memo reads as an empty memo.
    v.Canonical = type == 'M' ? "" : "<null>";
    return v;
  }

  // A number that fits the field: a sign and at most Size characters, at most 15 significant
  // digits with decimals and 18 without.
  TValue Number(const TFieldSpec& f) {
    if (Chance(12)) return Null();
    TValue v;
    const bool negative = f.Size >= 2 + NegativeSpare + (f.Decimals ? f.Decimals + 1 : 0) && Chance(40);
    int room = f.Size - (negative ? 1 + NegativeSpare : 0) - (f.Decimals ? f.Decimals + 1 : 0);
    // 'F' fields are floating-point to the peers: whole numbers keep 15 digits there too.
    room = std::min(room, f.Decimals || f.Type == 'F' ? 15 - f.Decimals : MaxWholeDigits);
    const int intDigits = Chance(20) ? room : Int(1, std::max(room, 1));
    std::string digits;
    for (int i = 0; i < intDigits; ++i) digits += Chance(20) ? '9' : static_cast<char>('0' + Int(0, 9));
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    std::string frac;
    for (int i = 0; i < f.Decimals; ++i) frac += static_cast<char>('0' + Int(0, 9));
    const bool zero = digits == "0" && frac.find_first_not_of('0') == std::string::npos;
    std::string text = (negative && !zero ? "-" : "") + digits + (f.Decimals ? "." + frac : "");
    v.Canonical = text;
    v.Real = std::strtod(text.c_str(), nullptr);
    v.Int = std::strtoll(text.c_str(), nullptr, 10);
    return v;
  }

  std::mt19937 FRng;
};

// The generic type this engine reads a field as (no float fields).
inline TFieldType GenericOf(const TFieldSpec& f) {
  switch (f.Type) {
    case 'C': return ftString;
    case 'N':
    case 'F': return f.Decimals > 0 ? ftFloat : f.Size <= 4 ? ftSmallint : f.Size > 9 ? ftLargeint : ftInteger;
    case 'L': return ftBoolean;
    case 'D': return ftDate;
    case '@': return ftDateTime;
    case 'I': return ftInteger;
    case '+': return ftAutoInc;
    case 'O': return ftFloat;
    default: return ftMemo;
  }
}

}  // namespace orv::dbfdiff
