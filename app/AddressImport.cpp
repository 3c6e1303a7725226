// Reading address lines for the table import.
#include "app/AddressImport.h"

#include "platform/rtl/CodePages.h"

namespace orv {

std::vector<std::string_view> SplitImportLines(std::string_view data) {
  if (data.substr(0, 3) == "\xEF\xBB\xBF") data.remove_prefix(3);
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < data.size()) {
    const std::size_t end = data.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(data.substr(start));
      break;
    }
    lines.push_back(data.substr(start, end - start));
    start = end + 1;
    if (data[end] == '\r' && start < data.size() && data[start] == '\n') ++start;
  }
  return lines;
}

std::vector<AnsiString> SplitImportPieces(std::string_view line) {
  std::vector<AnsiString> pieces;
  for (;;) {
    const std::size_t sep = line.find_first_of(",;");
    if (sep == std::string_view::npos) {
      pieces.emplace_back(line);
      return pieces;
    }
    pieces.emplace_back(line.substr(0, sep));
    line.remove_prefix(sep + 1);
  }
}

AnsiString ImportLineText(std::string_view line, Integer& replaced) {
  const std::string bytes(line);
  bool pureAscii = true;
  for (unsigned char c : bytes) pureAscii = pureAscii && c < 0x80;
  if (pureAscii || !IsValidUtf8(bytes)) return bytes;
  const WideString wide = Utf8ToWide(bytes);
  bool lost = false;
  AnsiString text = WideToMultiByte(wide, CP_ACP, &lost);
  if (!lost) return text;
  // Counted character by character so that a '?' in the line itself is not taken for a loss.
  for (std::size_t i = 0; i < wide.size(); ++i) {
    std::size_t n = 1;
    if (wide[i] >= 0xD800 && wide[i] < 0xDC00 && i + 1 < wide.size()) n = 2;
    bool one = false;
    (void)WideToMultiByte(wide.substr(i, n), CP_ACP, &one);
    if (one) ++replaced;
    i += n - 1;
  }
  return text;
}

}  // namespace orv
