// The sound component: owns the DirectSound device of the window that holds
// it, sets the device's cooperative level on that window, holds the primary
// buffer, and tells registered listeners (the wave lists) when the device
// comes, goes or has to be restored.
//
// Without a usable sound device the component stays uninitialised and says
// nothing: the window loads and every wave stays silent. A missing DirectSound
// library, by contrast, fails the loading of the window.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "input_sound/DirectSound.h"
#include "platform/rtl/Exceptions.h"
#include "platform/toolkit/Component.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Sets.h"

class TControlSubClass;
class TCustomDXSound;
class TCustomForm;

enum TDXSoundOption { soGlobalFocus, soStickyFocus, soExclusive };
using TDXSoundOptions = TSet<TDXSoundOption>;

// What a listener is told.
enum TSoundNotifyCode : std::uint8_t { snDestroying, snInitializing, snInitialize, snFinalize, snRestore };

using TSoundNotifyHandler = TMethod<void(TCustomDXSound* Sender, TSoundNotifyCode NotifyType)>;

// The sound component's own failures. They are not DirectSound failures: the
// component's loading lets them pass.
class EDXSoundError : public Exception {
 public:
  using Exception::Exception;
};

// The device of a sound component: a lost buffer restores the component.
class TDXSoundDirectSound : public TDirectSound {
 public:
  using TDirectSound::TDirectSound;

  TCustomDXSound* DXSound() const { return FDXSound; }
  void SetDXSound(TCustomDXSound* Value) { FDXSound = Value; }

 protected:
  void DoBufferLost() override;

 private:
  TCustomDXSound* FDXSound = nullptr;
};

class TCustomDXSound : public TComponent {
 public:
  explicit TCustomDXSound(TComponent* AOwner);
  // Finalizes, then tells the listeners that the component goes.
  ~TCustomDXSound() override;

  // Initializes when loading ends (AutoInitialize, not designing); a device
  // that cannot be made is not an error here.
  void Loaded() override;

  // Finalizes, then makes the device and the primary buffer on the first
  // form up the owner chain and tells the listeners. Raises EDXSoundError
  // "Form not found" without a form, "Primary Buffer cannot be made" when
  // the primary buffer fails, EDirectSoundError when the device fails.
  void Initialize();
  void Finalize();
  // Tells the listeners to reload their buffers (only while initialised).
  void Restore();

  // One registration per handler; a listener registering with an initialised
  // component is told snInitialize and snRestore at once, one unregistering
  // snFinalize.
  void AddListener(const TSoundNotifyHandler& Handler);
  void RemoveListener(const TSoundNotifyHandler& Handler);
  // Calls every listener, the last registered first.
  void NotifyListeners(TSoundNotifyCode NotifyType);
  int ListenerCount() const { return static_cast<int>(FNotifyList.size()); }

  bool AutoInitialize() const { return FAutoInitialize; }
  void SetAutoInitialize(bool Value) { FAutoInitialize = Value; }
  // The options as last assigned, and those in force: soExclusive does not
  // change while initialised.
  TDXSoundOptions Options() const { return FOptions; }
  TDXSoundOptions EffectiveOptions() const { return FEffectiveOptions; }
  void SetOptions(TDXSoundOptions Value);

  bool Initialized() const { return FInitialized; }
  TDXSoundDirectSound* SoundObject() const { return FSoundObject.get(); }
  TDirectSoundBuffer* PrimaryBuffer() const { return FPrimaryBuffer.get(); }
  TCustomForm* Form() const { return FForm; }
  // The device identifier handed to DirectSound (nil: the default device).
  const GUID* DeviceGUID() const { return FGUID; }

  TNotifyEvent OnFinalize;
  TNotifyEvent OnInitialize;
  TNotifyEvent OnInitializing;
  TNotifyEvent OnRestore;

 protected:
  virtual void DoFinalize();
  virtual void DoInitialize();
  virtual void DoInitializing();
  virtual void DoRestore();

 private:
  void HookForm(TCustomForm* Form);
  void SetCooperativeLevel();
  void FormWndProc(TMessage& Message, const TWndMethod& DefWindowProc);

  bool FAutoInitialize = true;
  bool FInitializeEventFired = false;
  const GUID* FGUID = nullptr;
  // The buffer goes before the device it was made on.
  std::unique_ptr<TDXSoundDirectSound> FSoundObject;
  TCustomForm* FForm = nullptr;
  bool FInitialized = false;
  bool FNeedsFinalize = false;
  std::vector<TSoundNotifyHandler> FNotifyList;
  TDXSoundOptions FEffectiveOptions;
  TDXSoundOptions FOptions;
  std::unique_ptr<TDirectSoundBuffer> FPrimaryBuffer;
  std::unique_ptr<TControlSubClass> FSubClass;
};

// The component as windows store it: Name, Tag, AutoInitialize, Options.
class TDXSound : public TCustomDXSound {
 public:
  using TCustomDXSound::TCustomDXSound;
  void GetProperties(TPropertyList& List) override;
};
