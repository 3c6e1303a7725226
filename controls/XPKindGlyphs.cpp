// The glyphs of the standard button kinds: 16-colour strips of two images side by side (up,
// disabled), 18 pixels square (the "all" glyph 19 high), olive being the see-through colour. The
// disabled image is the up image's shape in grey with a white copy down and to the right.
#include <array>
#include <memory>
#include "controls/XPStyleButtons.h"

namespace orv {
namespace {

using TArt = std::array<const char*, 19>;

// '.' olive (see-through); k black, g green, G lime, r maroon, R red, b navy, B blue, y yellow,
// w white, s silver, d grey, t teal.
constexpr TArt kOk = {
  "..................", "..................", "..................", "..............gg..",
  ".............gGg..", "............gGGg..", "...........gGGg...", "..gg......gGGg....",
  ".gGGg....gGGg.....", ".gGGGg..gGGg......", "..gGGGggGGg.......", "...gGGGGGg........",
  "....gGGGg.........", ".....gGg..........", "......g...........", "..................",
  "..................", "..................", nullptr};
constexpr TArt kCancel = {
  "..................", "..................", "...rr........rr...", "..rRRr......rRRr..",
  "..rRRRr....rRRRr..", "...rRRRr..rRRRr...", "....rRRRrrRRRr....", ".....rRRRRRRr.....",
  "......rRRRRr......", "......rRRRRr......", ".....rRRRRRRr.....", "....rRRRrrRRRr....",
  "...rRRRr..rRRRr...", "..rRRRr....rRRRr..", "..rRRr......rRRr..", "...rr........rr...",
  "..................", "..................", nullptr};
constexpr TArt kHelp = {
  "..................", "......bbbbbb......", ".....bBBBBBBb.....", "....bBBbbbbBBb....",
  "....bBb....bBBb...", ".....b.....bBBb...", "..........bBBb....", ".........bBBb.....",
  "........bBBb......", "........bBBb......", "........bBBb......", ".........bb.......",
  "..................", "........bBBb......", "........bBBb......", ".........bb.......",
  "..................", "..................", nullptr};
constexpr TArt kNo = {
  "..................", "......rrrrrr......", "....rrRRRRRRrr....", "...rRRr....rRRr...",
  "..rRRr....rRRRr...", "..rRr....rRRRr.r..", ".rRr....rRRRr.rRr.", ".rRr...rRRRr..rRr.",
  ".rRr..rRRRr...rRr.", ".rRr.rRRRr....rRr.", ".rRr.rRRr.....rRr.", "..r.rRRr....rRRr..",
  "...rRRRr...rRRr...", "...rRRr....rRRr...", "....rrRRRRRRrr....", "......rrrrrr......",
  "..................", "..................", nullptr};
constexpr TArt kClose = {
  "..................", "..kkkkkkkkkk......", "..kssssssssk......", "..ksddddddsk......",
  "..ksdttttdsk......", "..ksdttttdsk...k..", "..ksdttttdsk...kk.", "..ksdttttdskkkkkGk",
  "..ksdttkkdskGGGGGk", "..ksdttkkdskGGGGGk", "..ksdttttdskkkkkGk", "..ksdttttdsk...kk.",
  "..ksdttttdsk...k..", "..ksddddddsk......", "..kssssssssk......", "..kkkkkkkkkk......",
  "..................", "..................", nullptr};
constexpr TArt kAbort = {
  "..................", "......kkkkkk......", ".....kRRRRRRk.....", "....kRRRRRRRRk....",
  "...kRRRRRRRRRRk...", "..kRRRRRRRRRRRRk..", "..kRwwwRwwwRwwRk..", "..kRwRRRRwRRwRwk..",
  "..kRwwwRRwRRwRwk..", "..kRRRwRRwRRwRwk..", "..kRwwwRRwRRwwRk..", "..kRRRRRRRRRRRRk..",
  "...kRRRRRRRRRRk...", "....kRRRRRRRRk....", ".....kRRRRRRk.....", "......kkkkkk......",
  "..................", "..................", nullptr};
constexpr TArt kRetry = {
  "..................", "..................", "......gggggg......", "....ggGGGGGGgg....",
  "...gGGgggggGGGg...", "..gGGg.....gGGGg..", "..gGg.....gGGGGGg.", ".gGg.......gGGGg..",
  ".gGg........gGg...", ".gGg.........g....", ".gGg..............", ".gGg..............",
  "..gGg.........g...", "..gGGg.....ggGg...", "...gGGgggggGGg....", "....ggGGGGGGg.....",
  "......gggggg......", "..................", nullptr};
constexpr TArt kIgnore = {
  "..................", "..................", "........bbb.......", ".......bBBBb......",
  ".......bBBBb......", "........bbb.......", "......bbBBbb......", ".....bBBBBBBbb....",
  "....bBbBBBBb.Bb...", "...bBb.bBBBb..b...", "......bBBBBb......", ".....bBBbbBBb.....",
  "....bBBb..bBBb....", "...bBBb....bBBb...", "..bBBb......bBBb..", "..bbb........bbb..",
  "..................", "..................", nullptr};
constexpr TArt kAll = {
  "..................", "..................", "...........gg.....", "..........gGg.....",
  ".........gGGg..gg.", "........gGGg..gGg.", ".gg....gGGg..gGGg.", "gGGg..gGGg..gGGg..",
  "gGGGggGGg..gGGg...", ".gGGGGGg..gGGg....", "..gGGGg..gGGg.....", "...gGg..gGGg......",
  "....g.ggGGg.......", "......gGGg........", ".....gGGg.........", "......gg..........",
  "..................", "..................", ".................."};

COLORREF ArtColor(char c) {
  switch (c) {
    case 'k': return 0x000000;
    case 'g': return 0x008000;
    case 'G': return 0x00FF00;
    case 'r': return 0x000080;
    case 'R': return 0x0000FF;
    case 'b': return 0x800000;
    case 'B': return 0xFF0000;
    case 'y': return 0x00FFFF;
    case 'w': return 0xFFFFFF;
    case 's': return 0xC0C0C0;
    case 'd': return 0x808080;
    case 't': return 0x808000;
    default: return 0x008080;  // olive
  }
}

std::unique_ptr<TBitmap> MakeKindGlyph(const TArt& art) {
  constexpr int size = 18;
  const int height = art[18] != nullptr ? 19 : 18;
  constexpr COLORREF olive = 0x008080, grey = 0x808080, white = 0xFFFFFF;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf4bit);
  bitmap->SetSize(2 * size, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < 2 * size; ++x) bitmap->SetPixelRGB(x, y, olive);
  const auto shape = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < size && y < height && art[static_cast<std::size_t>(y)][x] != '.';
  };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < size; ++x) {
      const char c = art[static_cast<std::size_t>(y)][x];
      if (c == '.') continue;
      bitmap->SetPixelRGB(x, y, ArtColor(c));
      bitmap->SetPixelRGB(size + x, y, grey);
    }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < size; ++x)
      if (!shape(x, y) && shape(x - 1, y - 1)) bitmap->SetPixelRGB(size + x, y, white);
  return bitmap;
}

const TArt* KindArt(TBitBtnXPKind kind) {
  switch (kind) {
    case bkOK: case bkYes: return &kOk;
    case bkCancel: return &kCancel;
    case bkHelp: return &kHelp;
    case bkNo: return &kNo;
    case bkClose: return &kClose;
    case bkAbort: return &kAbort;
    case bkRetry: return &kRetry;
    case bkIgnore: return &kIgnore;
    case bkAll: return &kAll;
    default: return nullptr;
  }
}

std::array<std::unique_ptr<TBitmap>, 11>& KindGlyphStore() {
  static std::array<std::unique_ptr<TBitmap>, 11> glyphs;
  return glyphs;
}

}  // namespace

TBitmap* TBitBtnXP::KindGlyph(TBitBtnXPKind kind) {
  const TArt* art = KindArt(kind);
  if (art == nullptr) return nullptr;
  auto& slot = KindGlyphStore()[static_cast<std::size_t>(kind)];
  if (!slot) slot = MakeKindGlyph(*art);
  return slot.get();
}

void TBitBtnXP::FreeKindGlyphs() {
  for (auto& glyph : KindGlyphStore()) glyph.reset();
}

}  // namespace orv
