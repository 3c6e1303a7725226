// Forms and the application: TCustomForm/TForm (built from its form description, shown modeless or
// modal, closed through its close query), TApplication over QApplication, and TScreen.
#pragma once
#include <memory>
#include <vector>
#include "platform/forms/Controls.h"
#include "platform/graphics/Graphics.h"
#include "platform/win/MessageQueue.h"

class QEventLoop;
class QMdiArea;
class QMdiSubWindow;

namespace orv {

class TMainMenu;
class TMenuItem;
class TMenuBarView;
class THintWindow;
struct THintInfo;

enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateItem>;
enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TTileMode { tbHorizontal, tbVertical };

// Raised when an MDI child is made while the main form is no MDI parent with a client window.
inline constexpr const char* SNoMDIForm = "Formular kann nicht erstellt werden. Zur Zeit sind keine MDI-Formulare aktiv";
// The command id of the first child's entry in an MDI parent's window menu.
inline constexpr UINT MDIFirstChildId = 0xFF00;

using TModalResult = Integer;
inline constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4,
  mrIgnore = 5, mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

using TCloseEvent = TEvent<TObject*, TCloseAction&>;
using TCloseQueryEvent = TEvent<TObject*, bool&>;

class TCustomForm : public TWinControl {
 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;

  // Makes a form of class T owned by owner and reads its descriptions into it (ancestors first),
  // then runs OnCreate. The owner frees it; with no owner the caller does (Free).
  template <class T>
  static T* Create(TComponent* owner) {
    T* form = new T(owner);
    try {
      form->InitForm();
    } catch (...) {
      static_cast<TComponent*>(form)->Free();  // a form that was never made gets no OnDestroy
      throw;
    }
    return form;
  }
  // Reads the form's descriptions with fsCreating set, then runs OnCreate. Without any
  // description for a class below TForm: EResNotFound "Ressource %s nicht gefunden".
  void InitForm();

