// What the X server shows of a drawing control after a flip is its back
// surface, pixel for pixel: on every display format, with a panel lying
// over part of the control (so that the window repaints a region of several
// rectangles), and again after the surface changed, the window moved or lay
// partly off the screen, the screen's surfaces were lost or released and
// made again. A window may show the screen surface's pixels where they lie;
// it must keep showing the last frame whatever happens to that surface, and
// never read it once it is gone. The pixels are read back from the server (a
// virtual display this program starts).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <spawn.h>

#include "display/DXDraw.h"
#include "display/DirectDrawSurface.h"
#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/DDrawEmulation.h"
#include "platform/ddraw/PixelFormat.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/Menus.h"
#include "platform/toolkit/QtBridge.h"
#include "platform/toolkit/TestDriver.h"

extern char** environ;

namespace {

bool gDisplay = false;

// The whole screen as the server shows it, once it has done what was asked.
QImage ServerScreen() {
  QGuiApplication::sync();
  return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

struct TFormatCase {
  const char* Name;
  DWORD Bits;
  bool Rgb555;
};

class WindowOnAServer : public ::testing::TestWithParam<TFormatCase> {
 protected:
  void SetUp() override {
    if (!gDisplay) GTEST_SKIP() << "no virtual display (Xvfb) to show the window on";
    RegisterDDrawModules();
    ResetDDrawEmulation();
    ASSERT_TRUE(SetEmulatedDisplayFormat(GetParam().Bits, GetParam().Rgb555));
    App = std::make_unique<TApplication>();
    Driver = std::make_unique<TTestDriver>();
    App->CreateForm(Form);
    Form->SetBounds(40, 30, 320, 200);
    Form->SetClientWidth(320);
    Form->SetClientHeight(200);
    Draw = new TDXDraw(Form);
    Draw->BeginLoading();
    Draw->SetName("DXDraw1");
    Draw->SetParent(Form);
    Draw->SetBounds(0, 0, 320, 200);
    Draw->SetAutoSize(true);
    Draw->Loaded();
    Panel = new TPanel(Form);
    Panel->SetParent(Form);
    Panel->SetBounds(240, 20, 60, 100);
    Form->Show();
    Driver->Pump(20);
  }
  void TearDown() override {
    Driver.reset();
    App.reset();
    ResetDDrawEmulation();
  }

  // Fills the back surface with a pattern of pixel values (Seed varies it)
  // and flips.
  void DrawAndFlip(unsigned Seed) {
    TDirectDrawSurface* back = Draw->Surface();
    DDSURFACEDESC d;
    ASSERT_TRUE(back->Lock(nullptr, d));
    TDDrawPixelFormat format;
    ASSERT_TRUE(TDDrawPixelFormat::FromDescription(d.ddpfPixelFormat, format));
    const TDDrawPixels pixels{static_cast<BYTE*>(d.lpSurface), d.lPitch, static_cast<LONG>(d.dwWidth),
                              static_cast<LONG>(d.dwHeight), format};
    for (LONG y = 0; y < pixels.Height; ++y)
      for (LONG x = 0; x < pixels.Width; ++x) {
        Seed = Seed * 1103515245u + 12345u;
        PutPixelValue(pixels, x, y, (Seed >> 8) & format.ValueMask());
      }
    back->Unlock();
    Draw->Flip();
    Driver->Pump(5);
  }

  // Counts the control's pixels outside the panel that the server shows
  // other than the screen (the primary surface) holds; for direct formats
  // the screen must also hold the back surface's colours.
  void ExpectServerShowsTheSurface() {
    QGuiApplication::sync();
    QWidget* top = Form->Widget();
    const QImage shown =
        QGuiApplication::primaryScreen()->grabWindow(top->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint at = Draw->Widget()->mapTo(top, QPoint(0, 0));
    TDirectDrawSurface* back = Draw->Surface();
    DDSURFACEDESC d;
    ASSERT_TRUE(back->Lock(nullptr, d));
    TDDrawPixelFormat format;
    ASSERT_TRUE(TDDrawPixelFormat::FromDescription(d.ddpfPixelFormat, format));
    const TDDrawPixels pixels{static_cast<BYTE*>(d.lpSurface), d.lPitch, static_cast<LONG>(d.dwWidth),
                              static_cast<LONG>(d.dwHeight), format};
    int wrong = 0, compared = 0;
    std::string first;
    for (LONG y = 0; y < 200; ++y)
      for (LONG x = 0; x < 320; ++x) {
        if (x >= 240 && x < 300 && y >= 20 && y < 120) continue;  // under the panel
        const POINT s = Draw->ClientToScreen(POINT{x, y});
        const DWORD screen = EmulatedScreenPixel(s.x, s.y);
        const DWORD server = shown.pixel(at.x() + x, at.y() + y) & 0xFFFFFF;
        const bool direct = !format.Indexed;
        const DWORD colour = direct ? PixelToXrgb(GetPixelValue(pixels, x, y), format, nullptr, 0) : screen;
        ++compared;
        if (server != screen || colour != screen) {
          if (!wrong++)
            first = std::string("(").append(std::to_string(x)) + ", " + std::to_string(y) + "): server " +
                    std::to_string(server) + ", screen " + std::to_string(screen) + ", surface " +
                    std::to_string(colour);
        }
      }
    back->Unlock();
    EXPECT_EQ(compared, 320 * 200 - 60 * 100);
    EXPECT_EQ(wrong, 0) << "first at " << first;
  }

  // A colour no pixel has: the frame's colour there is not known.
  static constexpr DWORD Unknown = 0xFFFFFFFFu;
  static constexpr int W = 320, H = 200;

  // The colours a frame shows, as 32-bit XRGB, row by row: the back
  // surface's for direct formats; through a palette, the screen's where the
  // control lies on it (else Unknown).
  std::vector<DWORD> FrameColours() {
    std::vector<DWORD> out(W * H, Unknown);
    TDirectDrawSurface* back = Draw->Surface();
    DDSURFACEDESC d;
    EXPECT_TRUE(back->Lock(nullptr, d));
    TDDrawPixelFormat format;
    EXPECT_TRUE(TDDrawPixelFormat::FromDescription(d.ddpfPixelFormat, format));
    const TDDrawPixels pixels{static_cast<BYTE*>(d.lpSurface), d.lPitch, static_cast<LONG>(d.dwWidth),
                              static_cast<LONG>(d.dwHeight), format};
    for (LONG y = 0; y < H; ++y)
      for (LONG x = 0; x < W; ++x) {
        const POINT s = Draw->ClientToScreen(POINT{x, y});
        const bool onScreen = s.x >= 0 && s.y >= 0 && s.x < 1024 && s.y < 768;
        if (!format.Indexed)
          out[y * W + x] = PixelToXrgb(GetPixelValue(pixels, x, y), format, nullptr, 0);
        else if (onScreen)
          out[y * W + x] = EmulatedScreenPixel(s.x, s.y);
      }
    back->Unlock();
    return out;
  }

  // The control's pixels that the server shows other than Frame: those on
  // the screen and outside the panel, after the control repainted itself
  // from whatever it shows now (its own pixels or the screen surface's).
  int ServerDiffers(const std::vector<DWORD>& Frame, int& Compared) {
    Draw->Widget()->repaint();
    const QImage screen = ServerScreen();
    int wrong = 0;
    Compared = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        if (x >= 240 && x < 300 && y >= 20 && y < 120) continue;  // under the panel
        const QPoint s = Draw->Widget()->mapToGlobal(QPoint(x, y));
        if (!screen.rect().contains(s) || Frame[y * W + x] == Unknown) continue;
        ++Compared;
        if ((screen.pixel(s) & 0xFFFFFF) != Frame[y * W + x]) ++wrong;
      }
    return wrong;
  }

  // The control's pixels, the part under the panel included, that the
  // window's own account of what it shows (the image tests compare) holds
  // other than Frame; Part limits the count to the pixels on the screen
  // (1), off it (-1) or takes all (0).
  int WindowDiffers(const std::vector<DWORD>& Frame, int Part = 0) {
    const QImage shown = ComposeWindowImage(Draw->Widget());
    EXPECT_EQ(shown.size(), QSize(W, H));
    if (shown.size() != QSize(W, H)) return W * H;
    int wrong = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        const QPoint s = Draw->Widget()->mapToGlobal(QPoint(x, y));
        const bool onScreen = s.x() >= 0 && s.y() >= 0 && s.x() < 1024 && s.y() < 768;
        if ((Part > 0 && !onScreen) || (Part < 0 && onScreen) || Frame[y * W + x] == Unknown) continue;
        if ((shown.pixel(x, y) & 0xFFFFFF) != Frame[y * W + x]) ++wrong;
      }
    return wrong;
  }

  // The server and the window's image show Frame (all of the control that
  // lies on the screen outside the panel must be compared).
  void ExpectShown(const std::vector<DWORD>& Frame, const char* When) {
    int compared = 0;
    EXPECT_EQ(ServerDiffers(Frame, compared), 0) << When;
    EXPECT_GT(compared, 0) << When;
    EXPECT_EQ(WindowDiffers(Frame, 1), 0) << When;
  }

  // A frame drawn and flipped (Seed varies it), and the server and the
  // window's image showing it; its colours.
  std::vector<DWORD> FlipAndExpectShown(unsigned Seed, const char* When) {
    DrawAndFlip(Seed);
    std::vector<DWORD> frame = FrameColours();
    ExpectShown(frame, When);
    return frame;
  }

  // A frame drawn and flipped, the server showing the screen surface, and
  // the window's image all of the frame; its colours.
  std::vector<DWORD> FlipAndExpectAllShown(unsigned Seed, const char* When = "") {
    DrawAndFlip(Seed);
    ExpectServerShowsTheSurface();
    std::vector<DWORD> frame = FrameColours();
    EXPECT_EQ(WindowDiffers(frame), 0) << When;
    return frame;
  }

  void MoveForm(int Left, int Top) {
    Form->SetBounds(Left, Top, Form->Width(), Form->Height());
    Driver->Pump(20);
    QGuiApplication::sync();
    Driver->Pump(5);
  }

  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;
  TForm* Form = nullptr;
  TDXDraw* Draw = nullptr;
  TPanel* Panel = nullptr;
};

TEST_P(WindowOnAServer, ShowsTheBackSurfaceExactlyAfterEachFlip) {
  ASSERT_TRUE(Draw->Initialized());
  DrawAndFlip(1);
  ExpectServerShowsTheSurface();
  DrawAndFlip(2);
  ExpectServerShowsTheSurface();
}

TEST_P(WindowOnAServer, KeepsTheLastFrameWhenMovedAndShowsTheNextWhereItGoes) {
  ASSERT_TRUE(Draw->Initialized());
  const std::vector<DWORD> first = FlipAndExpectShown(1, "the first frame");
  // Moved by less than its size, the window's new place overlaps the old one.
  MoveForm(40 + 37, 30 + 23);
  ExpectShown(first, "after the move, before a flip");
  FlipAndExpectShown(2, "the frame after the move");
  ExpectServerShowsTheSurface();
  EXPECT_EQ(WindowDiffers(FrameColours()), 0);
}

TEST_P(WindowOnAServer, PartlyOffTheScreenShowsWhatLiesOnItAndKeepsTheRest) {
  ASSERT_TRUE(Draw->Initialized());
  const std::vector<DWORD> first = FlipAndExpectShown(1, "the first frame");
  // A hundred pixels of the control lie left of the screen: a flip reaches
  // only the part on the screen, the rest keeps the first frame.
  MoveForm(-100, 30);
  FlipAndExpectShown(2, "the frame partly off the screen");
  EXPECT_EQ(WindowDiffers(first, -1), 0) << "the part off the screen keeps the first frame";
  // Then right off the bottom right corner.
  MoveForm(1024 - 200, 768 - 100);
  FlipAndExpectShown(3, "the frame off the bottom right");
  // And back on the screen as a whole.
  MoveForm(40, 30);
  FlipAndExpectAllShown(4);
}

TEST_P(WindowOnAServer, KeepsTheLastFrameWhenTheSurfacesAreReleasedOrLost) {
  ASSERT_TRUE(Draw->Initialized());
  const std::vector<DWORD> first = FlipAndExpectShown(1, "the first frame");
  // Released: the screen surface's memory goes; the window keeps its frame.
  Draw->Finalize();
  ASSERT_FALSE(Draw->Initialized());
  EXPECT_EQ(WindowDiffers(first), 0) << "after the surfaces were released";
  Draw->Widget()->repaint();
  QGuiApplication::sync();
  Draw->Initialize();
  ASSERT_TRUE(Draw->Initialized());
  const std::vector<DWORD> second = FlipAndExpectAllShown(2, "after the surfaces were made again");
  // Lost (another program took the display, or the display mode changed):
  // the window shows the last frame until the surfaces are restored.
  LoseEmulatedSurfaces(true);
  EXPECT_EQ(WindowDiffers(second), 0) << "with the surfaces lost";
  int compared = 0;
  EXPECT_EQ(ServerDiffers(second, compared), 0) << "with the surfaces lost";
  ASSERT_TRUE(Draw->CanDraw());  // restores them
  FlipAndExpectAllShown(3, "after the surfaces were restored");
}

TEST_P(WindowOnAServer, DrawingOnTheControlsCanvasShowsOverTheLastFrame) {
  ASSERT_TRUE(Draw->Initialized());
  DrawAndFlip(1);
  std::vector<DWORD> frame = FrameColours();
  // The window draws on its own pixels: the frame stays under the drawing.
  TCanvas* canvas = Draw->Canvas();
  canvas->Brush()->SetColor(static_cast<TColor>(0x00336699));
  canvas->FillRect(TRect{10, 10, 50, 40});
  for (int y = 10; y < 40; ++y)
    for (int x = 10; x < 50; ++x) frame[y * W + x] = 0x996633;
  EXPECT_EQ(WindowDiffers(frame), 0);
  int compared = 0;
  EXPECT_EQ(ServerDiffers(frame, compared), 0);
  FlipAndExpectAllShown(2);
}

INSTANTIATE_TEST_SUITE_P(Formats, WindowOnAServer,
                         ::testing::Values(TFormatCase{"xrgb32", 32, false}, TFormatCase{"rgb24", 24, false},
                                           TFormatCase{"rgb565", 16, false}, TFormatCase{"rgb555", 16, true},
                                           TFormatCase{"indexed8", 8, false}),
                         [](const auto& info) { return std::string(info.param.Name); });

// One screen surface presented to two windows in turn, through the plain
// interfaces: each window keeps showing what was presented to it, though
// the other one's pixels are written over the same place of the screen; a
// window that goes before the surface, and a surface that goes before the
// window, leave nothing behind that is read later.
class ScreenSurfaceOnAServer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gDisplay) GTEST_SKIP() << "no virtual display (Xvfb) to show the window on";
    RegisterDDrawModules();
    ResetDDrawEmulation();
    App = std::make_unique<TApplication>();
    Driver = std::make_unique<TTestDriver>();
    App->CreateForm(Form);
    Form->SetBounds(40, 30, 320, 200);
    Form->SetClientWidth(320);
    Form->SetClientHeight(200);
    for (int i = 0; i < 2; ++i) {
      Panels[i] = new TPanel(Form);
      Panels[i]->SetParent(Form);
      Panels[i]->SetBounds(20 + 60 * i, 20 + 40 * i, 160, 100);
    }
    Form->Show();
    Driver->Pump(20);
    ASSERT_EQ(DirectDrawCreate(nullptr, &DD, nullptr), DD_OK);
    ASSERT_EQ(DD->SetCooperativeLevel(Form->Handle(), DDSCL_NORMAL), DD_OK);
    DDSURFACEDESC desc;
    desc.dwSize = 108;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    ASSERT_EQ(DD->CreateSurface(&desc, &Primary, nullptr), DD_OK);
    for (int i = 0; i < 2; ++i) {
      ASSERT_EQ(DD->CreateClipper(0, &Clippers[i], nullptr), DD_OK);
      ASSERT_EQ(Clippers[i]->SetHWnd(0, Panels[i]->Handle()), DD_OK);
    }
  }
  void TearDown() override {
    if (Primary) Primary->Release();
    for (IDirectDrawClipper* c : Clippers)
      if (c) c->Release();
    if (DD) DD->Release();
    Driver.reset();
    App.reset();
    ResetDDrawEmulation();
  }

  // Fills all of panel I's place on the screen with Colour, through its clipper.
  void FillThrough(int I, DWORD Colour) {
    ASSERT_EQ(Primary->SetClipper(Clippers[I]), DD_OK);
    DDBLTFX fx;
    fx.dwSize = 100;
    fx.dwFillColor = Colour;
    ASSERT_EQ(Primary->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    Driver->Pump(2);
  }

  // The pixels of panel I's image that are not Colour.
  int ImageDiffers(int I, DWORD Colour) {
    const QImage shown = ComposeWindowImage(Panels[I]->Widget());
    if (shown.size() != QSize(160, 100)) return 160 * 100;
    int wrong = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 160; ++x) wrong += (shown.pixel(x, y) & 0xFFFFFF) != Colour;
    return wrong;
  }

  std::unique_ptr<TApplication> App;
  std::unique_ptr<TTestDriver> Driver;
  TForm* Form = nullptr;
  TPanel* Panels[2] = {};
  IDirectDraw* DD = nullptr;
  IDirectDrawSurface* Primary = nullptr;
  IDirectDrawClipper* Clippers[2] = {};
};

