// The root classes of the toolkit: TObject with its class name, and
// TPersistent, which can be assigned from another object and can store
// properties through a filer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/toolkit/Methods.h"

class TFiler;

class TObject {
 public:
  virtual ~TObject() = default;
  // The class's name as the toolkit's messages show it ("TBitmap").
  virtual std::string ClassName() const;
  // The class name of a type, as ClassName gives it for its objects.
  static std::string ClassNameOf(const std::type_info& Type);
};

class EConvertError;

// An event without arguments besides its sender.
using TNotifyEvent = TMethod<void(TObject* Sender)>;

class TPersistent;

// Published properties. C++ has no reflection of them, so a class lists its
// published properties itself by overriding TPersistent::GetProperties and
// adding one entry per property, in declaration order, each with typed
// getter and setter callbacks:
//
//   void TMyItem::GetProperties(TPropertyList& List) {
//     TCollectionItem::GetProperties(List);
//     List.Integer("Width", [this] { return Width(); }, [this](std::int64_t v) { SetWidth(int(v)); }, 0);
//     List.String("Name", [this] { return Name(); }, [this](const std::string& v) { SetName(v); });
//   }
//
// The filers store and read exactly these properties (TWriter skips an
// ordinal property equal to its default, an empty string and a zero float),
// then the ones DefineProperties declares.
enum TPropertyKind {
  pkInteger,      // 32-bit signed; may also be stored as an identifier (IdentToInt/IntToIdent)
  pkInt64,        // 64-bit signed
  pkBoolean,      // stored as vaFalse/vaTrue
  pkEnumeration,  // ordinal stored as the identifier Names[ordinal]
  pkSet,          // bit i set = element Names[i]; stored as a list of identifiers
  pkFloat,        // stored as an 80-bit extended value
  pkString,       // windows-1250 text
  pkPersistent    // an owned sub-object; its properties are stored as "Name.Sub"; a
                  // TCollection then stores its items as the value of "Name"
};

struct TPropertyInfo {
  std::string Name;
  TPropertyKind Kind = pkInteger;
  std::function<std::int64_t()> GetOrdinal;  // integer, int64, boolean, enumeration, set
  std::function<void(std::int64_t)> SetOrdinal;
  std::function<double()> GetFloat;
  std::function<void(double)> SetFloat;
  std::function<std::string()> GetString;
  std::function<void(const std::string&)> SetString;
  std::function<TPersistent*()> GetObject;  // pkPersistent
  std::vector<std::string> Names;           // enumeration and set identifiers
  bool HasDefault = false;                  // ordinal properties equal to Default are not stored
  std::int64_t Default = 0;
  // Identifier forms of integer values (colours: "clRed"); optional.
  std::function<bool(const std::string&, std::int64_t&)> IdentToInt;
  std::function<bool(std::int64_t, std::string&)> IntToIdent;
};

class TPropertyList {
 public:
  TPropertyInfo& Add(TPropertyInfo Info);
  TPropertyInfo& Integer(const std::string& Name, std::function<std::int64_t()> Get,
                         std::function<void(std::int64_t)> Set);
  TPropertyInfo& Integer(const std::string& Name, std::function<std::int64_t()> Get,
                         std::function<void(std::int64_t)> Set, std::int64_t Default);
  TPropertyInfo& Int64(const std::string& Name, std::function<std::int64_t()> Get,
                       std::function<void(std::int64_t)> Set);
  TPropertyInfo& Boolean(const std::string& Name, std::function<bool()> Get, std::function<void(bool)> Set);
  TPropertyInfo& Boolean(const std::string& Name, std::function<bool()> Get, std::function<void(bool)> Set,
                         bool Default);
  TPropertyInfo& Enumeration(const std::string& Name, std::vector<std::string> Names, std::function<std::int64_t()> Get,
                             std::function<void(std::int64_t)> Set);
  TPropertyInfo& Set(const std::string& Name, std::vector<std::string> Names, std::function<std::int64_t()> Get,
                     std::function<void(std::int64_t)> Set);
  TPropertyInfo& Float(const std::string& Name, std::function<double()> Get, std::function<void(double)> Set);
  TPropertyInfo& String(const std::string& Name, std::function<std::string()> Get,
                        std::function<void(const std::string&)> Set);
  TPropertyInfo& Persistent(const std::string& Name, std::function<TPersistent*()> Get);

  // The property of that name (compared without regard to case), or nil.
  const TPropertyInfo* Find(const std::string& Name) const;
  std::vector<TPropertyInfo> Items;
};

class TPersistent : public TObject {
 public:
  // Lists the published properties (see TPropertyList); the default lists none.
  virtual void GetProperties(TPropertyList& List);

  // Copies Source into this object. The default asks Source to assign itself
  // to this object (AssignTo); when neither side knows the other, it raises
  // EConvertError "Cannot assign a %s to a %s".
  virtual void Assign(const TPersistent* Source);
  // The object this one belongs to (its collection, its owner), or nil.
  virtual TPersistent* GetOwner() const { return nullptr; }

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
