#include "display/DXImageList.h"

TCustomDXImageList::TCustomDXImageList(TComponent* AOwner)
    : TComponent(AOwner), FItems(std::make_unique<TPictureCollection>(this)) {}

TCustomDXImageList::~TCustomDXImageList() {
  try {
    SetDXDraw(nullptr);
  } catch (...) {}
  if (FDXDraw) FDXDraw->RemoveFreeNotification(this);
  FDXDraw = nullptr;
  FItems.reset();
}

void TCustomDXImageList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDXDraw && FDXDraw) {
    if (!AComponent->ComponentState().Contains(csDestroying)) {
      // Taken from its owner but alive: it would go on calling this list, so
      // the list unregisters (which finalises the pictures).
      SetDXDraw(nullptr);
      return;
    }
    // The control is already taken apart here; it told dnDestroying before
    // (which unbinds), so this only covers a control that could not.
    FDXDraw = nullptr;
    FItems->Finalize();
  }
}

void TCustomDXImageList::SetDXDraw(TCustomDXDraw* Value) {
  if (FDXDraw) {
    TCustomDXDraw* old = FDXDraw;
    FDXDraw = nullptr;
    old->RemoveFreeNotification(this);
    old->RemoveListener(Handler());
  }
  FDXDraw = Value;
  if (FDXDraw) {
    FDXDraw->FreeNotification(this);
    FDXDraw->AddListener(Handler());
  }
}

void TCustomDXImageList::SetItems(const TPictureCollection* Value) { FItems->Assign(Value); }

void TCustomDXImageList::DrawControlNotified(TCustomDXDraw* Sender, TDrawNotifyCode NotifyType) {
  switch (NotifyType) {
    case dnDestroying: SetDXDraw(nullptr); break;
    case dnInitialize: FItems->InitializeImages(Sender); break;
    case dnFinalize: FItems->Finalize(); break;
    case dnRestore: FItems->Restore(); break;
    default: break;
  }
}

void TDXImageList::GetProperties(TPropertyList& List) {
  TCustomDXImageList::GetProperties(List);
  List.Persistent("Items", [this]() -> TPersistent* { return Items(); });
}
