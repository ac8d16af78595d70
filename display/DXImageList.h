// The image list: a component that holds a collection of named pictures and
// binds it to a drawing control, whose notifications make and free the
// pictures' surfaces.
#pragma once

#include <memory>

#include "display/DXDraw.h"
#include "display/PictureCollection.h"
#include "platform/toolkit/Component.h"

class TCustomDXImageList : public TComponent {
 public:
  explicit TCustomDXImageList(TComponent* AOwner);
  // Unbinds first.
  ~TCustomDXImageList() override;

  void Notification(TComponent* AComponent, TOperation Operation) override;

  TCustomDXDraw* DXDraw() const { return FDXDraw; }
  // Leaves the bound control (which finalises the pictures) and registers
  // with the new one, which replays its current state at once.
  void SetDXDraw(TCustomDXDraw* Value);
  TPictureCollection* Items() const { return FItems.get(); }
  // The collection becomes a copy of Value.
  void SetItems(const TPictureCollection* Value);

 protected:
  void DrawControlNotified(TCustomDXDraw* Sender, TDrawNotifyCode NotifyType);

 private:
  TDrawNotifyHandler Handler() { return TDrawNotifyHandler(this, &TCustomDXImageList::DrawControlNotified); }

  TCustomDXDraw* FDXDraw = nullptr;
  std::unique_ptr<TPictureCollection> FItems;
};

// The image list with its properties published.
class TDXImageList : public TCustomDXImageList {
 public:
  explicit TDXImageList(TComponent* AOwner) : TCustomDXImageList(AOwner) {}
  void GetProperties(TPropertyList& List) override;
};
