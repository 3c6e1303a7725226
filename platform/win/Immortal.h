// Process-wide tables of the window layer that are never destroyed: windows, hooks and the queue
// may still be used by other libraries' objects while static destructors run at exit.
#pragma once

namespace orv::winimpl {

template <class T>
class TImmortal {
 public:
  TImmortal() : FValue() {}
  // Deliberately leaves the value alone; its memory stays reachable, so leak checks stay quiet.
  ~TImmortal() {}
  T& Get() { return FValue; }

 private:
  union {
    T FValue;
  };
};

}  // namespace orv::winimpl
