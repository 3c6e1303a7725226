// The design of a design mail (rich text) as an HTML page, plain or framed as a newsletter.
#pragma once
#include <vector>

#include "platform/forms/RichText.h"

namespace orv {

// The integer red * 65536 + green * 256 + blue of a colour (system colours resolved first).
Integer ColorToHTMLValue(TColor color);
// A point size as an HTML font size "1" .. "7".
AnsiString FontSizeToHTMLSize(Integer pointSize);
// A font height in pixels (negative: character height) as points at 96 pixels per inch.
Integer PixelHeightToPoints(Integer height);

struct TDesignFont {
  AnsiString Name;
  Integer Size = 10;   // points
  TColor Color = clWhite;
  TFontStyles Style;
};

// The newsletter designer's settings, each named by what it colours or sizes.
struct TNewsletterFrame {
  TColor MailBackground = 0x808080;
  TColor CaptionBackground = clBlack;
  TColor BottomCaptionBackground = clBlack;
  TColor Border = clBlack;
  Integer Width = 550;       // of the outer table, pixels
  Integer MinHeight = 400;   // of the body table, pixels
  AnsiString Caption = "Newsletter";
  AnsiString BottomCaption;
  TDesignFont CaptionFont{"Arial Black", PixelHeightToPoints(-19), clWhite, {}};
  TDesignFont BottomCaptionFont{"Arial", PixelHeightToPoints(-11), clWhite, {}};
};

// One HTML line per line of the design (paragraph and line breaks both end a line), between the
// head and tail of the page; with a frame the body sits in the newsletter's tables. Design characters
// are copied unchanged, so text that looks like a tag is markup; only characters the ANSI code page
// cannot hold become numeric character references. Each line reads its own paragraph's alignment
// and bullets.
std::vector<AnsiString> BuildDesignHTML(const TRichDocument& design, TColor background,
                                        const TNewsletterFrame* frame);

}  // namespace orv
