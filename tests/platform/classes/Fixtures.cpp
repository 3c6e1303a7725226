// The test classes of the component layer and their registration.
#include "Fixtures.h"
#include <cstring>
#include <mutex>

namespace orv::test {

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

const TIdentMap& ColorIdents() {
  static const TIdentMap idents = {{kRed, "clRed"}, {kBtnFace, "clBtnFace"}};
  return idents;
}

void TTestFont::Assign(TPersistent* source) {
  if (auto* f = dynamic_cast<TTestFont*>(source)) {
    FName = f->FName;
    FSize = f->FSize;
    FStyle = f->FStyle;
    return;
  }
  TPersistent::Assign(source);
}

void TTestPanel::Assign(TPersistent* source) {
  if (auto* p = dynamic_cast<TTestPanel*>(source)) {
    FText = p->FText;
    FStyle = p->FStyle;
    FWidth = p->FWidth;
    FControl = p->FControl;
    return;
  }
  TCollectionItem::Assign(source);
}

TTestControl::TTestControl(TComponent* owner) : TComponent(owner) {}

TTestControl::~TTestControl() { Log().push_back("Destroy:" + Name()); }

void TTestControl::SetCaption(const AnsiString& value) {
  FCaption = value;
  CaptionSetWhileLoading = ComponentState().Contains(csLoading) && ComponentState().Contains(csReading);
}

void TTestControl::SetFocusControl(TTestControl* value) {
  FFocusControl = value;
  if (value) value->FreeNotification(this);
}

void TTestControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (Integer i = 0; i < root->ComponentCount(); ++i)
    if (root->Components(i)->GetParentComponent() == this) proc(root->Components(i));
}

void TTestControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FFocusControl) {
    FFocusControl = nullptr;
    Log().push_back("Notify:" + Name() + ":" + component->Name() +
                    (component->ComponentState().Contains(csDestroying) ? ":destroying" : ""));
  }
}

void TTestControl::Loaded() {
  TComponent::Loaded();
  Log().push_back("Loaded:" + Name() + (FFocusControl ? "+focus" : ""));
}

void TTestControl::DefineProperties(TFiler& filer) {
  TComponent::DefineProperties(filer);
  SeenRoot = filer.Root();
  SeenAncestor = filer.Ancestor();
  if (auto* r = dynamic_cast<TReader*>(&filer)) SeenOwner = r->Owner();
  auto* ancestor = dynamic_cast<TTestControl*>(filer.Ancestor());
  bool hasExtra = !FExtra.empty() && (!ancestor || ancestor->FExtra != FExtra);
  filer.DefineProperty(
      "Extra", [this](TReader& r) { FExtra = r.ReadString(); },
      [this](TWriter& w) { w.WriteString(FExtra); }, hasExtra);
  filer.DefineBinaryProperty(
      "Data",
      [this](TStream& s) {
        FData.assign(static_cast<size_t>(s.Size()), 0);
        if (!FData.empty()) s.ReadBuffer(FData.data(), s.Size());
      },
      [this](TStream& s) {
        if (!FData.empty()) s.WriteBuffer(FData.data(), static_cast<Int64>(FData.size()));
      },
      !FData.empty());
}

void TTestTimer::Loaded() {
  TComponent::Loaded();
  Log().push_back("Loaded:" + Name());
}

TTestForm::~TTestForm() {
  // The controls know their parent: they go while the form is still whole.
  Destroying();
  DestroyComponents();
}

void TTestForm::GetChildren(const TGetChildProc& proc, TComponent* root) {
  TComponent::GetChildren(proc, root);
  for (Integer i = 0; i < ComponentCount(); ++i)
    if (Components(i)->GetParentComponent() == this) proc(Components(i));
}

void TTestForm::Loaded() {
  TComponent::Loaded();
  Log().push_back("Loaded:" + Name());
}

void TTestForm::FormCreate(TObject*) { Log().push_back("FormCreate"); }

void TTestForm::SendBtnClick(TObject* sender) {
  auto* c = dynamic_cast<TComponent*>(sender);
  Log().push_back("SendBtnClick:" + (c ? c->Name() : std::string("?")));
}

void TTestForm::KeyHandler(TObject*, char& key) { key = 0; }

void RegisterTestClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterEnum<TTestAlign>("TTestAlign", {"alNone", "alTop", "alBottom", "alClient"});
    RegisterEnum<TTestAnchor>("TTestAnchor", {"akLeft", "akTop", "akRight", "akBottom"});
    RegisterEnum<TTestFontStyle>("TTestFontStyle", {"fsBold", "fsItalic", "fsUnderline"});
    RegisterEnum<TTestPanelStyle>("TTestPanelStyle", {"psText", "psOwnerDraw"});

    RegisterClassType<TTestFont, TPersistent>("TTestFont")
        .Prop("Name", &TTestFont::FName, &TTestFont::FName)
        .Prop("Size", &TTestFont::FSize, &TTestFont::FSize).Default(8)
        .Prop("Style", &TTestFont::FStyle, &TTestFont::FStyle).Default(TSet<TTestFontStyle>{});

    RegisterClassType<TTestPanel, TCollectionItem>("TTestPanel")
        .Prop("Text", &TTestPanel::FText, &TTestPanel::FText)
        .Prop("Style", &TTestPanel::FStyle, &TTestPanel::FStyle).Default(psText)
        .Prop("Width", &TTestPanel::FWidth, &TTestPanel::FWidth)
        .Prop("Control", &TTestPanel::FControl, &TTestPanel::FControl);

    RegisterClassType<TTestControl, TComponent>("TTestControl")
        .IndexedProp("Left", 0, &TTestControl::GetBound, &TTestControl::SetBound)
        .IndexedProp("Top", 1, &TTestControl::GetBound, &TTestControl::SetBound)
        .IndexedProp("Width", 2, &TTestControl::GetBound, &TTestControl::SetBound).Default(0)
        .Prop("Caption", &TTestControl::GetCaption, &TTestControl::SetCaption)
        .Prop("Anchors", &TTestControl::FAnchors, &TTestControl::FAnchors)
        .Default(TSet<TTestAnchor>{akLeft, akTop})
        .Prop("Align", &TTestControl::FAlign, &TTestControl::FAlign).Default(alNone)
        .Prop("Visible", &TTestControl::FVisible, &TTestControl::FVisible).Default(true)
        .Prop("Font", &TTestControl::GetFont, &TTestControl::SetFont)
        .Prop("OnClick", &TTestControl::FOnClick, &TTestControl::FOnClick)
        .Prop("FocusControl", &TTestControl::GetFocusControl, &TTestControl::SetFocusControl)
        .Prop("PasswordChar", &TTestControl::FPasswordChar, &TTestControl::FPasswordChar).Default('\0')
        .Prop("Ratio", &TTestControl::FRatio, &TTestControl::FRatio)
        .Prop("Big", &TTestControl::FBig, &TTestControl::FBig).Default(Int64{0})
        .Prop("WideCaption", &TTestControl::FWideCaption, &TTestControl::FWideCaption)
        .Prop("WChar", &TTestControl::FWChar, &TTestControl::FWChar).Default(u'\0')
        .Prop("Hint", &TTestControl::FHint, &TTestControl::FHint).Stored(&TTestControl::IsHintStored)
        .Prop("Color", &TTestControl::FColor, &TTestControl::FColor).Default(kBtnFace).Idents(ColorIdents());

    RegisterClassType<TTestContainer, TTestControl>("TTestContainer");
    RegisterClassType<TTestStatusBar, TTestControl>("TTestStatusBar")
        .Prop("Panels", &TTestStatusBar::GetPanels, &TTestStatusBar::SetPanels);
    RegisterClassType<TTestTimer, TComponent>("TTestTimer")
        .Prop("Interval", &TTestTimer::FInterval, &TTestTimer::FInterval).Default(1000);

    RegisterClassType<TTestForm, TComponent>("TTestForm")
        .Prop("Caption", &TTestForm::FCaption, &TTestForm::FCaption)
        .Prop("OnCreate", &TTestForm::FOnCreate, &TTestForm::FOnCreate)
        .Field("Timer1", &TTestForm::Timer1)
        .Field("Panel1", &TTestForm::Panel1)
        .Field("SendBtn", &TTestForm::SendBtn)
        .Field("Edit1", &TTestForm::Edit1)
        .Field("StatusBar1", &TTestForm::StatusBar1)
        .Method("FormCreate", &TTestForm::FormCreate)
        .Method("SendBtnClick", &TTestForm::SendBtnClick)
        .Method("KeyHandler", &TTestForm::KeyHandler);
  });
}

}  // namespace orv::test
