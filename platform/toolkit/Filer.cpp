#include "platform/toolkit/Filer.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Format.h"
#include "platform/toolkit/Collection.h"

namespace {

[[noreturn]] void InvalidFormat() { throw EReadError("Invalid stream format"); }
[[noreturn]] void InvalidValue() { throw EReadError("Invalid property value"); }
[[noreturn]] void UnknownProperty(const std::string& Name) {
  throw EReadError(Format("Property %s does not exist", Name));
}

void PutLe(std::uint8_t* p, std::uint64_t v, int n) {
  for (int i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint64_t GetLe(const std::uint8_t* p, int n) {
  std::uint64_t v = 0;
  for (int i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
  return v;
}

}  // namespace

// ---- Extended floats ---------------------------------------------------------------

void DoubleToExtended(double Value, std::uint8_t Bytes[10]) {
  std::uint64_t bits;
  std::memcpy(&bits, &Value, 8);
  std::uint64_t sign = bits >> 63;
  int e = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t f = bits & ((std::uint64_t{1} << 52) - 1);
  std::uint64_t mant = 0;
  int exp = 0;
  if (e == 0 && f == 0) {
    mant = 0;
    exp = 0;
  } else if (e == 0x7FF) {
    exp = 0x7FFF;
    mant = (std::uint64_t{1} << 63) | (f << 11);
    if (f) mant |= std::uint64_t{1} << 62;
  } else if (e == 0) {
    int lz = 0;
    while (!((f << lz) & (std::uint64_t{1} << 63))) ++lz;
    mant = f << lz;
    exp = -1074 - lz + 16383 + 63;
  } else {
    mant = (std::uint64_t{1} << 63) | (f << 11);
    exp = e - 1023 + 16383;
  }
  PutLe(Bytes, mant, 8);
  PutLe(Bytes + 8, (sign << 15) | static_cast<std::uint64_t>(exp), 2);
}

double ExtendedToDouble(const std::uint8_t Bytes[10]) {
  std::uint64_t mant = GetLe(Bytes, 8);
  auto se = static_cast<unsigned>(GetLe(Bytes + 8, 2));
  bool negative = (se >> 15) != 0;
  int exp = static_cast<int>(se & 0x7FFF);
  double v;
  if (exp == 0x7FFF) {
    v = (mant << 1) ? std::numeric_limits<double>::quiet_NaN() : std::numeric_limits<double>::infinity();
  } else if (exp == 0 && mant == 0) {
    v = 0.0;
  } else {
    v = std::ldexp(static_cast<double>(mant), (exp == 0 ? 1 : exp) - 16383 - 63);
  }
  return negative ? -v : v;
}

// ---- TWriter ---------------------------------------------------------------------------

void TWriter::WriteSignature() { Write("TPF0", 4); }

void TWriter::WriteValue(TValueType Value) {
  auto b = static_cast<std::uint8_t>(Value);
  Write(&b, 1);
}

void TWriter::WriteInteger(std::int64_t Value) {
  std::uint8_t buf[8];
  if (Value >= -128 && Value <= 127) {
    WriteValue(vaInt8);
    PutLe(buf, static_cast<std::uint64_t>(Value), 1);
    Write(buf, 1);
  } else if (Value >= -32768 && Value <= 32767) {
    WriteValue(vaInt16);
    PutLe(buf, static_cast<std::uint64_t>(Value), 2);
    Write(buf, 2);
  } else if (Value >= std::numeric_limits<std::int32_t>::min() && Value <= std::numeric_limits<std::int32_t>::max()) {
    WriteValue(vaInt32);
    PutLe(buf, static_cast<std::uint64_t>(Value), 4);
    Write(buf, 4);
  } else {
    WriteValue(vaInt64);
    PutLe(buf, static_cast<std::uint64_t>(Value), 8);
    Write(buf, 8);
  }
}

void TWriter::WriteFloat(double Value) {
  std::uint8_t buf[10];
  DoubleToExtended(Value, buf);
  WriteValue(vaExtended);
  Write(buf, 10);
}

void TWriter::WriteSingle(float Value) {
  std::uint32_t bits;
  std::memcpy(&bits, &Value, 4);
  std::uint8_t buf[4];
  PutLe(buf, bits, 4);
  WriteValue(vaSingle);
  Write(buf, 4);
}

void TWriter::WriteCurrency(double Value) {
  auto scaled = static_cast<std::int64_t>(std::llround(Value * 10000.0));
  std::uint8_t buf[8];
  PutLe(buf, static_cast<std::uint64_t>(scaled), 8);
  WriteValue(vaCurrency);
  Write(buf, 8);
}

void TWriter::WriteDate(double Value) {
  std::uint64_t bits;
  std::memcpy(&bits, &Value, 8);
  std::uint8_t buf[8];
  PutLe(buf, bits, 8);
  WriteValue(vaDate);
  Write(buf, 8);
}

void TWriter::WriteString(const std::string& Value) {
  if (Value.size() <= 255) {
    WriteValue(vaString);
    WriteStr(Value);
  } else {
    WriteValue(vaLString);
    std::uint8_t buf[4];
    PutLe(buf, Value.size(), 4);
    Write(buf, 4);
    Write(Value.data(), static_cast<std::int64_t>(Value.size()));
  }
}

void TWriter::WriteIdent(const std::string& Ident) {
  if (AnsiSameText(Ident, "False"))
    WriteValue(vaFalse);
  else if (AnsiSameText(Ident, "True"))
    WriteValue(vaTrue);
  else if (AnsiSameText(Ident, "nil"))
    WriteValue(vaNil);
  else if (AnsiSameText(Ident, "Null"))
    WriteValue(vaNull);
  else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WriteStr(const std::string& Value) {
  std::uint8_t len = static_cast<std::uint8_t>(std::min<size_t>(Value.size(), 255));
  Write(&len, 1);
  Write(Value.data(), len);
}

void TWriter::WriteBinary(const TStreamProc& WriteData) {
  TMemoryStream data;
  if (WriteData) WriteData(&data);
  std::int64_t size = data.Size();
  if (size > std::numeric_limits<std::int32_t>::max()) throw EWriteError();
  WriteValue(vaBinary);
  std::uint8_t buf[4];
  PutLe(buf, static_cast<std::uint64_t>(size), 4);
  Write(buf, 4);
  if (size) Write(data.Memory(), size);
}

void TWriter::WritePropName(const std::string& Name) { WriteStr(FPropPath + Name); }

void TWriter::DefineProperty(const std::string& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WritePropName(Name);
  WriteData(this);
}

void TWriter::DefineBinaryProperty(const std::string& Name, TStreamProc, TStreamProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WritePropName(Name);
  WriteBinary(WriteData);
}

void TWriter::WriteProperty(TPersistent*, const TPropertyInfo& Prop) {
  switch (Prop.Kind) {
    case pkInteger:
    case pkInt64: {
      std::int64_t v = Prop.GetOrdinal();
      if (Prop.HasDefault && v == Prop.Default) return;
      WritePropName(Prop.Name);
      std::string ident;
      if (Prop.IntToIdent && Prop.IntToIdent(v, ident))
        WriteIdent(ident);
      else
        WriteInteger(v);
      return;
    }
    case pkBoolean: {
      std::int64_t v = Prop.GetOrdinal();
      if (Prop.HasDefault && v == Prop.Default) return;
      WritePropName(Prop.Name);
      WriteBoolean(v != 0);
      return;
    }
    case pkEnumeration: {
      std::int64_t v = Prop.GetOrdinal();
      if (Prop.HasDefault && v == Prop.Default) return;
      WritePropName(Prop.Name);
      if (v >= 0 && v < static_cast<std::int64_t>(Prop.Names.size()))
        WriteIdent(Prop.Names[static_cast<size_t>(v)]);
      else
        WriteInteger(v);
      return;
    }
    case pkSet: {
      std::int64_t v = Prop.GetOrdinal();
      if (Prop.HasDefault && v == Prop.Default) return;
      WritePropName(Prop.Name);
      WriteValue(vaSet);
      for (size_t i = 0; i < Prop.Names.size() && i < 64; ++i)
        if ((static_cast<std::uint64_t>(v) >> i) & 1) WriteStr(Prop.Names[i]);
      WriteStr("");
      return;
    }
    case pkFloat: {
      double v = Prop.GetFloat();
      if (v == 0.0) return;
      WritePropName(Prop.Name);
      WriteFloat(v);
      return;
    }
    case pkString: {
      std::string v = Prop.GetString();
      if (v.empty()) return;
      WritePropName(Prop.Name);
      WriteString(v);
      return;
    }
    case pkPersistent: {
      TPersistent* obj = Prop.GetObject ? Prop.GetObject() : nullptr;
      if (!obj) return;
      // The object's own properties as "Name.Sub", then, for a collection,
      // its items as the value of "Name".
      std::string saved = FPropPath;
      FPropPath += Prop.Name + ".";
      try {
        WriteProperties(obj);
      } catch (...) {
        FPropPath = saved;
        throw;
      }
      FPropPath = saved;
      if (auto* c = dynamic_cast<TCollection*>(obj)) {
        WritePropName(Prop.Name);
        WriteCollection(c);
      }
      return;
    }
  }
}

void TWriter::WriteProperties(TPersistent* Instance) {
  TPropertyList list;
  Instance->GetProperties(list);
  for (const TPropertyInfo& p : list.Items) WriteProperty(Instance, p);
  Instance->DefineProperties(this);
}

void TWriter::WriteCollection(TCollection* Value) {
  std::string saved = FPropPath;
  FPropPath.clear();
  WriteValue(vaCollection);
  try {
    for (int i = 0; Value && i < Value->Count(); ++i) {
      WriteListBegin();
      WriteProperties(Value->Items(i));
      WriteListEnd();
    }
  } catch (...) {
    FPropPath = saved;
    throw;
  }
  WriteListEnd();
  FPropPath = saved;
}

void TWriter::WriteObject(TPersistent* Instance, const std::string& ClassName, const std::string& Name) {
  WriteStr(ClassName);
  WriteStr(Name);
  WriteProperties(Instance);
  WriteListEnd();
  WriteListEnd();
}

void TWriter::WriteRootObject(TPersistent* Instance, const std::string& ClassName, const std::string& Name) {
  WriteSignature();
  WriteObject(Instance, ClassName, Name);
}

// ---- TReader ------------------------------------------------------------------------------

namespace {
// Bytes left in the stream; lengths read from the stream are checked against
// it before anything is allocated.
std::int64_t Remaining(TStream* s) { return s->Size() - s->Position(); }

// One level of nesting (a list, a collection, a child object, a property read
// by its owner's own reader) for as long as it lives. Every path on which
// the reader recurses counts against the one limit, so no stream can
// exhaust the stack; the level is given back also when an exception passes.
class TNesting {
 public:
  TNesting(int& Depth, int Limit) : FDepth(Depth) {
    if (FDepth >= Limit) InvalidFormat();
    ++FDepth;
  }
  ~TNesting() { --FDepth; }
  TNesting(const TNesting&) = delete;
  TNesting& operator=(const TNesting&) = delete;

 private:
  int& FDepth;
};
}  // namespace

void TReader::ReadSignature() {
  char sig[4];
  if (FStream->Read(sig, 4) != 4 || std::memcmp(sig, "TPF0", 4) != 0) InvalidFormat();
}

TValueType TReader::ReadValue() {
  std::uint8_t b;
  Read(&b, 1);
  if (b > vaInt64) InvalidFormat();
  return static_cast<TValueType>(b);
}

TValueType TReader::NextValue() {
  // A peek: the byte may also be the length of the next property name (which
  // may be above vaInt64), so it is not checked here.
  std::uint8_t b;
  Read(&b, 1);
  FStream->Seek(-1, soFromCurrent);
  return static_cast<TValueType>(b);
}

void TReader::CheckValue(TValueType Value) {
  if (ReadValue() != Value) {
    FStream->Seek(-1, soFromCurrent);
    InvalidValue();
  }
}

std::int64_t TReader::ReadIntegerOf(TValueType Type) {
  std::uint8_t buf[8];
  switch (Type) {
    case vaInt8: Read(buf, 1); return static_cast<std::int8_t>(buf[0]);
    case vaInt16: Read(buf, 2); return static_cast<std::int16_t>(GetLe(buf, 2));
    case vaInt32: Read(buf, 4); return static_cast<std::int32_t>(GetLe(buf, 4));
    case vaInt64: Read(buf, 8); return static_cast<std::int64_t>(GetLe(buf, 8));
    default: FStream->Seek(-1, soFromCurrent); InvalidValue();
  }
}

std::int32_t TReader::ReadInteger() {
  std::int64_t v = ReadIntegerOf(ReadValue());
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()) InvalidValue();
  return static_cast<std::int32_t>(v);
}

std::int64_t TReader::ReadInt64() { return ReadIntegerOf(ReadValue()); }

bool TReader::ReadBoolean() {
  TValueType t = ReadValue();
  if (t == vaTrue) return true;
  if (t == vaFalse) return false;
  FStream->Seek(-1, soFromCurrent);
  InvalidValue();
}

double TReader::ReadFloat() {
  TValueType t = ReadValue();
  std::uint8_t buf[10];
  switch (t) {
    case vaExtended: Read(buf, 10); return ExtendedToDouble(buf);
    case vaSingle: {
      Read(buf, 4);
      auto bits = static_cast<std::uint32_t>(GetLe(buf, 4));
      float f;
      std::memcpy(&f, &bits, 4);
      return f;
    }
    case vaCurrency: Read(buf, 8); return static_cast<double>(static_cast<std::int64_t>(GetLe(buf, 8))) / 10000.0;
    case vaDate: {
      Read(buf, 8);
      std::uint64_t bits = GetLe(buf, 8);
      double d;
      std::memcpy(&d, &bits, 8);
      return d;
    }
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64: return static_cast<double>(ReadIntegerOf(t));
    default: FStream->Seek(-1, soFromCurrent); InvalidValue();
  }
}

std::string TReader::ReadStr() {
  std::uint8_t len;
  Read(&len, 1);
  std::string s(len, '\0');
  Read(s.data(), len);
  return s;
}

std::string TReader::ReadString() {
  TValueType t = ReadValue();
  std::uint8_t buf[4];
  switch (t) {
    case vaString: return ReadStr();
    case vaLString: {
      Read(buf, 4);
      auto n = static_cast<std::int32_t>(GetLe(buf, 4));
      if (n < 0 || n > Remaining(FStream)) throw EReadError();
      std::string s(static_cast<size_t>(n), '\0');
      Read(s.data(), n);
      return s;
    }
    case vaWString: {
      Read(buf, 4);
      auto n = static_cast<std::int32_t>(GetLe(buf, 4));
      if (n < 0 || static_cast<std::int64_t>(n) * 2 > Remaining(FStream)) throw EReadError();
      std::vector<std::uint8_t> units(static_cast<size_t>(n) * 2);
      Read(units.data(), static_cast<std::int64_t>(units.size()));
      std::string s;
      for (std::int32_t i = 0; i < n; ++i) {
        auto u = static_cast<char32_t>(GetLe(units.data() + 2 * i, 2));
        std::uint8_t b;
        s.push_back(UnicodeToCp1250(u, b) ? static_cast<char>(b) : '?');
      }
      return s;
    }
    default: FStream->Seek(-1, soFromCurrent); InvalidValue();
  }
}

std::string TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: FStream->Seek(-1, soFromCurrent); InvalidValue();
  }
}

void TReader::SkipValue() {
  auto skip = [this](std::int64_t n) {
    if (n < 0 || n > Remaining(FStream)) throw EReadError();
    FStream->Seek(n, soFromCurrent);
  };
  auto length32 = [this]() {
    std::uint8_t buf[4];
    Read(buf, 4);
    return static_cast<std::int64_t>(static_cast<std::int32_t>(GetLe(buf, 4)));
  };
  switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil: return;
    case vaList: {
      TNesting level(FDepth, kMaxDepth);
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      return;
    }
    case vaInt8: skip(1); return;
    case vaInt16: skip(2); return;
    case vaInt32:
    case vaSingle: skip(4); return;
    case vaInt64:
    case vaCurrency:
    case vaDate: skip(8); return;
    case vaExtended: skip(10); return;
    case vaString:
    case vaIdent: ReadStr(); return;
    case vaLString:
    case vaBinary: skip(length32()); return;
    case vaWString: skip(length32() * 2); return;
    case vaSet:
      while (!ReadStr().empty()) {}
      return;
    case vaCollection: {
      TNesting level(FDepth, kMaxDepth);
      while (!EndOfList()) {
        TValueType t = NextValue();
        if (t == vaInt8 || t == vaInt16 || t == vaInt32) SkipValue();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      return;
    }
  }
}

void TReader::DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc, bool) {
  if (FPropFound || !ReadData || !AnsiSameText(Name, FPropName)) return;
  FPropFound = true;
  ReadData(this);
}

