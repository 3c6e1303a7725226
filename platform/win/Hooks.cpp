// The WH_GETMESSAGE hook chain of the GUI thread, newest first.
#include "platform/win/Hooks.h"

#include <algorithm>
#include <memory>
#include <vector>
#include "platform/win/Immortal.h"
#include "platform/win/LastError.h"

namespace orv {

namespace {

struct THook {
  HHOOK Handle;
  HOOKPROC Proc;
  bool Removed = false;
};

using THookList = std::vector<std::shared_ptr<THook>>;

struct THookChain {
  // Newest first. Entries are shared so a running hook survives its own removal.
  THookList Hooks;
  // The chains being run, innermost last: CallNextHookEx walks the chain as it was when the message
  // arrived, skipping hooks removed since, so removing a hook mid-run never cuts the chain short.
  std::vector<THookList> Running;
  std::uint64_t NextHandle = 1;
};

THookChain& Chain() {
  static winimpl::TImmortal<THookChain> chain;
  return chain.Get();
}

HHOOK Install(int idHook, HOOKPROC proc) {
  if (idHook != WH_GETMESSAGE) {
    SetLastError(ERROR_INVALID_HOOK_FILTER);
    return nullptr;
  }
  if (!proc) {
    SetLastError(ERROR_INVALID_FILTER_PROC);
    return nullptr;
  }
  auto& chain = Chain();
  HHOOK handle(chain.NextHandle++);
  chain.Hooks.insert(chain.Hooks.begin(), std::make_shared<THook>(THook{handle, std::move(proc)}));
  return handle;
}

}  // namespace

HHOOK SetWindowsHookExA(int idHook, HOOKPROC proc, HINSTANCE, DWORD) { return Install(idHook, std::move(proc)); }
HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE, DWORD) { return Install(idHook, std::move(proc)); }

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  auto& chain = Chain();
  const THookList& hooks = chain.Running.empty() ? chain.Hooks : chain.Running.back();
  auto it = std::find_if(hooks.begin(), hooks.end(), [&](const auto& h) { return h->Handle == hook; });
  if (it == hooks.end()) return 0;
  it = std::find_if(it + 1, hooks.end(), [](const auto& h) { return !h->Removed; });
  if (it == hooks.end()) return 0;
  std::shared_ptr<THook> next = *it;
  return next->Proc(code, wParam, lParam);
}

bool UnhookWindowsHookEx(HHOOK hook) {
  auto& hooks = Chain().Hooks;
  auto it = std::find_if(hooks.begin(), hooks.end(), [&](const auto& h) { return h->Handle == hook; });
  if (it == hooks.end()) {
    SetLastError(ERROR_INVALID_HOOK_HANDLE);
    return false;
  }
  (*it)->Removed = true;
  hooks.erase(it);
  return true;
}

void RunGetMessageHooks(MSG& msg, UINT removeFlag) {
  auto& chain = Chain();
  if (chain.Hooks.empty()) return;
  chain.Running.push_back(chain.Hooks);
  std::shared_ptr<THook> first = chain.Hooks.front();
  struct TPop {
    THookChain& Chain;
    ~TPop() { Chain.Running.pop_back(); }
  } pop{chain};
  first->Proc(HC_ACTION, removeFlag, PtrLParam(&msg));
}

}  // namespace orv
