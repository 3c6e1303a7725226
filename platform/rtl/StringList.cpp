// TStringList: strings with objects, sorted or not, and their CRLF text and comma text forms.
#include <algorithm>

#include "platform/rtl/Lists.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

[[noreturn]] void IndexError(Integer index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

[[noreturn]] void SortedError() { throw EListError("Operation not allowed on sorted string list"); }

bool IsBlank(char c) { return c != 0 && static_cast<unsigned char>(c) <= ' '; }

// Runs a bulk change and reports it once.
class TUpdate {
 public:
  TUpdate(int& count, const std::function<void()>& done) : FCount(count), FDone(done) { ++FCount; }
  ~TUpdate() {
    if (--FCount == 0 && FDone) FDone();
  }
 private:
  int& FCount;
  const std::function<void()>& FDone;
};

}  // namespace

int TStringList::CompareStrings(const AnsiString& a, const AnsiString& b) const {
  if (FCaseSensitive) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  return CompareText(a, b);
}

void TStringList::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange();
}

const AnsiString& TStringList::Get(Integer index) const {
  if (index < 0 || index >= Count()) IndexError(index);
  return FItems[static_cast<std::size_t>(index)].S;
}

void TStringList::Put(Integer index, const AnsiString& s) {
  if (FSorted) SortedError();
  if (index < 0 || index >= Count()) IndexError(index);
  FItems[static_cast<std::size_t>(index)].S = s;
  Changed();
}

void* TStringList::GetObject(Integer index) const {
  if (index < 0 || index >= Count()) IndexError(index);
  return FItems[static_cast<std::size_t>(index)].Object;
}

void TStringList::PutObject(Integer index, void* object) {
  if (index < 0 || index >= Count()) IndexError(index);
  FItems[static_cast<std::size_t>(index)].Object = object;
  Changed();
}

Integer TStringList::Add(const AnsiString& s) { return AddObject(s, nullptr); }

Integer TStringList::AddObject(const AnsiString& s, void* object) {
  if (FSorted) return AddSorted(s, object);
  InsertItem(Count(), s, object);
  return Count() - 1;
}

Integer TStringList::AddSorted(const AnsiString& s, void* object) {
  Integer index = 0;
  if (Find(s, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) throw EListError("String list does not allow duplicates");
  }
  InsertItem(index, s, object);
  return index;
}

void TStringList::InsertItem(Integer index, const AnsiString& s, void* object) {
  FItems.insert(FItems.begin() + index, Item{s, object});
  Changed();
}