void TReader::DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc, bool) {
  if (FPropFound || !ReadData || !AnsiSameText(Name, FPropName)) return;
  FPropFound = true;
  if (ReadValue() != vaBinary) {
    FStream->Seek(-1, soFromCurrent);
    SkipValue();
    InvalidValue();
  }
  std::uint8_t buf[4];
  Read(buf, 4);
  auto n = static_cast<std::int32_t>(GetLe(buf, 4));
  if (n < 0 || n > Remaining(FStream)) throw EReadError();
  TMemoryStream data;
  data.SetSize(n);
  if (n) Read(data.Memory(), n);
  data.SetPosition(0);
  ReadData(&data);
}

void TReader::ReadPropValue(TPersistent*, const TPropertyInfo& Prop) {
  switch (Prop.Kind) {
    case pkInteger:
    case pkInt64: {
      std::int64_t v;
      if (NextValue() == vaIdent) {
        std::string ident = ReadIdent();
        if (!Prop.IdentToInt || !Prop.IdentToInt(ident, v)) InvalidValue();
      } else {
        v = ReadInt64();
      }
      if (Prop.Kind == pkInteger &&
          (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()))
        InvalidValue();
      Prop.SetOrdinal(v);
      return;
    }
    case pkBoolean: {
      TValueType t = NextValue();
      bool v;
      if (t == vaTrue || t == vaFalse) {
        v = ReadBoolean();
      } else {
        std::string ident = ReadIdent();
        if (AnsiSameText(ident, "True"))
          v = true;
        else if (AnsiSameText(ident, "False"))
          v = false;
        else
          InvalidValue();
      }
      Prop.SetOrdinal(v ? 1 : 0);
      return;
    }
    case pkEnumeration: {
      std::string ident = ReadIdent();
      for (size_t i = 0; i < Prop.Names.size(); ++i) {
        if (AnsiSameText(Prop.Names[i], ident)) {
          Prop.SetOrdinal(static_cast<std::int64_t>(i));
          return;
        }
      }
      InvalidValue();
    }
    case pkSet: {
      CheckValue(vaSet);
      std::uint64_t bits = 0;
      for (;;) {
        std::string element = ReadStr();
        if (element.empty()) break;
        size_t i = 0;
        while (i < Prop.Names.size() && !AnsiSameText(Prop.Names[i], element)) ++i;
        if (i >= Prop.Names.size() || i >= 64) {
          while (!ReadStr().empty()) {}
          InvalidValue();
        }
        bits |= std::uint64_t{1} << i;
      }
      Prop.SetOrdinal(static_cast<std::int64_t>(bits));
      return;
    }
    case pkFloat: Prop.SetFloat(ReadFloat()); return;
    case pkString: Prop.SetString(ReadString()); return;
    case pkPersistent: {
      TPersistent* obj = Prop.GetObject ? Prop.GetObject() : nullptr;
      TValueType t = NextValue();
      if (t == vaNil) {
        ReadValue();
        return;
      }
      auto* c = dynamic_cast<TCollection*>(obj);
      if (t != vaCollection || !c) {
        SkipValue();
        InvalidValue();
      }
      ReadCollection(c);
      return;
    }
  }
}

