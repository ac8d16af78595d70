#include "display/HashCollection.h"

#include <algorithm>

#include "platform/rtl/Cp1250.h"

std::int32_t NameHash(const std::string& Name) {
  const std::string s = AnsiLowerCase(Name);
  std::uint32_t h = static_cast<std::uint32_t>(s.size()) * 16u;
  if (s.size() >= 2)
    h += static_cast<std::uint8_t>(s[0]) + static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[s.size() - 2]));
  return static_cast<std::int32_t>(h & 255u);
}

// THashCollection

THashCollection::THashCollection(TCollectionItemClass ItemClass, TPersistent* Owner)
    : TCollection(std::move(ItemClass), Owner) {}

THashCollection::~THashCollection() {
  // The items leave while the buckets still stand, the last first.
  BeginUpdate();
  while (Count() > 0) delete Items(Count() - 1);
}

std::int32_t THashCollection::IndexOf(const std::string& Name) const {
  for (THashCollectionItem* item = FBuckets[static_cast<std::size_t>(NameHash(Name))]; item;
       item = item->NextInBucket())
    if (AnsiSameText(item->Name(), Name)) return item->CachedIndex();
  return -1;
}

void THashCollection::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  TCollection::Notify(Item, Action);
  // While an item is being made or freed it is not (or no longer) a hash
  // item here: its own constructor and destructor keep the chains then.
  auto* item = dynamic_cast<THashCollectionItem*>(Item);
  if (!item) return;
  if (Action == cnAdded) {
    item->FCachedIndex = Count() - 1;
    item->AddToBucket();
  } else if (Action == cnExtracting) {
    for (std::int32_t i = item->FCachedIndex + 1; i < Count(); ++i)
      if (auto* other = dynamic_cast<THashCollectionItem*>(Items(i))) --other->FCachedIndex;
    item->RemoveFromBucket();
    item->FCachedIndex = -1;
  }
}

// THashCollectionItem

THashCollectionItem::THashCollectionItem(TCollection* Collection) : TCollectionItem(Collection) {
  if (!HashCollection()) return;
  FCachedIndex = Collection->Count() - 1;
  AddToBucket();
}

THashCollectionItem::~THashCollectionItem() {
  if (THashCollection* owner = HashCollection()) {
    for (std::int32_t i = FCachedIndex + 1; i < owner->Count(); ++i)
      if (auto* item = dynamic_cast<THashCollectionItem*>(owner->Items(i))) --item->FCachedIndex;
    RemoveFromBucket();
  }
}

THashCollection* THashCollectionItem::HashCollection() const { return dynamic_cast<THashCollection*>(Collection()); }

void THashCollectionItem::AddToBucket() {
  THashCollection* owner = HashCollection();
  if (!owner) return;
  FBucketIndex = NameHash(FName);
  THashCollectionItem*& head = owner->FBuckets[static_cast<std::size_t>(FBucketIndex)];
  if (head) head->FPrevInBucket = this;
  FNextInBucket = head;
  FPrevInBucket = nullptr;
  head = this;
}

void THashCollectionItem::RemoveFromBucket() {
  THashCollection* owner = HashCollection();
  if (!owner) return;
  if (FPrevInBucket) {
    FPrevInBucket->FNextInBucket = FNextInBucket;
    if (FNextInBucket) FNextInBucket->FPrevInBucket = FPrevInBucket;
  } else {
    THashCollectionItem*& head = owner->FBuckets[static_cast<std::size_t>(FBucketIndex)];
    if (head == this) head = FNextInBucket;
    if (FNextInBucket) FNextInBucket->FPrevInBucket = nullptr;
  }
  FPrevInBucket = nullptr;
  FNextInBucket = nullptr;
}

void THashCollectionItem::SetName(const std::string& Value) {
  if (Value == FName) return;
  FName = Value;
  RemoveFromBucket();
  AddToBucket();
}

void THashCollectionItem::SetIndex(std::int32_t Value) {
  if (Value == FCachedIndex) return;
  const std::int32_t old = FCachedIndex;
  TCollectionItem::SetIndex(Value);
  THashCollection* owner = HashCollection();
  if (!owner) return;
  // Every item between the old and the new position took one step.
  const std::int32_t from = std::max(0, std::min(old, Value));
  const std::int32_t to = std::min(owner->Count() - 1, std::max(old, Value));
  for (std::int32_t i = from; i <= to; ++i)
    if (auto* item = dynamic_cast<THashCollectionItem*>(owner->Items(i))) item->FCachedIndex = i;
}

void THashCollectionItem::Assign(const TPersistent* Source) {
  if (auto* item = dynamic_cast<const THashCollectionItem*>(Source)) {
    SetName(item->FName);
    return;
  }
  TCollectionItem::Assign(Source);
}

std::string THashCollectionItem::DisplayName() const { return FName.empty() ? TCollectionItem::DisplayName() : FName; }

void THashCollectionItem::GetProperties(TPropertyList& List) {
  TCollectionItem::GetProperties(List);
  List.String(
      "Name", [this] { return FName; }, [this](const std::string& v) { SetName(v); });
}
