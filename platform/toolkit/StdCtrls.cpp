#include "platform/toolkit/StdCtrls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QValidator>
#include <algorithm>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/toolkit/QtBridge.h"

std::string StripAccelChars(const std::string& Caption) {
  std::string out;
  for (size_t i = 0; i < Caption.size(); ++i) {
    if (Caption[i] == '&') {
      if (i + 1 < Caption.size() && Caption[i + 1] == '&') {
        out.push_back('&');
        ++i;
      }
      continue;
    }
    out.push_back(Caption[i]);
  }
  return out;
}

namespace {

// Keeps only what the code page can hold in an edit field's text (typed or
// pasted): other characters are dropped.
class TCodePageValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& Input, int& Pos) const override {
    QString kept;
    int pos = Pos;
    for (int i = 0; i < Input.size(); ++i) {
      const QString one = Input.mid(i, 1);
      if (FromQString(one) == "?" && one != QLatin1String("?")) {
        if (i < Pos) --pos;
        continue;
      }
      kept += one;
    }
    Input = kept;
    Pos = std::max(0, std::min(pos, static_cast<int>(kept.size())));
    return Acceptable;
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// TLabel

TLabel::TLabel(TComponent* AOwner) : TWidgetGraphicControl(AOwner) {
  SetBounds(0, 0, 65, 17);
  SetParentColor(true);
}

void TLabel::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  AdjustSize();
  Invalidate();
}

void TLabel::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  Invalidate();
}

void TLabel::SetTransparent(bool Value) {
  FTransparent = Value;
  Invalidate();
}

void TLabel::SetAutoSize(bool Value) {
  FAutoSize = Value;
  AdjustSize();
}

void TLabel::FontChanged() {
  AdjustSize();
  Invalidate();
}

void TLabel::Loaded() {
  TWidgetGraphicControl::Loaded();
  AdjustSize();
}

void TLabel::AdjustSize() {
  if (!FAutoSize || ComponentState().Contains(csLoading)) return;
  if (!qApp) return;
  QFontMetrics fm(ToQFont(Font()));
  QSize s = fm.size(0, ToQString(StripAccelChars(FCaption)));
  SetBounds(Left(), Top(), s.width(), std::max(s.height(), fm.height()));
}

void TLabel::PaintView(QWidget* View) {
  QPainter p(View);
  if (!FTransparent) p.fillRect(View->rect(), ToQColor(EffectiveColor()));
  p.setFont(ToQFont(Font()));
  p.setPen(Enabled() ? ToQColor(Font()->Color()) : ToQColor(clGrayText));
  int flags = Qt::AlignTop;
  flags |= FAlignment == taCenter ? Qt::AlignHCenter : FAlignment == taRightJustify ? Qt::AlignRight : Qt::AlignLeft;
  p.drawText(View->rect(), flags, ToQString(StripAccelChars(FCaption)));
}

// ---------------------------------------------------------------------------
// TWidgetClickControl

void TWidgetClickControl::Click() {
  if (FInMouseUp) return;
  TWidgetControl::Click();
}

void TWidgetClickControl::WndProc(TMessage& Message) {
  if (Message.Msg == WM_LBUTTONUP) {
    FInMouseUp = true;
    try {
      TWidgetControl::WndProc(Message);
    } catch (...) {
      FInMouseUp = false;
      throw;
    }
    FInMouseUp = false;
    return;
  }
  TWidgetControl::WndProc(Message);
}

void TWidgetClickControl::WidgetClick() {
  SafeInvoke(this, [this] { Click(); });
}

// ---------------------------------------------------------------------------
// TButton

TButton::TButton(TComponent* AOwner) : TWidgetClickControl(AOwner) { SetBounds(0, 0, 75, 25); }

void TButton::SetCaption(const std::string& Value) {
  FCaption = Value;
  if (auto* b = qobject_cast<QPushButton*>(Widget())) b->setText(ToQString(FCaption));
}

