// The property registry: published properties per class in declaration order, enumeration names,
// handler methods and component fields that form descriptions bind by name, and the class registry
// that creates components by class name.
//
// Registering a class is one chain of one-liners, run from a module's initialisation:
//
//   RegisterEnum<TAlign>("TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"});
//   RegisterClassType<TButton, TButtonControl>("TButton")
//       .Prop("Caption", &TButton::GetCaption, &TButton::SetCaption)  // methods (virtual or not)
//       .Prop("Default", &TButton::FDefault, &TButton::SetDefault).Default(false)
//       .Prop("Align", &TButton::FAlign, &TButton::SetAlign).Default(alNone)
//       .Prop("Color", &TButton::FColor, &TButton::SetColor).Idents(ColorIdents())
//       .Prop("Font", &TButton::GetFont, &TButton::SetFont)          // TPersistent: nested props
//       .Prop("OnClick", &TButton::FOnClick, &TButton::FOnClick)     // TEvent field
//       .Prop("Hint", &TButton::FHint, &TButton::SetHint).Stored(&TButton::IsHintStored)
//       .IndexedProp("Width", 2, &TButton::GetBound, &TButton::SetBound);
//   RegisterClassType<TMainForm, TForm>("TMainForm")
//       .Field("SendBtn", &TMainForm::SendBtn)          // set when a child of that name is read
//       .Method("SendBtnClick", &TMainForm::SendBtnClick);
//
// A reader or writer is a data member (`V C::*`), a member function (`V (C::*)() const` or
// `void (C::*)(V)` / `(const V&)`; a virtual one dispatches through the instance), or nullptr for
// none. The kind follows the value type: integers -> tkInteger (64-bit -> tkInt64), enumerations
// and bool -> tkEnumeration, TSet<E> -> tkSet, char -> tkChar, char16_t -> tkWChar, floating point
// -> tkFloat, AnsiString -> tkString, WideString -> tkWString, a pointer to a TObject descendant
// -> tkClass, TEvent<...> -> tkMethod. Default/NoDefault/Stored/Idents apply to the property
// added last. Registering a class again replaces its earlier registration.
//
// A tkClass property pointing at a TComponent is a reference: written as the component's name,
// resolved after the whole description is read (the holder should FreeNotification the target).
// One pointing at a TCollection is written as the collection's items; any other TPersistent as
// nested "Prop.Sub" entries, read into the object the reader returns (no writer needed).
#pragma once
#include <any>
#include <cstring>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <variant>
#include <vector>
#include "platform/classes/Object.h"
#include "platform/classes/Sets.h"
#include "platform/rtl/Exceptions.h"

namespace orv {

class TComponent;
class TPersistent;

enum TTypeKind {
  tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod,
  tkWChar, tkWString, tkInt64
};
// How a property's reader or writer reaches the value: a field of the instance, a method called
// directly, or a virtual method through the instance's class by its slot.
enum TAccessKind { akNone, akField, akStatic, akVirtual };
struct TPropAccess {
  TAccessKind Kind = akNone;
  int Slot = -1;  // the virtual slot for akVirtual
};

// A property value or type mismatch, or a property without the reader/writer asked for.
class EPropertyError : public Exception { public: using Exception::Exception; };
// "Klasse %s nicht gefunden".
class EClassNotFound : public EStreamError { public: using EStreamError::EStreamError; };

// Names of an enumeration whose values run 0..Names.size()-1.
struct TEnumInfo {
  AnsiString Name;
  std::vector<AnsiString> Names;
  // The name of value, or the value in decimal when it has none.
  AnsiString NameOf(Int64 value) const;
  // Case-insensitive lookup.
  std::optional<Int64> ValueOf(std::string_view name) const;
};

// Identifiers that integer properties accept and are written with (clBtnFace, crDefault).
struct TIdent {
  Int64 Value;
  const char* Name;
};
using TIdentMap = std::vector<TIdent>;

// A registered handler method: forms bind event properties to these by name.
struct TMethodEntry {
  AnsiString Name;
  std::type_index Signature = typeid(void);
  std::any Invoker;  // std::function<void(TObject*, A...)>
};

// A bound handler: the object and the registered method called on it.
struct TMethod {
  TObject* Data = nullptr;
  const TMethodEntry* Code = nullptr;
  explicit operator bool() const { return Code != nullptr; }
  friend bool operator==(const TMethod&, const TMethod&) = default;
};

[[noreturn]] void RaiseInvalidPropertyValue();

// An event property: empty, a plain callable set by code, or a registered handler method bound
// to an object (only the latter is written to a form description).
template <class... A>
class TEvent {
 public:
  TEvent() = default;
  TEvent(std::nullptr_t) {}
  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TEvent> &&
                                              std::is_invocable_v<F&, A...>>>
  TEvent(F f) : FFunc(std::move(f)) {}
  template <class C, class M>
  TEvent(C* obj, void (M::*m)(A...)) : FFunc([obj, m](A... a) { (obj->*m)(std::forward<A>(a)...); }) {}

