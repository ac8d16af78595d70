// Shared pieces of the DirectDraw stand-in's tests: a window backend that
// records what is presented, a fixture with a fresh emulated display, and
// helpers that paint and read surfaces through Lock.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/DDrawEmulation.h"
#include "platform/ddraw/PixelFormat.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"

// Windows are client areas at fixed screen places; presented pixels land in
// a per-window buffer of the client's size.
class TFakeWindowBackend : public TWindowBackend {
 public:
  struct TWindow {
    LONG Left = 0, Top = 0, Width = 0, Height = 0;
    std::vector<DWORD> Pixels;
    int Presents = 0;
    std::vector<RECT> Rects;
  };

  LONG ScreenWidth = 1024;
  LONG ScreenHeight = 768;
  std::map<HWND, TWindow> Windows;

  HWND AddWindow(LONG left, LONG top, LONG width, LONG height) {
    HWND h = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x100 + Windows.size()));
    TWindow w;
    w.Left = left;
    w.Top = top;
    w.Width = width;
    w.Height = height;
    w.Pixels.assign(static_cast<size_t>(width) * height, 0xDEADBEEF);
    Windows[h] = w;
    return h;
  }
  DWORD Pixel(HWND h, LONG x, LONG y) {
    return Windows.at(h).Pixels.at(static_cast<size_t>(y) * Windows.at(h).Width + x);
  }

  bool IsWindow(HWND h) override { return Windows.count(h) != 0; }
  bool GetClientRect(HWND h, RECT* r) override {
    auto it = Windows.find(h);
    if (it == Windows.end()) return false;
    *r = RECT{0, 0, it->second.Width, it->second.Height};
    return true;
  }
  bool ClientToScreen(HWND h, POINT* p) override {
    auto it = Windows.find(h);
    if (it == Windows.end()) return false;
    p->x += it->second.Left;
    p->y += it->second.Top;
    return true;
  }
  bool ScreenToClient(HWND h, POINT* p) override {
    auto it = Windows.find(h);
    if (it == Windows.end()) return false;
    p->x -= it->second.Left;
    p->y -= it->second.Top;
    return true;
  }
  HWND GetForegroundWindow() override { return nullptr; }
  HWND GetActiveWindow() override { return nullptr; }
  bool GetCursorPos(POINT*) override { return false; }
  int ShowCursor(bool) override { return 0; }
  void GetScreenSize(LONG* w, LONG* h) override {
    *w = ScreenWidth;
    *h = ScreenHeight;
  }
  void PresentPixels(HWND h, const RECT& r, const void* bits, LONG pitch) override {
    TWindow& w = Windows.at(h);
    ++w.Presents;
    w.Rects.push_back(r);
    // A fault in the caller must show as a failure, not as memory damage.
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= w.Width && r.bottom <= w.Height && r.left < r.right &&
                r.top < r.bottom);
    if (!(r.left >= 0 && r.top >= 0 && r.right <= w.Width && r.bottom <= w.Height)) return;
    for (LONG y = r.top; y < r.bottom; ++y) {
      const auto* row = reinterpret_cast<const BYTE*>(bits) + static_cast<std::ptrdiff_t>(y - r.top) * pitch;
      for (LONG x = r.left; x < r.right; ++x) {
        DWORD v;
        std::memcpy(&v, row + 4 * (x - r.left), 4);
        w.Pixels[static_cast<size_t>(y) * w.Width + x] = v;
      }
    }
  }
  int MessageBox(HWND, const char*, const char*, UINT) override { return 0; }
};

class DDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetWindowBackend(&Backend);
    ResetDDrawEmulation();
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&DD), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_EQ(DD->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
  }
  void TearDown() override {
    if (DD) DD->Release();
    ResetDDrawEmulation();
    SetWindowBackend(nullptr);
    UseRealClock();
  }

  IDirectDrawSurface7* Make(LONG width, LONG height, const TDDrawPixelFormat& format,
                            DWORD caps = DDSCAPS_OFFSCREENPLAIN) {
    DDSURFACEDESC2 d;
    d.dwSize = 124;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = static_cast<DWORD>(width);
    d.dwHeight = static_cast<DWORD>(height);
    d.ddsCaps.dwCaps = caps;
    format.Describe(d.ddpfPixelFormat);
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(DD->CreateSurface(&d, &s, nullptr), DD_OK);
    return s;
  }

  IDirectDrawSurface7* MakePrimary() {
    DDSURFACEDESC2 d;
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(DD->CreateSurface(&d, &s, nullptr), DD_OK);
    return s;
  }

  // Writes rows of pixel values (row by row) through a lock.
  static void Put(IDirectDrawSurface7* s, const std::vector<std::vector<DWORD>>& rows, LONG x0 = 0, LONG y0 = 0) {
    DDSURFACEDESC2 d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    TDDrawPixels p = View(d);
    for (size_t y = 0; y < rows.size(); ++y)
      for (size_t x = 0; x < rows[y].size(); ++x)
        PutPixelValue(p, x0 + static_cast<LONG>(x), y0 + static_cast<LONG>(y), rows[y][x]);
    ASSERT_EQ(s->Unlock(static_cast<RECT*>(nullptr)), DD_OK);
  }

  static void FillAll(IDirectDrawSurface7* s, DWORD value) {
    DDBLTFX fx;
    fx.dwSize = 100;
    fx.dwFillColor = value;
    ASSERT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  }

  static std::vector<std::vector<DWORD>> Get(IDirectDrawSurface7* s) {
    DDSURFACEDESC2 d;
    std::vector<std::vector<DWORD>> rows;
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    if (!d.lpSurface) return rows;
    TDDrawPixels p = View(d);
    for (LONG y = 0; y < p.Height; ++y) {
      rows.emplace_back();
      for (LONG x = 0; x < p.Width; ++x) rows.back().push_back(GetPixelValue(p, x, y));
    }
    EXPECT_EQ(s->Unlock(static_cast<RECT*>(nullptr)), DD_OK);
    return rows;
  }

  static TDDrawPixels View(const DDSURFACEDESC2& d) {
    TDDrawPixels p;
    p.Bits = static_cast<BYTE*>(d.lpSurface);
    p.Pitch = d.lPitch;
    p.Width = static_cast<LONG>(d.dwWidth);
    p.Height = static_cast<LONG>(d.dwHeight);
    EXPECT_TRUE(TDDrawPixelFormat::FromDescription(d.ddpfPixelFormat, p.Format));
    return p;
  }

  TFakeWindowBackend Backend;
  IDirectDraw7* DD = nullptr;
};
