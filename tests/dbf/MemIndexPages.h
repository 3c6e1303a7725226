// Index pages of 512 bytes in memory, as a file would hold them; page 0 is the file header and
// never a tree page.
#pragma once
#include <algorithm>
#include <vector>
#include "dbf/DbfIdxTree.h"

namespace orv::test {

class TMemPages : public TIdxPageStore {
 public:
  bool ReadIndexPage(LongWord page, Byte* buffer) override {
    if (page == 0 || page >= Pages.size()) return false;
    std::copy(Pages[page].begin(), Pages[page].end(), buffer);
    return true;
  }
  void WriteIndexPage(LongWord page, const Byte* buffer) override {
    if (page < Pages.size()) std::copy(buffer, buffer + kPageBytes, Pages[page].begin());
  }
  LongWord NewIndexPage() override {
    Pages.emplace_back(kPageBytes, 0);
    return static_cast<LongWord>(Pages.size() - 1);
  }

  static constexpr Integer kPageBytes = 512;
  std::vector<std::vector<Byte>> Pages = std::vector<std::vector<Byte>>(1, std::vector<Byte>(kPageBytes, 0));
};

}  // namespace orv::test
