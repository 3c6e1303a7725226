// The plain address check: the value is taken as it is, nothing is trimmed or unquoted.
#include "mail/MailAddress.h"

#include <algorithm>

namespace orv {

namespace {

bool IsLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsAtomChar(char c) {
  return IsLetterOrDigit(c) || std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
}

bool HasEmptyDotPart(std::string_view text) {
  return text.front() == '.' || text.back() == '.' || text.find("..") != std::string_view::npos;
}

// A label: letters, digits and hyphens, neither first nor last a hyphen.
bool IsHostLabel(std::string_view label) {
  if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
  return std::all_of(label.begin(), label.end(), [](char c) { return IsLetterOrDigit(c) || c == '-'; });
}

bool IsHostName(std::string_view host) {
  for (;;) {
    const std::size_t dot = host.find('.');
    if (!IsHostLabel(host.substr(0, dot))) return false;
    if (dot == std::string_view::npos) return true;
    host.remove_prefix(dot + 1);
  }
}

}  // namespace

AnsiString PlainAddressFault(std::string_view value) {
  if (value.empty()) return "the address is empty";
  // The signs that change what a header field or a command line reads come first, each with the
  // reason a user can act on.
  const auto holds = [&](std::string_view set) { return value.find_first_of(set) != std::string_view::npos; };
  if (std::any_of(value.begin(), value.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 32 || u == 127;
      }))
    return "it holds a control character";
  if (holds(",;")) return "it holds more than one address";
  if (holds("<>")) return "it holds angle brackets";
  if (holds("()")) return "it holds a comment";
  if (holds("\"")) return "it holds quotes";
  if (holds(" ")) return "it holds a blank";
  if (std::any_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) > 127; }))
    return "it holds a character outside ASCII";
  const std::size_t at = value.find('@');
  if (at == std::string_view::npos) return "it has no \"@\"";
  if (value.find('@', at + 1) != std::string_view::npos) return "it holds more than one \"@\"";
  const std::string_view local = value.substr(0, at);
  const std::string_view host = value.substr(at + 1);
  if (local.empty()) return "nothing comes before the \"@\"";
  if (host.empty()) return "nothing comes after the \"@\"";
  if (value.size() > MaxAddressLength) return "it is longer than 254 characters";
  if (local.size() > MaxLocalPartLength) return "the part before the \"@\" is longer than 64 characters";
  for (char c : local)
    if (c != '.' && !IsAtomChar(c)) return AnsiString("it holds the sign \"") + c + "\" before the \"@\"";
  if (HasEmptyDotPart(local)) return "the part before the \"@\" begins or ends with a dot or holds two in a row";
  if (!IsHostName(host)) return "the part after the \"@\" is no host name";
  return {};
}

}  // namespace orv
