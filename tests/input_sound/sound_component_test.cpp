// The sound component: initialisation and its order of notifications and
// events, options and the cooperative level, the failures it swallows and
// those it lets pass (up to the loading of a window), its listener list and
// its following of the form's window.
#include <type_traits>

#include "tests/input_sound/sound_fixture.h"

namespace {

static_assert(!std::is_base_of_v<EDirectSoundError, EDXSoundError>);
static_assert(std::is_base_of_v<Exception, EDXSoundError>);

const char* CodeName(TSoundNotifyCode Code) {
  static const char* const names[] = {"snDestroying", "snInitializing", "snInitialize", "snFinalize", "snRestore"};
  return names[Code];
}

class SoundComponentTest : public SoundFixture {
 protected:
  // A listener that writes "Name:code" into Events.
  TSoundNotifyHandler Listener(const std::string& Name) {
    Keys.push_back(std::make_unique<int>(0));
    return TSoundNotifyHandler(
        [this, Name](TCustomDXSound*, TSoundNotifyCode Code) { Events.push_back(Name + ":" + CodeName(Code)); },
        Keys.back().get());
  }
  void WatchEvents(TCustomDXSound* Sound) {
    Sound->OnInitializing = TNotifyEvent([this](TObject*) { Events.push_back("OnInitializing"); });
    Sound->OnInitialize = TNotifyEvent([this](TObject*) { Events.push_back("OnInitialize"); });
    Sound->OnFinalize = TNotifyEvent([this](TObject*) { Events.push_back("OnFinalize"); });
    Sound->OnRestore = TNotifyEvent([this](TObject*) { Events.push_back("OnRestore"); });
  }
  std::vector<std::string> Events;
  std::vector<std::unique_ptr<int>> Keys;
};

using Strings = std::vector<std::string>;

TEST_F(SoundComponentTest, LoadingInitializesInOrderAndInitializingAgainFinalizesFirst) {
  auto* sound = new TDXSound(Main);
  sound->BeginLoading();
  WatchEvents(sound);
  sound->AddListener(Listener("L"));
  EXPECT_TRUE(Events.empty());
  sound->Loaded();
  EXPECT_EQ(Events, (Strings{"L:snInitializing", "OnInitializing", "L:snInitialize", "OnInitialize", "L:snRestore",
                             "OnRestore"}));
  ASSERT_TRUE(sound->Initialized());
  EXPECT_EQ(sound->Form(), Main);
  ASSERT_NE(sound->SoundObject(), nullptr);
  EXPECT_EQ(sound->SoundObject()->DXSound(), sound);
  ASSERT_NE(sound->PrimaryBuffer(), nullptr);
  EXPECT_TRUE(sound->PrimaryBuffer()->Caps().dwFlags & DSBCAPS_PRIMARYBUFFER);
  EXPECT_EQ(DSoundTest::CooperativeLevel(sound->SoundObject()->IDSound()), DSSCL_NORMAL);
  EXPECT_EQ(DSoundTest::CooperativeWindow(sound->SoundObject()->IDSound()), Main->Handle());

  Events.clear();
  sound->Initialize();
  EXPECT_EQ(Events, (Strings{"OnFinalize", "L:snFinalize", "L:snInitializing", "OnInitializing", "L:snInitialize",
                             "OnInitialize", "L:snRestore", "OnRestore"}));
  EXPECT_EQ(DSoundTest::DeviceCount(), 1);

  Events.clear();
  sound->Finalize();
  EXPECT_EQ(Events, (Strings{"OnFinalize", "L:snFinalize"}));
  EXPECT_FALSE(sound->Initialized());
  EXPECT_EQ(sound->SoundObject(), nullptr);
  EXPECT_EQ(DSoundTest::DeviceCount(), 0);
  // Restore and a second Finalize do nothing now.
  Events.clear();
  sound->Restore();
  sound->Finalize();
  EXPECT_TRUE(Events.empty());
  delete sound;
  EXPECT_EQ(Events, (Strings{"L:snDestroying"}));
}

TEST_F(SoundComponentTest, FinalizeReleasesTheDeviceEvenWhenOnFinalizeRaises) {
  auto* sound = MakeSound(Main, {soExclusive});
  auto* list = MakeList(Main, sound, {"a"});
  list->Items()->Items(0)->Play(false);
  sound->AddListener(Listener("L"));
  Events.clear();
  sound->OnFinalize = TNotifyEvent([](TObject*) { throw EDXSoundError("handler failed"); });
  sound->SetOptions({});
  EXPECT_THROW(sound->Finalize(), EDXSoundError);
  EXPECT_EQ(Events, (Strings{"L:snFinalize"}));
  EXPECT_FALSE(sound->Initialized());
  EXPECT_FALSE(list->Items()->Items(0)->Attached());
  EXPECT_TRUE(sound->EffectiveOptions() == TDXSoundOptions());
  EXPECT_EQ(DSoundTest::DeviceCount(), 0);
  EXPECT_EQ(DSoundTest::VoiceCount(), 0);
  // The component still goes quietly.
  delete sound;
  EXPECT_EQ(list->DXSound(), nullptr);
}

TEST_F(SoundComponentTest, NoAutoInitializeOrDesigningLeavesTheDeviceAlone) {
  MakeSound(Main, {}, false);
  auto* designed = new TDXSound(Main);
  designed->SetDesigning(true);
  designed->BeginLoading();
  designed->Loaded();
  EXPECT_FALSE(designed->Initialized());
  EXPECT_EQ(DSoundTest::DeviceCount(), 0);
}

TEST_F(SoundComponentTest, OptionsAndTheCooperativeLevel) {
  auto* sound = MakeSound(Main, {soExclusive, soGlobalFocus});
  ASSERT_TRUE(sound->Initialized());
  EXPECT_EQ(DSoundTest::CooperativeLevel(sound->SoundObject()->IDSound()), DSSCL_EXCLUSIVE);
  EXPECT_TRUE(sound->SoundObject()->GlobalFocus());

  // soExclusive stays as it was while initialised; the focus flags follow.
  sound->SetOptions({soStickyFocus});
  EXPECT_TRUE(sound->Options() == TDXSoundOptions({soStickyFocus}));
  EXPECT_TRUE(sound->EffectiveOptions() == TDXSoundOptions({soStickyFocus, soExclusive}));
  EXPECT_TRUE(sound->SoundObject()->StickyFocus());
  EXPECT_FALSE(sound->SoundObject()->GlobalFocus());
  sound->SetOptions({});
  EXPECT_TRUE(sound->EffectiveOptions() == TDXSoundOptions({soExclusive}));
  EXPECT_EQ(DSoundTest::CooperativeLevel(sound->SoundObject()->IDSound()), DSSCL_EXCLUSIVE);

  sound->Finalize();
  EXPECT_TRUE(sound->EffectiveOptions() == sound->Options());
  sound->Initialize();
  EXPECT_EQ(DSoundTest::CooperativeLevel(sound->SoundObject()->IDSound()), DSSCL_NORMAL);
}

TEST_F(SoundComponentTest, StoredStickyFocusReachesTheBuffers) {
  for (TDXSoundOptions options : {TDXSoundOptions{soStickyFocus}, TDXSoundOptions{soGlobalFocus}}) {
    auto* sound = MakeSound(Main, options);
    auto* list = MakeList(Main, sound, {"a"});
    TDirectSoundBuffer* buffer = list->Items()->Items(0)->StaticBuffer();
    ASSERT_NE(buffer, nullptr);
    const DWORD expected = options.Contains(soStickyFocus) ? DSBCAPS_STICKYFOCUS : DSBCAPS_GLOBALFOCUS;
    EXPECT_EQ(buffer->Caps().dwFlags & (DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS), expected);
    delete list;
    delete sound;
  }
}

TEST_F(SoundComponentTest, WithoutADeviceTheWindowRunsSilent) {
  DSoundTest::InjectFault(DSoundTest::TFault::Create, DSERR_NODRIVER);
  auto* sound = new TDXSound(Main);
  sound->BeginLoading();
  WatchEvents(sound);
  sound->AddListener(Listener("L"));
  EXPECT_NO_THROW(sound->Loaded());
  EXPECT_FALSE(sound->Initialized());
  EXPECT_EQ(sound->SoundObject(), nullptr);
  EXPECT_EQ(Events, (Strings{"L:snInitializing", "OnInitializing", "L:snFinalize"}));
  // Called directly, the device's error is passed on.
  DSoundTest::InjectFault(DSoundTest::TFault::Create, DSERR_NODRIVER);
  EXPECT_THROW(sound->Initialize(), EDirectSoundError);
  EXPECT_EQ(DSoundTest::DeviceCount(), 0);
}

TEST_F(SoundComponentTest, FailuresThatLoadingPassesOn) {
  // No form up the owner chain.
  TComponent plainOwner(nullptr);
  auto* orphan = new TDXSound(&plainOwner);
  orphan->BeginLoading();
  try {
    orphan->Loaded();
    ADD_FAILURE() << "no exception";
  } catch (const EDXSoundError& e) { EXPECT_EQ(e.Message(), "Form not found"); }
  EXPECT_EQ(DSoundTest::DeviceCount(), 0);

  // No primary buffer: finalised, device released, error passed on.
  auto* sound = new TDXSound(Main);
  sound->BeginLoading();
  sound->AddListener(Listener("L"));
  DSoundTest::InjectFault(DSoundTest::TFault::CreateBuffer, DSERR_ALLOCATED);
  try {
    sound->Loaded();
    ADD_FAILURE() << "no exception";
  } catch (const EDXSoundError& e) { EXPECT_EQ(e.Message(), "Primary Buffer cannot be made"); }
  EXPECT_FALSE(sound->Initialized());
  EXPECT_EQ(DSoundTest::DeviceCount(), 0);
  EXPECT_EQ(Events, (Strings{"L:snInitializing", "L:snFinalize"}));

  // No library: the loader's error.
  FreeBoundLibraries();
  ModuleRegistry::SetMissing("DSound.dll", true);
  try {
    sound->Initialize();
    ADD_FAILURE() << "no exception";
  } catch (const EDirectSoundError&) { ADD_FAILURE() << "taken for a device failure"; } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "DSound.dll not loaded");
  }
}

