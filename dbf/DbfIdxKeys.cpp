// Index key encodings and comparisons by key kind and locale.
#include "dbf/DbfIdxKeys.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include "platform/win/Nls.h"

namespace orv {

namespace {

constexpr int kMdxMaxDigits = 15;

void PackDigits(const char* digits, int count, bool negative, int exponent, Byte* key) {
  std::memset(key, 0, kMdxNumericKeyLength);
  key[0] = static_cast<Byte>(52 + exponent);
  key[1] = static_cast<Byte>((count << 3) | 1 | (negative ? 0x80 : 0));
  for (int i = 0; i < count && i < 20; ++i) {
    Byte d = static_cast<Byte>(digits[i] - '0');
    key[2 + i / 2] |= (i % 2 == 0) ? static_cast<Byte>(d << 4) : d;
  }
}

std::shared_ptr<const std::u16string> SingleByteTable(Cardinal codePage) {
  auto table = std::make_shared<std::u16string>();
  // Code pages with lead bytes keep the whole-text conversion.
  if (codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361 ||
      codePage == 65001 || codePage >= 50000)
    return table;
  table->resize(256);
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    WideString w = b == 0 ? WideString(1, u'\0') : MultiByteToWideChar(codePage, std::string_view(&c, 1));
    if (w.size() != 1) {
      table->clear();
      return table;
    }
    (*table)[static_cast<size_t>(b)] = w[0];
  }
  return table;
}

}  // namespace

void EncodeMdxInteger(Int64 value, Byte* key) {
  if (value == 0) {
    PackDigits("", 0, false, 0, key);
    key[1] = 0x01;
    return;
  }
  const bool negative = value < 0;
  char buf[32];
  unsigned long long mag = negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  const int len = std::snprintf(buf, sizeof buf, "%llu", mag);
  // An integer gives all its digits, trailing zeros included (100: three digits). The digit
  // count has four bits beside the sign bit: longer values keep their leading 15 digits, which
  // orders them as the values, equal where only later digits differ.
  PackDigits(buf, std::min(len, kMdxMaxDigits), negative, len, key);
}

void EncodeMdxNumber(double value, Byte* key) {
  if (!std::isfinite(value) || value == 0) {
    EncodeMdxInteger(0, key);
    return;
  }
  const bool negative = value < 0;
  char buf[40];
  // d.ddddddddddddddde[+-]x
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
  char digits[16];
  int count = 0;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9' && count < 15) digits[count++] = *p;
  int exp10 = (*p == 'e') ? std::atoi(p + 1) : 0;
  while (count > 1 && digits[count - 1] == '0') --count;
  int exponent = exp10 + 1;
  // The exponent byte cannot go below 0 or above 255; such values are cut to the nearest end.
  if (exponent < -52) {
    EncodeMdxInteger(0, key);
    return;
  }
  if (exponent > 203) exponent = 203;
  PackDigits(digits, count, negative, exponent, key);
}

double DecodeMdxNumber(const Byte* key) {
  int count = key[1] >> 3 & 0x0F;
  double v = 0;
  for (int i = 0; i < count && i < 20; ++i) {
    Byte b = key[2 + i / 2];
    int d = (i % 2 == 0) ? b >> 4 : b & 0x0F;
    v = v * 10 + d;
  }
  v *= std::pow(10.0, static_cast<int>(key[0]) - 52 - count);
  return (key[1] & 0x80) ? -v : v;
}

void EncodeNdxNumber(double value, Byte* key) { std::memcpy(key, &value, 8); }
double DecodeNdxNumber(const Byte* key) {
  double v;
  std::memcpy(&v, key, 8);
  return v;
}

