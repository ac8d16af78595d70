#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "input_fixture.h"
#include "platform/rtl/Streams.h"
#include "platform/toolkit/Filer.h"

namespace {

using ForceFeedback = InputFixture;

// A joystick with force feedback switched on, its component and its tree.
struct TFeedbackStick {
  DWORD Id = 0;
  TDXInput* Input = nullptr;
  TForceFeedbackEffects* Root() const { return Input->Joystick()->Effects(); }
};

class ForceFeedbackDevice : public InputFixture {
 protected:
  TFeedbackStick Make() {
    TFeedbackStick s;
    s.Id = AddStick(4, true);
    s.Input = new TDXInput(Main);
    s.Input->BeginLoading();
    s.Input->Joystick()->SetForceFeedback(true);
    s.Input->Loaded();
    EXPECT_TRUE(s.Input->Joystick()->ForceFeedbackDevice());
    VirtualJoystickClearEvents(s.Id);
    return s;
  }
  static std::vector<TVirtualEffectEvent> Events(DWORD Id, TVirtualEffectEvent::TOp Op) {
    std::vector<TVirtualEffectEvent> out;
    for (const auto& e : VirtualJoystickEvents(Id))
      if (e.Op == Op) out.push_back(e);
    return out;
  }
};

TEST_F(ForceFeedback, SettersClampAndSkipUnchangedValues) {
  TDXInput* input = MakeInput(Main);
  TForceFeedbackEffects* root = input->Joystick()->Effects();
  EXPECT_EQ(root->Name, "Effects");
  EXPECT_EQ(root->Period(), 50);
  EXPECT_EQ(root->Power(), 10000);
  EXPECT_EQ(root->Time(), 1000);
  EXPECT_EQ(root->EffectType(), etNone);
  auto* e = new TForceFeedbackEffect(root);
  e->SetTime(-5);
  EXPECT_EQ(e->Time(), 0);
  e->SetTime(-1);
  EXPECT_EQ(e->Time(), -1);
  e->SetAttackLevel(20000);
  EXPECT_EQ(e->AttackLevel(), 10000);
  e->SetFadeLevel(-4);
  EXPECT_EQ(e->FadeLevel(), 0);
  e->SetPower(10001);
  EXPECT_EQ(e->Power(), 10000);
  e->SetConstant({-20000, 5});
  EXPECT_EQ(e->Constant(), (TFFPoint{-10000, 5}));
  e->SetCondition({3, 20000});
  EXPECT_EQ(e->Condition(), (TFFPoint{3, 10000}));
  e->SetAttackTime(-1);
  e->SetFadeTime(-1);
  e->SetPeriod(-1);
  e->SetStartDelayTime(-7);
  EXPECT_EQ(e->AttackTime(), 0);
  EXPECT_EQ(e->FadeTime(), 0);
  EXPECT_EQ(e->Period(), 0);
  EXPECT_EQ(e->StartDelayTime(), 0);
  EXPECT_EQ(root->Count(), 1);
  EXPECT_EQ(root->Effects(0), e);
  EXPECT_THROW(root->Effects(1), EListError);
  delete e;
  EXPECT_EQ(root->Count(), 0);
}

TEST_F(ForceFeedback, ANodeWithoutParentMustBeARoot) {
  try {
    TForceFeedbackEffect orphan(nullptr);
    FAIL() << "no exception";
  } catch (const EInvalidCast& e) { EXPECT_EQ(e.Message(), "Invalid class typecast"); }
}

TEST_F(ForceFeedback, EffectBlocksFollowTheNodesValues) {
  TDXInput* input = MakeInput(Main);
  auto* e = new TForceFeedbackEffect(input->Joystick()->Effects());
  struct Case {
    TFFPoint Constant;
    LONG Magnitude;
  } cases[] = {{{3, 4}, 5}, {{1, 1}, 1}, {{-10000, -10000}, 14142}, {{0, 0}, 0}};
  e->SetEffectType(etConstantForce);
  for (const Case& c : cases) {
    e->SetConstant(c.Constant);
    e->BuildParameters();
    const auto& o = e->Object1();
    EXPECT_EQ(o.ConstantForce.lMagnitude, c.Magnitude);
    EXPECT_EQ(o.Directions[0], -c.Constant.X);
    EXPECT_EQ(o.Directions[1], -c.Constant.Y);
    EXPECT_EQ(o.Block.cbTypeSpecificParams, 4u);
    EXPECT_EQ(e->Object2().Block.dwSize, 0u) << "object 2 is not built";
  }

  // A finite effect: times in microseconds, attack and fade cut to the time.
  e->SetTime(1000);
  e->SetAttackTime(2000);
  e->SetFadeTime(300);
  e->SetFadeLevel(7);
  e->BuildParameters();
  EXPECT_EQ(e->Object1().Block.dwDuration, 1000000u);
  EXPECT_EQ(e->Object1().Block.dwFlags, DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS);
  EXPECT_EQ(e->Object1().Block.dwTriggerButton, DIEB_NOTRIGGER);
  EXPECT_EQ(e->Object1().Envelope.dwAttackTime, 1000000u);
  EXPECT_EQ(e->Object1().Envelope.dwFadeTime, 300000u);
  EXPECT_EQ(e->Object1().Envelope.dwFadeLevel, 7u);
  // Infinite: the attack ignores the time, there is no fade.
  e->SetTime(-1);
  e->BuildParameters();
  EXPECT_EQ(e->Object1().Block.dwDuration, INFINITE);
  EXPECT_EQ(e->Object1().Envelope.dwAttackTime, 2000000u);
  EXPECT_EQ(e->Object1().Envelope.dwFadeLevel, 0u);
  EXPECT_EQ(e->Object1().Envelope.dwFadeTime, 0u);
  // Long times saturate instead of wrapping, and stay finite.
  e->SetAttackTime(INT_MAX);
  e->SetPeriod(INT_MAX);
  e->BuildParameters();
  EXPECT_EQ(e->Object1().Envelope.dwAttackTime, 0xFFFFFFFEu);
  e->SetTime(INT_MAX);
  e->BuildParameters();
  EXPECT_EQ(e->Object1().Block.dwDuration, 0xFFFFFFFEu);
  e->SetTime(4294968);  // 4294968000 microseconds would wrap to 704 in 32 bits
  e->BuildParameters();
  EXPECT_EQ(e->Object1().Block.dwDuration, 0xFFFFFFFEu);
  e->SetEffectType(etPeriodic);
  e->BuildParameters();
  EXPECT_EQ(e->Object1().Periodic.dwPeriod, 0xFFFFFFFEu);
  EXPECT_EQ(EffectMilliToMicro(-3), 0u);
  EXPECT_EQ(EffectMilliToMicro(5), 5000u);

  // A condition drives both axes, one object each.
  e->SetEffectType(etCondition);
  e->SetConstant({11, -22});
  e->SetCondition({300, -400});
  e->BuildParameters();
  EXPECT_EQ(e->Object1().AxisCount, 1u);
  EXPECT_EQ(e->Object1().Axes[0], DIJOFS_X);
  EXPECT_EQ(e->Object2().Axes[0], DIJOFS_Y);
  EXPECT_EQ(e->Object1().Condition.lOffset, 11);
  EXPECT_EQ(e->Object1().Condition.lPositiveCoefficient, 300);
  EXPECT_EQ(e->Object1().Condition.lNegativeCoefficient, -300);
  EXPECT_EQ(e->Object2().Condition.lOffset, -22);
  EXPECT_EQ(e->Object2().Condition.lPositiveCoefficient, -400);
  EXPECT_EQ(e->Object2().Condition.lNegativeCoefficient, 400);
  EXPECT_EQ(e->Object2().Block.cbTypeSpecificParams, 24u);
}

TEST_F(ForceFeedbackDevice, AConstantForceReachesTheDeviceWithItsParameters) {
  TFeedbackStick s = Make();
  auto* e = new TForceFeedbackEffect(s.Root());
  e->Name = "Effect1";
  e->SetAttackLevel(2);
  e->SetAttackTime(2000);
  e->SetConstant({20, 50});
  e->SetFadeTime(5000);
  EXPECT_TRUE(Events(s.Id, TVirtualEffectEvent::Create).empty()) << "no type yet";
  e->SetEffectType(etConstantForce);
  ASSERT_TRUE(e->HasInterface());
  e->Start();
  auto runs = Events(s.Id, TVirtualEffectEvent::Run);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].Iterations, 1u);
  auto creates = Events(s.Id, TVirtualEffectEvent::Create);
  ASSERT_FALSE(creates.empty());
  const TStickEffect& fx = creates.back().Effect;
  EXPECT_EQ(fx.Kind, TStickEffectKind::Constant);
  EXPECT_EQ(fx.Duration, 1000000u);
  EXPECT_EQ(fx.Gain, 10000u);
  EXPECT_EQ(fx.Axes, (std::vector<DWORD>{0, 1}));
  EXPECT_EQ(fx.Directions, (std::vector<LONG>{-20, -50}));
  EXPECT_EQ(fx.Magnitude, 53);
  EXPECT_TRUE(fx.HasEnvelope);
  EXPECT_EQ(fx.AttackLevel, 2u);
  EXPECT_EQ(fx.AttackTime, 1000000u);
  EXPECT_EQ(fx.FadeTime, 1000000u);
  EXPECT_EQ(fx.TriggerButton, STICK_INFINITE);

  // A finite effect plays until the device says it is done.
  EXPECT_TRUE(e->Playing());
  AdvanceManualClock(1100000);
  EXPECT_FALSE(e->Playing());
  EXPECT_FALSE(e->Playing());

  // A change goes to the device at once; the same value again does nothing.
  VirtualJoystickClearEvents(s.Id);
  e->SetPower(5000);
  auto updates = Events(s.Id, TVirtualEffectEvent::Update);
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0].Effect.Gain, 5000u);
  VirtualJoystickClearEvents(s.Id);
  e->SetPower(5000);
  e->SetConstant({20, 50});
  e->SetTime(1000);
  EXPECT_TRUE(VirtualJoystickEvents(s.Id).empty());
}