  void operator()(A... a) const {
    if (FFunc) FFunc(std::forward<A>(a)...);
  }
  explicit operator bool() const { return static_cast<bool>(FFunc); }
  const TMethod& Method() const { return FMethod; }
  // The callable held, when it is of type F (a named handler type tells itself apart so).
  template <class F>
  const F* Target() const { return FFunc.template target<F>(); }
  // Binds a registered method; an empty method clears the event. A method of another signature
  // raises EReadError "Ungültiger Wert der Eigenschaft".
  void SetMethod(const TMethod& m) {
    if (!m.Code) { *this = TEvent(); return; }
    auto* inv = std::any_cast<std::function<void(TObject*, A...)>>(&m.Code->Invoker);
    if (!inv || !m.Data) RaiseInvalidPropertyValue();
    TObject* data = m.Data;
    auto fn = *inv;
    FFunc = [data, fn](A... a) { fn(data, std::forward<A>(a)...); };
    FMethod = m;
  }

 private:
  std::function<void(A...)> FFunc;
  TMethod FMethod;
};
using TNotifyEvent = TEvent<TObject*>;

using TPropValue = std::variant<std::monostate, Int64, double, AnsiString, WideString, TObject*, TMethod>;

class TPropInfo {
 public:
  AnsiString Name;
  TTypeKind Kind = tkUnknown;
  std::type_index ValueType = typeid(void);  // tkClass: the pointee; tkSet/tkEnumeration: the enum
  const class TClassInfo* Declarer = nullptr;
  TPropAccess Reader, Writer;
  std::optional<Integer> Index;
  std::optional<Int64> Default;  // ordinal kinds only
  const TIdentMap* Idents = nullptr;

  bool HasReader() const { return static_cast<bool>(FGet); }
  bool HasWriter() const { return static_cast<bool>(FSet); }
  // The stored flag for this instance (a constant or computed by a method).
  bool IsStored(TObject* instance) const;
  // tkEnumeration: the enumeration; tkSet: its element enumeration; else nullptr.
  const TEnumInfo* EnumType() const;
  // tkClass: the registered class of the pointee type, nullptr when not registered.
  const class TClassInfo* PropClass() const;

  // Typed access. Ordinals cover integers, enumerations, sets (their bits), chars and wide chars;
  // the string forms convert between narrow and wide through the ANSI code page. A kind that does
  // not fit raises EPropertyError; a value outside the property's range raises EReadError
  // "Ungültiger Wert der Eigenschaft".
  Int64 GetOrd(TObject* instance) const;
  void SetOrd(TObject* instance, Int64 value) const;
  double GetFloat(TObject* instance) const;
  void SetFloat(TObject* instance, double value) const;
  AnsiString GetStr(TObject* instance) const;
  void SetStr(TObject* instance, const AnsiString& value) const;
  WideString GetWideStr(TObject* instance) const;
  void SetWideStr(TObject* instance, const WideString& value) const;
  TObject* GetObject(TObject* instance) const;
  void SetObject(TObject* instance, TObject* value) const;
  TMethod GetMethod(TObject* instance) const;
  void SetMethod(TObject* instance, const TMethod& value) const;
  TPropValue GetValue(TObject* instance) const;
  void SetValue(TObject* instance, const TPropValue& value) const;

