#include "display/HashCollection.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/rtl/Cp1250.h"

namespace {

THashCollectionItem* Add(THashCollection& c, const std::string& name) {
  auto* item = static_cast<THashCollectionItem*>(c.Add());
  item->SetName(name);
  return item;
}

THashCollectionItem* At(THashCollection& c, int i) { return static_cast<THashCollectionItem*>(c.Items(i)); }

// Every item in the bucket of its name, chains doubly linked, cached
// positions equal to the real ones.
void CheckInvariants(THashCollection& c) {
  int linked = 0;
  for (int b = 0; b < 256; ++b) {
    THashCollectionItem* prev = nullptr;
    for (THashCollectionItem* item = c.Buckets(b); item; item = item->NextInBucket()) {
      ASSERT_EQ(item->PrevInBucket(), prev);
      ASSERT_EQ(item->BucketIndex(), b);
      ASSERT_EQ(NameHash(item->Name()), b);
      ASSERT_EQ(item->Collection(), &c);
      prev = item;
      ++linked;
    }
  }
  ASSERT_EQ(linked, c.Count());
  for (int i = 0; i < c.Count(); ++i) ASSERT_EQ(At(c, i)->CachedIndex(), i);
}

}  // namespace

TEST(NameHash, Examples) {
  EXPECT_EQ(NameHash(""), 0);
  EXPECT_EQ(NameHash("x"), 16);
  EXPECT_EQ(NameHash("X"), 16);
  EXPECT_EQ(NameHash("tile"), 32);
  EXPECT_EQ(NameHash("TILE"), 32);
  EXPECT_EQ(NameHash("up1"), 21);
  EXPECT_EQ(NameHash("ab"), (32 + 97 + 97) & 255);  // the first character twice
  // Polish letters are lower-cased by the code page: "Ł" is $A3, "ł" $B3.
  EXPECT_EQ(NameHash(Cp("Łucznik")), NameHash(Cp("łucznik")));
  EXPECT_EQ(NameHash(Cp("łucznik")), (7 * 16 + 0xB3 + 'i') & 255);
}

TEST(HashCollection, UnnamedItemsLiveInBucketZero) {
  THashCollection c(CollectionItemClassOf<THashCollectionItem>());
  auto* a = static_cast<THashCollectionItem*>(c.Add());
  EXPECT_EQ(a->BucketIndex(), 0);
  EXPECT_EQ(c.Buckets(0), a);
  EXPECT_EQ(c.IndexOf(""), 0);
  EXPECT_EQ(a->DisplayName(), a->ClassName());
  a->SetName("tile");
  EXPECT_EQ(c.Buckets(0), nullptr);
  EXPECT_EQ(c.Buckets(32), a);
  EXPECT_EQ(c.IndexOf(""), -1);
  EXPECT_EQ(a->DisplayName(), "tile");
}

TEST(HashCollection, LookupIgnoresCaseAndFindsTheLastNamed) {
  THashCollection c(CollectionItemClassOf<THashCollectionItem>());
  Add(c, "water");
  THashCollectionItem* a = Add(c, "Tree");
  EXPECT_EQ(c.IndexOf("tree"), 1);
  EXPECT_EQ(c.IndexOf("TREE"), 1);
  EXPECT_EQ(c.IndexOf("trees"), -1);
  // Renaming to the same name in other letters re-links it into the same bucket.
  Add(c, "treE");
  EXPECT_EQ(c.IndexOf("Tree"), 2);
  a->SetName("TREE");
  EXPECT_EQ(a->BucketIndex(), NameHash("tree"));
  EXPECT_EQ(c.IndexOf("tReE"), 1);
  // Setting the very same name changes nothing.
  At(c, 2)->SetName("treE");
  EXPECT_EQ(c.IndexOf("tree"), 1);
  CheckInvariants(c);
}

TEST(HashCollection, DestroyAndMoveKeepPositions) {
  THashCollection c(CollectionItemClassOf<THashCollectionItem>());
  Add(c, "a1");
  Add(c, "b2");
  Add(c, "c3");
  delete At(c, 0);
  EXPECT_EQ(c.IndexOf("b2"), 0);
  EXPECT_EQ(c.IndexOf("c3"), 1);
  EXPECT_EQ(c.IndexOf("a1"), -1);
  Add(c, "d4");
  // Moving position 0 to 2 of three.
  At(c, 0)->SetIndex(2);
  EXPECT_EQ(c.IndexOf("c3"), 0);
  EXPECT_EQ(c.IndexOf("d4"), 1);
  EXPECT_EQ(c.IndexOf("b2"), 2);
  At(c, 2)->SetIndex(0);
  EXPECT_EQ(c.IndexOf("b2"), 0);
  EXPECT_EQ(c.IndexOf("d4"), 2);
  // Insert puts a new item in place and renumbers those behind it.
  auto* inserted = static_cast<THashCollectionItem*>(c.Insert(1));
  inserted->SetName("e5");
  EXPECT_EQ(c.IndexOf("e5"), 1);
  EXPECT_EQ(c.IndexOf("c3"), 2);
  CheckInvariants(c);
  // A move outside the list fails and changes nothing.
  EXPECT_THROW(At(c, 0)->SetIndex(9), EListError);
  CheckInvariants(c);
  c.Delete(1);
  CheckInvariants(c);
  c.Clear();
  EXPECT_EQ(c.Count(), 0);
  for (int b = 0; b < 256; ++b) EXPECT_EQ(c.Buckets(b), nullptr);
}

