#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/toolkit/Collection.h"

namespace {

std::vector<std::string>* gLog = nullptr;

class Item : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  ~Item() override {
    if (gLog) gLog->push_back("free " + Name);
  }
  std::string Name;
  void Assign(const TPersistent* Source) override {
    if (auto* i = dynamic_cast<const Item*>(Source)) {
      Name = i->Name;
      return;
    }
    TCollectionItem::Assign(Source);
  }
  void Touch() { Changed(false); }
};

class Logged : public TCollection {
 public:
  explicit Logged(std::vector<std::string>* log) : TCollection(CollectionItemClassOf<Item>()), FLog(log) {}
  ~Logged() override { FLog = nullptr; }

 protected:
  void Update(TCollectionItem* I) override {
    if (FLog) FLog->push_back(I ? "update " + static_cast<Item*>(I)->Name : "update all");
  }
  void Notify(TCollectionItem*, TCollectionNotification Action) override {
    static const char* names[] = {"added", "extracting", "deleting"};
    if (FLog) FLog->push_back(names[Action]);
  }

 private:
  std::vector<std::string>* FLog;
};

Item* AddNamed(TCollection& c, const std::string& name) {
  auto* i = static_cast<Item*>(c.Add());
  i->Name = name;
  return i;
}

std::string Names(const TCollection& c) {
  std::string s;
  for (int i = 0; i < c.Count(); ++i) s += static_cast<Item*>(c.Items(i))->Name;
  return s;
}

}  // namespace

TEST(Collection, AddInsertMoveAndDeleteKeepTheOrder) {
  TCollection c(CollectionItemClassOf<Item>());
  Item* a = AddNamed(c, "a");
  AddNamed(c, "b");
  Item* x = static_cast<Item*>(c.Insert(1));
  x->Name = std::string(1, 'x');
  EXPECT_EQ(Names(c), "axb");
  EXPECT_EQ(x->Index(), 1);
  EXPECT_EQ(a->ID(), 0);
  EXPECT_EQ(x->ID(), 2);
  EXPECT_EQ(c.FindItemID(2), x);
  a->SetIndex(2);
  EXPECT_EQ(Names(c), "xba");
  c.Delete(0);
  EXPECT_EQ(Names(c), "ba");
  EXPECT_EQ(AddNamed(c, "c")->ID(), 3);  // IDs are never reused
  delete c.Items(0);                     // freeing an item takes it out
  EXPECT_EQ(Names(c), "ac");
  EXPECT_EQ(a->Collection(), &c);

  TCollection other(CollectionItemClassOf<Item>());
  a->SetCollection(&other);
  EXPECT_EQ(Names(c), "c");
  EXPECT_EQ(Names(other), "a");
  EXPECT_EQ(a->GetOwner(), &other);
  EXPECT_EQ(a->DisplayName(), "(anonymous namespace)::Item");

  c.Clear();
  EXPECT_EQ(c.Count(), 0);
}

TEST(Collection, IndexesOutOfRangeRaiseTheListError) {
  TCollection c(CollectionItemClassOf<Item>());
  Item* a = AddNamed(c, "a");
  AddNamed(c, "b");
  struct Case {
    std::function<void()> op;
    const char* text;
  } cases[] = {
      {[&] { c.Items(2); }, "List index out of bounds (2)"},  {[&] { c.Items(-1); }, "List index out of bounds (-1)"},
      {[&] { c.Delete(5); }, "List index out of bounds (5)"}, {[&] { a->SetIndex(2); }, "List index out of bounds (2)"},
      {[&] { c.Insert(3); }, "List index out of bounds (3)"},
  };
  for (const Case& k : cases) {
    try {
      k.op();
      ADD_FAILURE() << k.text;
    } catch (const EListError& e) { EXPECT_STREQ(e.what(), k.text); }
  }
  EXPECT_EQ(Names(c), "ab");
}

TEST(Collection, UpdatesAreBatchedAndNotificationsComeInOrder) {
  std::vector<std::string> log;
  gLog = &log;
  Logged c(&log);
  AddNamed(c, "a");
  Item* b = AddNamed(c, "b");
  EXPECT_EQ(log, (std::vector<std::string>{"added", "update all", "added", "update all"}));
  log.clear();
  b->Touch();
  EXPECT_EQ(log, (std::vector<std::string>{"update b"}));
  log.clear();
  c.BeginUpdate();
  b->Touch();
  AddNamed(c, "c");
  c.Delete(0);
  EXPECT_EQ(log, (std::vector<std::string>{"added", "deleting", "free a", "extracting"}));
  c.EndUpdate();
  EXPECT_EQ(log.back(), "update all");
  log.clear();
  c.Clear();  // the last first, one update at the end
  EXPECT_EQ(log, (std::vector<std::string>{"free c", "extracting", "free b", "extracting", "update all"}));
  gLog = nullptr;
}

TEST(Collection, DestructionFreesTheLastItemFirstAndAssignCopies) {
  std::vector<std::string> log;
  gLog = &log;
  {
    TCollection c(CollectionItemClassOf<Item>());
    AddNamed(c, "a");
    AddNamed(c, "b");
    TCollection copy(CollectionItemClassOf<Item>());
    AddNamed(copy, "z");
    copy.Assign(&c);
    EXPECT_EQ(Names(copy), "ab");
    static_cast<Item*>(copy.Items(0))->Name = std::string(1, 'A');
    EXPECT_EQ(Names(c), "ab");
    log.clear();
  }
  gLog = nullptr;
  EXPECT_EQ(log, (std::vector<std::string>{"free b", "free A", "free b", "free a"}));
}
