// Points, sizes and rectangles of the class library (right and bottom edges exclusive), with helpers.
#pragma once
#include <algorithm>
#include "platform/rtl/Types.h"

namespace orv {

struct TPoint {
  Integer X = 0, Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  Integer cx = 0, cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
  Integer Left = 0, Top = 0, Right = 0, Bottom = 0;
  Integer Width() const { return Right - Left; }
  Integer Height() const { return Bottom - Top; }
  TPoint TopLeft() const { return {Left, Top}; }
  TPoint BottomRight() const { return {Right, Bottom}; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(Integer x, Integer y) { return {x, y}; }
inline TRect Rect(Integer left, Integer top, Integer right, Integer bottom) { return {left, top, right, bottom}; }
inline TRect Bounds(Integer left, Integer top, Integer width, Integer height) {
  return {left, top, left + width, top + height};
}
inline bool IsRectEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }
inline bool PtInRect(const TRect& r, const TPoint& p) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
inline void InflateRect(TRect& r, Integer dx, Integer dy) { r.Left -= dx; r.Top -= dy; r.Right += dx; r.Bottom += dy; }
inline void OffsetRect(TRect& r, Integer dx, Integer dy) { r.Left += dx; r.Right += dx; r.Top += dy; r.Bottom += dy; }
// The common part of a and b; false (and an all-zero result) when they do not overlap.
inline bool IntersectRect(TRect& out, const TRect& a, const TRect& b) {
  out = {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
  if (IsRectEmpty(out)) { out = {}; return false; }
  return true;
}
// The smallest rectangle holding both; an empty one does not count.
inline bool UnionRect(TRect& out, const TRect& a, const TRect& b) {
  if (IsRectEmpty(a)) { out = b; } else if (IsRectEmpty(b)) { out = a; }
  else out = {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
  return !IsRectEmpty(out);
}

}  // namespace orv
