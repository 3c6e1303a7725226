// Form descriptions compiled into the program, found by class name, and the reading of a form
// from the descriptions of its classes.
#pragma once
#include <string_view>
#include "platform/classes/Filer.h"

namespace orv {

// Keeps the description text of the class className (a form text; it is turned into the stream
// when first read). Registering a class again replaces its text.
void RegisterComponentResource(std::string_view className, std::string_view text);
void UnregisterComponentResource(std::string_view className);
bool ComponentResourceExists(std::string_view className);

// Reads into instance the description of each class from the one below rootAncestor down to the
// instance's own class, ancestors first; classes without a description are passed over. Returns
// false when no description was found at all. csLoading is set on the instance while reading.
bool InitInheritedComponent(TComponent* instance, const TClassInfo* rootAncestor);
// As InitInheritedComponent, raising EResNotFound "Ressource %s nicht gefunden" with the
// instance's class name when none was found.
void InitComponentFromResource(TComponent* instance, const TClassInfo* rootAncestor);

}  // namespace orv
