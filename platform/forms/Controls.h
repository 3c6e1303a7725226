// The control hierarchy: TControl, TWinControl (owns a window object shown by a Qt widget),
// TGraphicControl (paints in its parent's paint) and TCustomControl, with the message route
// Qt event -> message -> WindowProc -> handlers -> DefaultHandler -> default window procedure -> widget.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/classes/TypeInfo.h"
#include "platform/forms/DragDock.h"
#include "platform/forms/QtHost.h"
#include "platform/forms/SizeConstraints.h"
#include "platform/graphics/Colors.h"
#include "platform/rtl/Geometry.h"
#include "platform/win/Keyboard.h"
#include "platform/win/Messages.h"
#include "platform/win/WindowObjects.h"

class QKeyEvent;
class QPainter;

namespace orv {

class TCanvas;
class TFont;
class TWinControl;
class TCustomForm;
class TPopupMenu;
class TBasicAction;
class TControlActionLink;
class TControl;

// A kind of action link: makes the link of that kind for a client. Kinds compare by identity.
using TControlActionLinkClass = std::unique_ptr<TControlActionLink> (*)(TControl* client);

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

using TWndMethodProc = std::function<void(TMessage&)>;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftFlag>;
// Reading order and alignment; they take effect only on a right-to-left (Middle East) system.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// The state of an owner-drawn item (of a list, a combo box or a menu), as the owner-draw route
// reports it.
enum TOwnerDrawStateItem {
  odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive,
  odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

// Component styles.
using TControlStyle = Cardinal;
inline constexpr TControlStyle csAcceptsControls = 1 << 0, csCaptureMouse = 1 << 1,
  csClickEvents = 1 << 2, csFramed = 1 << 3, csSetCaption = 1 << 4, csOpaque = 1 << 5,
  csDoubleClicks = 1 << 6, csFixedWidth = 1 << 7, csFixedHeight = 1 << 8, csNoStdEvents = 1 << 9,
  csReplicatable = 1 << 10, csActionClient = 1 << 11;
// Control states.
using TControlState = Cardinal;
inline constexpr TControlState csLButtonDown = 1 << 0, csClicked = 1 << 1, csFocusing = 1 << 2,
  csCreating = 1 << 3, csAlignmentNeeded = 1 << 4, csPainting = 1 << 5,
  // The control paints a copy of itself into another surface (behind a transparent control).
  csPaintCopy = 1 << 6;


using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, Integer, Integer>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, Integer, Integer>;
using TKeyEvent = TEvent<TObject*, Word&, TShiftState>;
using TKeyPressEvent = TEvent<TObject*, char&>;
// The position is in the control's client area, (-1, -1) when the keyboard asked; the handler sets
// the flag to keep the popup menu from showing.
using TContextPopupEvent = TEvent<TObject*, TPoint, bool&>;
// Shift state, the wheel's turn (120 a notch, away from the user positive), the mouse on the
// screen, and the handled flag.
using TMouseWheelEvent = TEvent<TObject*, TShiftState, Integer, TPoint, bool&>;
using TMouseWheelUpDownEvent = TEvent<TObject*, TShiftState, TPoint, bool&>;
// Whether the widget takes input through an input method: off (imDisable, imClose), as the
// widget has it (imDontCare), or on (the others).
enum TImeMode {
  imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
  imSHanguel, imHanguel
};

// The parameters a windowed control's window is made from; CreateParams may change them.
struct TCreateParams {
  AnsiString Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent;
  void* Param = nullptr;
  AnsiString WinClassName;
  UINT WindowClassStyle = 0;
};

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // Message entry: WindowProc is first (others may chain in front of it); it starts as WndProc.
  TWndMethodProc WindowProc;
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  virtual void WndProc(TMessage& message);
  // A handler set with SetMessageHandler, else the built-in handlers (MessageHandler), most derived
  // first; the last step is DefaultHandler.
  void Dispatch(TMessage& message);
  virtual void DefaultHandler(TMessage& message);
  // A handler for one message number, ahead of the built-in ones (a form's own WM_USER handler).
  // It reaches the built-in handling by calling InheritedDispatch.
  void SetMessageHandler(UINT msg, TWndMethodProc handler);
  void InheritedDispatch(TMessage& message) { MessageHandler(message); }

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* parent);
  // The form the control sits on (itself for a form), or nullptr.
  TCustomForm* ParentForm() const;

