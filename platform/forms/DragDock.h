// Dragging between the program's controls and docking: the drag objects, the types of the drag
// and dock events, and the one drag in progress, which follows the dragged control's mouse.
#pragma once
#include "platform/classes/Classes.h"
#include "platform/classes/TypeInfo.h"
#include "platform/rtl/Geometry.h"

namespace orv {

class TControl;
class TWinControl;

// dmAutomatic: a left press on the control starts a drag once the mouse has moved the threshold.
enum TDragMode { dmManual, dmAutomatic };
// dkDock: the drag moves the control itself, into a dock site or into a window of its own.
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
// The step CM_DRAG tells its target about.
enum TDragMessage { dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel };

// What is being dragged. A drag started without an object of the handler's own uses one of the
// program's, and the events then name the dragged control as their source.
class TDragObject : public TObject {
 public:
  // The mouse position of the last step, on the screen.
  TPoint DragPos() const { return FDragPos; }
  // The control under the mouse that accepted the drag (nullptr for none), and the position there.
  TControl* DragTarget() const { return FDragTarget; }
  TPoint DragTargetPos() const { return FDragTargetPos; }
  bool Dropped() const { return FDropped; }
  bool Cancelling() const { return FCancelling; }

 private:
  friend class TDragOperation;
  TPoint FDragPos;
  TControl* FDragTarget = nullptr;
  TPoint FDragTargetPos;
  bool FDropped = false;
  bool FCancelling = false;
};

class TDragControlObject : public TDragObject {
 public:
  explicit TDragControlObject(TControl* control) : FControl(control) {}
  TControl* Control() const { return FControl; }

 private:
  TControl* FControl;
};

class TDragDockObject : public TDragControlObject {
 public:
  using TDragControlObject::TDragControlObject;
  // Where the control would go, on the screen: inside the dock site, or the floating window's area.
  TRect DockRect() const { return FDockRect; }
  void SetDockRect(const TRect& r) { FDockRect = r; }
  // The drop leaves the control in a window of its own (no dock site under the mouse).
  bool Floating() const { return FFloating; }

 private:
  friend class TDragOperation;
  TRect FDockRect;
  bool FFloating = true;
};

// CM_DRAG's LParam: the step's screen position, the drag object and the event source (the drag
// object, or the dragged control for the program's own objects).
struct TDragRec {
  TPoint Pos;
  TDragObject* Source = nullptr;
  TObject* EventSource = nullptr;
  bool Docking = false;
};

using TStartDragEvent = TEvent<TObject*, TDragObject*&>;
// Sender, source, position in the sender's client area, the step, and whether a drop is welcome
// (false unless the handler says so).
using TDragOverEvent = TEvent<TObject*, TObject*, Integer, Integer, TDragState, bool&>;
using TDragDropEvent = TEvent<TObject*, TObject*, Integer, Integer>;
// Sender (the dragged control), the target (nullptr when nothing took the drop) and the position
// in the target's client area.
using TEndDragEvent = TEvent<TObject*, TObject*, Integer, Integer>;
using TStartDockEvent = TEvent<TObject*, TDragDockObject*&>;

// The drag in progress, if any.
bool DragActive();
// The control being dragged (also while the drag waits for its threshold), or nullptr.
TControl* DragControl();
// Ends the drag in progress without a drop.
void CancelDrag();
// The screen distance the mouse moves before a waiting drag starts.
inline constexpr Integer kDragThreshold = 5;

}  // namespace orv
