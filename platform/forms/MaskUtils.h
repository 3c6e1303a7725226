// Edit masks: a mask parsed into its positions, and the text of a masked edit formatted, typed
// into and checked position by position.
#pragma once
#include <vector>
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

namespace orv {

// A required position of the mask is empty, or a text does not fit the mask.
class EDBEditError : public Exception { public: using Exception::Exception; };

// The mask's sections: "mask;save literals;blank". A save-literals section of '0' leaves the
// literals out of the text; the blank section's first character stands for an empty position.
inline constexpr char MaskFieldSeparator = ';';
inline constexpr char MaskNoSave = '0';
inline constexpr char DefaultBlank = '_';

enum TMaskCharKind {
  mkLiteral,    // shown as it is, never typed over
  mkLetter,     // L (required), l (optional)
  mkAlphaNum,   // A, a
  mkAnyChar,    // C, c
  mkDigit,      // 0 (required), 9 (optional)
  mkDigitSign,  // # (optional): a digit, + or -
};
enum TMaskCase { mcNone, mcUpper, mcLower };

struct TMaskPosition {
  TMaskCharKind Kind = mkLiteral;
  bool Required = false;
  TMaskCase Case = mcNone;
  char Literal = 0;
};

// A parsed edit mask. The mask characters: L l A a C c 0 9 # (positions), > (upper case from here),
// < (lower case), <> (no case shift), \ (the next character is a literal), : and / (the locale's
// time and date separators), _ (a blank literal), ! (empty optional positions are written at the
// front of a shorter text), anything else a literal.
class TEditMask {
 public:
  TEditMask() = default;
  explicit TEditMask(const AnsiString& mask);

  bool Empty() const { return FPositions.empty(); }
  const AnsiString& Source() const { return FSource; }
  Integer Count() const { return static_cast<Integer>(FPositions.size()); }
  const TMaskPosition& Position(Integer index) const { return FPositions[static_cast<std::size_t>(index)]; }
  bool IsLiteral(Integer index) const { return Position(index).Kind == mkLiteral; }
  bool SaveLiterals() const { return FSaveLiterals; }
  char Blank() const { return FBlank; }
  bool LeadingBlanks() const { return FLeadingBlanks; }

  // The edit text of an empty field: literals in place, the blank character elsewhere.
  AnsiString EmptyText() const;
  // The character as it goes into the position (case shifted), or 0 when it does not fit.
  char Accept(Integer index, char ch) const;
  // The edit text (one character per position) of a text: with literals saved position by
  // position, else its characters fill the typed positions in order.
  AnsiString Format(const AnsiString& text) const;
  // The edit text of another mask's edit text: its characters taken position by position.
  AnsiString FormatEditText(const AnsiString& editText) const;
  // The text of an edit text: empty positions as blanks, the literals only when saved.
  AnsiString TextOf(const AnsiString& editText) const;
  // The first position at or after index that can be typed into (Count() for none).
  Integer NextTyped(Integer index) const;
  // The last position before index that can be typed into (-1 for none).
  Integer PrevTyped(Integer index) const;
  // The first required position left empty in editText, or -1 when every one is filled.
  Integer FirstMissing(const AnsiString& editText) const;

 private:
  AnsiString FSource;
  std::vector<TMaskPosition> FPositions;
  bool FSaveLiterals = true;
  char FBlank = DefaultBlank;
  bool FLeadingBlanks = false;
};

// The mask's editing in one place: typing a character, deleting, and the caret that follows.
struct TMaskEditResult {
  AnsiString EditText;
  Integer Caret = 0;
  bool Accepted = true;
};
TMaskEditResult MaskTypeChar(const TEditMask& mask, const AnsiString& editText, Integer selStart,
                             Integer selLength, char ch);
// Backspace (forward false) or Delete (forward true) at the caret, or over a selection.
TMaskEditResult MaskDelete(const TEditMask& mask, const AnsiString& editText, Integer selStart,
                           Integer selLength, bool forward);

}  // namespace orv
