#include "platform/toolkit/FormBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/toolkit/ExtCtrls.h"
#include "platform/toolkit/StdCtrls.h"
#include "tests/platform/toolkit/ctrl_fixture.h"

namespace {

std::vector<std::string> gLoaded;

class TRecorded : public TComponent {
 public:
  using TComponent::TComponent;
  void Loaded() override {
    gLoaded.push_back(Name() + (ComponentState().Contains(csLoading) ? " loading" : " done"));
    TComponent::Loaded();
  }
};

bool Loading(const TComponent* C) {
  return C->ComponentState().Contains(csLoading) && C->ComponentState().Contains(csReading);
}

}  // namespace

using FormBuilder = TControlsTest;

// Every component is loading while the properties are set; loading ends for
// each in creation order (nested parents make no difference), the form last.
TEST_F(FormBuilder, LoadFormEndsLoadingOfEachComponentInCreationOrderThenTheForm) {
  gLoaded.clear();
  TRecorded form(nullptr);
  form.SetName("Form");
  std::vector<TComponent*> made;
  LoadForm(&form, [&] {
    EXPECT_TRUE(Loading(&form));
    for (const char* name : {"B", "A", "C"}) made.push_back(MakeComponent<TRecorded>(&form, name));
    for (TComponent* c : made) EXPECT_TRUE(Loading(c)) << c->Name();
    EXPECT_TRUE(gLoaded.empty());
  });
  EXPECT_EQ(gLoaded, (std::vector<std::string>{"B loading", "A loading", "C loading", "Form loading"}));
  EXPECT_FALSE(Loading(&form));
  for (TComponent* c : made) EXPECT_FALSE(Loading(c)) << c->Name();
}

// A control is owned, named, in its parent at its bounds; a label sizes
// itself to its caption only when its loading ends, as one read from stored
// data does.
TEST_F(FormBuilder, MakeComponentPlacesAControlThatSizesItselfWhenLoaded) {
  TLabel* label = nullptr;
  TPanel* panel = nullptr;
  LoadForm(Main, [&] {
    panel = MakeComponent<TPanel>(Main, "Panel1", Main, 10, 20, 200, 100);
    label = MakeComponent<TLabel>(Main, "Label1", panel, 4, 6, 10, 13);
    label->SetCaption("A caption wider than ten pixels");
    EXPECT_EQ(label->Width(), 10);
  });
  EXPECT_EQ(label->Owner(), Main);
  EXPECT_EQ(Main->FindComponent("Label1"), label);
  EXPECT_EQ(label->Parent(), panel);
  EXPECT_EQ(panel->Parent(), Main);
  EXPECT_EQ((std::vector<int>{panel->Left(), panel->Top(), panel->Width(), panel->Height()}),
            (std::vector<int>{10, 20, 200, 100}));
  EXPECT_EQ(label->Left(), 4);
  EXPECT_EQ(label->Top(), 6);
  EXPECT_GT(label->Width(), 10);
}
