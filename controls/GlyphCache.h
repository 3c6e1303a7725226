// Image lists shared by button glyphs: one list per image size, whose slots are handed out and
// taken back, and the cache that finds or makes the list for a size.
#pragma once
#include <memory>
#include <vector>
#include "platform/graphics/ImgList.h"

namespace orv {

// An image list of one image size whose slots are reused: a slot is used from AllocateSlot (or an
// add) until Delete; a deleted slot keeps its image until it is handed out again.
class TGlyphList : public TCustomImageList {
 public:
  TGlyphList(int width, int height);
  ~TGlyphList() override;

  // The lowest free slot, marked used; a blank image is appended when every slot is in use.
  int AllocateSlot();
  // Puts image into a newly allocated slot; mask is a monochrome bitmap (white: see-through) or
  // nullptr for an opaque image. Returns the slot.
  int Add(TBitmap* image, TBitmap* mask);
  // The same with the pixels of maskColor see-through (clDefault: the image's bottom-left pixel).
  int AddMasked(TBitmap* image, TColor maskColor);
  // Frees a slot in use; a slot not in use (or outside the list) is left alone.
  void Delete(int index);
  bool Used(int index) const;
  // The number of slots in use.
  int UsedCount() const { return FCount; }

 private:
  std::vector<bool> FUsed;
  int FCount = 0;
};

// The lists of one family of glyphs. A list returned when none of its slots is in use is freed.
class TGlyphCache {
 public:
  TGlyphCache();
  ~TGlyphCache();
  // The list for the size (the newest of that size), made when there is none; valid until it is
  // returned empty or the cache is freed.
  TGlyphList* GetList(int width, int height);
  void ReturnList(TGlyphList* list);
  bool Empty() const { return FLists.empty(); }
  int ListCount() const { return static_cast<int>(FLists.size()); }

 private:
  std::vector<std::unique_ptr<TGlyphList>> FLists;
};

// The cache of a family that lives while glyph objects of the family exist: each glyph object
// holds one TGlyphCacheUser; the first makes the cache, and the last one gone frees it when it
// holds no list (a list still in use keeps it until the program ends).
class TGlyphCacheHome {
 public:
  TGlyphCache* Cache() const { return FCache.get(); }
  void AddUser();
  void RemoveUser();
  int Users() const { return FUsers; }

 private:
  std::unique_ptr<TGlyphCache> FCache;
  int FUsers = 0;
};

}  // namespace orv
