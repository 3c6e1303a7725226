// Field variables of table expressions: decoding one field of a record for the parser.
#include "dbf/DbfFieldVars.h"
#include "dbf/DbfFieldCodec.h"
#include "dbf/DbfFile.h"
#include "dbf/DbfLang.h"
#include "platform/rtl/CodePages.h"

namespace orv {

TRawStringFieldVar::TRawStringFieldVar(const TDbfFieldDef& def, const TDbfFile& file)
    : TStringFieldVar(def, file), FBlank(static_cast<size_t>(std::max<Integer>(def.Size(), 0)) + 1, ' ') {
  FText = FBlank.data();
}

void TRawStringFieldVar::Refresh(const Byte* record) {
  FText = reinterpret_cast<const char*>(record + FFieldDef.Offset());
}

namespace {

bool IsMultiByteCodePage(Cardinal cp) {
  switch (cp) {
    case 932: case 936: case 949: case 950: case 1361: case 20932: case 51932: case 51949: case 52936:
    case 54936: case 65000: case 65001:
      return true;
    default:
      return cp >= 50220 && cp <= 50229;
  }
}

}  // namespace

TAnsiStringFieldVar::TAnsiStringFieldVar(const TDbfFieldDef& def, const TDbfFile& file) : TStringFieldVar(def, file) {
  FText = FBuffer.c_str();
  FFromCodePage = file.UseCodePage();
  FToCodePage = NlsSettings().AnsiCodePage;
  if (FFromCodePage == 0 || FFromCodePage == FToCodePage) return;
  if (IsMultiByteCodePage(FFromCodePage) || IsMultiByteCodePage(FToCodePage)) return;
  std::vector<char> table(256);
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const AnsiString one = ConvertText(FFromCodePage, FToCodePage, std::string_view(&c, 1));
    if (one.size() != 1) return;
    table[static_cast<size_t>(b)] = one[0];
  }
  FTable = std::move(table);
}

void TAnsiStringFieldVar::Refresh(const Byte* record) {
  const char* field = reinterpret_cast<const char*>(record + FFieldDef.Offset());
  size_t length = static_cast<size_t>(std::max<Integer>(FFieldDef.Size(), 0));
  // The first character stays even when it is a blank.
  while (length > 1 && field[length - 1] == ' ') --length;
  FBuffer.assign(field, length);
  FBuffer.resize(std::strlen(FBuffer.c_str()));
  if (!FTable.empty()) {
    for (char& c : FBuffer) c = FTable[static_cast<Byte>(c)];
  } else if (FFromCodePage != 0 && FFromCodePage != FToCodePage && !FBuffer.empty()) {
    FBuffer = ConvertText(FFromCodePage, FToCodePage, FBuffer);
  }
  FText = FBuffer.c_str();
}

void TIntegerFieldVar::Refresh(const Byte* record) {
  FValue = 0;
  const TFieldType type = FFieldDef.FieldType();
  if (type == ftSmallint) {
    std::int16_t small = 0;
    if (DecodeField(FFieldDef, ftSmallint, &small, record)) FValue = small;
  } else if (!DecodeField(FFieldDef, type, &FValue, record)) {
    FValue = 0;
  }
}

void TFloatFieldVar::Refresh(const Byte* record) {
  if (!DecodeField(FFieldDef, ftFloat, &FValue, record)) FValue = 0;
}

void TLargeIntFieldVar::Refresh(const Byte* record) {
  if (!DecodeField(FFieldDef, ftLargeint, &FValue, record)) FValue = 0;
}

void TDateTimeFieldVar::Refresh(const Byte* record) {
  FValue = 0;
  if (FFieldDef.FieldType() == ftDate) {
    Integer day = 0;
    if (DecodeField(FFieldDef, ftDate, &day, record)) FValue = static_cast<double>(day) - kDateDelta;
  } else {
    double msecs = 0;
    if (DecodeField(FFieldDef, ftDateTime, &msecs, record)) FValue = msecs / kMSecsPerDay - kDateDelta;
  }
}

}  // namespace orv
