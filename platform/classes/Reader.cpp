// The component stream reader: values, properties by kind, stream-defined properties, children
// made by class name, reference fix-ups and the Loaded calls.
#include <algorithm>
#include <cmath>
#include <cstring>
#include "platform/classes/Extended.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

// Nesting of components, lists and collections beyond this is not a form but an attack.
constexpr int kMaxDepth = 256;

[[noreturn]] void InvalidValue() { throw EReadError(SInvalidPropertyValue); }
[[noreturn]] void InvalidImage() { throw EReadError(SInvalidImage); }

struct TFixup {
  TPersistent* Instance;
  const TPropInfo* Prop;
  AnsiString Name;
  // The collection items (outermost first) the instance lives in: reading their collection
  // again frees them, and the fix-up with them.
  std::vector<TCollectionItem*> Within;
};

}  // namespace

struct TReader::Impl {
  AnsiString PropName;  // the entry name DefineProperty calls are matched against; empty once handled
  std::vector<TFixup> Fixups;
  std::vector<TComponent*> Loaded;
  int Depth = 0;
};

struct ReaderAccess {
  static void Enter(TReader& r) {
    if (++r.FImpl->Depth > kMaxDepth) InvalidImage();
  }
  static void Leave(TReader& r) { --r.FImpl->Depth; }
};

namespace {

struct TDepthGuard {
  TReader& R;
  explicit TDepthGuard(TReader& r) : R(r) { ReaderAccess::Enter(r); }
  ~TDepthGuard() { ReaderAccess::Leave(R); }
};

Int64 Remaining(TStream& s) { return s.Size() - s.Position(); }

template <class T>
T ReadLE(TStream& s) {
  Byte b[sizeof(T)];
  s.ReadBuffer(b, sizeof b);
  std::make_unsigned_t<T> v = 0;
  for (size_t i = 0; i < sizeof(T); ++i) v |= static_cast<std::make_unsigned_t<T>>(std::make_unsigned_t<T>(b[i]) << (8 * i));
  return static_cast<T>(v);
}

AnsiString ReadBytes(TStream& s, Int64 count) {
  if (count < 0 || count > Remaining(s)) throw EReadError(SReadError);
  AnsiString out(static_cast<size_t>(count), '\0');
  if (count) s.ReadBuffer(out.data(), count);
  return out;
}

}  // namespace

TReader::TReader(TStream& stream) : TFiler(stream), FImpl(std::make_unique<Impl>()) {}
TReader::~TReader() = default;

TValueType TReader::ReadValue() {
  Byte b;
  FStream.ReadBuffer(&b, 1);
  if (b > vaUTF8String) InvalidImage();
  return static_cast<TValueType>(b);
}

TValueType TReader::NextValue() {
  TValueType v = ReadValue();
  FStream.Seek(-1, soCurrent);
  return v;
}

// The byte ahead is a value type or the length of a name; only a zero ends the list.
bool TReader::EndOfList() {
  Byte b;
  FStream.ReadBuffer(&b, 1);
  FStream.Seek(-1, soCurrent);
  return b == vaNull;
}

void TReader::ReadListBegin() {
  if (ReadValue() != vaList) InvalidValue();
}

void TReader::ReadListEnd() {
  if (ReadValue() != vaNull) InvalidValue();
}

AnsiString TReader::ReadStr() {
  Byte len;
  FStream.ReadBuffer(&len, 1);
  return ReadBytes(FStream, len);
}

void TReader::ReadSignature() {
  char sig[4];
  if (Remaining(FStream) < 4) InvalidImage();
  FStream.ReadBuffer(sig, 4);
  if (std::memcmp(sig, "TPF0", 4) != 0) InvalidImage();
}

void TReader::ReadPrefix() {
  Byte b;
  FStream.ReadBuffer(&b, 1);
  FStream.Seek(-1, soCurrent);
  if ((b & 0xF0) == 0xF0) InvalidImage();
}

Int64 TReader::ReadInt64() {
  switch (ReadValue()) {
    case vaInt8: return ReadLE<std::int8_t>(FStream);
    case vaInt16: return ReadLE<std::int16_t>(FStream);
    case vaInt32: return ReadLE<std::int32_t>(FStream);
    case vaInt64: return ReadLE<std::int64_t>(FStream);
    default: InvalidValue();
  }
}

