// The component stream writer: values, published properties against defaults or an ancestor,
// stream-defined properties, collections, references, handlers and children.
#include <algorithm>
#include <cstring>
#include "platform/classes/Extended.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

struct TWriter::Impl {
  AnsiString PropPath;  // prefix of nested persistent properties ("Font.")
};

namespace {

template <class T>
void WriteLE(TStream& s, T value) {
  Byte b[sizeof(T)];
  auto v = static_cast<std::make_unsigned_t<T>>(value);
  for (size_t i = 0; i < sizeof(T); ++i) b[i] = static_cast<Byte>(v >> (8 * i));
  s.WriteBuffer(b, sizeof b);
}

}  // namespace

TWriter::TWriter(TStream& stream) : TFiler(stream), FImpl(std::make_unique<Impl>()) {}
TWriter::~TWriter() = default;

void TWriter::WriteValue(TValueType value) {
  Byte b = value;
  FStream.WriteBuffer(&b, 1);
}

void TWriter::WriteInteger(Int64 value) {
  if (value >= INT8_MIN && value <= INT8_MAX) {
    WriteValue(vaInt8);
    WriteLE<std::int8_t>(FStream, static_cast<std::int8_t>(value));
  } else if (value >= INT16_MIN && value <= INT16_MAX) {
    WriteValue(vaInt16);
    WriteLE<std::int16_t>(FStream, static_cast<std::int16_t>(value));
  } else if (value >= INT32_MIN && value <= INT32_MAX) {
    WriteValue(vaInt32);
    WriteLE<std::int32_t>(FStream, static_cast<std::int32_t>(value));
  } else {
    WriteValue(vaInt64);
    WriteLE<std::int64_t>(FStream, value);
  }
}

void TWriter::WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }

void TWriter::WriteFloat(double value) {
  WriteValue(vaExtended);
  auto b = DoubleToExtended(value);
  FStream.WriteBuffer(b.data(), 10);
}

void TWriter::WriteString(const AnsiString& value) {
  if (value.size() <= 255) {
    WriteValue(vaString);
    Byte len = static_cast<Byte>(value.size());
    FStream.WriteBuffer(&len, 1);
  } else {
    if (value.size() > UINT32_MAX) throw EWriteError(SWriteError);
    WriteValue(vaLString);
    WriteLE<std::uint32_t>(FStream, static_cast<std::uint32_t>(value.size()));
  }
  if (!value.empty()) FStream.WriteBuffer(value.data(), static_cast<Int64>(value.size()));
}

void TWriter::WriteWideString(const WideString& value) {
  if (value.size() > UINT32_MAX / 2) throw EWriteError(SWriteError);
  WriteValue(vaWString);
  WriteLE<std::uint32_t>(FStream, static_cast<std::uint32_t>(value.size()));
  std::string raw(value.size() * 2, '\0');
  for (size_t i = 0; i < value.size(); ++i) {
    raw[2 * i] = static_cast<char>(value[i] & 0xFF);
    raw[2 * i + 1] = static_cast<char>(value[i] >> 8);
  }
  if (!raw.empty()) FStream.WriteBuffer(raw.data(), static_cast<Int64>(raw.size()));
}

void TWriter::WriteChar(char value) { WriteString(AnsiString(1, value)); }

void TWriter::WriteWideChar(WideChar value) {
  if (value < 0x80) WriteString(AnsiString(1, static_cast<char>(value)));
  else WriteWideString(WideString(1, value));
}

void TWriter::WriteIdent(const AnsiString& ident) {
  if (SameText(ident, "False")) WriteValue(vaFalse);
  else if (SameText(ident, "True")) WriteValue(vaTrue);
  else if (SameText(ident, "nil")) WriteValue(vaNil);
  else {
    WriteValue(vaIdent);
    WriteStr(ident);
  }
}

void TWriter::WriteListBegin() { WriteValue(vaList); }
void TWriter::WriteListEnd() { WriteValue(vaNull); }

void TWriter::WriteStr(const AnsiString& value) {
  if (value.size() > 255) throw EWriteError(SWriteError);
  Byte len = static_cast<Byte>(value.size());
  FStream.WriteBuffer(&len, 1);
  if (len) FStream.WriteBuffer(value.data(), len);
}

void TWriter::WriteBinary(const std::vector<Byte>& data) {
  if (data.size() > UINT32_MAX) throw EWriteError(SWriteError);
  WriteValue(vaBinary);
  WriteLE<std::uint32_t>(FStream, static_cast<std::uint32_t>(data.size()));
  if (!data.empty()) FStream.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
}

void TWriter::WriteSetNames(const std::vector<AnsiString>& names) {
  WriteValue(vaSet);
  for (const AnsiString& n : names) WriteStr(n);
  WriteStr("");
}

void TWriter::WriteSignature() { FStream.WriteBuffer("TPF0", 4); }

