// Filling one tag of an index file from all records at once: the keys are built, sorted in the
// tag's order and laid down bottom-up, instead of being inserted one by one.
#include <algorithm>
#include <cstring>
#include <numeric>
#include <cstdint>
#include <thread>
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
  const Byte flags = TagHeader(slot)[8];
  // A distinct tag holds live records only (a record marked deleted leaves it); the other tags
  // keep the keys of deleted records too.
  const bool liveOnly = (flags & 0x20) != 0;
  std::vector<Byte> keys;
  keys.reserve(k * static_cast<size_t>(std::max<Integer>(count, 0)));
  // The record number of each key built.
  std::vector<LongWord> owners;
  owners.reserve(static_cast<size_t>(std::max<Integer>(count, 0)));
  std::vector<Byte> key;
  for (Integer n = 1; n <= count; ++n) {
    const Byte* rec = record(n);
    if (!rec) return false;
    if (liveOnly && rec[0] == '*') continue;
    if (!BuildKey(slot, rec, key) || key.size() != k) return false;
    keys.insert(keys.end(), key.begin(), key.end());
    owners.push_back(static_cast<LongWord>(n));
  }
  const size_t total = owners.size();
  if (total == 0) return !WriteError();
  const TIdxKeyOrder& order = s.Tree->Order();
  auto keyAt = [&](size_t i) { return keys.data() + i * k; };
  // Entry i is the key of record owners[i]; among equal keys the records keep their physical order.
  std::vector<LongWord> sorted(total);
  std::iota(sorted.begin(), sorted.end(), LongWord{0});
  if (Byte probe[TIdxKeyOrder::kSortPrefixBytes]; order.SortPrefix(keyAt(0), probe)) {
    // Under a locale most pairs are told apart by the starts of their collation keys, made once
    // per record (side by side for many records); only pairs that agree there are compared whole.
    struct TPrefixed {
      std::uint64_t High, Low;
      LongWord Entry;
    };
    std::vector<TPrefixed> items(total);
    auto makePrefixes = [&](size_t from, size_t to) {
      Byte p[TIdxKeyOrder::kSortPrefixBytes];
      for (size_t i = from; i < to; ++i) {
        order.SortPrefix(keyAt(i), p);
        std::uint64_t high = 0, low = 0;
        for (int b = 0; b < 8; ++b) {
          high = high << 8 | p[b];
          low = low << 8 | p[8 + b];
        }
        items[i] = {high, low, static_cast<LongWord>(i)};
      }
    };
    const size_t workers = total < 4096 ? 1 : std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 4);
    const size_t share = (total + workers - 1) / workers;
    std::vector<std::thread> threads;
    for (size_t w = 1; w < workers; ++w) threads.emplace_back(makePrefixes, w * share, std::min(total, (w + 1) * share));
    makePrefixes(0, std::min(total, share));
    for (auto& t : threads) t.join();
    const bool descending = order.Descending;
    std::sort(items.begin(), items.end(), [&](const TPrefixed& a, const TPrefixed& b) {
      if (a.High != b.High) return (a.High < b.High) != descending;
      if (a.Low != b.Low) return (a.Low < b.Low) != descending;
      const int r = order.Compare(keyAt(a.Entry), keyAt(b.Entry));
      return r != 0 ? r < 0 : a.Entry < b.Entry;
    });
    for (size_t i = 0; i < total; ++i) sorted[i] = items[i].Entry;
  } else {
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](LongWord a, LongWord b) { return order.Compare(keyAt(a), keyAt(b)) < 0; });
  }
  auto equal = [&](LongWord a, LongWord b) { return order.Compare(keyAt(a), keyAt(b)) == 0; };
  std::vector<const Byte*> orderedKeys;
  orderedKeys.reserve(total);
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
    orderedKeys.push_back(keyAt(e));
    recNos.push_back(owners[e]);
  }
  s.Tree->LoadSorted(orderedKeys, recNos);
  PutLE32(TagHeader(slot), s.Tree->Root());
  WriteTagHeader(slot);
  return !WriteError();
}

}  // namespace orv
