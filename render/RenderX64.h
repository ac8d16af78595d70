#pragma once
// A small x86-64 instruction writer for the span code: the instruction
// templates of the emitters are written through it, each with its fields
// (displacements, immediates, shift counts) filled in.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/RenderMachine.h"

enum TX64Reg : int {
  RAX = 0,
  RCX,
  RDX,
  RBX,
  RSP,
  RBP,
  RSI,
  RDI,
  R8,
  R9,
  R10,
  R11,
  R12,
  R13,
  R14,
  R15,
};

// Memory operand [Base + Index * Scale + Disp].
struct TX64Mem {
  int Base = RSI;
  int Index = -1;
  int Scale = 1;
  std::int32_t Disp = 0;
};
inline TX64Mem Mem(int Base, std::int32_t Disp = 0) { return TX64Mem{Base, -1, 1, Disp}; }
inline TX64Mem MemIdx(int Base, int Index, int Scale, std::int32_t Disp = 0) {
  return TX64Mem{Base, Index, Scale, Disp};
}

// Register roles of the routine: base of the data block, destination pointer,
// pixel count, pixel value.
constexpr int RegBase = RSI;
constexpr int RegDest = RDI;
constexpr int RegCount = R8;
constexpr int RegPixel = RAX;

class TCodeWriter {
 public:
  TCodeWriter(std::uint8_t* Buffer, std::size_t Capacity) : Buf(Buffer), Cap(Capacity) {}
  std::size_t Pos() const { return P; }
  bool Overflow() const { return Over; }
  std::uint8_t* Address(std::size_t Pos) const { return Buf + Pos; }

  void Byte(std::uint8_t b);
  void Dword(std::uint32_t v);
  void PatchDword(std::size_t At, std::uint32_t v);

  // Generic register/memory forms. Opcode bytes follow the prefixes and REX.
  void RM(std::initializer_list<std::uint8_t> Opcode, int Reg, const TX64Mem& M, bool W = false, bool Op16 = false,
          bool ByteReg = false);
  void RR(std::initializer_list<std::uint8_t> Opcode, int Reg, int Rm, bool W = false, bool Op16 = false);

  void MovRM32(int r, const TX64Mem& m) { RM({0x8B}, r, m); }
  void MovRM64(int r, const TX64Mem& m) { RM({0x8B}, r, m, true); }
  void MovMR32(const TX64Mem& m, int r) { RM({0x89}, r, m); }
  void MovMR16(const TX64Mem& m, int r) { RM({0x89}, r, m, false, true); }
  void MovMR8(const TX64Mem& m, int r) { RM({0x88}, r, m, false, false, true); }
  void MovzxB(int r, const TX64Mem& m) { RM({0x0F, 0xB6}, r, m); }
  void MovzxW(int r, const TX64Mem& m) { RM({0x0F, 0xB7}, r, m); }
  void MovsxdRM(int r, const TX64Mem& m) { RM({0x63}, r, m, true); }
  void MovsxdRR(int r, int s) { RR({0x63}, r, s, true); }
  void MovRR32(int d, int s) { RR({0x89}, s, d); }
  void MovRI32(int r, std::uint32_t v);
  void MovMI32(const TX64Mem& m, std::uint32_t v) {
    RM({0xC7}, 0, m);
    Dword(v);
  }
  void MovMI16(const TX64Mem& m, std::uint16_t v);
  void MovzxWRR(int d, int s) { RR({0x0F, 0xB7}, d, s); }

  // ALU group: 0 add, 1 or, 4 and, 5 sub, 6 xor, 7 cmp.
  void AluRI(int op, int r, std::uint32_t v, bool W = false);
  void AluRR(int op, int d, int s, bool W = false) { RR({static_cast<std::uint8_t>(op * 8 + 1)}, s, d, W); }
  void AluMI(int op, const TX64Mem& m, std::uint32_t v) {
    RM({0x81}, op, m);
    Dword(v);
  }
  void AluMR(int op, const TX64Mem& m, int r, bool Op16 = false) {
    RM({static_cast<std::uint8_t>(op * 8 + 1)}, r, m, false, Op16);
  }
  void AluRM(int op, int r, const TX64Mem& m, bool W = false) { RM({static_cast<std::uint8_t>(op * 8 + 3)}, r, m, W); }
  // Shift group: 4 shl, 5 shr, 7 sar.
  void ShiftRI(int op, int r, int count, bool W = false);
  void ShiftRCl(int op, int r, bool W = false) { RR({0xD3}, op, r, W); }
  void ImulRR(int d, int s, bool W = false) { RR({0x0F, 0xAF}, d, s, W); }
  void ImulRRI(int d, int s, std::int32_t v, bool W = false) {
    RR({0x69}, d, s, W);
    Dword(static_cast<std::uint32_t>(v));
  }
  void NegR(int r, bool W = false) { RR({0xF7}, 3, r, W); }
  void NotR(int r) { RR({0xF7}, 2, r); }
  void DecR(int r) { RR({0xFF}, 1, r); }
  void IncM(const TX64Mem& m) { RM({0xFF}, 0, m); }
  void Cmova(int d, int s) { RR({0x0F, 0x47}, d, s); }
  void TestRI(int r, std::uint32_t v) {
    RR({0xF7}, 0, r);
    Dword(v);
  }
  void Ret() { Byte(0xC3); }
  void RepStosd() {
    Byte(0xF3);
    Byte(0xAB);
  }

