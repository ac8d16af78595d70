#include "platform/toolkit/Menus.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <algorithm>
#include <map>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/toolkit/Forms.h"
#include "platform/toolkit/QtBridge.h"
#include "platform/toolkit/WidgetControl.h"
#include "platform/win/KeyState.h"

// ---------------------------------------------------------------------------
// Shortcuts

TShortCut ShortCut(WORD Key, TShiftState Shift) {
  if (Key & 0xFF00) return scNone;
  TShortCut s = Key;
  if (Shift.Contains(ssShift)) s |= scShift;
  if (Shift.Contains(ssCtrl)) s |= scCtrl;
  if (Shift.Contains(ssAlt)) s |= scAlt;
  return s;
}

void ShortCutToKey(TShortCut Value, WORD& Key, TShiftState& Shift) {
  Key = Value & 0xFF;
  Shift = TShiftState();
  if (Value & scShift) Shift.Include(ssShift);
  if (Value & scCtrl) Shift.Include(ssCtrl);
  if (Value & scAlt) Shift.Include(ssAlt);
}

std::string ShortCutToText(TShortCut Value) {
  const WORD key = Value & 0xFF;
  std::string name;
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
    name = std::string(1, static_cast<char>(key));
  else if (key >= VK_F1 && key < VK_F1 + 24)
    name = Format("F%d", static_cast<int>(key - VK_F1 + 1));
  else {
    static const std::map<WORD, const char*> names = {
        {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"},
        {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},   {VK_END, "End"},      {VK_HOME, "Home"},  {VK_LEFT, "Left"},
        {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},    {VK_INSERT, "Ins"}, {VK_DELETE, "Del"}};
    auto it = names.find(key);
    if (it == names.end()) return std::string();
    name = it->second;
  }
  return Format("%s%s%s%s", (Value & scShift) ? "Shift+" : "", (Value & scCtrl) ? "Ctrl+" : "",
                (Value & scAlt) ? "Alt+" : "", name);
}

// ---------------------------------------------------------------------------
// TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  for (TMenuItem* i : FItems) i->FParent = nullptr;
  FItems.clear();
  if (FParent) FParent->Remove(this);
}

void TMenuItem::Changed() {
  for (TMenuItem* i = this; i; i = i->FParent)
    if (i->FMenu) {
      i->FMenu->MenuChanged();
      return;
    }
}

void TMenuItem::SetCaption(const std::string& Value) {
  FCaption = Value;
  Changed();
}

void TMenuItem::SetShortCut(TShortCut Value) {
  FShortCut = Value;
  Changed();
}

void TMenuItem::SetEnabled(bool Value) {
  FEnabled = Value;
  Changed();
}

void TMenuItem::SetVisible(bool Value) {
  FVisible = Value;
  Changed();
}

void TMenuItem::SetChecked(bool Value) {
  FChecked = Value;
  Changed();
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FItems[static_cast<size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->FParent) throw EInvalidOperation("Menu inserted twice");
  if (Index < 0 || Index > Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  Item->FParent = nullptr;
  Changed();
}

int TMenuItem::MenuIndex() const {
  if (!FParent) return -1;
  auto& v = FParent->FItems;
  return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

void TMenuItem::Click() {
  if (FEnabled && OnClick) OnClick(this);
}

TMenuItem* TMenuItem::FindShortCut(TShortCut Value) {
  if (!FEnabled || !FVisible) return nullptr;
  if (FShortCut == Value && Value != scNone && !IsLine()) return this;
  for (TMenuItem* i : std::vector<TMenuItem*>(FItems))
    if (TMenuItem* found = i->FindShortCut(Value)) return found;
  return nullptr;
}

// ---------------------------------------------------------------------------
// TMenu, TMainMenu

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) { FItems->FMenu = this; }

TMenu::~TMenu() {
  FItems->FMenu = nullptr;
  delete FItems;
}

bool TMenu::IsShortCut(TShortCut Value) {
  if (Value == scNone) return false;
  for (int i = 0; i < FItems->Count(); ++i)
    if (TMenuItem* item = FItems->Items(i)->FindShortCut(Value)) {
      item->Click();
      return true;
    }
  return false;
}

namespace {

// Keeps the bar as wide as the form's window.
class TBarWidthFilter : public QObject {
 public:
  TBarWidthFilter(QMenuBar* Bar, QObject* Parent) : QObject(Parent), FBar(Bar) {}
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Event->type() == QEvent::Resize && FBar)
      FBar->setGeometry(0, 0, static_cast<QWidget*>(Watched)->width(), FBar->height());
    return false;
  }

 private:
  QPointer<QMenuBar> FBar;
};

}  // namespace

