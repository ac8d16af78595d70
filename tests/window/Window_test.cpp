// What the X server shows of a drawing control after a flip is its back
// surface, pixel for pixel: on every display format, with a panel lying
// over part of the control (so that the window repaints a region of several
// rectangles), and again after the surface changed. The pixels are read
// back from the server (a virtual display this program starts).
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include <spawn.h>

#include "display/DXDraw.h"
#include "display/DirectDrawSurface.h"
#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/DDrawEmulation.h"
#include "platform/ddraw/PixelFormat.h"
#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/TestDriver.h"

extern char** environ;

namespace {

bool gDisplay = false;

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

INSTANTIATE_TEST_SUITE_P(Formats, WindowOnAServer,
                         ::testing::Values(TFormatCase{"xrgb32", 32, false}, TFormatCase{"rgb24", 24, false},
                                           TFormatCase{"rgb565", 16, false}, TFormatCase{"rgb555", 16, true},
                                           TFormatCase{"indexed8", 8, false}),
                         [](const auto& info) { return std::string(info.param.Name); });

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