// The game's main window as its stored data makes it: the wave list first,
// bound to the sound component, then the sound component; Loaded on each.
class TSoundForm : public TForm {
 public:
  explicit TSoundForm(TComponent* AOwner) : TForm(AOwner) {
    DXWaveList1 = new TDXWaveList(this);
    DXWaveList1->SetName("DXWaveList1");
    DXSound1 = new TDXSound(this);
    DXSound1->SetName("DXSound1");
    DXWaveList1->BeginLoading();
    DXSound1->BeginLoading();
    for (const char* name : {"position", "warrior", "archer"}) {
      auto* item = static_cast<TWaveCollectionItem*>(DXWaveList1->Items()->Add());
      item->SetName(name);
      SoundFixture::FillWave(*item->Wave(), 1, 11025, 8, 900);
    }
    DXWaveList1->SetDXSound(DXSound1);
    DXWaveList1->Loaded();
    DXSound1->Loaded();
  }
  TDXWaveList* DXWaveList1;
  TDXSound* DXSound1;
};

TEST_F(SoundComponentTest, WindowLoadingAttachesTheWavesOrFailsWithoutTheLibrary) {
  TSoundForm* form = nullptr;
  App->CreateForm(form);
  ASSERT_TRUE(form->DXSound1->Initialized());
  TWaveCollection* items = form->DXWaveList1->Items();
  for (int i = 0; i < items->Count(); ++i) {
    EXPECT_TRUE(items->Items(i)->Attached());
    ASSERT_NE(items->Items(i)->StaticBuffer(), nullptr);
    EXPECT_NE(items->Items(i)->StaticBuffer()->IBuffer(), nullptr);
  }
  EXPECT_EQ(DSoundTest::VoiceCount(), 3);
  items->Items(1)->Play(false);
  EXPECT_EQ(items->Items(1)->DuplicateCount(), 1);
  form->Free();
  EXPECT_EQ(DSoundTest::VoiceCount(), 0);
  EXPECT_EQ(DSoundTest::DeviceCount(), 0);

  // Without a device the window loads and plays nothing.
  DSoundTest::InjectFault(DSoundTest::TFault::Create, DSERR_NODRIVER);
  App->CreateForm(form);
  EXPECT_FALSE(form->DXSound1->Initialized());
  form->DXWaveList1->Items()->Items(0)->Play(false);
  EXPECT_FALSE(form->DXWaveList1->Items()->Items(0)->Attached());
  EXPECT_EQ(DSoundTest::VoiceCount(), 0);
  form->Free();

  // Without the library the window does not load.
  FreeBoundLibraries();
  ModuleRegistry::SetMissing("DSound.dll", true);
  try {
    App->CreateForm(form);
    ADD_FAILURE() << "the window loaded";
  } catch (const EDirectSoundError&) { ADD_FAILURE() << "taken for a device failure"; } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "DSound.dll not loaded");
  }
}

