// Collections of named items with a fixed 256-bucket hash on the lower-cased
// name: lookups by name return the item's position without scanning the
// collection, because every item keeps its position cached.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/toolkit/Collection.h"

class THashCollectionItem;

// The bucket of a name: 16 × its length plus the codes of its first and
// second-to-last characters (lower-cased by the code page), modulo 256.
std::int32_t NameHash(const std::string& Name);

class THashCollection : public TCollection {
 public:
  explicit THashCollection(TCollectionItemClass ItemClass, TPersistent* Owner = nullptr);
  ~THashCollection() override;

  // The position of the item called Name (case ignored); among several such
  // items the one named last; −1 when there is none.
  std::int32_t IndexOf(const std::string& Name) const;
  // The head of a bucket's chain (null when empty).
  THashCollectionItem* Buckets(std::int32_t Index) const { return FBuckets[static_cast<std::size_t>(Index & 255)]; }

 protected:
  // An item moved here from elsewhere is hashed and numbered; one leaving
  // for another collection is unlinked and the items behind it renumbered.
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  friend class THashCollectionItem;
  std::array<THashCollectionItem*, 256> FBuckets{};
};

class THashCollectionItem : public TCollectionItem {
 public:
  // Joins Collection at its end, with an empty name (bucket 0).
  explicit THashCollectionItem(TCollection* Collection);
  ~THashCollectionItem() override;

  // From another hash-collection item only its name is taken.
  void Assign(const TPersistent* Source) override;
  // The name, or the class name when the name is empty.
  std::string DisplayName() const override;
  void SetIndex(std::int32_t Value) override;
  void GetProperties(TPropertyList& List) override;

  const std::string& Name() const { return FName; }
  // A different name (compared case-sensitively) moves the item to the
  // head of its new bucket.
  void SetName(const std::string& Value);

  std::int32_t BucketIndex() const { return FBucketIndex; }
  std::int32_t CachedIndex() const { return FCachedIndex; }
  THashCollectionItem* PrevInBucket() const { return FPrevInBucket; }
  THashCollectionItem* NextInBucket() const { return FNextInBucket; }

 private:
  friend class THashCollection;
  THashCollection* HashCollection() const;
  void AddToBucket();
  void RemoveFromBucket();

  std::int32_t FBucketIndex = 0;
  std::int32_t FCachedIndex = -1;
  std::string FName;
  THashCollectionItem* FPrevInBucket = nullptr;
  THashCollectionItem* FNextInBucket = nullptr;
};
