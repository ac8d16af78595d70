#include "tests/desktop/support/XServer.h"

// Qt first: Xlib defines macros (Bool, Status, None) that Qt's headers use as names.
#include <QPainter>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

void Pause(int Milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds)); }

int Luma(QRgb C) { return (qRed(C) * 299 + qGreen(C) * 587 + qBlue(C) * 114) / 1000; }

// A window's title: _NET_WM_NAME, else WM_NAME ("" without either).
std::string TitleOf(Display* D, ::Window W) {
  const Atom netName = XInternAtom(D, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(D, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(D, W, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) == Success &&
      data && type == utf8)
    title.assign(reinterpret_cast<const char*>(data), count);
  if (data) XFree(data);
  if (!title.empty()) return title;
  char* name = nullptr;
  if (XFetchName(D, W, &name) && name) {
    title = name;
    XFree(name);
  }
  return title;
}

}  // namespace

TXServer::TXServer() {
  FDisplay = XOpenDisplay(nullptr);
  if (!FDisplay) throw std::runtime_error("cannot open the X display");
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(FDisplay, &event, &error, &major, &minor))
    throw std::runtime_error("the X server has no XTest extension");
}

TXServer::~TXServer() {
  if (FDisplay) XCloseDisplay(FDisplay);
}

void TXServer::Flush() { XSync(FDisplay, False); }

std::string TXServer::ManagerName() {
  const Atom check = XInternAtom(FDisplay, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(FDisplay, DefaultRootWindow(FDisplay), check, 0, 1, False, XA_WINDOW, &type, &format, &count,
                         &after, &data) != Success ||
      !data || count == 0) {
    if (data) XFree(data);
    return std::string();
  }
  const Window wm = *reinterpret_cast<Window*>(data);
  XFree(data);
  const std::string name = TitleOf(FDisplay, wm);
  return name.empty() ? "unnamed" : name;
}

void TXServer::MoveTo(int X, int Y) {
  XTestFakeMotionEvent(FDisplay, DefaultScreen(FDisplay), X, Y, CurrentTime);
  Flush();
  Pause(15);
}

void TXServer::ButtonDown(int Button) {
  XTestFakeButtonEvent(FDisplay, static_cast<unsigned>(Button), True, CurrentTime);
  Flush();
  Pause(15);
}

void TXServer::ButtonUp(int Button) {
  XTestFakeButtonEvent(FDisplay, static_cast<unsigned>(Button), False, CurrentTime);
  Flush();
  Pause(15);
}

void TXServer::Click(int X, int Y, int Button) {
  MoveTo(X, Y);
  ButtonDown(Button);
  ButtonUp(Button);
}

void TXServer::Drag(int X1, int Y1, int X2, int Y2, int Button, int Steps) {
  MoveTo(X1, Y1);
  ButtonDown(Button);
  for (int i = 1; i <= Steps; ++i) MoveTo(X1 + (X2 - X1) * i / Steps, Y1 + (Y2 - Y1) * i / Steps);
  ButtonUp(Button);
}

void TXServer::SendKey(unsigned Code, bool Down) {
  XTestFakeKeyEvent(FDisplay, Code, Down ? True : False, CurrentTime);
  Flush();
  Pause(10);
}

namespace {

unsigned CodeOf(Display* D, const std::string& Name) {
  const KeySym sym = XStringToKeysym(Name.c_str());
  if (sym == NoSymbol) throw std::runtime_error("no key named " + Name);
  const unsigned code = XKeysymToKeycode(D, sym);
  if (!code) throw std::runtime_error("no key for " + Name);
  return code;
}

}  // namespace

void TXServer::KeyDown(const std::string& Name) { SendKey(CodeOf(FDisplay, Name), true); }
void TXServer::KeyUp(const std::string& Name) { SendKey(CodeOf(FDisplay, Name), false); }

void TXServer::Key(const std::string& Name) {
  KeyDown(Name);
  KeyUp(Name);
}

void TXServer::Chord(const std::string& Modifier, const std::string& Name) {
  KeyDown(Modifier);
  Key(Name);
  KeyUp(Modifier);
}