TEST_F(ForceFeedbackDevice, PeriodicAndConditionEffectsTakeTheDevicesFirstEffectOfTheirKind) {
  TFeedbackStick s = Make();
  auto* periodic = new TForceFeedbackEffect(s.Root());
  periodic->SetConstant({0, 100});
  periodic->SetPeriod(20);
  periodic->SetEffectType(etPeriodic);
  auto* condition = new TForceFeedbackEffect(s.Root());
  condition->SetConstant({5, 6});
  condition->SetCondition({700, 800});
  condition->SetEffectType(etCondition);
  auto creates = Events(s.Id, TVirtualEffectEvent::Create);
  ASSERT_EQ(creates.size(), 3u);
  EXPECT_EQ(creates[0].Effect.Kind, TStickEffectKind::Square);
  EXPECT_EQ(creates[0].Effect.Magnitude, 100);
  EXPECT_EQ(creates[0].Effect.Period, 20000u);
  EXPECT_EQ(creates[1].Effect.Kind, TStickEffectKind::Spring);
  EXPECT_EQ(creates[1].Effect.Axes, (std::vector<DWORD>{0}));
  ASSERT_EQ(creates[1].Effect.Conditions.size(), 1u);
  EXPECT_EQ(creates[1].Effect.Conditions[0], (TStickCondition{5, 700, -700, 0, 0, 0}));
  EXPECT_EQ(creates[2].Effect.Axes, (std::vector<DWORD>{1}));
  EXPECT_EQ(creates[2].Effect.Conditions[0], (TStickCondition{6, 800, -800, 0, 0, 0}));
  EXPECT_EQ(VirtualJoystickEffectCount(s.Id), 3);
  // Starting the root starts the whole tree.
  s.Root()->Start();
  EXPECT_EQ(Events(s.Id, TVirtualEffectEvent::Run).size(), 3u);
  s.Root()->Stop();
  EXPECT_EQ(Events(s.Id, TVirtualEffectEvent::Stop).size(), 3u);
  // Closing the device releases every effect.
  s.Input->Joystick()->Finalize();
  EXPECT_EQ(VirtualJoystickEffectCount(s.Id), 0);
  EXPECT_FALSE(condition->HasInterface());
}

