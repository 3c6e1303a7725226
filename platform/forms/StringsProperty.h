// A list of lines as a published property ("Lines.Strings = (...)", "Items.Strings = (...)"),
// read from and written to whatever the control keeps its lines in.
#pragma once
#include <functional>
#include <vector>
#include "platform/classes/Classes.h"

namespace orv {

class TStringsProperty : public TPersistent {
 public:
  using TGetter = std::function<std::vector<AnsiString>()>;
  using TSetter = std::function<void(const std::vector<AnsiString>&)>;
  TStringsProperty(TGetter get, TSetter set) : FGet(std::move(get)), FSet(std::move(set)) {}
  std::vector<AnsiString> Get() const { return FGet(); }
  void Set(const std::vector<AnsiString>& lines) const { FSet(lines); }
  void DefineProperties(TFiler& filer) override;
  void Assign(TPersistent* source) override;

 private:
  TGetter FGet;
  TSetter FSet;
};

}  // namespace orv