void TXServer::TypeAscii(char C) {
  const unsigned shift = CodeOf(FDisplay, "Shift_L");
  const KeySym sym = static_cast<KeySym>(static_cast<unsigned char>(C));  // Latin-1 keysyms are the characters
  const unsigned code = XKeysymToKeycode(FDisplay, sym);
  if (!code) throw std::runtime_error(std::string("cannot type ") + C);
  int perCode = 0;
  KeySym* syms = XGetKeyboardMapping(FDisplay, static_cast<KeyCode>(code), 1, &perCode);
  const bool shifted = syms && perCode > 1 && syms[0] != sym && syms[1] == sym;
  if (syms) XFree(syms);
  if (shifted) SendKey(shift, true);
  SendKey(code, true);
  SendKey(code, false);
  if (shifted) SendKey(shift, false);
}

void TXServer::Type(const std::string& Text) {
  for (char c : Text) TypeAscii(c);
}

namespace {

// The Polish letters: their keysyms and the key a Polish layout types them
// on with AltGr.
struct TPolishLetter {
  char32_t Lower, Upper;
  const char *LowerSym, *UpperSym;
  char Base;
};
constexpr TPolishLetter kPolishLetters[] = {
    {U'ą', U'Ą', "aogonek", "Aogonek", 'a'},     {U'ć', U'Ć', "cacute", "Cacute", 'c'},
    {U'ę', U'Ę', "eogonek", "Eogonek", 'e'},     {U'ł', U'Ł', "lstroke", "Lstroke", 'l'},
    {U'ń', U'Ń', "nacute", "Nacute", 'n'},       {U'ó', U'Ó', "oacute", "Oacute", 'o'},
    {U'ś', U'Ś', "sacute", "Sacute", 's'},       {U'ź', U'Ź', "zacute", "Zacute", 'x'},
    {U'ż', U'Ż', "zabovedot", "Zabovedot", 'z'},
};

const TPolishLetter* PolishLetter(char32_t C) {
  for (const TPolishLetter& l : kPolishLetters)
    if (l.Lower == C || l.Upper == C) return &l;
  return nullptr;
}

KeySym Sym(const char* Name) {
  const KeySym sym = XStringToKeysym(Name);
  if (sym == NoSymbol) throw std::runtime_error(std::string("no keysym named ") + Name);
  return sym;
}

// The keysym of a character: a Polish letter's own, a Latin-1 character's
// code, any other the Unicode keysym.
KeySym KeysymOf(char32_t C) {
  if (const TPolishLetter* l = PolishLetter(C)) return Sym(C == l->Lower ? l->LowerSym : l->UpperSym);
  if (C < 0x100) return static_cast<KeySym>(C);
  return static_cast<KeySym>(0x01000000 | C);
}

// Whether C is typed as Type types it, on a key of the layout.
bool OnTheLayout(Display* D, char32_t C) {
  return C >= 0x20 && C < 0x7F && XKeysymToKeycode(D, static_cast<KeySym>(C)) != 0;
}

}  // namespace

unsigned TXServer::SpareCode() {
  int first = 0, last = 0, perCode = 0;
  XDisplayKeycodes(FDisplay, &first, &last);
  KeySym* syms = XGetKeyboardMapping(FDisplay, static_cast<KeyCode>(first), last - first + 1, &perCode);
  if (!syms) return 0;
  unsigned spare = 0;
  for (int code = last; code >= first && !spare; --code) {
    const KeySym* row = syms + static_cast<std::ptrdiff_t>(code - first) * perCode;
    if (std::all_of(row, row + perCode, [](KeySym s) { return s == NoSymbol; })) spare = static_cast<unsigned>(code);
  }
  XFree(syms);
  return spare;
}

void TXServer::ClearCode(unsigned Code) {
  KeySym none = NoSymbol;
  XChangeKeyboardMapping(FDisplay, static_cast<int>(Code), 1, &none, 1);
  Flush();
}

void TXServer::StrikeBorrowed(unsigned Code, TMapBack When, const std::function<void()>& Settle) {
  SendKey(Code, true);
  if (When == TMapBack::WhileDown) {
    Settle();  // the program reads the press on the letter's mapping
    ClearCode(Code);
    Settle();
    SendKey(Code, false);
    return;
  }
  XTestFakeKeyEvent(FDisplay, Code, False, CurrentTime);
  Flush();
  ClearCode(Code);
}

