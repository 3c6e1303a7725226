// The compiled-in form descriptions by class name and the reading of a form from them.
#include "platform/classes/ComponentRes.h"
#include <map>
#include "platform/classes/ObjectText.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

namespace orv {

namespace {

std::map<AnsiString, AnsiString>& Resources() {
  static std::map<AnsiString, AnsiString> resources;  // upper-cased class name -> text
  return resources;
}

const AnsiString* FindResource(std::string_view className) {
  auto& r = Resources();
  auto it = r.find(UpperCase(className));
  return it == r.end() ? nullptr : &it->second;
}

}  // namespace

void RegisterComponentResource(std::string_view className, std::string_view text) {
  Resources()[UpperCase(className)] = AnsiString(text);
}

void UnregisterComponentResource(std::string_view className) { Resources().erase(UpperCase(className)); }

bool ComponentResourceExists(std::string_view className) { return FindResource(className) != nullptr; }

bool InitInheritedComponent(TComponent* instance, const TClassInfo* rootAncestor) {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = instance->ClassType(); c && c != rootAncestor; c = c->Parent) chain.push_back(c);
  bool found = false;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const AnsiString* text = FindResource((*it)->Name);
    if (!text) continue;
    found = true;
    ReadComponentFromText(*text, instance);
  }
  return found;
}

void InitComponentFromResource(TComponent* instance, const TClassInfo* rootAncestor) {
  if (!InitInheritedComponent(instance, rootAncestor))
    throw EResNotFound(Format(SResNotFound, {instance->ClassName()}));
}

}  // namespace orv