QWidget* TButton::CreateWidget(QWidget* ParentWidget) {
  auto* b = new QPushButton(ParentWidget);
  QObject::connect(b, &QPushButton::clicked, b, [this, b] {
    if (ControlAlive(this) && Widget() == b && !Syncing()) WidgetClick();
  });
  return b;
}

void TButton::InitWidget() { static_cast<QPushButton*>(Widget())->setText(ToQString(FCaption)); }

void TButton::Click() {
  if (InMouseUp()) return;
  if (FModalResult != mrNone)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TWidgetClickControl::Click();
}

// ---------------------------------------------------------------------------
// TCheckBox

TCheckBox::TCheckBox(TComponent* AOwner) : TWidgetClickControl(AOwner) { SetBounds(0, 0, 97, 17); }

void TCheckBox::SetCaption(const std::string& Value) {
  FCaption = Value;
  if (auto* b = qobject_cast<QCheckBox*>(Widget())) b->setText(ToQString(FCaption));
}

void TCheckBox::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  if (auto* b = qobject_cast<QCheckBox*>(Widget())) {
    TSyncScope sync(this);
    QSignalBlocker block(b);
    b->setChecked(FChecked);
  }
  Click();
}

QWidget* TCheckBox::CreateWidget(QWidget* ParentWidget) {
  auto* b = new QCheckBox(ParentWidget);
  QObject::connect(b, &QCheckBox::clicked, b, [this, b](bool checked) {
    if (!ControlAlive(this) || Widget() != b || Syncing()) return;
    FChecked = checked;
    WidgetClick();
  });
  return b;
}

void TCheckBox::InitWidget() {
  auto* b = static_cast<QCheckBox*>(Widget());
  b->setText(ToQString(FCaption));
  b->setChecked(FChecked);
}

// ---------------------------------------------------------------------------
// TEdit

TEdit::TEdit(TComponent* AOwner) : TWidgetControl(AOwner) {
  SetBounds(0, 0, 121, 21);
  SetColor(clWindow);
}

void TEdit::SetText(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  if (auto* e = qobject_cast<QLineEdit*>(Widget())) {
    TSyncScope sync(this);
    QSignalBlocker block(e);
    e->setText(ToQString(FText));
  }
  Change();
}

void TEdit::SetMaxLength(int Value) {
  FMaxLength = std::max(0, Value);
  if (auto* e = qobject_cast<QLineEdit*>(Widget())) e->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
}

void TEdit::SetBorderStyle(TBorderStyle Value) {
  FBorderStyle = Value;
  if (auto* e = qobject_cast<QLineEdit*>(Widget())) e->setFrame(FBorderStyle != bsNoBorder);
}

void TEdit::SetReadOnly(bool Value) {
  FReadOnly = Value;
  if (auto* e = qobject_cast<QLineEdit*>(Widget())) e->setReadOnly(FReadOnly);
}

void TEdit::SelectAll() {
  if (auto* e = qobject_cast<QLineEdit*>(Widget())) e->selectAll();
}

std::string TEdit::SelText() const {
  if (auto* e = qobject_cast<QLineEdit*>(Widget())) return FromQString(e->selectedText());
  return std::string();
}

void TEdit::WidgetTextEdited(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  Change();
}

void TEdit::Change() {
  if (OnChange) OnChange(this);
}

void TEdit::WndProc(TMessage& Message) {
  TWidgetControl::WndProc(Message);
  if (Message.Msg == WM_SETFOCUS && FAutoSelect && ControlAlive(this)) SelectAll();
}

QWidget* TEdit::CreateWidget(QWidget* ParentWidget) {
  auto* e = new QLineEdit(ParentWidget);
  e->setValidator(new TCodePageValidator(e));
  QObject::connect(e, &QLineEdit::textEdited, e, [this, e](const QString& text) {
    if (!ControlAlive(this) || Widget() != e || Syncing()) return;
    SafeInvoke(this, [&] { WidgetTextEdited(FromQString(text)); });
  });
  return e;
}

