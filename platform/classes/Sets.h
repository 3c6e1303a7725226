// Sets over an enumeration with values 0..63, as the class library's set types are used for
// published properties (Anchors, BorderIcons, ComponentState).
#pragma once
#include <cstdint>
#include <initializer_list>

namespace orv {

template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) FBits |= Bit(e);
  }
  static constexpr TSet FromBits(std::uint64_t bits) { TSet s; s.FBits = bits; return s; }
  constexpr std::uint64_t Bits() const { return FBits; }

  constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
  constexpr TSet& Include(E e) { FBits |= Bit(e); return *this; }
  constexpr TSet& Exclude(E e) { FBits &= ~Bit(e); return *this; }
  constexpr bool Empty() const { return FBits == 0; }

  friend constexpr TSet operator+(TSet a, TSet b) { return FromBits(a.FBits | b.FBits); }
  friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(a.FBits & ~b.FBits); }
  friend constexpr TSet operator*(TSet a, TSet b) { return FromBits(a.FBits & b.FBits); }
  friend constexpr bool operator==(TSet a, TSet b) = default;

 private:
  static constexpr std::uint64_t Bit(E e) {
    return std::uint64_t{1} << (static_cast<unsigned>(e) & 63u);
  }
  std::uint64_t FBits = 0;
};

}  // namespace orv
