// The editor on the X display, as its main starts it, from a copy of the
// build's start folder "mapmaker", and the steps a user takes in it.
#pragma once

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <QWindow>
#include <filesystem>
#include <memory>
#include <string>

#include "editor/MainForm.h"
#include "editor/Sandreth.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Files.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/ProgramMain.h"
#include "platform/toolkit/QtBridge.h"
#include "tests/desktop/support/LiveRun.h"
#include "tests/desktop/support/Screen.h"
#include "tests/support/StartFolder.h"
#include "world/ObjectNames.h"
#include "world/WorldFiles.h"

namespace sandreth {

namespace editor_desktop {

class TMapmakerFolder : public TTempStartFolder {
 public:
  TMapmakerFolder() { AddCopyOf(BRASK_MAPMAKER_DIR); }
  std::string HostPathOf(const std::string& Name) const { return HostFileName(PathOf(Name)); }
};

inline int RunEditor() { return RunProgram("Brask Mapmaker", CreateSandrethForms); }

inline std::string UnitId(int Slot) { return ObjectIdentifier(Form1->State().Units[Slot]); }
inline std::string BuildingId(int Slot) { return ObjectIdentifier(Form1->State().Buildings[Slot]); }

inline void WaitForEditor(TLiveRun& R) {
  R.WaitSteady("the editor's main window shows, its types read",
               [] { return Form1 && FormUp(Form1) && Form1->StartedUp() && Form1->ComboBox1->Items()->Count() > 0; });
  const unsigned long main = WindowOf(R, Form1);
  R.Step("the editor's window takes the keyboard");
  for (int i = 0; i < 200 && !R.X().HasFocus(main); ++i) R.Sleep(0.05);
  R.Check(R.X().HasFocus(main), "the editor's main window has the keyboard focus (focus: " +
                                    std::to_string(R.X().FocusWindow()) + ", window " + std::to_string(main) + ")");
}

inline void ShowTab(TLiveRun& R, int Index) {
  const QPoint p = R.OnMain([&] {
    const RECT r = Form1->PageControl1->TabRect(Index);
    const POINT s = Form1->PageControl1->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return QPoint(s.x, s.y);
  });
  R.Step("the tab " + std::to_string(Index));
  R.X().Click(p.x(), p.y());
  R.WaitFor(
      "the tab " + std::to_string(Index) + " shows", [&] { return Form1->PageControl1->ActivePageIndex() == Index; },
      15);
}

// An item of the main menu: a click on its menu in the bar, then on the item
// in the pop-up menu.
inline void ChooseMenuItem(TLiveRun& R, TMenuItem* Menu, TMenuItem* Item) {
  const QPoint bar = R.OnMain([&] {
    auto* b = Form1->Widget()->findChild<QMenuBar*>();
    for (QAction* a : b->actions())
      if (a->text() == ToQString(Menu->Caption())) return b->mapToGlobal(b->actionGeometry(a).center());
    return QPoint();
  });
  R.Check(!bar.isNull(), "the menu bar shows the menu");
  R.X().Click(bar.x(), bar.y());
  R.WaitSteady("the menu opens", [] {
    auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    return m && m->windowHandle() && m->windowHandle()->isExposed();
  });
  const QPoint item = R.OnMain([&] {
    auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    for (QAction* a : m->actions())
      if (a->text().section(QLatin1Char('\t'), 0, 0) == ToQString(Item->Caption()))
        return m->mapToGlobal(m->actionGeometry(a).center());
    return QPoint();
  });
  R.Check(!item.isNull(), "the menu shows the item");
  R.X().Click(item.x(), item.y());
  R.WaitFor(
      "the menu closes", [] { return QApplication::activePopupWidget() == nullptr; }, 15);
}

inline void WaitForFileDialog(TLiveRun& R) {
  R.WaitSteady("the file dialog shows", [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<QFileDialog*>(w) && w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed())
        return true;
    return false;
  });
}

// The file dialog's file-name field takes HostPath, then Return.
inline void TypeFileName(TLiveRun& R, const std::string& HostPath) {
  const TSystemDialog d = OpenSystemDialog(R);
  R.Check(d.Open && !d.Edit.isNull(), "the file dialog has its file-name field");
  R.X().Click(d.Edit.x(), d.Edit.y());
  R.X().Chord("Control_L", "a");
  R.X().Type(HostPath);
  R.X().Key("Return");
}

// The file dialog that Ctrl+Key opens takes the file's path and Return.
inline void UseFileDialog(TLiveRun& R, const std::string& Key, const std::string& HostPath) {
  R.Step("Ctrl+" + Key);
  R.X().Chord("Control_L", Key);
  WaitForFileDialog(R);
  TypeFileName(R, HostPath);
  WaitForNoSystemDialog(R, "the file dialog closes");
}

// Saves the map through the file dialog (Ctrl+S) as HostPath, waits for the
// whole file and reads it back.
inline std::unique_ptr<TMapFile> SaveAndReadBack(TLiveRun& R, const std::string& HostPath) {
  UseFileDialog(R, "s", HostPath);
  R.WaitFor(
      "the map file is written",
      [&] {
        std::error_code ec;
        return std::filesystem::file_size(HostPath, ec) == TMapFile::SerializedSize;
      },
      20);
  auto file = std::make_unique<TMapFile>();
  ReadMapFile(Utf8ToCp1250(HostPath), *file);
  return file;
}

inline void OpenMap(TLiveRun& R, const std::string& HostPath) {
  UseFileDialog(R, "o", HostPath);
  R.WaitFor(
      "the map is open", [] { return !Form1->State().Map.MapName.Empty(); }, 20);
}

inline void CloseEditor(TLiveRun& R) {
  R.Step("closing the editor's main window");
  R.X().CloseWindow(WindowOf(R, Form1));
  R.WaitForEnd("the editor ends when its main window is closed");
}

}  // namespace editor_desktop

}  // namespace sandreth