TEST_F(ScreenSurfaceOnAServer, EachWindowKeepsWhatWasPresentedToIt) {
  FillThrough(0, 0x00123456);
  EXPECT_EQ(ImageDiffers(0, 0x123456), 0);
  // The second panel overlaps the first on the screen: its pixels go over
  // part of the first one's place.
  FillThrough(1, 0x00ABCDEF);
  EXPECT_EQ(ImageDiffers(1, 0xABCDEF), 0);
  Panels[0]->Widget()->repaint();
  EXPECT_EQ(ImageDiffers(0, 0x123456), 0) << "the first window shows what was presented to it";
  FillThrough(0, 0x00654321);
  EXPECT_EQ(ImageDiffers(0, 0x654321), 0);
  EXPECT_EQ(ImageDiffers(1, 0xABCDEF), 0) << "the second window shows what was presented to it";
  // Read back from the server: the first panel lies under the second.
  const QImage screen = ServerScreen();
  const QPoint first = Panels[0]->Widget()->mapToGlobal(QPoint(10, 10));
  const QPoint second = Panels[1]->Widget()->mapToGlobal(QPoint(150, 90));
  EXPECT_EQ(screen.pixel(first) & 0xFFFFFF, 0x654321u);
  EXPECT_EQ(screen.pixel(second) & 0xFFFFFF, 0xABCDEFu);
}

