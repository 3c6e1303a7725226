// The class, enumeration and property registry, and typed access to published properties.
#include "platform/classes/TypeInfo.h"
#include <map>
#include <unordered_map>
#include "platform/classes/Classes.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

struct TRegistry {
  std::unordered_map<std::type_index, std::unique_ptr<TClassInfo>> Classes;
  std::unordered_map<std::type_index, std::unique_ptr<TEnumInfo>> Enums;
  std::map<AnsiString, TClassInfo*> ByName;  // upper-cased name
  // Unregistered dynamic types and the registered class they fall back to.
  std::unordered_map<std::type_index, const TClassInfo*> Nearest;

  TRegistry();
};

TRegistry& Registry() {
  static TRegistry registry;
  return registry;
}

TClassInfo& AddClass(TRegistry& r, std::type_index type, const char* name, const TClassInfo* parent) {
  auto& slot = r.Classes[type];
  if (!slot) slot = std::make_unique<TClassInfo>();
  TClassInfo& info = *slot;
  if (!info.Name.empty()) r.ByName.erase(UpperCase(info.Name));
  info.Name = name;
  info.Parent = parent;
  info.Type = type;
  info.FProps.clear();
  info.FMethods.clear();
  info.FFields.clear();
  info.FCreate = {};
  info.FIsInstance = {};
  r.ByName[UpperCase(info.Name)] = &info;
  r.Nearest.clear();
  return info;
}

void AddEnum(TRegistry& r, std::type_index type, const char* name, std::initializer_list<const char*> names) {
  auto e = std::make_unique<TEnumInfo>();
  e->Name = name;
  for (const char* n : names) e->Names.emplace_back(n);
  r.Enums[type] = std::move(e);
}

TRegistry::TRegistry() {
  // The base classes are always present, whatever order modules start in.
  TClassInfo& obj = AddClass(*this, typeid(TObject), "TObject", nullptr);
  TClassInfo& pers = AddClass(*this, typeid(TPersistent), "TPersistent", &obj);
  TClassInfo& comp = AddClass(*this, typeid(TComponent), "TComponent", &pers);
  AddClass(*this, typeid(TCollection), "TCollection", &pers);
  AddClass(*this, typeid(TCollectionItem), "TCollectionItem", &pers);
  AddEnum(*this, typeid(bool), "Boolean", {"False", "True"});
  TClassBuilder<TComponent> b(comp);
  b.Prop("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
  b.Prop("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
  comp.FCreate = [](TComponent* owner) -> TComponent* { return new TComponent(owner); };
  obj.FIsInstance = [](const TObject*) { return true; };
  pers.FIsInstance = [](const TObject* o) { return dynamic_cast<const TPersistent*>(o) != nullptr; };
  comp.FIsInstance = [](const TObject* o) { return dynamic_cast<const TComponent*>(o) != nullptr; };
  Classes[typeid(TCollection)]->FIsInstance = [](const TObject* o) { return dynamic_cast<const TCollection*>(o) != nullptr; };
  Classes[typeid(TCollectionItem)]->FIsInstance = [](const TObject* o) {
    return dynamic_cast<const TCollectionItem*>(o) != nullptr;
  };
}

[[noreturn]] void KindError(const TPropInfo& p) {
  throw EPropertyError("Eigenschaft " + p.Name + " hat nicht die erwartete Art");
}

TPropValue Get(const TPropInfo& p, TObject* instance) {
  if (!p.FGet) throw EPropertyError("Eigenschaft " + p.Name + " kann nicht gelesen werden");
  return p.FGet(instance);
}

void Set(const TPropInfo& p, TObject* instance, const TPropValue& v) {
  if (!p.FSet) throw EPropertyError("Eigenschaft " + p.Name + " ist schreibgesch\xFCtzt");
  p.FSet(instance, v);
}

bool IsOrdinal(TTypeKind k) {
  return k == tkInteger || k == tkInt64 || k == tkEnumeration || k == tkSet || k == tkChar || k == tkWChar;
}

}  // namespace

void RaiseInvalidPropertyValue() { throw EReadError(SInvalidPropertyValue); }

AnsiString TEnumInfo::NameOf(Int64 value) const {
  if (value >= 0 && value < static_cast<Int64>(Names.size())) return Names[static_cast<size_t>(value)];
  return IntToStr(value);
}

std::optional<Int64> TEnumInfo::ValueOf(std::string_view name) const {
  for (size_t i = 0; i < Names.size(); ++i)
    if (SameText(Names[i], name)) return static_cast<Int64>(i);
  return std::nullopt;
}

bool TPropInfo::IsStored(TObject* instance) const {
  if (FStored) return FStored(instance);
  return FStoredConst;
}

const TEnumInfo* TPropInfo::EnumType() const {
  if (Kind != tkEnumeration && Kind != tkSet) return nullptr;
  return EnumInfoOf(ValueType);
}

const TClassInfo* TPropInfo::PropClass() const {
  return Kind == tkClass ? ClassInfoOf(ValueType) : nullptr;
}

Int64 TPropInfo::GetOrd(TObject* instance) const {
  if (!IsOrdinal(Kind)) KindError(*this);
  return std::get<Int64>(Get(*this, instance));
}
void TPropInfo::SetOrd(TObject* instance, Int64 value) const {
  if (!IsOrdinal(Kind)) KindError(*this);
  Set(*this, instance, value);
}
double TPropInfo::GetFloat(TObject* instance) const {
  if (Kind != tkFloat) KindError(*this);
  return std::get<double>(Get(*this, instance));
}
void TPropInfo::SetFloat(TObject* instance, double value) const {
  if (Kind != tkFloat) KindError(*this);
  Set(*this, instance, value);
}
AnsiString TPropInfo::GetStr(TObject* instance) const {
  if (Kind == tkString) return std::get<AnsiString>(Get(*this, instance));
  if (Kind == tkWString) return WideToAnsi(std::get<WideString>(Get(*this, instance)));
  KindError(*this);
}
void TPropInfo::SetStr(TObject* instance, const AnsiString& value) const {
  if (Kind == tkString) return Set(*this, instance, value);
  if (Kind == tkWString) return Set(*this, instance, AnsiToWide(value));
  KindError(*this);
}
WideString TPropInfo::GetWideStr(TObject* instance) const {
  if (Kind == tkWString) return std::get<WideString>(Get(*this, instance));
  if (Kind == tkString) return AnsiToWide(std::get<AnsiString>(Get(*this, instance)));
  KindError(*this);
}
void TPropInfo::SetWideStr(TObject* instance, const WideString& value) const {
  if (Kind == tkWString) return Set(*this, instance, value);
  if (Kind == tkString) return Set(*this, instance, WideToAnsi(value));
  KindError(*this);
}
TObject* TPropInfo::GetObject(TObject* instance) const {
  if (Kind != tkClass) KindError(*this);
  return std::get<TObject*>(Get(*this, instance));
}
void TPropInfo::SetObject(TObject* instance, TObject* value) const {
  if (Kind != tkClass) KindError(*this);
  Set(*this, instance, value);
}
TMethod TPropInfo::GetMethod(TObject* instance) const {
  if (Kind != tkMethod) KindError(*this);
  return std::get<TMethod>(Get(*this, instance));
}
void TPropInfo::SetMethod(TObject* instance, const TMethod& value) const {
  if (Kind != tkMethod) KindError(*this);
  Set(*this, instance, value);
}
TPropValue TPropInfo::GetValue(TObject* instance) const { return Get(*this, instance); }
void TPropInfo::SetValue(TObject* instance, const TPropValue& value) const { Set(*this, instance, value); }

bool TClassInfo::InheritsFrom(const TClassInfo* other) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    if (c == other) return true;
  return false;
}