Integer TReader::ReadInteger() {
  Int64 v = ReadInt64();
  if (!std::in_range<Integer>(v)) InvalidValue();
  return static_cast<Integer>(v);
}

bool TReader::ReadBoolean() {
  switch (ReadValue()) {
    case vaTrue: return true;
    case vaFalse: return false;
    default: InvalidValue();
  }
}

double TReader::ReadFloat() {
  // Infinities and NaNs have no place in a form and no text form: they are invalid values.
  double v = ReadFloatValue();
  if (!std::isfinite(v)) InvalidValue();
  return v;
}

double TReader::ReadFloatValue() {
  switch (NextValue()) {
    case vaExtended: {
      ReadValue();
      std::array<Byte, 10> b;
      FStream.ReadBuffer(b.data(), 10);
      return ExtendedToDouble(b);
    }
    case vaSingle: {
      ReadValue();
      std::uint32_t bits = ReadLE<std::uint32_t>(FStream);
      float f;
      std::memcpy(&f, &bits, 4);
      return f;
    }
    case vaDate: {
      ReadValue();
      std::uint64_t bits = ReadLE<std::uint64_t>(FStream);
      double d;
      std::memcpy(&d, &bits, 8);
      return d;
    }
    case vaCurrency: {
      ReadValue();
      return static_cast<double>(ReadLE<std::int64_t>(FStream)) / 10000.0;
    }
    case vaInt8: case vaInt16: case vaInt32: case vaInt64:
      return static_cast<double>(ReadInt64());
    default:
      InvalidValue();
  }
}

AnsiString TReader::ReadString() {
  switch (ReadValue()) {
    case vaString: return ReadStr();
    case vaLString: return ReadBytes(FStream, ReadLE<std::uint32_t>(FStream));
    case vaUTF8String: return WideToAnsi(Utf8ToWide(ReadBytes(FStream, ReadLE<std::uint32_t>(FStream))));
    case vaWString: {
      FStream.Seek(-1, soCurrent);
      return WideToAnsi(ReadWideString());
    }
    default: InvalidValue();
  }
}

WideString TReader::ReadWideString() {
  switch (NextValue()) {
    case vaWString: {
      ReadValue();
      std::uint32_t units = ReadLE<std::uint32_t>(FStream);
      if (static_cast<Int64>(units) * 2 > Remaining(FStream)) throw EReadError(SReadError);
      AnsiString raw = ReadBytes(FStream, static_cast<Int64>(units) * 2);
      WideString w(units, u'\0');
      for (std::uint32_t i = 0; i < units; ++i)
        w[i] = static_cast<char16_t>(static_cast<Byte>(raw[2 * i]) | (static_cast<Byte>(raw[2 * i + 1]) << 8));
      return w;
    }
    case vaUTF8String:
      ReadValue();
      return Utf8ToWide(ReadBytes(FStream, ReadLE<std::uint32_t>(FStream)));
    case vaString: case vaLString:
      return AnsiToWide(ReadString());
    default:
      InvalidValue();
  }
}

char TReader::ReadChar() {
  AnsiString s = ReadString();
  if (s.size() != 1) InvalidValue();
  return s[0];
}

WideChar TReader::ReadWideChar() {
  WideString s = ReadWideString();
  if (s.size() > 1) InvalidValue();
  return s.empty() ? u'\0' : s[0];
}

AnsiString TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    default: InvalidValue();
  }
}

std::vector<Byte> TReader::ReadBinary() {
  if (ReadValue() != vaBinary) InvalidValue();
  AnsiString raw = ReadBytes(FStream, ReadLE<std::uint32_t>(FStream));
  return std::vector<Byte>(raw.begin(), raw.end());
}

std::vector<AnsiString> TReader::ReadSetNames() {
  if (ReadValue() != vaSet) InvalidValue();
  std::vector<AnsiString> names;
  for (;;) {
    AnsiString n = ReadStr();
    if (n.empty()) return names;
    names.push_back(std::move(n));
  }
}

