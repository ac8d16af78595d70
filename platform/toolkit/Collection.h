// TCollection and TCollectionItem: an ordered list of items of one class
// that the collection owns, with update batching and change notification,
// streamed by the filers as a list of items with their published properties.
#pragma once

#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "platform/toolkit/Persistent.h"

class TCollection;

class TCollectionItem : public TPersistent {
 public:
  // Appends the item to Collection (when given).
  explicit TCollectionItem(TCollection* Collection);
  // Takes the item out of its collection.
  ~TCollectionItem() override;
  TCollectionItem(const TCollectionItem&) = delete;
  TCollectionItem& operator=(const TCollectionItem&) = delete;

  TCollection* Collection() const { return FCollection; }
  // Moves the item into another collection (at its end), or out of any.
  void SetCollection(TCollection* Value);
  // A number unique within the collection, given when the item joins it.
  int ID() const { return FID; }
  // The item's position (-1 outside a collection).
  int Index() const;
  // Moves the item to position Value; raises EListError
  // "List index out of bounds (%d)" for a position outside the list.
  virtual void SetIndex(int Value);
  // The name shown for the item; the class name by default.
  virtual std::string DisplayName() const;
  virtual void SetDisplayName(const std::string& Value);
  TPersistent* GetOwner() const override;

 protected:
  // Tells the collection the item (or, with AllItems, every item) changed.
  void Changed(bool AllItems);

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

// How a collection makes its items: the class name and a factory that
// constructs an item in the given collection (the item joins it).
struct TCollectionItemClass {
  std::string Name;
  std::function<TCollectionItem*(TCollection*)> Create;
};

template <typename T>
TCollectionItemClass CollectionItemClassOf() {
  return TCollectionItemClass{TObject::ClassNameOf(typeid(T)),
                              [](TCollection* c) -> TCollectionItem* { return new T(c); }};
}

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollection : public TPersistent {
 public:
  explicit TCollection(TCollectionItemClass ItemClass, TPersistent* Owner = nullptr);
  // Frees the items, the last first.
  ~TCollection() override;
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;

  // A new item of ItemClass at the end.
  TCollectionItem* Add();
  // A new item at position Index.
  TCollectionItem* Insert(int Index);
  // Frees the item at Index.
  void Delete(int Index);
  // Frees every item, the last first, as one update.
  void Clear();
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises EListError "List index out of bounds (%d)".
  TCollectionItem* Items(int Index) const;
  // Items(Index)->Assign(Value).
  void SetItems(int Index, TCollectionItem* Value);
  TCollectionItem* FindItemID(int ID) const;
  const TCollectionItemClass& ItemClass() const { return FItemClass; }
  TPersistent* GetOwner() const override { return FOwner; }
  // Clears and copies every item of another collection.
  void Assign(const TPersistent* Source) override;

 protected:
  // Called for every change outside an update: Item changed, or (nil) the
  // whole collection.
  virtual void Update(TCollectionItem* Item);
  // Called when an item joins the collection; gives it a name where items have names.
  virtual void SetItemName(TCollectionItem* Item);
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
  // Update(nil) unless an update is running.
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  void MoveItem(int CurIndex, int NewIndex);

  TCollectionItemClass FItemClass;
  TPersistent* FOwner;
  std::vector<TCollectionItem*> FItems;
  int FUpdateCount = 0;
  int FNextID = 0;
};
