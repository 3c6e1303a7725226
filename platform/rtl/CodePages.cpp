// National settings of the process and text conversion between byte code pages and UTF-16.
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <array>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace orv {

namespace {

// Windows code page number -> ICU converter name. The only place code page numbers are named.
struct TCodePageName { Cardinal CodePage; const char* IcuName; };
constexpr TCodePageName kCodePageNames[] = {
    {437, "ibm-437"},         {737, "ibm-737"},         {775, "ibm-775"},
    {850, "ibm-850"},         {852, "ibm-852"},         {855, "ibm-855"},
    {857, "ibm-857"},         {858, "ibm-858"},         {860, "ibm-860"},
    {861, "ibm-861"},         {862, "ibm-862"},         {863, "ibm-863"},
    {865, "ibm-865"},         {866, "ibm-866"},         {869, "ibm-869"},
    {874, "windows-874"},     {932, "windows-932"},     {936, "windows-936"},
    {949, "windows-949"},     {950, "windows-950"},     {1250, "windows-1250"},
    {1251, "windows-1251"},   {1252, "windows-1252"},   {1253, "windows-1253"},
    {1254, "windows-1254"},   {1255, "windows-1255"},   {1256, "windows-1256"},
    {1257, "windows-1257"},   {1258, "windows-1258"},   {20127, "US-ASCII"},
    {20866, "KOI8-R"},        {21866, "KOI8-U"},        {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},    {28595, "ISO-8859-5"},    {28597, "ISO-8859-7"},
    {28605, "ISO-8859-15"},   {CP_UTF7, "UTF-7"},       {CP_UTF8, "UTF-8"},
};

// Where ICU's IBM tables differ from the Windows ones: the Windows mapping wins.
struct TByteOverride { Cardinal CodePage; Byte Value; char16_t Wide; };
constexpr TByteOverride kByteOverrides[] = {
    {437, 0xE6, u'\u00B5'}, {860, 0xE6, u'\u00B5'}, {861, 0xE6, u'\u00B5'}, {862, 0xE6, u'\u00B5'},
    {863, 0xE6, u'\u00B5'}, {865, 0xE6, u'\u00B5'}, {852, 0xAA, u'\u00AC'}, {869, 0x88, u'\u00B7'},
    {869, 0xEF, u'\u0384'},
};

// POSIX locale name (language_TERRITORY) -> locale id; a bare language takes its first row.
struct TLocaleId { const char* Name; Cardinal Lcid; };
constexpr TLocaleId kLocaleIds[] = {
    {"en_US", 0x409},  {"en_GB", 0x809},  {"en_AU", 0xC09},  {"en_CA", 0x1009},
    {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"de_DE", 0x407},  {"de_CH", 0x807},
    {"de_AT", 0xC07},  {"de_LU", 0x1007}, {"fr_FR", 0x40C},  {"fr_BE", 0x80C},
    {"fr_CA", 0xC0C},  {"fr_CH", 0x100C}, {"it_IT", 0x410},  {"it_CH", 0x810},
    {"es_ES", 0xC0A},  {"es_MX", 0x80A},  {"nl_NL", 0x413},  {"nl_BE", 0x813},
    {"pt_BR", 0x416},  {"pt_PT", 0x816},  {"sv_SE", 0x41D},  {"da_DK", 0x406},
    {"nb_NO", 0x414},  {"no_NO", 0x414},  {"fi_FI", 0x40B},  {"pl_PL", 0x415},
    {"cs_CZ", 0x405},  {"sk_SK", 0x41B},  {"hu_HU", 0x40E},  {"ru_RU", 0x419},
    {"tr_TR", 0x41F},  {"el_GR", 0x408},  {"ja_JP", 0x411},  {"zh_CN", 0x804},
    {"zh_TW", 0x404},  {"ko_KR", 0x412},
};

std::mutex gSettingsMutex;
TNlsSettings gSettings;
bool gSettingsRead = false;

Cardinal LcidFromEnvironment() {
  // LC_ALL overrides everything; LC_MESSAGES names the language the user reads.
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(var);
    if (value && *value) return LcidFromLocaleName(value);
  }
  return 0x409;
}

// One converter per code page, opened once and kept. Single-byte code pages are turned into
// tables so that conversion needs no lock and maps exactly the round-trip characters.
struct TConverter {
  bool SingleByte = false;
  std::array<char16_t, 256> ToWide{};
  std::vector<std::int16_t> FromWide;   // 65536 entries, -1 where unmappable
  UConverter* Icu = nullptr;            // multi-byte code pages; used under gConvMutex
  ~TConverter() { if (Icu) ucnv_close(Icu); }
};

std::mutex gConvMutex;
std::map<Cardinal, std::unique_ptr<TConverter>> gConverters;

const char* IcuNameOf(Cardinal codePage) {
  for (const auto& row : kCodePageNames)
    if (row.CodePage == codePage) return row.IcuName;
  return nullptr;
}

Cardinal Resolve(Cardinal codePage) {
  if (codePage == CP_ACP) return NlsSettings().AnsiCodePage;
  if (codePage == CP_OEMCP) return NlsSettings().OemCodePage;
  return codePage;
}

std::unique_ptr<TConverter> OpenConverter(Cardinal codePage) {
  const char* name = IcuNameOf(codePage);
  if (!name) return nullptr;
  UErrorCode err = U_ZERO_ERROR;
  UConverter* icu = ucnv_open(name, &err);
  if (U_FAILURE(err) || !icu) return nullptr;
  auto conv = std::make_unique<TConverter>();
  if (ucnv_getMaxCharSize(icu) == 1 && codePage != CP_UTF7) {
    conv->SingleByte = true;
    conv->FromWide.assign(65536, -1);
    for (int b = 0; b < 256; ++b) {
      char in = static_cast<char>(b);
      UChar out[4];
      err = U_ZERO_ERROR;
      ucnv_reset(icu);
      int32_t n = ucnv_toUChars(icu, out, 4, &in, 1, &err);
      char16_t w = (U_SUCCESS(err) && n == 1) ? out[0] : u'\uFFFD';
      // Every code page of the table is ASCII below 0x80; ICU's IBM tables swap 0x1A/0x1C/0x7F.
      if (b < 0x80) w = static_cast<char16_t>(b);
      // ICU writes SUB (U+001A) for unassigned bytes of some tables.
      if (w == 0x1A && b != 0x1A) w = u'\uFFFD';
      for (const auto& o : kByteOverrides)
        if (o.CodePage == codePage && o.Value == b) w = o.Wide;
      conv->ToWide[b] = w;
      if (w != u'\uFFFD' && conv->FromWide[w] < 0) conv->FromWide[w] = static_cast<std::int16_t>(b);
    }
    ucnv_close(icu);
  } else {
    conv->Icu = icu;
  }
  return conv;
}

TConverter* ConverterFor(Cardinal codePage) {
  std::lock_guard<std::mutex> lock(gConvMutex);
  auto it = gConverters.find(codePage);
  if (it == gConverters.end()) it = gConverters.emplace(codePage, OpenConverter(codePage)).first;
  return it->second.get();
}

TConverter& ConverterOrThrow(Cardinal codePage) {
  TConverter* conv = ConverterFor(Resolve(codePage));
  if (!conv) throw EConvertError("Code page " + std::to_string(Resolve(codePage)) + " is not supported");
  return *conv;
}

struct TSubstContext { bool Used = false; char DefaultChar = '?'; };

// Writes the caller's default character for every unmappable character and notes that it did.
void SubstituteCallback(const void* context, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                        UChar32, UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  auto* ctx = static_cast<TSubstContext*>(const_cast<void*>(context));
  ctx->Used = true;
  *err = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(args, &ctx->DefaultChar, 1, 0, err);
}

// ICU writes SUB (U+001A) for some tables; undefined bytes read as U+FFFD everywhere.
void ReplacementCallback(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                         UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  static const UChar kReplacement = 0xFFFD;
  *err = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, err);
}

}  // namespace

