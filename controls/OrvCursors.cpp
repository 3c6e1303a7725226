// The hand and drag cursors of the extended controls: two 32 by 32 monochrome pictures compiled
// into the program, registered as screen cursors 14000 and 14001 at start-up.
#include <QImage>

#include "controls/OrvHelpers.h"
#include "platform/forms/Forms.h"

namespace orv {
namespace {

// 'X' black, '.' white, blank transparent; rows not listed are transparent. Both shapes sit in
// the lower half, their hot spot on the top edge of the drawing.
struct TCursorPicture {
  const char* Name;
  int FirstRow;
  const char* Rows[16];
  int HotX, HotY;
};

const TCursorPicture kHand{
    "ORV_HANDCUR",
    16,
    {"     XX",
     "    X..X",
     "    X..X",
     "    X..X",
     "    X..XXX",
     "    X..X..XXX",
     "    X..X..X..XX",
     " XX X..X..X..X.X",
     "X..XX........X.X",
     "X...X..........X",
     " X.............X",
     "  X............X",
     "  X...........X",
     "   X..........X",
     "    X........X",
     "     XXXXXXXXX"},
    6,
    16};

const TCursorPicture kDrag{
    "ORV_DRAGCUR",
    16,
    {"           XX XX XX",
     "          X..X..X..XX",
     "          X........X.X",
     "        XXX..........X",
     "       X..X..........X",
     "       X.............X",
     "        X............X",
     "         X...........X",
     "         X..........X",
     "          X.........X",
     "          X.........X",
     "          XXXXXXXXXXX",
     "", "", "", ""},
    15,
    16};

HCURSOR MakeCursor(const TCursorPicture& picture) {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(0x00000000);
  for (int i = 0; i < 16; ++i) {
    const char* row = picture.Rows[i];
    for (int x = 0; row[x] != '\0' && x < 32; ++x) {
      if (row[x] == 'X') image.setPixel(x, picture.FirstRow + i, 0xFF000000);
      else if (row[x] == '.') image.setPixel(x, picture.FirstRow + i, 0xFFFFFFFF);
    }
  }
  auto shape = std::make_shared<TCursorShape>();
  shape->Frames.push_back(image);
  shape->HotX = picture.HotX;
  shape->HotY = picture.HotY;
  return shape;
}

}  // namespace

void InitExtendedCursors() {
  Screen->SetCursors(crOrvHand, MakeCursor(kHand));
  Screen->SetCursors(crOrvDrag, MakeCursor(kDrag));
}

void DoneExtendedCursors() {
  // The screen goes with the application, which may end before the modules do.
  if (Screen == nullptr) return;
  Screen->SetCursors(crOrvHand, nullptr);
  Screen->SetCursors(crOrvDrag, nullptr);
}

}  // namespace orv
