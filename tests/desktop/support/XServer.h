// The X server as a user's hands and eyes: pointer moves, button presses and
// keys sent through the server (XTest), so that they reach the program the
// way a person's input does (window manager, focus and grabs included); the
// pixels of a window as the server shows them; and what the window manager
// says about our windows. Its own connection to $DISPLAY, used from the
// script's thread only.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

struct _XDisplay;

class TXServer {
 public:
  TXServer();
  ~TXServer();
  TXServer(const TXServer&) = delete;
  TXServer& operator=(const TXServer&) = delete;

  // The window manager's name ("" without one).
  std::string ManagerName();

  // Pointer and buttons (1 left, 2 middle, 3 right), in screen coordinates.
  void MoveTo(int X, int Y);
  void ButtonDown(int Button = 1);
  void ButtonUp(int Button = 1);
  void Click(int X, int Y, int Button = 1);
  // Pressed at the first point, moved there in Steps steps, released at the last.
  void Drag(int X1, int Y1, int X2, int Y2, int Button = 1, int Steps = 8);

  // Keys by X key name ("Return", "Escape", "Control_L", "a", "F12").
  void KeyDown(const std::string& Name);
  void KeyUp(const std::string& Name);
  void Key(const std::string& Name);
  // Key then Modifier held round it ("Control_L" + "s").
  void Chord(const std::string& Modifier, const std::string& Name);
  // Types ASCII text on the usual layout (Shift where the character needs it).
  void Type(const std::string& Text);
  // When a borrowed keycode (see TypeText) gets its empty mapping back.
  enum class TMapBack {
    AfterRelease,  // right after the key comes up
    WhileDown,     // before the key comes up: the program reads the release on the empty mapping
  };
  // Types any text the way typing tools do on a layout that lacks some of
  // its letters: a character with a key of its own is typed there as Type
  // does; any other borrows a keycode that has no symbols, which is given
  // the character's keysym, pressed, released, and given its empty mapping
  // back when When says. Settle runs after each change of mapping before the
  // next key event (and after the press when the mapping goes back while the
  // key is down): it lets the program take in what changed (by default a
  // short pause).
  void TypeText(const std::u32string& Text, TMapBack When, const std::function<void()>& Settle = {});
  // Like TypeText, but a Polish letter is typed with AltGr: the borrowed
  // keycode carries its base letter on the first two levels and the Polish
  // letter on the two AltGr levels ([l, L, lstroke, Lstroke]), and is
  // pressed with ISO_Level3_Shift held (and Shift for a capital), which come
  // up after it.
  void TypeTextWithAltGr(const std::u32string& Text, TMapBack When, const std::function<void()>& Settle = {});

  // What the window shows of Rect (window coordinates), as the server has it.
  QImage Grab(unsigned long Window, QRect Rect);
  // The whole screen as it shows: each mapped window read on its own and laid
  // over the ones below it (a window's pixels may be missing from the
  // screen's own image on a virtual display).
  QImage Screen();
  // Asks the window to close, as its title bar's close button does.
  void CloseWindow(unsigned long Window);
  // The window that has the keyboard focus (0: none; 1: the one under the pointer).
  unsigned long FocusWindow();
  // Whether Window or a window inside it has the keyboard focus.
  bool HasFocus(unsigned long Window);
  // The window a window manager keeps Window above (WM_TRANSIENT_FOR; 0: none).
  unsigned long TransientFor(unsigned long Window);
  // The size the window has on the screen (its client area) and where it is.
  QRect Geometry(unsigned long Window);
  // A mapped window of any client whose title (_NET_WM_NAME, else WM_NAME)
  // is TitleUtf8, searched through the whole tree (managers reparent
  // windows into frames); 0 when there is none.
  unsigned long WindowTitled(const std::string& TitleUtf8);

 private:
  void Flush();
  void SendKey(unsigned Code, bool Down);
  // One character of Type's.
  void TypeAscii(char C);
  // A keycode without symbols, to borrow (0: none).
  unsigned SpareCode();
  // Gives Code its empty mapping back.
  void ClearCode(unsigned Code);
  // Presses and releases a borrowed Code that carries its letter now, and
  // gives it its empty mapping back when When says.
  void StrikeBorrowed(unsigned Code, TMapBack When, const std::function<void()>& Settle);
  _XDisplay* FDisplay = nullptr;
};

// How much of Image is text on a plain ground: the share of pixels far darker
// than the image's lightest colour (0 when the image is one colour).
double InkShare(const QImage& Image);
// The share of Image's pixels that are (almost) of Colour.
double ShareOf(const QImage& Image, QRgb Colour);
