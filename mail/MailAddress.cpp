// The recipient address check and the sending form of stored values.
#include "mail/MailAddress.h"

#include <algorithm>

namespace orv {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsLetterOrDigit(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c); }

bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool IsAtomChar(char c) {
  return IsLetterOrDigit(c) || std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
}

bool IsControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 32 || u == 127;
}

bool HasEmptyDotPart(std::string_view text) {
  return text.front() == '.' || text.back() == '.' || text.find("..") != std::string_view::npos;
}

// A label: letters, digits and hyphens, neither first nor last a hyphen.
bool IsHostLabel(std::string_view label) {
  if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
  return std::all_of(label.begin(), label.end(), [](char c) { return IsLetterOrDigit(c) || c == '-'; });
}

// Calls part for each piece of text between separators; false as soon as one call is.
template <class F>
bool EachPart(std::string_view text, char separator, F part) {
  for (;;) {
    const std::size_t end = text.find(separator);
    if (!part(text.substr(0, end))) return false;
    if (end == std::string_view::npos) return true;
    text.remove_prefix(end + 1);
  }
}

bool IsHostName(std::string_view host) { return EachPart(host, '.', IsHostLabel); }

// Four decimal numbers of one to three digits, each up to 255.
bool IsIPv4Literal(std::string_view text) {
  int parts = 0;
  const bool numbers = EachPart(text, '.', [&](std::string_view n) {
    if (++parts > 4 || n.empty() || n.size() > 3 || !std::all_of(n.begin(), n.end(), IsDigit)) return false;
    int number = 0;
    for (char c : n) number = number * 10 + (c - '0');
    return number <= 255;
  });
  return numbers && parts == 4;
}

// Groups of one to four hex digits separated by ":", where the last may be an IPv4 address that
// counts as two; the count of groups, or -1 when the text is not of that form. An empty text has
// none.
int IPv6Groups(std::string_view text, bool mayEndInIPv4) {
  if (text.empty()) return 0;
  int groups = 0;
  const bool ok = EachPart(text, ':', [&](std::string_view g) {
    const bool last = g.end() == text.end();
    if (last && mayEndInIPv4 && g.find('.') != std::string_view::npos) {
      groups += 2;
      return IsIPv4Literal(g);
    }
    ++groups;
    return !g.empty() && g.size() <= 4 && std::all_of(g.begin(), g.end(), IsHexDigit);
  });
  return ok ? groups : -1;
}

// Eight groups, or fewer around one "::" that stands for at least one group of zeros.
bool IsIPv6Address(std::string_view text) {
  const std::size_t gap = text.find("::");
  if (gap == std::string_view::npos) return IPv6Groups(text, true) == 8;
  const std::string_view before = text.substr(0, gap);
  const std::string_view after = text.substr(gap + 2);
  if (after.find("::") != std::string_view::npos) return false;
  const int head = IPv6Groups(before, false);
  const int tail = IPv6Groups(after, true);
  return head >= 0 && tail >= 0 && head + tail <= 7;
}

// "[" + an IPv4 address + "]", or "[IPv6:" + an IPv6 address + "]" (the tag in any case).
bool IsAddressLiteral(std::string_view domain) {
  if (domain.size() < 2 || domain.front() != '[' || domain.back() != ']') return false;
  const std::string_view inner = domain.substr(1, domain.size() - 2);
  constexpr std::string_view tag = "ipv6:";
  if (inner.size() > tag.size() &&
      std::equal(tag.begin(), tag.end(), inner.begin(), [](char t, char c) { return t == (c | 0x20); }))
    return IsIPv6Address(inner.substr(tag.size()));
  return IsIPv4Literal(inner);
}

}  // namespace

AnsiString AddressFault(std::string_view value) {
  if (value.empty()) return "the address is empty";
  if (std::any_of(value.begin(), value.end(), IsControl)) return "it holds a control character";
  // A quoted local part runs from a quote that opens the value to the next quote; inside it,
  // commas, semicolons and parentheses are part of the name and separate nothing.
  const std::size_t quoteEnd = value.front() == '"' ? value.find('"', 1) : std::string_view::npos;
  const bool quoted = quoteEnd != std::string_view::npos;
  const std::size_t outsideFrom = quoted ? quoteEnd + 1 : 0;
  const auto holdsOutside = [&](std::string_view set) {
    return value.find_first_of(set, outsideFrom) != std::string_view::npos;
  };
  const auto holds = [&](std::string_view set) { return value.find_first_of(set) != std::string_view::npos; };
  // The signs that change what a header field or a command line reads come first, each with the
  // reason a user can act on.
  if (holdsOutside(",;")) return "it holds more than one address";
  if (holds("<>")) return "it holds angle brackets";
  if (holdsOutside("()")) return "it holds a comment";
  // Quotes are taken only as the whole local part: a quote anywhere else, or a quoted stretch
  // that is not followed by the "@", would be read differently by each reader.
  if (holdsOutside("\"") || (quoted && outsideFrom < value.size() && value[outsideFrom] != '@'))
    return "it holds quotes";
  if (holds(" ")) return "it holds a blank";
  if (std::any_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) > 127; }))
    return "it holds a character outside ASCII";
  const std::size_t at = quoted ? (outsideFrom < value.size() ? outsideFrom : std::string_view::npos)
                                : value.find('@');
  if (at == std::string_view::npos) return "it has no \"@\"";
  const std::string_view local = value.substr(0, at);
  const std::string_view domain = value.substr(at + 1);
  if (domain.find('@') != std::string_view::npos || (quoted && local.find('@') != std::string_view::npos))
    return "it holds more than one \"@\"";
  if (local.empty() || local == "\"\"") return "nothing comes before the \"@\"";
  if (domain.empty()) return "nothing comes after the \"@\"";
  if (value.size() > MaxAddressLength) return "it is longer than 254 characters";
  if (local.size() > MaxLocalPartLength) return "the part before the \"@\" is longer than 64 characters";
  if (quoted) {
    // A backslash would escape the next character for one reader and not for another.
    if (local.find('\\') != std::string_view::npos) return "it holds the sign \"\\\" before the \"@\"";
  } else {
    for (char c : local)
      if (c != '.' && !IsAtomChar(c)) return AnsiString("it holds the sign \"") + c + "\" before the \"@\"";
    if (HasEmptyDotPart(local))
      return "the part before the \"@\" begins or ends with a dot or holds two in a row";
  }
  if (domain.front() == '[') {
    if (!IsAddressLiteral(domain)) return "the part after the \"@\" is no IP address in brackets";
  } else if (!IsHostName(domain)) {
    return "the part after the \"@\" is no host name";
  }
  return {};
}

std::string_view TrimAddressSpace(std::string_view value) {
  const std::size_t first = value.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

TSendAddress SendAddressOf(std::string_view value) {
  std::string_view address = TrimAddressSpace(value);
  if (address.size() >= 2 && address.front() == '"' && address.back() == '"' &&
      address.find('"', 1) == address.size() - 1)
    address = address.substr(1, address.size() - 2);
  AnsiString fault = AddressFault(address);
  if (!fault.empty()) return {{}, std::move(fault)};
  return {AnsiString(address), {}};
}

}  // namespace orv