void TStringList::Insert(Integer index, const AnsiString& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(Integer index, const AnsiString& s, void* object) {
  if (FSorted) SortedError();
  if (index < 0 || index > Count()) IndexError(index);
  InsertItem(index, s, object);
}

void TStringList::Delete(Integer index) {
  if (index < 0 || index >= Count()) IndexError(index);
  FItems.erase(FItems.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  Changed();
}

Integer TStringList::IndexOf(const AnsiString& s) const {
  if (FSorted) {
    Integer index = 0;
    return Find(s, index) ? index : -1;
  }
  for (Integer i = 0; i < Count(); ++i)
    if (CompareStrings(FItems[static_cast<std::size_t>(i)].S, s) == 0) return i;
  return -1;
}

bool TStringList::Find(const AnsiString& s, Integer& index) const {
  if (!FSorted) {
    index = IndexOf(s);
    if (index >= 0) return true;
    index = Count();
    return false;
  }
  // The first of equal items, or where s would go.
  Integer lo = 0, hi = Count();
  while (lo < hi) {
    Integer mid = lo + (hi - lo) / 2;
    if (CompareStrings(FItems[static_cast<std::size_t>(mid)].S, s) < 0) lo = mid + 1;
    else hi = mid;
  }
  index = lo;
  return lo < Count() && CompareStrings(FItems[static_cast<std::size_t>(lo)].S, s) == 0;
}

void TStringList::Exchange(Integer a, Integer b) {
  if (a < 0 || a >= Count()) IndexError(a);
  if (b < 0 || b >= Count()) IndexError(b);
  std::swap(FItems[static_cast<std::size_t>(a)], FItems[static_cast<std::size_t>(b)]);
  Changed();
}

void TStringList::Sort() {
  TUpdate update(FUpdateCount, OnChange);
  std::stable_sort(FItems.begin(), FItems.end(),
                   [this](const Item& a, const Item& b) { return CompareStrings(a.S, b.S) < 0; });
}

void TStringList::QuickSort(Integer lo, Integer hi,
                            const std::function<int(const TStringList&, Integer, Integer)>& compare) {
  while (lo < hi) {
    Integer i = lo, j = hi;
    Integer pivot = lo + (hi - lo) / 2;
    while (i <= j) {
      while (i < hi && compare(*this, i, pivot) < 0) ++i;
      while (j > lo && compare(*this, j, pivot) > 0) --j;
      if (i <= j) {
        if (i != j) {
          std::swap(FItems[static_cast<std::size_t>(i)], FItems[static_cast<std::size_t>(j)]);
          // The pivot is compared by index, so it follows its item.
          if (pivot == i) pivot = j;
          else if (pivot == j) pivot = i;
        }
        ++i;
        --j;
      }
    }
    // Recurse into the smaller part so the depth stays logarithmic.
    if (j - lo < hi - i) {
      QuickSort(lo, j, compare);
      lo = i;
    } else {
      QuickSort(i, hi, compare);
      hi = j;
    }
  }
}

void TStringList::CustomSort(const std::function<int(const TStringList&, Integer, Integer)>& compare) {
  if (FSorted) SortedError();
  TUpdate update(FUpdateCount, OnChange);
  if (Count() > 1) QuickSort(0, Count() - 1, compare);
}

void TStringList::SetSorted(bool value) {
  if (value == FSorted) return;
  if (value) Sort();
  FSorted = value;
}

void TStringList::SetCaseSensitive(bool value) {
  if (value == FCaseSensitive) return;
  FCaseSensitive = value;
  if (FSorted) Sort();
}

AnsiString TStringList::Text() const {
  AnsiString out;
  for (const auto& item : FItems) out.append(item.S).append("\r\n");
  return out;
}

void TStringList::SetText(std::string_view text) {
  TUpdate update(FUpdateCount, OnChange);
  FItems.clear();
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find_first_of("\r\n", i);
    if (end == std::string_view::npos) end = text.size();
    Add(AnsiString(text.substr(i, end - i)));
    i = end;
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
  }
}

AnsiString TStringList::CommaText() const {
  AnsiString out;
  for (std::size_t k = 0; k < FItems.size(); ++k) {
    if (k > 0) out += ',';
    const AnsiString& s = FItems[k].S;
    // An empty last item is written as "" because a bare trailing comma reads as nothing.
    bool quote = (s.empty() && k + 1 == FItems.size()) || std::any_of(s.begin(), s.end(), [](char c) {
      return static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',';
    });
    if (!quote) {
      out += s;
      continue;
    }
    out += '"';
    for (char c : s) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

void TStringList::SetCommaText(std::string_view text) {
  TUpdate update(FUpdateCount, OnChange);
  FItems.clear();
  std::size_t i = 0, n = text.size();
  auto skipBlanks = [&] { while (i < n && IsBlank(text[i])) ++i; };
  skipBlanks();
  while (i < n && text[i] != 0) {
    AnsiString s;
    if (text[i] == '"') {
      ++i;
      while (i < n) {
        if (text[i] == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            s += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        s += text[i++];
      }
    } else {
      std::size_t start = i;
      while (i < n && static_cast<unsigned char>(text[i]) > ' ' && text[i] != ',') ++i;
      s.assign(text.substr(start, i - start));
    }
    Add(s);
    skipBlanks();
    if (i < n && text[i] == ',') {
      ++i;
      skipBlanks();
    }
  }
}

AnsiString TStringList::Names(Integer index) const {
  const AnsiString& s = Get(index);
  auto p = s.find('=');
  return p == AnsiString::npos ? AnsiString() : s.substr(0, p);
}

AnsiString TStringList::Values(const AnsiString& name) const {
  for (const auto& item : FItems) {
    auto p = item.S.find('=');
    if (p != AnsiString::npos && CompareText(std::string_view(item.S).substr(0, p), name) == 0) return item.S.substr(p + 1);
  }
  return {};
}

void TStringList::LoadFromStream(TStream& stream) {
  Int64 size = stream.Size() - stream.Position();
  AnsiString data;
  if (size > 0) {
    data.resize(static_cast<std::size_t>(size));
    stream.ReadBuffer(data.data(), size);
  }
  SetText(data);
}

void TStringList::SaveToStream(TStream& stream) const {
  AnsiString text = Text();
  stream.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
}

void TStringList::LoadFromFile(const AnsiString& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TStringList::SaveToFile(const AnsiString& fileName) const {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

}  // namespace orv