int TIdxKeyOrder::CompareAscending(const Byte* a, const Byte* b) const {
  switch (Kind) {
    case ikNdxNumeric: {
      double x = DecodeNdxNumber(a), y = DecodeNdxNumber(b);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case ikMdxNumeric: {
      // The digit count in byte 1 is not compared, so keys whose digits end in zeros that were
      // left out (100 as one digit, as files written before hold them) order and find as those
      // with them.
      const bool na = (a[1] & 0x80) != 0, nb = (b[1] & 0x80) != 0;
      if (na != nb) return na ? -1 : 1;
      int r;
      if (a[0] == b[0]) {
        r = std::memcmp(a + 2, b + 2, 8);
        r = r < 0 ? -1 : (r > 0 ? 1 : 0);
      } else {
        const bool za = (a[1] & 0x78) == 0, zb = (b[1] & 0x78) == 0;
        if (za) r = -1;
        else if (zb) r = 1;
        else r = a[0] < b[0] ? -1 : 1;
      }
      return na ? -r : r;
    }
    case ikCharacter:
    default: {
      if (Locale == kByteOrderLocale) {
        for (Integer i = 0; i < KeyLength; ++i) {
          if (a[i] == 0 || b[i] == 0) return a[i] == b[i] ? 0 : (a[i] == 0 ? -1 : 1);
          if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
        }
        return 0;
      }
      if (!FWide || FWideCodePage != CodePage) {
        FWide = SingleByteTable(CodePage);
        FWideCodePage = CodePage;
      }
      if (!FWide->empty()) {
        char16_t wa[kMaxKeyLength], wb[kMaxKeyLength];
        const Integer n = std::min(KeyLength, kMaxKeyLength);
        for (Integer i = 0; i < n; ++i) {
          wa[i] = (*FWide)[a[i]];
          wb[i] = (*FWide)[b[i]];
        }
        int r = CompareStringW(Locale, 0, std::u16string_view(wa, static_cast<size_t>(n)),
                               std::u16string_view(wb, static_cast<size_t>(n)));
        return r < 0 ? -1 : (r > 0 ? 1 : 0);
      }
      std::string_view sa(reinterpret_cast<const char*>(a), static_cast<size_t>(KeyLength));
      std::string_view sb(reinterpret_cast<const char*>(b), static_cast<size_t>(KeyLength));
      int r = CompareStringA(Locale, 0, sa, sb, CodePage);
      return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
  }
}

bool TIdxKeyOrder::UsesTable() const {
  if (Kind != ikCharacter || Locale == kByteOrderLocale) return false;
  if (!FWide || FWideCodePage != CodePage) {
    FWide = SingleByteTable(CodePage);
    FWideCodePage = CodePage;
  }
  return !FWide->empty();
}

void TIdxKeyOrder::Prepare(const Byte* key) const {
  FPrepared = key;
  if (!UsesTable()) return;
  const Integer n = std::min(KeyLength, kMaxKeyLength);
  for (Integer i = 0; i < n; ++i) FPreparedWide[i] = (*FWide)[key[i]];
}

int TIdxKeyOrder::CompareToPrepared(const Byte* entry) const {
  if (!UsesTable()) return Compare(entry, FPrepared);
  const Integer n = std::min(KeyLength, kMaxKeyLength);
  char16_t wa[kMaxKeyLength];
  for (Integer i = 0; i < n; ++i) wa[i] = (*FWide)[entry[i]];
  int r = CompareStringW(Locale, 0, std::u16string_view(wa, static_cast<size_t>(n)),
                         std::u16string_view(FPreparedWide, static_cast<size_t>(n)));
  r = r < 0 ? -1 : (r > 0 ? 1 : 0);
  return Descending ? -r : r;
}

bool TIdxKeyOrder::SortPrefix(const Byte* key, Byte* out) const {
  if (Kind != ikCharacter || Locale == kByteOrderLocale) return false;
  Integer n = std::min(KeyLength, kMaxKeyLength);
  if (UsesTable()) {
    // Blanks weigh nothing in the collation (punctuation is shifted): the padding is left out.
    while (n > 0 && key[n - 1] == ' ') --n;
    char16_t wide[kMaxKeyLength];
    for (Integer i = 0; i < n; ++i) wide[i] = (*FWide)[key[i]];
    LCMapStringPrefixW(Locale, LCMAP_SORTKEY, std::u16string_view(wide, static_cast<size_t>(n)), out, kSortPrefixBytes);
  } else {
    const std::string_view text(reinterpret_cast<const char*>(key), static_cast<size_t>(KeyLength));
    LCMapStringPrefixW(Locale, LCMAP_SORTKEY, MultiByteToWideChar(CodePage ? CodePage : GetACP(), text), out,
                       kSortPrefixBytes);
  }
  return true;
}

int TIdxKeyOrder::Compare(const Byte* a, const Byte* b) const {
  int r = CompareAscending(a, b);
  return Descending ? -r : r;
}

}  // namespace orv
