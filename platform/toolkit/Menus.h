// Menus: TMenuItem (a caption, a shortcut, an OnClick; "-" makes a
// separator), TMenu with its tree of items, and TMainMenu, the bar of a form
// (TCustomForm::SetMenu). Shortcuts are key codes with the modifier bits
// scShift, scCtrl and scAlt.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/Component.h"
#include "platform/toolkit/Controls.h"

using TShortCut = WORD;
constexpr TShortCut scNone = 0;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// The shortcut of a virtual key with Shift, Ctrl and Alt as in Shift.
TShortCut ShortCut(WORD Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift);
// "Ctrl+N", "Ctrl+F12", "F1", "Shift+Del"; empty for scNone.
std::string ShortCutToText(TShortCut ShortCut);

class TMenu;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  // A separator line: the caption "-".
  bool IsLine() const { return FCaption == "-"; }
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);

  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int Index) const;
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  void Remove(TMenuItem* Item);
  TMenuItem* Parent() const { return FParent; }
  int MenuIndex() const;

  // Chooses the item: OnClick when it is enabled.
  virtual void Click();
  TNotifyEvent OnClick;

  // The enabled and visible item (this one or below) with that shortcut whose
  // menus are all enabled, or null.
  TMenuItem* FindShortCut(TShortCut Value);

 private:
  friend class TMenu;
  void Changed();
  std::string FCaption;
  TShortCut FShortCut = scNone;
  bool FEnabled = true;
  bool FVisible = true;
  bool FChecked = false;
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  // The root item: its children are the menu's entries.
  TMenuItem* Items() const { return FItems; }
  // Chooses the item with that shortcut; false when there is none.
  bool IsShortCut(TShortCut Value);
  // An item changed (the menu's view follows).
  virtual void MenuChanged() {}

 private:
  TMenuItem* FItems;
};

class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* AOwner);
  ~TMainMenu() override;

  // The form showing the bar (set through TCustomForm::SetMenu).
  TCustomForm* Form() const { return FForm; }
  void MenuChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // Lets the window system choose an item the way the user does with the
  // mouse (the bar's own action); false when the item is not on a shown bar.
  bool TriggerItem(TMenuItem* Item);
  // The height of the bar on the form's window (0 while it has none).
  int BarHeight() const;

 private:
  friend class TCustomForm;
  struct TBar;
  void Rebuild();
  TCustomForm* FForm = nullptr;
  std::unique_ptr<TBar> FBar;
};