void TWriter::DefineProperty(const AnsiString& name, const TReaderProc&, const TWriterProc& writeData,
                             bool hasData) {
  if (!hasData || !writeData) return;
  WriteStr(FImpl->PropPath + name);
  writeData(*this);
}

void TWriter::DefineBinaryProperty(const AnsiString& name, const TStreamProc&, const TStreamProc& writeData,
                                   bool hasData) {
  if (!hasData || !writeData) return;
  WriteStr(FImpl->PropPath + name);
  TMemoryStream ms;
  writeData(ms);
  std::vector<Byte> data(static_cast<size_t>(ms.Size()));
  if (!data.empty()) std::memcpy(data.data(), ms.Memory(), data.size());
  WriteBinary(data);
}

struct WriterAccess {
  static constexpr long kMaxNesting = 32;
  TWriter& W;

  AnsiString& Path() { return W.FImpl->PropPath; }

  // The name a reference is written with: relative to the root being written.
  AnsiString ReferenceName(TComponent* c) {
    TComponent* root = W.Root();
    if (c == root) return c->Name();
    if (c->Owner() == root) return c->Name();
    if (c->Owner() && !c->Owner()->Name().empty() && !c->Name().empty())
      return c->Owner()->Name() + "." + c->Name();
    return c->Name();
  }

  void WriteProperties(TPersistent* instance, TPersistent* ancestor) {
    const TClassInfo* cls = instance->ClassType();
    if (cls)
      for (const TPropInfo* p : cls->Properties()) WriteProperty(instance, *p, ancestor);
    TPersistent* saved = W.Ancestor();
    W.SetAncestor(ancestor);
    instance->DefineProperties(W);
    W.SetAncestor(saved);
  }

  void WriteName(const TPropInfo& p) { W.WriteStr(Path() + p.Name); }

  void WriteProperty(TPersistent* instance, const TPropInfo& p, TPersistent* ancestor) {
    if (!p.HasReader() || !p.IsStored(instance)) return;
    if (!p.HasWriter() && p.Kind != tkClass) return;
    const TPropInfo* ap = ancestor ? GetPropInfo(ancestor, p.Name) : nullptr;
    if (ap && (ap->Kind != p.Kind || !ap->HasReader())) ap = nullptr;
    switch (p.Kind) {
      case tkInteger: case tkInt64: case tkEnumeration: case tkSet: case tkChar: case tkWChar: {
        Int64 v = p.GetOrd(instance);
        if (ap ? ap->GetOrd(ancestor) == v : (p.Default && *p.Default == v)) return;
        WriteName(p);
        WriteOrdinal(p, v);
        return;
      }
      case tkFloat: {
        double v = p.GetFloat(instance);
        if (ap ? ap->GetFloat(ancestor) == v : v == 0.0) return;
        WriteName(p);
        W.WriteFloat(v);
        return;
      }
      case tkString: {
        AnsiString v = p.GetStr(instance);
        if (ap ? ap->GetStr(ancestor) == v : v.empty()) return;
        WriteName(p);
        W.WriteString(v);
        return;
      }
      case tkWString: {
        WideString v = p.GetWideStr(instance);
        if (ap ? ap->GetWideStr(ancestor) == v : v.empty()) return;
        WriteName(p);
        W.WriteWideString(v);
        return;
      }
      case tkMethod: {
        TMethod m = p.GetMethod(instance);
        AnsiString name = m.Code && m.Data == W.Root() ? m.Code->Name : AnsiString();
        if (ap) {
          TMethod am = ap->GetMethod(ancestor);
          AnsiString aname = am.Code ? am.Code->Name : AnsiString();
          if (SameText(aname, name)) return;
        } else if (name.empty()) {
          return;
        }
        WriteName(p);
        if (name.empty()) W.WriteValue(vaNil);
        else W.WriteIdent(name);
        return;
      }
      case tkClass:
        WriteObject(instance, p, ancestor, ap);
        return;
      default:
        return;
    }
  }

  // An enumeration value without a registered name could not be read back.
  [[noreturn]] void NoName(const TPropInfo& p, Int64 v) {
    throw EWriteError("Eigenschaft " + Path() + p.Name + ": kein Name f\xFCr den Wert " + IntToStr(v));
  }

