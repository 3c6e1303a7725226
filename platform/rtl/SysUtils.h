// String, number and file-name helpers with the class library's meanings (1-based positions, clamping).
#pragma once
#include <string_view>
#include "platform/rtl/Types.h"
#include "platform/rtl/Exceptions.h"

namespace orv {

// Upper-/lower-casing of the letters a-z only; every other byte is left as it is.
AnsiString UpperCase(std::string_view s);
AnsiString LowerCase(std::string_view s);
// Locale-aware casing and compare through the ANSI code page (the class library's Ansi* routines).
AnsiString AnsiUpperCase(std::string_view s);
AnsiString AnsiLowerCase(std::string_view s);
int CompareText(std::string_view a, std::string_view b);      // a-z case-insensitive, byte order
bool SameText(std::string_view a, std::string_view b);
int AnsiCompareStr(std::string_view a, std::string_view b);   // by the user locale
int AnsiCompareText(std::string_view a, std::string_view b);  // by the user locale, ignoring case

// Removes bytes <= ' ' at both ends / the left / the right.
AnsiString Trim(std::string_view s);
AnsiString TrimLeft(std::string_view s);
AnsiString TrimRight(std::string_view s);
WideString Trim(std::u16string_view s);

// Copy(s, index, count): index is 1-based; an index below 1 counts as 1; a copy past the end is cut;
// a negative count gives the empty string. Never raises.
AnsiString Copy(std::string_view s, Int64 index, Int64 count);
WideString Copy(std::u16string_view s, Int64 index, Int64 count);
// 1-based position of sub in s, 0 when absent.
Integer Pos(std::string_view sub, std::string_view s);
Integer Pos(std::u16string_view sub, std::u16string_view s);
AnsiString StringReplaceAll(std::string_view s, std::string_view from, std::string_view to);

AnsiString IntToStr(Int64 value);
// Upper-case hex, at least digits wide.
AnsiString IntToHex(std::uint64_t value, int digits);
// Decimal, or hex with a leading "$" or "0x"; blanks around are not allowed. Raises EConvertError
// "'%s' is not a valid integer value".
Integer StrToInt(std::string_view s);
Int64 StrToInt64(std::string_view s);
Integer StrToIntDef(std::string_view s, Integer def);
bool TryStrToInt(std::string_view s, Integer& value);
bool TryStrToInt64(std::string_view s, Int64& value);

// The decimal separator of the user locale ('.' under 0x409, ',' under e.g. 0x407).
char DecimalSeparator();
// Float text with the locale's decimal separator (15 significant digits, as the class library).
AnsiString FloatToStr(double value);
double StrToFloat(std::string_view s);          // locale separator; EConvertError when invalid
bool TryStrToFloat(std::string_view s, double& value);
// The same in the C locale, for files.
AnsiString FloatToStrC(double value, int significantDigits = 15);
bool TryStrToFloatC(std::string_view s, double& value);
// Rounds half to even at the given number of decimals.
double RoundHalfEven(double value, int decimals);

// File names use "/"; a folder ends with "/".
AnsiString ExtractFilePath(std::string_view fileName);   // up to and including the last "/"
AnsiString ExtractFileName(std::string_view fileName);   // after the last "/"
AnsiString ExtractFileExt(std::string_view fileName);    // from the last "." of the name, with it
AnsiString ChangeFileExt(std::string_view fileName, std::string_view ext);
AnsiString ExpandFileName(std::string_view fileName);    // absolute, "." and ".." resolved
AnsiString IncludeTrailingPathDelimiter(std::string_view path);
AnsiString GetCurrentDir();
bool FileExists(const AnsiString& fileName);
bool DirectoryExists(const AnsiString& dir);
bool DeleteFile(const AnsiString& fileName);
bool RenameFile(const AnsiString& oldName, const AnsiString& newName);
Int64 FileSizeOf(const AnsiString& fileName);           // -1 when it does not exist
// Finds a file in its folder without regard to the case of its name; returns the name as it is on
// disk, or the given name when none is found.
AnsiString FindFileNoCase(const AnsiString& fileName);
// The path of the running executable.
AnsiString ParamStr0();

// Milliseconds from a monotonic clock.
std::uint64_t GetTickCount64();
void Sleep(unsigned milliseconds);
// The computer name (host name).
AnsiString GetComputerName();

}  // namespace orv
