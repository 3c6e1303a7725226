// Action execution and update.
#include "platform/forms/ActnList.h"

#include "platform/forms/Forms.h"

namespace orv {

bool TBasicAction::Execute() {
  // The application window's hooks may take the action over.
  if (Application != nullptr && Application->ExecuteAction(this)) return true;
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
