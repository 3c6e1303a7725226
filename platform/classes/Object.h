// The root of the class hierarchy: run-time class identity through the class registry, and
// interfaces identified by GUIDs that callers ask an object for.
#pragma once
#include <array>
#include <string_view>
#include "platform/rtl/Types.h"

namespace orv {

class TClassInfo;

// A 128-bit interface identifier, written "{59D0AE37-8161-4AD6-9102-14B28E5761EB}".
struct TGUID {
  LongWord D1 = 0;
  Word D2 = 0;
  Word D3 = 0;
  std::array<Byte, 8> D4{};
  // Raises EConvertError "'%s' ist keine gültige GUID" for any other text.
  static TGUID FromString(std::string_view text);
  AnsiString ToString() const;
  friend bool operator==(const TGUID&, const TGUID&) = default;
};

// Base of interfaces. Interfaces of components are not reference counted: the component's owner
// ends its life, so a pointer handed out is valid as long as the object is.
class IInterface {
 public:
  virtual ~IInterface() = default;
};

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  // The registered class of the object's dynamic type; for a type that is not registered, that of
  // its nearest registered ancestor.
  const TClassInfo* ClassType() const;
  // The name its type is registered under, else the C++ type name without namespace.
  AnsiString ClassName() const;
  // True when the object's class is, or derives from, the class registered under that name.
  bool InheritsFrom(std::string_view className) const;
  bool InheritsFrom(const TClassInfo* cls) const;

  // Hands out the interface identified by iid: returns true and sets *obj, else false and nullptr.
  // Overrides add their interfaces and call the inherited step for the rest.
  virtual bool QueryInterface(const TGUID& iid, void** obj);
};

// True when obj hands out the interface iid (obj may be nullptr).
bool Supports(TObject* obj, const TGUID& iid, void** intf = nullptr);
// Typed form for interfaces that declare `static inline const TGUID IID`.
template <class I>
I* Supports(TObject* obj) {
  void* p = nullptr;
  return Supports(obj, I::IID, &p) ? static_cast<I*>(p) : nullptr;
}

}  // namespace orv