void TReader::ReadProperty(TPersistent* Instance) {
  std::string full = ReadStr();
  TPersistent* obj = Instance;
  size_t start = 0;
  for (;;) {
    size_t dot = full.find('.', start);
    std::string part = full.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    TPropertyList list;
    obj->GetProperties(list);
    const TPropertyInfo* prop = list.Find(part);
    if (dot != std::string::npos) {
      TPersistent* sub = prop && prop->Kind == pkPersistent && prop->GetObject ? prop->GetObject() : nullptr;
      if (!sub) UnknownProperty(full);
      obj = sub;
      start = dot + 1;
      continue;
    }
    if (prop) {
      ReadPropValue(obj, *prop);
      return;
    }
    std::string savedName = FPropName;
    bool savedFound = FPropFound;
    FPropName = part;
    FPropFound = false;
    try {
      // The owner's own reader may read further properties (and so recurse).
      TNesting level(FDepth, kMaxDepth);
      obj->DefineProperties(this);
    } catch (...) {
      FPropName = savedName;
      FPropFound = savedFound;
      throw;
    }
    bool found = FPropFound;
    FPropName = savedName;
    FPropFound = savedFound;
    if (!found) UnknownProperty(full);
    return;
  }
}

void TReader::ReadProperties(TPersistent* Instance) {
  while (!EndOfList()) ReadProperty(Instance);
  ReadListEnd();
}