  const AnsiString& Caption() const { return GetText(); }
  void SetCaption(const AnsiString& text) { SetText(text); }
  virtual const AnsiString& GetText() const;
  virtual void SetText(const AnsiString& text);
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& hint) { FHint = hint; }
  bool ShowHint() const { return FShowHint; }
  // Setting it makes the control's own choice; with ParentShowHint it follows the parent.
  void SetShowHint(bool value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool value);
  bool IsShowHintStored() const { return !FParentShowHint; }
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool value);
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent visible.
  bool Showing() const;

  Integer Left() const { return FLeft; }
  Integer Top() const { return FTop; }
  Integer Width() const { return FWidth; }
  Integer Height() const { return FHeight; }
  void SetLeft(Integer v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(Integer v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(Integer v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(Integer v) { SetBounds(FLeft, FTop, FWidth, v); }
  // The size is kept within Constraints.
  virtual void SetBounds(Integer left, Integer top, Integer width, Integer height);
  TSizeConstraints& Constraints() const { return *FConstraints; }
  TSizeConstraints* ConstraintsObject() const { return FConstraints.get(); }
  void SetConstraintsObject(TSizeConstraints* constraints);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  virtual TRect ClientRect() const { return Rect(0, 0, FWidth, FHeight); }
  Integer ClientWidth() const { return ClientRect().Width(); }
  Integer ClientHeight() const { return ClientRect().Height(); }
  virtual void SetClientWidth(Integer v) { SetWidth(v); }
  virtual void SetClientHeight(Integer v) { SetHeight(v); }
  // Client coordinates of this control to its parent's client coordinates and to the screen.
  TPoint ClientToScreen(const TPoint& p) const;
  TPoint ScreenToClient(const TPoint& p) const;

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign align);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors anchors) { FAnchors = anchors; }

  TFont& Font() const { return *FFont; }
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* menu) { FPopupMenu = menu; }
  TBasicAction* Action() const { return FAction; }
  // Linking an action makes the control's action link (of GetActionLinkClass) and takes the
  // action's caption, hint, enabled and visible state; afterwards the control follows each change
  // of a property that it still shows as the action has it.
  void SetAction(TBasicAction* action);
  TControlActionLink* ActionLink() const { return FActionLink.get(); }
  // Copies the action's properties; with checkDefaults (while a description is read) only into
  // those still at their defaults (an empty or name-like caption, an empty hint, enabled, visible).
  virtual void ActionChange(TObject* sender, bool checkDefaults);
  virtual TControlActionLinkClass GetActionLinkClass() const;
  // A description keeps the caption or hint only when no action link supplies it.
  bool IsCaptionStored() const;
  bool IsHintStored() const;
  // The help topic of the control; 0 for none.
  Integer HelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer value) { FHelpContext = value; }
  Integer Cursor() const { return FCursor; }
  void SetCursor(Integer cursor) { FCursor = cursor; }
  // A change sends CM_BIDIMODECHANGED; children with ParentBiDiMode follow their parent.
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode value);
  bool ParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool value);
  // A description keeps the mode only when it is the control's own.
  bool IsBiDiModeStored() const { return !FParentBiDiMode; }
  // Right-to-left reading and alignment in force: a right-to-left mode on a Middle East system.
  bool UseRightToLeftReading() const;
  bool UseRightToLeftAlignment() const;
  // The control holds the mouse: a graphic control its parent's capture, a windowed one Qt's grab.
  bool MouseCapture() const;

  // Dragging: the cursor shown while a drop is welcome, how a drag starts, and what it moves.
  Integer DragCursor() const { return FDragCursor; }
  void SetDragCursor(Integer cursor) { FDragCursor = cursor; }
  TDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TDragMode mode) { FDragMode = mode; }
  TDragKind DragKind() const { return FDragKind; }
  void SetDragKind(TDragKind kind) { FDragKind = kind; }
  // Starts a drag (a dock drag for dkDock) at once, or once the mouse has moved threshold pixels
  // (a negative threshold: kDragThreshold). Nothing happens while another drag is on.
  void BeginDrag(bool immediate, Integer threshold = -1);
  bool Dragging() const;
  // Ends this control's drag: dropped on the target under the mouse when drop, else cancelled.
  void EndDrag(bool drop);
  // The dock site or floating window the control was docked or floated into (nullptr for none).
  TWinControl* HostDockSite() const { return FHostDockSite; }
  // The control sits in a floating window of its own.
  bool Floating() const;
  // Moves the control into a window of its own whose client area is screenRect.
  void ManualFloat(const TRect& screenRect);
  // Moves the control into the dock site with its top left corner at at (the site's client
  // coordinates); a floating window it leaves is closed and freed.
  void ManualDock(TWinControl* site, const TPoint& at);
  // The size the control has in a window of its own.
  Integer UndockWidth() const { return FUndockWidth > 0 ? FUndockWidth : FWidth; }
  Integer UndockHeight() const { return FUndockHeight > 0 ? FUndockHeight : FHeight; }

  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle style) { FControlStyle = style; }
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState state) { FControlState = state; }

  // Repaints now (windowed controls through their widget, graphic ones through the parent).
  virtual void Invalidate();
  virtual void Repaint();
  void Update();
  void BringToFront();

  virtual void Click();
  virtual void DblClick();

  // Controls are written inside their parent; the reader gives them their parent first.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;
  // The description names: the font as a sub-object, the popup menu and action as references.
  TFont* FontObject() const { return FFont.get(); }
  void SetFontObject(TFont* font);

  TNotifyEvent OnClick, OnDblClick;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter, OnMouseLeave;
  TContextPopupEvent OnContextPopup;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown, OnMouseWheelUp;
  TStartDragEvent OnStartDrag;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;
  TStartDockEvent OnStartDock;
  // The dock site that took the control, with the control's place there; nullptr when the control
  // floats, with its window's place on the screen (or 0, 0 for a dock drag given up).
  TEndDragEvent OnEndDock;

 protected:
  friend class TDragOperation;
  virtual void MessageHandler(TMessage& message);
  // The user asked for a context menu at a client point ((-1, -1) from the keyboard): the
  // control's OnContextPopup, then its popup menu; when neither takes it, the same on each parent
  // in turn, in the parent's coordinates. True when one did (the control's own default menu, such
  // as an edit's, is then not shown).
  bool ContextPopupAt(const TPoint& local);
  virtual void DoContextPopup(const TPoint& mousePos, bool& handled);
  // Each handler says whether it took the turn; an unhandled turn goes on to the widget.
  virtual bool DoMouseWheel(TShiftState shift, Integer wheelDelta, const TPoint& mousePos);
  virtual bool DoMouseWheelDown(TShiftState shift, const TPoint& mousePos);
  virtual bool DoMouseWheelUp(TShiftState shift, const TPoint& mousePos);
  virtual void DoStartDrag(TDragObject*& dragObject);
  virtual void DragOver(TObject* source, Integer x, Integer y, TDragState state, bool& accept);
  virtual void DragDrop(TObject* source, Integer x, Integer y);
  virtual void DoEndDrag(TObject* target, Integer x, Integer y);
  virtual void DoStartDock(TDragDockObject*& dragObject);
  virtual void DoEndDock(TObject* target, Integer x, Integer y);
  virtual void ConstraintsChanged();
  void ParentShowHintChanged();
  void Notification(TComponent* component, TOperation operation) override;
  virtual void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y);
  virtual void MouseMove(TShiftState shift, Integer x, Integer y);
  // The colour and font came from the parent, or went their own way.
  virtual void ColorChanged();
  virtual void FontChanged();
  virtual void TextChanged() {}
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}
  virtual void BoundsChanged() {}
  void ParentFontChanged();
  void ParentColorChanged();
  void ParentBiDiModeChanged();

  mutable AnsiString FText;
  AnsiString FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  bool FEnabled = true;
  bool FVisible = true;
  Integer FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  std::unique_ptr<TFont> FFont;
  TColor FColor = clBtnFace;
  bool FParentFont = true;
  bool FParentColor = true;
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FParentBiDiMode = true;
  TPopupMenu* FPopupMenu = nullptr;
  TBasicAction* FAction = nullptr;
  std::unique_ptr<TControlActionLink> FActionLink;
  Integer FCursor = 0;
  Integer FHelpContext = 0;
  TControlStyle FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  TControlState FControlState = 0;
  TWinControl* FParent = nullptr;
  // Reference anchors: the distance to the parent's right and bottom edges.
  Integer FAnchorRight = 0, FAnchorBottom = 0;
  bool FSettingFont = false;
  std::unique_ptr<TSizeConstraints> FConstraints;
  Integer FDragCursor = -12;  // crDrag
  TDragMode FDragMode = dmManual;
  TDragKind FDragKind = dkDrag;
  TWinControl* FHostDockSite = nullptr;
  Integer FUndockWidth = 0, FUndockHeight = 0;
  Integer FWheelAccumulator = 0;

 private:
  friend class TWinControl;
  void WMMouse(TMessage& message);
  void WMMouseWheel(TMessage& message);
  void CMDrag(TMessage& message);
  std::map<UINT, TWndMethodProc> FHandlers;
  int FInheritedDepth = 0;
};

