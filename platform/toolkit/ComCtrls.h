// TPageControl and its TTabSheets: pages stacked in one area, one shown at a
// time, chosen by a row of tabs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Graphics.h"

class TPageControl;

class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return FPageControl; }
  // Puts the sheet on a page control (as its last page) and makes that its parent.
  void SetPageControl(TPageControl* Value);
  void SetParent(TWinControl* AParent) override;
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  // Its place among the pages.
  int PageIndex() const;
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);

 protected:
  void CreateHandle() override;

 private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  std::string FCaption;
  bool FTabVisible = true;
};

class TPageControl : public TCustomControl {
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  int PageCount() const { return static_cast<int>(FPages.size()); }
  TTabSheet* Pages(int Index) const;
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* Page);
  // The active page's index among all pages (-1: none).
  int ActivePageIndex() const;
  void SetActivePageIndex(int Value);
  // The active page's index among the visible tabs (-1: none).
  int TabIndex() const;
  void SetTabIndex(int Value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value);
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value) { FMultiLine = Value; }
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value) { FTabStop = Value; }
  TFont* Font() const { return FFont.get(); }

  // The area the pages fill, in client coordinates.
  RECT DisplayRect() const;
  // The rectangle of a visible tab in client coordinates (empty when none).
  RECT TabRect(int TabIndex) const;

  // Raised when the user chooses another tab.
  TNotifyEvent OnChange;

  void WidgetTabChosen(int TabIndex);

 protected:
  void Paint() override;
  void CreateHandle() override;
  void BoundsChanged(bool Moved, bool Sized) override;
  virtual void Change();

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void UpdateTabs();
  void PlacePages();
  int TabHeight() const;

  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
  bool FHotTrack = false;
  bool FMultiLine = false;
  bool FTabStop = true;
  std::unique_ptr<TFont> FFont;
  QWidget* FTabBar = nullptr;
  int FUpdatingTabs = 0;
};