struct TMainMenu::TBar {
  QPointer<QMenuBar> Bar;
  std::map<TMenuItem*, QPointer<QAction>> Actions;
};

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner), FBar(std::make_unique<TBar>()) {}

TMainMenu::~TMainMenu() {
  if (FForm && !FForm->ComponentState().Contains(csDestroying) && FForm->Menu() == this) FForm->SetMenu(nullptr);
  if (FBar->Bar) FBar->Bar->deleteLater();
}

void TMainMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FForm) {
    FForm = nullptr;
    FBar->Actions.clear();
  }
}

void TMainMenu::MenuChanged() { Rebuild(); }

int TMainMenu::BarHeight() const { return FBar->Bar && FForm ? FBar->Bar->height() : 0; }

namespace {

QString ActionText(const TMenuItem* item) {
  QString text = ToQString(item->Caption());
  const std::string sc = ShortCutToText(item->ShortCut());
  if (!sc.empty()) text += QLatin1Char('\t') + ToQString(sc);
  return text;
}

void AddItems(QWidget* target, TMenuItem* parent, std::map<TMenuItem*, QPointer<QAction>>& actions) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* item = parent->Items(i);
    QAction* action = nullptr;
    if (item->IsLine()) {
      action = new QAction(target);
      action->setSeparator(true);
      target->addAction(action);
    } else if (item->Count() > 0) {
      auto* sub = new QMenu(ToQString(item->Caption()), target);
      action = sub->menuAction();
      target->addAction(action);
      AddItems(sub, item, actions);
    } else {
      action = new QAction(ActionText(item), target);
      action->setCheckable(item->Checked());
      action->setChecked(item->Checked());
      target->addAction(action);
      // The action goes with the bar, which is rebuilt when an item goes.
      QObject::connect(action, &QAction::triggered, action, [item] {
        if (Application) SafeInvoke(Application, [item] { item->Click(); });
      });
    }
    action->setEnabled(item->Enabled());
    action->setVisible(item->Visible());
    actions[item] = action;
  }
}

}  // namespace

void TMainMenu::Rebuild() {
  FBar->Actions.clear();
  if (!FForm || !FForm->HandleAllocated() || !FForm->Widget()) {
    if (FBar->Bar) FBar->Bar->deleteLater();
    FBar->Bar = nullptr;
    return;
  }
  QWidget* w = FForm->Widget();
  if (FBar->Bar && FBar->Bar->parentWidget() != w) {
    FBar->Bar->deleteLater();
    FBar->Bar = nullptr;
  }
  if (!FBar->Bar) {
    FBar->Bar = new QMenuBar(w);
    w->installEventFilter(new TBarWidthFilter(FBar->Bar, FBar->Bar));
  }
  QMenuBar* bar = FBar->Bar;
  bar->clear();
  AddItems(bar, Items(), FBar->Actions);
  bar->setGeometry(0, 0, w->width(), std::max(bar->sizeHint().height(), 1));
  bar->raise();
  bar->show();
}

bool TMainMenu::TriggerItem(TMenuItem* Item) {
  auto it = FBar->Actions.find(Item);
  if (it == FBar->Actions.end() || !it->second) return false;
  if (!it->second->isEnabled()) return true;
  it->second->trigger();
  return true;
}

// ---------------------------------------------------------------------------
// The form's side

void TCustomForm::SetMenu(TMainMenu* Value) {
  if (Value == FMenu) return;
  if (FMenu) {
    TMainMenu* old = FMenu;
    FMenu = nullptr;
    old->FForm = nullptr;
    old->Rebuild();
    old->RemoveFreeNotification(this);
  }
  FMenu = Value;
  if (FMenu) {
    if (FMenu->FForm && FMenu->FForm != this) FMenu->FForm->SetMenu(nullptr);
    FMenu->FForm = this;
    FMenu->FreeNotification(this);
  }
  MenuChanged();
}

void TCustomForm::MenuChanged() {
  if (FMenu) FMenu->Rebuild();
  if (!Widget()) return;
  // The client area moves under (or back over) the bar.
  UpdateWidgetGeometry();
  for (TControl* c : FControls) {
    if (auto* w = dynamic_cast<TWinControl*>(c))
      w->UpdateWidgetGeometry();
    else if (auto* g = dynamic_cast<TWidgetGraphicControl*>(c))
      g->UpdateViewGeometry();
  }
}

POINT TCustomForm::ClientOffset() const { return POINT{0, FMenu ? FMenu->BarHeight() : 0}; }

bool TCustomForm::IsShortCut(TMessage& Message) {
  if (Message.Msg != WM_KEYDOWN && Message.Msg != WM_SYSKEYDOWN) return false;
  if (!FMenu) return false;
  return FMenu->IsShortCut(ShortCut(static_cast<WORD>(Message.WParam), KeyboardShiftState()));
}