void TEdit::InitWidget() {
  auto* e = static_cast<QLineEdit*>(Widget());
  e->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
  e->setFrame(FBorderStyle != bsNoBorder);
  e->setReadOnly(FReadOnly);
  e->setText(ToQString(FText));
}

// ---------------------------------------------------------------------------
// TCustomListBox

TCustomListBox::TCustomListBox(TComponent* AOwner) : TWidgetClickControl(AOwner), FItems(std::make_unique<TStrings>()) {
  SetBounds(0, 0, 121, 97);
  SetColor(clWindow);
  FItems->SetChangeSink([this](TStrings::TChange c, int i) { ItemsChanged(c, i); });
}

TCustomListBox::~TCustomListBox() { FItems->SetChangeSink(nullptr); }

namespace {
QListWidget* ListOf(QWidget* w) { return qobject_cast<QListWidget*>(w); }

// The size of one row: ItemHeight high, as wide as a column when the rows
// flow in columns; in one column the view stretches the rows to its width.
QSize ListRowSize(const QListWidget* List, int Width, int Columns, int ItemHeight) {
  const int inner = std::max(1, Width - 2 * List->frameWidth());
  return QSize(Columns > 0 ? std::max(1, inner / Columns) : 1, ItemHeight);
}
}  // namespace

void TCustomListBox::CheckRow(int Index) const {
  if (Index < 0 || Index >= FItems->Count()) throw EListError(Format("List index out of bounds (%d)", Index));
}

void TCustomListBox::ItemsChanged(TStrings::TChange Change, int Index) {
  const auto at = FSelected.begin() + std::min<std::ptrdiff_t>(Index, static_cast<std::ptrdiff_t>(FSelected.size()));
  switch (Change) {
    case TStrings::scInsert:
      FSelected.insert(at, false);
      if (FMultiSelect && FItemIndex >= Index) ++FItemIndex;
      if (!FMultiSelect && FItemIndex >= Index) ++FItemIndex;
      break;
    case TStrings::scDelete:
      if (at != FSelected.end()) FSelected.erase(at);
      if (FItemIndex == Index)
        FItemIndex = -1;
      else if (FItemIndex > Index)
        --FItemIndex;
      break;
    case TStrings::scClear:
      FSelected.clear();
      FItemIndex = -1;
      break;
    case TStrings::scPut: break;
  }
  QListWidget* l = ListOf(Widget());
  if (!l) return;
  TSyncScope sync(this);
  QSignalBlocker block(l);
  switch (Change) {
    case TStrings::scInsert: {
      auto* item = new QListWidgetItem(ToQString(FItems->Strings(Index)));
      // A row added later is as high as the rows laid out before it.
      item->setSizeHint(ListRowSize(l, Width(), FColumns, FItemHeight));
      l->insertItem(Index, item);
      break;
    }
    case TStrings::scDelete: delete l->takeItem(Index); break;
    case TStrings::scClear: l->clear(); break;
    case TStrings::scPut:
      if (QListWidgetItem* item = l->item(Index)) item->setText(ToQString(FItems->Strings(Index)));
      break;
  }
  WidgetOutOfDate();
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (Value == FMultiSelect) return;
  FMultiSelect = Value;
  // Changing the mode starts with no selection, as a new list window does.
  std::fill(FSelected.begin(), FSelected.end(), false);
  if (!FMultiSelect) FItemIndex = -1;
  if (Widget()) {
    TSyncScope sync(this);
    InitWidget();
  }
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  FExtendedSelect = Value;
  if (Widget()) {
    TSyncScope sync(this);
    InitWidget();
  }
}

bool TCustomListBox::Selected(int Index) const {
  CheckRow(Index);
  return FSelected[static_cast<size_t>(Index)];
}

