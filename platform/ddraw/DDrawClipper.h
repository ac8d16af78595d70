// The clipper object: bound to a window, it clips blits to that window's
// client area in screen coordinates.
#pragma once

#include "platform/ddraw/DDraw.h"

class TDDrawClipper : public IDirectDrawClipper {
 public:
  TDDrawClipper() = default;

  HRESULT QueryInterface(REFIID iid, void** object) override;
  BRASK_REFCOUNT_METHODS
  HRESULT GetClipList(RECT* clip, RGNDATA* clipList, DWORD* size) override;
  HRESULT GetHWnd(HWND* hWnd) override;
  HRESULT SetHWnd(DWORD flags, HWND hWnd) override;

  HWND Window() const { return FWindow; }
  // The clip rectangle in screen coordinates: the window's client area, empty
  // when the window does not exist. False when no window is bound.
  bool ClipRect(RECT& rect) const;

 private:
  TRefCounted FRef;
  HWND FWindow = nullptr;
};