bool TClassInfo::InheritsFrom(std::string_view className) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    if (SameText(c->Name, className)) return true;
  return false;
}

std::vector<const TPropInfo*> TClassInfo::Properties() const {
  std::vector<const TPropInfo*> list = Parent ? Parent->Properties() : std::vector<const TPropInfo*>{};
  for (const TPropInfo& p : FProps) {
    bool replaced = false;
    for (auto& q : list)
      if (SameText(q->Name, p.Name)) { q = &p; replaced = true; break; }
    if (!replaced) list.push_back(&p);
  }
  return list;
}

const TPropInfo* TClassInfo::FindProperty(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    for (const TPropInfo& p : c->FProps)
      if (SameText(p.Name, name)) return &p;
  return nullptr;
}

const TMethodEntry* TClassInfo::FindMethod(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    for (const TMethodEntry& m : c->FMethods)
      if (SameText(m.Name, name)) return &m;
  return nullptr;
}

const TFieldEntry* TClassInfo::FindField(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    for (const TFieldEntry& f : c->FFields)
      if (SameText(f.Name, name)) return &f;
  return nullptr;
}

TComponent* TClassInfo::CreateComponent(TComponent* owner) const {
  if (!FCreate) throw EClassNotFound("Klasse " + Name + " kann nicht erzeugt werden");
  return FCreate(owner);
}

const TClassInfo* GetClass(std::string_view name) {
  auto& r = Registry();
  auto it = r.ByName.find(UpperCase(name));
  return it == r.ByName.end() ? nullptr : it->second;
}

const TClassInfo* FindClass(std::string_view name) {
  if (const TClassInfo* c = GetClass(name)) return c;
  throw EClassNotFound(Format(SClassNotFound, {AnsiString(name)}));
}

const TClassInfo* ClassInfoOf(std::type_index type) {
  auto& r = Registry();
  auto it = r.Classes.find(type);
  return it == r.Classes.end() ? nullptr : it->second.get();
}

const TClassInfo* ClassInfoOfObject(const TObject* obj) {
  if (!obj) return nullptr;
  std::type_index type = typeid(*obj);
  if (const TClassInfo* exact = ClassInfoOf(type)) return exact;
  auto& r = Registry();
  auto it = r.Nearest.find(type);
  if (it != r.Nearest.end()) return it->second;
  const TClassInfo* best = nullptr;
  for (auto& [t, info] : r.Classes)
    if (info->FIsInstance && info->FIsInstance(obj) && (!best || info->InheritsFrom(best))) best = info.get();
  r.Nearest[type] = best;
  return best;
}

const TEnumInfo* EnumInfoOf(std::type_index type) {
  auto& r = Registry();
  auto it = r.Enums.find(type);
  return it == r.Enums.end() ? nullptr : it->second.get();
}

const TPropInfo* GetPropInfo(const TObject* instance, std::string_view name) {
  const TClassInfo* c = instance ? instance->ClassType() : nullptr;
  return c ? c->FindProperty(name) : nullptr;
}

namespace detail {

TClassInfo& RegisterClassEntry(std::type_index type, const char* name, std::type_index parent) {
  auto& r = Registry();
  const TClassInfo* p = ClassInfoOf(parent);
  if (!p) throw EClassNotFound(AnsiString("Klasse ") + name + ": Vorfahr ist nicht registriert");
  return AddClass(r, type, name, p);
}

void RegisterEnumEntry(std::type_index type, const char* name, std::initializer_list<const char*> names) {
  AddEnum(Registry(), type, name, names);
}

}  // namespace detail

}  // namespace orv
