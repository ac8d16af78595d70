#include "world/Records.h"

#include "world/ByteOrder.h"

namespace {

// Walks a record's bytes field by field in stored order; At() is the offset
// reached, checked against the record size at the end.
class Writer {
 public:
  explicit Writer(std::uint8_t* out) : FOut(out) {}
  void Int(std::int32_t v) { PutInt32(FOut + FAt, v), FAt += 4; }
  void Byte(std::uint8_t v) { FOut[FAt++] = v; }
  void Str(const TShortString& s) { s.Serialize(FOut + FAt), FAt += TShortString::SerializedSize; }
  std::size_t At() const { return FAt; }

 private:
  std::uint8_t* FOut;
  std::size_t FAt = 0;
};

class Reader {
 public:
  explicit Reader(const std::uint8_t* in) : FIn(in) {}
  void Int(std::int32_t& v) { v = GetInt32(FIn + FAt), FAt += 4; }
  void Byte(std::uint8_t& v) { v = FIn[FAt++]; }
  void Str(TShortString& s) { s.Deserialize(FIn + FAt), FAt += TShortString::SerializedSize; }
  std::size_t At() const { return FAt; }

 private:
  const std::uint8_t* FIn;
  std::size_t FAt = 0;
};

// Adds up the stored sizes of the fields, so that the field lists below are
// checked against the record sizes at compile time.
class Counter {
 public:
  constexpr void Int(std::int32_t) { FAt += 4; }
  constexpr void Byte(std::uint8_t) { FAt += 1; }
  constexpr void Str(const TShortString&) { FAt += TShortString::SerializedSize; }
  constexpr std::size_t At() const { return FAt; }

 private:
  std::size_t FAt = 0;
};

// One field list per record serves both directions.
template <typename IO, typename R>
constexpr void UnitFields(IO& io, R& u) {
  io.Int(u.HP), io.Int(u.Attack), io.Int(u.Defense), io.Int(u.Mana), io.Int(u.BuildProgress);
  io.Str(u.Name);
  io.Int(u.X), io.Int(u.Y), io.Int(u.TargetX), io.Int(u.TargetY);
  io.Byte(u.Selected);
  io.Int(u.Number), io.Int(u.Group);
  io.Str(u.AttackTarget), io.Str(u.BuildName);
}

template <typename IO, typename R>
constexpr void BuildingFields(IO& io, R& b) {
  io.Int(b.HP), io.Int(b.Attack), io.Int(b.Defense), io.Int(b.TrainProgress);
  io.Str(b.Name);
  io.Int(b.X), io.Int(b.Y);
  io.Byte(b.Selected);
  io.Int(b.Number), io.Int(b.Group);
  io.Str(b.AttackTarget), io.Str(b.TrainUnit);
}

template <typename IO, typename R>
constexpr void UnitTypeFields(IO& io, R& t) {
  io.Int(t.MaxHP), io.Int(t.Attack), io.Int(t.Defense), io.Int(t.MaxMana), io.Int(t.Range), io.Int(t.AttackInterval),
      io.Int(t.TrainTime);
  io.Str(t.Name);
  for (int i = 1; i <= UnitTypeSpellSlots; ++i) io.Str(t.Spells[i]);
  for (int i = 1; i <= UnitTypeBuildingSlots; ++i) io.Str(t.Buildings[i]);
  io.Byte(t.Class);
  io.Int(t.GoldCost), io.Int(t.WoodCost);
}

template <typename IO, typename R>
constexpr void BuildingTypeFields(IO& io, R& t) {
  io.Int(t.MaxHP), io.Int(t.Attack), io.Int(t.Defense), io.Int(t.Range), io.Int(t.AttackInterval), io.Int(t.BuildTime);
  io.Str(t.Name);
  for (int i = 1; i <= BuildingTypeUnitSlots; ++i) io.Str(t.Units[i]);
  io.Byte(t.Reserved);
  io.Int(t.GoldCost), io.Int(t.WoodCost);
}

template <typename IO, typename R>
constexpr void PlayerFields(IO& io, R& p) {
  io.Int(p.Gold), io.Int(p.Wood);
  io.Str(p.Name);
}

template <typename R, void (*Fields)(Counter&, const R&)>
constexpr std::size_t StoredSize() {
  Counter c;
  Fields(c, R{});
  return c.At();
}

static_assert(StoredSize<TUnit, UnitFields<Counter, const TUnit>>() == TUnit::SerializedSize);
static_assert(StoredSize<TBuilding, BuildingFields<Counter, const TBuilding>>() == TBuilding::SerializedSize);
static_assert(StoredSize<TUnitType, UnitTypeFields<Counter, const TUnitType>>() == TUnitType::SerializedSize);
static_assert(StoredSize<TBuildingType, BuildingTypeFields<Counter, const TBuildingType>>() ==
              TBuildingType::SerializedSize);
static_assert(StoredSize<TPlayer, PlayerFields<Counter, const TPlayer>>() == TPlayer::SerializedSize);

}  // namespace

#define BRASK_RECORD_IO(Type, Fields)              \
  void Type::Serialize(std::uint8_t* Out) const {  \
    Writer w(Out);                                 \
    Fields(w, *this);                              \
  }                                                \
  void Type::Deserialize(const std::uint8_t* In) { \
    Reader r(In);                                  \
    Fields(r, *this);                              \
  }

BRASK_RECORD_IO(TUnit, UnitFields)
BRASK_RECORD_IO(TBuilding, BuildingFields)
BRASK_RECORD_IO(TUnitType, UnitTypeFields)
BRASK_RECORD_IO(TBuildingType, BuildingTypeFields)
BRASK_RECORD_IO(TPlayer, PlayerFields)
