// Controls of the class library made in Unicode windows, as a wide control class makes them, with
// the characters their narrow key handling saw.
#pragma once
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/CodePages.h"
#include "widechar/UniControls.h"

namespace orv::test {

template <class TBase>
class TUnicodeWindowed : public TBase {
 public:
  explicit TUnicodeWindowed(TComponent* owner) : TBase(owner) {}
  std::vector<int> KeysPressed;

 protected:
  void CreateWindowHandle(const TCreateParams& params) override {
    CreateUnicodeWindow(this, params, AnsiToWide(params.WinClassName), false);
  }
  void KeyPress(char& key) override {
    KeysPressed.push_back(static_cast<unsigned char>(key));
    TBase::KeyPress(key);
  }
};

class TUniTestButton : public TUnicodeWindowed<TButton> {
 public:
  using TUnicodeWindowed<TButton>::TUnicodeWindowed;
};

class TUniTestEdit : public TUnicodeWindowed<TEdit> {
 public:
  using TUnicodeWindowed<TEdit>::TUnicodeWindowed;
};

inline void RegisterUnicodeTestControls() {
  RegisterClassType<TUniTestButton, TButton>("TUniTestButton");
  RegisterClassType<TUniTestEdit, TEdit>("TUniTestEdit");
}

}  // namespace orv::test
