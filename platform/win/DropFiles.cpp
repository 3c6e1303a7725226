// The table of dropped-file lists behind the drop handles.
#include "platform/win/DropFiles.h"

#include <cstring>
#include <map>

namespace orv {
namespace {

struct TDropTable {
  std::map<std::uint64_t, std::vector<AnsiString>> Drops;
  std::uint64_t Next = 1;
};

TDropTable& Table() {
  static TDropTable table;
  return table;
}

}  // namespace

HDROP CreateDropHandle(std::vector<AnsiString> files) {
  TDropTable& t = Table();
  const std::uint64_t id = t.Next++;
  t.Drops[id] = std::move(files);
  return HDROP(id);
}

UINT DragQueryFileA(HDROP drop, UINT index, char* buffer, UINT size) {
  const auto& drops = Table().Drops;
  const auto it = drops.find(drop.Value);
  if (it == drops.end()) return 0;
  if (index == 0xFFFFFFFFu) return static_cast<UINT>(it->second.size());
  if (index >= it->second.size()) return 0;
  const AnsiString& name = it->second[index];
  if (buffer != nullptr && size > 0) {
    const std::size_t n = std::min<std::size_t>(name.size(), size - 1);
    std::memcpy(buffer, name.data(), n);
    buffer[n] = 0;
  }
  return static_cast<UINT>(name.size());
}

void DragFinish(HDROP drop) { Table().Drops.erase(drop.Value); }

int PendingDropCount() { return static_cast<int>(Table().Drops.size()); }

}  // namespace orv
