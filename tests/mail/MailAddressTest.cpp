// The recipient address check: what passes is one address that the header field and the envelope
// carry unchanged; everything else is refused with a reason naming what is wrong. And the form a
// stored value is sent in.
#include <gtest/gtest.h>
#include "mail/MailAddress.h"
#include "mail/VudeMail.h"

namespace orv {
namespace {

const char* const kAddresses[] = {
    "anna@example.net",
    "first.last+tag@mail.example.net",
    "o'brien@example.net",
    "x!#$%&*/=?^_`{|}~-y@example.net",
    "UPPER@EXAMPLE.NET",
    "postmaster@localhost",
    "a@b-c.d0",
    "0123456789@example.net",
    "anna@example.photography",
    "\"john.doe\"@example.com",
    "\"a,b;c(d)e.\"@example.com",
    "\"x!#$%&'*+-/=?^_`{|}~[]:.y\"@example.com",
    "user@[192.0.2.1]",
    "user@[0.0.0.0]",
    "user@[255.255.255.255]",
    "user@[IPv6:2001:db8::1]",
    "user@[ipv6:2001:DB8:0:0:0:0:0:1]",
    "user@[IPv6:::1]",
    "user@[IPv6:::]",
    "user@[IPv6:fe80::]",
    "user@[IPv6:1:2:3:4:5:6:7::]",
    "user@[IPv6:::ffff:192.0.2.1]",
    "user@[IPv6:1:2:3:4:5:6:192.0.2.1]",
    "\"quoted\"@[IPv6:2001:db8::1]",
};

TEST(AddressCheck, AddressesPassAndReadBackUnchangedFromTheHeader) {
  for (const char* address : kAddresses) {
    EXPECT_EQ(AddressFault(address), "") << address;
    // What the envelope is made of when it is taken from the header field must be the value.
    TMailMessage m;
    m.ToRecipients().AddRecipient("", address);
    m.BccRecipients().AddRecipient("", address);
    for (TMailRecipients* list : {&m.ToRecipients(), &m.BccRecipients()}) {
      ASSERT_EQ(list->Addresses().size(), 1u) << address;
      EXPECT_EQ(list->Addresses()[0], address);
    }
  }
  // A batch's Bcc field is read again at each add, and every address stays as it was written.
  TMailMessage batch;
  for (const char* address : kAddresses) batch.BccRecipients().AddRecipient("", address);
  EXPECT_EQ(batch.BccRecipients().Addresses(), std::vector<AnsiString>(std::begin(kAddresses), std::end(kAddresses)));
}

struct TFaultCase {
  std::string Value;
  const char* Reason;
};

TEST(AddressCheck, EveryOtherValueIsRefusedWithItsReason) {
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
      {"\"q x\"@example.net", "it holds a blank"},
      {"\"a\\\"b\"@example.net", "it holds quotes"},
      {"\"a\\b\"@example.net", "it holds the sign \"\\\" before the \"@\""},
      {"\"ab\"c@example.net", "it holds quotes"},
      {"a\"b\"@example.net", "it holds quotes"},
      {"\"open@example.net", "it holds quotes"},
      {"\"anna@example.net\"", "it has no \"@\""},
      {"\"a@b\"@example.net", "it holds more than one \"@\""},
      {"\"\"@example.net", "nothing comes before the \"@\""},
      {"\"a<b>\"@example.net", "it holds angle brackets"},
      {"\"a\"@example.net, v@evil.test", "it holds more than one address"},
      {"\"a\"@example.net(v@evil.test)", "it holds a comment"},
      {"\"a\tb\"@example.net", "it holds a control character"},
      {"\"j\xFCrgen\"@example.net", "it holds a character outside ASCII"},
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
      {"anna@[192.0.2.1", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[192.0.2]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[192.0.2.1.5]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[192.0.2.256]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[192.0.2.0001]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[192.0..1]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[example.net]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[2001:db8::1]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[IPv6:]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[IPv6:2001:db8::1::2]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[IPv6:1:2:3:4:5:6:7]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[IPv6:1:2:3:4:5:6:7:8:9]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[IPv6:1:2:3:4:5:6:7::8]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[IPv6:12345::1]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[IPv6:2001:db8::g]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[IPv6::1:2]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[IPv6:1:2:]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[IPv6:1.2.3.4::1]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[IPv6:1:2:3:4:5:6:7:1.2.3.4]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[IPv6:::1.2.3]", "the part after the \"@\" is no IP address in brackets"},
      {"anna@[192.0.2.1]x", "the part after the \"@\" is no IP address in brackets"},
      {"anna@x[192.0.2.1]", "the part after the \"@\" is no host name"},
      {"[a]@example.net", "it holds the sign \"[\" before the \"@\""},
      {tooLong, "the part before the \"@\" is longer than 64 characters"},
      {longest + "d", "it is longer than 254 characters"},
  };
  EXPECT_EQ(longest.size(), MaxAddressLength);
  EXPECT_EQ(AddressFault(longest), "") << "the longest address passes";
  // The quotes of a quoted local part count towards its length.
  EXPECT_EQ(AddressFault("\"" + std::string(62, 'a') + "\"@example.net"), "");
  EXPECT_EQ(AddressFault("\"" + std::string(63, 'a') + "\"@example.net"),
            "the part before the \"@\" is longer than 64 characters");
  for (const auto& c : cases) EXPECT_EQ(AddressFault(c.Value), c.Reason) << c.Value;
  // A label longer than 63 characters is no host name.
  EXPECT_EQ(AddressFault("a@" + std::string(64, 'b') + ".net"), "the part after the \"@\" is no host name");
}

struct TSendCase {
  const char* Value;
  const char* Address;  // what is sent; empty when the value is refused
  const char* Fault;
};

TEST(SendAddressOf, WhiteSpaceAroundAndQuotesAroundTheWholeAddressGo) {
  const TSendCase cases[] = {
      {"anna@example.net", "anna@example.net", ""},
      {"\tanna@example.net\t", "anna@example.net", ""},
      {" \t anna@example.net \t ", "anna@example.net", ""},
      {"\"anna@example.net\"", "anna@example.net", ""},
      {"\t\"anna@example.net\" ", "anna@example.net", ""},
      {"\"user@[192.0.2.1]\"", "user@[192.0.2.1]", ""},
      // A quoted local part is the address itself and keeps its quotes.
      {"\"john.doe\"@example.com", "\"john.doe\"@example.com", ""},
      // Only one pair goes, and only around an address.
      {"\"\"anna@example.net\"\"", "", "it holds quotes"},
      {"\" anna@example.net\"", "", "it holds a blank"},
      {"\"anna@example.net, v@evil.test\"", "", "it holds more than one address"},
      {"\"Anna\"", "", "it has no \"@\""},
      {"\"\"", "", "the address is empty"},
      {"\"", "", "it holds quotes"},
      {" \t ", "", "the address is empty"},
      // Only blanks and tabs are white space here: line breaks around a value still refuse it.
      {"anna@example.net\r\n", "", "it holds a control character"},
      {"\vanna@example.net", "", "it holds a control character"},
      {"anna @example.net", "", "it holds a blank"},
  };
  for (const auto& c : cases) {
    const TSendAddress a = SendAddressOf(c.Value);
    EXPECT_EQ(a.Address, c.Address) << c.Value;
    EXPECT_EQ(a.Fault, c.Fault) << c.Value;
  }
}

}  // namespace
}  // namespace orv
