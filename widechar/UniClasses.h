// Wide properties in the component stream: beside each published wide-string property P the
// entries P + "W" (UTF-8, read only) and P + "_UTF7" (UTF-7, read and written), beside each wide
// character P the entries P + "W" (a one-unit wide string, read and written) and P + "_UTF7" (read
// only). The wide classes call DefineWideProperties from their DefineProperties.
#pragma once
#include "platform/classes/Classes.h"
#include "platform/classes/Filer.h"

namespace orv {

// Wide entries are applied at run time, not only while a form is designed (set by the start step).
extern bool WideStreamingEnabled;
void InitUniClasses();

// Defines the wide entries of every wide-string and wide-character property of instance's class,
// in registry order.
void DefineWideProperties(TFiler& filer, TPersistent* instance);

// The defining filers, one per kind of property; made, used and freed inside DefineWideProperties.
// Instance and property are set for the length of one definition.
class TUniWideStringPropertyFiler : public TObject {
 public:
  void DefineProperties(TFiler& filer, TPersistent* instance, const AnsiString& propName);

 private:
  void ReadDataUtf8(TReader& reader);
  void ReadDataUtf7(TReader& reader);
  void WriteDataUtf7(TWriter& writer);
  bool HasUtf7Data(TFiler& filer) const;

  TPersistent* FInstance = nullptr;
  const TPropInfo* FPropInfo = nullptr;
};

class TUniWideCharPropertyFiler : public TObject {
 public:
  void DefineProperties(TFiler& filer, TPersistent* instance, const AnsiString& propName);

 private:
  void ReadData_W(TReader& reader);
  void WriteData_W(TWriter& writer);
  void ReadDataUtf7(TReader& reader);
  bool HasData_W(TFiler& filer) const;

  TPersistent* FInstance = nullptr;
  const TPropInfo* FPropInfo = nullptr;
  TWriter* FWriter = nullptr;
};

// False without an owner of what is read; true while the owner is designed; else
// WideStreamingEnabled.
bool ShouldApplyWideValue(TReader& reader);
// A property without reader or writer is default (never written). With an ancestor of the writer,
// and a root whose class derives from the root ancestor's, the ancestor's value is the default;
// otherwise the declared default, and a property without one is never default.
bool IsDefaultWideCharValue(TPersistent* instance, const TPropInfo& prop, TWriter& writer);

}  // namespace orv
