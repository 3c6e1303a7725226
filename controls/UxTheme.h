// The binding of the system's theme library, loaded at run time so the program runs where it does
// not exist (as on this platform): its entry points are null while it is not loaded, and the
// buttons then draw themselves the classic way.
#pragma once
#include <functional>
#include "platform/graphics/Gdi.h"
#include "platform/win/Libraries.h"
#include "platform/win/WindowObjects.h"

namespace orv {

using HTHEME = void*;

// The entry points the buttons call; each is null unless the loaded library has it.
using TOpenThemeData = HTHEME (*)(HWND window, const WideChar* classList);
using TCloseThemeData = HRESULT (*)(HTHEME theme);
using TDrawThemeBackground = HRESULT (*)(HTHEME theme, HDC dc, int partId, int stateId,
                                         const TRect* rect, const TRect* clipRect);
using TIsAppThemed = BOOL (*)();
using TIsThemeActive = BOOL (*)();

extern TOpenThemeData OpenThemeData;
extern TCloseThemeData CloseThemeData;
extern TDrawThemeBackground DrawThemeBackground;
extern TIsAppThemed IsAppThemed;
extern TIsThemeActive IsThemeActive;

// The push-button part and its states.
inline constexpr int BP_PUSHBUTTON = 1;
inline constexpr int PBS_NORMAL = 1, PBS_HOT = 2, PBS_PRESSED = 3, PBS_DISABLED = 4, PBS_DEFAULTED = 5;

// The entry-point names of the library, in the order they are resolved.
extern const char* const ThemeEntryPointNames[46];

// The loaded library (none while not loaded).
HMODULE ThemeModule();
// The entry point of a name resolved from the loaded library (null when not loaded or missing).
void* ThemeEntryPoint(const AnsiString& name);
// Calls of BindThemeLibrary not yet matched by UnbindThemeLibrary.
int ThemeLibraryReferenceCount();

// Counts one more user and loads the library (resolving every entry point) when it is not loaded
// yet. Returns whether it is loaded.
bool BindThemeLibrary();
// Counts one user less; the library is unloaded, and every entry point cleared, when no user is
// left.
void UnbindThemeLibrary();
// The library is loaded and both the application and the desktop use visual styles; asked afresh
// at each call, and false whenever an entry point needed to ask is missing.
bool ThemesAvailable();
// Drops every remaining user and unloads the library (the end of the program).
void FinalizeThemeLibrary();

// How the library is reached; the system's loader by default. Tests put a library of their own in
// place (before the first bind); nullptr functions restore the system's.
struct TThemeLibraryLoader {
  std::function<HMODULE(const AnsiString& name)> Load;
  std::function<void*(HMODULE module, const AnsiString& name)> Resolve;
  std::function<bool(HMODULE module)> Free;
};
void SetThemeLibraryLoader(const TThemeLibraryLoader& loader);

}  // namespace orv
