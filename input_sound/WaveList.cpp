#include "input_sound/WaveList.h"

#include <algorithm>
#include <exception>

#include "platform/rtl/Format.h"
#include "platform/win/Time.h"

// ---- TWaveCollectionItem ----

TWaveCollectionItem::TWaveCollectionItem(TCollection* Collection)
    : THashCollectionItem(Collection), FWave(std::make_unique<TWave>()) {}

TWaveCollectionItem::~TWaveCollectionItem() {
  Detach();
  FWave.reset();
}

TWaveCollection* TWaveCollectionItem::GetWaveCollection() const {
  auto* collection = dynamic_cast<TWaveCollection*>(Collection());
  if (!collection) throw EInvalidCast();
  return collection;
}

TDirectSoundBuffer* TWaveCollectionItem::Duplicates(int Index) const {
  if (Index < 0 || Index >= DuplicateCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FBufferList[static_cast<std::size_t>(Index)].get();
}

void TWaveCollectionItem::FreeDuplicates() {
  if (FBufferList.empty()) return;
  ++FBuffersGeneration;
  // Taken out of the list before they go, so nothing sees a freed buffer.
  std::vector<std::unique_ptr<TDirectSoundBuffer>> gone;
  gone.swap(FBufferList);
  gone.clear();
}

void TWaveCollectionItem::Attach() {
  Detach();
  FAttached = GetWaveCollection()->Initialized();
}

void TWaveCollectionItem::Detach() {
  if (!FAttached) return;
  FAttached = false;
  FreeDuplicates();
  ++FBuffersGeneration;
  FBuffer.reset();
}

TDirectSoundBuffer* TWaveCollectionItem::GetBuffer() {
  if (FAttached && !FBuffer) Restore();
  return FBuffer.get();
}

void TWaveCollectionItem::Restore() {
  if (FWave->Size() == 0) return;
  if (!FAttached) {
    if (GetWaveCollection()->Initialized()) Attach();
    if (!FAttached) return;
  }
  // The duplicates share the samples of the buffer being reloaded (lost, or
  // about to be replaced): they go, and plays make new ones.
  FreeDuplicates();
  if (!FBuffer) FBuffer = std::make_unique<TDirectSoundBuffer>(GetWaveCollection()->DXSound()->SoundObject());
  TDirectSoundBuffer* buffer = FBuffer.get();
  buffer->LoadFromWave(FWave.get());
  // A loss met by these calls restores the item again; the buffer object
  // itself stays while the item is attached.
  const std::uint32_t generation = FBuffersGeneration;
  buffer->SetFrequency(static_cast<DWORD>(FFrequency));
  if (generation != FBuffersGeneration || FBuffer.get() != buffer) return;
  buffer->SetPan(FPan);
  if (generation != FBuffersGeneration || FBuffer.get() != buffer) return;
  buffer->SetVolume(FVolume);
}

TDirectSoundBuffer* TWaveCollectionItem::CreateDuplicate() {
  TDirectSoundBuffer* source = GetBuffer();
  if (!source || !source->IBuffer()) return nullptr;
  TDirectSound* device = source->DSound();
  if (!device) return nullptr;
  auto duplicate = std::make_unique<TDirectSoundBuffer>(device);
  duplicate->Assign(source);
  if (duplicate->IBuffer()) return duplicate.release();
  // A duplicate that DirectSound would not make is never used. When the
  // samples it was to share were lost, the static buffer records that and
  // the device restores the sounds.
  const HRESULT result = device->LastResult();
  duplicate.reset();
  if (result == DSERR_BUFFERLOST && FBuffer.get() == source) source->Check(result);
  return nullptr;
}

void TWaveCollectionItem::Play(bool Wait) {
  if (!FAttached) return;

  if (FLooped) {
    TDirectSoundBuffer* buffer = GetBuffer();
    if (!buffer || !buffer->IBuffer()) return;
    const std::uint32_t generation = FBuffersGeneration;
    auto gone = [&] { return generation != FBuffersGeneration || FBuffer.get() != buffer; };
    buffer->Stop();
    if (gone()) return;
    buffer->SetPosition(0);
    if (gone()) return;
    buffer->Play(true);
    return;
  }

  // Duplicates left without a DirectSound buffer (their device went) are
  // never played.
  if (std::any_of(FBufferList.begin(), FBufferList.end(), [](const auto& b) { return !b->IBuffer(); })) {
    ++FBuffersGeneration;
    FBufferList.erase(
        std::remove_if(FBufferList.begin(), FBufferList.end(), [](const auto& b) { return !b->IBuffer(); }),
        FBufferList.end());
  }

  std::uint32_t generation = FBuffersGeneration;
  TDirectSoundBuffer* chosen = nullptr;
  for (std::size_t i = 0; i < FBufferList.size(); ++i) {
    TDirectSoundBuffer* candidate = FBufferList[i].get();
    const bool playing = candidate->Playing();
    if (generation != FBuffersGeneration) return;
    if (!playing) {
      chosen = candidate;
      break;
    }
  }
  if (!chosen) {
    if (FMaxPlayingCount == 0 || static_cast<std::int32_t>(FBufferList.size()) < FMaxPlayingCount) {
      TDirectSoundBuffer* made = CreateDuplicate();
      if (!made) return;
      FBufferList.emplace_back(made);
      chosen = made;
    } else {
      // At the bound: the buffer started longest ago is cut off and moves to
      // the end of the list.
      std::unique_ptr<TDirectSoundBuffer> oldest = std::move(FBufferList.front());
      FBufferList.erase(FBufferList.begin());
      chosen = oldest.get();
      FBufferList.push_back(std::move(oldest));
    }
  }

  generation = FBuffersGeneration;
  auto gone = [&] { return generation != FBuffersGeneration; };
  chosen->Stop();
  if (gone()) return;
  chosen->SetPosition(0);
  if (gone()) return;
  chosen->SetFrequency(static_cast<DWORD>(FFrequency));
  if (gone()) return;
  chosen->SetPan(FPan);
  if (gone()) return;
  chosen->SetVolume(FVolume);
  if (gone()) return;
  chosen->Play(false);
  if (!Wait) return;
  while (!gone() && chosen->Playing()) Sleep(10);
}

void TWaveCollectionItem::StopAll() {
  if (!FAttached) return;
  const std::uint32_t generation = FBuffersGeneration;
  // An item without a usable static buffer (an empty wave) has nothing to
  // stop there.
  if (FBuffer && FBuffer->IBuffer()) FBuffer->Stop();
  for (std::size_t i = 0; i < FBufferList.size(); ++i) {
    if (generation != FBuffersGeneration) return;
    TDirectSoundBuffer* buffer = FBufferList[i].get();
    if (buffer->IBuffer()) buffer->Stop();
  }
}

void TWaveCollectionItem::SetLooped(bool Value) {
  if (FLooped == Value) return;
  StopAll();
  FLooped = Value;
}

void TWaveCollectionItem::SetMaxPlayingCount(std::int32_t Value) {
  if (Value < 0) Value = 0;
  if (FMaxPlayingCount == Value) return;
  FMaxPlayingCount = Value;
  if (FAttached) FreeDuplicates();
}

void TWaveCollectionItem::SetWave(const TWave* Value) { FWave->Assign(Value); }

void TWaveCollectionItem::Assign(const TPersistent* Source) {
  if (auto* source = dynamic_cast<const TWaveCollectionItem*>(Source)) {
    if (source == this) return;
    const bool wasAttached = FAttached;
    Detach();
    FLooped = source->FLooped;
    SetName(source->Name());
    FMaxPlayingCount = source->FMaxPlayingCount;
    FFrequency = source->FFrequency;
    FPan = source->FPan;
    FVolume = source->FVolume;
    FWave->Assign(source->FWave.get());
    if (wasAttached) Restore();
    return;
  }
  THashCollectionItem::Assign(Source);
}

void TWaveCollectionItem::GetProperties(TPropertyList& List) {
  THashCollectionItem::GetProperties(List);
  List.Boolean(
      "Looped", [this] { return FLooped; }, [this](bool v) { SetLooped(v); }, false);
  List.Integer(
      "MaxPlayingCount", [this] { return FMaxPlayingCount; },
      [this](std::int64_t v) { SetMaxPlayingCount(static_cast<std::int32_t>(v)); }, 0);
  List.Persistent("Wave", [this]() -> TPersistent* { return FWave.get(); });
}

// ---- TWaveCollection ----

TWaveCollection::TWaveCollection(TCustomDXWaveList* AOwner)
    : THashCollection(CollectionItemClassOf<TWaveCollectionItem>(), AOwner), FOwner(AOwner) {}

TWaveCollectionItem* TWaveCollection::Items(int Index) const {
  return static_cast<TWaveCollectionItem*>(TCollection::Items(Index));
}

bool TWaveCollection::Initialized() const { return FDXSound && FDXSound->Initialized(); }

void TWaveCollection::DetachAll() {
  for (int i = 0; i < Count(); ++i) Items(i)->Detach();
  FDXSound = nullptr;
}

void TWaveCollection::AttachAll(TCustomDXSound* DXSound) {
  DetachAll();
  FDXSound = DXSound;
  for (int i = 0; i < Count(); ++i) Items(i)->Attach();
}

void TWaveCollection::RestoreAll() {
  std::exception_ptr failure;
  for (int i = 0; i < Count(); ++i) {
    try {
      Items(i)->Restore();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  if (failure) std::rethrow_exception(failure);
}

// ---- TCustomDXWaveList ----

TCustomDXWaveList::TCustomDXWaveList(TComponent* AOwner)
    : TComponent(AOwner), FItems(std::make_unique<TWaveCollection>(this)) {}

TCustomDXWaveList::~TCustomDXWaveList() {
  try {
    SetDXSound(nullptr);
  } catch (...) {}
  FItems.reset();
}

void TCustomDXWaveList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent && AComponent == FDXSound) SetDXSound(nullptr);
}

void TCustomDXWaveList::SoundNotified(TCustomDXSound* Sender, TSoundNotifyCode NotifyType) {
  switch (NotifyType) {
    case snDestroying: SetDXSound(nullptr); break;
    case snInitializing: break;
    case snInitialize: FItems->AttachAll(Sender); break;
    case snFinalize: FItems->DetachAll(); break;
    case snRestore: FItems->RestoreAll(); break;
  }
}

void TCustomDXWaveList::SetDXSound(TCustomDXSound* Value) {
  const TSoundNotifyHandler handler(this, &TCustomDXWaveList::SoundNotified);
  if (FDXSound) FDXSound->RemoveListener(handler);
  FDXSound = Value;
  if (FDXSound) FDXSound->AddListener(handler);
}

void TCustomDXWaveList::SetItems(const TWaveCollection* Value) { FItems->Assign(Value); }

// ---- TDXWaveList ----

void TDXWaveList::GetProperties(TPropertyList& List) {
  TCustomDXWaveList::GetProperties(List);
  List.Persistent("Items", [this]() -> TPersistent* { return Items(); });
}