TEST_F(SoundComponentTest, Listeners) {
  auto* sound = MakeSound(Main, {}, false);
  const TSoundNotifyHandler a = Listener("A"), b = Listener("B");
  sound->AddListener(a);
  sound->AddListener(b);
  sound->AddListener(a);  // moves to the end: one record
  EXPECT_EQ(sound->ListenerCount(), 2);
  EXPECT_TRUE(Events.empty());
  sound->NotifyListeners(snRestore);
  EXPECT_EQ(Events, (Strings{"A:snRestore", "B:snRestore"}));

  sound->Initialize();
  Events.clear();
  sound->AddListener(b);
  EXPECT_EQ(Events, (Strings{"B:snFinalize", "B:snInitialize", "B:snRestore"}));
  EXPECT_EQ(sound->ListenerCount(), 2);
  Events.clear();
  sound->RemoveListener(a);
  sound->RemoveListener(a);
  EXPECT_EQ(Events, (Strings{"A:snFinalize"}));
  EXPECT_EQ(sound->ListenerCount(), 1);
}

TEST_F(SoundComponentTest, ListenersLeavingWhileCalledAreNotCalledAgain) {
  auto* sound = MakeSound(Main, {}, false);
  const TSoundNotifyHandler a = Listener("A"), b = Listener("B");
  int key = 0;
  TSoundNotifyHandler self;
  // The last registered listener takes itself and the one before it out.
  self = TSoundNotifyHandler(
      [&, sound](TCustomDXSound*, TSoundNotifyCode Code) {
        Events.push_back(std::string("C:") + CodeName(Code));
        sound->RemoveListener(self);
        sound->RemoveListener(b);
      },
      &key);
  sound->AddListener(a);
  sound->AddListener(b);
  sound->AddListener(self);
  sound->NotifyListeners(snRestore);
  EXPECT_EQ(Events, (Strings{"C:snRestore", "A:snRestore"}));
  EXPECT_EQ(sound->ListenerCount(), 1);
}

