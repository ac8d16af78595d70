#pragma once
// The renderer's machine: the expression tree of one draw, its colour and
// texture slots, the destination, and the routine compiled from them. The
// routine is kept twice from one generation: as x86-64 code in an executable
// buffer and as a list of steps (one per emitter) that the portable
// interpreter runs where no code can be generated.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "render/RenderSurface.h"

// Four 16-bit words red, green, blue, alpha; an 8-bit value sits in the high
// byte of its word.
struct TRenderColor {
  WORD Red = 0;
  WORD Green = 0;
  WORD Blue = 0;
  WORD Alpha = 0;
  friend bool operator==(const TRenderColor&, const TRenderColor&) = default;
};
static_assert(sizeof(TRenderColor) == 8);

// Node kinds.
constexpr BYTE rnZero = 0;
constexpr BYTE rnColor = 1;
constexpr BYTE rnConstant = 2;
constexpr BYTE rnTexture = 3;
constexpr BYTE rnDest = 4;
constexpr BYTE rnBlend = 5;

using TRenderBlendOp = BYTE;
constexpr TRenderBlendOp rbHighestOp = 14;

struct TRenderNode {
  BYTE Kind = rnZero;
  TRenderChannelSet Channels = 0;
  DWORD Index = 0;  // colour or texture slot; blend operation in its low byte
  TRenderNode* Left = nullptr;
  TRenderNode* Right = nullptr;
  TRenderColor Constant;  // value of a constant node (kind 2)
};

struct TRenderColorSlot {
  bool Used = false;
  TRenderColor Color;
  TRenderColor Delta;
  bool Gradient = false;
  TRenderChannelSet Channels = 0;
};

// Addressing: 0 wrapped by WidthMask and HeightMask, 1 direct.
constexpr BYTE raWrap = 0;
constexpr BYTE raDirect = 1;

struct TRenderTextureSlot {
  bool Used = false;
  TRenderSurface* Surface = nullptr;
  DWORD U = 0;  // 16.16; V follows directly, then DU and DV
  DWORD V = 0;
  DWORD DU = 0;
  DWORD DV = 0;
  bool ConstantStep = false;
  BYTE Filter = 0;  // 1 = bilinear
  bool Transparent = false;
  DWORD ColorKey = 0;
  TRenderChannelSet Channels = 0;
  BYTE Addressing = raWrap;
  TRenderColor Default;
};

struct TRenderBilinearScratch {
  DWORD U = 0;
  DWORD V = 0;
  TRenderColor A, B, C, D;
};

constexpr int RenderNodeLimit = 128;
constexpr int RenderSlotLimit = 8;
constexpr int RenderTempLimit = 256;
// x86-64 encodings with base-register addressing are longer than the 32-bit
// templates with absolute addresses, so the buffer holds 8 KiB.
constexpr std::size_t RenderCodeSize = 8192;

// One step of a compiled routine: what one emitter call does, with every
// value it froze at generation time. Offsets are byte offsets into the
// machine's data block (TDXRMachineState).
enum class TRenderStepOp : BYTE {
  Return,
  Branch,
  DecCount,
  DestAddress,
  ReadDest,
  WriteDest,
  AdvanceDest,
  Texel,
  KeyTest,
  Decode,
  Encode,
  AddUV,
  BilinearMix,
  StepX,
  StepColor,
  StepTextureConst,
  StepTexture,
  Fill32,
  Fill16,
  Zero,
  Copy,
  StoreImm,
  PackedAdd,
  PackedSub,
  PackedMul,
  AddClamp,
  AddClampConst,
  SubClamp,
  ConstSubClamp,
  SubClampConst,
  MulChan,
  PremulPair,
  ScaleChan,
  AddAlphaChan,
  SubAlphaChan,
  AlphaPair,
  AlphaChan,
  CopyWord,
  CopyHigh,
};

struct TRenderStep {
  TRenderStepOp Op = TRenderStepOp::Return;
  bool Mmx = false;           // packed form
  bool Flag = false;          // Texel: wrapped; Encode: dithered; Alpha*: inverse weight; KeyTest: clear top byte
  bool Clamp = false;         // Texel: clamp to the last column and row
  int Cond = 0;               // Branch condition
  int Target = 0;             // Branch target step
  int Out = 0, A = 0, B = 0;  // data block offsets (result, operands, coordinates)
  int Chan = 0;               // channel 0..3 or pair 0..1
  int Set = 0;                // channel set
  int BitCount = 0;
  std::int64_t Pitch = 0;
  int PitchBits = 0;
  DWORD Mask = 0, Mask2 = 0;  // Texel: WidthMask, HeightMask; KeyTest: keep mask
  DWORD MaxCol = 0, MaxRow = 0;
  DWORD Imm = 0, Imm2 = 0;  // constants, key, steps
  int Ptr = 0;              // offset of a surface or palette address in the data block
  BYTE Kind = 0;            // Decode: surface kind
  TRenderChannel Ch[4];
  WORD Def[4] = {};
};

