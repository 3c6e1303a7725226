// The records of the main window's arrays: a stored mail with its attachments, and a sender
// account. Texts are owned by the record; the arrays move records as values.
#pragma once
#include <memory>
#include <vector>
#include "app/Tervan.h"
#include "platform/graphics/Colors.h"
#include "platform/rtl/DateTime.h"

namespace orv {

struct TAttachRec {
  AnsiString Path;  // full file path
  AnsiString Cid;   // content id: the upper-case file name without folder
};

enum TMailType : Byte { mtDesign = 0, mtHtml = 1, mtText = 2 };

struct TMailRec {
  AnsiString Subject;
  std::vector<Byte> DesignRTF;  // the design as rich text; empty: none
  TColor DesignColor = 0;
  AnsiString GeneratedHTML;
  AnsiString BlankHTML;
  AnsiString BlankText;
  // Created without a pointer variable: the record moves when the mail array grows, so the
  // current attachment is read through Attachments->Current().
  std::unique_ptr<TDynaArray<TAttachRec>> Attachments;
  TDateTime Date = 0;
  Byte MailType = mtDesign;
  bool AutoCreateText = false;
  bool Newsletter = false;
  TColor Color1 = 0, Color2 = 0, Color3 = 0, Color4 = 0;
  Integer CaptionFontSize = 0, FooterFontSize = 0;
  TColor CaptionFontColor = 0, FooterFontColor = 0;
  AnsiString CaptionFontName, FooterFontName;
  Byte CaptionFontStyle = 0, FooterFontStyle = 0;  // bit 0 bold, 1 italic, 2 underline, 3 strike-out
  Integer Width = 0;
  Integer MinHeight = 0;
  AnsiString CaptionText, FooterText;
};

struct TKontoRec {
  AnsiString SenderName;
  AnsiString SenderAddress;
  AnsiString ReplyAddress;
  AnsiString Server;
  AnsiString UserName;
  AnsiString Password;  // scrambled, as hex text
};

}  // namespace orv