class TWinControl : public TControl, public TWidgetSink {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // The window object, created on first use.
  HWND Handle();
  bool HandleAllocated() const { return static_cast<bool>(FHandle); }
  void HandleNeeded() { (void)Handle(); }
  // Destroys the window and the widget and makes them again (keeping text, bounds, children).
  void RecreateWnd();
  // The Qt widget that shows the window; created with the handle.
  QWidget* Widget();
  IHostWidget* Host() const { return FHost.get(); }
  // The text the widget shows: the window's own (wide) text once the window exists, else the
  // control's text.
  WideString WidgetCaption() const;

  // Window creation as layers above make it their own. The default window procedure of a control
  // (the one its messages end in) is the class library's widget procedure, a Unicode procedure:
  // text reaches it wide whatever the window's kind.
  WNDPROC DefWndProcPtr() const { return FDefWndProc; }
  void SetDefWndProcPtr(WNDPROC proc) { FDefWndProc = proc; }
  // The control takes a window made for it (by its own creation step): its handle, known to
  // FindControl, until the window is destroyed.
  void AttachCreatedWindow(HWND hwnd);
  // The control lets go of its window without destroying it (the window is going away by
  // itself): it has no handle afterwards.
  void DetachWindow();
  // The control's main window procedure: its WindowProc, with exceptions reported.
  LRESULT CallMainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The class library's widget procedure, the class procedure of every control's window class.
  static LRESULT WidgetDefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The class library's creation procedure: the first message of a window made while a control
  // is recorded as being created gives that control the window (its procedure becomes the
  // control's object instance) and goes on to it.
  static LRESULT InitWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static TWinControl*& CreationControl();

