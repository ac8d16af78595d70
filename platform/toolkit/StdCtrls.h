// The standard controls: TLabel, TButton, TCheckBox, TEdit, TListBox,
// TComboBox and TGroupBox. Captions and texts are windows-1250.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/Forms.h"
#include "platform/toolkit/Strings.h"
#include "platform/toolkit/WidgetControl.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TBorderStyle { bsNoBorder, bsSingleBorder };

// A caption's text as shown: "&" marks the accelerator and is not drawn,
// "&&" shows one "&".
std::string StripAccelChars(const std::string& Caption);

// Text drawn by its parent: caption, alignment, transparent or filled with
// Color (its parent's by default), font. With AutoSize (the default) the
// label takes the size of its text.
class TLabel : public TWidgetGraphicControl {
 public:
  explicit TLabel(TComponent* AOwner);

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);

  void PaintView(QWidget* View) override;
  void Loaded() override;

 protected:
  void FontChanged() override;
  void ColorChanged() override { Invalidate(); }

 private:
  void AdjustSize();
  std::string FCaption;
  TAlignment FAlignment = taLeftJustify;
  bool FTransparent = false;
  bool FAutoSize = true;
};

// Windowed controls whose OnClick comes from the widget's own notion of a
// click (a button pressed and released, a check box toggled, a list's
// selection changed by the user), not from any mouse release.
class TWidgetClickControl : public TWidgetControl {
 public:
  using TWidgetControl::TWidgetControl;
  void Click() override;

 protected:
  void WndProc(TMessage& Message) override;
  // OnClick for a click the widget reports.
  void WidgetClick();
  bool InMouseUp() const { return FInMouseUp; }

 private:
  bool FInMouseUp = false;
};

class TButton : public TWidgetClickControl {
 public:
  explicit TButton(TComponent* AOwner);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  // A click sets the form's ModalResult to this (when not mrNone).
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  void Click() override;

 protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitWidget() override;
  bool ColorIsBackground() const override { return false; }

 private:
  std::string FCaption;
  TModalResult FModalResult = mrNone;
};

// A check box; OnClick comes with every change of Checked, by the user or
// by code.
class TCheckBox : public TWidgetClickControl {
 public:
  explicit TCheckBox(TComponent* AOwner);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);

 protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitWidget() override;

 private:
  std::string FCaption;
  bool FChecked = false;
};

// A one-line edit box. Text typed by the user arrives as windows-1250;
// characters the code page cannot hold are dropped. MaxLength 0: no limit.
class TEdit : public TWidgetControl {
 public:
  explicit TEdit(TComponent* AOwner);
  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  // Whether the whole text is selected when the edit box gets the focus.
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  void SelectAll();
  // The selected part of the text (as the widget has it).
  std::string SelText() const;

  void WndProc(TMessage& Message) override;
  // Raised after every change of Text.
  TNotifyEvent OnChange;

  // The widget's text changed by the user.
  void WidgetTextEdited(const std::string& Value);

 protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitWidget() override;
  virtual void Change();

 private:
  std::string FText;
  int FMaxLength = 0;
  bool FAutoSelect = true;
  TBorderStyle FBorderStyle = bsSingleBorder;
  bool FReadOnly = false;
};

// A list of text rows. Items, selection and item index live in the control
// itself, so a list without a window (or hidden, or without a parent) works
// the same. OnClick fires only when the user changes the selection (a
// click, a key), never when code sets it.
class TCustomListBox : public TWidgetClickControl {
 public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  TStrings* Items() const { return FItems.get(); }
  void Clear() { FItems->Clear(); }

  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  // With MultiSelect: a click selects one row, Ctrl-click toggles a row,
  // Shift-click selects a range (the default); without it a click toggles.
  bool ExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool Value);

  // Whether row Index is selected; "List index out of bounds (%d)" outside
  // the rows. Without MultiSelect, selecting a row makes it the item index
  // and deselecting clears the item index.
  bool Selected(int Index) const;
  void SetSelected(int Index, bool Value);
  int SelCount() const;
  // The selected row (without MultiSelect) or the focused row (with it); -1: none.
  int ItemIndex() const;
  void SetItemIndex(int Value);

  // Rows flow in this many columns (0: one column with a vertical scroll).
  int Columns() const { return FColumns; }
  void SetColumns(int Value);
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int Value);

  // The rectangle of a row in client coordinates (empty when it is not
  // shown). Rows are laid out as the widget lays them out.
  RECT ItemRect(int Index);
  // The row at a client point, or -1.
  int ItemAtPos(POINT Pos);

  // The widget's selection changed by the user.
  void WidgetSelectionChanged();

 protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitWidget() override;
  void BoundsChanged(bool Moved, bool Sized) override;
  bool WidgetMouse(QObject* Target, QEvent* Event) override;
  void WidgetInputDone() override;
  void CheckRow(int Index) const;
  void ItemsChanged(TStrings::TChange Change, int Index);
  void SyncSelection();
  void ApplyLayout();
  // The rows' layout and the selection are due in the widget: written once,
  // from the event loop, or at once by WidgetUpToDate.
  void WidgetOutOfDate();
  void WidgetUpToDate();
  void WidgetInputStarts() override;

  std::unique_ptr<TStrings> FItems;
  std::vector<bool> FSelected;
  int FItemIndex = -1;
  bool FMultiSelect = false;
  bool FExtendedSelect = true;
  int FColumns = 0;
  int FItemHeight = 13;
  // The row a Shift-click selects from.
  int FAnchor = 0;
  bool FSelectionPending = false;
  bool FWidgetStale = false;
  bool FUpdatePosted = false;
};

class TListBox : public TCustomListBox {
 public:
  using TCustomListBox::TCustomListBox;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

// A combo box: an edit field (csDropDown) or a fixed choice (csDropDownList)
// over a drop-down list of Items. Typed text selects the item that equals it
// (ignoring case) and otherwise leaves ItemIndex -1.
class TComboBox : public TWidgetControl {
 public:
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;

  TStrings* Items() const { return FItems.get(); }
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  void Clear();

  // Raised when the user edits the text or picks an item.
  TNotifyEvent OnChange;

  void WidgetTextEdited(const std::string& Value);
  void WidgetActivated(int Index);

 protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitWidget() override;
  virtual void Change();
  void ItemsChanged(TStrings::TChange Change, int Index);
  void SyncWidget();

  std::unique_ptr<TStrings> FItems;
  TComboBoxStyle FStyle = csDropDown;
  int FItemIndex = -1;
  std::string FText;
  int FMaxLength = 0;
};

class TGroupBox : public TWidgetControl {
 public:
  explicit TGroupBox(TComponent* AOwner);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);

 protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitWidget() override;

 private:
  std::string FCaption;
};
