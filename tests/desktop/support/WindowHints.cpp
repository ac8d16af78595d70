#include "tests/desktop/support/WindowHints.h"

// Qt first: Xlib defines macros (Bool, Status, None) that Qt's headers use as names.
#include <QApplication>
#include <QFontMetrics>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace {

std::vector<std::string> AtomList(Display* D, Window W, const char* Property) {
  std::vector<std::string> names;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(D, W, XInternAtom(D, Property, False), 0, 64, False, XA_ATOM, &type, &format, &count, &after,
                         &data) == Success &&
      data && format == 32) {
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < count; ++i) {
      char* name = XGetAtomName(D, atoms[i]);
      if (name) {
        names.emplace_back(name);
        XFree(name);
      }
    }
  }
  if (data) XFree(data);
  return names;
}

}  // namespace

bool TWindowHints::HasState(const std::string& Name) const {
  return std::find(States.begin(), States.end(), Name) != States.end();
}

std::string TWindowHints::Describe() const {
  std::string s = "transient for " + std::to_string(TransientFor) + ", states [";
  for (const std::string& n : States) s += " " + n;
  s += " ], types [";
  for (const std::string& n : Types) s += " " + n;
  s += " ], min ";
  s += HasMinSize ? std::to_string(MinSize.width()) + "x" + std::to_string(MinSize.height()) : "-";
  s += ", max ";
  s += HasMaxSize ? std::to_string(MaxSize.width()) + "x" + std::to_string(MaxSize.height()) : "-";
  return s;
}

TWindowHints ReadWindowHints(unsigned long Window) {
  TWindowHints h;
  Display* d = XOpenDisplay(nullptr);
  if (!d) return h;
  XWindowAttributes a;
  if (XGetWindowAttributes(d, Window, &a)) {
    h.Exists = true;
    ::Window owner = 0;
    if (XGetTransientForHint(d, Window, &owner)) h.TransientFor = owner;
    h.States = AtomList(d, Window, "_NET_WM_STATE");
    h.Types = AtomList(d, Window, "_NET_WM_WINDOW_TYPE");
    XSizeHints size{};
    long supplied = 0;
    if (XGetWMNormalHints(d, Window, &size, &supplied)) {
      if (size.flags & PMinSize) {
        h.HasMinSize = true;
        h.MinSize = QSize(size.min_width, size.min_height);
      }
      if (size.flags & PMaxSize) {
        h.HasMaxSize = true;
        h.MaxSize = QSize(size.max_width, size.max_height);
      }
    }
  }
  XCloseDisplay(d);
  return h;
}

int TitleBarRoom(const std::string& CaptionUtf8) {
  QFont bold = QApplication::font();
  bold.setBold(true);
  return QFontMetrics(bold).horizontalAdvance(QString::fromStdString(CaptionUtf8)) + 112;
}