void TCustomListBox::SetSelected(int Index, bool Value) {
  CheckRow(Index);
  if (FMultiSelect) {
    if (FSelected[static_cast<size_t>(Index)] == Value) return;
    FSelected[static_cast<size_t>(Index)] = Value;
  } else if (Value) {
    SetItemIndex(Index);
    return;
  } else {
    SetItemIndex(-1);
    return;
  }
  WidgetOutOfDate();
}

int TCustomListBox::SelCount() const {
  if (!FMultiSelect) return -1;
  return static_cast<int>(std::count(FSelected.begin(), FSelected.end(), true));
}

int TCustomListBox::ItemIndex() const {
  if (FMultiSelect && FItemIndex < 0 && FItems->Count() > 0) return 0;
  return FItemIndex;
}

void TCustomListBox::SetItemIndex(int Value) {
  if (Value < -1 || Value >= FItems->Count()) Value = -1;
  FItemIndex = Value;
  if (!FMultiSelect) {
    std::fill(FSelected.begin(), FSelected.end(), false);
    if (Value >= 0) FSelected[static_cast<size_t>(Value)] = true;
  }
  WidgetOutOfDate();
}

void TCustomListBox::SetColumns(int Value) {
  FColumns = std::max(0, Value);
  ApplyLayout();
}

void TCustomListBox::SetItemHeight(int Value) {
  if (Value > 0) FItemHeight = Value;
  ApplyLayout();
}

void TCustomListBox::BoundsChanged(bool Moved, bool Sized) {
  TWidgetClickControl::BoundsChanged(Moved, Sized);
  if (Sized) ApplyLayout();
}

void TCustomListBox::ApplyLayout() {
  QListWidget* l = ListOf(Widget());
  if (!l) return;
  const int w = ListRowSize(l, Width(), FColumns, FItemHeight).width();
  l->setFlow(QListView::TopToBottom);
  l->setMovement(QListView::Static);
  if (FColumns > 0) {
    l->setWrapping(true);
    l->setResizeMode(QListView::Adjust);
    l->setGridSize(QSize(w, FItemHeight));
  } else {
    l->setWrapping(false);
    l->setGridSize(QSize());
  }
  for (int i = 0; i < l->count(); ++i) l->item(i)->setSizeHint(QSize(w, FItemHeight));
}

void TCustomListBox::WidgetOutOfDate() {
  QListWidget* l = ListOf(Widget());
  if (!l) return;
  FWidgetStale = true;
  if (FUpdatePosted) return;
  FUpdatePosted = true;
  // Rows and selection often change many times in a row (a list refilled
  // row by row, each row selected as it comes): the widget takes the result
  // once, when the program is back in its event loop, or before anything
  // reads or feeds the widget.
  QMetaObject::invokeMethod(
      l,
      [this, l] {
        if (!ControlAlive(this) || Widget() != l) return;
        FUpdatePosted = false;
        SafeInvoke(this, [this] { WidgetUpToDate(); });
      },
      Qt::QueuedConnection);
}

void TCustomListBox::WidgetUpToDate() {
  if (!FWidgetStale) return;
  FWidgetStale = false;
  ApplyLayout();
  SyncSelection();
}

void TCustomListBox::WidgetInputStarts() { WidgetUpToDate(); }

void TCustomListBox::SyncSelection() {
  QListWidget* l = ListOf(Widget());
  if (!l) return;
  FWidgetStale = false;
  TSyncScope sync(this);
  QSignalBlocker block(l);
  QItemSelectionModel* model = l->selectionModel();
  QSignalBlocker blockModel(model);
  // The selected rows as runs, given to the widget in one step.
  QItemSelection selection;
  const int rows = std::min(l->count(), static_cast<int>(FSelected.size()));
  for (int i = 0; i < rows;) {
    if (!FSelected[static_cast<size_t>(i)]) {
      ++i;
      continue;
    }
    int j = i;
    while (j + 1 < rows && FSelected[static_cast<size_t>(j + 1)]) ++j;
    selection.select(l->model()->index(i, 0), l->model()->index(j, 0));
    i = j + 1;
  }
  model->select(selection, QItemSelectionModel::ClearAndSelect);
  if (FItemIndex >= 0 && FItemIndex < l->count())
    l->selectionModel()->setCurrentIndex(l->model()->index(FItemIndex, 0), QItemSelectionModel::NoUpdate);
  else
    l->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  l->viewport()->update();
}

