// dBASE tables against third-party readers and writers: tables written here are read by the peers
// with the same values, and tables the peers write are read here.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "dbf/DbfFile.h"
#include "dbf/DbfLang.h"
#include "dbf/DbfTable.h"
#include "platform/rtl/DateTime.h"
#include "tests/support/ShellCommand.h"

namespace orv {
namespace {

const std::string kPeer = "/usr/bin/python3 " + std::string(ORV_SOURCE_DIR) + "/tests/interop/dbf_peer.py";

std::string RunPeer(const std::string& command) { return test::RunChecked(command + " 2>&1"); }

std::vector<std::string> Lines(const std::string& text, bool dropFieldLine = true) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line))
    if (!(dropFieldLine && line.rfind("#fields", 0) == 0)) lines.push_back(line);
  return lines;
}

std::string Number(double v) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 10);
  (void)ec;
  return std::string(buf, end);
}

std::string Escape(std::string s) {
  std::string out;
  for (char c : s) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else out += c;
  }
  return out;
}

// The rows, with text in the ANSI code page 1252 as the application holds it.
struct TRow {
  std::string Name, City;
  std::int64_t Qty;
  double Price;
  double Rate;
  int Year, Month, Day;
  bool Ok;
  std::string Note;
};

const std::vector<TRow>& Rows() {
  static const std::vector<TRow> rows = {
      {"Anna", "M\xFCller", 12, 3.25, 1.125, 2024, 2, 29, true, "first memo"},
      {"Bj\xF6rn", "Stra\xDF" "e", -7, -0.5, -42.5, 1999, 12, 31, false, "line one\r\nline two " + std::string(600, 'x')},
      {"", "", 0, 0.0, 0.001, 2000, 1, 1, true, "m"},
  };
  return rows;
}

std::string Utf8(const std::string& ansi) { return ConvertText(1252, 65001, ansi); }

std::string DateText(int y, int m, int d, char sep) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%c%02d%c%02d", y, sep, m, sep, d);
  return buf;
}

std::string Canonical(const TRow& r, bool memo) {
  std::string line = Utf8(r.Name) + "\t" + Utf8(r.City) + "\t" + Number(static_cast<double>(r.Qty)) + "\t" +
                     Number(r.Price) + "\t" + Number(r.Rate) + "\t" + DateText(r.Year, r.Month, r.Day, '-') + "\t" + (r.Ok ? "T" : "F");
  if (memo) line += "\t" + Escape(Utf8(r.Note));
  return line;
}

class DbfInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/orv_dbfinterop_XXXXXX";
    Dir = mkdtemp(tmpl);
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }

  // Writes the rows through the table file; text goes into the table's own code page as the
  // data set converts it.
  void WriteOurs(const std::string& path, int level, bool memo) {
    TDbfFieldDefs defs;
    defs.TableLevel = level;
    struct TSpec { const char* Name; char Type; Integer Size, Decimals; };
    std::vector<TSpec> specs = {{"NAME", 'C', 20, 0}, {"CITY", 'C', 30, 0}, {"QTY", 'N', 6, 0},
                                {"PRICE", 'N', 10, 2}, {"RATE", 'F', 8, 3}, {"BORN", 'D', 8, 0}, {"OK", 'L', 1, 0}};
    if (memo) specs.push_back({"NOTE", 'M', 10, 0});
    for (const auto& s : specs) {
      TDbfFieldDef& d = defs.Add();
      d.SetFieldName(s.Name);
      d.SetSize(s.Size);
      d.SetPrecision(s.Decimals);
      d.SetNativeFieldType(s.Type);
      d.SetSize(s.Size);
      d.SetPrecision(s.Decimals);
    }
    TDbfFile t(path);
    t.SetMode(pfReadWriteCreate);
    t.SetTableLevelCode(level);
    t.OpenDbfFile();
    t.FinishCreate(defs, 512);
    for (const TRow& r : Rows()) {
      std::vector<Byte> rec(static_cast<size_t>(t.RecordSize()));
      t.BlankRecord(rec.data());
      std::string name = ConvertText(1252, t.UseCodePage(), r.Name), city = ConvertText(1252, t.UseCodePage(), r.City);
      t.EncodeFieldValue(0, ftString, rec.data(), name.c_str());
      t.EncodeFieldValue(1, ftString, rec.data(), city.c_str());
      t.EncodeFieldValue(2, ftLargeint, rec.data(), &r.Qty);
      t.EncodeFieldValue(3, ftFloat, rec.data(), &r.Price);
      t.EncodeFieldValue(4, ftFloat, rec.data(), &r.Rate);
      std::int32_t day = DayNumberOf(r.Year, r.Month, r.Day);
      t.EncodeFieldValue(5, ftDate, rec.data(), &day);
      std::int16_t ok = r.Ok;
      t.EncodeFieldValue(6, ftBoolean, rec.data(), &ok);
      if (memo) {
        Integer block = 0;
        t.MemoFile()->WriteMemo(block, 0, ConvertText(1252, t.UseCodePage(), r.Note));
        t.EncodeFieldValue(7, ftInteger, rec.data(), &block);
      }
      t.InsertRecord(rec.data());
    }
  }

  // Reads a table here into the canonical lines of the peer script.
  std::vector<std::string> ReadOurs(const std::string& path) {
    TDbfFile t(path);
    t.SetMode(pfReadOnly);
    t.OpenDbfFile();
    EXPECT_TRUE(t.Opened()) << path;
    std::vector<std::string> lines;
    std::vector<Byte> rec(static_cast<size_t>(t.RecordSize()));
    for (Integer n = 1; n <= t.RecordCount(); ++n) {
      EXPECT_EQ(t.ReadRecord(n, rec.data()), t.RecordSize());
      if (rec[0] == '*') continue;
      std::string line;
      for (size_t f = 0; f < t.FieldDefs().Count(); ++f) {
        const TDbfFieldDef& def = t.FieldDefs()[f];
        if (f) line += "\t";
        const Integer i = static_cast<Integer>(f);
        std::string value = "<null>";
        if (def.IsBlob()) {
          std::int32_t block = 0;
          if (t.DecodeFieldValue(i, ftInteger, &block, rec.data()) && t.MemoFile())
            value = Escape(Utf8(ConvertText(t.UseCodePage(), 1252, t.MemoFile()->ReadMemo(block))));
        } else {
          switch (def.FieldType()) {
            case ftString: {
              std::vector<char> s(static_cast<size_t>(def.Size()) + 1);
              t.DecodeFieldValue(i, ftString, s.data(), rec.data());
              value = Utf8(ConvertText(t.UseCodePage(), 1252, s.data()));
              break;
            }
            case ftSmallint: { std::int16_t v; if (t.DecodeFieldValue(i, ftSmallint, &v, rec.data())) value = Number(v); break; }
            case ftInteger: { std::int32_t v; if (t.DecodeFieldValue(i, ftInteger, &v, rec.data())) value = Number(v); break; }
            case ftLargeint: { std::int64_t v; if (t.DecodeFieldValue(i, ftLargeint, &v, rec.data())) value = Number(static_cast<double>(v)); break; }
            case ftFloat: { double v; if (t.DecodeFieldValue(i, ftFloat, &v, rec.data())) value = Number(v); break; }
            case ftBoolean: { std::int16_t v; if (t.DecodeFieldValue(i, ftBoolean, &v, rec.data())) value = v ? "T" : "F"; break; }
            case ftDate: {
              std::int32_t day;
              if (t.DecodeFieldValue(i, ftDate, &day, rec.data())) {
                int y, m, d;
                DateOfDayNumber(day, y, m, d);
                value = DateText(y, m, d, '-');
              }
              break;
            }
            default: value = "?";
          }
        }
        line += value;
      }
      lines.push_back(line);
    }
    return lines;
  }

  std::vector<std::string> Expected(bool memo) {
    std::vector<std::string> lines;
    for (const TRow& r : Rows()) lines.push_back(Canonical(r, memo));
    return lines;
  }

  std::string Dir;
};

TEST_F(DbfInterop, OurTablesReadByPythonPeers) {
  struct TCase { int Level; const char* Peer; };
  const TCase cases[] = {{kLevelDbase3, "read-dbfread"}, {kLevelDbase4, "read-dbfread"}, {kLevelFoxPro, "read-dbfread"},
                         {kLevelDbase3, "read-dbf"},     {kLevelFoxPro, "read-dbf"}};
  for (const auto& c : cases) {
    std::string path = Dir + "/ours" + std::to_string(c.Level) + ".dbf";
    if (!std::filesystem::exists(path)) WriteOurs(path, c.Level, true);
    // A level-III table carries no language driver; the peer is told the code page.
    std::string codePage = c.Level == kLevelDbase3 ? " cp1252" : "";
    auto lines = Lines(RunPeer(kPeer + " " + c.Peer + " " + path + codePage));
    EXPECT_EQ(lines, Expected(true)) << c.Peer << " at level code " << c.Level;
  }
}

