// A set of up to 64 members of an enumeration, stored as a bit mask (bit n is
// member n), with the set operations the toolkit's set-valued properties use.
#pragma once

#include <cstdint>
#include <initializer_list>

template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> members) {
    for (E m : members) FBits |= Bit(m);
  }
  static constexpr TSet FromBits(std::uint64_t bits) {
    TSet s;
    s.FBits = bits;
    return s;
  }
  constexpr std::uint64_t Bits() const { return FBits; }
  constexpr bool Contains(E m) const { return (FBits & Bit(m)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr TSet& Include(E m) {
    FBits |= Bit(m);
    return *this;
  }
  constexpr TSet& Exclude(E m) {
    FBits &= ~Bit(m);
    return *this;
  }
  constexpr TSet operator+(TSet o) const { return FromBits(FBits | o.FBits); }
  constexpr TSet operator-(TSet o) const { return FromBits(FBits & ~o.FBits); }
  constexpr TSet operator*(TSet o) const { return FromBits(FBits & o.FBits); }
  constexpr TSet& operator+=(TSet o) {
    FBits |= o.FBits;
    return *this;
  }
  constexpr TSet& operator-=(TSet o) {
    FBits &= ~o.FBits;
    return *this;
  }
  friend constexpr bool operator==(TSet a, TSet b) { return a.FBits == b.FBits; }

 private:
  static constexpr std::uint64_t Bit(E m) { return std::uint64_t{1} << static_cast<unsigned>(m); }
  std::uint64_t FBits = 0;
};