void TCustomListBox::WidgetSelectionChanged() {
  QListWidget* l = ListOf(Widget());
  if (!l || FWidgetStale) return;
  std::vector<bool> now(FSelected.size(), false);
  int selectedRow = -1;
  for (int i = 0; i < l->count() && i < static_cast<int>(now.size()); ++i)
    if (l->item(i)->isSelected()) {
      now[static_cast<size_t>(i)] = true;
      if (selectedRow < 0) selectedRow = i;
    }
  const int index = FMultiSelect ? (l->currentRow() >= 0 ? l->currentRow() : FItemIndex) : selectedRow;
  if (now == FSelected && index == FItemIndex) return;
  FSelected = now;
  FItemIndex = index;
  WidgetClick();
}

void TCustomListBox::WidgetInputDone() {
  if (!FSelectionPending) return;
  FSelectionPending = false;
  WidgetSelectionChanged();
}

bool TCustomListBox::WidgetMouse(QObject* Target, QEvent* Event) {
  QListWidget* l = ListOf(Widget());
  if (!l || Target != l->viewport()) return false;
  WidgetUpToDate();
  const QEvent::Type t = Event->type();
  auto* me = static_cast<QMouseEvent*>(Event);
  if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonDblClick) return t != QEvent::MouseMove || me->buttons();
  if (me->button() != Qt::LeftButton) return true;
  QListWidgetItem* item = l->itemAt(me->position().toPoint());
  if (!item) return true;
  const int row = l->row(item);
  if (row < 0 || row >= static_cast<int>(FSelected.size())) return true;
  // The window system's rules for a click on a row.
  std::vector<bool> sel = FSelected;
  const bool ctrl = me->modifiers() & Qt::ControlModifier, shift = me->modifiers() & Qt::ShiftModifier;
  if (!FMultiSelect) {
    std::fill(sel.begin(), sel.end(), false);
    sel[static_cast<size_t>(row)] = true;
  } else if (!FExtendedSelect) {
    sel[static_cast<size_t>(row)] = !sel[static_cast<size_t>(row)];
  } else if (shift) {
    if (!ctrl) std::fill(sel.begin(), sel.end(), false);
    const int anchor = std::clamp(FAnchor, 0, static_cast<int>(sel.size()) - 1);
    for (int i = std::min(anchor, row); i <= std::max(anchor, row); ++i) sel[static_cast<size_t>(i)] = true;
  } else if (ctrl) {
    sel[static_cast<size_t>(row)] = !sel[static_cast<size_t>(row)];
    FAnchor = row;
  } else {
    std::fill(sel.begin(), sel.end(), false);
    sel[static_cast<size_t>(row)] = true;
    FAnchor = row;
  }
  if (sel == FSelected && row == FItemIndex) return true;
  FSelected = sel;
  FItemIndex = row;
  SyncSelection();
  WidgetClick();
  return true;
}

RECT TCustomListBox::ItemRect(int Index) {
  QListWidget* l = ListOf(Widget());
  if (!l || Index < 0 || Index >= l->count()) return RECT{};
  WidgetUpToDate();
  l->doItemsLayout();
  QRect r = l->visualItemRect(l->item(Index));
  QPoint tl = l->viewport()->mapTo(l, r.topLeft());
  return RECT{tl.x(), tl.y(), tl.x() + r.width(), tl.y() + r.height()};
}

int TCustomListBox::ItemAtPos(POINT Pos) {
  QListWidget* l = ListOf(Widget());
  if (!l) return -1;
  WidgetUpToDate();
  QPoint p = l->viewport()->mapFrom(l, QPoint(Pos.x, Pos.y));
  QListWidgetItem* item = l->itemAt(p);
  return item ? l->row(item) : -1;
}