TEST_F(ForceFeedbackDevice, AnInfiniteEffectPlaysUntilStoppedAndComesBackAfterReacquisition) {
  TFeedbackStick s = Make();
  auto* e = new TForceFeedbackEffect(s.Root());
  e->SetTime(-1);
  e->SetConstant({0, 1000});
  e->SetEffectType(etConstantForce);
  e->Start();
  AdvanceManualClock(60000000);
  EXPECT_TRUE(e->Playing());
  ASSERT_EQ(Events(s.Id, TVirtualEffectEvent::Create).back().Effect.Duration, STICK_INFINITE);

  // Another program comes to the front and goes: the form hook acquires the
  // device again, which re-creates the children and restarts what played.
  Driver->OtherApplicationActivates();
  Driver->OurApplicationActivates();
  Driver->Pump();
  VirtualJoystickClearEvents(s.Id);
  s.Input->AcquireDevices();
  EXPECT_FALSE(Events(s.Id, TVirtualEffectEvent::Run).empty());
  EXPECT_TRUE(e->Playing());
  e->Stop();
  EXPECT_FALSE(e->Playing());
}

TEST_F(ForceFeedbackDevice, AChangeRestartsAPlayingEffectOnly) {
  TFeedbackStick s = Make();
  auto* e = new TForceFeedbackEffect(s.Root());
  e->SetTime(-1);
  e->SetConstant({0, 1000});
  e->SetEffectType(etConstantForce);
  e->Start();
  ASSERT_TRUE(e->Playing());
  VirtualJoystickClearEvents(s.Id);
  e->SetPower(5000);
  EXPECT_EQ(Events(s.Id, TVirtualEffectEvent::Update).size(), 1u);
  EXPECT_EQ(Events(s.Id, TVirtualEffectEvent::Run).size(), 1u) << "the new values play at once";
  e->Stop();
  VirtualJoystickClearEvents(s.Id);
  e->SetPower(4000);
  EXPECT_EQ(Events(s.Id, TVirtualEffectEvent::Update).size(), 1u);
  EXPECT_TRUE(Events(s.Id, TVirtualEffectEvent::Run).empty()) << "a stopped effect stays stopped";
}