void TReader::ReadCollection(TCollection* Collection) {
  // Items may hold collections of their own, to any depth the stream says.
  TNesting level(FDepth, kMaxDepth);
  CheckValue(vaCollection);
  Collection->BeginUpdate();
  try {
    Collection->Clear();
    while (!EndOfList()) {
      TValueType t = NextValue();
      if (t == vaInt8 || t == vaInt16 || t == vaInt32) ReadInteger();  // the item's order; items come in order
      TCollectionItem* item = Collection->Add();
      ReadListBegin();
      while (!EndOfList()) ReadProperty(item);
      ReadListEnd();
    }
    ReadListEnd();
  } catch (...) {
    Collection->EndUpdate();
    throw;
  }
  Collection->EndUpdate();
}

void TReader::ReadObjectHeader(std::string& ClassName, std::string& Name) {
  std::uint8_t prefix;
  Read(&prefix, 1);
  if ((prefix & 0xF0) == 0xF0) {
    // Filer flags; the child position flag is followed by an integer.
    if (prefix & 0x02) ReadInteger();
  } else {
    FStream->Seek(-1, soFromCurrent);
  }
  ClassName = ReadStr();
  Name = ReadStr();
}

void TReader::ReadObject(TPersistent* Instance, std::string* ClassName, std::string* Name) {
  std::string cls, name;
  ReadObjectHeader(cls, name);
  if (ClassName) *ClassName = cls;
  if (Name) *Name = name;
  ReadProperties(Instance);
  // Child objects are not built here: skip them.
  std::function<void()> skipObject = [&] {
    TNesting level(FDepth, kMaxDepth);
    std::string c, n;
    ReadObjectHeader(c, n);
    while (!EndOfList()) {
      ReadStr();
      SkipValue();
    }
    ReadListEnd();
    while (!EndOfList()) skipObject();
    ReadListEnd();
  };
  while (!EndOfList()) skipObject();
  ReadListEnd();
}

void TReader::ReadRootObject(TPersistent* Instance, std::string* ClassName, std::string* Name) {
  ReadSignature();
  ReadObject(Instance, ClassName, Name);
}

void WritePersistentProperties(TStream* Stream, TPersistent* Instance) {
  TWriter writer(Stream);
  writer.WriteProperties(Instance);
  writer.WriteListEnd();
}

void ReadPersistentProperties(TStream* Stream, TPersistent* Instance) {
  TReader reader(Stream);
  reader.ReadProperties(Instance);
}