void TReader::SkipValue() {
  TDepthGuard guard(*this);
  switch (NextValue()) {
    case vaNull: ReadValue(); return;
    case vaList:
      ReadValue();
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      return;
    case vaInt8: case vaInt16: case vaInt32: case vaInt64: ReadInt64(); return;
    case vaExtended: case vaSingle: case vaDate: case vaCurrency: ReadFloat(); return;
    case vaString: case vaLString: case vaUTF8String: ReadString(); return;
    case vaWString: ReadWideString(); return;
    case vaIdent: case vaFalse: case vaTrue: case vaNil: ReadIdent(); return;
    case vaBinary: ReadBinary(); return;
    case vaSet: ReadSetNames(); return;
    case vaCollection:
      ReadValue();
      while (!EndOfList()) {
        if (NextValue() != vaList) ReadInt64();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      return;
  }
}

void TReader::DefineProperty(const AnsiString& name, const TReaderProc& readData,
                             const TWriterProc&, bool) {
  if (FImpl->PropName.empty() || !SameText(name, FImpl->PropName)) return;
  FImpl->PropName.clear();
  if (readData) readData(*this);
  else SkipValue();
}

void TReader::DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                                   const TStreamProc&, bool) {
  if (FImpl->PropName.empty() || !SameText(name, FImpl->PropName)) return;
  FImpl->PropName.clear();
  std::vector<Byte> data = ReadBinary();
  if (!readData) return;
  TMemoryStream ms;
  if (!data.empty()) ms.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
  ms.SetPosition(0);
  readData(ms);
}

namespace {

struct TPropReader {
  TReader& R;
  std::vector<TFixup>& Fixups;
  AnsiString& PendingName;  // the reader's entry name for DefineProperty matching
  std::vector<TCollectionItem*> Items;  // collection items being read, outermost first