  // Filled by the registration helpers.
  std::function<TPropValue(TObject*)> FGet;
  std::function<void(TObject*, const TPropValue&)> FSet;
  std::function<bool(TObject*)> FStored;  // empty: FStoredConst
  bool FStoredConst = true;
};

// A component field of a form class, set to the child component of the same name when read and
// cleared when that component goes away.
struct TFieldEntry {
  AnsiString Name;
  std::function<bool(TObject* root, TComponent* value)> Set;  // false: the component has another type
  std::function<TComponent*(TObject* root)> Get;
};

class TClassInfo {
 public:
  AnsiString Name;
  const TClassInfo* Parent = nullptr;
  std::type_index Type = typeid(void);

  bool InheritsFrom(const TClassInfo* other) const;
  bool InheritsFrom(std::string_view className) const;
  // Published properties, those of the ancestors first, each class's in declaration order; a
  // property declared again by a descendant takes its ancestor's place.
  std::vector<const TPropInfo*> Properties() const;
  // Case-insensitive, through the ancestors.
  const TPropInfo* FindProperty(std::string_view name) const;
  const TMethodEntry* FindMethod(std::string_view name) const;
  const TFieldEntry* FindField(std::string_view name) const;
  // True when components of this class can be made by name (a TComponent with an (owner)
  // constructor that is not abstract).
  bool CanCreate() const { return static_cast<bool>(FCreate); }
  // Raises EClassNotFound when the class cannot be made.
  TComponent* CreateComponent(TComponent* owner) const;

