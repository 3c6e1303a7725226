// Closures as window procedures: a fixed pool of distinct procedures, each calling its slot's closure.
#include <array>
#include <utility>
#include <vector>
#include "platform/win/Immortal.h"
#include "platform/rtl/Exceptions.h"
#include "platform/win/WindowInternal.h"

namespace orv {

namespace {

struct TInstancePool {
  std::array<TWndMethod, MaxObjectInstances> Methods;
  std::array<bool, MaxObjectInstances> InUse{};
  std::vector<std::size_t> Free;
  std::size_t Next = 0;
};

TInstancePool& Pool() {
  static winimpl::TImmortal<TInstancePool> pool;
  return pool.Get();
}

template <std::size_t I>
LRESULT Stub(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // A copy: the closure may free its own instance while it runs.
  TWndMethod method = Pool().Methods[I];
  return method ? method(hwnd, msg, wParam, lParam) : 0;
}

template <std::size_t... I>
constexpr std::array<WNDPROC, sizeof...(I)> MakeStubs(std::index_sequence<I...>) {
  return {&Stub<I>...};
}

const std::array<WNDPROC, MaxObjectInstances>& Stubs() {
  static const auto stubs = MakeStubs(std::make_index_sequence<MaxObjectInstances>());
  return stubs;
}

}  // namespace

WNDPROC MakeObjectInstance(TWndMethod method) {
  auto& pool = Pool();
  std::size_t slot;
  if (!pool.Free.empty()) {
    slot = pool.Free.back();
    pool.Free.pop_back();
  } else if (pool.Next < MaxObjectInstances) {
    slot = pool.Next++;
  } else {
    throw EOutOfMemory("Too many window procedure instances");
  }
  pool.Methods[slot] = std::move(method);
  pool.InUse[slot] = true;
  return Stubs()[slot];
}

void FreeObjectInstance(WNDPROC proc) {
  auto& pool = Pool();
  const auto& stubs = Stubs();
  for (std::size_t i = 0; i < pool.Next; ++i) {
    if (stubs[i] == proc && pool.InUse[i]) {
      pool.Methods[i] = nullptr;
      pool.InUse[i] = false;
      pool.Free.push_back(i);
      winimpl::ForgetProcKind(proc);
      return;
    }
  }
}

}  // namespace orv