TEST_F(DbfInterop, OurTablesReadByOgrAndDbfdump) {
  for (int level : {kLevelDbase3, kLevelDbase4}) {
    std::string path = Dir + "/plain" + std::to_string(level) + ".dbf";
    WriteOurs(path, level, false);
    // ogrinfo: one "  FIELD (Type) = value" line per field, text recoded to UTF-8 by the driver byte.
    std::vector<std::map<std::string, std::string>> features;
    // Without a language driver (level III) the peer is told the code page.
    std::string encoding = level == kLevelDbase3 ? " --config SHAPE_ENCODING CP1252" : "";
    for (const auto& line : Lines(RunPeer("ogrinfo -ro -al -q" + encoding + " " + path))) {
      if (line.rfind("OGRFeature", 0) == 0) features.emplace_back();
      auto paren = line.find(" (");
      auto eq = line.find(") = ");
      if (features.empty() || line.rfind("  ", 0) != 0 || paren == std::string::npos || eq == std::string::npos) continue;
      features.back()[line.substr(2, paren - 2)] = line.substr(eq + 4);
    }
    ASSERT_EQ(features.size(), Rows().size()) << "level code " << level;
    for (size_t i = 0; i < Rows().size(); ++i) {
      const TRow& r = Rows()[i];
      auto& f = features[i];
      EXPECT_EQ(f["NAME"], r.Name.empty() ? "(null)" : Utf8(r.Name)) << i;
      EXPECT_EQ(f["CITY"], r.City.empty() ? "(null)" : Utf8(r.City)) << i;
      EXPECT_EQ(std::stoll(f["QTY"]), r.Qty) << i;
      EXPECT_DOUBLE_EQ(std::stod(f["PRICE"]), r.Price) << i;
      EXPECT_DOUBLE_EQ(std::stod(f["RATE"]), r.Rate) << i;
      EXPECT_EQ(f["BORN"], DateText(r.Year, r.Month, r.Day, '/')) << i;
      EXPECT_EQ(f["OK"], r.Ok ? "T" : "F") << i;
    }
    // dbfdump shows the raw field texts, one "FIELD: text" line each.
    std::vector<std::map<std::string, std::string>> records;
    for (const auto& line : Lines(RunPeer("dbfdump -r -m " + path))) {
      if (line.rfind("Record:", 0) == 0) records.emplace_back();
      auto colon = line.find(": ");
      if (records.empty() || colon == std::string::npos || line.rfind("Record:", 0) == 0) continue;
      std::string v = line.substr(colon + 2);
      while (!v.empty() && v.back() == ' ') v.pop_back();
      records.back()[line.substr(0, colon)] = v;
    }
    ASSERT_EQ(records.size(), Rows().size());
    const Cardinal cp = CodePageOfDriver(level == kLevelDbase3 ? 0 : DriverOfCodePage(1252, 0x409, false));
    for (size_t i = 0; i < Rows().size(); ++i) {
      const TRow& r = Rows()[i];
      EXPECT_EQ(records[i]["NAME"], ConvertText(1252, cp ? cp : 1252, r.Name)) << i;
      EXPECT_EQ(std::stoll(records[i]["QTY"]), r.Qty) << i;
      EXPECT_DOUBLE_EQ(std::stod(records[i]["PRICE"]), r.Price) << i;
      EXPECT_DOUBLE_EQ(std::stod(records[i]["RATE"]), r.Rate) << i;
      EXPECT_EQ(records[i]["BORN"], DateText(r.Year, r.Month, r.Day, '-').erase(4, 1).erase(6, 1)) << i;
      EXPECT_EQ(records[i]["OK"], r.Ok ? "T" : "F") << i;
    }
  }
}

TEST_F(DbfInterop, PythonDbfTablesReadHere) {
  for (const char* kind : {"db3", "fp"}) {
    std::string path = Dir + "/theirs_" + kind + ".dbf";
    RunPeer(kPeer + " write-dbf " + path + " " + kind);
    EXPECT_EQ(ReadOurs(path), Expected(true)) << kind;
    // And dbfread agrees with what we read from the same file.
    EXPECT_EQ(Lines(RunPeer(kPeer + " read-dbfread " + path)), Expected(true)) << kind;
  }
}

