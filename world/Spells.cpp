#include "world/Spells.h"

#include "platform/rtl/Cp1250.h"

void InitSpells(TSpellTable& Spells) {
  auto set = [&Spells](int i, const char* name, std::int32_t damage, std::int32_t cost, std::uint8_t kind1,
                       std::int32_t param1) {
    TSpell s;
    s.Name = Cp(name);
    s.Damage = damage;
    s.ManaCost = cost;
    s.Kind1 = kind1;
    s.Param1 = param1;
    Spells[i] = s;
  };
  set(1, "Kula Ognia", 45, 45, seNone, 0);
  set(2, "Błyskawica", 90, 60, seNone, 0);
  set(3, "Uzdrowienie", 0, 20, seHeal, 50);
  set(4, "Teleportacja", 0, 35, seTeleport, 0);
}