// The data block the routine addresses through its base register: every
// field the generated code reads or writes at run time, and the 64-bit
// addresses of surface memory, palettes and tables taken at generation time.
struct TDXRMachineState {
  void* Code = nullptr;
  void* Entry = nullptr;
  bool Compiled = false;
  int NodeCount = 0;
  TRenderNode Nodes[RenderNodeLimit];
  bool MMXUsed = false;
  TRenderBilinearScratch BilinearScratch;
  TRenderColor Temps[RenderTempLimit];
  TRenderSurface* Dest = nullptr;
  TRenderColorSlot ColorSlots[RenderSlotLimit];
  int UsedColors[RenderSlotLimit] = {};
  int UsedColorCount = 0;
  TRenderTextureSlot TextureSlots[RenderSlotLimit];
  int UsedTextures[RenderSlotLimit] = {};
  int UsedTextureCount = 0;
  bool Dither = false;
  LONG X = 0;
  LONG Y = 0;
  bool DitherActive = false;

  // Addresses frozen at generation time.
  BYTE* DestBits = nullptr;
  const PALETTEENTRY* DestPalette = nullptr;
  BYTE* TextureBits[RenderSlotLimit] = {};
  const PALETTEENTRY* TexturePalette[RenderSlotLimit] = {};
  const BYTE* AddClamp = nullptr;
  const BYTE* SubClampCentre = nullptr;
  const BYTE* Dithers = nullptr;
  TRenderColor ZeroColor;
  // Constants of a packed span, 16 bytes each, set when it is generated:
  // texture weight and destination weights per 16-bit lane (even and odd
  // pixel bytes), written bits, key bits and key per 32-bit lane.
  BYTE SpanWeight[16] = {};
  BYTE SpanDestWeight[16] = {};
  BYTE SpanDestWeightOdd[16] = {};
  BYTE SpanOutMask[16] = {};
  BYTE SpanKeep[16] = {};
  BYTE SpanKey[16] = {};
};

// Everything the code of a packed span (a whole-span routine for a 32-bit
// copy or constant-alpha blend) depends on: two spans that compare equal
// have the same code.
struct TPackedSpan {
  int Slot = 0;
  bool Blend = false;  // operation 10 or 11; otherwise a copy
  bool Keyed = false;
  bool Inverse = false;  // weight 255 - a
  DWORD Keep = 0;        // bits the key compares
  DWORD Key = 0;
  DWORD OutMask = 0;  // bits of the written pixel
  DWORD Step = 0;     // U step a pixel, 16.16
  // Blend: per 16-bit lane of one pixel, 1 where the channel is blended on
  // its own, 0 where it is blended as one of a pair.
  std::uint64_t LoneLanes = 0;
  int WeightAt = -1;  // data block offset of the weight byte
  LONG DestPitch = 0;
  LONG TexturePitch = 0;
  friend bool operator==(const TPackedSpan&, const TPackedSpan&) = default;
};

class TDXRMachine : public TDXRMachineState {
 public:
  TDXRMachine();
  ~TDXRMachine();
  TDXRMachine(const TDXRMachine&) = delete;
  TDXRMachine& operator=(const TDXRMachine&) = delete;

  void Reset();
  TRenderNode* NewNode();
  TRenderNode* NewLeafNode(BYTE Kind);
  TRenderNode* NewTextureNode(int Slot);
  TRenderNode* NewBlendNode(TRenderBlendOp Operation, TRenderNode* Left, TRenderNode* Right);
  void Compile(TRenderNode* Root);
  void Run(int Count);

  // The compiled routine: native code (Entry) or, failing that, the steps.
  bool HasRoutine() const { return EntryStep >= 0; }
  bool IsNative() const { return Entry != nullptr; }

  // Steps of the last compile, the first step run on entry.
  std::vector<TRenderStep> Steps;
  int EntryStep = -1;

  // Test hook: compile to steps only, never to native code.
  bool ForceInterpreter = false;

  // Times a compile wrote new code into the executable buffer. A compile
  // whose code equals the routine in place keeps that routine: the code
  // reaches surfaces and slots only through the data block, so repeated
  // draws of one kind pay neither the copy nor the protection changes.
  int CodeInstalls = 0;
  // The packed span whose code is in place, when the routine in place is one.
  bool HasSpanInPlace = false;
  TPackedSpan SpanInPlace;

 private:
  bool CodeWritable = true;
  // Generation goes to Scratch first; CodeLength bytes of it are in Code.
  std::unique_ptr<std::uint8_t[]> Scratch;
  std::size_t CodeLength = 0;
  bool SetCodeWritable(bool Writable);
  bool InstallCode(std::size_t Length);
};

// Channels each operand of a blend must deliver: (parent and And) or Or.
struct TBlendChannelNeeds {
  TRenderChannelSet LeftAnd = 0, LeftOr = 0, RightAnd = 0, RightOr = 0;
};
bool BlendChannelNeeds(TRenderBlendOp Operation, TBlendChannelNeeds& Needs);
void OptimizeRenderTree(TDXRMachine& Machine, TRenderNode*& Node);
void MarkTreeUsage(TDXRMachine& Machine, TRenderNode* Node);

// Runs Count pixels of the machine's steps.
void InterpretRoutine(TDXRMachine& Machine, int Count);

// The unit's single machine, created at the first call, freed at unit stop.
TDXRMachine& RenderMachine();
// Frees the unit's machine (unit stop); nothing when none was made.
void RenderUnitStop();
// Test hook: every machine compiles to steps only.
extern bool RenderForceInterpreter;
// Test hook: machines made while it is set get no code buffer, as when the
// system refuses the memory.
extern bool RenderDenyCodeBuffer;

template <typename T>
inline int StateOffset(const TDXRMachineState& m, const T& field) {
  return static_cast<int>(reinterpret_cast<const BYTE*>(&field) - reinterpret_cast<const BYTE*>(&m));
}
