// Command-text tokens, file-name tests and the small memory helpers of the extended controls.
#include "controls/OrvHelpers.h"

#include <cstdlib>
#include <cstring>
#include "platform/win/FileFind.h"

namespace orv {

AnsiString NextCommandToken(const AnsiString& text, std::size_t pos, std::size_t* next) {
  // A zero byte ends the text, as it ends a command line.
  const std::size_t end = std::min(text.size(), std::strlen(text.c_str()));
  std::size_t i = pos == 0 ? 0 : pos - 1;
  while (i < end) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 1 && c <= 32) ++i;
    else if (c == '"' && i + 1 < end && text[i + 1] == '"') i += 2;
    else break;
  }
  AnsiString token;
  while (i < end && static_cast<unsigned char>(text[i]) >= '!') {
    if (text[i] == '"') {
      ++i;
      while (i < end && text[i] != '"') token += text[i++];
      if (i < end) ++i;
    } else {
      token += text[i++];
    }
  }
  if (next) *next = i + 1;
  return token;
}

int CountCommandTokens(const AnsiString& text) {
  int count = 0;
  std::size_t pos = 1;
  while (!NextCommandToken(text, pos, &pos).empty()) ++count;
  return count;
}

AnsiString CommandToken(const AnsiString& text, int n) {
  std::size_t pos = 1;
  AnsiString token;
  for (int i = 0; i <= n; ++i) {
    token = NextCommandToken(text, pos, &pos);
    if (token.empty()) break;
  }
  return token;
}

AnsiString SplitCommandText(const AnsiString& text, AnsiString* rest) {
  std::size_t pos = 1;
  AnsiString first = NextCommandToken(text, pos, &pos);
  AnsiString others;
  for (AnsiString token = NextCommandToken(text, pos, &pos); !token.empty(); token = NextCommandToken(text, pos, &pos)) {
    if (!others.empty()) others += ' ';
    others += token.find(' ') != AnsiString::npos ? "\"" + token + "\"" : token;
  }
  if (rest) *rest = others;
  return first;
}

bool PathIsFolder(const AnsiString& path) {
  const DWORD attrs = GetFileAttributesA(path);
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool HasAnyOf(std::string_view text, std::string_view characters) {
  return text.find_first_of(characters) != std::string_view::npos;
}

bool IsValidPathName(const AnsiString& name) { return !name.empty() && !HasAnyOf(name, "<>\"[]|"); }

namespace {

AnsiString FoundName(const AnsiString& path, bool shortForm) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(path, &data);
  if (search == INVALID_HANDLE_VALUE) return AnsiString();
  FindClose(search);
  const AnsiString& wanted = shortForm ? data.cAlternateFileName : data.cFileName;
  return wanted.empty() ? (shortForm ? data.cFileName : data.cAlternateFileName) : wanted;
}

}  // namespace

AnsiString LongPathForm(const AnsiString& path) { return FoundName(path, false); }
AnsiString ShortPathForm(const AnsiString& path) { return FoundName(path, true); }

void* AllocZeroedBlock(Integer size) {
  if (size <= 0) return nullptr;
  void* block = std::calloc(static_cast<std::size_t>(size), 1);
  if (block == nullptr) throw EOutOfMemory("Out of memory");
  return block;
}

void FreeBlock(void*& block) {
  std::free(block);
  block = nullptr;
}

bool SameBytes(const void* a, const void* b, std::size_t length) {
  const auto* p = static_cast<const Byte*>(a);
  const auto* q = static_cast<const Byte*>(b);
  std::size_t i = 0;
  for (; i + 4 <= length; i += 4) {
    std::uint32_t x, y;
    std::memcpy(&x, p + i, 4);
    std::memcpy(&y, q + i, 4);
    if (x != y) return false;
  }
  return i == length || std::memcmp(p + i, q + i, length - i) == 0;
}

void CopyBytes(void* dest, const void* src, std::size_t count) {
  if (count) std::memmove(dest, src, count);
}

std::unique_ptr<char[]> NewCString(std::string_view text) {
  auto copy = std::make_unique<char[]>(text.size() + 1);
  if (!text.empty()) std::memcpy(copy.get(), text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

}  // namespace orv
