// Test classes for the component layer: a small form with controls, a persistent font, a
// status bar with a panel collection, registered with the property registry.
#pragma once
#include <string>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/classes/Filer.h"

namespace orv::test {

// What the test classes saw, in order ("Loaded:SendBtn", "Notify:Edit1", ...).
std::vector<std::string>& Log();

enum TTestAlign { alNone, alTop, alBottom, alClient };
enum TTestAnchor { akLeft, akTop, akRight, akBottom };
enum TTestFontStyle { fsBold, fsItalic, fsUnderline };
enum TTestPanelStyle { psText, psOwnerDraw };
// Colours are integers written by name where they have one.
inline constexpr Integer kRed = 0x0000FF;
inline constexpr Integer kBtnFace = static_cast<Integer>(0x8000000F);
const TIdentMap& ColorIdents();

class TTestFont : public TPersistent {
 public:
  AnsiString FName;
  Integer FSize = 8;
  TSet<TTestFontStyle> FStyle;
  void Assign(TPersistent* source) override;
};

class TTestPanel : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  AnsiString FText;
  TTestPanelStyle FStyle = psText;
  Integer FWidth = 0;
  TComponent* FControl = nullptr;  // not kept up to date when it goes: tests only read it
  void Assign(TPersistent* source) override;
};

class TTestPanels : public TCollection {
 public:
  explicit TTestPanels(TPersistent* owner) : TCollection(owner, ItemsOf<TTestPanel>()) {}
  int Updates = 0;
 protected:
  void Update(TCollectionItem*) override { ++Updates; }
};

// A control: positioned, captioned, with a parent; every kind of published property.
class TTestControl : public TComponent {
 public:
  explicit TTestControl(TComponent* owner);
  ~TTestControl() override;

  Integer GetBound(Integer index) const { return FBounds[index]; }
  void SetBound(Integer index, Integer value) { FBounds[index] = value; }
  AnsiString GetCaption() const { return FCaption; }
  virtual void SetCaption(const AnsiString& value);
  TTestFont* GetFont() const { return FFont.get(); }
  void SetFont(TTestFont* value) { FFont->Assign(value); }
  TTestControl* GetFocusControl() const { return FFocusControl; }
  void SetFocusControl(TTestControl* value);
  bool IsHintStored() const { return !FHintFromAction; }

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return FParent; }
  void SetParentComponent(TComponent* parent) override { FParent = parent; }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;
  void DefineProperties(TFiler& filer) override;

  Integer FBounds[3] = {0, 0, 0};
  AnsiString FCaption;
  TSet<TTestAnchor> FAnchors{akLeft, akTop};
  TTestAlign FAlign = alNone;
  bool FVisible = true;
  std::unique_ptr<TTestFont> FFont = std::make_unique<TTestFont>();
  TNotifyEvent FOnClick;
  TTestControl* FFocusControl = nullptr;
  char FPasswordChar = '\0';
  double FRatio = 0;
  Int64 FBig = 0;
  WideString FWideCaption;
  WideChar FWChar = 0;
  AnsiString FHint;
  bool FHintFromAction = false;
  Integer FColor = kBtnFace;
  // Stream-defined entries: "Extra" (a string) and "Data" (bytes).
  AnsiString FExtra;
  std::vector<Byte> FData;
  TComponent* FParent = nullptr;
  // What DefineProperties saw of the filer when it last ran.
  TComponent* SeenRoot = nullptr;
  TComponent* SeenOwner = nullptr;
  TPersistent* SeenAncestor = nullptr;
  bool CaptionSetWhileLoading = false;
};

class TTestContainer : public TTestControl {
 public:
  using TTestControl::TTestControl;
};

class TTestStatusBar : public TTestControl {
 public:
  explicit TTestStatusBar(TComponent* owner) : TTestControl(owner), FPanels(this) {}
  TTestPanels* GetPanels() const { return const_cast<TTestPanels*>(&FPanels); }
  void SetPanels(TTestPanels* value) { FPanels.Assign(value); }
  TTestPanels FPanels;
};

// A component without a parent: written directly under the root.
class TTestTimer : public TComponent {
 public:
  using TComponent::TComponent;
  void Loaded() override;
  Integer FInterval = 1000;
};

class TTestForm : public TComponent {
 public:
  explicit TTestForm(TComponent* owner) : TComponent(owner) {}
  ~TTestForm() override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void Loaded() override;

  void FormCreate(TObject* sender);
  void SendBtnClick(TObject* sender);
  void KeyHandler(TObject* sender, char& key);

  AnsiString FCaption;
  TNotifyEvent FOnCreate;
  TTestTimer* Timer1 = nullptr;
  TTestContainer* Panel1 = nullptr;
  TTestControl* SendBtn = nullptr;
  TTestControl* Edit1 = nullptr;
  TTestStatusBar* StatusBar1 = nullptr;
};

// Registers the test classes once.
void RegisterTestClasses();

}  // namespace orv::test
