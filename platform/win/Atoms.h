// The global atom table: case-insensitive names mapped to 16-bit atoms, counted per addition.
#pragma once
#include "platform/win/WinTypes.h"

namespace orv {

// Names get atoms from 0xC000 up; "#123" stands for the integer atom 123 (1..0xBFFF), which is
// neither stored nor counted. An empty or over-long (255) name gives 0.
ATOM GlobalAddAtomA(const AnsiString& name);
ATOM GlobalAddAtomW(const WideString& name);
ATOM GlobalFindAtomA(const AnsiString& name);
ATOM GlobalFindAtomW(const WideString& name);
// Drops one addition; the atom goes when none is left. Returns 0 on success, the atom otherwise.
ATOM GlobalDeleteAtom(ATOM atom);
// Copies the name (without terminator count) and returns its length; 0 for an unknown atom.
UINT GlobalGetAtomNameA(ATOM atom, char* buffer, int size);
UINT GlobalGetAtomNameW(ATOM atom, char16_t* buffer, int size);
WideString AtomName(ATOM atom);

}  // namespace orv
