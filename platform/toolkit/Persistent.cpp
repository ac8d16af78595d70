#include "platform/toolkit/Persistent.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Format.h"

std::string TObject::ClassName() const { return ClassNameOf(typeid(*this)); }

std::string TObject::ClassNameOf(const std::type_info& Type) {
  const char* mangled = Type.name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(mangled);
}

void TPersistent::Assign(const TPersistent* Source) {
  if (Source)
    Source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) const { Dest->AssignError(this); }

void TPersistent::DefineProperties(TFiler*) {}

void TPersistent::AssignError(const TPersistent* Source) const {
  std::string sourceName = Source ? Source->ClassName() : std::string("nil");
  throw EConvertError(Format("Cannot assign a %s to a %s", sourceName, ClassName()));
}

void TPersistent::GetProperties(TPropertyList&) {}

TPropertyInfo& TPropertyList::Add(TPropertyInfo Info) {
  Items.push_back(std::move(Info));
  return Items.back();
}

TPropertyInfo& TPropertyList::Integer(const std::string& Name, std::function<std::int64_t()> Get,
                                      std::function<void(std::int64_t)> Set) {
  TPropertyInfo p;
  p.Name = Name;
  p.Kind = pkInteger;
  p.GetOrdinal = std::move(Get);
  p.SetOrdinal = std::move(Set);
  return Add(std::move(p));
}

TPropertyInfo& TPropertyList::Integer(const std::string& Name, std::function<std::int64_t()> Get,
                                      std::function<void(std::int64_t)> Set, std::int64_t Default) {
  TPropertyInfo& p = Integer(Name, std::move(Get), std::move(Set));
  p.HasDefault = true;
  p.Default = Default;
  return p;
}

TPropertyInfo& TPropertyList::Int64(const std::string& Name, std::function<std::int64_t()> Get,
                                    std::function<void(std::int64_t)> Set) {
  TPropertyInfo& p = Integer(Name, std::move(Get), std::move(Set));
  p.Kind = pkInt64;
  return p;
}

TPropertyInfo& TPropertyList::Boolean(const std::string& Name, std::function<bool()> Get,
                                      std::function<void(bool)> Set) {
  TPropertyInfo p;
  p.Name = Name;
  p.Kind = pkBoolean;
  p.GetOrdinal = [Get = std::move(Get)] { return static_cast<std::int64_t>(Get() ? 1 : 0); };
  p.SetOrdinal = [Set = std::move(Set)](std::int64_t v) { Set(v != 0); };
  return Add(std::move(p));
}

TPropertyInfo& TPropertyList::Boolean(const std::string& Name, std::function<bool()> Get, std::function<void(bool)> Set,
                                      bool Default) {
  TPropertyInfo& p = Boolean(Name, std::move(Get), std::move(Set));
  p.HasDefault = true;
  p.Default = Default ? 1 : 0;
  return p;
}

TPropertyInfo& TPropertyList::Enumeration(const std::string& Name, std::vector<std::string> Names,
                                          std::function<std::int64_t()> Get, std::function<void(std::int64_t)> Set) {
  TPropertyInfo& p = Integer(Name, std::move(Get), std::move(Set));
  p.Kind = pkEnumeration;
  p.Names = std::move(Names);
  return p;
}

TPropertyInfo& TPropertyList::Set(const std::string& Name, std::vector<std::string> Names,
                                  std::function<std::int64_t()> Get, std::function<void(std::int64_t)> SetValue) {
  TPropertyInfo& p = Integer(Name, std::move(Get), std::move(SetValue));
  p.Kind = pkSet;
  p.Names = std::move(Names);
  return p;
}

TPropertyInfo& TPropertyList::Float(const std::string& Name, std::function<double()> Get,
                                    std::function<void(double)> Set) {
  TPropertyInfo p;
  p.Name = Name;
  p.Kind = pkFloat;
  p.GetFloat = std::move(Get);
  p.SetFloat = std::move(Set);
  return Add(std::move(p));
}

TPropertyInfo& TPropertyList::String(const std::string& Name, std::function<std::string()> Get,
                                     std::function<void(const std::string&)> Set) {
  TPropertyInfo p;
  p.Name = Name;
  p.Kind = pkString;
  p.GetString = std::move(Get);
  p.SetString = std::move(Set);
  return Add(std::move(p));
}

TPropertyInfo& TPropertyList::Persistent(const std::string& Name, std::function<TPersistent*()> Get) {
  TPropertyInfo p;
  p.Name = Name;
  p.Kind = pkPersistent;
  p.GetObject = std::move(Get);
  return Add(std::move(p));
}

const TPropertyInfo* TPropertyList::Find(const std::string& Name) const {
  for (const TPropertyInfo& p : Items)
    if (AnsiSameText(p.Name, Name)) return &p;
  return nullptr;
}
