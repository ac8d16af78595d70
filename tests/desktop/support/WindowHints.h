// What a window tells the window manager about itself, read from its X
// properties: the window it stands over (WM_TRANSIENT_FOR), its states
// (_NET_WM_STATE, such as _NET_WM_STATE_MODAL), its kind
// (_NET_WM_WINDOW_TYPE) and the sizes it allows (WM_NORMAL_HINTS). Each call
// opens its own connection to $DISPLAY, so any thread may ask.
#pragma once

#include <QSize>
#include <string>
#include <vector>

struct TWindowHints {
  bool Exists = false;
  unsigned long TransientFor = 0;
  std::vector<std::string> States;  // atom names
  std::vector<std::string> Types;   // atom names
  bool HasMinSize = false, HasMaxSize = false;
  QSize MinSize, MaxSize;

  bool HasState(const std::string& Name) const;
  bool Modal() const { return HasState("_NET_WM_STATE_MODAL"); }
  // Min and max size hints given and equal: the window manager offers no resizing.
  bool FixedSize() const { return HasMinSize && HasMaxSize && MinSize == MaxSize; }
  // A line for a test's message.
  std::string Describe() const;
};

TWindowHints ReadWindowHints(unsigned long Window);

// The least width a window needs for a title bar to show the whole of
// CaptionUtf8: the caption in the bold application font, with room for an
// icon, three buttons and the frame beside it (a stacking window manager's
// title bar shows "Br…e" of "Brask Engine" in 142 pixels). Uses Qt's fonts: call it on the message
// thread.
int TitleBarRoom(const std::string& CaptionUtf8);
