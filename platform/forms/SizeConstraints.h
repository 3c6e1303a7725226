// The smallest and largest size a control may take (0 for no limit), kept by its bounds.
#pragma once
#include "platform/classes/Classes.h"

namespace orv {

using TConstraintSize = Integer;

class TSizeConstraints : public TPersistent {
 public:
  TConstraintSize MaxHeight() const { return FMaxHeight; }
  TConstraintSize MaxWidth() const { return FMaxWidth; }
  TConstraintSize MinHeight() const { return FMinHeight; }
  TConstraintSize MinWidth() const { return FMinWidth; }
  // A negative limit is no limit. A minimum above the maximum raises the maximum with it, a maximum
  // below the minimum lowers the minimum, so the pair always admits a size.
  void SetMaxHeight(TConstraintSize value);
  void SetMaxWidth(TConstraintSize value);
  void SetMinHeight(TConstraintSize value);
  void SetMinWidth(TConstraintSize value);
  // The size within the limits.
  void Apply(Integer& width, Integer& height) const;
  void Assign(TPersistent* source) override;

  TNotifyEvent OnChange;

 private:
  void Changed() { OnChange(this); }
  TConstraintSize FMaxHeight = 0, FMaxWidth = 0, FMinHeight = 0, FMinWidth = 0;
};

}  // namespace orv
