// Loading and unloading the theme library by reference count, and resolving its entry points.
#include "controls/UxTheme.h"

#include <array>
#include <mutex>

namespace orv {

TOpenThemeData OpenThemeData = nullptr;
TCloseThemeData CloseThemeData = nullptr;
TDrawThemeBackground DrawThemeBackground = nullptr;
TIsAppThemed IsAppThemed = nullptr;
TIsThemeActive IsThemeActive = nullptr;

const char* const ThemeEntryPointNames[46] = {
  "OpenThemeData", "CloseThemeData", "DrawThemeBackground", "DrawThemeText",
  "GetThemeBackgroundContentRect", "GetThemePartSize", "GetThemeTextExtent", "GetThemeTextMetrics",
  "GetThemeBackgroundRegion", "HitTestThemeBackground", "DrawThemeEdge", "DrawThemeIcon",
  "IsThemePartDefined", "IsThemeBackgroundPartiallyTransparent", "GetThemeColor", "GetThemeMetric",
  "GetThemeString", "GetThemeBool", "GetThemeInt", "GetThemeEnumValue", "GetThemePosition",
  "GetThemeFont", "GetThemeRect", "GetThemeMargins", "GetThemeIntList", "GetThemePropertyOrigin",
  "SetWindowTheme", "GetThemeFilename", "GetThemeSysColor", "GetThemeSysColorBrush",
  "GetThemeSysBool", "GetThemeSysSize", "GetThemeSysFont", "GetThemeSysString", "GetThemeSysInt",
  "IsThemeActive", "IsAppThemed", "GetWindowTheme", "EnableThemeDialogTexture",
  "IsThemeDialogTextureEnabled", "GetThemeAppProperties", "SetThemeAppProperties",
  "GetCurrentThemeName", "GetThemeDocumentationProperty", "DrawThemeParentBackground",
  "EnableTheming"};

namespace {

constexpr std::size_t kEntryCount = std::size(ThemeEntryPointNames);

struct TBinding {
  std::mutex Lock;
  HMODULE Module;
  int References = 0;
  std::array<void*, kEntryCount> Entries{};
  TThemeLibraryLoader Loader;
};

TBinding& Binding() {
  static TBinding binding;
  return binding;
}

HMODULE Load(TBinding& b, const AnsiString& name) {
  return b.Loader.Load ? b.Loader.Load(name) : LoadLibraryA(name);
}

void* Resolve(TBinding& b, HMODULE module, const AnsiString& name) {
  return b.Loader.Resolve ? b.Loader.Resolve(module, name) : GetProcAddress(module, name);
}

void Free(TBinding& b, HMODULE module) {
  if (b.Loader.Free) b.Loader.Free(module);
  else FreeLibrary(module);
}

std::size_t IndexOf(const char* name) {
  for (std::size_t i = 0; i < kEntryCount; ++i)
    if (AnsiString(ThemeEntryPointNames[i]) == name) return i;
  return kEntryCount;
}

// The typed variables follow the table; called under the lock.
void PublishEntries(const TBinding& b) {
  const auto entry = [&](const char* name) { return b.Entries[IndexOf(name)]; };
  OpenThemeData = reinterpret_cast<TOpenThemeData>(entry("OpenThemeData"));
  CloseThemeData = reinterpret_cast<TCloseThemeData>(entry("CloseThemeData"));
  DrawThemeBackground = reinterpret_cast<TDrawThemeBackground>(entry("DrawThemeBackground"));
  IsAppThemed = reinterpret_cast<TIsAppThemed>(entry("IsAppThemed"));
  IsThemeActive = reinterpret_cast<TIsThemeActive>(entry("IsThemeActive"));
}

void UnloadLocked(TBinding& b) {
  if (!b.Module) return;
  Free(b, b.Module);
  b.Module = nullptr;
  b.Entries.fill(nullptr);
  PublishEntries(b);
}

}  // namespace

HMODULE ThemeModule() {
  TBinding& b = Binding();
  std::lock_guard<std::mutex> guard(b.Lock);
  return b.Module;
}

void* ThemeEntryPoint(const AnsiString& name) {
  TBinding& b = Binding();
  std::lock_guard<std::mutex> guard(b.Lock);
  const std::size_t i = IndexOf(name.c_str());
  return i < kEntryCount ? b.Entries[i] : nullptr;
}

int ThemeLibraryReferenceCount() {
  TBinding& b = Binding();
  std::lock_guard<std::mutex> guard(b.Lock);
  return b.References;
}

bool BindThemeLibrary() {
  TBinding& b = Binding();
  std::lock_guard<std::mutex> guard(b.Lock);
  ++b.References;
  if (!b.Module) {
    b.Module = Load(b, "uxtheme.dll");
    if (b.Module) {
      for (std::size_t i = 0; i < kEntryCount; ++i)
        b.Entries[i] = Resolve(b, b.Module, ThemeEntryPointNames[i]);
      PublishEntries(b);
    }
  }
  return static_cast<bool>(b.Module);
}

void UnbindThemeLibrary() {
  TBinding& b = Binding();
  std::lock_guard<std::mutex> guard(b.Lock);
  if (b.References > 0) --b.References;
  if (b.References == 0) UnloadLocked(b);
}

bool ThemesAvailable() {
  TIsAppThemed appThemed = nullptr;
  TIsThemeActive themeActive = nullptr;
  {
    TBinding& b = Binding();
    std::lock_guard<std::mutex> guard(b.Lock);
    if (!b.Module) return false;
    appThemed = IsAppThemed;
    themeActive = IsThemeActive;
  }
  // A library without either question cannot say that themes are on.
  if (appThemed == nullptr || themeActive == nullptr) return false;
  return appThemed() != 0 && themeActive() != 0;
}

void FinalizeThemeLibrary() {
  TBinding& b = Binding();
  std::lock_guard<std::mutex> guard(b.Lock);
  b.References = 0;
  UnloadLocked(b);
}

void SetThemeLibraryLoader(const TThemeLibraryLoader& loader) {
  TBinding& b = Binding();
  std::lock_guard<std::mutex> guard(b.Lock);
  b.Loader = loader;
}

}  // namespace orv
