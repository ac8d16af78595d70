// The wave list and its items: the choice of a duplicate under
// MaxPlayingCount, the calls on the chosen buffer, looping, the setters,
// items without a usable buffer, restores, copying and stored data.
#include "tests/input_sound/sound_fixture.h"

namespace {

using SoundSpy::CallsOn;
using SoundSpy::IdOf;
using Strings = std::vector<std::string>;

class WaveListTest : public SoundFixture {
 protected:
  void Make(const std::vector<std::string>& Names, std::int32_t Bytes = 1100) {
    Sound = MakeSound(Main);
    List = MakeList(Main, Sound, Names, Bytes);
  }
  TWaveCollectionItem* Item(int Index) const { return List->Items()->Items(Index); }
  // Plays out everything that is playing.
  static void RenderAll() { Render(48000); }

  TDXSound* Sound = nullptr;
  TDXWaveList* List = nullptr;
};

TEST_F(WaveListTest, WithoutALimitEveryOverlappingPlayAddsADuplicateAndIdleOnesAreReused) {
  Make({"boom"});
  TWaveCollectionItem* item = Item(0);
  for (int n = 1; n <= 3; ++n) {
    item->Play(false);
    EXPECT_EQ(item->DuplicateCount(), n);
  }
  std::vector<TDirectSoundBuffer*> made;
  for (int i = 0; i < 3; ++i) {
    made.push_back(item->Duplicates(i));
    EXPECT_TRUE(made.back()->Playing());
  }
  EXPECT_FALSE(item->StaticBuffer()->Playing());
  RenderAll();
  // All idle: the first is taken again, in its place; the list does not shrink.
  item->Play(false);
  EXPECT_EQ(item->DuplicateCount(), 3);
  EXPECT_TRUE(item->Duplicates(0) == made[0] && made[0]->Playing());
  EXPECT_FALSE(made[1]->Playing());
  item->Play(false);
  EXPECT_TRUE(item->Duplicates(1) == made[1] && made[1]->Playing());
  EXPECT_EQ(DSoundTest::VoiceCount(), 4);
}

TEST_F(WaveListTest, AtTheLimitTheOldestIsRestartedAndMovesToTheEnd) {
  UseSpy();
  Make({"warrior"});
  TWaveCollectionItem* item = Item(0);
  item->SetMaxPlayingCount(2);
  item->Play(false);
  Render(100);
  item->Play(false);
  ASSERT_EQ(item->DuplicateCount(), 2);
  TDirectSoundBuffer* first = item->Duplicates(0);
  TDirectSoundBuffer* second = item->Duplicates(1);
  SoundSpy::Log().clear();
  item->Play(false);
  EXPECT_EQ(item->DuplicateCount(), 2);
  EXPECT_EQ(item->Duplicates(0), second);
  EXPECT_EQ(item->Duplicates(1), first);
  // The first was cut off and started again from 0; the second plays on.
  EXPECT_EQ(CallsOn(IdOf(first)).front(), "Stop()");
  EXPECT_TRUE(CallsOn(IdOf(second)).empty());
  EXPECT_TRUE(first->Playing() && second->Playing());
  // The fourth play cuts off the second.
  item->Play(false);
  EXPECT_EQ(item->Duplicates(0), first);
  EXPECT_EQ(item->Duplicates(1), second);
}

TEST_F(WaveListTest, CallsOnTheChosenBufferAndOnALoopedItem) {
  UseSpy();
  Make({"position", "magic"});
  // Frequency, pan and volume come only from another item by Assign.
  TWaveCollection scratch(nullptr);
  auto* tuned = new TTunedWaveItem(&scratch);
  tuned->SetName("position");
  FillWave(*tuned->Wave(), 1, 22050, 8, 1606);
  tuned->Tune(30000, -2500, -700);
  Item(0)->Assign(tuned);
  EXPECT_EQ(Item(0)->Frequency(), 30000);
  ASSERT_NE(Item(0)->StaticBuffer(), nullptr);
  const int staticId = IdOf(Item(0)->StaticBuffer());
  EXPECT_EQ(CallsOn(staticId),
            (Strings{"Lock(0,1606)", "Unlock(1606,0)", "SetFrequency(30000)", "SetPan(-2500)", "SetVolume(-700)"}));

  SoundSpy::Log().clear();
  Item(0)->Play(false);
  ASSERT_EQ(Item(0)->DuplicateCount(), 1);
  EXPECT_EQ(CallsOn(IdOf(Item(0)->Duplicates(0))), (Strings{"Stop()", "SetPosition(0)", "SetFrequency(30000)",
                                                            "SetPan(-2500)", "SetVolume(-700)", "Play(0)"}));
  EXPECT_TRUE(CallsOn(staticId).empty());

  // A looped item plays its static buffer from 0, looping, each time.
  Item(1)->SetLooped(true);
  const int loopId = IdOf(Item(1)->StaticBuffer());
  for (int n = 0; n < 2; ++n) {
    SoundSpy::Log().clear();
    Item(1)->Play(true);  // Wait is not used
    EXPECT_EQ(CallsOn(loopId), (Strings{"Stop()", "SetPosition(0)", "Play(1)"}));
  }
  EXPECT_EQ(Item(1)->DuplicateCount(), 0);
  EXPECT_EQ(Item(1)->StaticBuffer()->GetStatus(), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
}

TEST_F(WaveListTest, PlayWithWaitReturnsWhenTheSoundHasEnded) {
  Make({"archer"}, 1103);  // 0.1 s at 11025 Hz
  int waits = 0;
  SetWaitObserver([&](std::int64_t) {
    ++waits;
    Render(480);  // 10 ms of output
  });
  const std::int64_t start = ClockMicroseconds();
  Item(0)->Play(true);
  SetWaitObserver(nullptr);
  EXPECT_FALSE(Item(0)->Duplicates(0)->Playing());
  EXPECT_GE(waits, 10);
  EXPECT_LE(waits, 11);
  EXPECT_EQ(ClockMicroseconds() - start, waits * 10000);
}

TEST_F(WaveListTest, SettersOfLoopingAndTheLimit) {
  Make({"a"});
  TWaveCollectionItem* item = Item(0);
  item->Play(false);
  item->Play(false);
  ASSERT_EQ(item->DuplicateCount(), 2);

  item->SetMaxPlayingCount(-5);  // becomes 0, the current value: kept
  EXPECT_EQ(item->MaxPlayingCount(), 0);
  EXPECT_EQ(item->DuplicateCount(), 2);
  item->SetLooped(false);  // the current value: nothing stops
  EXPECT_TRUE(item->Duplicates(0)->Playing() && item->Duplicates(1)->Playing());

  item->SetLooped(true);
  EXPECT_TRUE(item->Looped());
  EXPECT_FALSE(item->Duplicates(0)->Playing() || item->Duplicates(1)->Playing());
  item->Play(false);
  EXPECT_TRUE(item->StaticBuffer()->Playing());
  item->SetLooped(false);
  EXPECT_FALSE(item->StaticBuffer()->Playing());

  item->SetMaxPlayingCount(3);
  EXPECT_EQ(item->DuplicateCount(), 0);
  EXPECT_EQ(DSoundTest::VoiceCount(), 1);
}

TEST_F(WaveListTest, WithoutASoundDeviceEveryPlayReturnsAtOnce) {
  DSoundTest::InjectFault(DSoundTest::TFault::Create, DSERR_NODRIVER);
  Make({"a", "b"});
  EXPECT_FALSE(Sound->Initialized());
  for (bool looped : {false, true}) {
    Item(0)->SetLooped(looped);
    EXPECT_NO_THROW(Item(0)->Play(false));
    EXPECT_NO_THROW(Item(0)->StopAll());
  }
  EXPECT_FALSE(Item(0)->Attached());
  EXPECT_EQ(Item(0)->GetBuffer(), nullptr);
  EXPECT_EQ(Item(0)->CreateDuplicate(), nullptr);
  Item(1)->Restore();
  EXPECT_FALSE(Item(1)->Attached());
  EXPECT_EQ(DSoundTest::VoiceCount(), 0);
}

TEST_F(WaveListTest, ItemsWithoutAUsableBufferAreNeverPlayed) {
  Make({"empty", "bad", "good"});
  // An empty wave: no buffer, the attached state stays, plays are silent.
  Item(0)->Wave()->Clear();
  Sound->Restore();
  Item(0)->Detach();
  Item(0)->Restore();
  EXPECT_FALSE(Item(0)->Attached());
  Item(0)->Attach();
  Item(0)->Restore();
  EXPECT_TRUE(Item(0)->Attached());
  EXPECT_EQ(Item(0)->StaticBuffer(), nullptr);
  EXPECT_NO_THROW(Item(0)->SetLooped(true));
  EXPECT_NO_THROW(Item(0)->Play(false));
  EXPECT_NO_THROW(Item(0)->SetLooped(false));
  EXPECT_NO_THROW(Item(0)->Play(false));
  EXPECT_EQ(Item(0)->DuplicateCount(), 0);

  // A format the buffers do not take: its restore fails, the next item is
  // restored all the same, and the failure is reported afterwards.
  Item(1)->Wave()->SetFormatSize(14);
  Item(2)->Play(false);
  ASSERT_EQ(Item(2)->DuplicateCount(), 1);
  try {
    List->Items()->RestoreAll();
    ADD_FAILURE() << "no exception";
  } catch (const EDirectSoundBufferError& e) { EXPECT_EQ(e.Message(), "Sound Buffer cannot be made"); }
  EXPECT_EQ(Item(1)->StaticBuffer()->IBuffer(), nullptr);
  ASSERT_NE(Item(2)->StaticBuffer()->IBuffer(), nullptr);
  // The restore dropped the duplicates of the reloaded buffer.
  EXPECT_EQ(Item(2)->DuplicateCount(), 0);
  for (bool looped : {false, true}) {
    Item(1)->SetLooped(looped);
    EXPECT_NO_THROW(Item(1)->Play(false));
  }
  EXPECT_EQ(Item(1)->DuplicateCount(), 0);
  // The component's own restore runs to its end: the device error is its
  // caller's to see, and loading swallows it.
  EXPECT_THROW(Sound->Restore(), EDirectSoundBufferError);
  EXPECT_NO_THROW(Sound->Loaded());
  EXPECT_NE(Item(2)->StaticBuffer()->IBuffer(), nullptr);
}

TEST_F(WaveListTest, FailedDuplicationIsNotKept) {
  Make({"a"});
  DSoundTest::InjectFault(DSoundTest::TFault::Duplicate, DSERR_OUTOFMEMORY);
  EXPECT_NO_THROW(Item(0)->Play(false));
  EXPECT_EQ(Item(0)->DuplicateCount(), 0);
  // The next play makes its duplicate.
  Item(0)->Play(false);
  ASSERT_EQ(Item(0)->DuplicateCount(), 1);
  EXPECT_TRUE(Item(0)->Duplicates(0)->Playing());
}

TEST_F(WaveListTest, LostSamplesAreRestoredAndTheLosingPlayIsNotRepeated) {
  Make({"a", "b"});
  int restores = 0;
  Sound->OnRestore = TNotifyEvent([&](TObject*) { ++restores; });

  // A lost duplicate is idle; playing it meets the loss.
  Item(0)->Play(false);
  IDirectSoundBuffer* before = Item(0)->StaticBuffer()->IBuffer();
  DSoundTest::LoseBuffer(before);
  EXPECT_NO_THROW(Item(0)->Play(false));
  EXPECT_EQ(restores, 1);
  EXPECT_EQ(Item(0)->DuplicateCount(), 0);
  EXPECT_EQ(Item(0)->StaticBuffer()->GetStatus(), 0u);
  Item(0)->Play(false);
  ASSERT_EQ(Item(0)->DuplicateCount(), 1);
  EXPECT_TRUE(Item(0)->Duplicates(0)->Playing());

  // Lost before any play: the duplication meets the loss.
  DSoundTest::LoseBuffer(Item(1)->StaticBuffer()->IBuffer());
  EXPECT_NO_THROW(Item(1)->Play(false));
  EXPECT_EQ(restores, 2);
  EXPECT_EQ(Item(1)->DuplicateCount(), 0);
  Item(1)->Play(false);
  EXPECT_EQ(Item(1)->DuplicateCount(), 1);
  EXPECT_FALSE(Sound->SoundObject()->InRestore());
}

TEST_F(WaveListTest, BindingAndUnbinding) {
  Sound = MakeSound(Main);
  List = MakeList(Main, nullptr, {"a", "b"});
  EXPECT_FALSE(Item(0)->Attached());
  List->SetDXSound(Sound);
  EXPECT_TRUE(Item(0)->Attached() && Item(1)->Attached());
  EXPECT_NE(Item(1)->StaticBuffer(), nullptr);
  EXPECT_EQ(List->Items()->DXSound(), Sound);

  // An item added later stays silent until it is restored.
  auto* late = static_cast<TWaveCollectionItem*>(List->Items()->Add());
  FillWave(*late->Wave(), 1, 11025, 8, 200);
  EXPECT_FALSE(late->Attached());
  late->Play(false);
  EXPECT_EQ(late->DuplicateCount(), 0);
  late->Restore();
  EXPECT_TRUE(late->Attached());
  late->Play(false);
  EXPECT_EQ(late->DuplicateCount(), 1);

  List->SetDXSound(nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(Item(i)->Attached());
  EXPECT_EQ(DSoundTest::VoiceCount(), 0);
  EXPECT_EQ(Sound->ListenerCount(), 0);

  // The wave list going first leaves the sound component without its listener.
  List->SetDXSound(Sound);
  EXPECT_EQ(Sound->ListenerCount(), 1);
  delete List;
  List = nullptr;
  EXPECT_EQ(Sound->ListenerCount(), 0);
  EXPECT_EQ(DSoundTest::VoiceCount(), 0);
}

TEST_F(WaveListTest, CopyingItems) {
  Make({"a"});
  TWaveCollection scratch(nullptr);
  auto* source = new TTunedWaveItem(&scratch);
  source->SetName("death");
  FillWave(*source->Wave(), 1, 8000, 8, 300, -1, true);
  source->SetLooped(true);
  source->SetMaxPlayingCount(4);
  source->Tune(0, 100, -200);

  Item(0)->Play(false);
  Item(0)->Assign(source);
  EXPECT_EQ(Item(0)->Name(), "death");
  EXPECT_EQ(List->Items()->IndexOf("DEATH"), 0);
  EXPECT_TRUE(Item(0)->Looped());
  EXPECT_EQ(Item(0)->MaxPlayingCount(), 4);
  EXPECT_EQ(Item(0)->Pan(), 100);
  EXPECT_EQ(Item(0)->Volume(), -200);
  EXPECT_EQ(Item(0)->Wave()->FormatSize(), 18);
  // Attached before: restored from the new wave, old duplicates gone.
  EXPECT_TRUE(Item(0)->Attached());
  EXPECT_EQ(Item(0)->DuplicateCount(), 0);
  EXPECT_EQ(Item(0)->StaticBuffer()->Caps().dwBufferBytes, 300u);

  // A wave is copied; the buffer keeps the old samples until the next restore.
  TWave other;
  FillWave(other, 1, 11025, 8, 500);
  Item(0)->SetWave(&other);
  EXPECT_EQ(Item(0)->Wave()->Size(), 500);
  EXPECT_EQ(Item(0)->StaticBuffer()->Caps().dwBufferBytes, 300u);

  // The list's items copied from another collection.
  TWaveCollection copy(nullptr);
  auto* one = static_cast<TWaveCollectionItem*>(copy.Add());
  one->SetName("x");
  auto* two = static_cast<TWaveCollectionItem*>(copy.Add());
  two->SetName("y");
  List->SetItems(&copy);
  ASSERT_EQ(List->Items()->Count(), 2);
  EXPECT_EQ(Item(1)->Name(), "y");
  EXPECT_EQ(DSoundTest::VoiceCount(), 0);

  EXPECT_THROW(Item(0)->Assign(Sound), EConvertError);
  // An item outside a wave collection cannot find its sound component.
  THashCollection plain(CollectionItemClassOf<TWaveCollectionItem>());
  auto* stray = static_cast<TWaveCollectionItem*>(plain.Add());
  EXPECT_THROW(stray->GetWaveCollection(), EInvalidCast);
  EXPECT_THROW(List->Items()->Items(5), EListError);
}

TEST_F(WaveListTest, StoredItemsComeBackWithTheirWaves) {
  auto* list = MakeList(Main, nullptr, {"position", "death"});
  FillWave(*list->Items()->Items(1)->Wave(), 1, 8000, 8, 7941, -1, true);
  list->Items()->Items(1)->SetMaxPlayingCount(2);
  list->Items()->Items(0)->SetLooped(true);
  TMemoryStream stream;
  WritePersistentProperties(&stream, list);
  stream.SetPosition(0);
  auto* read = new TDXWaveList(Main);
  ReadPersistentProperties(&stream, read);
  ASSERT_EQ(read->Items()->Count(), 2);
  for (int i = 0; i < 2; ++i) {
    TWaveCollectionItem* a = list->Items()->Items(i);
    TWaveCollectionItem* b = read->Items()->Items(i);
    EXPECT_EQ(b->Name(), a->Name());
    EXPECT_EQ(b->Looped(), a->Looped());
    EXPECT_EQ(b->MaxPlayingCount(), a->MaxPlayingCount());
    ASSERT_EQ(b->Wave()->FormatSize(), a->Wave()->FormatSize());
    ASSERT_EQ(b->Wave()->Size(), a->Wave()->Size());
    EXPECT_TRUE(std::equal(a->Wave()->Format(), a->Wave()->Format() + a->Wave()->FormatSize(), b->Wave()->Format()));
    EXPECT_TRUE(std::equal(a->Wave()->Data(), a->Wave()->Data() + a->Wave()->Size(), b->Wave()->Data()));
  }
  EXPECT_EQ(read->Items()->IndexOf("Death"), 1);
}

}  // namespace
