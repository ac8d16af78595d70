#include "display/DXClass.h"

#include <memory>
#include <utility>
#include <vector>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Format.h"
#include "platform/win/Modules.h"

namespace {

// The libraries loaded so far, (lower-cased name, module), in load order.
struct TLibraryCache {
  std::vector<std::pair<std::string, HMODULE>> Entries;
};

// The cache lives from the first load until FreeBoundLibraries; the holder
// frees what is left when the program stops.
struct TLibraryCacheHolder {
  std::unique_ptr<TLibraryCache> Cache;
  void Free() {
    std::unique_ptr<TLibraryCache> cache = std::move(Cache);
    if (cache)
      for (const auto& entry : cache->Entries) FreeLibrary(entry.second);
  }
  ~TLibraryCacheHolder() { Free(); }
};

TLibraryCacheHolder& Holder() {
  // The module registry is made first so that it is still there when the
  // holder frees the libraries at exit.
  static TLibraryCacheHolder holder = (ModuleRegistry::IsRegistered(std::string()), TLibraryCacheHolder{});
  return holder;
}

}  // namespace

FARPROC BindLibraryProc(const std::string& DllName, const std::string& ProcName) {
  TLibraryCacheHolder& holder = Holder();
  if (!holder.Cache) holder.Cache = std::make_unique<TLibraryCache>();
  const std::string key = AnsiLowerCase(DllName);
  HMODULE module = nullptr;
  for (const auto& [name, handle] : holder.Cache->Entries)
    if (name == key) {
      module = handle;
      break;
    }
  if (!module) {
    module = LoadLibraryA(DllName.c_str());
    if (!module) throw Exception(Format("%s not loaded", DllName));
    holder.Cache->Entries.emplace_back(key, module);
  }
  FARPROC proc = GetProcAddress(module, ProcName.c_str());
  if (!proc) throw Exception(Format("%s not loaded", DllName));
  return proc;
}

void FreeBoundLibraries() { Holder().Free(); }

void TDirectX::Check(HRESULT Value) {
  FLastResult = Value;
  if (Value != 0) DoError();
}
