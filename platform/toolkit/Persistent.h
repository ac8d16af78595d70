// The root classes of the toolkit: TObject with its class name, and
// TPersistent, which can be assigned from another object and can store
// properties through a filer.
#pragma once

#include <functional>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/toolkit/Methods.h"

class TFiler;

class TObject {
 public:
  virtual ~TObject() = default;
  // The class's name as the toolkit's messages show it ("TBitmap").
  virtual std::string ClassName() const;
};

class EConvertError;

// An event without arguments besides its sender.
using TNotifyEvent = TMethod<void(TObject* Sender)>;

class TPersistent : public TObject {
 public:
  // Copies Source into this object. The default asks Source to assign itself
  // to this object (AssignTo); when neither side knows the other, it raises
  // EConvertError "Cannot assign a %s to a %s".
  virtual void Assign(const TPersistent* Source);

 protected:
  // Copies this object into Dest; the default raises the assignment error.
  virtual void AssignTo(TPersistent* Dest) const;
  // Declares stored properties that are not published ones (binary data).
  virtual void DefineProperties(TFiler* Filer);

  friend class TFiler;
  friend class TReader;
  friend class TWriter;

 private:
  void AssignError(const TPersistent* Source) const;
};