TEST_F(ForceFeedbackDevice, ReacquiringRestartsTheRootsOwnInfiniteEffect) {
  TFeedbackStick s = Make();
  TForceFeedbackEffects* root = s.Root();
  root->SetTime(-1);
  root->SetConstant({500, 0});
  root->SetEffectType(etConstantForce);
  ASSERT_TRUE(root->HasInterface());
  root->Start();
  ASSERT_TRUE(root->Playing());
  s.Input->Update();  // acquired
  DInputTest::LoseInput(TDInputDeviceKind::Joystick);
  VirtualJoystickClearEvents(s.Id);
  s.Input->AcquireDevices();
  EXPECT_EQ(Events(s.Id, TVirtualEffectEvent::Run).size(), 1u);
  EXPECT_TRUE(root->Playing());
  // A finite effect that played is not started again.
  root->Stop();
  root->SetTime(500);
  root->Start();
  DInputTest::LoseInput(TDInputDeviceKind::Joystick);
  VirtualJoystickClearEvents(s.Id);
  s.Input->AcquireDevices();
  EXPECT_TRUE(Events(s.Id, TVirtualEffectEvent::Run).empty());
}

TEST_F(ForceFeedbackDevice, StartOnALostDeviceAcquiresOnceAndTriesAgain) {
  TFeedbackStick s = Make();
  auto* e = new TForceFeedbackEffect(s.Root());
  e->SetConstant({100, 0});
  e->SetEffectType(etConstantForce);
  s.Input->Update();  // acquires
  DInputTest::LoseInput(TDInputDeviceKind::Joystick);
  VirtualJoystickClearEvents(s.Id);
  e->Start();
  EXPECT_EQ(Events(s.Id, TVirtualEffectEvent::Run).size(), 1u);
  EXPECT_TRUE(e->Playing());

  // An infinite effect on a device that will not be acquired again: one try
  // each, no endless restarting.
  e->SetTime(-1);
  e->Start();
  DInputTest::SetAcquireResult(TDInputDeviceKind::Joystick, DIERR_OTHERAPPHASPRIO);
  DInputTest::LoseInput(TDInputDeviceKind::Joystick);
  e->Start();
  EXPECT_TRUE(e->Playing());
}

