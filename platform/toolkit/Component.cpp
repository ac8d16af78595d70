#include "platform/toolkit/Component.h"

#include <algorithm>

#include "platform/rtl/Format.h"

namespace {

bool SameTextAscii(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

void EraseOne(std::vector<TComponent*>& list, TComponent* c) {
  auto it = std::find(list.begin(), list.end(), c);
  if (it != list.end()) list.erase(it);
}

}  // namespace

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Everyone that asked to hear about this component's end hears it first.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    EraseOne(other->FFreeNotifies, this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::Free() {
  if (!FBeforeDestructionDone) {
    FBeforeDestructionDone = true;
    BeforeDestruction();
  }
  delete this;
}

void TComponent::BeforeDestruction() { Destroying(); }

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FComponents[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetName(const std::string& NewName) {
  if (NewName == FName) return;
  if (!NewName.empty() && FOwner) {
    TComponent* other = FOwner->FindComponent(NewName);
    if (other && other != this) throw EComponentError(Format("Component named %s already exists", NewName));
  }
  FName = NewName;
}

void TComponent::BeginLoading() {
  FComponentState.Include(csLoading);
  FComponentState.Include(csReading);
}

void TComponent::Loaded() {
  FComponentState.Exclude(csLoading);
  FComponentState.Exclude(csReading);
}

void TComponent::SetDesigning(bool Value) {
  if (Value)
    FComponentState.Include(csDesigning);
  else
    FComponentState.Exclude(csDesigning);
  for (TComponent* c : FComponents) c->SetDesigning(Value);
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameTextAscii(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent) return;
  if (!AComponent->FName.empty() && FindComponent(AComponent->FName))
    throw EComponentError(Format("Component named %s already exists", AComponent->FName));
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner != this) return;
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  EraseOne(FComponents, AComponent);
  AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    Remove(c);
    c->Free();
  }
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
    FFreeNotifies.push_back(AComponent);
  if (std::find(AComponent->FFreeNotifies.begin(), AComponent->FFreeNotifies.end(), this) ==
      AComponent->FFreeNotifies.end())
    AComponent->FFreeNotifies.push_back(this);
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  RemoveNotification(AComponent);
  if (AComponent) AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) { EraseOne(FFreeNotifies, AComponent); }

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // A copy: a component told about a removal may free others.
  std::vector<TComponent*> owned = FComponents;
  for (auto it = owned.rbegin(); it != owned.rend(); ++it)
    if (std::find(FComponents.begin(), FComponents.end(), *it) != FComponents.end())
      (*it)->Notification(AComponent, Operation);
}
