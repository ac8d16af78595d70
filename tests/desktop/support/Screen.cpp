#include "tests/desktop/support/Screen.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <QWindow>

#include "platform/toolkit/Forms.h"
#include "platform/toolkit/StdCtrls.h"

QPoint ScreenPoint(TLiveRun& Run, TControl* Control, int X, int Y) {
  return Run.OnMain([&] {
    const int x = X >= 0 ? X : Control->Width() / 2;
    const int y = Y >= 0 ? Y : Control->Height() / 2;
    const POINT p = Control->ClientToScreen(POINT{x, y});
    return QPoint(p.x, p.y);
  });
}

void ClickControl(TLiveRun& Run, TControl* Control, int X, int Y, int Button) {
  const QPoint p = ScreenPoint(Run, Control, X, Y);
  Run.X().Click(p.x(), p.y(), Button);
}

QPoint ListRowPoint(TLiveRun& Run, TCustomListBox* List, int Index) {
  return Run.OnMain([&] {
    const RECT r = List->ItemRect(Index);
    const POINT p = List->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return QPoint(p.x, p.y);
  });
}

unsigned long WindowOf(TLiveRun& Run, TCustomForm* Form) {
  return Run.OnMain([&]() -> unsigned long {
    return Form && Form->Widget() ? static_cast<unsigned long>(Form->Widget()->winId()) : 0;
  });
}

QRect ClientOnScreen(TLiveRun& Run, TCustomForm* Form) {
  const unsigned long w = WindowOf(Run, Form);
  return w ? Run.X().Geometry(w) : QRect();
}

QRect RectInWindow(TLiveRun& Run, TControl* Control) {
  return Run.OnMain([&] {
    TCustomForm* form = GetParentForm(Control);
    const POINT c = Control->ClientToScreen(POINT{0, 0});
    const QPoint w = form->Widget()->mapToGlobal(QPoint(0, 0));
    return QRect(c.x - w.x(), c.y - w.y(), Control->Width(), Control->Height());
  });
}

bool TextShows(TLiveRun& Run, TControl* Control) {
  TCustomForm* form = Run.OnMain([&] { return GetParentForm(Control); });
  return InkShare(Run.X().Grab(WindowOf(Run, form), RectInWindow(Run, Control))) > 0.02;
}

bool FormUp(TCustomForm* Form) {
  if (!Form || !Form->Visible() || !Form->Widget() || !Form->Widget()->isVisible()) return false;
  QWindow* w = Form->Widget()->windowHandle();
  return w && w->isExposed();
}

namespace {

// The system dialog on top: a message box (which may stand over a file
// dialog) before a file dialog.
QDialog* LastSystemDialog() {
  QDialog* files = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (!w->isVisible()) continue;
    if (auto* box = qobject_cast<QMessageBox*>(w)) return box;
    if (auto* d = qobject_cast<QFileDialog*>(w)) files = d;
  }
  return files;
}

}  // namespace

TSystemDialog OpenSystemDialog(TLiveRun& Run) {
  TSystemDialog d = Run.OnMain([] {
    TSystemDialog r;
    QDialog* dialog = LastSystemDialog();
    if (!dialog) return r;
    r.Open = true;
    r.Exposed = dialog->windowHandle() && dialog->windowHandle()->isExposed();
    r.Window = static_cast<unsigned long>(dialog->winId());
    r.Title = dialog->windowTitle().toStdString();
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
      r.Text = box->text().toStdString();
      for (QLabel* l : box->findChildren<QLabel*>())
        if (l->text() == box->text() && l->isVisible()) r.TextRect = QRect(l->mapTo(box, QPoint(0, 0)), l->size());
      const QList<QAbstractButton*> buttons = box->buttons();
      if (!buttons.isEmpty()) r.Button = buttons.first()->mapToGlobal(buttons.first()->rect().center());
    }
    if (auto* files = qobject_cast<QFileDialog*>(dialog))
      for (QLineEdit* e : files->findChildren<QLineEdit*>())
        if (e->isVisible() && e->objectName() == QLatin1String("fileNameEdit"))
          r.Edit = e->mapToGlobal(e->rect().center());
    return r;
  });
  if (d.Window) d.TransientFor = Run.X().TransientFor(d.Window);
  return d;
}

TSystemDialog WaitForPaintedBox(TLiveRun& Run, const std::string& What, double Seconds) {
  Run.WaitFor(
      What + ": the box is up",
      [] {
        QDialog* d = LastSystemDialog();
        return d && qobject_cast<QMessageBox*>(d) && d->windowHandle() && d->windowHandle()->isExposed();
      },
      Seconds);
  TSystemDialog box;
  Run.Step(What + ": its text is painted");
  for (int i = 0; i < Seconds * 20; ++i) {
    box = OpenSystemDialog(Run);
    if (box.Open && !box.TextRect.isEmpty() && InkShare(Run.X().Grab(box.Window, box.TextRect)) > 0.02) return box;
    Run.Sleep(0.05);
  }
  Run.Fail(What + ": the box \"" + box.Title + "\" shows no text (its label's pixels are one colour)");
}

void WaitForNoSystemDialog(TLiveRun& Run, const std::string& What, double Seconds) {
  Run.WaitFor(
      What, [] { return LastSystemDialog() == nullptr; }, Seconds);
}

void PickFromDropDown(TLiveRun& Run, TComboBox* Combo, int Index) {
  // The arrow at the right end opens the list, of an editable box too.
  const int arrowX = Run.OnMain([&] { return Combo->Width() - 9; });
  ClickControl(Run, Combo, arrowX);
  Run.WaitSteady("the drop-down list of \"" + Run.OnMain([&] { return Combo->Name(); }) + "\" opens", [&] {
    auto* c = qobject_cast<QComboBox*>(Combo->Widget());
    return c && c->view() && c->view()->isVisible() && c->view()->window()->windowHandle() &&
           c->view()->window()->windowHandle()->isExposed();
  });
  const QPoint row = Run.OnMain([&] {
    auto* c = qobject_cast<QComboBox*>(Combo->Widget());
    QAbstractItemView* v = c->view();
    const QRect r = v->visualRect(v->model()->index(Index, 0));
    return v->viewport()->mapToGlobal(r.center());
  });
  Run.X().Click(row.x(), row.y());
  Run.WaitFor("the drop-down list closes", [&] {
    auto* c = qobject_cast<QComboBox*>(Combo->Widget());
    return c && !c->view()->isVisible() && QApplication::activePopupWidget() == nullptr;
  });
}

bool PopupOpen(TLiveRun& Run) {
  return Run.OnMain([] { return QApplication::activePopupWidget() != nullptr; });
}