TEST_F(ForceFeedbackDevice, WithForceFeedbackSwitchedOffNoEffectIsMade) {
  DWORD id = AddStick(4, true);
  TDXInput* input = MakeInput(Main, true);
  auto* e = new TForceFeedbackEffect(input->Mouse()->Effects());
  e->SetEffectType(etConstantForce);
  auto* j = new TForceFeedbackEffect(input->Joystick()->Effects());
  j->SetEffectType(etConstantForce);
  j->Start();
  EXPECT_FALSE(j->HasInterface());
  EXPECT_FALSE(e->HasInterface());
  EXPECT_EQ(VirtualJoystickEffectCount(id), 0);
  EXPECT_TRUE(Events(id, TVirtualEffectEvent::Create).empty());
}

TEST_F(ForceFeedbackDevice, EffectsCreationFailureLeavesTheNodeWithoutEffect) {
  TFeedbackStick s = Make();
  VirtualJoystickSetEffectsFail(s.Id, true);
  auto* e = new TForceFeedbackEffect(s.Root());
  e->SetTime(-1);
  e->SetEffectType(etConstantForce);
  EXPECT_FALSE(e->HasInterface());
  e->Start();
  EXPECT_FALSE(e->Playing()) << "nothing to play";
  VirtualJoystickSetEffectsFail(s.Id, false);
  e->Start();
  EXPECT_TRUE(e->HasInterface());
  EXPECT_TRUE(e->Playing());
}

// ---- Assign ----

void BuildTree(TForceFeedbackEffect* Root) {
  auto* a = new TForceFeedbackEffect(Root);
  a->Name = "A";
  a->SetEffectType(etConstantForce);
  a->SetConstant({1, 2});
  auto* a1 = new TForceFeedbackEffect(a);
  a1->Name = "A1";
  a1->SetTime(-1);
  a1->SetCondition({-3, 4});
  auto* a1x = new TForceFeedbackEffect(a1);
  a1x->Name = "A1x";
  a1x->SetFadeLevel(9);
  auto* b = new TForceFeedbackEffect(Root);
  b->Name = "B";
  b->SetPeriod(77);
  b->SetStartDelayTime(12);
}

