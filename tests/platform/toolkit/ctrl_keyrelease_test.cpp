#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "ctrl_fixture.h"
#include "platform/rtl/Cp1250.h"
#include "platform/toolkit/QtBridge.h"
#include "platform/toolkit/StdCtrls.h"

namespace {

// Keys as the X server reports them: a native key code with what the layout
// made of it at that moment.
class TKeyReleaseTest : public TControlsTest {
 protected:
  void Send(QEvent::Type Type, int Key, Qt::KeyboardModifiers Mods, quint32 Code, const char* Utf8 = "") {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : Main->Widget();
    QKeyEvent ev(Type, Key, Mods, Code, 0, 0, QString::fromUtf8(Utf8));
    QCoreApplication::sendEvent(target, &ev);
  }
  static bool Down(int Vk) { return GetKeyState(Vk) < 0; }
};

constexpr quint32 kXKeyL = 46, kXAltGr = 108, kXSpare = 253;

}  // namespace

// A Polish letter comes up as the key it went down as: with AltGr let go
// first or last, and when the key's symbol was changed back before the key
// came up (a typing tool borrows a spare key for each letter).
TEST_F(TKeyReleaseTest, APolishLetterLeavesNoKeyHeld) {
  auto* edit = Make<TEdit>("Edit1", 8, 8, 120, 21);
  ShowMain();
  edit->SetFocus();
  Driver->Pump(1);
  // AltGr+L, AltGr up first: L comes up as a plain l.
  Send(QEvent::KeyPress, Qt::Key_AltGr, Qt::NoModifier, kXAltGr);
  Send(QEvent::KeyPress, 0x0141, Qt::GroupSwitchModifier, kXKeyL, "ł");
  EXPECT_TRUE(Down('L'));
  Send(QEvent::KeyRelease, Qt::Key_AltGr, Qt::GroupSwitchModifier, kXAltGr);
  Send(QEvent::KeyRelease, Qt::Key_L, Qt::NoModifier, kXKeyL);
  EXPECT_FALSE(Down('L'));
  EXPECT_FALSE(Down(VK_MENU));
  // A spare key that reads as Ł going down and as nothing coming up.
  for (const char* letter : {"Ł", "ó", "d", "ź"}) {
    const int key = QString::fromUtf8(letter).toUpper().at(0).unicode();
    Send(QEvent::KeyPress, key, Qt::NoModifier, kXSpare, letter);
    Send(QEvent::KeyRelease, 0, Qt::NoModifier, kXSpare);
  }
  for (int vk : {'L', 'O', 'D', 'X'}) EXPECT_FALSE(Down(vk)) << static_cast<char>(vk);
  EXPECT_EQ(edit->Text(), Cp("łŁódź"));
}
