// Wide forms and the application companion: the companion keeps a wide application hint and title,
// routes wide character messages to Unicode windows through a message hook on the window thread,
// and places an idle-event control on a main form that is not a wide form; TUniForm is the form
// with a wide caption and hint.
#pragma once
#include "platform/forms/Forms.h"
#include "platform/win/Hooks.h"

namespace orv {

class TUniAppIdleEventControl;

class TUniApplication : public TComponent {
 public:
  TUniApplication();
  ~TUniApplication() override;

  WideString ReadHint();
  void SetHint(const WideString& hint);
  WideString GetTitle();
  void SetTitle(const WideString& title);
  // The long part of the wide hint of the control under the mouse becomes the application's hint.
  void UpdateHint();
  // True when the application's active dialog window processed the message as a dialog message.
  bool IsDlgMsg(MSG& msg);
  // A WM_CHAR of 256 or more for a Unicode window: OnMessage, then DispatchMessageW; true when the
  // message was taken here (the queue's own handling then sees WM_NULL).
  bool ProcessMessage(MSG& msg);
  // The application window's messages: a pending wide title on WM_CREATE, and a plain hint action
  // that carries the application's hint replaced by a wide one.
  bool MainWindowHook(TMessage& message);

  TUniAppIdleEventControl* IdleEventControl() const { return FIdleEventControl; }

 private:
  friend class TUniAppIdleEventControl;
  TUniAppIdleEventControl* FIdleEventControl = nullptr;
  bool FMainFormChecked = false;
  WideString FHint;
  WideString FPendingTitle;
  Integer FHookId = 0;
};

// The one companion while the wide forms module runs, else nullptr.
extern TUniApplication* UniApplication;
// The companion's SetHint, or the narrow application hint when there is no companion.
void SetWideApplicationHint(const WideString& hint);

// Sits invisibly on the main form; its wide action, updated whenever the application is idle,
// keeps the application's hint up to date.
class TUniAppIdleEventControl : public TControl {
 public:
  explicit TUniAppIdleEventControl(TComponent* owner);
  ~TUniAppIdleEventControl() override;
};

// The WH_GETMESSAGE hook of the window thread.
LRESULT GetMessageHookProc(int code, WPARAM removal, LPARAM msg);
HHOOK InstallGetMessageHook();
// The program is a web or component server host ("W3WP." or "DLLHOST." begins its file name).
bool IsServerHostProcess();

class TUniForm : public TForm {
 public:
  explicit TUniForm(TComponent* owner) : TForm(owner) {}

  WideString WideCaption() { return GetWideCaption(); }
  void SetWideCaption(const WideString& caption);
  WideString WideHint();
  void SetWideHint(const WideString& hint);
  bool IsWideCaptionStored() const;
  bool IsWideHintStored() const;

  void DefineProperties(TFiler& filer) override;
  void ActionChange(TObject* sender, bool checkDefaults) override;
  TControlActionLinkClass GetActionLinkClass() const override;
  void UpdateActions() override;
  void DefaultHandler(TMessage& message) override;

 protected:
  void ReadFormDescriptions() override;
  void CreateWindowHandle(const TCreateParams& params) override;
  void DestroyWindowHandle() override;
  void MessageHandler(TMessage& message) override;

 private:
  WideString GetWideCaption();
  void WMMenuSelect(TMessage& message);
};

// The start step: the companion (which hooks the application window) and, on the NT platform,
// the message hook (a failure raises the last system error). The exit step removes the hook (a
// failure is tolerated only in a server host process) and frees the companion.
void InitUniForms();
void FinalizeUniForms();

void RegisterUniFormClasses();

}  // namespace orv