const TNlsSettings& NlsSettings() {
  std::lock_guard<std::mutex> lock(gSettingsMutex);
  if (!gSettingsRead) {
    gSettings.UserLCID = LcidFromEnvironment();
    gSettingsRead = true;
  }
  return gSettings;
}

void SetNlsSettings(const TNlsSettings& settings) {
  std::lock_guard<std::mutex> lock(gSettingsMutex);
  gSettings = settings;
  gSettingsRead = true;
}

void InitNlsFromEnvironment() {
  Cardinal lcid = LcidFromEnvironment();
  std::lock_guard<std::mutex> lock(gSettingsMutex);
  gSettings.UserLCID = lcid;
  gSettingsRead = true;
}

Cardinal LcidFromLocaleName(const std::string& name) {
  // "de_DE.UTF-8@euro" -> "de_DE"
  std::string base = name.substr(0, name.find_first_of(".@"));
  if (base.empty() || base == "C" || base == "POSIX") return 0x409;
  for (const auto& row : kLocaleIds)
    if (base == row.Name) return row.Lcid;
  std::string lang = base.substr(0, base.find('_'));
  for (const auto& row : kLocaleIds)
    if (std::string(row.Name).compare(0, lang.size() + 1, lang + "_") == 0) return row.Lcid;
  return 0x409;
}

