// The filers: TWriter and TReader store and read objects' properties in the
// binary component-stream encoding, TFiler is what both give to an object's
// DefineProperties.
//
// The encoding: a stream starts with the signature "TPF0"; an object is its
// class name and its name (each a length byte and the bytes), its property
// list, the end mark vaNull, its children and another vaNull. A property is
// its name (length byte and bytes) and one value: a value-type byte
// (TValueType) and the value's bytes, little-endian: vaInt8/16/32/64 signed
// integers, vaExtended an 80-bit float, vaSingle 4 and vaDate 8 bytes of float,
// vaCurrency a 64-bit integer of ten-thousandths, vaString a length byte and
// bytes, vaLString and vaWString a 32-bit length and bytes / UTF-16 units,
// vaIdent a length byte and bytes, vaFalse/vaTrue/vaNil/vaNull no bytes,
// vaBinary a 32-bit length and bytes, vaSet identifiers ended by an empty one,
// vaList values up to vaNull, vaCollection items (each an optional integer,
// vaList, the item's properties, vaNull) up to vaNull.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/toolkit/Persistent.h"

class TCollection;
class TReader;
class TWriter;

enum TValueType : std::uint8_t {
  vaNull,
  vaList,
  vaInt8,
  vaInt16,
  vaInt32,
  vaExtended,
  vaString,
  vaIdent,
  vaFalse,
  vaTrue,
  vaBinary,
  vaSet,
  vaLString,
  vaNil,
  vaCollection,
  vaSingle,
  vaCurrency,
  vaDate,
  vaWString,
  vaInt64
};

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

class TFiler : public TObject {
 public:
  explicit TFiler(TStream* Stream) : FStream(Stream) {}
  ~TFiler() override = default;
  TFiler(const TFiler&) = delete;
  TFiler& operator=(const TFiler&) = delete;

  // A stored property written and read by the two procedures; the writer
  // stores it only when HasData is true.
  virtual void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) = 0;
  // A stored binary property: WriteData writes the bytes to a memory stream,
  // ReadData reads them from a stream holding exactly the stored bytes.
  virtual void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                                    bool HasData) = 0;
  TStream* Stream() const { return FStream; }

 protected:
  TStream* FStream;
};

class TWriter : public TFiler {
 public:
  using TFiler::TFiler;

  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

  void WriteSignature();
  void WriteValue(TValueType Value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  // The smallest of vaInt8, vaInt16, vaInt32, vaInt64 that holds Value.
  void WriteInteger(std::int64_t Value);
  void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
  void WriteFloat(double Value);  // vaExtended
  void WriteSingle(float Value);
  void WriteCurrency(double Value);
  void WriteDate(double Value);
  // vaString up to 255 bytes, vaLString beyond.
  void WriteString(const std::string& Value);
  // vaIdent; "False", "True", "nil" and "Null" as their own value types.
  void WriteIdent(const std::string& Ident);
  // A length byte and at most 255 bytes, without a value type.
  void WriteStr(const std::string& Value);
  void WriteBinary(const TStreamProc& WriteData);
  void WritePropName(const std::string& Name);
  // The published properties of Instance, then its defined ones; no end mark.
  void WriteProperties(TPersistent* Instance);
  // A vaCollection value: every item's properties in a list.
  void WriteCollection(TCollection* Value);
  // Class name, name, properties, end mark, no children, end mark.
  void WriteObject(TPersistent* Instance, const std::string& ClassName, const std::string& Name);
  // The signature, then WriteObject.
  void WriteRootObject(TPersistent* Instance, const std::string& ClassName, const std::string& Name);

 private:
  void WriteProperty(TPersistent* Instance, const TPropertyInfo& Prop);
  void Write(const void* Buffer, std::int64_t Count) { FStream->WriteBuffer(Buffer, Count); }
  std::string FPropPath;
};

class TReader : public TFiler {
 public:
  using TFiler::TFiler;

  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

  // Raises EReadError "Invalid stream format" when the stream does not start
  // with "TPF0".
  void ReadSignature();
  TValueType ReadValue();
  TValueType NextValue();
  bool EndOfList() { return NextValue() == vaNull; }
  void ReadListBegin() { CheckValue(vaList); }
  void ReadListEnd() { CheckValue(vaNull); }
  // Integer values of any width (ReadInteger: within 32 bits).
  std::int32_t ReadInteger();
  std::int64_t ReadInt64();
  bool ReadBoolean();
  double ReadFloat();  // vaExtended, vaSingle, vaCurrency, vaDate or an integer
  // vaString, vaLString or vaWString (converted to windows-1250).
  std::string ReadString();
  // vaIdent, or the identifiers of vaFalse, vaTrue, vaNil and vaNull.
  std::string ReadIdent();
  std::string ReadStr();
  // Skips one value of any type.
  void SkipValue();
  // Reads property name/value pairs up to the end mark (consumed) into
  // Instance: published properties by name ("Font.Name" goes through the
  // sub-object), others through Instance's DefineProperties. Raises
  // EReadError "Property %s does not exist" for a name neither knows and
  // "Invalid property value" for a value of the wrong type.
  void ReadProperties(TPersistent* Instance);
  void ReadProperty(TPersistent* Instance);
  // Reads a vaCollection value: the collection's items are replaced by the
  // stored ones, each made by the collection and given its properties.
  void ReadCollection(TCollection* Collection);
  // The class name and name of an object.
  void ReadObjectHeader(std::string& ClassName, std::string& Name);
  // Header, properties into Instance, end mark, then children (skipped).
  void ReadObject(TPersistent* Instance, std::string* ClassName = nullptr, std::string* Name = nullptr);
  // The signature, then ReadObject.
  void ReadRootObject(TPersistent* Instance, std::string* ClassName = nullptr, std::string* Name = nullptr);

 private:
  void CheckValue(TValueType Value);
  void ReadPropValue(TPersistent* Instance, const TPropertyInfo& Prop);
  void Read(void* Buffer, std::int64_t Count) { FStream->ReadBuffer(Buffer, Count); }
  std::int64_t ReadIntegerOf(TValueType Type);
  std::string FPropName;
  bool FPropFound = false;
  int FDepth = 0;
  static constexpr int kMaxDepth = 64;
};

// The stored form of a persistent's properties without an object header:
// the property list and its end mark. Used for binary blobs of component data.
void WritePersistentProperties(TStream* Stream, TPersistent* Instance);
void ReadPersistentProperties(TStream* Stream, TPersistent* Instance);

// 80-bit extended values (little-endian, 10 bytes) to and from double.
void DoubleToExtended(double Value, std::uint8_t Bytes[10]);
double ExtendedToDouble(const std::uint8_t Bytes[10]);
