// Colour reduction: any bitmap turned into a bitmap file of 1, 4, 8 or 24 bits, at 8 bits by one
// of six methods (histogram, median cut, two fixed palettes, channel triples, greys).
#pragma once
#include <memory>
#include "platform/graphics/Graphics.h"

namespace orv {

enum TColorReduction : Byte {
  rmHistogram = 0,
  rmMedianCut = 1,
  rmFixed224 = 2,     // 7 red x 8 green x 4 blue levels
  rmFixed216 = 3,     // 6 x 6 x 6 levels
  rmChannelTriples = 4,
  rmGrayscale = 5,
};

// The method used when a caller names none; histogram unless the program changes it.
extern Byte DefaultReductionMethod;

// Builds the tables of nearest levels (4, 6, 7 and 8 levels; ties to the lower level). Module
// start-up; the reduction also builds them on first use.
void InitColorReductionTables();
// The index of the level nearest to value in the table of that many levels (4, 6, 7 or 8).
int NearestLevel(int levels, int value);

// A new stream holding a bitmap file of the pixel format (pf1bit, pf4bit, pf8bit or pf24bit).
// The bitmap's own file when it has that format already and the method is not rmGrayscale.
// EInvalidGraphic "Bitmap ist ungültig" for a bitmap without pixels; another target format is
// ReportNotImplemented (an information box, then the silent abort).
// At 8 bits the median cut entries show the mean of the colours they stand for, and so do the
// histogram's once it counted coarser colours (with at most 2049 distinct colours every histogram
// entry is an exact colour of the picture); and
// the pixels of a transparent colour other than clNone get an entry of their own holding exactly
// that colour, the only entry of that colour, whichever the method.
std::unique_ptr<TMemoryStream> ReduceBitmap(TBitmap& bitmap, TPixelFormat format, Byte method,
                                            TColor transparent = clNone);
// ReduceBitmap to 1 bit for at most 2 colours, 4 for at most 16, 24 for more than 256, else 8,
// with DefaultReductionMethod; a transparent bitmap keeps its transparent colour.
std::unique_ptr<TMemoryStream> ReduceToColors(TBitmap& bitmap, int colors);
// The bitmap reloads itself from ReduceToColors; nothing without a bitmap or for a count below 1.
void DecreaseBitmapColors(TBitmap* bitmap, int colors);

}  // namespace orv