  TFormState FormState() const { return FFormState; }
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition position) { FPosition = position; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle style);
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState state);
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool value) { FKeyPreview = value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult result) { FModalResult = result; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* control);
  // Moves the focus bookkeeping to control: CM_EXIT to the one that had it, CM_ENTER to it.
  void SetFocusedControl(TWinControl* control);
  // The main menu of the form's window: its system menu becomes the window's menu bar, shown at
  // the top of the window above the client area (an MDI child shows none). A chosen entry posts
  // WM_COMMAND with its command to the form, which clicks the item; the entry under the mouse is
  // told as WM_MENUSELECT.
  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* menu);
  // The height of the menu bar the window shows (0 without one).
  Integer MenuBarHeight() const;

  // Multiple-document forms. An MDI parent (fsMDIForm) shows its children inside its MDI client
  // window, which fills what its aligned controls leave; an MDI child (fsMDIChild) is made in the
  // main form's client window (EInvalidOperation SNoMDIForm without one) and is shown once made.
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle style);
  HWND ClientHandle() const { return FClientHandle; }
  // The children of an MDI parent: the active one, and all in the order they were made.
  TCustomForm* ActiveMDIChild() const;
  Integer MDIChildCount() const;
  TCustomForm* MDIChildren(Integer index) const;
  TTileMode TileMode() const { return FTileMode; }
  void SetTileMode(TTileMode mode) { FTileMode = mode; }
  // The menu item whose sub-menu lists the children (its entries activate them).
  TMenuItem* WindowMenu() const { return FWindowMenu; }
  void SetWindowMenu(TMenuItem* item);
  void Cascade();
  void Tile();
  void ArrangeIcons();
  // Activates the child behind the active one (which goes to the back), or the one at the back.
  void Next();
  void Previous();

  void Show();
  void Hide() { SetVisible(false); }
  // Shows the form and runs a nested loop until ModalResult is set (or the form is closed);
  // returns that result. The other windows are disabled meanwhile.
  TModalResult ShowModal();
  // Asks OnCloseQuery; then OnClose decides (hide by default). A modal form gets mrCancel; the
  // main form ends the application.
  void Close();
  bool CloseQuery();
  // Frees the form once the messages waiting now are handled.
  void Release();
  // Runs OnDestroy while the whole form (its own class included) still exists, then frees it.
  // Forms die this way, through Release, or through their owner (the application or a form),
  // which runs their OnDestroy before freeing them; a form deleted any other way gets no OnDestroy.
  void Free();
  // Runs OnDestroy once.
  void DoDestroy();
  bool Active() const;
  void BringToFront();

  void SetVisible(bool value) override;
  TRect ClientRect() const override;
  void SetClientHeight(Integer value) override;
  TPoint WidgetClientOffset() const override;
  // An MDI parent's default handling is DefFrameProc with its client window; WM_SIZE goes to the
  // window's plain default procedure, since the form places the client window itself.
  void DefaultHandler(TMessage& message) override;

  TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide, OnActivate, OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  // Keys reach the form first when KeyPreview is set.
  using TWinControl::KeyDown;
  using TWinControl::KeyPress;
  using TWinControl::KeyUp;

  void ControlRemoving(TWinControl* control);
  // Updates the actions of the form's visible controls (run when the application is idle).
  virtual void UpdateActions();
  // The root writes its own components (menus, timers, dialogs) before its controls.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

  // Kept for descriptions that carry them; the layout is at 96 pixels per inch.
  Integer FPixelsPerInch = 96;
  Integer FTextHeight = 13;
  bool FOldCreateOrder = false;
  bool FScaled = true;

 protected:
  void MessageHandler(TMessage& message) override;
  void CreateParams(TCreateParams& params) override;
  std::unique_ptr<IHostWidget> CreateWidget(QWidget* parentWidget) override;
  void TextToWidget() override;
  void InitWidget() override;
  void VisibleChanged() override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // An MDI child's window is made through CreateMDIWindowA, its default procedure DefMDIChildProcA.
  void CreateWindowHandle(const TCreateParams& params) override;
  void UpdateWidgetGeometry() override;
  // The client window of the application's MDI main form, or EInvalidOperation SNoMDIForm.
  static HWND MDIMainClientHandle();
  // Shows an MDI child's widget in the main form's MDI area (once its window exists).
  void InsertIntoMDIArea();
  // Reads the descriptions of the form's classes below TForm (InitForm's reading step).
  virtual void ReadFormDescriptions();
  virtual void DoCreate();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

  TFormState FFormState;
  TPosition FPosition = poDesigned;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TWindowState FWindowState = wsNormal;
  bool FKeyPreview = false;
  TModalResult FModalResult = mrNone;
  TWinControl* FActiveControl = nullptr;
  TMainMenu* FMenu = nullptr;
  TFormStyle FFormStyle = fsNormal;
  TTileMode FTileMode = tbHorizontal;
  TMenuItem* FWindowMenu = nullptr;
  HWND FClientHandle;

 private:
  friend class TMdiAreaWatcher;
  void CreateMDIClient();
  void DestroyMDIClient();
  // Puts the MDI area over what the aligned controls leave of the client area.
  void PlaceMDIClient();
  void MDIActivated(TMessage& message);
  void MDISubWindowMoved();
  // The user minimised, maximised or restored the sub-window (its buttons or its menu).
  void MDISubWindowStateChanged(Qt::WindowStates state);
  // WS_MINIMIZE and WS_MAXIMIZE of an MDI child's window as WindowState says.
  void ApplyMDIStateStyle();
  QMdiArea* FMdiArea = nullptr;
  QMdiSubWindow* FMdiSubWindow = nullptr;
  void CMDialogKey(TMessage& message);
  void ApplyMenu();
  // Reads the menu bar's entries again and places it (DrawMenuBar).
  void RefreshMenuBar();
  // Keeps the bar as wide as the window; a new height moves the client area.
  void PlaceMenuBar();
  void WMCommand(TMessage& message);
  void WMMenuSelect(TMessage& message);
  std::unique_ptr<TMenuBarView> FMenuBar;
  Integer FMenuBarHeight = 0;
  void PlaceWindow();
  QEventLoop* FModalLoop = nullptr;
  bool FDestroyed = false;
  // Cleared when the form is freed, so a modal loop it runs notices.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

