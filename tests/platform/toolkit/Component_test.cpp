#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/toolkit/Component.h"

namespace {

std::vector<std::string> gLog;

class TLogged : public TComponent {
 public:
  TLogged(TComponent* owner, const std::string& name) : TComponent(owner) { SetName(name); }
  ~TLogged() override { gLog.push_back("free " + Name()); }
  void Notification(TComponent* c, TOperation op) override {
    if (c != this) gLog.push_back(Name() + (op == opInsert ? " +" : " -") + c->Name());
    TComponent::Notification(c, op);
  }
  void Loaded() override {
    TComponent::Loaded();
    gLog.push_back("loaded " + Name());
  }
};

}  // namespace

TEST(Component, OwnerKeepsCreationOrderAndFreesLastFirst) {
  gLog.clear();
  auto* owner = new TLogged(nullptr, "Owner");
  auto* a = new TLogged(owner, "A");
  auto* b = new TLogged(owner, "B");
  new TLogged(owner, "C");
  ASSERT_EQ(owner->ComponentCount(), 3);
  EXPECT_EQ(owner->Components(0), a);
  EXPECT_EQ(owner->Components(1), b);
  EXPECT_EQ(b->Owner(), owner);
  EXPECT_EQ(owner->FindComponent("b"), b);
  EXPECT_EQ(owner->FindComponent("D"), nullptr);
  EXPECT_THROW(owner->Components(3), EListError);
  gLog.clear();
  owner->Free();
  // An owner that is going frees its components without announcing each removal.
  EXPECT_EQ(gLog, (std::vector<std::string>{"free Owner", "free C", "free B", "free A"}));
}

TEST(Component, InsertAndRemoveAreAnnouncedToTheOwnerAndItsComponents) {
  gLog.clear();
  TLogged owner(nullptr, "Owner");
  auto* a = new TLogged(&owner, "A");
  EXPECT_EQ(gLog, (std::vector<std::string>{"Owner +"}));  // inserted before it was named
  gLog.clear();
  auto* b = new TLogged(&owner, "B");
  EXPECT_EQ(gLog, (std::vector<std::string>{"Owner +", "A +"}));
  (void)b;
  gLog.clear();
  delete a;
  EXPECT_EQ(gLog, (std::vector<std::string>{"free A", "Owner -A", "B -A"}));
  EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(Component, DuplicateNamesAreRefused) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  a->SetName("Button1");
  auto* b = new TComponent(&owner);
  EXPECT_THROW(b->SetName("BUTTON1"), EComponentError);
  b->SetName("Button2");
  EXPECT_EQ(owner.FindComponent("button2"), b);
}

TEST(Component, FreeNotificationTellsTheListenerOnce) {
  gLog.clear();
  auto* listener = new TLogged(nullptr, "L");
  auto* other = new TLogged(nullptr, "X");
  other->FreeNotification(listener);
  other->FreeNotification(listener);
  delete other;
  EXPECT_EQ(gLog, (std::vector<std::string>{"free X", "L -X"}));
  gLog.clear();
  // The bond goes both ways: freeing the listener first leaves nothing dangling.
  auto* y = new TLogged(nullptr, "Y");
  y->FreeNotification(listener);
  delete listener;
  gLog.clear();
  delete y;
  EXPECT_EQ(gLog, (std::vector<std::string>{"free Y"}));
}

TEST(Component, LoadingAndDesigningStates) {
  TLogged owner(nullptr, "Owner");
  auto* a = new TLogged(&owner, "A");
  a->BeginLoading();
  EXPECT_TRUE(a->ComponentState().Contains(csLoading));
  EXPECT_TRUE(a->ComponentState().Contains(csReading));
  gLog.clear();
  a->Loaded();
  EXPECT_FALSE(a->ComponentState().Contains(csLoading));
  EXPECT_FALSE(a->ComponentState().Contains(csReading));
  EXPECT_EQ(gLog, (std::vector<std::string>{"loaded A"}));
  owner.SetDesigning(true);
  EXPECT_TRUE(a->ComponentState().Contains(csDesigning));
  auto* b = new TLogged(&owner, "B");
  EXPECT_TRUE(b->ComponentState().Contains(csDesigning));
}

TEST(Methods, SlotsBoundToTheSameMemberAndObjectCompareEqual) {
  struct THolder {
    int Hits = 0;
    void Hit(int n) { Hits += n; }
    void Other(int) {}
  };
  THolder h1, h2;
  TMethod<void(int)> a(&h1, &THolder::Hit), b(&h1, &THolder::Hit), c(&h2, &THolder::Hit), d(&h1, &THolder::Other);
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a == c);
  EXPECT_FALSE(a == d);
  a(3);
  EXPECT_EQ(h1.Hits, 3);
  TMethod<void(int)> lambda = [](int) {};
  EXPECT_FALSE(lambda == lambda);  // no identity
  TMethod<void(int)> none;
  EXPECT_TRUE(none == nullptr);
  EXPECT_FALSE(static_cast<bool>(none));
}