  // Reads one "path = value" entry; context names the owner in error messages ("Button1.").
  void ReadProperty(TPersistent* instance, const AnsiString& path, const AnsiString& context);
  void ReadValue(TPersistent* instance, const TPropInfo& prop, const AnsiString& path);
  void ReadCollection(TCollection* collection);
};

Int64 IdentValue(const TPropInfo& prop, const AnsiString& ident) {
  if (prop.Idents)
    for (const TIdent& i : *prop.Idents)
      if (SameText(i.Name, ident)) return i.Value;
  InvalidValue();
}

void TPropReader::ReadValue(TPersistent* instance, const TPropInfo& prop, const AnsiString& path) {
  if (!prop.HasWriter() && prop.Kind != tkClass)
    throw EReadError("Eigenschaft " + path + " ist schreibgesch\xFCtzt");
  switch (prop.Kind) {
    case tkInteger: case tkInt64: {
      Int64 v = R.NextValue() == vaIdent ? IdentValue(prop, R.ReadIdent()) : R.ReadInt64();
      prop.SetOrd(instance, v);
      return;
    }
    case tkChar:
      prop.SetOrd(instance, static_cast<unsigned char>(R.ReadChar()));
      return;
    case tkWChar:
      prop.SetOrd(instance, R.ReadWideChar());
      return;
    case tkEnumeration: {
      TValueType t = R.NextValue();
      if (t != vaIdent && t != vaFalse && t != vaTrue) InvalidValue();
      const TEnumInfo* e = prop.EnumType();
      auto v = e ? e->ValueOf(R.ReadIdent()) : std::nullopt;
      if (!v) InvalidValue();
      prop.SetOrd(instance, *v);
      return;
    }
    case tkSet: {
      const TEnumInfo* e = prop.EnumType();
      std::uint64_t bits = 0;
      for (const AnsiString& n : R.ReadSetNames()) {
        auto v = e ? e->ValueOf(n) : std::nullopt;
        if (!v || *v > 63) InvalidValue();
        bits |= std::uint64_t{1} << *v;
      }
      prop.SetOrd(instance, static_cast<Int64>(bits));
      return;
    }
    case tkFloat:
      prop.SetFloat(instance, R.ReadFloat());
      return;
    case tkString:
      prop.SetStr(instance, R.ReadString());
      return;
    case tkWString:
      prop.SetWideStr(instance, R.ReadWideString());
      return;
    case tkMethod: {
      TValueType t = R.NextValue();
      if (t == vaNil) {
        R.ReadValue();
        prop.SetMethod(instance, TMethod{});
        return;
      }
      if (t != vaIdent) InvalidValue();
      AnsiString name = R.ReadIdent();
      TComponent* root = R.Root();
      const TClassInfo* rc = root ? root->ClassType() : nullptr;
      const TMethodEntry* m = rc ? rc->FindMethod(name) : nullptr;
      if (!m) throw EReadError(Format(SMethodNotFound, {name}));
      prop.SetMethod(instance, TMethod{root, m});
      return;
    }
    case tkClass: {
      TValueType t = R.NextValue();
      if (t == vaCollection) {
        auto* c = dynamic_cast<TCollection*>(prop.GetObject(instance));
        if (!c) InvalidValue();
        ReadCollection(c);
      } else if (t == vaNil) {
        R.ReadValue();
        if (!prop.HasWriter()) InvalidValue();
        prop.SetObject(instance, nullptr);
      } else if (t == vaIdent) {
        if (!prop.HasWriter()) InvalidValue();
        Fixups.push_back({instance, &prop, R.ReadIdent(), Items});
      } else {
        InvalidValue();
      }
      return;
    }
    default:
      InvalidValue();
  }
}

void TPropReader::ReadCollection(TCollection* collection) {
  TDepthGuard guard(R);
  R.ReadValue();  // vaCollection
  collection->BeginUpdate();
  try {
    std::erase_if(Fixups, [&](const TFixup& f) {
      for (TCollectionItem* i : f.Within)
        if (i->Collection() == collection) return true;
      return false;
    });
    collection->Clear();
    while (!R.EndOfList()) {
      if (R.NextValue() != vaList) R.ReadInt64();  // an order index, not used
      R.ReadListBegin();
      TCollectionItem* item = collection->Add();
      Items.push_back(item);
      while (!R.EndOfList()) ReadProperty(item, R.ReadStr(), AnsiString());
      Items.pop_back();
      R.ReadListEnd();
    }
    R.ReadListEnd();
  } catch (...) {
    collection->EndUpdate();
    throw;
  }
  collection->EndUpdate();
}

void TPropReader::ReadProperty(TPersistent* instance, const AnsiString& path, const AnsiString& context) {
  auto unknown = [&]() { throw EReadError(Format(SUnknownProperty, {context + path})); };
  // "Font.Name": every part but the last names a persistent sub-object.
  TPersistent* target = instance;
  size_t start = 0;
  for (;;) {
    size_t dot = path.find('.', start);
    if (dot == AnsiString::npos) break;
    const TPropInfo* p = GetPropInfo(target, std::string_view(path).substr(start, dot - start));
    auto* sub = p && p->Kind == tkClass ? dynamic_cast<TPersistent*>(p->GetObject(target)) : nullptr;
    if (!sub) unknown();
    target = sub;
    start = dot + 1;
  }
  AnsiString last = path.substr(start);
  if (const TPropInfo* p = GetPropInfo(target, last)) {
    ReadValue(target, *p, path);
    return;
  }
  PendingName = last;
  try {
    target->DefineProperties(R);
  } catch (...) {
    PendingName.clear();
    throw;
  }
  if (!PendingName.empty()) {
    PendingName.clear();
    unknown();
  }
}

}  // namespace

static void ReadPropertiesOf(TReader& r, TComponent* instance, std::vector<TFixup>& fixups, AnsiString& propName) {
  TPropReader pr{r, fixups, propName};
  AnsiString path = r.ReadStr();
  pr.ReadProperty(instance, path, instance->Name().empty() ? AnsiString() : instance->Name() + ".");
}

