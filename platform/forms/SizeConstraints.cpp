// TSizeConstraints: the limits and their application to a size.
#include "platform/forms/SizeConstraints.h"

#include <algorithm>

namespace orv {
namespace {

// Sets one limit of a pair; the other one yields when the pair would admit no size.
void SetLimit(TConstraintSize& limit, TConstraintSize& other, TConstraintSize value, bool isMax) {
  value = std::max<TConstraintSize>(value, 0);
  limit = value;
  if (value == 0 || other == 0) return;
  if (isMax && other > value) other = value;
  if (!isMax && other < value) other = value;
}

}  // namespace

void TSizeConstraints::SetMaxHeight(TConstraintSize value) {
  if (value == FMaxHeight) return;
  SetLimit(FMaxHeight, FMinHeight, value, true);
  Changed();
}

void TSizeConstraints::SetMaxWidth(TConstraintSize value) {
  if (value == FMaxWidth) return;
  SetLimit(FMaxWidth, FMinWidth, value, true);
  Changed();
}

void TSizeConstraints::SetMinHeight(TConstraintSize value) {
  if (value == FMinHeight) return;
  SetLimit(FMinHeight, FMaxHeight, value, false);
  Changed();
}

void TSizeConstraints::SetMinWidth(TConstraintSize value) {
  if (value == FMinWidth) return;
  SetLimit(FMinWidth, FMaxWidth, value, false);
  Changed();
}

void TSizeConstraints::Apply(Integer& width, Integer& height) const {
  if (FMinWidth > 0 && width < FMinWidth) width = FMinWidth;
  if (FMaxWidth > 0 && width > FMaxWidth) width = FMaxWidth;
  if (FMinHeight > 0 && height < FMinHeight) height = FMinHeight;
  if (FMaxHeight > 0 && height > FMaxHeight) height = FMaxHeight;
}

void TSizeConstraints::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TSizeConstraints*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  FMaxHeight = other->FMaxHeight;
  FMaxWidth = other->FMaxWidth;
  FMinHeight = other->FMinHeight;
  FMinWidth = other->FMinWidth;
  Changed();
}

}  // namespace orv