std::string Describe(TForceFeedbackEffect* Node) {
  std::string s = Node->Name + "(" + std::to_string(Node->EffectType()) + " " + std::to_string(Node->AttackLevel()) +
                  " " + std::to_string(Node->AttackTime()) + " " + std::to_string(Node->Condition().X) + "," +
                  std::to_string(Node->Condition().Y) + " " + std::to_string(Node->Constant().X) + "," +
                  std::to_string(Node->Constant().Y) + " " + std::to_string(Node->FadeLevel()) + " " +
                  std::to_string(Node->FadeTime()) + " " + std::to_string(Node->Period()) + " " +
                  std::to_string(Node->Power()) + " " + std::to_string(Node->Time()) + " " +
                  std::to_string(Node->StartDelayTime()) + ")";
  if (Node->Count()) {
    s += "[";
    for (int i = 0; i < Node->Count(); ++i) s += (i ? " " : "") + Describe(Node->Effects(i));
    s += "]";
  }
  return s;
}

TEST_F(ForceFeedback, AssignCopiesATreeAlsoFromItsOwnNodes) {
  TDXInput* input = MakeInput(Main);
  TForceFeedbackEffects* root = input->Joystick()->Effects();
  BuildTree(root);
  TForceFeedbackEffects* other = input->Keyboard()->Effects();
  other->Assign(root);
  EXPECT_EQ(Describe(other), Describe(root));

  // From its own child: the child's subtree replaces the tree.
  std::string child = Describe(root->Effects(0));
  root->Assign(root->Effects(0));
  EXPECT_EQ(Describe(root), child);
  // From its own ancestor: the node takes the whole tree as it was.
  std::string whole = Describe(other);
  TForceFeedbackEffect* leaf = other->Effects(0)->Effects(0)->Effects(0);
  leaf->Assign(other);
  EXPECT_EQ(Describe(leaf), "Effects" + whole.substr(std::string("Effects").size()));
  // From itself: nothing.
  other->Assign(other);
  EXPECT_EQ(other->Effects(0)->Effects(0)->Effects(0), leaf);

  EXPECT_THROW(root->Assign(input->Keyboard()), EConvertError);
  TCollection items(CollectionItemClassOf<TForceFeedbackEffectItem>());
  EXPECT_THROW(items.Add()->Assign(input->Keyboard()), EInvalidCast);
}

// ---- The stored "Effects" ----

// Bytes of the component-stream encoding, built by hand.
struct TBytes {
  std::vector<BYTE> B;
  TBytes& Byte(int v) {
    B.push_back(static_cast<BYTE>(v));
    return *this;
  }
  TBytes& Le(std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) B.push_back(static_cast<BYTE>(v >> (8 * i)));
    return *this;
  }
  TBytes& Str(const std::string& s) {
    Byte(static_cast<int>(s.size()));
    B.insert(B.end(), s.begin(), s.end());
    return *this;
  }
  TBytes& Raw(const std::string& s) {
    B.insert(B.end(), s.begin(), s.end());
    return *this;
  }
  TBytes& Int(const std::string& name, int v) {
    Str(name);
    if (v >= -128 && v <= 127) return Byte(vaInt8).Byte(v);
    return Byte(vaInt16).Le(static_cast<std::uint32_t>(v), 2);
  }
  TBytes& Ident(const std::string& name, const std::string& v) { return Str(name).Byte(vaIdent).Str(v); }
  TBytes& String(const std::string& name, const std::string& v) { return Str(name).Byte(vaString).Str(v); }
};

// The resource around a component stream.
std::vector<BYTE> Resource(const std::vector<BYTE>& Body) {
  TBytes r;
  r.Byte(0xFF)
      .Le(10, 2)
      .Raw("VEXELFORCEFEEDBACKEFFECT")
      .Byte(0)
      .Le(0x1030, 2)
      .Le(static_cast<std::uint32_t>(Body.size()), 4);
  r.B.insert(r.B.end(), Body.begin(), Body.end());
  return r.B;
}

TBytes StreamHead() {
  TBytes b;
  b.Raw("TPF0").Str("TForceFeedbackEffectComponent").Str("").Str("Effects").Byte(vaCollection).Byte(vaList);
  return b;
}