std::string LocaleNameFromLcid(Cardinal lcid) {
  for (const auto& row : kLocaleIds)
    if (row.Lcid == lcid) return row.Name;
  return "en_US";
}

bool IsValidCodePage(Cardinal codePage) {
  if (codePage == CP_ACP || codePage == CP_OEMCP) return true;
  return ConverterFor(codePage) != nullptr;
}

WideString MultiByteToWide(const AnsiString& text, Cardinal codePage) {
  if (text.empty()) return {};
  Cardinal cp = Resolve(codePage);
  if (cp == CP_UTF8) return Utf8ToWide(text);
  TConverter& conv = ConverterOrThrow(cp);
  WideString out;
  if (conv.SingleByte) {
    out.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) out[i] = conv.ToWide[static_cast<Byte>(text[i])];
    return out;
  }
  std::lock_guard<std::mutex> lock(gConvMutex);
  UErrorCode err = U_ZERO_ERROR;
  ucnv_reset(conv.Icu);
  ucnv_setToUCallBack(conv.Icu, ReplacementCallback, nullptr, nullptr, nullptr, &err);
  out.resize(text.size() * 2 + 4);
  err = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(conv.Icu, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                            text.data(), static_cast<int32_t>(text.size()), &err);
  if (U_FAILURE(err)) throw EConvertError("Text cannot be converted from code page " + std::to_string(cp));
  out.resize(static_cast<std::size_t>(n));
  return out;
}

AnsiString WideToMultiByte(const WideString& text, Cardinal codePage, bool* usedDefault, char defaultChar) {
  if (usedDefault) *usedDefault = false;
  if (text.empty()) return {};
  Cardinal cp = Resolve(codePage);
  if (cp == CP_UTF8) return WideToUtf8(text);
  TConverter& conv = ConverterOrThrow(cp);
  AnsiString out;
  if (conv.SingleByte) {
    out.resize(text.size());
    bool used = false;
    std::size_t n = 0;
    const std::int16_t* table = conv.FromWide.data();
    for (std::size_t i = 0; i < text.size(); ++i) {
      char16_t w = text[i];
      // A surrogate pair is one character and becomes one default character.
      if (w >= 0xD800 && w < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) ++i;
      std::int16_t b = table[w];
      used |= b < 0;
      out[n++] = b < 0 ? defaultChar : static_cast<char>(b);
    }
    out.resize(n);
    if (usedDefault) *usedDefault = used;
    return out;
  }
  std::lock_guard<std::mutex> lock(gConvMutex);
  TSubstContext ctx;
  ctx.DefaultChar = defaultChar;
  UErrorCode err = U_ZERO_ERROR;
  ucnv_reset(conv.Icu);
  ucnv_setFromUCallBack(conv.Icu, SubstituteCallback, &ctx, nullptr, nullptr, &err);
  out.resize(text.size() * 5 + 8);
  err = U_ZERO_ERROR;
  int32_t n = ucnv_fromUChars(conv.Icu, out.data(), static_cast<int32_t>(out.size()),
                              reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()), &err);
  // The callback's context lives on this stack frame: detach it whatever the result.
  UErrorCode restoreErr = U_ZERO_ERROR;
  ucnv_setFromUCallBack(conv.Icu, UCNV_FROM_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr, &restoreErr);
  if (U_FAILURE(err))
    throw EConvertError("Text cannot be converted to code page " + std::to_string(cp));
  out.resize(static_cast<std::size_t>(n));
  if (usedDefault) *usedDefault = ctx.Used;
  return out;
}

WideString AnsiToWide(const AnsiString& text) { return MultiByteToWide(text, CP_ACP); }
AnsiString WideToAnsi(const WideString& text) { return WideToMultiByte(text, CP_ACP); }

AnsiString ConvertCodePage(const AnsiString& text, Cardinal fromCodePage, Cardinal toCodePage, bool* usedDefault) {
  return WideToMultiByte(MultiByteToWide(text, fromCodePage), toCodePage, usedDefault);
}

}  // namespace orv
