// The window as the display shows it. Under CTest this runs on Qt's offscreen
// platform; run it once under a real X server to see a real window:
//   xvfb-run -a env QT_QPA_PLATFORM=xcb BRASK_SCREENSHOT_DIR=/tmp
//     build/release/tests/platform/toolkit/toolkit_tests --gtest_filter='Screen.*'
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/toolkit/Forms.h"
#include "platform/toolkit/TestDriver.h"
#include "platform/win/Window.h"

namespace {

class TStripes : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void Paint() override {
    const TColor colours[] = {clRed, clLime, clBlue, clYellow};
    for (int i = 0; i < 4; ++i) {
      Canvas()->Brush()->SetColor(colours[i]);
      Canvas()->FillRect(Rect(i * Width() / 4, 0, (i + 1) * Width() / 4, Height() / 2));
    }
    Canvas()->Pen()->SetColor(clBlack);
    Canvas()->MoveTo(0, Height() - 1);
    Canvas()->LineTo(Width(), Height() - 1);
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->Font()->SetColor(clBlack);
    Canvas()->TextOut(8, Height() / 2 + 8, "Brask \xA3\xF3\x64\x9F");  // windows-1250 text
  }
};

std::string ScreenshotDir() {
  const char* dir = std::getenv("BRASK_SCREENSHOT_DIR");
  return dir ? std::string(dir) : ::testing::TempDir();
}

}  // namespace

TEST(Screen, AWindowShowsWhatItsControlsPaintAndPresent) {
  TApplication app;
  TTestDriver driver;
  app.SetTitle("Brask Engine");
  TForm* form = nullptr;
  app.CreateForm(form);
  form->SetCaption("Korvel");
  form->SetBorderStyle(bsSingle);
  form->SetPosition(poScreenCenter);
  form->SetClientWidth(320);
  form->SetClientHeight(200);
  form->SetColor(clWhite);
  auto* stripes = new TStripes(form);
  stripes->SetParent(form);
  stripes->SetBounds(0, 0, 320, 100);
  stripes->SetColor(clSilver);
  auto* view = new TCustomControl(form);
  view->SetParent(form);
  view->SetBounds(20, 120, 64, 64);
  form->Show();
  // A frame presented the way the drawing control presents its back surface.
  std::vector<DWORD> frame(64 * 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      frame[static_cast<size_t>(y * 64 + x)] = ((x / 8 + y / 8) % 2) ? 0x00FF00FFu : 0x00000080u;
  WindowBackend()->PresentPixels(view->Handle(), RECT{0, 0, 64, 64}, frame.data(), 64 * 4);
  driver.Pump(20);

  TPixels px = driver.ReadPixels(form);
  ASSERT_EQ(px.Width, 320);
  ASSERT_EQ(px.Height, 200);
  EXPECT_EQ(px.At(10, 10), 0xFF0000u);
  EXPECT_EQ(px.At(90, 10), 0x00FF00u);
  EXPECT_EQ(px.At(170, 10), 0x0000FFu);
  EXPECT_EQ(px.At(250, 10), 0xFFFF00u);
  EXPECT_EQ(px.At(160, 99), 0x000000u);
  EXPECT_EQ(px.At(20, 120), 0x000080u);
  EXPECT_EQ(px.At(28, 120), 0xFF00FFu);
  EXPECT_EQ(px.At(200, 150), 0xFFFFFFu);
  // Some text was drawn in the lower half of the stripes.
  int dark = 0;
  for (int y = 50; y < 99; ++y)
    for (int x = 0; x < 120; ++x) dark += px.At(x, y) == 0 ? 1 : 0;
  EXPECT_GT(dark, 10);

  const std::string path = ScreenshotDir() + "/toolkit_window.png";
  ASSERT_TRUE(driver.SaveScreenshot(form, path));
  QImage saved(QString::fromStdString(path));
  ASSERT_FALSE(saved.isNull());
  EXPECT_EQ(saved.size(), QSize(320, 200));
  EXPECT_EQ(saved.pixel(10, 10) & 0xFFFFFFu, 0xFF0000u);

  // What the display itself shows of the window.
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  QImage shown = screen->grabWindow(form->Widget()->winId()).toImage().convertToFormat(QImage::Format_RGB32);
  const std::string shownPath = ScreenshotDir() + "/toolkit_screen.png";
  shown.save(QString::fromStdString(shownPath), "PNG");
  ASSERT_GE(shown.width(), 320);
  ASSERT_GE(shown.height(), 200);
  EXPECT_EQ(shown.pixel(10, 10) & 0xFFFFFFu, 0xFF0000u);
  EXPECT_EQ(shown.pixel(28, 120) & 0xFFFFFFu, 0xFF00FFu);
  std::printf("window %s, screen %s (%s)\n", path.c_str(), shownPath.c_str(),
              QGuiApplication::platformName().toStdString().c_str());
}
