// Global memory blocks: movable byte blocks behind handles, as the clipboard exchanges them.
#pragma once
#include <cstddef>
#include "platform/win/WinTypes.h"

namespace orv {

using HGLOBAL = THandle<struct THglobalTag>;

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
// Blocks are bounded; a larger request fails with ERROR_NOT_ENOUGH_MEMORY.
inline constexpr std::size_t MaxGlobalBlock = std::size_t(1) << 30;

// Blocks are always zeroed. A block of size 0 is valid and locks to a non-null pointer.
HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes);
// The block's bytes, valid until the matching GlobalUnlock / GlobalFree; null for an invalid handle.
void* GlobalLock(HGLOBAL block);
// True while the block is still locked.
bool GlobalUnlock(HGLOBAL block);
std::size_t GlobalSize(HGLOBAL block);
// Returns none on success, the handle when it was invalid.
HGLOBAL GlobalFree(HGLOBAL block);
bool IsGlobalBlock(HGLOBAL block);
std::size_t GlobalBlockCount();

}  // namespace orv
