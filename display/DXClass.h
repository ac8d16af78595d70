// The common ground of the display, input and sound components: integer
// clamps, the run-time loader of the DirectX libraries, the base of every
// DirectX wrapper object with its result check, the root of the library's
// DirectX exceptions and the window-procedure subclass of a control.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/toolkit/Controls.h"
#include "platform/toolkit/Persistent.h"
#include "platform/win/Types.h"

inline std::int32_t IntMax(std::int32_t A, std::int32_t B) { return A > B ? A : B; }
inline std::int32_t IntMin(std::int32_t A, std::int32_t B) { return A < B ? A : B; }

// The address of ProcName exported by the library DllName, which is loaded on
// first use and kept loaded (one load a library, whatever the spelling of its
// name). A library that will not load is tried again at the next call. Both
// failures raise Exception "%s not loaded" with DllName.
FARPROC BindLibraryProc(const std::string& DllName, const std::string& ProcName);
// Frees every library bound so far, in load order, and forgets them. Runs by
// itself when the program stops.
void FreeBoundLibraries();
// Makes the loader's record of bound libraries now. A process-wide object
// that keeps an interface from a bound library calls this before it is made
// itself, so that at program exit it is released before the libraries go.
void PrepareBoundLibraries();

// Base of the DirectX wrapper objects: keeps the result of the last call.
class TDirectX : public TPersistent {
 public:
  // The result code of the wrapper's last DirectX call; 0 is success, every
  // other value counts as failure.
  HRESULT LastResult() const { return FLastResult; }
  // Records Value and, when it is not 0, calls DoError.
  void Check(HRESULT Value);

 protected:
  virtual void DoError() {}

 private:
  HRESULT FLastResult = 0;
};

// Root of the library's exceptions for DirectX failures.
class EDirectXError : public Exception {
 public:
  using Exception::Exception;
};

// A handler that sees a message first; it passes the message on (or not) by
// calling DefWindowProc, the window procedure that was there before it.
using TSubClassHandler = TMethod<void(TMessage& Message, const TWndMethod& DefWindowProc)>;

// Puts a handler in front of a control's window procedure for as long as the
// object lives. Several subclasses on one control form a chain, newest first.
// Destroying the newest puts back exactly the procedure it replaced;
// destroying an older one takes only that one out of the chain, so the
// handlers made after it keep running and none that is gone is called again.
// A subclass may be destroyed from inside its own handler.
class TControlSubClass {
 public:
  TControlSubClass(TControl* Control, TSubClassHandler Handler);
  ~TControlSubClass();
  TControlSubClass(const TControlSubClass&) = delete;
  TControlSubClass& operator=(const TControlSubClass&) = delete;

  TControl* Control() const { return FControl; }
  // The procedure this subclass passes messages on to.
  TWndMethod PreviousWindowProc() const;

  struct TNode;

 private:
  TControl* FControl;
  std::shared_ptr<TNode> FNode;
};
