// Index key formats and their comparison: character keys by bytes or by a locale, 8-byte double
// keys of single-key files and 12-byte packed-decimal keys of multiple-tag files.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include "dbf/DbfCommon.h"

namespace orv {

// The locale id that stands for plain byte order.
inline constexpr Cardinal kByteOrderLocale = 0x0A03;
inline constexpr Integer kMdxNumericKeyLength = 12;
inline constexpr Integer kNdxNumericKeyLength = 8;
// Character keys never exceed this many bytes.
inline constexpr Integer kMaxKeyLength = 100;

enum TIdxKeyKind : Byte { ikCharacter, ikNdxNumeric, ikMdxNumeric };

// The 12-byte decimal form of value (at most 15 significant digits).
void EncodeMdxNumber(double value, Byte* key);
// The same for an integer, which gives every digit, trailing zeros included (up to 15 digits).
void EncodeMdxInteger(Int64 value, Byte* key);
double DecodeMdxNumber(const Byte* key);
void EncodeNdxNumber(double value, Byte* key);
double DecodeNdxNumber(const Byte* key);

struct TIdxKeyOrder {
  TIdxKeyKind Kind = ikCharacter;
  Integer KeyLength = 0;
  bool Descending = false;
  Cardinal Locale = kByteOrderLocale;
  // The code page of stored character keys (the table's).
  Cardinal CodePage = 1252;
  // < 0, 0, > 0 with the tag's direction applied.
  int Compare(const Byte* a, const Byte* b) const;
  int CompareAscending(const Byte* a, const Byte* b) const;
  // For a run of comparisons against one search key: the key is prepared once, then each entry
  // key is compared with it (entry < key: negative), with the tag's direction applied.
  void Prepare(const Byte* key) const;
  int CompareToPrepared(const Byte* entry) const;
  // For character keys under a real locale: the first bytes of the key's collation key (zero
  // padded). Two keys whose prefixes differ as bytes compare (ascending) as the prefixes do; equal
  // prefixes say nothing. False for the other orders, which compare cheaply as they are.
  static constexpr size_t kSortPrefixBytes = 16;
  bool SortPrefix(const Byte* key, Byte* out) const;

 private:
  bool UsesTable() const;
  mutable const Byte* FPrepared = nullptr;
  mutable char16_t FPreparedWide[kMaxKeyLength] = {};
  // UTF-16 of each byte of a single-byte code page, made on the first locale comparison; empty
  // for code pages with multi-byte characters.
  mutable std::shared_ptr<const std::u16string> FWide;
  mutable Cardinal FWideCodePage = 0;
};

}  // namespace orv
