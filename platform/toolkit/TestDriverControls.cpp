#include "platform/toolkit/TestDriverControls.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QWidget>

#include "platform/toolkit/QtBridge.h"
#include "platform/toolkit/WidgetControl.h"

namespace {

TControlsDriver* gControlsDriver = nullptr;

bool FileDialogHook(TFileDialogEvent& Event) {
  if (!gControlsDriver) return false;
  return gControlsDriver->FileDialogOpened(Event);
}

// The code points of a UTF-8 text (malformed bytes are skipped).
std::vector<char32_t> CodePoints(const std::string& s) {
  std::vector<char32_t> out;
  const QString q = QString::fromStdString(s);
  for (char32_t c : q.toUcs4()) out.push_back(c);
  return out;
}

}  // namespace

TControlsDriver::TControlsDriver(TTestDriver& Driver) : FDriver(Driver) {
  gControlsDriver = this;
  SetFileDialogHook(&FileDialogHook);
}

TControlsDriver::~TControlsDriver() {
  if (gControlsDriver == this) {
    gControlsDriver = nullptr;
    SetFileDialogHook(nullptr);
  }
}

void TControlsDriver::ClickListRow(TCustomListBox* List, int Row, TShiftState Shift) {
  if (!List || !ControlAlive(List)) return;
  RECT r = List->ItemRect(Row);
  if (r.right <= r.left) return;
  FDriver.Click(List, (r.left + r.right) / 2, (r.top + r.bottom) / 2, mbLeft, Shift);
}

void TControlsDriver::DoubleClickListRow(TCustomListBox* List, int Row) {
  if (!List || !ControlAlive(List)) return;
  RECT r = List->ItemRect(Row);
  if (r.right <= r.left) return;
  FDriver.DoubleClick(List, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void TControlsDriver::TypeText(const std::string& Utf8) {
  for (char32_t c : CodePoints(Utf8)) {
    if (!Application || !Application->Foreground()) return;
    TCustomForm* form = Application->ActiveForm();
    if (!form || !ControlAlive(form)) return;
    TWinControl* focus = form->ActiveControl() ? form->ActiveControl() : form;
    focus->HandleNeeded();
    QWidget* target = focus->Widget();
    if (!target) return;
    int key = 0;
    Qt::KeyboardModifiers mods;
    if (c >= 'a' && c <= 'z') {
      key = Qt::Key_A + static_cast<int>(c - 'a');
    } else if (c >= 'A' && c <= 'Z') {
      key = Qt::Key_A + static_cast<int>(c - 'A');
      mods |= Qt::ShiftModifier;
    } else if (c >= '0' && c <= '9') {
      key = Qt::Key_0 + static_cast<int>(c - '0');
    } else if (c == ' ') {
      key = Qt::Key_Space;
    } else if (c == '-') {
      key = Qt::Key_Minus;
    }
    const QString text = QString::fromUcs4(&c, 1);
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QCoreApplication::sendEvent(target, &press);
    if (!ControlAlive(focus) || !focus->Widget()) continue;
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QCoreApplication::sendEvent(focus->Widget(), &release);
  }
}

void TControlsDriver::PickComboItem(TComboBox* Combo, int Index) {
  if (!Combo || !ControlAlive(Combo)) return;
  Combo->HandleNeeded();
  auto* c = qobject_cast<QComboBox*>(Combo->Widget());
  if (!c || Index < 0 || Index >= c->count()) return;
  // What the drop-down does when the person clicks an item.
  c->setCurrentIndex(Index);
  emit c->activated(Index);
}

void TControlsDriver::ClickTab(TPageControl* Pages, int TabIndex) {
  if (!Pages || !ControlAlive(Pages)) return;
  RECT r = Pages->TabRect(TabIndex);
  if (r.right <= r.left) return;
  FDriver.Click(Pages, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

bool TControlsDriver::ChooseMenuItem(TMenuItem* Item) {
  if (!Item) return false;
  TMenuItem* root = Item;
  while (root->Parent()) root = root->Parent();
  for (TComponent* c = Item->Owner(); c; c = c->Owner()) {
    auto* form = dynamic_cast<TCustomForm*>(c);
    if (form && form->Menu() && form->Menu()->Items() == root) return form->Menu()->TriggerItem(Item);
  }
  if (Application)
    for (int i = 0; i < Application->ComponentCount(); ++i) {
      auto* form = dynamic_cast<TCustomForm*>(Application->Components(i));
      if (form && form->Menu() && form->Menu()->Items() == root) return form->Menu()->TriggerItem(Item);
    }
  return false;
}

std::string TControlsDriver::HintOf(TControl* Control) const {
  if (!Control || !ControlAlive(Control)) return std::string();
  QWidget* w = nullptr;
  if (auto* g = dynamic_cast<TWidgetGraphicControl*>(Control)) {
    g->ViewNeeded();
    w = g->View();
  } else if (auto* wc = dynamic_cast<TWinControl*>(Control)) {
    w = wc->Widget();
  }
  return w ? FromQString(w->toolTip()) : std::string();
}

void TControlsDriver::AnswerFileDialog(TFileDialogAnswer Answer) { FAnswers.push_back(std::move(Answer)); }

void TControlsDriver::AnswerFileDialogWith(const std::string& Path) {
  AnswerFileDialog([Path](TFileDialogEvent& e) {
    e.FileName = Path;
    e.Ok = true;
  });
}

void TControlsDriver::CancelFileDialog() {
  AnswerFileDialog([](TFileDialogEvent& e) { e.Ok = false; });
}

bool TControlsDriver::FileDialogOpened(TFileDialogEvent& Event) {
  if (FAnswers.empty()) {
    Event.Ok = false;
    ++FUnanswered;
    FDriver.ReportFailure(std::string("Unanswered ") + (Event.Save ? "save" : "open") + " dialog \"" + Event.Title +
                          "\"");
  } else {
    TFileDialogAnswer answer = std::move(FAnswers.front());
    FAnswers.pop_front();
    answer(Event);
    Event.Answered = true;
  }
  FFileDialogs.push_back(Event);
  return true;
}

void TControlsDriver::AnswerInputBox(const std::string& Text) {
  FDriver.AnswerNext([Text](TDialogEvent& e) {
    if (auto* f = dynamic_cast<TInputBoxForm*>(e.Form)) f->Edit()->SetText(Text);
    e.ClickOk();
  });
}

void TControlsDriver::CancelInputBox() {
  FDriver.AnswerNext([](TDialogEvent& e) { e.ClickCancel(); });
}

void TControlsDriver::AnswerMessage(std::string* Text) {
  FDriver.AnswerNext([Text](TDialogEvent& e) {
    if (auto* f = dynamic_cast<TMessageForm*>(e.Form); f && Text) *Text = f->Text();
    e.ClickOk();
  });
}

bool TControlsDriver::SaveScreenshot(TCustomForm* Form, const std::string& PngPath) {
  if (!Form || !ControlAlive(Form)) return false;
  Form->HandleNeeded();
  CreateGraphicViews(Form);
  QCoreApplication::processEvents();
  return FDriver.SaveScreenshot(Form, PngPath);
}
