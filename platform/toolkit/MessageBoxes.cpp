// Message boxes: the Qt box for a MessageBox call, the answer a clicked
// button gives, and the answer of a box closed without a choice, in the
// window system's terms (MB_* flags, ID* answers from platform/win/Window.h).
#include "platform/toolkit/MessageBoxes.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <algorithm>

#include "platform/toolkit/QtBridge.h"
#include "platform/win/Window.h"

void PrepareMessageBox(QMessageBox& Box, const std::string& Text, const std::string& Caption, UINT Type) {
  Box.setWindowTitle(ToQString(Caption));
  Box.setText(ToQString(Text));
  switch (Type & MB_ICONMASK) {
    case MB_ICONERROR: Box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: Box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: Box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: Box.setIcon(QMessageBox::Information); break;
    default: Box.setIcon(QMessageBox::NoIcon); break;
  }
  QMessageBox::StandardButtons buttons;
  switch (Type & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case MB_ABORTRETRYIGNORE: buttons = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore; break;
    case MB_YESNOCANCEL: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case MB_YESNO: buttons = QMessageBox::Yes | QMessageBox::No; break;
    case MB_RETRYCANCEL: buttons = QMessageBox::Retry | QMessageBox::Cancel; break;
    default: buttons = QMessageBox::Ok; break;
  }
  Box.setStandardButtons(buttons);
  // The box sizes itself to its text and buttons; a strut as wide as the
  // title needs keeps the window manager from cutting the caption short.
  // (Setting the icon lays the box out anew, so the strut comes last.)
  if (auto* grid = qobject_cast<QGridLayout*>(Box.layout()))
    grid->addItem(new QSpacerItem(TitleBarWidth(Caption), 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, std::max(1, grid->columnCount()));
}

int TitleBarWidth(const std::string& Caption) {
  // Title bars show the caption in bold, and beside it an icon and up to
  // three buttons (minimise, maximise, close) with the frame's edges.
  constexpr int FrameAndButtons = 128;
  QFont font = QApplication::font();
  font.setBold(true);
  const int width = QFontMetrics(font).horizontalAdvance(ToQString(Caption)) + FrameAndButtons;
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? std::min(width, screen->availableGeometry().width()) : width;
}

int MessageBoxAnswer(int StandardButton) {
  switch (StandardButton) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Abort: return IDABORT;
    case QMessageBox::Retry: return IDRETRY;
    case QMessageBox::Ignore: return IDIGNORE;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDCANCEL;
  }
}

int DefaultMessageBoxAnswer(UINT Type) {
  switch (Type & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL: return IDCANCEL;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNO: return IDNO;
    default: return IDOK;
  }
}
