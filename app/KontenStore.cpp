// konten.dat: a 32-bit account count, then six short strings per account; and the password
// scrambling its last field holds.
#include "app/KontenStore.h"

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Format.h"

namespace orv {

AnsiString ScramblePassword(const AnsiString& plain) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  AnsiString result;
  result.reserve(plain.size() * 2);
  for (std::size_t i = 0; i < plain.size(); ++i) {
    // Unsigned bytes: a character from 0x80 up must not turn negative before the sum.
    const unsigned v = ((static_cast<Byte>(plain[i]) ^ PasswordMask) + (i + 1)) & 0xFF;
    result.push_back(kHex[v >> 4]);
    result.push_back(kHex[v & 0x0F]);
  }
  return result;
}

Integer HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

AnsiString DeCodePassw(const AnsiString& stored) {
  AnsiString result;
  const std::size_t n = stored.size() / 2;
  result.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const Int64 hi = HexDigitValue(stored[2 * i]);
    const Int64 lo = HexDigitValue(stored[2 * i + 1]);
    // The position may exceed the pair's value: the remainder is taken as non-negative.
    Int64 b = (hi * 16 + lo - static_cast<Int64>(i) - 1) % 256;
    if (b < 0) b += 256;
    result.push_back(static_cast<char>(static_cast<Byte>(b) ^ PasswordMask));
  }
  return result;
}

TKontoCredentials KontoCredentials(const TKontoRec& konto) {
  return {konto.UserName, DeCodePassw(konto.Password)};
}

AnsiString CheckKontoText(const AnsiString& label, const WideString& text) {
  const std::size_t bytes = WideToAnsi(text).size();
  if (bytes <= MaxKontoTextBytes) return {};
  return Format("The text of \"%s\" is %d bytes long; at most %d bytes can be stored.",
                {label, static_cast<Int64>(bytes), static_cast<Int64>(MaxKontoTextBytes)});
}

AnsiString CheckKontoPassword(const WideString& password) {
  const std::size_t chars = WideToAnsi(password).size();
  if (chars <= MaxPasswordChars) return {};
  return Format("The password is %d characters long; at most %d characters can be stored.",
                {static_cast<Int64>(chars), static_cast<Int64>(MaxPasswordChars)});
}

void ReadKonten(TStream& data, TDynaArray<TKontoRec>& konten, Integer& kept) {
  while (konten.Count() > 0) konten.Delete(konten.Count() - 1);
  const Integer count = ReadInt32(data);
  // A count larger than the data is read as far as whole accounts go: a file cut short keeps them.
  CheckRecordCount(count, data.Size() - data.Position(), 0, "account");
  for (Integer i = 0; i < count; ++i) {
    TKontoRec rec;
    rec.SenderName = ReadShortStr(data);
    rec.SenderAddress = ReadShortStr(data);
    rec.ReplyAddress = ReadShortStr(data);
    rec.Server = ReadShortStr(data);
    rec.UserName = ReadShortStr(data);
    rec.Password = ReadShortStr(data);
    *konten.Append() = std::move(rec);
    kept = konten.Count();
  }
}

void WriteKonten(TStream& data, const TDynaArray<TKontoRec>& konten) {
  WriteInt32(data, konten.Count());
  for (Integer i = 0; i < konten.Count(); ++i) {
    const TKontoRec& rec = konten[i];
    WriteShortStr(data, rec.SenderName);
    WriteShortStr(data, rec.SenderAddress);
    WriteShortStr(data, rec.ReplyAddress);
    WriteShortStr(data, rec.Server);
    WriteShortStr(data, rec.UserName);
    WriteShortStr(data, rec.Password);
  }
}

TDataFileResult OpenKontenFile(const AnsiString& fileName, TDynaArray<TKontoRec>& konten) {
  return LoadDataFile(fileName,
                      [&konten](TStream& data, Integer& kept) { ReadKonten(data, konten, kept); });
}

bool SaveKontenFile(const AnsiString& fileName, const TDynaArray<TKontoRec>& konten) {
  return RewriteDataFile(fileName, [&konten](TStream& data) { WriteKonten(data, konten); });
}

}  // namespace orv
