// The main window's send options: options.dat read at start-up into the option controls and
// rewritten whole after every change of one of them.
#include <algorithm>
#include <cmath>
#include <limits>

#include "app/MainUnit.h"
#include "app/OptionsStore.h"
#include "platform/forms/DialogService.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

AnsiString OptionsFileName(const AnsiString& appDir) { return appDir + "options.dat"; }

// A numeric option control's value as a whole number: its fraction dropped toward zero. A value
// that is no number counts as `fallback`; values beyond 32 bits are held at the ends.
Integer WholeValue(const TOrvSpinEdit& edit, Integer fallback) {
  double value = static_cast<double>(edit.GetValue());
  if (std::isnan(value)) return fallback;
  value = std::trunc(value);
  if (value <= static_cast<double>(std::numeric_limits<Integer>::min()))
    return std::numeric_limits<Integer>::min();
  if (value >= static_cast<double>(std::numeric_limits<Integer>::max()))
    return std::numeric_limits<Integer>::max();
  return static_cast<Integer>(value);
}

}  // namespace

void TMainForm::OpenOptions() {
  // The controls' values stand for any field the file does not hold whole.
  TOptionsRec options;
  options.MailField = WholeValue(*MailFieldEd, 0);
  options.BccCount = std::clamp(WholeValue(*bccCountEd, 20), MinBccCount, MaxBccCount);
  options.KontoIndex = FKontoIndex;
  options.VirusCount = std::clamp(WholeValue(*VirusEd, 0), MinVirusCount, MaxVirusCount);
  options.Bcc = bccCheck->Checked();
  const TDataFileResult result = OpenOptionsFile(OptionsFileName(FAppDir), options);
  if (result.State == dfMissing) return;
  MailFieldEd->SetValue(options.MailField);
  bccCountEd->SetValue(options.BccCount);
  FKontoIndex = options.KontoIndex;
  VirusEd->SetValue(options.VirusCount);
  bccCheck->SetChecked(options.Bcc);
  PersonalCheck->SetChecked(!options.Bcc);
  if (result.Damaged())
    DialogService().MessageBox(DamagedFileMessage(result), Application->Title(), MB_OK | MB_ICONWARNING);
  if (!options.HasTablePath) return;
  ChooseTableFile(options.TablePath);
}

void TMainForm::SaveOptions() {
  // The change events that reading the window and loading the files fire write nothing back.
  if (FLoading || ComponentState().Contains(csLoading)) return;
  TOptionsRec options;
  options.MailField = WholeValue(*MailFieldEd, 0);
  options.BccCount = std::clamp(WholeValue(*bccCountEd, 20), MinBccCount, MaxBccCount);
  options.KontoIndex = FKontoIndex;
  options.VirusCount = std::clamp(WholeValue(*VirusEd, 0), MinVirusCount, MaxVirusCount);
  options.Bcc = bccCheck->Checked();
  options.TablePath = FilenameEdit1->GetFileName();
  // A file that cannot be written is passed over without a message; the old one stays whole.
  (void)SaveOptionsFile(OptionsFileName(FAppDir), options);
}

void TMainForm::MailFieldEdChange(TObject*) { SaveOptions(); }
void TMainForm::bccCountEdChange(TObject*) { SaveOptions(); }
void TMainForm::VirusEdChange(TObject*) { SaveOptions(); }
void TMainForm::PersonalCheckClick(TObject*) { SaveOptions(); }
void TMainForm::bccCheckClick(TObject*) { SaveOptions(); }

void TMainForm::AbsenderComboChange(TObject*) {
  FKontoIndex = AbsenderCombo->ItemIndex();
  SaveOptions();
}

}  // namespace orv
