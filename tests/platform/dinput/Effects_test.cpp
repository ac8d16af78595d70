#include <cstring>

#include "Fixture.h"

namespace {

using Op = TVirtualEffectEvent::TOp;

class Effects : public DInputFixture {
 protected:
  DWORD Id = 0;
  IDirectInputDeviceA* Dev = nullptr;
  IDirectInputDevice2A* Dev2 = nullptr;

  // A force-feedback stick read through the standard format, held
  // exclusively in the foreground as force feedback needs.
  void Open(TVirtualJoystickConfig config = {.Axes = 2, .Buttons = 4, .ForceFeedback = true}) {
    Id = VirtualJoystickAdd(config);
    Dev = Create(FirstStick());
    ASSERT_NE(Dev, nullptr);
    Dev2 = Second(Dev);
    ASSERT_EQ(Dev->SetDataFormat(&c_dfDIJoystick2), DI_OK);
    ASSERT_EQ(Dev->SetCooperativeLevel(Main, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  }

  void TearDown() override {
    if (Dev2) Dev2->Release();
    if (Dev) Dev->Release();
    DInputFixture::TearDown();
  }

  std::vector<Op> Ops() {
    std::vector<Op> ops;
    for (const auto& e : VirtualJoystickEvents(Id)) ops.push_back(e.Op);
    return ops;
  }

  // The constant force the input layer builds for a force vector (X, Y).
  struct TConstant {
    DWORD Axes[2] = {DIJOFS_X, DIJOFS_Y};
    LONG Directions[2] = {-3, -4};
    DIENVELOPE Envelope{sizeof(DIENVELOPE), 2, 1000 * 1000, 0, 1000 * 1000};
    DICONSTANTFORCE Force{5};
    DIEFFECT Effect{};
    TConstant() {
      Effect.dwSize = DIEFFECT_SIZE32;
      Effect.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
      Effect.dwDuration = 1000 * 1000;
      Effect.dwGain = 10000;
      Effect.dwTriggerButton = DIEB_NOTRIGGER;
      Effect.cAxes = 2;
      Effect.rgdwAxes = Axes;
      Effect.rglDirection = Directions;
      Effect.lpEnvelope = &Envelope;
      Effect.cbTypeSpecificParams = sizeof(Force);
      Effect.lpvTypeSpecificParams = &Force;
    }
    TConstant(const TConstant&) = delete;
  };

  IDirectInputEffect* MakeEffect(const GUID& guid, const DIEFFECT* params) {
    IDirectInputEffect* e = nullptr;
    EXPECT_EQ(Dev2->CreateEffect(guid, params, &e, nullptr), DI_OK);
    return e;
  }
};

TEST_F(Effects, ConstantForceReachesTheStickWhenStarted) {
  Open();
  TConstant c;
  IDirectInputEffect* e = MakeEffect(GUID_ConstantForce, &c.Effect);
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(VirtualJoystickEvents(Id).empty()) << "nothing is downloaded before acquisition";
  EXPECT_EQ(e->Start(1, 0), DIERR_NOTACQUIRED);

  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  ASSERT_EQ(e->Start(1, 0), DI_OK);
  auto events = VirtualJoystickEvents(Id);
  ASSERT_EQ(Ops(), (std::vector<Op>{Op::Create, Op::Run}));
  const TStickEffect& p = events[0].Effect;
  EXPECT_EQ(p.Kind, TStickEffectKind::Constant);
  EXPECT_EQ(p.Duration, 1000000u);
  EXPECT_EQ(p.Gain, 10000u);
  EXPECT_EQ(p.TriggerButton, STICK_INFINITE);
  EXPECT_EQ(p.Axes, (std::vector<DWORD>{0, 1}));
  EXPECT_EQ(p.Directions, (std::vector<LONG>{-3, -4}));
  EXPECT_TRUE(p.HasEnvelope);
  EXPECT_EQ(p.AttackLevel, 2u);
  EXPECT_EQ(p.AttackTime, 1000000u);
  EXPECT_EQ(p.FadeTime, 1000000u);
  EXPECT_EQ(p.Magnitude, 5);
  EXPECT_EQ(events[1].Iterations, 1u);

  // It plays for its duration on the clock.
  DWORD status = 0;
  ASSERT_EQ(e->GetEffectStatus(&status), DI_OK);
  EXPECT_EQ(status, DIEGES_PLAYING);
  AdvanceManualClock(999999);
  e->GetEffectStatus(&status);
  EXPECT_EQ(status, DIEGES_PLAYING);
  AdvanceManualClock(1);
  e->GetEffectStatus(&status);
  EXPECT_EQ(status, 0u);

  // A parameter update with restart, as the input layer sends it.
  VirtualJoystickClearEvents(Id);
  c.Force.lMagnitude = 7000;
  c.Effect.dwDuration = INFINITE;
  ASSERT_EQ(e->SetParameters(&c.Effect, 0x1DF | DIEP_START), DI_EFFECTRESTARTED);
  events = VirtualJoystickEvents(Id);
  ASSERT_EQ(Ops(), (std::vector<Op>{Op::Update, Op::Run}));
  EXPECT_EQ(events[0].Effect.Magnitude, 7000);
  EXPECT_EQ(events[0].Effect.Duration, STICK_INFINITE);
  AdvanceManualClock(1000000000);
  e->GetEffectStatus(&status);
  EXPECT_EQ(status, DIEGES_PLAYING);
  EXPECT_EQ(e->Stop(), DI_OK);
  e->GetEffectStatus(&status);
  EXPECT_EQ(status, 0u);

  VirtualJoystickClearEvents(Id);
  e->Release();
  EXPECT_EQ(Ops(), (std::vector<Op>{Op::Stop, Op::Destroy}));
  EXPECT_EQ(VirtualJoystickEffectCount(Id), 0);
}

TEST_F(Effects, RepeatedStartWithDelayPlaysForAllIterations) {
  Open();
  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  TConstant c;
  c.Effect.dwStartDelay = 500000;
  IDirectInputEffect* e = MakeEffect(GUID_ConstantForce, &c.Effect);
  ASSERT_EQ(e->Start(3, 0), DI_OK);
  EXPECT_EQ(VirtualJoystickEvents(Id)[0].Effect.StartDelay, 500000u);
  DWORD status = 0;
  AdvanceManualClock(3499999);
  e->GetEffectStatus(&status);
  EXPECT_EQ(status, DIEGES_PLAYING);
  AdvanceManualClock(1);
  e->GetEffectStatus(&status);
  EXPECT_EQ(status, 0u);
  // Starting again restarts the play time.
  ASSERT_EQ(e->Start(1, 0), DI_OK);
  e->GetEffectStatus(&status);
  EXPECT_EQ(status, DIEGES_PLAYING);
  e->Release();
}

TEST_F(Effects, LosingTheForegroundUnloadsAndAStartAfterReacquiringDownloadsAgain) {
  Open();
  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  TConstant c;
  c.Effect.dwDuration = INFINITE;
  IDirectInputEffect* e = MakeEffect(GUID_ConstantForce, &c.Effect);
  ASSERT_EQ(e->Start(1, 0), DI_OK);
  EXPECT_EQ(VirtualJoystickEffectCount(Id), 1);

  Windows.Foreground = Other;
  DWORD status = 99;
  EXPECT_EQ(e->GetEffectStatus(&status), DIERR_INPUTLOST);
  EXPECT_EQ(status, 0u);
  EXPECT_EQ(VirtualJoystickEffectCount(Id), 0);
  EXPECT_EQ(e->Start(1, 0), DIERR_NOTACQUIRED);

  Windows.Foreground = Main;
  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  VirtualJoystickClearEvents(Id);
  ASSERT_EQ(e->Start(1, 0), DI_OK);
  EXPECT_EQ(Ops(), (std::vector<Op>{Op::Create, Op::Run}));

  // Unacquiring stops and unloads as well.
  VirtualJoystickClearEvents(Id);
  Dev->Unacquire();
  EXPECT_EQ(Ops(), (std::vector<Op>{Op::Stop, Op::Destroy}));
  e->Release();
}

TEST_F(Effects, NeedExclusiveAccess) {
  Open();
  ASSERT_EQ(Dev->SetCooperativeLevel(Main, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  TConstant c;
  IDirectInputEffect* e = MakeEffect(GUID_ConstantForce, &c.Effect);
  EXPECT_EQ(e->Start(1, 0), DIERR_NOTEXCLUSIVEACQUIRED);
  EXPECT_EQ(e->SetParameters(&c.Effect, DIEP_TYPESPECIFICPARAMS), DI_DOWNLOADSKIPPED);
  EXPECT_EQ(e->Download(), DIERR_NOTEXCLUSIVEACQUIRED);
  DWORD status = 0;
  EXPECT_EQ(e->GetEffectStatus(&status), DIERR_NOTEXCLUSIVEACQUIRED);
  EXPECT_TRUE(VirtualJoystickEvents(Id).empty());
  e->Release();
}

TEST_F(Effects, EnumerationByTypeFindsTheFirstOfEach) {
  Open();
  struct Found {
    GUID First{};
    int Count = 0;
  };
  auto enumerate = [&](DWORD type) {
    Found f;
    EXPECT_EQ(Dev2->EnumEffects(
                  [](const DIEFFECTINFOA* i, void* ref) -> BOOL {
                    auto* f = static_cast<Found*>(ref);
                    if (f->Count++ == 0) f->First = i->guid;
                    return DIENUM_CONTINUE;
                  },
                  &f, type),
              DI_OK);
    return f;
  };
  EXPECT_EQ(enumerate(DIEFT_ALL).Count, 10);
  EXPECT_EQ(enumerate(DIEFT_CONSTANTFORCE).First, GUID_ConstantForce);
  EXPECT_EQ(enumerate(DIEFT_PERIODIC).First, GUID_Square);
  EXPECT_EQ(enumerate(DIEFT_PERIODIC).Count, 5);
  EXPECT_EQ(enumerate(DIEFT_CONDITION).First, GUID_Spring);
  EXPECT_EQ(enumerate(DIEFT_CONDITION).Count, 4);
  EXPECT_EQ(enumerate(DIEFT_RAMPFORCE).Count, 0);

  DIEFFECTINFOA info{};
  info.dwSize = sizeof(info);
  ASSERT_EQ(Dev2->GetEffectInfo(&info, GUID_Damper), DI_OK);
  EXPECT_EQ(DIEFT_GETTYPE(info.dwEffType), DIEFT_CONDITION);
  EXPECT_STREQ(info.tszName, "Damper");
  EXPECT_EQ(Dev2->GetEffectInfo(&info, GUID_RampForce), DIERR_DEVICENOTREG);
  IDirectInputEffect* e = reinterpret_cast<IDirectInputEffect*>(1);
  EXPECT_EQ(Dev2->CreateEffect(GUID_RampForce, nullptr, &e, nullptr), DIERR_DEVICENOTREG);
  EXPECT_EQ(e, nullptr);
}

TEST_F(Effects, StickWithoutSquareWaveOffersSineFirst) {
  Open({.Axes = 2, .ForceFeedback = true, .EffectKinds = 0x3FF & ~StickEffectBit(TStickEffectKind::Square)});
  GUID first{};
  Dev2->EnumEffects(
      [](const DIEFFECTINFOA* i, void* ref) -> BOOL {
        *static_cast<GUID*>(ref) = i->guid;
        return DIENUM_STOP;
      },
      &first, DIEFT_PERIODIC);
  EXPECT_EQ(first, GUID_Sine);
}

TEST_F(Effects, DeviceWithoutForceFeedbackHasNoEffects) {
  Open({.Axes = 2, .ForceFeedback = false});
  int n = 0;
  Dev2->EnumEffects(
      [](const DIEFFECTINFOA*, void* ref) -> BOOL {
        ++*static_cast<int*>(ref);
        return DIENUM_CONTINUE;
      },
      &n, DIEFT_ALL);
  EXPECT_EQ(n, 0);
  IDirectInputEffect* e = nullptr;
  EXPECT_EQ(Dev2->CreateEffect(GUID_ConstantForce, nullptr, &e, nullptr), DIERR_UNSUPPORTED);
  DIDEVCAPS caps{};
  caps.dwSize = sizeof(caps);
  Dev->GetCapabilities(&caps);
  EXPECT_FALSE(caps.dwFlags & DIDC_FORCEFEEDBACK);
}

TEST_F(Effects, PeriodicAndConditionParameters) {
  Open();
  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  DWORD x = DIJOFS_X, y = DIJOFS_Y;
  LONG dirs[2] = {0, 0};
  DIENVELOPE env{sizeof(DIENVELOPE), 0, 0, 0, 0};

  DIPERIODIC wave{5000, 0, 0, 50 * 1000};
  DIEFFECT p{};
  DWORD axes[2] = {x, y};
  LONG waveDirs[2] = {-1, -1};
  p.dwSize = sizeof(DIEFFECT);
  p.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
  p.dwDuration = 2000000;
  p.dwGain = 8000;
  p.dwTriggerButton = DIEB_NOTRIGGER;
  p.cAxes = 2;
  p.rgdwAxes = axes;
  p.rglDirection = waveDirs;
  p.lpEnvelope = &env;
  p.cbTypeSpecificParams = sizeof(wave);
  p.lpvTypeSpecificParams = &wave;
  IDirectInputEffect* periodic = MakeEffect(GUID_Square, &p);

  // Two one-axis conditions, one per axis, as the input layer makes them.
  DICONDITION cx{100, 3000, -3000, 0, 0, 0}, cy{-200, 4000, -4000, 0, 0, 0};
  DIEFFECT c{};
  c.dwSize = sizeof(DIEFFECT);
  c.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
  c.dwDuration = INFINITE;
  c.dwGain = 10000;
  c.dwTriggerButton = DIEB_NOTRIGGER;
  c.cAxes = 1;
  c.rgdwAxes = &x;
  c.rglDirection = dirs;
  c.lpEnvelope = &env;
  c.cbTypeSpecificParams = sizeof(cx);
  c.lpvTypeSpecificParams = &cx;
  IDirectInputEffect* spring1 = MakeEffect(GUID_Spring, &c);
  c.rgdwAxes = &y;
  c.lpvTypeSpecificParams = &cy;
  IDirectInputEffect* spring2 = MakeEffect(GUID_Spring, &c);

  auto events = VirtualJoystickEvents(Id);
  ASSERT_EQ(events.size(), 3u);
  const TStickEffect& w = events[0].Effect;
  EXPECT_EQ(w.Kind, TStickEffectKind::Square);
  EXPECT_EQ(w.Magnitude, 5000);
  EXPECT_EQ(w.Period, 50000u);
  EXPECT_EQ(w.Gain, 8000u);
  EXPECT_EQ(w.Directions, (std::vector<LONG>{-1, -1}));
  const TStickEffect& s1 = events[1].Effect;
  EXPECT_EQ(s1.Kind, TStickEffectKind::Spring);
  EXPECT_EQ(s1.Axes, (std::vector<DWORD>{0}));
  ASSERT_EQ(s1.Conditions.size(), 1u);
  EXPECT_EQ(s1.Conditions[0], (TStickCondition{100, 3000, -3000, 0, 0, 0}));
  const TStickEffect& s2 = events[2].Effect;
  EXPECT_EQ(s2.Axes, (std::vector<DWORD>{1}));
  EXPECT_EQ(s2.Conditions[0], (TStickCondition{-200, 4000, -4000, 0, 0, 0}));
  EXPECT_EQ(s2.Duration, STICK_INFINITE);

  // A solo start stops the others.
  periodic->Start(1, 0);
  spring1->Start(1, 0);
  VirtualJoystickClearEvents(Id);
  ASSERT_EQ(spring2->Start(INFINITE, DIES_SOLO), DI_OK);
  events = VirtualJoystickEvents(Id);
  ASSERT_EQ(Ops(), (std::vector<Op>{Op::Stop, Op::Stop, Op::Run}));
  EXPECT_EQ(events[2].Iterations, INFINITE);

  periodic->Release();
  spring1->Release();
  spring2->Release();
}

TEST_F(Effects, RejectedParametersChangeNothing) {
  Open();
  TConstant c;
  IDirectInputEffect* e = MakeEffect(GUID_ConstantForce, &c.Effect);
  DWORD buttonAxis[2] = {DIJOFS_X, DIJOFS_BUTTON(0)};
  DIENVELOPE shortEnvelope{16, 0, 0, 0, 0};
  struct Case {
    const char* what;
    void (*change)(DIEFFECT&, DWORD*, DIENVELOPE*);
    DWORD flags;
  } cases[] = {
      {"size", [](DIEFFECT& p, DWORD*, DIENVELOPE*) { p.dwSize = 40; }, DIEP_ALLPARAMS},
      {"type size", [](DIEFFECT& p, DWORD*, DIENVELOPE*) { p.cbTypeSpecificParams = 8; }, DIEP_TYPESPECIFICPARAMS},
      {"no type block", [](DIEFFECT& p, DWORD*, DIENVELOPE*) { p.lpvTypeSpecificParams = nullptr; },
       DIEP_TYPESPECIFICPARAMS},
      {"button as axis", [](DIEFFECT& p, DWORD* a, DIENVELOPE*) { p.rgdwAxes = a; }, DIEP_ALLPARAMS},
      {"no axis form", [](DIEFFECT& p, DWORD*, DIENVELOPE*) { p.dwFlags = DIEFF_CARTESIAN; }, DIEP_ALLPARAMS},
      {"two coordinate systems", [](DIEFFECT& p, DWORD*, DIENVELOPE*) { p.dwFlags |= DIEFF_POLAR; },
       DIEP_DIRECTION | DIEP_TYPESPECIFICPARAMS},
      {"envelope size", [](DIEFFECT& p, DWORD*, DIENVELOPE* e) { p.lpEnvelope = e; },
       DIEP_ENVELOPE | DIEP_TYPESPECIFICPARAMS},
      {"no axes", [](DIEFFECT& p, DWORD*, DIENVELOPE*) { p.cAxes = 0; }, DIEP_AXES | DIEP_TYPESPECIFICPARAMS},
  };
  for (const auto& k : cases) {
    TConstant bad;
    bad.Force.lMagnitude = 9999;
    k.change(bad.Effect, buttonAxis, &shortEnvelope);
    EXPECT_EQ(e->SetParameters(&bad.Effect, k.flags), DIERR_INVALIDPARAM) << k.what;
    DICONSTANTFORCE now{};
    DIEFFECT get{};
    get.dwSize = sizeof(get);
    get.cbTypeSpecificParams = sizeof(now);
    get.lpvTypeSpecificParams = &now;
    ASSERT_EQ(e->GetParameters(&get, DIEP_TYPESPECIFICPARAMS), DI_OK);
    EXPECT_EQ(now.lMagnitude, 5) << k.what;
  }
  EXPECT_EQ(e->SetParameters(nullptr, DIEP_ALLPARAMS), DIERR_INVALIDPARAM);
  e->Release();
}

TEST_F(Effects, OutOfRangeValuesAreTruncated) {
  Open();
  TConstant c;
  IDirectInputEffect* e = MakeEffect(GUID_ConstantForce, &c.Effect);
  c.Force.lMagnitude = -20000;
  c.Effect.dwGain = 12000;
  EXPECT_EQ(e->SetParameters(&c.Effect, DIEP_TYPESPECIFICPARAMS | DIEP_GAIN | DIEP_NODOWNLOAD), DI_TRUNCATED);
  DICONSTANTFORCE now{};
  DIEFFECT get{};
  get.dwSize = sizeof(get);
  get.cbTypeSpecificParams = sizeof(now);
  get.lpvTypeSpecificParams = &now;
  ASSERT_EQ(e->GetParameters(&get, DIEP_TYPESPECIFICPARAMS | DIEP_GAIN), DI_OK);
  EXPECT_EQ(now.lMagnitude, -10000);
  EXPECT_EQ(get.dwGain, 10000u);

  // Too little room reports how much is needed.
  DWORD axes[1];
  get.cAxes = 1;
  get.rgdwAxes = axes;
  EXPECT_EQ(e->GetParameters(&get, DIEP_AXES), DIERR_MOREDATA);
  EXPECT_EQ(get.cAxes, 2u);
  e->Release();
}

TEST_F(Effects, PolarDirectionsReachTheStickAsVectors) {
  Open();
  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  TConstant c;
  c.Effect.dwFlags = DIEFF_POLAR | DIEFF_OBJECTOFFSETS;
  c.Directions[0] = 9000;  // east
  c.Directions[1] = 0;
  IDirectInputEffect* e = MakeEffect(GUID_ConstantForce, &c.Effect);
  auto events = VirtualJoystickEvents(Id);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].Effect.Directions, (std::vector<LONG>{10000, 0}));
  e->Release();
}

TEST_F(Effects, FullDeviceFailsTheCreation) {
  Open();
  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  VirtualJoystickSetEffectsFail(Id, true);
  TConstant c;
  IDirectInputEffect* e = reinterpret_cast<IDirectInputEffect*>(1);
  EXPECT_EQ(Dev2->CreateEffect(GUID_ConstantForce, &c.Effect, &e, nullptr), DIERR_DEVICEFULL);
  EXPECT_EQ(e, nullptr);
  VirtualJoystickSetEffectsFail(Id, false);
}

TEST_F(Effects, AutoCentre) {
  Open();
  DIPROPDWORD p{{sizeof(p), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, DIPROPAUTOCENTER_OFF};
  ASSERT_EQ(Dev->SetProperty(DIPROP_AUTOCENTER, &p.diph), DI_OK);
  auto events = VirtualJoystickEvents(Id);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].Op, Op::AutoCenter);
  EXPECT_FALSE(events[0].On);
  p.dwData = 7;
  ASSERT_EQ(Dev->GetProperty(DIPROP_AUTOCENTER, &p.diph), DI_OK);
  EXPECT_EQ(p.dwData, 0u);
  p.dwData = 2;
  EXPECT_EQ(Dev->SetProperty(DIPROP_AUTOCENTER, &p.diph), DIERR_INVALIDPARAM);
  p = {{sizeof(p), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, 1};
  EXPECT_EQ(Dev->SetProperty(DIPROP_AUTOCENTER, &p.diph), DIERR_INVALIDPARAM);
  DInputTest::RejectProperty(DIPROP_AUTOCENTER, DIERR_UNSUPPORTED);
  p.diph.dwHow = DIPH_DEVICE;
  p.diph.dwObj = 0;
  EXPECT_EQ(Dev->SetProperty(DIPROP_AUTOCENTER, &p.diph), DIERR_UNSUPPORTED);
}

TEST_F(Effects, AnEffectKeepsItsDeviceAlive) {
  Open();
  ASSERT_EQ(Dev->Acquire(), DI_POLLEDDEVICE);
  TConstant c;
  IDirectInputEffect* e = MakeEffect(GUID_ConstantForce, &c.Effect);
  Dev2->Release();
  Dev->Release();
  Dev2 = nullptr;
  Dev = nullptr;
  EXPECT_EQ(e->Start(1, 0), DI_OK);
  GUID g{};
  e->GetEffectGuid(&g);
  EXPECT_EQ(g, GUID_ConstantForce);
  EXPECT_EQ(e->Release(), 0u);
}

}  // namespace
