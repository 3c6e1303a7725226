// Form descriptions per second: text to stream, read into a registered form with children,
// references and a collection, and written back to text. No peer: the last line is the rate.
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include "platform/classes/ObjectText.h"

using namespace orv;

namespace {

enum TBenchAlign { baNone, baTop, baClient };

class TBenchItem : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  AnsiString FText;
  Integer FWidth = 0;
};

class TBenchControl : public TComponent {
 public:
  explicit TBenchControl(TComponent* owner) : TComponent(owner), FItems(this, TCollection::ItemsOf<TBenchItem>()) {}
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return FParent; }
  void SetParentComponent(TComponent* p) override { FParent = p; }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override {
    for (Integer i = 0; i < root->ComponentCount(); ++i)
      if (root->Components(i)->GetParentComponent() == this) proc(root->Components(i));
  }
  TBenchControl* GetFocus() const { return FFocus; }
  void SetFocus(TBenchControl* c) { FFocus = c; }
  TCollection* GetItems() const { return const_cast<TCollection*>(&FItems); }
  void SetItems(TCollection* c) { FItems.Assign(c); }
  Integer FLeft = 0, FTop = 0, FWidth = 0;
  AnsiString FCaption;
  WideString FHint;
  TBenchAlign FAlign = baNone;
  TNotifyEvent FOnClick;
  TBenchControl* FFocus = nullptr;
  TCollection FItems;
  TComponent* FParent = nullptr;
};

class TBenchForm : public TComponent {
 public:
  using TComponent::TComponent;
  ~TBenchForm() override { DestroyComponents(); }
  void GetChildren(const TGetChildProc& proc, TComponent*) override {
    for (Integer i = 0; i < ComponentCount(); ++i)
      if (Components(i)->GetParentComponent() == this) proc(Components(i));
  }
  void Click(TObject*) {}
};

void Register() {
  RegisterEnum<TBenchAlign>("TBenchAlign", {"baNone", "baTop", "baClient"});
  RegisterClassType<TBenchItem, TCollectionItem>("TBenchItem")
      .Prop("Text", &TBenchItem::FText, &TBenchItem::FText)
      .Prop("Width", &TBenchItem::FWidth, &TBenchItem::FWidth);
  RegisterClassType<TBenchControl, TComponent>("TBenchControl")
      .Prop("Left", &TBenchControl::FLeft, &TBenchControl::FLeft)
      .Prop("Top", &TBenchControl::FTop, &TBenchControl::FTop)
      .Prop("Width", &TBenchControl::FWidth, &TBenchControl::FWidth)
      .Prop("Caption", &TBenchControl::FCaption, &TBenchControl::FCaption)
      .Prop("Hint", &TBenchControl::FHint, &TBenchControl::FHint)
      .Prop("Align", &TBenchControl::FAlign, &TBenchControl::FAlign).Default(baNone)
      .Prop("OnClick", &TBenchControl::FOnClick, &TBenchControl::FOnClick)
      .Prop("FocusControl", &TBenchControl::GetFocus, &TBenchControl::SetFocus)
      .Prop("Items", &TBenchControl::GetItems, &TBenchControl::SetItems);
  RegisterClassType<TBenchForm, TComponent>("TBenchForm").Method("Click", &TBenchForm::Click);
}

std::string MakeForm(int controls) {
  std::string t = "object Form1: TBenchForm\n";
  for (int i = 0; i < controls; ++i) {
    std::string n = std::to_string(i);
    t += "  object Ctl" + n + ": TBenchControl\n";
    t += "    Left = " + n + "\n    Top = " + std::to_string(i * 20) + "\n    Width = 120\n";
    t += "    Caption = 'Beschriftung " + n + "'\n    Hint = 'Gr'#246#223'e '#1046\n";
    t += "    Align = baTop\n    OnClick = Click\n";
    if (i > 0) t += "    FocusControl = Ctl" + std::to_string(i - 1) + "\n";
    t += "    Items = <\n      item\n        Text = 'a'\n        Width = 50\n      end>\n  end\n";
  }
  return t + "end\n";
}

}  // namespace

int main() {
  Register();
  const std::string text = MakeForm(50);
  using clock = std::chrono::steady_clock;
  int rounds = 0;
  auto start = clock::now();
  double seconds = 0;
  do {
    TBenchForm form(nullptr);
    ReadComponentFromText(text, &form);
    if (WriteComponentToText(&form) != text) {
      std::fprintf(stderr, "round trip changed the description\n");
      return 1;
    }
    ++rounds;
    seconds = std::chrono::duration<double>(clock::now() - start).count();
  } while (seconds < 2.0);
  double rate = rounds / seconds;
  std::printf("form of 50 controls (%zu bytes): %d read+write rounds in %.2f s\n", text.size(), rounds, seconds);
  std::printf("controls per second: %.0f\n", rate * 50);
  std::printf("formstream: %.1f\n", rate);
  return 0;
}