// The default tree, as both programs store it for the joystick and keyboard.
std::vector<BYTE> DefaultTreeBytes() {
  TBytes b = StreamHead();
  b.String("Name", "Effects").Ident("EffectType", "etNone").Int("Period", 50).Int("Power", 10000).Int("Time", 1000);
  b.Int("StartDelayTime", 0).Byte(vaNull).Byte(vaNull).Byte(vaNull).Byte(vaNull);
  return Resource(b.B);
}

// The game's mouse: one constant-force child under the root.
std::vector<BYTE> GameMouseTreeBytes() {
  TBytes b = StreamHead();
  b.String("Name", "Effects").Ident("EffectType", "etNone").Int("Period", 50).Int("Power", 10000).Int("Time", 1000);
  b.Int("StartDelayTime", 0).Str("Effects").Byte(vaCollection).Byte(vaList);
  b.String("Name", "Effect1").Ident("EffectType", "etConstantForce").Int("AttackLevel", 2).Int("AttackTime", 2000);
  b.Int("ConstantX", 20).Int("ConstantY", 50).Int("FadeTime", 5000).Int("Period", 50).Int("Power", 10000);
  b.Int("Time", 1000).Int("StartDelayTime", 0).Byte(vaNull).Byte(vaNull);
  b.Byte(vaNull).Byte(vaNull).Byte(vaNull).Byte(vaNull);
  return Resource(b.B);
}

std::vector<BYTE> Written(TForceFeedbackEffects* Root) {
  TMemoryStream s;
  Root->WriteEffects(&s);
  return std::vector<BYTE>(s.Memory(), s.Memory() + s.Size());
}

void ReadInto(TForceFeedbackEffects* Root, const std::vector<BYTE>& Bytes) {
  TMemoryStream s;
  if (!Bytes.empty()) s.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
  s.SetPosition(0);
  Root->ReadEffects(&s);
}

TEST_F(ForceFeedback, TheDefaultTreeIsStoredByteForByte) {
  TDXInput* input = MakeInput(Main);
  EXPECT_EQ(Written(input->Joystick()->Effects()), DefaultTreeBytes());
}

TEST_F(ForceFeedback, TheGamesStoredMouseTreeDecodesAndIsWrittenAlike) {
  TDXInput* input = MakeInput(Main, true);
  TForceFeedbackEffects* root = input->Mouse()->Effects();
  new TForceFeedbackEffect(root);  // replaced by the stored tree
  ReadInto(root, GameMouseTreeBytes());
  ASSERT_EQ(root->Count(), 1);
  TForceFeedbackEffect* e = root->Effects(0);
  EXPECT_EQ(e->Name, "Effect1");
  EXPECT_EQ(e->EffectType(), etConstantForce);
  EXPECT_EQ(e->AttackLevel(), 2);
  EXPECT_EQ(e->AttackTime(), 2000);
  EXPECT_EQ(e->Constant(), (TFFPoint{20, 50}));
  EXPECT_EQ(e->Condition(), (TFFPoint{0, 0}));
  EXPECT_EQ(e->FadeTime(), 5000);
  EXPECT_EQ(e->Period(), 50);
  EXPECT_EQ(e->Power(), 10000);
  EXPECT_EQ(e->Time(), 1000);
  EXPECT_FALSE(e->HasInterface()) << "force feedback is off";
  EXPECT_EQ(Written(root), GameMouseTreeBytes());
}

TEST_F(ForceFeedback, ATreeOfThreeLevelsRoundTrips) {
  TDXInput* input = MakeInput(Main);
  TForceFeedbackEffects* root = input->Joystick()->Effects();
  BuildTree(root);
  root->Effects(1)->SetAttackTime(123456);
  std::vector<BYTE> bytes = Written(root);
  TForceFeedbackEffects* other = input->Keyboard()->Effects();
  ReadInto(other, bytes);
  EXPECT_EQ(Describe(other), Describe(root));
  EXPECT_EQ(Written(other), bytes);
}

