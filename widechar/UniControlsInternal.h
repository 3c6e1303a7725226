// Inside the wide controls: the holder list, the spare traps, the window-property atoms, and the
// trap that keeps a control's narrow machinery working with a Unicode window.
#pragma once
#include <memory>
#include <vector>
#include "widechar/UniControls.h"

namespace orv {

class TWinControlTrap;

namespace unicontrols {

struct TUniControlsState {
  // Sorted by the identity of the holders' controls.
  std::vector<std::unique_ptr<TWideCaptionHolder>> Holders;
  // Traps not in use whose controls may make their window again; not owned.
  std::vector<TWinControlTrap*> SpareTraps;
  AnsiString AtomNames[2];
  ATOM Atoms[2] = {0, 0};
  bool Started = false;
  bool Finalized = false;
  // The control whose window CreateUnicodeWindow is making.
  TWinControl* CreatingControl = nullptr;
};

TUniControlsState& State();

}  // namespace unicontrols

// The control's window procedure in front of the window's own, the control's window-procedure
// method in front of its own, and the default procedure in front of its own.
class TWinControlTrap : public TComponent {
 public:
  explicit TWinControlTrap(TWinControl* control);
  ~TWinControlTrap() override;

  TWinControl* Control() const { return FControl; }
  void SubClass(const AnsiString& narrowCaption, bool useLibraryCreation);
  // The procedure that calls the control's main window procedure.
  WNDPROC MainStub() const { return FMainStub; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend struct TTrapMethod;
  LRESULT TrapWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT TrapDefWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void TrapWindowProc(TMessage& message);
  bool IsInSubclassChain();
  void UnSubClass();
  void Release();

  TWinControl* FControl;
  WNDPROC FMainStub = nullptr;
  WNDPROC FWndProcStub = nullptr;
  WNDPROC FDefWndProcStub = nullptr;
  HWND FHandle;
  WNDPROC FPrevWindowProc = nullptr;
  WNDPROC FPrevDefWindowProc = nullptr;
  TWndMethodProc FPrevWindowProcMethod;
  UINT FLastWinControlMsg = 0;
  int FNesting = 0;
  bool FUsesLibraryCreation = false;
  bool FFreePending = false;
  bool FTestingForNull = false;
  bool FFoundNull = false;
};

// The trap's window-procedure method as it sits in the control's WindowProc.
struct TTrapMethod {
  TWinControlTrap* Trap;
  void operator()(TMessage& message) const { Trap->TrapWindowProc(message); }
};

// The spare trap of control (taken out of the spare list) or a new one.
TWinControlTrap* AcquireTrap(TWinControl* control);

}  // namespace orv
