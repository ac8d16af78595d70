#include "game/CodeBox.h"

#include "platform/rtl/Cp1250.h"

namespace korvel {

std::string CodeBoxInitialText() { return Cp("Wprowadź kod."); }

bool OpensCodeBox(std::uint16_t Key) { return Key == 13; }

bool EnterCode(TGameState& S, const std::string& Text) {
  S.EnteredCode = Text;
  if (S.EnteredCode == ResourcesCode) {
    S.Player.Gold += 1000;
    S.Player.Wood += 1000;
  }
  return S.EnteredCode == HelpCode;
}

std::string CodeHelpTitle() { return "Kody"; }

std::string CodeHelpText() {
  return std::string(SpeedUpCode) + Cp(" - przyspiesza pracę") + "\n" + ResourcesCode + " - dodatkowe surowce";
}

bool SpeedUpActive(const TGameState& S) { return S.EnteredCode == SpeedUpCode; }

}  // namespace korvel
