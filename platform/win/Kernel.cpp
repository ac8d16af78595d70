#include "platform/win/Kernel.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <unordered_map>
#include <vector>

int MulDiv(int nNumber, int nNumerator, int nDenominator) {
  if (nDenominator == 0) return -1;
  std::int64_t product = static_cast<std::int64_t>(nNumber) * nNumerator;
  std::int64_t d = nDenominator;
  bool negative = (product < 0) != (d < 0);
  std::uint64_t up = product < 0 ? static_cast<std::uint64_t>(-(product + 1)) + 1 : static_cast<std::uint64_t>(product);
  std::uint64_t ud = d < 0 ? static_cast<std::uint64_t>(-d) : static_cast<std::uint64_t>(d);
  std::uint64_t q = (up + ud / 2) / ud;
  if (q > static_cast<std::uint64_t>(std::numeric_limits<int>::max()) + (negative ? 1u : 0u)) return -1;
  return negative ? static_cast<int>(-static_cast<std::int64_t>(q)) : static_cast<int>(q);
}

namespace {
struct Block {
  std::vector<unsigned char> bytes;
  int locks = 0;
};
std::unordered_map<void*, Block*>& Blocks() {
  static std::unordered_map<void*, Block*> blocks;
  return blocks;
}
Block* Find(HGLOBAL h) {
  auto it = Blocks().find(h);
  return it == Blocks().end() ? nullptr : it->second;
}
}  // namespace

HGLOBAL GlobalAlloc(UINT, size_t bytes) {
  if (bytes > (size_t{1} << 31)) return nullptr;
  auto* b = new (std::nothrow) Block;
  if (!b) return nullptr;
  try {
    b->bytes.assign(bytes ? bytes : 1, 0);  // a block is always zero-filled
  } catch (const std::bad_alloc&) {
    delete b;
    return nullptr;
  }
  if (!bytes) b->bytes.clear();
  Blocks()[b] = b;
  return b;
}

void* GlobalLock(HGLOBAL h) {
  Block* b = Find(h);
  if (!b) return nullptr;
  ++b->locks;
  return b->bytes.empty() ? static_cast<void*>(b) : b->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL h) {
  Block* b = Find(h);
  if (!b || b->locks == 0) return FALSE;
  return --b->locks > 0 ? TRUE : FALSE;
}

size_t GlobalSize(HGLOBAL h) {
  Block* b = Find(h);
  return b ? b->bytes.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL h) {
  Block* b = Find(h);
  if (!b) return h;
  Blocks().erase(h);
  delete b;
  return nullptr;
}