  std::deque<TPropInfo> FProps;
  std::deque<TMethodEntry> FMethods;
  std::deque<TFieldEntry> FFields;
  std::function<TComponent*(TComponent*)> FCreate;
  std::function<bool(const TObject*)> FIsInstance;  // the object is of this class or below
};

// The class registered under name (case-insensitive), or nullptr.
const TClassInfo* GetClass(std::string_view name);
// As GetClass, raising EClassNotFound "Klasse %s nicht gefunden".
const TClassInfo* FindClass(std::string_view name);
// The class registered for exactly this type, or nullptr.
const TClassInfo* ClassInfoOf(std::type_index type);
// The class of an object: its own type's registration, else that of its nearest registered
// ancestor (so an unregistered subclass keeps the published properties of its base).
const TClassInfo* ClassInfoOfObject(const TObject* obj);
template <class T>
const TClassInfo* ClassInfoOf() { return ClassInfoOf(typeid(T)); }
const TEnumInfo* EnumInfoOf(std::type_index type);
// The property of instance's class, or nullptr.
const TPropInfo* GetPropInfo(const TObject* instance, std::string_view name);

namespace detail {
TClassInfo& RegisterClassEntry(std::type_index type, const char* name, std::type_index parent);
void RegisterEnumEntry(std::type_index type, const char* name, std::initializer_list<const char*> names);
}  // namespace detail

template <class E>
void RegisterEnum(const char* name, std::initializer_list<const char*> names) {
  static_assert(std::is_enum_v<E>);
  detail::RegisterEnumEntry(typeid(E), name, names);
}

namespace detail {

template <class T> struct IsTSet : std::false_type {};
template <class E> struct IsTSet<TSet<E>> : std::true_type { using Elem = E; };
template <class T> struct IsTEvent : std::false_type {};
template <class... A> struct IsTEvent<TEvent<A...>> : std::true_type {};

template <class V>
constexpr TTypeKind KindOf() {
  if constexpr (std::is_same_v<V, bool> || std::is_enum_v<V>) return tkEnumeration;
  else if constexpr (std::is_same_v<V, char>) return tkChar;
  else if constexpr (std::is_same_v<V, char16_t>) return tkWChar;
  else if constexpr (std::is_integral_v<V>) return sizeof(V) == 8 ? tkInt64 : tkInteger;
  else if constexpr (std::is_floating_point_v<V>) return tkFloat;
  else if constexpr (std::is_same_v<V, AnsiString>) return tkString;
  else if constexpr (std::is_same_v<V, WideString>) return tkWString;
  else if constexpr (IsTSet<V>::value) return tkSet;
  else if constexpr (IsTEvent<V>::value) return tkMethod;
  else if constexpr (std::is_pointer_v<V> &&
                     std::is_base_of_v<TObject, std::remove_cv_t<std::remove_pointer_t<V>>>)
    return tkClass;
  else return tkUnknown;
}

template <class V>
std::type_index ValueTypeOf() {
  if constexpr (IsTSet<V>::value) return typeid(typename IsTSet<V>::Elem);
  else if constexpr (std::is_pointer_v<V>) return typeid(std::remove_cv_t<std::remove_pointer_t<V>>);
  else return typeid(V);
}

template <class V>
TPropValue ToValue(const V& v) {
  constexpr TTypeKind k = KindOf<V>();
  if constexpr (k == tkSet) return static_cast<Int64>(v.Bits());
  else if constexpr (k == tkChar) return static_cast<Int64>(static_cast<unsigned char>(v));
  else if constexpr (k == tkEnumeration || k == tkInteger || k == tkInt64 || k == tkWChar)
    return static_cast<Int64>(v);
  else if constexpr (k == tkFloat) return static_cast<double>(v);
  else if constexpr (k == tkString || k == tkWString) return v;
  else if constexpr (k == tkClass) return static_cast<TObject*>(const_cast<std::remove_cv_t<std::remove_pointer_t<V>>*>(v));
  else if constexpr (k == tkMethod) return v.Method();
  else static_assert(k != tkUnknown, "type cannot be a published property");
}

template <class V>
V FromValue(const TPropValue& value) {
  constexpr TTypeKind k = KindOf<V>();
  if constexpr (k == tkString || k == tkWString) {
    if (auto* p = std::get_if<V>(&value)) return *p;
    RaiseInvalidPropertyValue();
  } else if constexpr (k == tkFloat) {
    if (auto* p = std::get_if<double>(&value)) return static_cast<V>(*p);
    if (auto* p = std::get_if<Int64>(&value)) return static_cast<V>(*p);
    RaiseInvalidPropertyValue();
  } else if constexpr (k == tkClass) {
    using P = std::remove_cv_t<std::remove_pointer_t<V>>;
    auto* p = std::get_if<TObject*>(&value);
    if (!p) RaiseInvalidPropertyValue();
    if (!*p) return nullptr;
    auto* cast = dynamic_cast<P*>(*p);
    if (!cast) RaiseInvalidPropertyValue();
    return cast;
  } else if constexpr (k == tkMethod) {
    auto* p = std::get_if<TMethod>(&value);
    if (!p) RaiseInvalidPropertyValue();
    V ev;
    ev.SetMethod(*p);
    return ev;
  } else {
    auto* p = std::get_if<Int64>(&value);
    if (!p) RaiseInvalidPropertyValue();
    Int64 x = *p;
    if constexpr (k == tkSet) {
      return V::FromBits(static_cast<std::uint64_t>(x));
    } else if constexpr (std::is_same_v<V, bool>) {
      if (x != 0 && x != 1) RaiseInvalidPropertyValue();
      return x != 0;
    } else if constexpr (std::is_enum_v<V>) {
      // Only named values: others may lie outside what the enumeration can hold.
      const TEnumInfo* e = EnumInfoOf(typeid(V));
      using U = std::underlying_type_t<V>;
      if (!std::in_range<U>(x) || (e && (x < 0 || x >= static_cast<Int64>(e->Names.size()))))
        RaiseInvalidPropertyValue();
      return static_cast<V>(x);
    } else if constexpr (k == tkChar) {
      if (x < -128 || x > 255) RaiseInvalidPropertyValue();
      return static_cast<char>(x);
    } else if constexpr (k == tkWChar) {
      if (x < 0 || x > 0xFFFF) RaiseInvalidPropertyValue();
      return static_cast<char16_t>(x);
    } else {
      if (!std::in_range<V>(x)) RaiseInvalidPropertyValue();
      return static_cast<V>(x);
    }
  }
}

template <class M>
TPropAccess AccessOf(M m) {
  if constexpr (std::is_null_pointer_v<M>) {
    return {};
  } else if constexpr (std::is_member_object_pointer_v<M>) {
    return {akField, -1};
  } else {
#if defined(__x86_64__) || defined(__i386__)
    // Pointers to member functions hold (address | slot offset + 1, this adjustment); an odd
    // first word marks a virtual function.
    struct Rep { std::uintptr_t Ptr; std::ptrdiff_t Adj; };
    static_assert(sizeof(M) == sizeof(Rep));
    Rep r;
    std::memcpy(&r, &m, sizeof r);
    if (r.Ptr & 1) return {akVirtual, static_cast<int>((r.Ptr - 1) / sizeof(void*))};
#endif
    (void)m;
    return {akStatic, -1};
  }
}

template <class M> struct MemberTraits;
template <class V, class C> struct MemberTraits<V C::*> {
  using Class = C;
  using Value = std::remove_cv_t<V>;
};
template <class R, class C> struct MemberTraits<R (C::*)() const> { using Class = C; using Value = std::decay_t<R>; };
template <class R, class C> struct MemberTraits<R (C::*)()> { using Class = C; using Value = std::decay_t<R>; };
template <class R, class C> struct MemberTraits<R (C::*)(Integer) const> { using Class = C; using Value = std::decay_t<R>; };
template <class R, class C> struct MemberTraits<R (C::*)(Integer)> { using Class = C; using Value = std::decay_t<R>; };
template <class R, class C> struct MemberTraits<R (C::*)() const noexcept> { using Class = C; using Value = std::decay_t<R>; };
template <class R, class C> struct MemberTraits<R (C::*)() noexcept> { using Class = C; using Value = std::decay_t<R>; };
template <class R, class C> struct MemberTraits<R (C::*)(Integer) const noexcept> { using Class = C; using Value = std::decay_t<R>; };

template <class T, class M>
std::function<TPropValue(TObject*)> MakeGetter(M m, std::optional<Integer> index) {
  if constexpr (std::is_null_pointer_v<M>) {
    return {};
  } else if constexpr (std::is_member_object_pointer_v<M>) {
    return [m](TObject* o) { return ToValue(static_cast<T*>(o)->*m); };
  } else if constexpr (std::is_invocable_v<M, T*, Integer>) {
    Integer i = index.value_or(0);
    return [m, i](TObject* o) { return ToValue((static_cast<T*>(o)->*m)(i)); };
  } else {
    return [m](TObject* o) { return ToValue((static_cast<T*>(o)->*m)()); };
  }
}

template <class T, class V, class M>
std::function<void(TObject*, const TPropValue&)> MakeSetter(M m, std::optional<Integer> index) {
  if constexpr (std::is_null_pointer_v<M>) {
    return {};
  } else if constexpr (std::is_member_object_pointer_v<M>) {
    return [m](TObject* o, const TPropValue& v) { static_cast<T*>(o)->*m = FromValue<V>(v); };
  } else if constexpr (std::is_invocable_v<M, T*, Integer, V>) {
    Integer i = index.value_or(0);
    return [m, i](TObject* o, const TPropValue& v) { (static_cast<T*>(o)->*m)(i, FromValue<V>(v)); };
  } else {
    static_assert(std::is_invocable_v<M, T*, V>, "writer must take the reader's value type");
    return [m](TObject* o, const TPropValue& v) { (static_cast<T*>(o)->*m)(FromValue<V>(v)); };
  }
}

template <class V>
Int64 OrdOf(const V& v) {
  TPropValue pv = ToValue(v);
  return std::get<Int64>(pv);
}

}  // namespace detail

template <class T>
class TClassBuilder {
 public:
  explicit TClassBuilder(TClassInfo& info) : FInfo(info) {}

