// The stream entries of wide-string and wide-character properties, their has-data rules and the
// reading that applies them only where wide streaming is on.
#include "widechar/UniClasses.h"

#include "platform/rtl/CodePages.h"
#include "widechar/UniSystem.h"
#include "widechar/UniTypInfo.h"

namespace orv {

bool WideStreamingEnabled = false;

void InitUniClasses() { WideStreamingEnabled = true; }

bool ShouldApplyWideValue(TReader& reader) {
  TComponent* owner = reader.Owner();
  if (owner == nullptr) return false;
  if (owner->ComponentState().Contains(csDesigning)) return true;
  return WideStreamingEnabled;
}

void DefineWideProperties(TFiler& filer, TPersistent* instance) {
  const TClassInfo* cls = instance != nullptr ? instance->ClassType() : nullptr;
  if (cls == nullptr) return;
  TUniWideStringPropertyFiler strings;
  TUniWideCharPropertyFiler chars;
  for (const TPropInfo* prop : cls->Properties()) {
    if (prop->Kind == tkWString) strings.DefineProperties(filer, instance, prop->Name);
    else if (prop->Kind == tkWChar) chars.DefineProperties(filer, instance, prop->Name);
  }
}

// ----- wide strings -----

void TUniWideStringPropertyFiler::DefineProperties(TFiler& filer, TPersistent* instance, const AnsiString& propName) {
  FInstance = instance;
  FPropInfo = GetPropInfoOfKind(instance, propName, tkWString);
  struct TClear {
    TUniWideStringPropertyFiler& Filer;
    ~TClear() {
      Filer.FInstance = nullptr;
      Filer.FPropInfo = nullptr;
    }
  } clear{*this};
  if (FPropInfo == nullptr) return;
  filer.DefineProperty(propName + "W", [this](TReader& r) { ReadDataUtf8(r); }, nullptr, false);
  filer.DefineProperty(propName + "_UTF7", [this](TReader& r) { ReadDataUtf7(r); },
                       [this](TWriter& w) { WriteDataUtf7(w); }, HasUtf7Data(filer));
}

void TUniWideStringPropertyFiler::ReadDataUtf8(TReader& reader) {
  const AnsiString value = reader.ReadString();
  if (ShouldApplyWideValue(reader)) SetWideStrProp(FInstance, *FPropInfo, uni::Utf8ToWide(value));
}

void TUniWideStringPropertyFiler::ReadDataUtf7(TReader& reader) {
  const AnsiString value = reader.ReadString();
  if (ShouldApplyWideValue(reader)) SetWideStrProp(FInstance, *FPropInfo, Utf7ToWide(value));
}

void TUniWideStringPropertyFiler::WriteDataUtf7(TWriter& writer) {
  writer.WriteString(WideToUtf7(GetWideStrProp(FInstance, *FPropInfo)));
}

bool TUniWideStringPropertyFiler::HasUtf7Data(TFiler& filer) const {
  if (!FPropInfo->HasReader() || !FPropInfo->IsStored(FInstance)) return false;
  const WideString value = GetWideStrProp(FInstance, *FPropInfo);
  if (const TPropInfo* ancestorProp = GetPropInfoOfKind(filer.Ancestor(), FPropInfo->Name, tkWString);
      ancestorProp != nullptr && ancestorProp->HasReader() &&
      GetWideStrProp(filer.Ancestor(), *ancestorProp) == value)
    return false;
  if (value.empty()) return false;
  // Its UTF-8 bytes read as ANSI text give it back exactly when it is plain ASCII: the ordinary
  // narrow property carries that.
  return value != AnsiToWide(uni::WideToUtf8(value));
}

// ----- wide characters -----

void TUniWideCharPropertyFiler::DefineProperties(TFiler& filer, TPersistent* instance, const AnsiString& propName) {
  FInstance = instance;
  FPropInfo = GetPropInfoOfKind(instance, propName, tkWChar);
  FWriter = dynamic_cast<TWriter*>(&filer);
  struct TClear {
    TUniWideCharPropertyFiler& Filer;
    ~TClear() {
      Filer.FInstance = nullptr;
      Filer.FPropInfo = nullptr;
      Filer.FWriter = nullptr;
    }
  } clear{*this};
  if (FPropInfo == nullptr) return;
  filer.DefineProperty(propName + "W", [this](TReader& r) { ReadData_W(r); }, [this](TWriter& w) { WriteData_W(w); },
                       HasData_W(filer));
  filer.DefineProperty(propName + "_UTF7", [this](TReader& r) { ReadDataUtf7(r); }, nullptr, false);
}

void TUniWideCharPropertyFiler::ReadData_W(TReader& reader) {
  WideString text;
  switch (reader.NextValue()) {
    case vaString:
    case vaLString:
    case vaUTF8String:
    case vaWString:
      text = reader.ReadWideString();
      break;
    default:
      throw EReadError(SInvalidPropertyValue);
  }
  if (text.size() > 1) throw EReadError(SInvalidPropertyValue);
  // Applied whatever the streaming setting: the entry is this property's own value.
  FPropInfo->SetOrd(FInstance, text.empty() ? 0 : text[0]);
}

void TUniWideCharPropertyFiler::WriteData_W(TWriter& writer) {
  writer.WriteWideString(WideString(1, static_cast<WideChar>(FPropInfo->GetOrd(FInstance))));
}

void TUniWideCharPropertyFiler::ReadDataUtf7(TReader& reader) {
  const AnsiString value = reader.ReadString();
  if (!ShouldApplyWideValue(reader)) return;
  const WideString text = Utf7ToWide(value);
  FPropInfo->SetOrd(FInstance, text.empty() ? 0 : text[0]);
}

bool TUniWideCharPropertyFiler::HasData_W(TFiler& filer) const {
  if (!FPropInfo->HasReader() || !FPropInfo->IsStored(FInstance)) return false;
  const Int64 value = FPropInfo->GetOrd(FInstance);
  if (const TPropInfo* ancestorProp = GetPropInfoOfKind(filer.Ancestor(), FPropInfo->Name, tkWChar);
      ancestorProp != nullptr && ancestorProp->HasReader() && ancestorProp->GetOrd(filer.Ancestor()) == value)
    return false;
  return FWriter == nullptr || !IsDefaultWideCharValue(FInstance, *FPropInfo, *FWriter);
}

bool IsDefaultWideCharValue(TPersistent* instance, const TPropInfo& prop, TWriter& writer) {
  if (!prop.HasReader() || !prop.HasWriter()) return true;
  const Int64 value = prop.GetOrd(instance);
  TPersistent* ancestor = writer.Ancestor();
  TComponent* root = writer.Root();
  TComponent* rootAncestor = writer.RootAncestor();
  if (ancestor != nullptr && rootAncestor != nullptr && root != nullptr &&
      root->ClassType() != nullptr && root->ClassType()->InheritsFrom(rootAncestor->ClassType())) {
    if (const TPropInfo* ancestorProp = GetPropInfoOfKind(ancestor, prop.Name, tkWChar);
        ancestorProp != nullptr && ancestorProp->HasReader())
      return ancestorProp->GetOrd(ancestor) == value;
  }
  return prop.Default.has_value() && *prop.Default == value;
}

}  // namespace orv
