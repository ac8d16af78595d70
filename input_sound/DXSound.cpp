#include "input_sound/DXSound.h"

#include <exception>

#include "display/DXClass.h"
#include "platform/rtl/Format.h"
#include "platform/toolkit/Forms.h"
#include "platform/win/Messages.h"

void TDXSoundDirectSound::DoBufferLost() {
  TDirectSound::DoBufferLost();
  if (FDXSound) FDXSound->Restore();
}

// ---- TCustomDXSound ----

TCustomDXSound::TCustomDXSound(TComponent* AOwner) : TComponent(AOwner) {
  FAutoInitialize = true;
  SetOptions(TDXSoundOptions());
}

TCustomDXSound::~TCustomDXSound() {
  // A destructor cannot pass a failure on (an OnFinalize handler that
  // raises); the component goes all the same.
  try {
    Finalize();
  } catch (...) {}
  try {
    NotifyListeners(snDestroying);
  } catch (...) {}
  FNotifyList.clear();
}

void TCustomDXSound::Loaded() {
  TComponent::Loaded();
  if (FAutoInitialize && !ComponentState().Contains(csDesigning)) {
    try {
      Initialize();
    } catch (const EDirectSoundError&) {
      // No sound device: the window runs silent.
    }
  }
}

void TCustomDXSound::Initialize() {
  Finalize();
  TCustomForm* form = nullptr;
  for (TComponent* c = Owner(); c; c = c->Owner()) {
    if (auto* f = dynamic_cast<TCustomForm*>(c)) {
      form = f;
      break;
    }
  }
  if (!form) throw EDXSoundError("Form not found");

  NotifyListeners(snInitializing);
  DoInitializing();

  FNeedsFinalize = true;
  try {
    FSoundObject = std::make_unique<TDXSoundDirectSound>(FGUID);
    FSoundObject->SetDXSound(this);
    // Both focus flags as the options say, so that a stored soStickyFocus
    // reaches the buffers as well.
    FSoundObject->SetGlobalFocus(FEffectiveOptions.Contains(soGlobalFocus));
    FSoundObject->SetStickyFocus(FEffectiveOptions.Contains(soStickyFocus));

    FPrimaryBuffer = std::make_unique<TDirectSoundBuffer>(FSoundObject.get());
    DSBUFFERDESC desc;
    desc.dwSize = DSBufferDescSize;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    desc.dwBufferBytes = 0;
    desc.lpwfxFormat = nullptr;
    if (!FPrimaryBuffer->CreateBuffer(desc)) throw EDXSoundError(Format("%s cannot be made", "Primary Buffer"));

    FInitialized = true;
    HookForm(form);
  } catch (...) {
    // The failure that ended the initialisation is the one reported.
    try {
      Finalize();
    } catch (...) {}
    throw;
  }

  NotifyListeners(snInitialize);
  FInitializeEventFired = true;
  DoInitialize();
  Restore();
}

