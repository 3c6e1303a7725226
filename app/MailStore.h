// The stored mails' file mails.dat, and the text form of a mail's date on it.
#pragma once
#include <string_view>
#include "app/DataFiles.h"
#include "app/MailRecords.h"

namespace orv {

// Reads mails.dat into the array. A missing file leaves the array as it was; otherwise the array
// is emptied and refilled, in file order, with every whole mail (on damage, those read before
// it; see LoadDataFile). A negative or impossible size or count (mails, RTF bytes, attachments,
// string lengths) and a mail type above 2 are damage and never reserve memory. Each mail gets its
// own attachment array, created without a pointer variable: read it through Current().
TDataFileResult OpenMailsFile(const AnsiString& fileName, TDynaArray<TMailRec>& mails);
// Rewrites mails.dat atomically; false (old file untouched) when it cannot be written. The
// array's cursor is not moved.
bool SaveMailsFile(const AnsiString& fileName, const TDynaArray<TMailRec>& mails);

void ReadMails(TStream& data, TDynaArray<TMailRec>& mails, Integer& kept);
void WriteMails(TStream& data, const TDynaArray<TMailRec>& mails);

// A mail's date as the file holds it: the locale's date-time text form. Named apart from the
// mail module's Date-field text, which the message header must get.
AnsiString StoredMailDateText(TDateTime date);
// Reads a stored date: the locale's form first, then dd.mm.yyyy, yyyy-mm-dd and m/d/yyyy, each
// with or without a time (h:nn or h:nn:ss, an AM/PM mark allowed). False when no form reads it.
bool ReadMailDate(std::string_view text, TDateTime& result);
// The common forms alone, without the locale's.
bool ReadCommonDate(std::string_view text, TDateTime& result);

}  // namespace orv
