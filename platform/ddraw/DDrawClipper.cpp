#include "platform/ddraw/DDrawClipper.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/win/Window.h"

HRESULT TDDrawClipper::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDirectDrawClipper) {
    AddRef();
    *object = static_cast<IDirectDrawClipper*>(this);
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT TDDrawClipper::GetHWnd(HWND* hWnd) {
  if (!hWnd) return DDERR_INVALIDPARAMS;
  *hWnd = FWindow;
  return DD_OK;
}

HRESULT TDDrawClipper::SetHWnd(DWORD flags, HWND hWnd) {
  if (flags != 0) return DDERR_INVALIDPARAMS;
  FWindow = hWnd;
  return DD_OK;
}

bool TDDrawClipper::ClipRect(RECT& rect) const {
  if (!FWindow) return false;
  rect = RECT{};
  RECT client;
  POINT origin{0, 0};
  if (!::GetClientRect(FWindow, &client) || !::ClientToScreen(FWindow, &origin)) return true;
  rect = RECT{origin.x + client.left, origin.y + client.top, origin.x + client.right, origin.y + client.bottom};
  if (rect.left >= rect.right || rect.top >= rect.bottom) rect = RECT{};
  return true;
}

HRESULT TDDrawClipper::GetClipList(RECT* clip, RGNDATA* clipList, DWORD* size) {
  if (!size) return DDERR_INVALIDPARAMS;
  RECT r;
  if (!ClipRect(r)) return DDERR_NOCLIPLIST;
  if (clip) {
    RECT c{std::max(r.left, clip->left), std::max(r.top, clip->top), std::min(r.right, clip->right),
           std::min(r.bottom, clip->bottom)};
    r = (c.left < c.right && c.top < c.bottom) ? c : RECT{};
  }
  DWORD count = (r.left < r.right && r.top < r.bottom) ? 1 : 0;
  DWORD needed = static_cast<DWORD>(offsetof(RGNDATA, Buffer) + count * sizeof(RECT));
  if (!clipList) {
    *size = needed;
    return DD_OK;
  }
  if (*size < needed) {
    *size = needed;
    return DDERR_REGIONTOOSMALL;
  }
  clipList->rdh.dwSize = sizeof(RGNDATAHEADER);
  clipList->rdh.iType = RDH_RECTANGLES;
  clipList->rdh.nCount = count;
  clipList->rdh.nRgnSize = count * sizeof(RECT);
  clipList->rdh.rcBound = r;
  if (count) std::memcpy(clipList->Buffer, &r, sizeof(RECT));
  *size = needed;
  return DD_OK;
}