void TReader::ReadData(TComponent* instance) {
  TDepthGuard guard(*this);
  while (!EndOfList()) ReadPropertiesOf(*this, instance, FImpl->Fixups, FImpl->PropName);
  ReadListEnd();
  TComponent* savedParent = FParent;
  FParent = instance;
  try {
    while (!EndOfList()) {
      ReadPrefix();
      AnsiString className = ReadStr();
      AnsiString name = ReadStr();
      TComponent* owner = FOwner;
      TComponent* child = owner ? owner->FindComponent(name) : nullptr;
      if (child && !SameText(child->ClassName(), className) && !child->InheritsFrom(className)) child = nullptr;
      // A name given twice in one description would read one component twice (or into itself).
      if (child && std::find(FImpl->Loaded.begin(), FImpl->Loaded.end(), child) != FImpl->Loaded.end())
        throw EComponentError(Format("Eine Komponente namens %s existiert bereits", {name}));
      if (!child) {
        const TClassInfo* cls = GetClass(className);
        if (!cls) throw EClassNotFound(Format(SClassNotFound, {className}));
        if (!cls->InheritsFrom(ClassInfoOf<TComponent>())) throw EClassNotFound(Format(SClassNotFound, {className}));
        child = cls->CreateComponent(owner);
      }
      FImpl->Loaded.push_back(child);  // until read: its state is cleared if reading fails
      child->SetLoadingState(true);
      child->SetReadingState(true);
      if (!name.empty() && child->Name() != name) child->SetName(name);
      if (child->HasParent()) child->SetParentComponent(instance);
      child->ReadState(*this);
      child->SetReadingState(false);
      // Loaded runs nested components before the ones that contain them.
      auto& l = FImpl->Loaded;
      l.erase(std::find(l.begin(), l.end(), child));
      l.push_back(child);
    }
    ReadListEnd();
  } catch (...) {
    FParent = savedParent;
    throw;
  }
  FParent = savedParent;
}

static TFindGlobalComponent& GlobalLookup() {
  static TFindGlobalComponent find;
  return find;
}

void SetFindGlobalComponent(TFindGlobalComponent find) { GlobalLookup() = std::move(find); }

static TComponent* FindPath(TComponent* base, std::string_view path) {
  while (base && !path.empty()) {
    size_t dot = path.find('.');
    base = base->FindComponent(path.substr(0, dot));
    path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
  }
  return base;
}

// "Edit1", "MainForm" (the root), "MainForm.Edit1", "Panel1.Sub" or "OtherForm.Edit1".
static TComponent* ResolveReference(TComponent* root, const AnsiString& name) {
  std::string_view path(name);
  size_t dot = path.find('.');
  std::string_view head = path.substr(0, dot);
  std::string_view rest = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
  if (SameText(root->Name(), head)) return FindPath(root, rest);
  if (TComponent* c = FindPath(root, path)) return c;
  if (dot != std::string_view::npos && GlobalLookup()) return FindPath(GlobalLookup()(head), rest);
  return nullptr;
}

TComponent* TReader::ReadRootComponent(TComponent* root) {
  ReadSignature();
  ReadPrefix();
  AnsiString className = ReadStr();
  AnsiString name = ReadStr();
  bool created = false;
  if (!root) {
    const TClassInfo* cls = FindClass(className);
    root = cls->CreateComponent(nullptr);
    created = true;
  }
  FRoot = root;
  FOwner = root;
  FParent = nullptr;
  FImpl->Loaded.clear();
  FImpl->Fixups.clear();
  try {
    root->SetLoadingState(true);
    root->SetReadingState(true);
    if (root->Name().empty() && !name.empty()) {
      AnsiString unique = name;
      for (int i = 1; root->Owner() && root->Owner()->FindComponent(unique); ++i) unique = name + "_" + IntToStr(i);
      root->SetName(unique);
    }
    root->ReadState(*this);
    root->SetReadingState(false);
    for (const TFixup& f : FImpl->Fixups) {
      TComponent* target = ResolveReference(root, f.Name);
      if (!target) throw EReadError(Format(SUnresolvedReference, {f.Name}));
      f.Prop->SetObject(f.Instance, target);
    }
    FImpl->Fixups.clear();
    FImpl->Loaded.push_back(root);
    std::vector<TComponent*> loaded = FImpl->Loaded;
    for (TComponent* c : loaded) {
      c->Loaded();
      c->SetLoadingState(false);
    }
    FImpl->Loaded.clear();
  } catch (...) {
    for (TComponent* c : FImpl->Loaded) {
      c->SetReadingState(false);
      c->SetLoadingState(false);
    }
    FImpl->Loaded.clear();
    FImpl->Fixups.clear();
    root->SetReadingState(false);
    root->SetLoadingState(false);
    if (created) delete root;
    FRoot = nullptr;
    FOwner = nullptr;
    throw;
  }
  return root;
}

TComponent* ReadComponentFromStream(TStream& stream, TComponent* instance) {
  TReader reader(stream);
  return reader.ReadRootComponent(instance);
}

}  // namespace orv
