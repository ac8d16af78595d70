#include "render/RenderMachine.h"

#include <sys/mman.h>

#include <cstring>
#include <memory>

#include "render/RenderGenerator.h"

bool RenderForceInterpreter = false;
bool RenderDenyCodeBuffer = false;

TDXRMachine::TDXRMachine() {
  void* p = RenderDenyCodeBuffer
                ? MAP_FAILED
                : mmap(nullptr, RenderCodeSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  // Without executable memory the machine still works through its steps.
  Code = p == MAP_FAILED ? nullptr : p;
  if (Code) Scratch = std::make_unique<std::uint8_t[]>(RenderCodeSize);
  AddClamp = AddClampTable;
  SubClampCentre = SubClampTable + 255;
  Dithers = DitherTable;
}

TDXRMachine::~TDXRMachine() {
  if (Code) munmap(Code, RenderCodeSize);
}

bool TDXRMachine::SetCodeWritable(bool Writable) {
  if (!Code) return false;
  if (CodeWritable == Writable) return true;
  if (mprotect(Code, RenderCodeSize, Writable ? PROT_READ | PROT_WRITE : PROT_READ | PROT_EXEC) != 0) return false;
  CodeWritable = Writable;
  return true;
}

bool TDXRMachine::InstallCode(std::size_t Length) {
  if (Length == CodeLength && !CodeWritable && std::memcmp(Code, Scratch.get(), Length) == 0) return true;
  CodeLength = 0;
  HasSpanInPlace = false;
  if (!SetCodeWritable(true)) return false;
  std::memcpy(Code, Scratch.get(), Length);
  if (!SetCodeWritable(false)) return false;
  CodeLength = Length;
  ++CodeInstalls;
  return true;
}

void TDXRMachine::Reset() {
  Entry = nullptr;
  EntryStep = -1;
  Steps.clear();
  UsedColorCount = 0;
  UsedTextureCount = 0;
  NodeCount = 0;
  Dest = nullptr;
  Compiled = false;
  MMXUsed = false;
  for (auto& s : ColorSlots) s = TRenderColorSlot{};
  for (auto& s : TextureSlots) s = TRenderTextureSlot{};
  // Temporaries start from zero on every draw, so no result depends on an earlier one.
  for (auto& t : Temps) t = TRenderColor{};
  BilinearScratch = TRenderBilinearScratch{};
  Dither = false;
  X = 0;
  Y = 0;
  DitherActive = false;
}

TRenderNode* TDXRMachine::NewNode() {
  if (NodeCount >= RenderNodeLimit) return nullptr;
  TRenderNode* n = &Nodes[NodeCount++];
  *n = TRenderNode{};
  return n;
}

TRenderNode* TDXRMachine::NewLeafNode(BYTE Kind) {
  TRenderNode* n = NewNode();
  if (n) n->Kind = Kind;
  return n;
}

TRenderNode* TDXRMachine::NewTextureNode(int Slot) {
  if (Slot < 0 || Slot >= RenderSlotLimit) return nullptr;
  TRenderNode* n = NewLeafNode(rnTexture);
  if (n) n->Index = static_cast<DWORD>(Slot);
  return n;
}

TRenderNode* TDXRMachine::NewBlendNode(TRenderBlendOp Operation, TRenderNode* Left, TRenderNode* Right) {
  if (Operation > rbHighestOp) return nullptr;
  TRenderNode* n = NewLeafNode(rnBlend);
  if (!n) return nullptr;
  n->Index = Operation;
  n->Left = Left;
  n->Right = Right;
  return n;
}

bool BlendChannelNeeds(TRenderBlendOp Operation, TBlendChannelNeeds& Needs) {
  switch (Operation) {
    case 0: Needs = {0, 0, 0, 0}; return true;
    case 1: Needs = {15, 0, 0, 0}; return true;
    case 2: Needs = {0, 0, 15, 0}; return true;
    case 3:
    case 4:
    case 5:
    case 6:
    case 14: Needs = {15, 0, 15, 0}; return true;
    case 7: Needs = {7, 8, 0, 0}; return true;
    case 8:
    case 9:
    case 10:
    case 11: Needs = {7, 8, 15, 0}; return true;
    case 12: Needs = {7, 0, 0, 8}; return true;
    case 13: Needs = {7, 8, 7, 8}; return true;
    default: return false;
  }
}

void OptimizeRenderTree(TDXRMachine& Machine, TRenderNode*& N) {
  if (!N || N->Kind != rnBlend) return;
  const TRenderBlendOp o = static_cast<TRenderBlendOp>(N->Index & 0xFF);
  TBlendChannelNeeds needs;
  if (!BlendChannelNeeds(o, needs)) return;
  const TRenderChannelSet c = N->Channels;
  if (N->Left) N->Left->Channels = (c & needs.LeftAnd) | needs.LeftOr;
  if (N->Right) N->Right->Channels = (c & needs.RightAnd) | needs.RightOr;
  OptimizeRenderTree(Machine, N->Left);
  OptimizeRenderTree(Machine, N->Right);
  auto isZero = [](const TRenderNode* n) { return n && n->Kind == rnZero; };
  auto replace = [&](TRenderNode* by) {
    N = by;
    N->Channels = c;
  };
  switch (o) {
    case 0:
      N->Kind = rnZero;
      N->Left = N->Right = nullptr;
      break;
    case 1: replace(N->Left); break;
    case 2: replace(N->Right); break;
    case 3:
      if (isZero(N->Right))
        replace(N->Left);
      else if (isZero(N->Left))
        replace(N->Right);
      break;
    case 4:
      if (isZero(N->Right)) replace(N->Left);
      break;
    default:
      if (!needs.LeftAnd && !needs.LeftOr) N->Left = nullptr;
      if (!needs.RightAnd && !needs.RightOr) N->Right = nullptr;
      break;
  }
}

void MarkTreeUsage(TDXRMachine& Machine, TRenderNode* N) {
  if (!N) return;
  switch (N->Kind) {
    case rnColor: {
      TRenderColorSlot& s = Machine.ColorSlots[N->Index];
      s.Channels |= N->Channels;
      s.Used = s.Channels != 0;
      break;
    }
    case rnTexture: {
      TRenderTextureSlot& s = Machine.TextureSlots[N->Index];
      const TRenderChannelSet has = s.Surface ? SurfaceChannelMask(*s.Surface) : 0;
      s.Channels = (has & N->Channels) | s.Channels;
      s.Used = s.Channels != 0;
      break;
    }
    case rnBlend:
      MarkTreeUsage(Machine, N->Left);
      MarkTreeUsage(Machine, N->Right);
      break;
    default: break;
  }
}

namespace {
// A tree the generator can work on: pool nodes only, known kinds, slot
// indexes and operations in range, texture slots with a surface, every operand
// the operation reads present, no cycle.
bool ValidTree(const TDXRMachine& m, const TRenderNode* n, int Depth) {
  if (!n || Depth > RenderNodeLimit) return false;
  if (n < m.Nodes || n >= m.Nodes + RenderNodeLimit) return false;
  switch (n->Kind) {
    case rnZero:
    case rnConstant:
    case rnDest: return true;
    case rnColor: return n->Index < RenderSlotLimit;
    case rnTexture: return n->Index < RenderSlotLimit && m.TextureSlots[n->Index].Surface;
    case rnBlend: {
      TBlendChannelNeeds needs;
      if (!BlendChannelNeeds(static_cast<TRenderBlendOp>(n->Index & 0xFF), needs)) return false;
      if (needs.LeftAnd | needs.LeftOr) {
        if (!ValidTree(m, n->Left, Depth + 1)) return false;
      } else if (n->Left && !ValidTree(m, n->Left, Depth + 1)) {
        return false;
      }
      if (needs.RightAnd | needs.RightOr) {
        if (!ValidTree(m, n->Right, Depth + 1)) return false;
      } else if (n->Right && !ValidTree(m, n->Right, Depth + 1)) {
        return false;
      }
      return true;
    }
    default: return false;
  }
}
}  // namespace

void TDXRMachine::Compile(TRenderNode* Root) {
  Entry = nullptr;
  EntryStep = -1;
  Compiled = false;
  Steps.clear();
  MMXUsed = false;
  if (!Root || !Dest || !ValidTree(*this, Root, 0)) return;
  Root->Channels = SurfaceChannelMask(*Dest);
  OptimizeRenderTree(*this, Root);
  MarkTreeUsage(*this, Root);
  // The used-slot lists are rebuilt on every compile.
  UsedColorCount = 0;
  UsedTextureCount = 0;
  for (int i = 0; i < RenderSlotLimit; ++i)
    if (ColorSlots[i].Used) UsedColors[UsedColorCount++] = i;
  for (int i = 0; i < RenderSlotLimit; ++i)
    if (TextureSlots[i].Used) UsedTextures[UsedTextureCount++] = i;
  DitherActive = Dither;

  DestBits = Dest->Bits;
  DestPalette = Dest->Palette;
  for (int i = 0; i < RenderSlotLimit; ++i) {
    const TRenderSurface* s = TextureSlots[i].Surface;
    TextureBits[i] = s ? s->Bits : nullptr;
    TexturePalette[i] = s ? s->Palette : nullptr;
  }
  ZeroColor = TRenderColor{};

  const bool native = !ForceInterpreter && !RenderForceInterpreter && Code;
#if !defined(__x86_64__)
  const bool canRun = false;
#else
  const bool canRun = true;
#endif
  TCodeWriter writer(Scratch.get(), native ? RenderCodeSize : 0);
  TRenderGenContext ctx(*this, native && canRun ? &writer : nullptr);
  GenerateRoutine(ctx, Root);
  if (ctx.Failed) {
    Steps.clear();
    EntryStep = -1;
    Entry = nullptr;
    return;
  }
  // A routine that does not fit the buffer, or a buffer that cannot be made
  // executable, runs through the interpreter.
  if (ctx.CodeInPlace) {
    // The same packed span as the routine in place: nothing to write.
  } else if (!ctx.W || writer.Overflow() || !Entry || !InstallCode(writer.Pos())) {
    Entry = nullptr;
    HasSpanInPlace = false;
  } else {
    Entry = static_cast<std::uint8_t*>(Code) + (static_cast<std::uint8_t*>(Entry) - Scratch.get());
    HasSpanInPlace = ctx.MadeSpan;
    SpanInPlace = ctx.Span;
  }
  Compiled = true;
}

void TDXRMachine::Run(int Count) {
  if (Count <= 0 || !HasRoutine()) return;
#if defined(__x86_64__)
  if (Entry) {
    using TRoutine = void (*)(long, TDXRMachineState*);
    reinterpret_cast<TRoutine>(Entry)(Count, this);
    if (MMXUsed) __asm__ volatile("emms" ::: "memory");
    return;
  }
#endif
  InterpretRoutine(*this, Count);
}

namespace {
std::unique_ptr<TDXRMachine>& MachineHolder() {
  static std::unique_ptr<TDXRMachine> machine;
  return machine;
}
}  // namespace

TDXRMachine& RenderMachine() {
  auto& m = MachineHolder();
  if (!m) m = std::make_unique<TDXRMachine>();
  return *m;
}

void RenderUnitStop() { MachineHolder().reset(); }
