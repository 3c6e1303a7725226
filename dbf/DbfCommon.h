// The table engine's errors, message texts and byte-order helpers shared by its layers.
#pragma once
#include <cstring>
#include "platform/db/DBErrors.h"
#include "platform/rtl/Types.h"

namespace orv {

class EDbfError : public EDatabaseError {
 public:
  using EDatabaseError::EDatabaseError;
};
// A failed write while appending or ending an edit.
class EDbfWriteError : public EDbfError {
 public:
  using EDbfError::EDbfError;
};

inline constexpr const char* STRING_INVALID_DBF_FILE = "Invalid DBF file.";
inline constexpr const char* STRING_INVALID_FIELD_COUNT = "Invalid field count: %d (must be between 1 and 4095).";
inline constexpr const char* STRING_RECORD_LOCKED = "Record locked.";
inline constexpr const char* STRING_WRITE_ERROR = "Error while writing occurred. (Disk full?)";
inline constexpr const char* STRING_WRITE_INDEX_ERROR =
    "Error while writing occurred; indexes probably corrupted. (Disk full?)";
inline constexpr const char* STRING_NEED_EXCLUSIVE_ACCESS = "Exclusive access is required for this operation.";
inline constexpr const char* STRING_FILE_NOT_FOUND = "Open: file not found: \"%s\".";
inline constexpr const char* STRING_VALUE_DOES_NOT_FIT = "Value does not fit field \"%s\".";
inline constexpr const char* STRING_INVALID_FIELD_TYPE =
    "Cannot create field \"%s\", fieldtype %x not supported in a dBASE table.";
inline constexpr const char* STRING_UNREADABLE_FIELD = "Cannot read field \"%s\": type %s of %d bytes is not supported.";
inline constexpr const char* STRING_INVALID_RECORD_LENGTH = "Invalid record length: %d (must be between 1 and 65535).";
inline constexpr const char* STRING_INVALID_HEADER_LENGTH = "Invalid header length: %d (must be at most 65535).";

// Replaces the first %s or %d of a message text.
AnsiString DbfMessage(const char* text, const AnsiString& arg);
AnsiString DbfMessage(const char* text, Int64 arg);

inline Word GetLE16(const Byte* p) { return static_cast<Word>(p[0] | (p[1] << 8)); }
inline LongWord GetLE32(const Byte* p) {
  return static_cast<LongWord>(p[0]) | (static_cast<LongWord>(p[1]) << 8) | (static_cast<LongWord>(p[2]) << 16) |
         (static_cast<LongWord>(p[3]) << 24);
}
inline void PutLE16(Byte* p, Word v) {
  p[0] = static_cast<Byte>(v);
  p[1] = static_cast<Byte>(v >> 8);
}
inline void PutLE32(Byte* p, LongWord v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<Byte>(v >> (8 * i));
}
inline Word GetBE16(const Byte* p) { return static_cast<Word>((p[0] << 8) | p[1]); }
inline LongWord GetBE32(const Byte* p) {
  return (static_cast<LongWord>(p[0]) << 24) | (static_cast<LongWord>(p[1]) << 16) |
         (static_cast<LongWord>(p[2]) << 8) | static_cast<LongWord>(p[3]);
}
inline void PutBE16(Byte* p, Word v) {
  p[0] = static_cast<Byte>(v >> 8);
  p[1] = static_cast<Byte>(v);
}
inline void PutBE32(Byte* p, LongWord v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<Byte>(v >> (24 - 8 * i));
}
inline std::uint64_t GetBE64(const Byte* p) {
  std::uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
  return v;
}
inline void PutBE64(Byte* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<Byte>(v >> (56 - 8 * i));
}

}  // namespace orv
