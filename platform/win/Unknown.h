// The COM-style base of the DirectX stand-ins: reference counted objects that
// answer QueryInterface for the interface versions their callers ask for.
#pragma once

#include <atomic>

#include "platform/win/Types.h"

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

extern const IID IID_IUnknown;

// Reference counting for a stand-in object; the object deletes itself when the
// last reference goes. Derive from the interfaces first, then use the macro or
// forward AddRef/Release to these.
class TRefCounted {
 public:
  ULONG DoAddRef() { return ++FRefCount; }
  // Returns the new count; the caller deletes the object when it is 0.
  ULONG DoRelease() { return --FRefCount; }
  ULONG RefCount() const { return FRefCount; }

 private:
  std::atomic<ULONG> FRefCount{1};
};

// Defines AddRef and Release of a class that holds a TRefCounted member FRef.
#define BRASK_REFCOUNT_METHODS                        \
  ULONG AddRef() override { return FRef.DoAddRef(); } \
  ULONG Release() override {                          \
    ULONG n = FRef.DoRelease();                       \
    if (n == 0) delete this;                          \
    return n;                                         \
  }

// Drops a held interface: the pointer is cleared before Release runs, so code
// that Release reaches never sees a released interface.
template <class T>
void ReleaseIntf(T*& Intf) {
  if (Intf) {
    T* held = Intf;
    Intf = nullptr;
    held->Release();
  }
}