void TCustomDXSound::Finalize() {
  if (!FNeedsFinalize) return;
  std::exception_ptr failure;
  try {
    FSubClass.reset();
    if (FInitializeEventFired) {
      FInitializeEventFired = false;
      try {
        DoFinalize();
      } catch (...) { failure = std::current_exception(); }
    }
    NotifyListeners(snFinalize);
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  FInitialized = false;
  FNeedsFinalize = false;
  SetOptions(FOptions);
  // The primary buffer first, then the device with whatever buffers are
  // still made on it.
  FPrimaryBuffer.reset();
  FSoundObject.reset();
  if (failure) std::rethrow_exception(failure);
}

void TCustomDXSound::Restore() {
  if (!FInitialized) return;
  NotifyListeners(snRestore);
  DoRestore();
}

void TCustomDXSound::HookForm(TCustomForm* Form) {
  FForm = Form;
  FSubClass.reset();
  FSubClass = std::make_unique<TControlSubClass>(Form, TSubClassHandler(this, &TCustomDXSound::FormWndProc));
  if (FInitialized) SetCooperativeLevel();
}

void TCustomDXSound::SetCooperativeLevel() {
  const DWORD level = FEffectiveOptions.Contains(soExclusive) ? DSSCL_EXCLUSIVE : DSSCL_NORMAL;
  // The window is made now if the form has none yet; the result is only
  // recorded.
  HWND window = FForm->Handle();
  FSoundObject->Check(FSoundObject->IDSound()->SetCooperativeLevel(window, level));
}

void TCustomDXSound::FormWndProc(TMessage& Message, const TWndMethod& DefWindowProc) {
  DefWindowProc(Message);
  switch (Message.Msg) {
    case WM_CREATE:
      // The form has a new window: the device follows it. The hook itself
      // stays; it is the one running this message.
      if (FInitialized && FForm) SetCooperativeLevel();
      break;
    case WM_DESTROY:
      // The form is being freed: the hook leaves while the form's window
      // procedure slot still exists.
      if (FForm && FForm->ComponentState().Contains(csDestroying)) FSubClass.reset();
      break;
    default: break;
  }
}

void TCustomDXSound::SetOptions(TDXSoundOptions Value) {
  FOptions = Value;
  if (FInitialized) {
    TDXSoundOptions effective = Value;
    effective.Exclude(soExclusive);
    if (FEffectiveOptions.Contains(soExclusive)) effective.Include(soExclusive);
    FEffectiveOptions = effective;
    FSoundObject->SetGlobalFocus(effective.Contains(soGlobalFocus));
    FSoundObject->SetStickyFocus(effective.Contains(soStickyFocus));
  } else {
    FEffectiveOptions = Value;
  }
}

void TCustomDXSound::AddListener(const TSoundNotifyHandler& Handler) {
  RemoveListener(Handler);
  FNotifyList.push_back(Handler);
  if (FInitialized) {
    Handler(this, snInitialize);
    Handler(this, snRestore);
  }
}

void TCustomDXSound::RemoveListener(const TSoundNotifyHandler& Handler) {
  for (auto it = FNotifyList.begin(); it != FNotifyList.end(); ++it) {
    if (*it == Handler) {
      const TSoundNotifyHandler removed = *it;
      FNotifyList.erase(it);
      if (FInitialized) removed(this, snFinalize);
      return;
    }
  }
}

void TCustomDXSound::NotifyListeners(TSoundNotifyCode NotifyType) {
  // A listener may register or unregister (itself or others) while it is
  // called: every step checks its index against the list as it is now.
  for (int i = static_cast<int>(FNotifyList.size()) - 1; i >= 0; --i) {
    if (i >= static_cast<int>(FNotifyList.size())) continue;
    const TSoundNotifyHandler handler = FNotifyList[static_cast<std::size_t>(i)];
    handler(this, NotifyType);
  }
}

void TCustomDXSound::DoFinalize() {
  if (OnFinalize) OnFinalize(this);
}
void TCustomDXSound::DoInitialize() {
  if (OnInitialize) OnInitialize(this);
}
void TCustomDXSound::DoInitializing() {
  if (OnInitializing) OnInitializing(this);
}
void TCustomDXSound::DoRestore() {
  if (OnRestore) OnRestore(this);
}

// ---- TDXSound ----

void TDXSound::GetProperties(TPropertyList& List) {
  TCustomDXSound::GetProperties(List);
  List.Integer(
      "Tag", [this] { return Tag(); }, [this](std::int64_t v) { SetTag(static_cast<int>(v)); }, 0);
  List.Boolean(
      "AutoInitialize", [this] { return AutoInitialize(); }, [this](bool v) { SetAutoInitialize(v); }, true);
  List.Set(
      "Options", {"soGlobalFocus", "soStickyFocus", "soExclusive"},
      [this] { return static_cast<std::int64_t>(Options().Bits()); },
      [this](std::int64_t v) { SetOptions(TDXSoundOptions::FromBits(static_cast<std::uint64_t>(v) & 7)); });
}
