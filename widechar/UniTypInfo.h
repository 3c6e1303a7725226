// Reading and writing wide-string properties through the property registry.
#pragma once
#include "platform/classes/TypeInfo.h"

namespace orv {

// The property's own reader or writer (a field directly, a method called, a virtual one through
// the instance's class, an indexed one with its index). The property must be of the wide-string
// kind; another kind raises EPropertyError.
WideString GetWideStrProp(TObject* instance, const TPropInfo& prop);
void SetWideStrProp(TObject* instance, const TPropInfo& prop, const WideString& value);
// The published property of that name and kind, or nullptr.
const TPropInfo* GetPropInfoOfKind(const TObject* instance, std::string_view name, TTypeKind kind);

}  // namespace orv