using TMessageEvent = TEvent<MSG&, bool&>;
using TIdleEvent = TEvent<TObject*, bool&>;
using TExceptionEvent = TEvent<TObject*, const std::exception&>;
using THelpEvent = TEvent<Word, LONG_PTR, bool&>;

inline constexpr Word HELP_CONTEXT = 1, HELP_QUIT = 2, HELP_INDEX = 3, HELP_CONTENTS = 3,
  HELP_FINDER = 11;

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  // Starts the Qt application when none exists yet, runs the module initialisations and takes
  // the messages of our queue.
  void Initialize();
  // The program's title (kept here: Qt's display name would be added to every window title).
  const AnsiString& Title() const;
  void SetTitle(const AnsiString& title);
  const AnsiString& HelpFile() const { return FHelpFile; }
  void SetHelpFile(const AnsiString& file) { FHelpFile = file; }
  // There is no help system to call: the last command is kept and true returned.
  bool HelpCommand(Word command, LONG_PTR data);
  Word LastHelpCommand() const { return FLastHelpCommand; }

  // Makes a form of class T owned by the application and stores it in reference before its
  // description is read (its OnCreate already finds it there). The first form is the main form.
  template <class T>
  void CreateForm(T*& reference) {
    T* form = new T(this);
    reference = form;
    if (FMainForm == nullptr) FMainForm = form;
    try {
      form->InitForm();
    } catch (...) {
      if (FMainForm == form) FMainForm = nullptr;
      reference = nullptr;
      static_cast<TComponent*>(form)->Free();
      throw;
    }
  }
  TCustomForm* MainForm() const { return FMainForm; }
  // Shows the main form and handles messages until Terminate (or the main form closes).
  void Run();
  // Handles what is waiting, without blocking.
  void ProcessMessages();
  // Waits for at least one event and handles it, then the idle step when nothing is left.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // The long part of the hint of the control under the mouse, kept up to date when idle. A change
  // goes to OnHint, or without one to a THintAction executed with it (for whatever shows hints).
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& hint);
  // Shows the hint of control (the short part of the first hint up its parent chain) below the
  // cursor position: the control hears CM_HINTSHOW with the THintInfo and may change it or keep
  // the hint hidden (a non-zero result); the hint window is of the information's class.
  void ActivateHint(TControl* control, TPoint cursorPos);
  // Hides the hint window.
  void CancelHint();
  // The window that shows hints (none before the first), and the class it is made of.
  THintWindow* HintWindow() const { return FHintWindow; }
  const TClassInfo* HintWindowClass() const;
  void SetHintWindowClass(const TClassInfo* cls) { FHintWindowClass = cls; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value) { FShowHint = value; }
  bool HintShortCuts() const { return FHintShortCuts; }
  void SetHintShortCuts(bool value) { FHintShortCuts = value; }
  TControl* MouseControl() const { return FMouseControl; }
  void SetMouseControl(TControl* control);
  // The form shown modally at the moment, else nullptr.
  TCustomForm* ActiveDialog() const;

  // Message boxes through the dialog service; the caption defaults to the title.
  int MessageBox(const AnsiString& text, const AnsiString& caption, Cardinal flags);
  // The exception's message in an error box (EAbort stays silent), or OnException when set.
  void HandleException(const std::exception& e);
  void ShowException(const std::exception& e);

  // Runs the idle step now (what the event loop does when it is about to wait): the hint, the
  // actions of the visible forms and controls, then OnIdle.
  void Idle();

  // The hidden application window (made by Initialize). Its messages go to the hooks first, the
  // newest first; a hook that returns true has handled the message.
  HWND Handle() const { return FHandle; }
  using TWindowHook = std::function<bool(TMessage&)>;
  Integer HookMainWindow(TWindowHook hook);
  void UnhookMainWindow(Integer hookId);
  // Sends CM_ACTIONEXECUTE for action to the application window; true when a hook handled it.
  bool ExecuteAction(TBasicAction* action);

  TMessageEvent OnMessage;
  TIdleEvent OnIdle;
  TNotifyEvent OnHint;
  TExceptionEvent OnException;
  THelpEvent OnHelp;

 private:
  friend class TCustomForm;
  bool HandleQueuedMessage(MSG& msg);
  void Notification(TComponent* component, TOperation operation) override;

  AnsiString FTitle;
  AnsiString FHelpFile;
  AnsiString FHint;
  Word FLastHelpCommand = 0;
  bool FShowHint = true;
  bool FHintShortCuts = true;
  bool FTerminated = false;
  bool FInitialized = false;
  TCustomForm* FMainForm = nullptr;
  TControl* FMouseControl = nullptr;
  THintWindow* FHintWindow = nullptr;
  const TClassInfo* FHintWindowClass = nullptr;
  std::vector<TCustomForm*> FModalStack;
  struct TQtState;
  std::unique_ptr<TQtState> FQt;
  HWND FHandle;
  WNDPROC FWndProc = nullptr;
  std::vector<std::pair<Integer, TWindowHook>> FHooks;
  Integer FNextHookId = 1;
  LRESULT AppWndProc(UINT msg, WPARAM wParam, LPARAM lParam);
};

