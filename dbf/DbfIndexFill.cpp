// Filling one tag of an index file from all records at once: the keys are built, sorted in the
// tag's order and laid down bottom-up, instead of being inserted one by one.
#include <algorithm>
#include <cstring>
#include <numeric>
#include "dbf/DbfFile.h"
#include "dbf/DbfIndexFile.h"

namespace orv {

bool TIndexFile::FillTag(Integer count, const std::function<const Byte*(Integer recNo)>& record) {
  FFillViolation = false;
  if (!FOpened || FUnusable || FKeysFrozen || FCurrent < 0) return true;
  const Integer slot = FCurrent;
  TTagSlot& s = FTags[static_cast<size_t>(slot)];
  if (!s.Tree || s.ParseFailed) return true;
  const size_t k = static_cast<size_t>(s.Tree->Layout().KeyLength);
  std::vector<Byte> keys;
  keys.reserve(k * static_cast<size_t>(std::max<Integer>(count, 0)));
  std::vector<Byte> key;
  for (Integer n = 1; n <= count; ++n) {
    const Byte* rec = record(n);
    if (!rec || !BuildKey(slot, rec, key) || key.size() != k) return false;
    keys.insert(keys.end(), key.begin(), key.end());
  }
  const size_t total = static_cast<size_t>(std::max<Integer>(count, 0));
  if (total == 0) return !WriteError();
  const TIdxKeyOrder& order = s.Tree->Order();
  auto keyAt = [&](size_t i) { return keys.data() + i * k; };
  // Entry i is record i + 1; among equal keys the records keep their physical order.
  std::vector<LongWord> sorted(total);
  std::iota(sorted.begin(), sorted.end(), LongWord{0});
  std::vector<std::string> sortKeys;
  std::string sortKey;
  if (order.SortKey(keyAt(0), sortKey)) {
    // Collation keys once per record rather than a locale comparison per pair.
    sortKeys.resize(total);
    sortKeys[0] = std::move(sortKey);
    for (size_t i = 1; i < total; ++i) order.SortKey(keyAt(i), sortKeys[i]);
    const bool descending = order.Descending;
    std::sort(sorted.begin(), sorted.end(), [&](LongWord a, LongWord b) {
      const int r = sortKeys[a].compare(sortKeys[b]);
      if (r != 0) return descending ? r > 0 : r < 0;
      return a < b;
    });
  } else {
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](LongWord a, LongWord b) { return order.Compare(keyAt(a), keyAt(b)) < 0; });
  }
  auto equal = [&](LongWord a, LongWord b) {
    return sortKeys.empty() ? order.Compare(keyAt(a), keyAt(b)) == 0 : sortKeys[a] == sortKeys[b];
  };
  const Byte flags = TagHeader(slot)[8];
  std::vector<Byte> orderedKeys;
  orderedKeys.reserve(keys.size());
  std::vector<LongWord> recNos;
  recNos.reserve(total);
  for (size_t i = 0; i < total; ++i) {
    const LongWord e = sorted[i];
    if ((flags & 0x60) != 0 && i > 0 && equal(sorted[i - 1], e)) {
      // A unique tag keeps the first record of a key; a distinct tag refuses the second.
      if ((flags & 0x20) == 0) continue;
      FFillViolation = true;
      FViolationRecNo = static_cast<Integer>(recNos.back());
      FViolationKey.assign(keyAt(e), keyAt(e) + k);
      FViolationNumeric = TagHeader(slot)[9] == 'N';
      FViolationTag = IndexName();
      return false;
    }
    orderedKeys.insert(orderedKeys.end(), keyAt(e), keyAt(e) + k);
    recNos.push_back(e + 1);
  }
  keys.clear();
  keys.shrink_to_fit();
  s.Tree->LoadSorted(orderedKeys, recNos);
  PutLE32(TagHeader(slot), s.Tree->Root());
  WriteTagHeader(slot);
  return !WriteError();
}

}  // namespace orv
