// The sender accounts' file konten.dat, the password scrambling, and the checks the account
// dialog runs before a text is stored.
#pragma once
#include "app/DataFiles.h"
#include "app/MailRecords.h"

namespace orv {

// The one-byte mask of the password scrambling.
inline constexpr Byte PasswordMask = 0x4B;
// Every text of konten.dat carries a one-byte length; the scrambled password takes two
// characters per character.
inline constexpr std::size_t MaxKontoTextBytes = 255;
inline constexpr std::size_t MaxPasswordChars = 127;

// Two upper-case hex digits per byte: ((byte XOR mask) + position) mod 256, position 1-based.
AnsiString ScramblePassword(const AnsiString& plain);
// The inverse of ScramblePassword; an odd last character is ignored, and a digit outside
// 0-9/A-F (either case) counts as 0.
AnsiString DeCodePassw(const AnsiString& stored);
// 0..15 for a hex digit of either case, 0 for anything else.
Integer HexDigitValue(char c);

// What the send run needs to log in: the user name and the decoded password (both empty when
// the account has none).
struct TKontoCredentials {
  AnsiString UserName;
  AnsiString Password;
};
TKontoCredentials KontoCredentials(const TKontoRec& konto);

// The message the dialog shows when the text cannot be stored (over MaxKontoTextBytes once in
// the ANSI code page), or empty when it fits. `label` names the field, as its dialog label does.
AnsiString CheckKontoText(const AnsiString& label, const WideString& text);
// The same for the plain password: at most MaxPasswordChars in the ANSI code page.
AnsiString CheckKontoPassword(const WideString& password);

// Reads konten.dat into the array. A missing file leaves the array as it was; otherwise the
// array is emptied and refilled, in file order, with every whole account (on damage, those read
// before it; see LoadDataFile). Passwords stay scrambled, as in the file.
TDataFileResult OpenKontenFile(const AnsiString& fileName, TDynaArray<TKontoRec>& konten);
// Rewrites konten.dat atomically; false (old file untouched) when it cannot be written,
// including when a text is over 255 bytes. The array's cursor is not moved.
bool SaveKontenFile(const AnsiString& fileName, const TDynaArray<TKontoRec>& konten);

// The record layer under the two above, for streams.
void ReadKonten(TStream& data, TDynaArray<TKontoRec>& konten, Integer& kept);
void WriteKonten(TStream& data, const TDynaArray<TKontoRec>& konten);

}  // namespace orv
