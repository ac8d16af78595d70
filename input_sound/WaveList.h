// The wave list: named waves (TWaveCollectionItem in a TWaveCollection) bound
// to a sound component through its listener list. Each item plays its wave
// through DirectSound buffers: one static buffer holding the samples and, for
// the plays that overlap, duplicates of it that share those samples.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "display/HashCollection.h"
#include "input_sound/DXSound.h"
#include "input_sound/DirectSound.h"
#include "input_sound/Wave.h"
#include "platform/toolkit/Component.h"

class TCustomDXWaveList;
class TWaveCollection;

class TWaveCollectionItem : public THashCollectionItem {
 public:
  explicit TWaveCollectionItem(TCollection* Collection);
  ~TWaveCollectionItem() override;

  // From another wave item: looping, name, MaxPlayingCount, frequency, pan,
  // volume and a copy of the wave; an attached item is restored afterwards.
  void Assign(const TPersistent* Source) override;
  void GetProperties(TPropertyList& List) override;

  // Plays the wave once on an idle duplicate (a new one when none is idle,
  // up to MaxPlayingCount; at the bound the oldest is restarted), or, when
  // Looped, the static buffer from its start. With Wait, returns when the
  // sound has ended. Does nothing when detached or without a usable buffer.
  void Play(bool Wait);
  // Loads the static buffer from the wave again and drops the duplicates
  // (they share the samples the buffer held before).
  void Restore();
  void StopAll();
  void Attach();
  void Detach();
  // The static buffer, made first when there is none yet (nil for an empty
  // wave or a detached item).
  TDirectSoundBuffer* GetBuffer();
  // A new duplicate of the static buffer, or nil when there is nothing to
  // duplicate or the duplication failed.
  TDirectSoundBuffer* CreateDuplicate();
  // Raises EInvalidCast when the item is in a collection of another class.
  TWaveCollection* GetWaveCollection() const;

  bool Attached() const { return FAttached; }
  bool Looped() const { return FLooped; }
  void SetLooped(bool Value);
  std::int32_t MaxPlayingCount() const { return FMaxPlayingCount; }
  void SetMaxPlayingCount(std::int32_t Value);
  TWave* Wave() const { return FWave.get(); }
  void SetWave(const TWave* Value);
  std::int32_t Frequency() const { return FFrequency; }
  std::int32_t Pan() const { return FPan; }
  std::int32_t Volume() const { return FVolume; }
  TDirectSoundBuffer* StaticBuffer() const { return FBuffer.get(); }
  int DuplicateCount() const { return static_cast<int>(FBufferList.size()); }
  TDirectSoundBuffer* Duplicates(int Index) const;

 protected:
  // Handed unchanged to the buffers; only Assign changes them.
  std::int32_t FFrequency = 0;
  std::int32_t FPan = 0;
  std::int32_t FVolume = 0;

 private:
  void FreeDuplicates();

  std::unique_ptr<TDirectSoundBuffer> FBuffer;
  std::vector<std::unique_ptr<TDirectSoundBuffer>> FBufferList;
  bool FAttached = false;
  bool FLooped = false;
  std::int32_t FMaxPlayingCount = 0;
  std::unique_ptr<TWave> FWave;
  // Moves on whenever buffers of this item are freed: a call that found its
  // buffer lost may restore the item under a play that is still running.
  std::uint32_t FBuffersGeneration = 0;
};

class TWaveCollection : public THashCollection {
 public:
  explicit TWaveCollection(TCustomDXWaveList* AOwner);

  // Raises EListError "List index out of bounds (%d)".
  TWaveCollectionItem* Items(int Index) const;
  // An attached sound component exists and is initialised.
  bool Initialized() const;
  TCustomDXSound* DXSound() const { return FDXSound; }
  TCustomDXWaveList* Owner() const { return FOwner; }

  void AttachAll(TCustomDXSound* DXSound);
  void DetachAll();
  // Restores every item; an item that fails does not keep the others from
  // their buffers, and the first failure is raised once all are done.
  void RestoreAll();

 private:
  TCustomDXSound* FDXSound = nullptr;
  TCustomDXWaveList* FOwner;
};

class TCustomDXWaveList : public TComponent {
 public:
  explicit TCustomDXWaveList(TComponent* AOwner);
  ~TCustomDXWaveList() override;

  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The listener registered with DXSound.
  void SoundNotified(TCustomDXSound* Sender, TSoundNotifyCode NotifyType);

  TCustomDXSound* DXSound() const { return FDXSound; }
  // Unregisters from the old component, registers with the new one.
  void SetDXSound(TCustomDXSound* Value);
  TWaveCollection* Items() const { return FItems.get(); }
  // Copies the items of Value.
  void SetItems(const TWaveCollection* Value);

 private:
  TCustomDXSound* FDXSound = nullptr;
  std::unique_ptr<TWaveCollection> FItems;
};

// The component as windows store it: Items with their names, looping,
// MaxPlayingCount and waves. Its DXSound reference is set by the form that
// holds both components, as the window's stored data names it.
class TDXWaveList : public TCustomDXWaveList {
 public:
  using TCustomDXWaveList::TCustomDXWaveList;
  void GetProperties(TPropertyList& List) override;
};