void TXServer::TypeText(const std::u32string& Text, TMapBack When, const std::function<void()>& Settle) {
  const std::function<void()> settle = Settle ? Settle : [] { Pause(50); };
  for (char32_t c : Text) {
    if (OnTheLayout(FDisplay, c)) {
      TypeAscii(static_cast<char>(c));
      continue;
    }
    const unsigned code = SpareCode();
    if (!code) throw std::runtime_error("no spare keycode to type a character on");
    // The keysym on both levels: one alone would read as its small letter
    // without Shift.
    KeySym syms[2] = {KeysymOf(c), KeysymOf(c)};
    XChangeKeyboardMapping(FDisplay, static_cast<int>(code), 2, syms, 1);
    Flush();
    settle();
    StrikeBorrowed(code, When, settle);
    settle();
  }
}

void TXServer::TypeTextWithAltGr(const std::u32string& Text, TMapBack When, const std::function<void()>& Settle) {
  const std::function<void()> settle = Settle ? Settle : [] { Pause(50); };
  const unsigned shift = CodeOf(FDisplay, "Shift_L");
  const unsigned altGr = CodeOf(FDisplay, "ISO_Level3_Shift");
  for (char32_t c : Text) {
    const TPolishLetter* letter = PolishLetter(c);
    if (!letter) {
      TypeText(std::u32string(1, c), When, settle);
      continue;
    }
    const unsigned code = SpareCode();
    if (!code) throw std::runtime_error("no spare keycode to type a character on");
    // The core mapping cannot reach the AltGr levels (its third and fourth
    // keysyms are a second group): the key gets its four levels and the
    // four-level alphabetic key type through the keyboard extension.
    XkbDescPtr keyboard = XkbGetMap(FDisplay, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    if (!keyboard) throw std::runtime_error("cannot read the keyboard map");
    XkbGetNames(FDisplay, XkbKeyTypeNamesMask, keyboard);
    int type = -1;
    for (int i = 0; i < keyboard->map->num_types && type < 0; ++i) {
      char* name = XGetAtomName(FDisplay, keyboard->map->types[i].name);
      if (name && std::string(name) == "FOUR_LEVEL_ALPHABETIC") type = i;
      if (name) XFree(name);
    }
    if (type < 0) {
      XkbFreeKeyboard(keyboard, 0, True);
      throw std::runtime_error("the keyboard map has no four-level alphabetic key type");
    }
    KeySym* syms = XkbResizeKeySyms(keyboard, static_cast<int>(code), 4);
    const char base = letter->Base;
    syms[0] = static_cast<KeySym>(base);
    syms[1] = static_cast<KeySym>(base - 'a' + 'A');
    syms[2] = Sym(letter->LowerSym);
    syms[3] = Sym(letter->UpperSym);
    XkbSymMapRec& map = keyboard->map->key_sym_map[code];
    map.kt_index[0] = static_cast<unsigned char>(type);
    map.group_info = XkbSetNumGroups(0, 1);
    map.width = 4;
    XkbMapChangesRec changes{};
    changes.changed = XkbKeySymsMask;
    changes.first_key_sym = static_cast<KeyCode>(code);
    changes.num_key_syms = 1;
    const bool changed = XkbChangeMap(FDisplay, keyboard, &changes);
    XkbFreeKeyboard(keyboard, 0, True);
    if (!changed) throw std::runtime_error("cannot map a spare keycode");
    Flush();
    settle();
    const bool capital = c == letter->Upper;
    SendKey(altGr, true);
    if (capital) SendKey(shift, true);
    StrikeBorrowed(code, When, settle);
    if (capital) SendKey(shift, false);
    SendKey(altGr, false);
    settle();
  }
}

QImage TXServer::Grab(unsigned long Window, QRect Rect) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(FDisplay, Window, &a)) return QImage();
  Rect &= QRect(0, 0, a.width, a.height);
  if (Rect.isEmpty() || a.map_state != IsViewable) return QImage();
  XImage* x = XGetImage(FDisplay, Window, Rect.x(), Rect.y(), static_cast<unsigned>(Rect.width()),
                        static_cast<unsigned>(Rect.height()), AllPlanes, ZPixmap);
  if (!x) return QImage();
  QImage out(Rect.width(), Rect.height(), QImage::Format_RGB32);
  for (int y = 0; y < Rect.height(); ++y)
    for (int i = 0; i < Rect.width(); ++i) {
      const unsigned long p = XGetPixel(x, i, y);
      out.setPixel(i, y,
                   qRgb(static_cast<int>((p & x->red_mask) >> 16), static_cast<int>((p & x->green_mask) >> 8),
                        static_cast<int>(p & x->blue_mask)));
    }
  XDestroyImage(x);
  return out;
}

