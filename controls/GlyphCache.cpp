// Shared glyph image lists and their cache.
#include "controls/GlyphCache.h"

#include <algorithm>

namespace orv {

TGlyphList::TGlyphList(int width, int height) : TCustomImageList(nullptr) {
  SetWidth(width);
  SetHeight(height);
}

TGlyphList::~TGlyphList() = default;

int TGlyphList::AllocateSlot() {
  const auto free = std::find(FUsed.begin(), FUsed.end(), false);
  int index = static_cast<int>(free - FUsed.begin());
  if (free == FUsed.end()) {
    TBitmap blank(Width(), Height());
    index = TCustomImageList::Add(&blank, nullptr);
    FUsed.resize(static_cast<std::size_t>(index) + 1, false);
  }
  FUsed[static_cast<std::size_t>(index)] = true;
  return index;
}

int TGlyphList::Add(TBitmap* image, TBitmap* mask) {
  const int index = AllocateSlot();
  Replace(index, image, mask);
  ++FCount;
  return index;
}

int TGlyphList::AddMasked(TBitmap* image, TColor maskColor) {
  const int index = AllocateSlot();
  ReplaceMasked(index, image, maskColor);
  ++FCount;
  return index;
}

bool TGlyphList::Used(int index) const {
  return index >= 0 && index < static_cast<int>(FUsed.size()) && FUsed[static_cast<std::size_t>(index)];
}

void TGlyphList::Delete(int index) {
  if (!Used(index)) return;
  FUsed[static_cast<std::size_t>(index)] = false;
  --FCount;
}

TGlyphCache::TGlyphCache() = default;
TGlyphCache::~TGlyphCache() = default;

TGlyphList* TGlyphCache::GetList(int width, int height) {
  for (auto it = FLists.rbegin(); it != FLists.rend(); ++it)
    if ((*it)->Width() == width && (*it)->Height() == height) return it->get();
  FLists.push_back(std::make_unique<TGlyphList>(width, height));
  return FLists.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* list) {
  if (list == nullptr || list->UsedCount() != 0) return;
  const auto it = std::find_if(FLists.begin(), FLists.end(), [&](const auto& l) { return l.get() == list; });
  if (it != FLists.end()) FLists.erase(it);
}

void TGlyphCacheHome::AddUser() {
  if (FUsers++ == 0 && !FCache) FCache = std::make_unique<TGlyphCache>();
}

void TGlyphCacheHome::RemoveUser() {
  if (FUsers > 0) --FUsers;
  if (FUsers == 0 && FCache && FCache->Empty()) FCache.reset();
}

}  // namespace orv
