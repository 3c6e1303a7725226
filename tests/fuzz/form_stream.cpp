// fuzz-libs: orv_classes
// Form descriptions and component streams from untrusted bytes: the text parser, the binary
// reader into registered components, and the binary-to-text conversion.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include "platform/classes/ObjectText.h"
#include "platform/rtl/CodePages.h"

namespace {

using namespace orv;

enum TFuzzKind { fkOne, fkTwo, fkThree };

class TFuzzItem : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  AnsiString FText;
  Integer FWidth = 0;
  TComponent* FRef = nullptr;  // only written, never followed
};

class TFuzzControl : public TComponent {
 public:
  explicit TFuzzControl(TComponent* owner) : TComponent(owner), FItems(this, TCollection::ItemsOf<TFuzzItem>()) {}
  TCollection* GetItems() const { return const_cast<TCollection*>(&FItems); }
  void SetItems(TCollection* c) { FItems.Assign(c); }
  TFuzzControl* GetPeer() const { return FPeer; }
  void SetPeer(TFuzzControl* p) {
    FPeer = p;
    if (p) p->FreeNotification(this);
  }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove && c == FPeer) FPeer = nullptr;
  }
  void DefineProperties(TFiler& filer) override {
    filer.DefineProperty("TextW", [this](TReader& r) { FWide = Utf8ToWide(r.ReadString()); }, nullptr, false);
    filer.DefineProperty("CharW", [this](TReader& r) { FChar = r.ReadWideChar(); },
                         [this](TWriter& w) { w.WriteWideChar(FChar); }, FChar != 0);
    filer.DefineBinaryProperty("Data", [this](TStream& s) { FDataSize = s.Size(); }, nullptr, false);
  }
  Integer FInt = 0;
  Int64 FBig = 0;
  AnsiString FText;
  WideString FWide;
  WideChar FChar = 0;
  char FNarrowChar = 0;
  double FFloat = 0;
  TFuzzKind FKind = fkOne;
  TSet<TFuzzKind> FKinds;
  bool FFlag = false;
  TNotifyEvent FOnClick;
  TFuzzControl* FPeer = nullptr;
  TCollection FItems;
  Int64 FDataSize = 0;
};

class TFuzzRoot : public TComponent {
 public:
  using TComponent::TComponent;
  void Click(TObject*) {}
  TFuzzControl* Child = nullptr;
};

void Register() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterEnum<TFuzzKind>("TFuzzKind", {"fkOne", "fkTwo", "fkThree"});
    RegisterClassType<TFuzzItem, TCollectionItem>("TFuzzItem")
        .Prop("Text", &TFuzzItem::FText, &TFuzzItem::FText)
        .Prop("Width", &TFuzzItem::FWidth, &TFuzzItem::FWidth)
        .Prop("Ref", &TFuzzItem::FRef, &TFuzzItem::FRef);
    RegisterClassType<TFuzzControl, TComponent>("TFuzzControl")
        .Prop("Int", &TFuzzControl::FInt, &TFuzzControl::FInt)
        .Prop("Big", &TFuzzControl::FBig, &TFuzzControl::FBig)
        .Prop("Text", &TFuzzControl::FText, &TFuzzControl::FText)
        .Prop("Wide", &TFuzzControl::FWide, &TFuzzControl::FWide)
        .Prop("Char", &TFuzzControl::FChar, &TFuzzControl::FChar)
        .Prop("NarrowChar", &TFuzzControl::FNarrowChar, &TFuzzControl::FNarrowChar)
        .Prop("Float", &TFuzzControl::FFloat, &TFuzzControl::FFloat)
        .Prop("Kind", &TFuzzControl::FKind, &TFuzzControl::FKind).Default(fkOne)
        .Prop("Kinds", &TFuzzControl::FKinds, &TFuzzControl::FKinds)
        .Prop("Flag", &TFuzzControl::FFlag, &TFuzzControl::FFlag)
        .Prop("OnClick", &TFuzzControl::FOnClick, &TFuzzControl::FOnClick)
        .Prop("Peer", &TFuzzControl::GetPeer, &TFuzzControl::SetPeer)
        .Prop("Items", &TFuzzControl::GetItems, &TFuzzControl::SetItems);
    RegisterClassType<TFuzzRoot, TComponent>("TFuzzRoot")
        .Field("Child", &TFuzzRoot::Child)
        .Method("Click", &TFuzzRoot::Click);
  });
}

void ReadAndWriteBack(const std::string& binary) {
  TMemoryStream in;
  if (!binary.empty()) in.WriteBuffer(binary.data(), static_cast<Int64>(binary.size()));
  in.SetPosition(0);
  TFuzzRoot root(nullptr);
  try {
    ReadComponentFromStream(in, &root);
  } catch (const Exception&) {
    return;
  }
  // What was read must write and convert again without error.
  AnsiString text = WriteComponentToText(&root);
  TFuzzRoot again(nullptr);
  ReadComponentFromText(text, &again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Register();
  std::string input(reinterpret_cast<const char*>(data), size);
  try {
    ReadAndWriteBack(ObjectTextToBinary(input));
  } catch (const Exception&) {
  }
  ReadAndWriteBack(input);
  AnsiString text;
  try {
    text = ObjectBinaryToText(input);
  } catch (const Exception&) {
    return 0;
  }
  // A text made from a stream reads back, and gives the same text again.
  if (ObjectBinaryToText(ObjectTextToBinary(text)) != text) __builtin_trap();
  return 0;
}
