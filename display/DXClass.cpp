#include "display/DXClass.h"

#include <algorithm>
#include <map>
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

void PrepareBoundLibraries() { static_cast<void>(Holder()); }

void TDirectX::Check(HRESULT Value) {
  FLastResult = Value;
  if (Value != 0) DoError();
}

// One link of a control's chain. The dispatcher installed in the control (or
// saved by a newer link as its previous procedure) holds the node, so a node
// outlives its subclass for as long as anything may still call it; once its
// subclass is gone it only passes messages on.
struct TControlSubClass::TNode {
  TWndMethod Previous;
  TSubClassHandler Handler;
  TWndMethod Dispatcher;
  bool Removed = false;
};

namespace {

// The live links of every subclassed control, oldest first.
std::map<TControl*, std::vector<std::shared_ptr<TControlSubClass::TNode>>>& Chains() {
  static std::map<TControl*, std::vector<std::shared_ptr<TControlSubClass::TNode>>> chains;
  return chains;
}

}  // namespace

TControlSubClass::TControlSubClass(TControl* Control, TSubClassHandler Handler)
    : FControl(Control), FNode(std::make_shared<TNode>()) {
  FNode->Previous = Control->WindowProc;
  FNode->Handler = std::move(Handler);
  // The dispatcher holds its node; while it runs it keeps a reference of its
  // own and calls copies of the procedures, since the chain may change under
  // it (a handler may destroy its own or another subclass).
  FNode->Dispatcher = TWndMethod(
      [held = FNode](TMessage& Message) {
        const std::shared_ptr<TNode> node = held;
        const TWndMethod previous = node->Previous;
        if (node->Removed) {
          if (previous) previous(Message);
          return;
        }
        const TSubClassHandler handler = node->Handler;
        handler(Message, previous);
      },
      FNode.get());
  Chains()[Control].push_back(FNode);
  Control->WindowProc = FNode->Dispatcher;
}

TControlSubClass::~TControlSubClass() {
  auto& chains = Chains();
  auto found = chains.find(FControl);
  if (found != chains.end()) {
    auto& chain = found->second;
    // A newer link that passes messages on to this one now passes them on
    // to what this one passed them on to.
    for (auto& node : chain)
      if (node != FNode && node->Previous == FNode->Dispatcher) node->Previous = FNode->Previous;
    chain.erase(std::remove(chain.begin(), chain.end(), FNode), chain.end());
    if (chain.empty()) chains.erase(found);
  }
  if (FControl->WindowProc == FNode->Dispatcher) FControl->WindowProc = FNode->Previous;
  FNode->Removed = true;
  // Whoever still holds a copy of the dispatcher (a procedure installed by
  // someone else on top of it) keeps the node, which now only passes
  // messages on; the node's own copy goes so that nothing else keeps it.
  FNode->Dispatcher = nullptr;
}

TWndMethod TControlSubClass::PreviousWindowProc() const { return FNode->Previous; }