  // MMX on mm0..mm7 with memory operands.
  void MovqMmM(int mm, const TX64Mem& m) { RM({0x0F, 0x6F}, mm, m); }
  void MovqMMm(const TX64Mem& m, int mm) { RM({0x0F, 0x7F}, mm, m); }
  void MmxOpM(std::uint8_t op, int mm, const TX64Mem& m) { RM({0x0F, op}, mm, m); }
  void MmxOpRR(std::uint8_t op, int d, int s) { RR({0x0F, op}, d, s); }
  void MmxShiftI(int op, int mm, int count) {
    RR({0x0F, 0x71}, op, mm);
    Byte(static_cast<std::uint8_t>(count));
  }

  // Jumps to a known (earlier or later) position; returns the position of a
  // 32-bit displacement when the target is not known yet (Target = npos).
  void Jcc(int cc, std::size_t Target);
  void Jmp(std::size_t Target);
  std::size_t JccForward(int cc);
  void Bind(std::size_t DispAt);

 private:
  std::uint8_t* Buf;
  std::size_t Cap;
  std::size_t P = 0;
  bool Over = false;
  void Rex(bool W, int Reg, int Index, int Base, bool Force);
};

// The writer's innermost parts, inline: code is written on every compile.
inline void TCodeWriter::Byte(std::uint8_t b) {
  if (P < Cap)
    Buf[P] = b;
  else
    Over = true;
  ++P;
}

inline void TCodeWriter::Dword(std::uint32_t v) {
  if (P + 4 <= Cap) {
    for (int i = 0; i < 4; ++i) Buf[P + i] = static_cast<std::uint8_t>(v >> (8 * i));
    P += 4;
    return;
  }
  for (int i = 0; i < 4; ++i) Byte(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline void TCodeWriter::Rex(bool W, int Reg, int Index, int Base, bool Force) {
  std::uint8_t rex = 0x40;
  if (W) rex |= 8;
  if (Reg & 8) rex |= 4;
  if (Index >= 0 && (Index & 8)) rex |= 2;
  if (Base & 8) rex |= 1;
  if (rex != 0x40 || Force) Byte(rex);
}

inline void TCodeWriter::RM(std::initializer_list<std::uint8_t> Opcode, int Reg, const TX64Mem& M, bool W, bool Op16,
                            bool ByteReg) {
  if (Op16) Byte(0x66);
  Rex(W, Reg, M.Index, M.Base, ByteReg && Reg >= 4 && Reg < 8);
  for (std::uint8_t b : Opcode) Byte(b);
  const bool sib = M.Index >= 0 || (M.Base & 7) == 4;
  // Always the 32-bit displacement form: one length for every field.
  Byte(static_cast<std::uint8_t>(0x80 | ((Reg & 7) << 3) | (sib ? 4 : (M.Base & 7))));
  if (sib) {
    const int scale = M.Scale == 8 ? 3 : M.Scale == 4 ? 2 : M.Scale == 2 ? 1 : 0;
    const int index = M.Index >= 0 ? (M.Index & 7) : 4;
    Byte(static_cast<std::uint8_t>((scale << 6) | (index << 3) | (M.Base & 7)));
  }
  Dword(static_cast<std::uint32_t>(M.Disp));
}

inline void TCodeWriter::RR(std::initializer_list<std::uint8_t> Opcode, int Reg, int Rm, bool W, bool Op16) {
  if (Op16) Byte(0x66);
  Rex(W, Reg, -1, Rm, false);
  for (std::uint8_t b : Opcode) Byte(b);
  Byte(static_cast<std::uint8_t>(0xC0 | ((Reg & 7) << 3) | (Rm & 7)));
}

// Condition codes of the branch conditions 1..6 (less, equal, less or equal,
// greater, not equal, greater or equal).
int BranchConditionCode(int Condition);

// Writes the x86-64 form of one step. StepCode holds the code position of
// every earlier step; branches go only to earlier steps.
void EmitNativeStep(TCodeWriter& W, const TRenderStep& S, const std::vector<std::size_t>& StepCode);