  Integer ControlCount() const { return static_cast<Integer>(FControls.size()); }
  TControl* Controls(Integer index) const { return FControls.at(static_cast<std::size_t>(index)); }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  // The visible child at a client point (graphic children when allowGraphic; the topmost first).
  TControl* ControlAtPos(const TPoint& p, bool allowDisabled, bool allowWinControls = false) const;
  bool ContainsControl(const TControl* control) const;

  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool value) { FTabStop = value; }
  // The sunken 3-D look; a change sends CM_CTL3DCHANGED, and children with ParentCtl3D follow.
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool value);
  bool IsCtl3DStored() const { return !FParentCtl3D; }
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode mode);
  // The input method asked for by name; the widget takes the system's, whatever the name.
  const AnsiString& ImeName() const { return FImeName; }
  void SetImeName(const AnsiString& name) { FImeName = name; }
  // A dock drag of another control may end in this one.
  bool DockSite() const { return FDockSite; }
  void SetDockSite(bool value) { FDockSite = value; }
  Integer TabOrder() const;
  void SetTabOrder(Integer order);
  virtual bool CanFocus() const;
  virtual void SetFocus();
  bool Focused() const;
  // Children in tab order.
  std::vector<TWinControl*> TabList() const;

  const AnsiString& GetText() const override;
  void SetText(const AnsiString& text) override;
  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  void Invalidate() override;
  void Repaint() override;
  void DefaultHandler(TMessage& message) override;
  void SetParent(TWinControl* parent) override;
  void SetVisible(bool value) override;
  void SetEnabled(bool value) override;
  // Lays out the aligned children inside the client area.
  void Realign();
  // Where the client area begins inside the control's widget (below a form's menu bar): children
  // are placed, painted and given mouse positions relative to it.
  virtual TPoint WidgetClientOffset() const { return Point(0, 0); }
  virtual TRect AlignClientRect() const { return ClientRect(); }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  TControlActionLinkClass GetActionLinkClass() const override;

  TNotifyEvent OnEnter, OnExit;
  TKeyEvent OnKeyDown, OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnResize;

  // The widget event being turned into the current message (nullptr when the message came another
  // way); valid only during that message.
  QEvent* CurrentEvent() const { return FCurrentEvent; }

 protected:
  friend class TCustomForm;
  friend class TControl;
  void MessageHandler(TMessage& message) override;
  bool WidgetEvent(QEvent* event) override;
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // Makes the window from the parameters (its class is registered by then); the default makes a
  // narrow window and subclasses it to the control's object instance (CreateNarrowWindowHandle).
  virtual void CreateWindowHandle(const TCreateParams& params);
 public:
  void CreateNarrowWindowHandle(const TCreateParams& params);
  // Takes a window made for the control in narrow form and subclasses it to the control's object
  // instance; the procedure it had becomes the default one.
  void SubclassNarrowWindow(HWND hwnd);
 protected:
  virtual void DestroyWindowHandle();
  // Makes the widget for the window; the default is a plain QWidget.
  virtual std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget);
  // Called once the widget exists: connect its signals, copy state into it.
  virtual void InitWidget() {}
  // Pushes the control's text into the widget (a button's label, an edit's content).
  virtual void TextToWidget();
  // Reads the user's text back from the widget, for controls whose widget edits it.
  virtual bool WidgetHoldsText() const { return false; }
  virtual AnsiString TextFromWidget() const { return FText; }
  // The same as wide text, for widgets that can hold any character.
  virtual WideString WideTextFromWidget() const;
  // The default window procedure: hands the message's widget event back to Qt, keeps the text.
  virtual LRESULT DefWndProc(TMessage& message);
  // Keys: true means the control handles the key itself, so it is no dialog key here.
  virtual bool WantsKey(Word key) const;
  virtual void KeyDown(Word& key, TShiftState shift);
  virtual void KeyUp(Word& key, TShiftState shift);
  virtual void KeyPress(char& key);
  virtual void DoEnter();
  virtual void DoExit();
  virtual void Resize();
  // Draws the window-less children (the graphic controls) on a painter of this widget.
  void PaintControls(QPainter& painter);
  // The paint of the control itself (custom controls); the canvas is valid during the call.
  virtual void PaintWindow(QPainter& painter);
  void ColorChanged() override;
  void FontChanged() override;
  void VisibleChanged() override;
  void EnabledChanged() override;
  void BoundsChanged() override;
  virtual void UpdateWidgetGeometry();
  // Shows or hides the widget as Visible says (a tab sheet leaves that to its page control).
  virtual void ApplyVisibility();
  void ApplyPalette();
  void ApplyFont();
  void AlignControls();
  // Destroys the windows of this control and of its children, keeping their state.
  void DestroyWndTree();
  void UpdateAnchors();
  void ParentCtl3DChanged();
  void ConstraintsChanged() override;
  // The widget's input method as ImeMode says, and its smallest and largest size as Constraints.
  void ApplyImeMode();
  void ApplyConstraints();

  std::vector<TControl*> FControls;
  std::vector<TWinControl*> FTabOrderList;
  bool FTabStop = false;
  bool FCtl3D = true;
  bool FParentCtl3D = true;
  TImeMode FImeMode = imDontCare;
  AnsiString FImeName;
  bool FDockSite = false;
  HWND FHandle;

 private:
  void WMPaint(TMessage& message);
  void WMSize(TMessage& message);
  void WMKeyDown(TMessage& message);
  void WMKeyUp(TMessage& message);
  void WMChar(TMessage& message);
  void WMSetFocus(TMessage& message);
  void WMKillFocus(TMessage& message);
  bool IsControlMouseMsg(TMessage& message);
  LRESULT MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void SendDialogKey(Word& key, TShiftState shift);

  std::unique_ptr<IHostWidget> FHost;
  WNDPROC FObjectInstance = nullptr;
  WNDPROC FDefWndProc = nullptr;
  QEvent* FCurrentEvent = nullptr;
  QKeyEvent* FPendingKeyEvent = nullptr;
  // Whether the widget takes an input method of its own accord (for imDontCare).
  bool FWidgetImeDefault = true;
  // The widget's smallest and largest size come from Constraints.
  bool FConstraintsOnWidget = false;
  UINT FCurrentMsg = 0;
  bool FDialogKeyHandled = false;
  TControl* FMouseControl = nullptr;
  TControl* FCaptureControl = nullptr;
  bool FRecreating = false;
  // The menu key or Shift+F10 has just asked for the context menu; the window system's own
  // context menu event for the same key is then not a second request.
  bool FKeyAskedContextMenu = false;
};

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  // Valid during Paint only.
  TCanvas& Canvas() const { return *FCanvas; }
  // Called by the parent's paint with a painter translated to this control's origin.
  void PaintOn(QPainter& painter);
  void Invalidate() override;

 protected:
  // WM_PAINT with a device context in WParam paints the control into that DC at its origin.
  void MessageHandler(TMessage& message) override;
  virtual void Paint() {}
  std::unique_ptr<TCanvas> FCanvas;
};

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  // Valid during Paint only.
  TCanvas& Canvas() const { return *FCanvas; }

 protected:
  void PaintWindow(QPainter& painter) override;
  virtual void Paint() {}
  std::unique_ptr<TCanvas> FCanvas;
};