  void WriteOrdinal(const TPropInfo& p, Int64 v) {
    switch (p.Kind) {
      case tkEnumeration: {
        const TEnumInfo* e = p.EnumType();
        if (!e || v < 0 || v >= static_cast<Int64>(e->Names.size())) NoName(p, v);
        W.WriteIdent(e->NameOf(v));
        return;
      }
      case tkSet: {
        const TEnumInfo* e = p.EnumType();
        std::vector<AnsiString> names;
        for (int i = 0; i < 64; ++i)
          if (static_cast<std::uint64_t>(v) & (std::uint64_t{1} << i)) {
            if (!e || i >= static_cast<int>(e->Names.size())) NoName(p, i);
            names.push_back(e->NameOf(i));
          }
        W.WriteSetNames(names);
        return;
      }
      case tkChar: W.WriteChar(static_cast<char>(v)); return;
      case tkWChar: W.WriteWideChar(static_cast<WideChar>(v)); return;
      default:
        if (p.Idents)
          for (const TIdent& i : *p.Idents)
            if (i.Value == v) { W.WriteIdent(i.Name); return; }
        W.WriteInteger(v);
    }
  }

  void WriteObject(TPersistent* instance, const TPropInfo& p, TPersistent* ancestor, const TPropInfo* ap) {
    TObject* obj = p.GetObject(instance);
    TObject* aobj = ap ? ap->GetObject(ancestor) : nullptr;
    if (!obj) {
      if (aobj && p.HasWriter()) {
        WriteName(p);
        W.WriteValue(vaNil);
      }
      return;
    }
    if (auto* comp = dynamic_cast<TComponent*>(obj)) {
      if (!p.HasWriter()) return;
      AnsiString name = ReferenceName(comp);
      if (name.empty()) return;
      if (auto* acomp = dynamic_cast<TComponent*>(aobj); acomp && SameText(acomp->Name(), comp->Name())) return;
      WriteName(p);
      W.WriteIdent(name);
      return;
    }
    if (auto* coll = dynamic_cast<TCollection*>(obj)) {
      auto* acoll = dynamic_cast<TCollection*>(aobj);
      if (acoll && CollectionsEqual(coll, acoll)) return;
      WriteName(p);
      WriteCollection(coll);
      return;
    }
    auto* pers = dynamic_cast<TPersistent*>(obj);
    if (!pers) return;
    // A sub-object that leads back to its holder would nest without end.
    if (std::count(Path().begin(), Path().end(), '.') >= kMaxNesting)
      throw EWriteError("Eigenschaft " + Path() + p.Name + " ist zu tief verschachtelt");
    AnsiString saved = Path();
    Path() = saved + p.Name + ".";
    try {
      WriteProperties(pers, dynamic_cast<TPersistent*>(aobj));
    } catch (...) {
      Path() = saved;
      throw;
    }
    Path() = saved;
  }

  void WriteCollection(TCollection* coll) {
    AnsiString saved = Path();
    Path().clear();
    try {
      W.WriteValue(vaCollection);
      for (Integer i = 0; i < coll->Count(); ++i) {
        W.WriteListBegin();
        WriteProperties(coll->Items(i), nullptr);
        W.WriteListEnd();
      }
      W.WriteListEnd();
    } catch (...) {
      Path() = saved;
      throw;
    }
    Path() = saved;
  }

  // Two collections write the same items.
  bool CollectionsEqual(TCollection* a, TCollection* b) {
    if (a->Count() != b->Count()) return false;
    TMemoryStream sa, sb;
    TWriter wa(sa), wb(sb);
    wa.FRoot = wb.FRoot = W.Root();
    WriterAccess{wa}.WriteCollection(a);
    WriterAccess{wb}.WriteCollection(b);
    return sa.Size() == sb.Size() && std::memcmp(sa.Memory(), sb.Memory(), static_cast<size_t>(sa.Size())) == 0;
  }

  void WriteComponent(TComponent* c) {
    c->SetWritingState(true);
    try {
      W.WriteStr(c->ClassName());
      W.WriteStr(c->Name());
      c->WriteState(W);
    } catch (...) {
      c->SetWritingState(false);
      throw;
    }
    c->SetWritingState(false);
  }
};

void TWriter::WriteData(TComponent* instance) {
  WriterAccess a{*this};
  TPersistent* ancestor = FAncestor;
  a.WriteProperties(instance, ancestor);
  WriteListEnd();
  std::vector<TComponent*> children;
  instance->GetChildren([&](TComponent* c) { children.push_back(c); }, FRoot);
  for (TComponent* child : children) {
    TComponent* childAncestor = FRootAncestor ? FRootAncestor->FindComponent(child->Name()) : nullptr;
    FAncestor = childAncestor;
    try {
      a.WriteComponent(child);
    } catch (...) {
      FAncestor = ancestor;
      throw;
    }
    FAncestor = ancestor;
  }
  WriteListEnd();
}

void TWriter::WriteDescendent(TComponent* root, TComponent* ancestor) {
  FRoot = root;
  FRootAncestor = ancestor;
  FAncestor = ancestor;
  WriteSignature();
  WriterAccess{*this}.WriteComponent(root);
}

void WriteComponentToStream(TStream& stream, TComponent* instance, TComponent* ancestor) {
  TWriter writer(stream);
  writer.WriteDescendent(instance, ancestor);
}

}  // namespace orv
