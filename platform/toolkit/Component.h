// TComponent: the base of everything placed on a form. A component belongs to
// its owner, which keeps its components in creation order and frees them,
// last first, when it is freed itself. Components are told when others are
// inserted into or removed from their owner, and anyone may ask to be told when
// a given component goes (FreeNotification).
#pragma once

#include <string>
#include <vector>

#include "platform/toolkit/Methods.h"
#include "platform/toolkit/Persistent.h"
#include "platform/toolkit/Sets.h"

enum TOperation { opInsert, opRemove };

enum TComponentStateItem {
  csLoading,
  csReading,
  csWriting,
  csDestroying,
  csDesigning,
  csAncestor,
  csUpdating,
  csFixups,
  csFreeNotification,
  csInline,
  csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

class EComponentError : public Exception {
 public:
  using Exception::Exception;
};

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // Frees the component: BeforeDestruction while the whole object still
  // stands, then the destructor. Owners free their components this way.
  void Free();
  // Runs once before destruction: marks the component as destroying. Windowed
  // controls destroy their window here, so their window procedures (and any
  // subclass on them) still see WM_DESTROY with every component alive.
  virtual void BeforeDestruction();
  // Runs after the most derived constructor when the toolkit creates the
  // object (Application->CreateForm); forms raise OnCreate here.
  virtual void AfterConstruction() {}

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;
  int ComponentIndex() const;

  const std::string& Name() const { return FName; }
  // Names are unique among the components of one owner (compared without
  // regard to ASCII case); "Component named %s already exists" otherwise.
  virtual void SetName(const std::string& NewName);
  int Tag() const { return FTag; }
  void SetTag(int Value) { FTag = Value; }

  TComponentState ComponentState() const { return FComponentState; }
  // Marks the start of setting stored properties (csLoading and csReading);
  // Loaded ends it. Forms call this on each component they build in code.
  void BeginLoading();
  // Called after all stored properties are set: clears csLoading/csReading.
  virtual void Loaded();
  void SetDesigning(bool Value);

  // The owned component with that name (ASCII case ignored), or null.
  TComponent* FindComponent(const std::string& AName) const;

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Frees every owned component, the most recently inserted first.
  void DestroyComponents();
  // Sets csDestroying on this component and, through Destroying, on its own.
  void Destroying();

  // AComponent will call Notification(it, opRemove) on this component when it
  // is freed (and this component does the same to AComponent).
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Told about components inserted into or removed from this component's
  // owner list, and about freed components this one asked to hear about. The
  // default passes the news on to the owned components.
  virtual void Notification(TComponent* AComponent, TOperation Operation);

 protected:
  void IncludeState(TComponentStateItem Item) { FComponentState.Include(Item); }
  void ExcludeState(TComponentStateItem Item) { FComponentState.Exclude(Item); }

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);

  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  std::string FName;
  int FTag = 0;
  TComponentState FComponentState;
  bool FBeforeDestructionDone = false;
};