// Cursor numbers of the screen's list; the program's own are positive (14000, 14001, ...).
using TCursor = SmallInt;
inline constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
  crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
  crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
  crHandPoint = -21, crSizeAll = -22;

// A cursor shape a program loads: its image and hot spot (frames for an animated cursor).
struct TCursorShape {
  std::vector<QImage> Frames;
  Integer HotX = 0, HotY = 0;
  Integer FrameMs = 100;
};
using HCURSOR = std::shared_ptr<const TCursorShape>;

class TScreen {
 public:
  TScreen();
  ~TScreen();
  // The cursor of a slot: a program's own slot holds what was put there (none: the arrow).
  HCURSOR Cursors(Integer index) const;
  void SetCursors(Integer index, HCURSOR cursor);
  // The cursor shown over every window while it is not crDefault.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor cursor);
  // Made at first use: the screen itself exists before the drawing layer is started.
  TFont& HintFont() const;
  Integer Width() const;
  Integer Height() const;
  Integer FormCount() const { return static_cast<Integer>(FForms.size()); }
  TCustomForm* Forms(Integer index) const { return FForms.at(static_cast<std::size_t>(index)); }
  TCustomForm* ActiveForm() const;
  TWinControl* ActiveControl() const;
  Integer PixelsPerInch() const { return 96; }

 private:
  friend class TCustomForm;
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  std::map<Integer, HCURSOR> FCursors;
  TCursor FCursor = crDefault;
  mutable std::unique_ptr<TFont> FHintFont;
  std::vector<TCustomForm*> FForms;
};

// The one application and screen (made at first use, freed at exit).
extern TApplication* Application;
extern TScreen* Screen;

// The first part of a hint up to "|", and the part after it (the whole hint when there is none).
AnsiString GetShortHint(const AnsiString& hint);
AnsiString GetLongHint(const AnsiString& hint);

// Frees the application's forms, then the Qt application it started. The program calls it after
// Run; nothing of the forms layer is used afterwards.
void DoneApplication();

// Where a control's exception goes when a handler run from the event loop raises one.
void HandleControlException(const std::exception& e);

// Registers the forms layer's classes with the property registry (idempotent).
void RegisterFormsClasses();
// The colour names that colour properties are read and written with (clRed, clBtnFace, ...).
const TIdentMap& ColorIdents();

}  // namespace orv
