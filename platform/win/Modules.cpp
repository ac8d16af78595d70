#include "platform/win/Modules.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>

namespace {

struct Module {
  std::string name;
  std::map<std::string, FARPROC> entries;
  std::set<std::string> missingEntries;
  bool missing = false;
  int loads = 0;
  int frees = 0;
  int refs = 0;
};

std::string Key(const std::string& s) {
  std::string k = s;
  std::transform(k.begin(), k.end(), k.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return k;
}

std::map<std::string, std::unique_ptr<Module>>& Modules() {
  static std::map<std::string, std::unique_ptr<Module>> modules;
  return modules;
}

Module* Find(const std::string& name) {
  auto it = Modules().find(Key(name));
  return it == Modules().end() ? nullptr : it->second.get();
}

Module& Ensure(const std::string& name) {
  auto& slot = Modules()[Key(name)];
  if (!slot) {
    slot = std::make_unique<Module>();
    slot->name = name;
  }
  return *slot;
}

}  // namespace

HMODULE LoadLibraryA(const char* lpLibFileName) {
  if (!lpLibFileName) return nullptr;
  Module* m = Find(lpLibFileName);
  if (!m || m->missing || m->entries.empty()) return nullptr;
  ++m->loads;
  ++m->refs;
  return reinterpret_cast<HMODULE>(m);
}

FARPROC GetProcAddress(HMODULE hModule, const char* lpProcName) {
  if (!hModule || !lpProcName) return nullptr;
  auto* m = reinterpret_cast<Module*>(hModule);
  if (m->missingEntries.count(lpProcName)) return nullptr;
  auto it = m->entries.find(lpProcName);
  return it == m->entries.end() ? nullptr : it->second;
}

BOOL FreeLibrary(HMODULE hLibModule) {
  if (!hLibModule) return FALSE;
  auto* m = reinterpret_cast<Module*>(hLibModule);
  if (m->refs <= 0) return FALSE;
  --m->refs;
  ++m->frees;
  return TRUE;
}

namespace ModuleRegistry {

void Register(const std::string& name, const std::map<std::string, FARPROC>& entries) {
  Module& m = Ensure(name);
  m.entries = entries;
}

bool IsRegistered(const std::string& name) {
  Module* m = Find(name);
  return m && !m->entries.empty();
}

void SetMissing(const std::string& name, bool missing) { Ensure(name).missing = missing; }

void SetEntryMissing(const std::string& name, const std::string& entry, bool missing) {
  Module& m = Ensure(name);
  if (missing)
    m.missingEntries.insert(entry);
  else
    m.missingEntries.erase(entry);
}

int LoadCount(const std::string& name) {
  Module* m = Find(name);
  return m ? m->loads : 0;
}

int FreeCount(const std::string& name) {
  Module* m = Find(name);
  return m ? m->frees : 0;
}

int References(const std::string& name) {
  Module* m = Find(name);
  return m ? m->refs : 0;
}

void ResetCounters() {
  for (auto& [k, m] : Modules()) {
    m->loads = m->frees = 0;
    m->missing = false;
    m->missingEntries.clear();
  }
}

}  // namespace ModuleRegistry