// A table of the later FoxPro layout written by python3-dbf: its binary integers and date-times
// read as written, and what is stored here reads back so in the peer.
TEST_F(DbfInterop, LaterFoxProTablesWrittenByPythonDbf) {
  const std::string path = Dir + "/fox30.dbf";
  RunPeer(kPeer + " write-fox30 " + path);
  auto stamp = [](TField* f) { return std::string(FormatDateTime("yyyy-mm-dd hh:nn:ss", f->AsDateTime())); };
  {
    TDbfTable t;
    t.SetFilePath(Dir + "/");
    t.SetTableName("fox30.dbf");
    t.Open();
    ASSERT_EQ(t.RecordCount(), 2);
    t.First();
    EXPECT_EQ(t.FieldByName("QTY")->AsInteger(), 1);
    EXPECT_EQ(stamp(t.FieldByName("STAMP")), "2024-01-02 03:04:05");
    t.Next();
    EXPECT_EQ(t.FieldByName("QTY")->AsInteger(), -5);
    EXPECT_EQ(stamp(t.FieldByName("STAMP")), "1999-12-31 23:59:59");
    // An edit and an append in the file's own layout.
    t.First();
    t.Edit();
    t.FieldByName("QTY")->SetAsInteger(5);
    t.FieldByName("STAMP")->SetAsDateTime(EncodeDate(2025, 6, 30) + EncodeTime(23, 58, 7, 0));
    t.Post();
    t.Append();
    t.FieldByName("NAME")->SetAsString("ours");
    t.FieldByName("QTY")->SetAsInteger(-2147483647 - 1);
    t.FieldByName("STAMP")->SetAsDateTime(EncodeDate(1600, 3, 1));
    t.FieldByName("DAY")->SetAsDateTime(EncodeDate(2000, 2, 29));
    t.Post();
  }
  EXPECT_EQ(Lines(RunPeer(kPeer + " read-dbf " + path)),
            (std::vector<std::string>{"one\t5\t2025-06-30 23:58:07\t2024-01-02",
                                      "neg\t-5\t1999-12-31 23:59:59\t1999-12-31",
                                      "ours\t-2147483648\t1600-03-01 00:00:00\t2000-02-29"}));
  // Fields this engine cannot read refuse the table, naming the field and its type.
  struct TCase { const char* Field; const char* Message; };
  const TCase cases[] = {
      {"PRICE Y", "Cannot read field \"PRICE\": type 'Y' of 8 bytes is not supported."},
      {"RATE B", "Cannot read field \"RATE\": type 'B' of 8 bytes is not supported."},
      {"NOTE M", "Cannot read field \"NOTE\": type 'M' of 4 bytes is not supported."},
  };
  for (const auto& c : cases) {
    const std::string name = std::string("u") + c.Field[0] + ".dbf";
    RunPeer(kPeer + " write-fox30 " + Dir + "/" + name + " '" + c.Field + "'");
    TDbfTable t;
    t.SetFilePath(Dir + "/");
    t.SetTableName(name);
    try {
      t.Open();
      ADD_FAILURE() << c.Field << ": opened";
    } catch (const EDbfError& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
  }
}

TEST_F(DbfInterop, ShapelibAndOgrTablesReadHere) {
  std::string path = Dir + "/shp.dbf";
  RunPeer("dbfcreate " + path + " -s NAME 20 -n QTY 6 0 -n PRICE 10 2");
  RunPeer("dbfadd " + path + " Anna 12 3.25");
  RunPeer("dbfadd " + path + " Bob -7 -0.5");
  EXPECT_EQ(ReadOurs(path), (std::vector<std::string>{"Anna\t12\t3.25", "Bob\t-7\t-0.5"}));

  std::string csv = Dir + "/in.csv";
  std::ofstream(csv) << "NAME,QTY\nAnna,12\nM\xC3\xBCller,-7\n";
  std::string out = Dir + "/ogr.dbf";
  RunPeer("ogr2ogr -f 'ESRI Shapefile' -lco ENCODING=CP1252 " + out + " " + csv);
  auto lines = ReadOurs(out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(0, 5), "Anna\t");
  EXPECT_EQ(lines[1].substr(0, 8), "M\xC3\xBCller\t");
}

}  // namespace
}  // namespace orv