// A form whose window can be made again, as when its style changes.
class TRecreatableForm : public TForm {
 public:
  using TForm::TForm;
  void Recreate() {
    DestroyHandle();
    HandleNeeded();
  }
};

TEST_F(SoundComponentTest, NewWindowOfTheFormGetsTheCooperativeLevelWithoutANewHook) {
  UseSpy();
  TRecreatableForm* form = nullptr;
  App->CreateForm(form);
  const TWndMethod original = form->WindowProc;
  auto* sound = MakeSound(form, {soExclusive});
  ASSERT_TRUE(sound->Initialized());
  SoundSpy::Log().clear();
  form->Recreate();
  EXPECT_EQ(SoundSpy::Log(), (Strings{"SetCooperativeLevel#0(3)"}));
  EXPECT_NE(form->Handle(), nullptr);
  // Once more: still one call per window.
  SoundSpy::Log().clear();
  form->Recreate();
  EXPECT_EQ(SoundSpy::Log().size(), 1u);
  // Finalizing takes the one hook out and gives back the form's own procedure.
  sound->Finalize();
  EXPECT_TRUE(form->WindowProc == original);
  form->Free();
}

TEST_F(SoundComponentTest, SoundComponentGoingFirstUnbindsTheWaveList) {
  auto* sound = MakeSound(Main);
  auto* list = MakeList(Main, sound, {"a", "b"});
  list->Items()->Items(0)->Play(false);
  EXPECT_EQ(DSoundTest::VoiceCount(), 3);
  delete sound;
  EXPECT_EQ(list->DXSound(), nullptr);
  EXPECT_EQ(list->Items()->DXSound(), nullptr);
  EXPECT_FALSE(list->Items()->Items(0)->Attached());
  EXPECT_EQ(list->Items()->Items(0)->StaticBuffer(), nullptr);
  EXPECT_EQ(list->Items()->Items(0)->DuplicateCount(), 0);
  EXPECT_EQ(DSoundTest::VoiceCount(), 0);
}

TEST_F(SoundComponentTest, StoredProperties) {
  auto* sound = new TDXSound(Main);
  sound->SetAutoInitialize(false);
  sound->SetOptions({soStickyFocus, soExclusive});
  sound->SetTag(7);
  TMemoryStream stream;
  WritePersistentProperties(&stream, sound);
  stream.SetPosition(0);
  auto* read = new TDXSound(Main);
  ReadPersistentProperties(&stream, read);
  EXPECT_FALSE(read->AutoInitialize());
  EXPECT_TRUE(read->Options() == TDXSoundOptions({soStickyFocus, soExclusive}));
  EXPECT_EQ(read->Tag(), 7);
}

}  // namespace
