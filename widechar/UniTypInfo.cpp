// Wide-string properties by their registry entries.
#include "widechar/UniTypInfo.h"

namespace orv {

namespace {

void CheckWideString(const TPropInfo& prop) {
  if (prop.Kind != tkWString) throw EPropertyError("Property " + prop.Name + " is not a wide string");
}

}  // namespace

WideString GetWideStrProp(TObject* instance, const TPropInfo& prop) {
  CheckWideString(prop);
  return prop.GetWideStr(instance);
}

void SetWideStrProp(TObject* instance, const TPropInfo& prop, const WideString& value) {
  CheckWideString(prop);
  prop.SetWideStr(instance, value);
}

const TPropInfo* GetPropInfoOfKind(const TObject* instance, std::string_view name, TTypeKind kind) {
  if (instance == nullptr) return nullptr;
  const TPropInfo* prop = GetPropInfo(instance, name);
  return prop != nullptr && prop->Kind == kind ? prop : nullptr;
}

}  // namespace orv
