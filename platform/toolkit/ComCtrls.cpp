#include "platform/toolkit/ComCtrls.h"

#include <QSignalBlocker>
#include <QTabBar>
#include <algorithm>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/toolkit/QtBridge.h"
#include "platform/toolkit/WidgetControl.h"

// ---------------------------------------------------------------------------
// TTabSheet

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {}

TTabSheet::~TTabSheet() {
  if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* Value) { SetParent(Value); }

void TTabSheet::SetParent(TWinControl* AParent) {
  auto* pc = dynamic_cast<TPageControl*>(AParent);
  if (AParent && !pc) throw EInvalidOperation("A tab sheet can only be placed on a page control");
  if (FPageControl && FPageControl != pc) FPageControl->RemovePage(this);
  TWinControl::SetParent(AParent);
  if (pc && FPageControl != pc) pc->InsertPage(this);
}

void TTabSheet::SetCaption(const std::string& Value) {
  FCaption = Value;
  if (FPageControl) FPageControl->UpdateTabs();
}

int TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  auto& pages = FPageControl->FPages;
  auto it = std::find(pages.begin(), pages.end(), this);
  return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TTabSheet::SetTabVisible(bool Value) {
  FTabVisible = Value;
  if (FPageControl) FPageControl->UpdateTabs();
}

void TTabSheet::CreateHandle() {
  TWinControl::CreateHandle();
  CreateGraphicViews(this);
}

// ---------------------------------------------------------------------------
// TPageControl

TPageControl::TPageControl(TComponent* AOwner) : TCustomControl(AOwner), FFont(std::make_unique<TFont>()) {
  SetBounds(0, 0, 289, 193);
  FFont->OnChange = [this](TObject*) {
    if (FTabBar) FTabBar->setFont(ToQFont(FFont.get()));
    PlacePages();
  };
}

TPageControl::~TPageControl() {
  for (TTabSheet* p : FPages) p->FPageControl = nullptr;
  FPages.clear();
}

TTabSheet* TPageControl::Pages(int Index) const {
  if (Index < 0 || Index >= PageCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FPages[static_cast<size_t>(Index)];
}

void TPageControl::InsertPage(TTabSheet* Page) {
  Page->FPageControl = this;
  FPages.push_back(Page);
  if (!FActivePage)
    SetActivePage(Page);
  else
    Page->SetVisible(false);
  UpdateTabs();
  PlacePages();
}

void TPageControl::RemovePage(TTabSheet* Page) {
  auto it = std::find(FPages.begin(), FPages.end(), Page);
  if (it == FPages.end()) return;
  const int index = static_cast<int>(it - FPages.begin());
  FPages.erase(it);
  Page->FPageControl = nullptr;
  if (FActivePage == Page) {
    FActivePage = nullptr;
    if (!FPages.empty()) SetActivePage(FPages[static_cast<size_t>(std::min(index, PageCount() - 1))]);
  }
  UpdateTabs();
}

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page && Page->FPageControl != this) return;
  FActivePage = Page;
  for (TTabSheet* p : FPages) p->SetVisible(p == Page);
  UpdateTabs();
}

int TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int Value) {
  SetActivePage(Value >= 0 && Value < PageCount() ? FPages[static_cast<size_t>(Value)] : nullptr);
}

int TPageControl::TabIndex() const {
  int tab = 0;
  for (TTabSheet* p : FPages) {
    if (!p->FTabVisible) continue;
    if (p == FActivePage) return tab;
    ++tab;
  }
  return -1;
}

void TPageControl::SetTabIndex(int Value) {
  int tab = 0;
  for (TTabSheet* p : FPages) {
    if (!p->FTabVisible) continue;
    if (tab == Value) {
      SetActivePage(p);
      return;
    }
    ++tab;
  }
}

void TPageControl::SetHotTrack(bool Value) {
  FHotTrack = Value;
  if (auto* bar = static_cast<QTabBar*>(FTabBar)) bar->setAttribute(Qt::WA_Hover, FHotTrack);
}

int TPageControl::TabHeight() const {
  if (FTabBar) return std::max(FTabBar->sizeHint().height(), 1);
  return 20;
}

RECT TPageControl::DisplayRect() const {
  const int top = TabHeight() + 2;
  return RECT{4, top, std::max(4, Width() - 4), std::max<LONG>(top, Height() - 4)};
}

RECT TPageControl::TabRect(int TabIndex) const {
  auto* bar = static_cast<QTabBar*>(FTabBar);
  if (!bar || TabIndex < 0 || TabIndex >= bar->count()) return RECT{};
  QRect r = bar->tabRect(TabIndex).translated(bar->pos());
  return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void TPageControl::UpdateTabs() {
  auto* bar = static_cast<QTabBar*>(FTabBar);
  if (!bar) return;
  ++FUpdatingTabs;
  {
    QSignalBlocker block(bar);
    while (bar->count() > 0) bar->removeTab(0);
    for (TTabSheet* p : FPages)
      if (p->FTabVisible) bar->addTab(ToQString(p->FCaption));
    bar->setCurrentIndex(TabIndex());
  }
  --FUpdatingTabs;
  PlacePages();
}

void TPageControl::PlacePages() {
  if (auto* bar = static_cast<QTabBar*>(FTabBar)) bar->setGeometry(2, 0, std::max(0, Width() - 4), TabHeight());
  RECT r = DisplayRect();
  for (TTabSheet* p : FPages) p->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  Invalidate();
}

void TPageControl::BoundsChanged(bool Moved, bool Sized) {
  TCustomControl::BoundsChanged(Moved, Sized);
  if (Sized) PlacePages();
}

void TPageControl::Paint() {
  // The frame around the pages.
  TCanvas* c = Canvas();
  RECT r = DisplayRect();
  const int l = r.left - 2, t = r.top - 2, rt = r.right + 1, b = r.bottom + 1;
  c->Pen()->SetColor(clBtnHighlight);
  c->MoveTo(l, b);
  c->LineTo(l, t);
  c->LineTo(rt, t);
  c->Pen()->SetColor(clBtnShadow);
  c->LineTo(rt, b);
  c->LineTo(l, b);
}

void TPageControl::CreateHandle() {
  TCustomControl::CreateHandle();
  auto* bar = new QTabBar(Widget());
  bar->setDrawBase(false);
  bar->setExpanding(false);
  bar->setFocusPolicy(Qt::NoFocus);
  bar->setFont(ToQFont(FFont.get()));
  bar->setAttribute(Qt::WA_Hover, FHotTrack);
  FTabBar = bar;
  QObject::connect(bar, &QTabBar::currentChanged, bar, [this, bar](int index) {
    if (!ControlAlive(this) || FTabBar != bar || FUpdatingTabs) return;
    SafeInvoke(this, [&] { WidgetTabChosen(index); });
  });
  QObject::connect(bar, &QObject::destroyed, Widget(), [this, bar] {
    if (ControlAlive(this) && FTabBar == bar) FTabBar = nullptr;
  });
  RouteMouseToControl(bar, this);
  bar->show();
  UpdateTabs();
  CreateGraphicViews(this);
}

void TPageControl::WidgetTabChosen(int Index) {
  if (Index == TabIndex()) return;
  SetTabIndex(Index);
  Change();
}

void TPageControl::Change() {
  if (OnChange) OnChange(this);
}
