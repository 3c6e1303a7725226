// File attributes and the file search: GetFileAttributesA, FindFirstFileA / FindNextFileA /
// FindClose over the POSIX file system.
#pragma once
#include "platform/win/WinTypes.h"

namespace orv {

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01, FILE_ATTRIBUTE_HIDDEN = 0x02,
  FILE_ATTRIBUTE_DIRECTORY = 0x10, FILE_ATTRIBUTE_ARCHIVE = 0x20, FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2, ERROR_PATH_NOT_FOUND = 3, ERROR_NO_MORE_FILES = 18;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});

// The file's attributes: the directory bit for a folder, read-only when it cannot be written,
// hidden for a name that starts with "."; archive for any other file. INVALID_FILE_ATTRIBUTES
// (and the last error ERROR_FILE_NOT_FOUND) when it does not exist.
DWORD GetFileAttributesA(const AnsiString& fileName);

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes = 0;
  Int64 nFileSize = 0;
  // The name inside its folder; there are no short (8.3) names here, so cAlternateFileName is
  // always empty.
  AnsiString cFileName;
  AnsiString cAlternateFileName;
};

// The first entry matching the pattern: a path whose last part may hold "*" and "?" ("." and
// ".." are never matched). INVALID_HANDLE_VALUE when nothing matches. The handle is freed with
// FindClose.
HANDLE FindFirstFileA(const AnsiString& pattern, WIN32_FIND_DATAA* data);
// The next match; false (ERROR_NO_MORE_FILES) when there is none.
bool FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data);
bool FindClose(HANDLE search);
// Number of open searches (leak checks in tests).
std::size_t OpenFileSearchCount();

}  // namespace orv
