// Global memory blocks in a handle table; handle values are never reused.
#include "platform/win/GlobalMemory.h"

#include <new>
#include <unordered_map>
#include <vector>
#include "platform/win/Immortal.h"
#include "platform/win/LastError.h"

namespace orv {

namespace {

struct TBlock {
  std::vector<Byte> Bytes;
  int Locks = 0;
};

struct TBlockTable {
  std::unordered_map<HGLOBAL, TBlock> Blocks;
  std::uint64_t Next = 1;
};

TBlockTable& Table() {
  static winimpl::TImmortal<TBlockTable> table;
  return table.Get();
}

TBlock* Find(HGLOBAL block) {
  auto& blocks = Table().Blocks;
  auto it = blocks.find(block);
  if (it == blocks.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return &it->second;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT, std::size_t bytes) {
  if (bytes > MaxGlobalBlock) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto& t = Table();
  TBlock block;
  try {
    // One spare byte so that an empty block still has an address.
    block.Bytes.assign(bytes + 1, 0);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  HGLOBAL h(t.Next++);
  t.Blocks.emplace(h, std::move(block));
  return h;
}

void* GlobalLock(HGLOBAL block) {
  TBlock* b = Find(block);
  if (b == nullptr) return nullptr;
  ++b->Locks;
  return b->Bytes.data();
}

bool GlobalUnlock(HGLOBAL block) {
  TBlock* b = Find(block);
  if (b == nullptr || b->Locks == 0) return false;
  return --b->Locks > 0;
}

std::size_t GlobalSize(HGLOBAL block) {
  TBlock* b = Find(block);
  return b == nullptr ? 0 : b->Bytes.size() - 1;
}

HGLOBAL GlobalFree(HGLOBAL block) {
  if (Table().Blocks.erase(block) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return block;
  }
  return nullptr;
}

bool IsGlobalBlock(HGLOBAL block) { return Table().Blocks.count(block) != 0; }
std::size_t GlobalBlockCount() { return Table().Blocks.size(); }

}  // namespace orv
