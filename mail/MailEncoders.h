// MIME text transformations: quoted-printable, base64, uuencode, encoded header words, header
// folding, the Date text, boundaries and safe file names. Texts are bytes; no code-page conversion.
#pragma once
#include <string_view>
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Types.h"

namespace orv {

class TStream;

// Leading TABs and blanks, trailing blanks (trailing TABs stay).
AnsiString TrimBlanks(std::string_view text);
AnsiString TrimLeadingBlanks(std::string_view text);
// Trims leading blanks, keeps the rightmost width characters or puts fill in front up to width.
AnsiString PadLeft(std::string_view text, Integer width, std::string_view fill);
// From position (from 1) up to and including the next CRLF or the end; position becomes -1 when
// the text is used up.
AnsiString NextLine(std::string_view text, Integer& position);
// Every "."-separated piece is a non-negative number (an empty piece or text: false).
bool IsDottedNumber(std::string_view text);
// Trimmed, at most 254 characters, controls and : \ / * ? " < > | ' replaced by "_".
AnsiString SafeFileName(std::string_view text);
// "boundary" + a random 32-bit number in 8 upper-case hex digits.
AnsiString NewBoundary();
// A random 32-bit number from the runtime's generator.
LongWord Random32();

// Body mode: soft line breaks keep lines at most 72 characters, every line ends with CRLF, and
// blanks or TABs before a line end or at the end of the text are escaped. Header mode: one run of
// text with blanks, CR, LF and the specials escaped.
AnsiString EncodeQuotedPrintable(std::string_view text, bool headerMode);
// Malformed escapes are dropped; lower-case hex digits are accepted too.
AnsiString DecodeQuotedPrintable(std::string_view text);
// One "=?charset?Q?...?=" word when the header-mode form differs from the text; no length limit.
// Used for attachment names, which stay in this form.
AnsiString EncodeHeaderWord(std::string_view text, std::string_view charset);
// Subject text: like EncodeHeaderWord, but as several blank-separated words of at most 75
// characters each, with "," and ";" encoded too, so folding can always cut between words. A plain
// text stays as it is unless it holds ";" or is long and holds ",".
AnsiString EncodeHeaderWords(std::string_view text, std::string_view charset);
// A display name: printable ASCII is quoted (backslash and quote escaped); anything else becomes
// bare encoded words in the restricted set a phrase allows. Empty for an empty name.
AnsiString EncodeDisplayName(std::string_view name, std::string_view charset);
// Decodes every encoded word (B, Q, U) in one pass; blanks between adjacent words are dropped;
// a malformed word stays as it stands.
AnsiString DecodeHeaderWords(std::string_view text);

// Base64 in lines of 76 characters, each followed by CRLF; empty for empty data.
AnsiString EncodeBase64(std::string_view data);
// The destination is emptied and receives the base64 form of the whole source (from its start),
// read and written in blocks of whole lines.
void EncodeBase64Stream(TStream& source, TStream& destination);
// Room needed for the base64 lines of n bytes, and the block encoder behind both forms: writes the
// lines of n bytes to out (at least Base64EncodedSize(n) long) and returns the characters written.
// A block of a multiple of 57 bytes ends on a line end, so blocks can be encoded one by one.
size_t Base64EncodedSize(size_t n);
size_t EncodeBase64Block(const unsigned char* data, size_t n, char* out);
// The whole text (its line ends joined as CRLF) as one base64 line without CRLF.
AnsiString EncodeBase64Text(std::string_view text);
// Appends the bytes of one line to out and returns their count; characters outside the alphabet
// are skipped.
Integer DecodeBase64Line(std::string_view line, AnsiString& out);
// 0..63; EMailError "UUCODE message format error" for any other character.
Integer UUCharValue(char c);
// Appends the bytes of one uuencoded line (at most 45, never more than the line holds data for)
// and returns their count; 0 for a malformed line.
Integer DecodeUULine(std::string_view line, AnsiString& out);

// Folds header lines longer than 72 characters at blanks, "," or ";" outside quotes.
AnsiString FoldHeader(std::string_view headerText);

// Local offset from UTC at the given local time, in whole minutes (east positive).
Integer TimeZoneOffsetMinutes(TDateTime localTime);
// The same as a fraction of a day, at the current time.
double TimeZoneOffset();
// "Sun, 05 Jan 2003 14:03:09 +0100"; zone "GMT" at offset 0.
AnsiString MailDateText(TDateTime localTime);
AnsiString MailDateText(TDateTime localTime, Integer offsetMinutes);

}  // namespace orv