QImage TXServer::Screen() {
  const Window root = DefaultRootWindow(FDisplay);
  XWindowAttributes ra;
  XGetWindowAttributes(FDisplay, root, &ra);
  QImage out = Grab(root, QRect(0, 0, ra.width, ra.height));
  if (out.isNull()) return out;
  Window r = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(FDisplay, root, &r, &parent, &children, &count)) return out;
  QPainter p(&out);
  for (unsigned i = 0; i < count; ++i) {  // bottom first
    XWindowAttributes a;
    if (!XGetWindowAttributes(FDisplay, children[i], &a) || a.map_state != IsViewable || a.width < 2 || a.height < 2)
      continue;
    const QImage w = Grab(children[i], QRect(0, 0, a.width, a.height));
    if (!w.isNull()) p.drawImage(a.x, a.y, w);
  }
  if (children) XFree(children);
  return out;
}

void TXServer::CloseWindow(unsigned long Window) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = Window;
  e.xclient.message_type = XInternAtom(FDisplay, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(FDisplay, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(FDisplay, Window, False, NoEventMask, &e);
  Flush();
}

unsigned long TXServer::FocusWindow() {
  ::Window focus = 0;
  int revert = 0;
  XGetInputFocus(FDisplay, &focus, &revert);
  return focus;
}

bool TXServer::HasFocus(unsigned long Window) {
  ::Window w = FocusWindow();
  if (w == PointerRoot) {
    ::Window root = 0, child = 0;
    int rx = 0, ry = 0, x = 0, y = 0;
    unsigned mask = 0;
    XQueryPointer(FDisplay, DefaultRootWindow(FDisplay), &root, &child, &rx, &ry, &x, &y, &mask);
    w = child;
  }
  while (w && w != DefaultRootWindow(FDisplay)) {
    if (w == Window) return true;
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(FDisplay, w, &root, &parent, &children, &count)) return false;
    if (children) XFree(children);
    w = parent;
  }
  return false;
}

unsigned long TXServer::TransientFor(unsigned long Window) {
  ::Window owner = 0;
  if (!XGetTransientForHint(FDisplay, Window, &owner)) return 0;
  return owner;
}

QRect TXServer::Geometry(unsigned long Window) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(FDisplay, Window, &a)) return QRect();
  int x = 0, y = 0;
  ::Window child = 0;
  XTranslateCoordinates(FDisplay, Window, DefaultRootWindow(FDisplay), 0, 0, &x, &y, &child);
  return QRect(x, y, a.width, a.height);
}

namespace {

::Window FindTitled(Display* D, ::Window W, const std::string& Title) {
  XWindowAttributes a;
  if (XGetWindowAttributes(D, W, &a) && a.map_state == IsViewable && TitleOf(D, W) == Title) return W;
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(D, W, &root, &parent, &children, &count)) return 0;
  ::Window found = 0;
  for (unsigned i = count; i-- > 0 && !found;) found = FindTitled(D, children[i], Title);
  if (children) XFree(children);
  return found;
}

}  // namespace

unsigned long TXServer::WindowTitled(const std::string& TitleUtf8) {
  return FindTitled(FDisplay, DefaultRootWindow(FDisplay), TitleUtf8);
}

double InkShare(const QImage& Image) {
  if (Image.isNull()) return 0;
  int lightest = 0;
  for (int y = 0; y < Image.height(); ++y)
    for (int x = 0; x < Image.width(); ++x) lightest = std::max(lightest, Luma(Image.pixel(x, y)));
  long ink = 0;
  for (int y = 0; y < Image.height(); ++y)
    for (int x = 0; x < Image.width(); ++x)
      if (Luma(Image.pixel(x, y)) < lightest - 96) ++ink;
  return static_cast<double>(ink) / (static_cast<double>(Image.width()) * Image.height());
}

double ShareOf(const QImage& Image, QRgb Colour) {
  if (Image.isNull()) return 0;
  long same = 0;
  for (int y = 0; y < Image.height(); ++y)
    for (int x = 0; x < Image.width(); ++x) {
      const QRgb p = Image.pixel(x, y);
      if (std::abs(qRed(p) - qRed(Colour)) <= 8 && std::abs(qGreen(p) - qGreen(Colour)) <= 8 &&
          std::abs(qBlue(p) - qBlue(Colour)) <= 8)
        ++same;
    }
  return static_cast<double>(same) / (static_cast<double>(Image.width()) * Image.height());
}
