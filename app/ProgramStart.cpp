// Start-up order of the program's modules and windows.
#include "app/ProgramStart.h"

#include "app/AboutBoxUnit.h"
#include "app/EditKontenFUnit.h"
#include "app/FormTexts.h"
#include "app/MainUnit.h"
#include "app/NewsDesignFUnit.h"
#include "app/WriteMailFUnit.h"
#include "controls/AnimatedCursor.h"
#include "controls/ColorReduction.h"
#include "controls/ExtendedControls.h"
#include "controls/GIFImage.h"
#include "controls/OrvHelpers.h"
#include "controls/ShellModules.h"
#include "controls/XPStyleButtons.h"
#include "platform/forms/Forms.h"
#include "platform/rtl/ModuleInit.h"
#include "widechar/WideCharModules.h"

namespace orv {
namespace {

void RegisterApplicationWindows() {
  // The windows' classes derive from the forms layer's.
  RegisterFormsClasses();
  RegisterExtendedControls();
  RegisterDBControls();
  RegisterFormTexts();
  RegisterMainFormClass();
  RegisterWriteMailFormClass();
  RegisterEditKontenFormClass();
  RegisterNewsDesignFormClass();
  RegisterAboutBoxClass();
}

}  // namespace

void RegisterProgramModules() {
  // The extended controls and the wide-character layer start in this order; a module without its
  // initialisation yet keeps its place so the order stays as it must be when it arrives.
  RegisterModule({"extended-control cursors", InitExtendedCursors, DoneExtendedCursors});  // 14000, 14001
  // Win32PlatformIsUnicode
  RegisterModule({"wide platform flags", InitWidePlatformFlags, FinalizeWidePlatformFlags});
  RegisterModule({"shell modules", InitShellModules, FinalizeShellModules});
  // The application companion and its message hook.
  RegisterModule({"wide forms", InitWideForms, FinalizeWideForms});
  RegisterModule({"wide menus", InitWideMenus, FinalizeWideMenus});
  RegisterModule({"wide controls", InitWideControls, FinalizeWideControls});
  RegisterModule({"worker thread pools", InitWorkerThreadPools, FinalizeWorkerThreadPools});
  RegisterModule({"colour reduction tables", InitColorReductionTables, {}});
  RegisterModule({"icon clipboard format", RegisterIconClipboardFormat, {}});
  RegisterModule({"GIF picture format", RegisterGIFImage, UnregisterGIFImage});  // before any window is read
  // Its end frees the button kinds' glyphs and lets the theme library go, once no button is left.
  RegisterModule({"XP-style buttons", {}, FinalizeXPStyleButtons});
  // Last: the windows' descriptions and classes, read only after everything above.
  RegisterModule({"application windows", RegisterApplicationWindows, {}});
}

void CreateProgramWindows() {
  Application->CreateForm(MainForm);
  Application->CreateForm(WriteMailForm);
  Application->CreateForm(EditKontenForm);
  Application->CreateForm(NewsDesignForm);
}

int RunProgram(const std::function<void()>& whenRunning) {
  RegisterProgramModules();
  Application->Initialize();
  Application->SetTitle(ProgramTitle);
  struct TShutDown {
    ~TShutDown() {
      DoneApplication();
      FinalizeModules();
    }
  } shutDown;
  CreateProgramWindows();
  if (whenRunning) whenRunning();
  Application->Run();
  return 0;
}

}  // namespace orv
