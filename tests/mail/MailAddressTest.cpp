// The plain address check: what passes is one address that the header field and the envelope
// carry unchanged; everything else is refused with a reason naming what is wrong.
#include <gtest/gtest.h>
#include "mail/MailAddress.h"
#include "mail/VudeMail.h"

namespace orv {
namespace {

const char* const kPlain[] = {
    "anna@example.net",
    "first.last+tag@mail.example.net",
    "o'brien@example.net",
    "x!#$%&*/=?^_`{|}~-y@example.net",
    "UPPER@EXAMPLE.NET",
    "postmaster@localhost",
    "a@b-c.d0",
};

TEST(PlainAddress, PlainAddressesPassAndReadBackUnchangedFromTheHeader) {
  for (const char* address : kPlain) {
    EXPECT_EQ(PlainAddressFault(address), "") << address;
    // What the envelope is made of when it is taken from the header field must be the value.
    TMailMessage m;
    m.ToRecipients().AddRecipient("", address);
    m.BccRecipients().AddRecipient("", address);
    for (TMailRecipients* list : {&m.ToRecipients(), &m.BccRecipients()}) {
      ASSERT_EQ(list->Addresses().size(), 1u) << address;
      EXPECT_EQ(list->Addresses()[0], address);
    }
  }
}

struct TFaultCase {
  std::string Value;
  const char* Reason;
};

TEST(PlainAddress, EveryOtherValueIsRefusedWithItsReason) {
  const std::string tooLong = std::string(65, 'a') + "@example.net";
  const std::string longest = std::string(64, 'a') + "@" + std::string(63, 'b') + "." + std::string(63, 'c') +
                              "." + std::string(61, 'd');
  const TFaultCase cases[] = {
      {"", "the address is empty"},
      {"a@example.net><victim@evil.test", "it holds angle brackets"},
      {"Name <x@example.net>", "it holds angle brackets"},
      {"<x@example.net>", "it holds angle brackets"},
      {"b@example.net, victim2@evil.test", "it holds more than one address"},
      {"c@example.net;victim3@evil.test", "it holds more than one address"},
      {"john smith@example.net", "it holds a blank"},
      {" anna@example.net", "it holds a blank"},
      {"tab@exam\tple.net", "it holds a control character"},
      {"a@example.net\r\nRCPT TO:<v@evil.test>", "it holds a control character"},
      {"del\x7F@example.net", "it holds a control character"},
      {"\"q x\"@example.net", "it holds quotes"},
      {"cmt@example.net (victim4@evil.test)", "it holds a comment"},
      {"cmt(x)@example.net", "it holds a comment"},
      {"j\xFCrgen@example.net", "it holds a character outside ASCII"},
      {"anna.example.net", "it has no \"@\""},
      {"a@b@example.net", "it holds more than one \"@\""},
      {"@example.net", "nothing comes before the \"@\""},
      {"anna@", "nothing comes after the \"@\""},
      {"a\\b@example.net", "it holds the sign \"\\\" before the \"@\""},
      {"a:b@example.net", "it holds the sign \":\" before the \"@\""},
      {".anna@example.net", "the part before the \"@\" begins or ends with a dot or holds two in a row"},
      {"anna.@example.net", "the part before the \"@\" begins or ends with a dot or holds two in a row"},
      {"an..na@example.net", "the part before the \"@\" begins or ends with a dot or holds two in a row"},
      {"anna@example..net", "the part after the \"@\" is no host name"},
      {"anna@example.net.", "the part after the \"@\" is no host name"},
      {"anna@-example.net", "the part after the \"@\" is no host name"},
      {"anna@example-.net", "the part after the \"@\" is no host name"},
      {"anna@exa_mple.net", "the part after the \"@\" is no host name"},
      {"anna@[192.0.2.1]", "the part after the \"@\" is no host name"},
      {tooLong, "the part before the \"@\" is longer than 64 characters"},
      {longest + "d", "it is longer than 254 characters"},
  };
  EXPECT_EQ(longest.size(), MaxAddressLength);
  EXPECT_EQ(PlainAddressFault(longest), "") << "the longest address passes";
  for (const auto& c : cases) EXPECT_EQ(PlainAddressFault(c.Value), c.Reason) << c.Value;
  // A label longer than 63 characters is no host name.
  EXPECT_EQ(PlainAddressFault("a@" + std::string(64, 'b') + ".net"), "the part after the \"@\" is no host name");
}

}  // namespace
}  // namespace orv