TEST_F(ScreenSurfaceOnAServer, AWindowThatGoesFirstAndASurfaceThatGoesFirstLeaveNothingBehind) {
  FillThrough(0, 0x00123456);
  FillThrough(1, 0x00ABCDEF);
  // The first panel's window goes while the surface lives on.
  delete Panels[0];
  Panels[0] = nullptr;
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  FillThrough(1, 0x00FEDCBA);
  DDSURFACEDESC desc;
  desc.dwSize = 108;
  ASSERT_EQ(Primary->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  ASSERT_EQ(Primary->Unlock(desc.lpSurface), DD_OK);
  // Then the surface goes while the second panel's window lives on: it keeps
  // its last pixels.
  Primary->Release();
  Primary = nullptr;
  Panels[1]->Widget()->repaint();
  EXPECT_EQ(ImageDiffers(1, 0xFEDCBA), 0);
}

TEST_F(ScreenSurfaceOnAServer, AFormWithAMenuShowsAllThatWasPresentedBelowTheBar) {
  auto* menu = new TMainMenu(Form);
  auto* item = new TMenuItem(Form);
  item->SetCaption("&Plik");
  menu->Items()->Add(item);
  Form->SetMenu(menu);
  Driver->Pump(20);
  ASSERT_GT(Form->ClientToScreen(POINT{0, 0}).y - Form->Widget()->mapToGlobal(QPoint(0, 0)).y(), 0)
      << "the client area starts below the bar";
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(DD->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, Form->Handle()), DD_OK);
  ASSERT_EQ(Primary->SetClipper(clipper), DD_OK);
  for (DWORD colour : {0x00123456u, 0x00ABCDEFu}) {
    DDBLTFX fx;
    fx.dwSize = 100;
    fx.dwFillColor = colour;
    ASSERT_EQ(Primary->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    Driver->Pump(2);
    const QImage screen = ServerScreen();
    // The client area's rows, the last ones included, left of the panels.
    const int height = Form->ClientHeight();
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
      const POINT s = Form->ClientToScreen(POINT{5, y});
      wrong += (screen.pixel(s.x, s.y) & 0xFFFFFF) != colour;
    }
    EXPECT_EQ(wrong, 0) << "of " << height << " rows, filled with " << colour;
  }
  Primary->SetClipper(nullptr);
  clipper->Release();
}

// A virtual display of its own, for the life of the program.
pid_t StartServer(std::string& name) {
  for (int n = 340; n < 400; ++n) {
    const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
    const std::string socket = std::string("/tmp/.X11-unix/X").append(std::to_string(n));
    if (access(lock.c_str(), F_OK) == 0 || access(socket.c_str(), F_OK) == 0) continue;
    name = std::string(":").append(std::to_string(n));
    std::string screenArg = "1024x768x24";
    const char* argv[] = {"Xvfb", name.c_str(), "-screen", "0", screenArg.c_str(), "-nolisten", "tcp", nullptr};
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, "Xvfb", &files, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&files);
    if (failed) return 0;
    for (int i = 0; i < 100; ++i) {
      if (access(socket.c_str(), F_OK) == 0) return pid;
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) break;  // it stopped: try the next number
      usleep(50000);
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::string name;
  const pid_t server = StartServer(name);
  if (server) {
    setenv("DISPLAY", name.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    gDisplay = true;
  }
  const int result = RUN_ALL_TESTS();
  if (server) {
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
  }
  return result;
}