  template <class R, class W>
  TClassBuilder& Prop(const char* name, R reader, W writer) {
    return Add(name, reader, writer, std::nullopt);
  }
  // An indexed property: the reader takes (Integer index), the writer (Integer index, value).
  template <class R, class W>
  TClassBuilder& IndexedProp(const char* name, Integer index, R reader, W writer) {
    return Add(name, reader, writer, index);
  }
  template <class V>
  TClassBuilder& Default(V value) {
    Last().Default = detail::OrdOf(value);
    return *this;
  }
  TClassBuilder& NoDefault() { Last().Default.reset(); return *this; }
  TClassBuilder& Stored(bool stored) {
    Last().FStored = {};
    Last().FStoredConst = stored;
    return *this;
  }
  template <class B>
  TClassBuilder& Stored(bool (B::*isStored)() const) {
    Last().FStored = [isStored](TObject* o) { return (static_cast<T*>(o)->*isStored)(); };
    return *this;
  }
  // The map must outlive the registration (keep it in a function-local static).
  TClassBuilder& Idents(const TIdentMap& idents) { Last().Idents = &idents; return *this; }

  template <class C, class... A>
  TClassBuilder& Method(const char* name, void (C::*m)(A...)) {
    static_assert(std::is_base_of_v<C, T>);
    TMethodEntry e;
    e.Name = name;
    e.Signature = typeid(void (*)(A...));
    e.Invoker = std::function<void(TObject*, A...)>(
        [m](TObject* self, A... a) { (static_cast<T*>(self)->*m)(std::forward<A>(a)...); });
    FInfo.FMethods.push_back(std::move(e));
    return *this;
  }
  template <class C, class V>
  TClassBuilder& Field(const char* name, V* C::*member) {
    static_assert(std::is_base_of_v<C, T> && std::is_base_of_v<TComponent, V>);
    TFieldEntry e;
    e.Name = name;
    e.Set = [member](TObject* root, TComponent* value) {
      V* cast = value ? dynamic_cast<V*>(value) : nullptr;
      if (value && !cast) return false;
      static_cast<T*>(root)->*member = cast;
      return true;
    };
    e.Get = [member](TObject* root) -> TComponent* { return static_cast<T*>(root)->*member; };
    FInfo.FFields.push_back(std::move(e));
    return *this;
  }
  const TClassInfo& Info() const { return FInfo; }