QWidget* TCustomListBox::CreateWidget(QWidget* ParentWidget) {
  auto* l = new QListWidget(ParentWidget);
  l->setUniformItemSizes(true);
  l->setFocusPolicy(Qt::ClickFocus);
  auto changed = [this, l] {
    if (!ControlAlive(this) || Widget() != l || Syncing()) return;
    // Reported once the widget is done with the key or click.
    if (InWidgetInput())
      FSelectionPending = true;
    else
      WidgetSelectionChanged();
  };
  QObject::connect(l, &QListWidget::itemSelectionChanged, l, changed);
  return l;
}

void TCustomListBox::InitWidget() {
  QListWidget* l = ListOf(Widget());
  FUpdatePosted = false;
  RouteMouseOf(l->viewport());
  l->setSelectionMode(!FMultiSelect     ? QAbstractItemView::SingleSelection
                      : FExtendedSelect ? QAbstractItemView::ExtendedSelection
                                        : QAbstractItemView::MultiSelection);
  if (l->count() != FItems->Count()) {
    l->clear();
    for (int i = 0; i < FItems->Count(); ++i) l->addItem(ToQString(FItems->Strings(i)));
  }
  ApplyLayout();
  SyncSelection();
}

// ---------------------------------------------------------------------------
// TComboBox

TComboBox::TComboBox(TComponent* AOwner) : TWidgetControl(AOwner), FItems(std::make_unique<TStrings>()) {
  SetBounds(0, 0, 145, 21);
  SetColor(clWindow);
  FItems->SetChangeSink([this](TStrings::TChange c, int i) { ItemsChanged(c, i); });
}

TComboBox::~TComboBox() { FItems->SetChangeSink(nullptr); }

namespace {
QComboBox* ComboOf(QWidget* w) { return qobject_cast<QComboBox*>(w); }

int ExactIndex(const TStrings* items, const std::string& text) {
  for (int i = 0; i < items->Count(); ++i)
    if (AnsiSameText(items->Strings(i), text)) return i;
  return -1;
}
}  // namespace

void TComboBox::ItemsChanged(TStrings::TChange Change, int Index) {
  switch (Change) {
    case TStrings::scInsert:
      if (FItemIndex >= Index) ++FItemIndex;
      break;
    case TStrings::scDelete:
      if (FItemIndex == Index)
        FItemIndex = -1;
      else if (FItemIndex > Index)
        --FItemIndex;
      break;
    case TStrings::scClear:
      // Emptying the list empties the edit field too.
      FItemIndex = -1;
      FText.clear();
      break;
    case TStrings::scPut:
      if (FItemIndex == Index && FStyle == csDropDownList) FText = FItems->Strings(Index);
      break;
  }
  QComboBox* c = ComboOf(Widget());
  if (!c) return;
  TSyncScope sync(this);
  QSignalBlocker block(c);
  switch (Change) {
    case TStrings::scInsert: c->insertItem(Index, ToQString(FItems->Strings(Index))); break;
    case TStrings::scDelete: c->removeItem(Index); break;
    case TStrings::scClear: c->clear(); break;
    case TStrings::scPut: c->setItemText(Index, ToQString(FItems->Strings(Index))); break;
  }
  SyncWidget();
}

void TComboBox::SetStyle(TComboBoxStyle Value) {
  FStyle = Value;
  if (FStyle == csDropDownList) FText = FItemIndex >= 0 ? FItems->Strings(FItemIndex) : std::string();
  if (Widget()) {
    TSyncScope sync(this);
    InitWidget();
  }
}

void TComboBox::SetItemIndex(int Value) {
  if (Value < -1 || Value >= FItems->Count()) Value = -1;
  FItemIndex = Value;
  FText = Value >= 0 ? FItems->Strings(Value) : std::string();
  SyncWidget();
}