TEST_F(ForceFeedback, StoredValuesPassThroughTheClampingSetters) {
  TDXInput* input = MakeInput(Main);
  TBytes b = StreamHead();
  b.String("Name", "Wild").Ident("EffectType", "etPeriodic").Int("AttackLevel", 30000).Int("Time", -9);
  b.Byte(vaNull).Byte(vaNull).Byte(vaNull).Byte(vaNull);
  TForceFeedbackEffects* root = input->Joystick()->Effects();
  ReadInto(root, Resource(b.B));
  EXPECT_EQ(root->Name, "Wild");
  EXPECT_EQ(root->EffectType(), etPeriodic);
  EXPECT_EQ(root->AttackLevel(), 10000);
  EXPECT_EQ(root->Time(), 0);
  EXPECT_EQ(root->Period(), 0) << "stored items start from zeros";
}

// A stored tree of Levels effects, each the only child of the one above.
std::vector<BYTE> ChainBytes(int Levels) {
  TBytes b = StreamHead();
  for (int i = 1; i < Levels; ++i) b.Ident("EffectType", "etNone").Str("Effects").Byte(vaCollection).Byte(vaList);
  for (int i = 0; i < 2 * Levels + 2; ++i) b.Byte(vaNull);
  return Resource(b.B);
}

TEST_F(ForceFeedback, DeeplyNestedStoredTreesStopAtTheNestingLimit) {
  TDXInput* input = MakeInput(Main);
  TForceFeedbackEffects* root = input->Joystick()->Effects();
  ReadInto(root, ChainBytes(64));
  int depth = 1;
  for (TForceFeedbackEffect* e = root; e->Count() > 0; e = e->Effects(0)) ++depth;
  EXPECT_EQ(depth, 64);
  // What is written of it reads back alike.
  TForceFeedbackEffects* other = input->Keyboard()->Effects();
  ReadInto(other, Written(root));
  EXPECT_EQ(Written(other), Written(root));
  // About 144 KB of nesting used to exhaust the stack.
  for (int levels : {65, 12000}) {
    try {
      ReadInto(root, ChainBytes(levels));
      ADD_FAILURE() << levels << ": no exception";
    } catch (const EReadError& e) { EXPECT_EQ(e.Message(), "Invalid stream format") << levels; }
  }
}

TEST_F(ForceFeedback, DamagedOrEmptyStoredTreesFailWithTheToolkitsErrors) {
  TDXInput* input = MakeInput(Main);
  TForceFeedbackEffects* root = input->Joystick()->Effects();
  // An empty collection: item 0 does not exist.
  TBytes empty;
  empty.Raw("TPF0").Str("TForceFeedbackEffectComponent").Str("").Str("Effects").Byte(vaCollection).Byte(vaNull);
  empty.Byte(vaNull).Byte(vaNull);
  try {
    ReadInto(root, Resource(empty.B));
    FAIL() << "no exception";
  } catch (const EListError& e) { EXPECT_EQ(e.Message(), "List index out of bounds (0)"); }
  std::vector<BYTE> good = DefaultTreeBytes();
  std::vector<BYTE> badMarker = good;
  badMarker[0] = 0xFE;
  EXPECT_THROW(ReadInto(root, badMarker), EReadError);
  std::vector<BYTE> badType = good;
  badType[1] = 11;
  EXPECT_THROW(ReadInto(root, badType), EReadError);
  for (size_t cut : {size_t{0}, size_t{1}, size_t{20}, size_t{40}, good.size() - 1}) {
    std::vector<BYTE> shorter(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_THROW(ReadInto(root, shorter), EReadError) << cut;
  }
  // A resource under another name is accepted.
  std::vector<BYTE> renamed = good;
  renamed[3] = 'W';
  ASSERT_NO_THROW(ReadInto(root, renamed));
  EXPECT_EQ(root->Name, "Effects");
}

}  // namespace