// Mouse position in client coordinates packed as a message parameter.
inline LPARAM PointToLParam(Integer x, Integer y) {
  return MAKELPARAM(static_cast<WORD>(static_cast<std::int16_t>(x)),
                    static_cast<WORD>(static_cast<std::int16_t>(y)));
}
// The shift state of a mouse message's key bits.
TShiftState MouseKeysToShift(WPARAM keys);
// The key-state shift bits as the key messages carry them (kept for the key being handled).
TShiftState KeyDataToShiftState(LPARAM keyData);

// Runs paint with canvas drawing on painter (the canvas is detached again afterwards).
void PaintWithCanvas(TCanvas& canvas, QPainter& painter, const TFont& font,
                     const std::function<void()>& paint);

// Runs fn; an exception it raises goes to the application's error handling, since none may leave
// through Qt's signal delivery.
void RunGuarded(const std::function<void()>& fn);

// A mouse message of the control being dragged moves or drops the drag; true when it was taken.
bool DragMouseMessage(TControl* control, TMessage& message);
// A control going away leaves the drag (and a pending dock) that names it.
void DragControlGone(TControl* control);

// The control that owns a window object (nullptr for a foreign window).
TWinControl* FindControl(HWND hwnd);
// Whether files dropped onto the window reach it as WM_DROPFILES (WS_EX_ACCEPTFILES); a window
// made later with that style accepts them too.
void DragAcceptFiles(HWND window, bool accept);

// The system draws new-style (Windows 95 / NT 4 shell and later) controls.
bool NewStyleControls();

// Whether a typed character is the accelerator of a caption: the character after its single "&"
// ("&&" is a literal "&"), a to z compared without case.
bool IsAccel(char typed, const AnsiString& caption);

}  // namespace orv