void TComboBox::SetText(const std::string& Value) {
  if (FStyle == csDropDownList) {
    int i = ExactIndex(FItems.get(), Value);
    if (i >= 0) SetItemIndex(i);
    return;
  }
  FText = Value;
  FItemIndex = ExactIndex(FItems.get(), Value);
  SyncWidget();
}

void TComboBox::SetMaxLength(int Value) {
  FMaxLength = std::max(0, Value);
  if (QComboBox* c = ComboOf(Widget()))
    if (c->lineEdit()) c->lineEdit()->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
}

void TComboBox::Clear() { FItems->Clear(); }

void TComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TComboBox::WidgetTextEdited(const std::string& Value) {
  FText = Value;
  FItemIndex = ExactIndex(FItems.get(), Value);
  {
    QComboBox* c = ComboOf(Widget());
    TSyncScope sync(this);
    QSignalBlocker block(c);
    if (c && c->currentIndex() != FItemIndex) {
      const QString text = c->lineEdit() ? c->lineEdit()->text() : QString();
      const int pos = c->lineEdit() ? c->lineEdit()->cursorPosition() : 0;
      c->setCurrentIndex(FItemIndex);
      if (c->lineEdit()) {
        c->lineEdit()->setText(text);
        c->lineEdit()->setCursorPosition(pos);
      }
    }
  }
  Change();
}

void TComboBox::WidgetActivated(int Index) {
  if (Index < 0 || Index >= FItems->Count()) return;
  FItemIndex = Index;
  FText = FItems->Strings(Index);
  SyncWidget();
  Change();
}

void TComboBox::SyncWidget() {
  QComboBox* c = ComboOf(Widget());
  if (!c) return;
  TSyncScope sync(this);
  QSignalBlocker block(c);
  c->setCurrentIndex(FItemIndex);
  if (c->isEditable()) c->setEditText(ToQString(FText));
}

QWidget* TComboBox::CreateWidget(QWidget* ParentWidget) {
  auto* c = new QComboBox(ParentWidget);
  c->setInsertPolicy(QComboBox::NoInsert);
  QObject::connect(c, &QComboBox::activated, c, [this, c](int index) {
    if (!ControlAlive(this) || Widget() != c || Syncing()) return;
    SafeInvoke(this, [&] { WidgetActivated(index); });
  });
  return c;
}

void TComboBox::InitWidget() {
  QComboBox* c = ComboOf(Widget());
  const bool editable = FStyle != csDropDownList;
  if (c->isEditable() != editable) {
    c->setEditable(editable);
    if (QLineEdit* e = c->lineEdit()) {
      e->setValidator(new TCodePageValidator(e));
      e->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
      RouteMouseOf(e);
      QObject::connect(e, &QLineEdit::textEdited, e, [this, c](const QString& text) {
        if (!ControlAlive(this) || Widget() != c || Syncing()) return;
        SafeInvoke(this, [&] { WidgetTextEdited(FromQString(text)); });
      });
    }
  }
  if (c->count() != FItems->Count()) {
    c->clear();
    for (int i = 0; i < FItems->Count(); ++i) c->addItem(ToQString(FItems->Strings(i)));
  }
  SyncWidget();
}

// ---------------------------------------------------------------------------
// TGroupBox

TGroupBox::TGroupBox(TComponent* AOwner) : TWidgetControl(AOwner) {
  SetBounds(0, 0, 185, 105);
  FFocusOnClick = false;
}

void TGroupBox::SetCaption(const std::string& Value) {
  FCaption = Value;
  if (auto* g = qobject_cast<QGroupBox*>(Widget())) g->setTitle(ToQString(FCaption));
}

QWidget* TGroupBox::CreateWidget(QWidget* ParentWidget) { return new QGroupBox(ParentWidget); }

void TGroupBox::InitWidget() { static_cast<QGroupBox*>(Widget())->setTitle(ToQString(FCaption)); }