 private:
  template <class R, class W>
  TClassBuilder& Add(const char* name, R reader, W writer, std::optional<Integer> index) {
    static_assert(!std::is_null_pointer_v<R>, "a published property needs a reader");
    using V = typename detail::MemberTraits<R>::Value;
    static_assert(detail::KindOf<V>() != tkUnknown, "type cannot be a published property");
    TPropInfo p;
    p.Name = name;
    p.Kind = detail::KindOf<V>();
    p.ValueType = detail::ValueTypeOf<V>();
    p.Declarer = &FInfo;
    p.Reader = detail::AccessOf(reader);
    p.Writer = detail::AccessOf(writer);
    p.Index = index;
    p.FGet = detail::MakeGetter<T>(reader, index);
    p.FSet = detail::MakeSetter<T, V>(writer, index);
    FInfo.FProps.push_back(std::move(p));
    return *this;
  }
  TPropInfo& Last() {
    if (FInfo.FProps.empty()) throw EPropertyError("no property to qualify");
    return FInfo.FProps.back();
  }
  TClassInfo& FInfo;
};

namespace detail {
template <class T>
std::function<TComponent*(TComponent*)> FactoryFor() {
  if constexpr (std::is_base_of_v<TComponent, T> && !std::is_abstract_v<T> &&
                std::is_constructible_v<T, TComponent*>)
    return [](TComponent* owner) -> TComponent* { return new T(owner); };
  else
    return {};
}
}  // namespace detail

// Registers T as a descendant of TBase (already registered) under name; returns the builder for
// its properties, methods and fields.
template <class T, class TBase>
TClassBuilder<T> RegisterClassType(const char* name) {
  static_assert(std::is_base_of_v<TBase, T> && std::is_base_of_v<TObject, T>);
  TClassInfo& info = detail::RegisterClassEntry(typeid(T), name, typeid(TBase));
  info.FCreate = detail::FactoryFor<T>();
  info.FIsInstance = [](const TObject* o) { return dynamic_cast<const T*>(o) != nullptr; };
  return TClassBuilder<T>(info);
}

}  // namespace orv