TEST(HashCollection, AnItemMovedToAnotherCollectionLeavesTheOldOneWhole) {
  THashCollection from(CollectionItemClassOf<THashCollectionItem>());
  THashCollection to(CollectionItemClassOf<THashCollectionItem>());
  Add(from, "a1");
  THashCollectionItem* moved = Add(from, "tile");
  Add(from, "c3");
  Add(to, "x9");
  moved->SetCollection(&to);
  CheckInvariants(from);
  CheckInvariants(to);
  EXPECT_EQ(from.IndexOf("tile"), -1);
  EXPECT_EQ(from.IndexOf("c3"), 1);
  EXPECT_EQ(to.IndexOf("TILE"), 1);
  // Freed in its new home, it must not be reached from the old one.
  delete moved;
  EXPECT_EQ(from.IndexOf("tile"), -1);
  EXPECT_EQ(to.IndexOf("tile"), -1);
  CheckInvariants(from);
  CheckInvariants(to);
  // Out of any collection and back.
  THashCollectionItem* loose = At(from, 0);
  loose->SetCollection(nullptr);
  CheckInvariants(from);
  EXPECT_EQ(from.IndexOf("a1"), -1);
  EXPECT_EQ(from.IndexOf("c3"), 0);
  loose->SetCollection(&from);
  CheckInvariants(from);
  EXPECT_EQ(from.IndexOf("a1"), 1);
}

TEST(HashCollection, AssignTakesTheNameOnly) {
  THashCollection c(CollectionItemClassOf<THashCollectionItem>());
  THashCollectionItem* a = Add(c, "archer");
  THashCollectionItem* b = Add(c, "boom");
  b->Assign(a);
  EXPECT_EQ(b->Name(), "archer");
  EXPECT_EQ(c.IndexOf("archer"), 1);
  TPersistent other;
  EXPECT_THROW(a->Assign(&other), EConvertError);
  EXPECT_EQ(a->Name(), "archer");
  // Collections assigned item by item.
  THashCollection d(CollectionItemClassOf<THashCollectionItem>());
  d.Assign(&c);
  EXPECT_EQ(d.Count(), 2);
  EXPECT_EQ(d.IndexOf("ARCHER"), 1);
  CheckInvariants(d);
}

TEST(HashCollection, PublishesTheName) {
  THashCollection c(CollectionItemClassOf<THashCollectionItem>());
  THashCollectionItem* a = Add(c, "c3");
  TPropertyList list;
  a->GetProperties(list);
  const TPropertyInfo* name = list.Find("Name");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->GetString(), "c3");
  name->SetString("hand");
  EXPECT_EQ(c.IndexOf("HAND"), 0);
}

TEST(HashCollection, RandomisedAgainstAModel) {
  // Names from a small pool with case variants and colliding buckets.
  const std::vector<std::string> pool = {"",     "a",    "B",     "tile", "TILE", "Tile",        "up1",
                                         "Up1",  "tree", "water", "ab",   "ba",   Cp("łucznik"), Cp("ŁUCZNIK"),
                                         "hand", "c3",   "x",     "y"};
  std::mt19937 rng(20261210);
  THashCollection c(CollectionItemClassOf<THashCollectionItem>());
  // The model: names in order, and for each item when it was last named.
  std::vector<std::string> names;
  std::vector<long> namedAt;
  long clock = 0;
  for (int step = 0; step < 4000; ++step) {
    const int op = static_cast<int>(rng() % 10);
    const int n = static_cast<int>(names.size());
    if (op < 3 || n == 0) {  // create (named or not)
      auto* item = static_cast<THashCollectionItem*>(c.Add());
      names.push_back("");
      namedAt.push_back(++clock);
      if (rng() & 1) {
        const std::string& name = pool[rng() % pool.size()];
        item->SetName(name);
        if (!name.empty()) namedAt.back() = ++clock;
        names.back() = name;
      }
    } else if (op < 6) {  // rename
      const int i = static_cast<int>(rng() % n);
      const std::string& name = pool[rng() % pool.size()];
      if (name != names[i]) namedAt[i] = ++clock;
      At(c, i)->SetName(name);
      names[i] = name;
    } else if (op < 8) {  // move
      const int from = static_cast<int>(rng() % n), to = static_cast<int>(rng() % n);
      At(c, from)->SetIndex(to);
      std::string name = names[from];
      long at = namedAt[from];
      names.erase(names.begin() + from);
      namedAt.erase(namedAt.begin() + from);
      names.insert(names.begin() + to, name);
      namedAt.insert(namedAt.begin() + to, at);
    } else {  // destroy
      const int i = static_cast<int>(rng() % n);
      if (rng() & 1)
        delete At(c, i);
      else
        c.Delete(i);
      names.erase(names.begin() + i);
      namedAt.erase(namedAt.begin() + i);
    }
    ASSERT_EQ(c.Count(), static_cast<int>(names.size()));
    CheckInvariants(c);
    if (HasFatalFailure()) return;
    for (const std::string& probe : pool) {
      int expected = -1;
      long best = -1;
      for (int i = 0; i < static_cast<int>(names.size()); ++i)
        if (AnsiSameText(names[i], probe) && namedAt[i] > best) {
          best = namedAt[i];
          expected = i;
        }
      ASSERT_EQ(c.IndexOf(probe), expected) << "step " << step << " probe '" << probe << "'";
    }
  }
}
