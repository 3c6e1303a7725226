// Action execution and update.
#include "platform/forms/ActnList.h"

namespace orv {

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

}  // namespace orv
