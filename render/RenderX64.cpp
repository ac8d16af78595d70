#include "render/RenderX64.h"

#include <cstddef>

void TCodeWriter::PatchDword(std::size_t At, std::uint32_t v) {
  if (At + 4 > Cap) return;
  for (int i = 0; i < 4; ++i) Buf[At + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void TCodeWriter::MovRI32(int r, std::uint32_t v) {
  Rex(false, 0, -1, r, false);
  Byte(static_cast<std::uint8_t>(0xB8 + (r & 7)));
  Dword(v);
}

void TCodeWriter::MovMI16(const TX64Mem& m, std::uint16_t v) {
  RM({0xC7}, 0, m, false, true);
  Byte(static_cast<std::uint8_t>(v));
  Byte(static_cast<std::uint8_t>(v >> 8));
}

void TCodeWriter::AluRI(int op, int r, std::uint32_t v, bool W) {
  RR({0x81}, op, r, W);
  Dword(v);
}

void TCodeWriter::ShiftRI(int op, int r, int count, bool W) {
  if (count == 0) return;
  RR({0xC1}, op, r, W);
  Byte(static_cast<std::uint8_t>(count));
}

void TCodeWriter::Jcc(int cc, std::size_t Target) {
  const std::int64_t shortDisp = static_cast<std::int64_t>(Target) - static_cast<std::int64_t>(P + 2);
  if (shortDisp > -128 && shortDisp < 128) {
    Byte(static_cast<std::uint8_t>(0x70 | cc));
    Byte(static_cast<std::uint8_t>(shortDisp));
    return;
  }
  Byte(0x0F);
  Byte(static_cast<std::uint8_t>(0x80 | cc));
  Dword(static_cast<std::uint32_t>(static_cast<std::int64_t>(Target) - static_cast<std::int64_t>(P + 4)));
}

void TCodeWriter::Jmp(std::size_t Target) {
  const std::int64_t shortDisp = static_cast<std::int64_t>(Target) - static_cast<std::int64_t>(P + 2);
  if (shortDisp > -128 && shortDisp < 128) {
    Byte(0xEB);
    Byte(static_cast<std::uint8_t>(shortDisp));
    return;
  }
  Byte(0xE9);
  Dword(static_cast<std::uint32_t>(static_cast<std::int64_t>(Target) - static_cast<std::int64_t>(P + 4)));
}

std::size_t TCodeWriter::JccForward(int cc) {
  Byte(0x0F);
  Byte(static_cast<std::uint8_t>(0x80 | cc));
  const std::size_t at = P;
  Dword(0);
  return at;
}

void TCodeWriter::Bind(std::size_t DispAt) { PatchDword(DispAt, static_cast<std::uint32_t>(P - (DispAt + 4))); }

int BranchConditionCode(int Condition) {
  switch (Condition) {
    case 1: return 0xC;  // less
    case 2: return 0x4;  // equal
    case 3: return 0xE;  // less or equal
    case 4: return 0xF;  // greater
    case 5: return 0x5;  // not equal
    case 6: return 0xD;  // greater or equal
    default: return -1;
  }
}

namespace {

constexpr int CcE = 0x4;
constexpr int Add = 0, Or = 1, And = 4, Sub = 5, Xor = 6, Cmp = 7;
constexpr int Shl = 4, Shr = 5, Sar = 7;

int Off(std::size_t o) { return static_cast<int>(o); }
#define STATE(field) Off(offsetof(TDXRMachineState, field))

TX64Mem B(int off) { return Mem(RegBase, off); }
int High(int c) { return 2 * c + 1; }

void LoadMaskShift(TCodeWriter& W, const TRenderChannel& ch) {
  // ecx := low byte of ((eax and Mask) shifted by the channel's shift)
  W.MovRR32(RCX, RAX);
  // The mask is left out where it keeps every bit that reaches the low byte.
  const DWORD reach = ch.ShiftRight ? (0xFFu << ch.ShiftRight) : (0xFFu >> ch.ShiftLeft);
  if ((ch.Mask & reach) != reach) W.AluRI(And, RCX, ch.Mask);
  if (ch.ShiftRight)
    W.ShiftRI(Shr, RCX, static_cast<int>(ch.ShiftRight));
  else
    W.ShiftRI(Shl, RCX, static_cast<int>(ch.ShiftLeft));
}

void EmitTexel(TCodeWriter& W, const TRenderStep& S) {
  const int bc = S.BitCount;
  if (bc != 1 && bc != 2 && bc != 4 && bc != 8 && bc != 16 && bc != 24 && bc != 32) return;
  const std::int64_t absPitch = S.Pitch < 0 ? -S.Pitch : S.Pitch;
  const bool pow2 = (bc == 8 || bc == 16 || bc == 32) && absPitch == (std::int64_t{1} << S.PitchBits);
  W.MovRM32(RCX, B(S.A));
  W.ShiftRI(Shr, RCX, 16);
  W.MovRM32(RDX, B(S.A + 4));
  if (S.Flag && pow2 && S.PitchBits <= 16 && (static_cast<std::uint64_t>(S.Mask2) << S.PitchBits) <= 0x7FFFFFFFu) {
    // Shift and mask folded: (V >> (16 - PitchBits)) and (HeightMask << PitchBits).
    W.ShiftRI(Shr, RDX, 16 - S.PitchBits);
    W.AluRI(And, RDX, S.Mask2 << S.PitchBits);
    if (S.Pitch < 0) W.NegR(RDX, true);
    W.AluRI(And, RCX, S.Mask);
  } else {
    W.ShiftRI(Shr, RDX, 16);
    if (S.Flag) {
      W.AluRI(And, RCX, S.Mask);
      W.AluRI(And, RDX, S.Mask2);
    }
    if (S.Clamp) {
      W.MovRI32(R10, S.MaxCol);
      W.AluRR(Cmp, RCX, R10);
      W.Cmova(RCX, R10);
      W.MovRI32(R10, S.MaxRow);
      W.AluRR(Cmp, RDX, R10);
      W.Cmova(RDX, R10);
    }
    if (pow2) {
      W.ShiftRI(Shl, RDX, S.PitchBits, true);
      if (S.Pitch < 0) W.NegR(RDX, true);
    } else {
      W.ImulRRI(RDX, RDX, static_cast<std::int32_t>(S.Pitch), true);
    }
  }
  W.MovRM64(R9, B(S.Ptr));
  W.AluRR(Add, R9, RDX, true);
  switch (bc) {
    case 1:
    case 2:
    case 4: {
      const int perByteShift = bc == 1 ? 3 : bc == 2 ? 2 : 1;
      const int lowMask = bc == 1 ? 7 : bc == 2 ? 3 : 1;
      W.MovRR32(RDX, RCX);
      W.ShiftRI(Shr, RDX, perByteShift);
      W.MovzxB(RAX, MemIdx(R9, RDX, 1));
      // leftmost pixel in the highest bits: shift = (lowMask - column mod n) * bc
      W.NotR(RCX);
      W.AluRI(And, RCX, static_cast<std::uint32_t>(lowMask));
      if (bc == 2) W.AluRR(Add, RCX, RCX);
      if (bc == 4) W.ShiftRI(Shl, RCX, 2);
      W.ShiftRCl(Shr, RAX);
      W.AluRI(And, RAX, (1u << bc) - 1);
      break;
    }
    case 8: W.MovzxB(RAX, MemIdx(R9, RCX, 1)); break;
    case 16: W.MovzxW(RAX, MemIdx(R9, RCX, 2)); break;
    case 24:
      W.RM({0x8D}, RCX, MemIdx(RCX, RCX, 2), true);  // lea rcx, [rcx + rcx*2]
      W.MovzxB(RAX, MemIdx(R9, RCX, 1, 2));
      W.ShiftRI(Shl, RAX, 16);
      W.MovzxW(RDX, MemIdx(R9, RCX, 1));
      W.AluRR(Or, RAX, RDX);
      break;
    case 32: W.MovRM32(RAX, MemIdx(R9, RCX, 4)); break;
  }
}

void EmitDecode(TCodeWriter& W, const TRenderStep& S) {
  const int set = S.Set;
  if (S.Kind == rkRGB) {
    for (int c = 0; c < 4; ++c) {
      if (!(set & (1 << c))) continue;
      if (S.Ch[c].Mask) {
        LoadMaskShift(W, S.Ch[c]);
        W.MovMR8(B(S.Out + High(c)), RCX);
      } else {
        W.MovMI16(B(S.Out + 2 * c), S.Def[c]);
      }
    }
    return;
  }
  if (set & rcRGB) {
    if (S.Ch[0].Mask) {
      LoadMaskShift(W, S.Ch[0]);
      W.AluRI(And, RCX, 255);
      W.MovRM64(R9, B(S.Ptr));
      W.MovRM32(RDX, MemIdx(R9, RCX, 4));
      W.MovMR8(B(S.Out + 1), RDX);
      W.ShiftRI(Shr, RDX, 8);
      W.MovMR8(B(S.Out + 3), RDX);
      W.ShiftRI(Shr, RDX, 8);
      W.MovMR8(B(S.Out + 5), RDX);
    } else {
      for (int c = 0; c < 3; ++c) W.MovMI16(B(S.Out + 2 * c), S.Def[c]);
    }
  }
  if (set & rcAlpha) {
    if (S.Ch[1].Mask) {
      LoadMaskShift(W, S.Ch[1]);
      W.MovMR8(B(S.Out + 7), RCX);
    } else {
      W.MovMI16(B(S.Out + 6), S.Def[3]);
    }
  }
}

void EmitEncode(TCodeWriter& W, const TRenderStep& S) {
  const bool dither = S.Flag;
  if (dither) {
    W.MovRM32(R11, B(STATE(X)));
    W.AluRI(And, R11, 1);
    W.AluRR(Add, R11, R11);
    W.MovRM32(RDX, B(STATE(Y)));
    W.AluRI(And, RDX, 1);
    W.AluRR(Or, R11, RDX);
    W.MovRM64(R9, B(STATE(AddClamp)));
    W.MovRM64(R10, B(STATE(Dithers)));
  }
  W.AluRR(Xor, RAX, RAX);
  for (int c = 0; c < 4; ++c) {
    const TRenderChannel& ch = S.Ch[c];
    if (!(S.Set & (1 << c)) || !ch.Mask) continue;
    W.MovzxB(RCX, B(S.A + High(c)));
    if (dither && ch.Bits < 7) {
      W.MovRR32(RDX, RCX);
      W.ShiftRI(Shr, RDX, 6 - static_cast<int>(ch.Bits));
      W.AluRI(And, RDX, 3);
      W.ShiftRI(Shl, RDX, 2);
      W.AluRR(Add, RDX, R11, true);
      W.MovzxB(RDX, MemIdx(R10, RDX, 1));
      W.ShiftRI(Shl, RDX, 8 - static_cast<int>(ch.Bits));
      W.AluRR(Add, RCX, RDX);
      W.MovzxB(RCX, MemIdx(R9, RCX, 1));
    }
    if (ch.ShiftRight)
      W.ShiftRI(Shl, RCX, static_cast<int>(ch.ShiftRight));
    else
      W.ShiftRI(Shr, RCX, static_cast<int>(ch.ShiftLeft));
    // v is a byte: the mask is left out where it keeps all of the shifted byte.
    const DWORD spread = ch.ShiftRight ? (0xFFu << ch.ShiftRight) : (0xFFu >> ch.ShiftLeft);
    if ((ch.Mask & spread) != spread) W.AluRI(And, RCX, ch.Mask);
    W.AluRR(Or, RAX, RCX);
  }
}

void EmitBilinearMix(TCodeWriter& W, const TRenderStep& S) {
  const int sa = STATE(BilinearScratch.A), sb = STATE(BilinearScratch.B);
  const int sc = STATE(BilinearScratch.C), sd = STATE(BilinearScratch.D);
  W.Byte(0x50);               // push rax: the pixel value survives the mix
  W.MovzxB(R9, B(S.A + 1));   // fu: bits 8..15 of U
  W.MovzxB(R11, B(S.A + 5));  // fv: bits 8..15 of V
  W.MovRI32(R10, 255);
  W.AluRR(Sub, R10, R9);  // 255 - fu
  for (int c = 0; c < 4; ++c) {
    if (!(S.Set & (1 << c))) continue;
    const int h = High(c);
    W.MovzxB(RCX, B(sa + h));
    W.ImulRR(RCX, R10);
    W.MovzxB(RDX, B(sb + h));
    W.ImulRR(RDX, R9);
    W.AluRR(Add, RCX, RDX);
    W.MovzxB(RDX, B(sc + h));
    W.ImulRR(RDX, R10);
    W.MovzxB(RAX, B(sd + h));
    W.ImulRR(RAX, R9);
    W.AluRR(Add, RDX, RAX);
    W.MovRI32(RAX, 255);
    W.AluRR(Sub, RAX, R11);
    W.ImulRR(RCX, RAX);
    W.ImulRR(RDX, R11);
    W.AluRR(Add, RCX, RDX);
    W.ShiftRI(Shr, RCX, 16);
    W.MovMR8(B(S.Out + h), RCX);
  }
  W.Byte(0x58);  // pop rax
}

void EmitFill16(TCodeWriter& W) {
  W.MovzxWRR(RAX, RAX);
  W.MovRR32(RCX, RAX);
  W.ShiftRI(Shl, RCX, 16);
  W.AluRR(Or, RAX, RCX);
  W.TestRI(RDI, 2);
  const std::size_t aligned = W.JccForward(CcE);
  W.MovMR16(Mem(RDI), RAX);
  W.AluRI(Add, RDI, 2, true);
  W.DecR(R8);
  const std::size_t done1 = W.JccForward(CcE);
  W.Bind(aligned);
  W.MovRR32(RCX, R8);
  W.ShiftRI(Shr, RCX, 1);
  W.RepStosd();
  W.TestRI(R8, 1);
  const std::size_t done2 = W.JccForward(CcE);
  W.MovMR16(Mem(RDI), RAX);
  W.Bind(done1);
  W.Bind(done2);
  W.Ret();
}

void LoadAlphaWeight(TCodeWriter& W, const TRenderStep& S, int reg) {
  W.MovzxB(reg, B(S.A + 7));
  if (S.Flag) W.AluRI(Xor, reg, 255);  // 255 - a for a in 0..255
}

// reg := ((dword at off) shifted right by 8) and 0x00FF00FF, read as the two
// high bytes: the channel bytes were stored one by one, and byte loads take
// them straight from those stores where a dword load would wait for them.
void EmitPairSpread(TCodeWriter& W, int reg, int off) {
  W.MovzxB(reg, B(off + 3));
  W.ShiftRI(Shl, reg, 16);
  W.MovzxB(R9, B(off + 1));
  W.AluRR(Or, reg, R9);
}

}  // namespace

void EmitNativeStep(TCodeWriter& W, const TRenderStep& S, const std::vector<std::size_t>& StepCode) {
  using Op = TRenderStepOp;
  switch (S.Op) {
    case Op::Return: W.Ret(); break;
    case Op::Branch:
      if (S.Cond == 7)
        W.Jmp(StepCode[S.Target]);
      else if (S.Cond >= 1 && S.Cond <= 6)
        W.Jcc(BranchConditionCode(S.Cond), StepCode[S.Target]);
      break;
    case Op::DecCount: W.DecR(RegCount); break;
    case Op::DestAddress:
      W.MovsxdRM(RCX, B(STATE(Y)));
      W.ImulRRI(RCX, RCX, static_cast<std::int32_t>(S.Pitch), true);
      W.MovsxdRM(RDX, B(STATE(X)));
      W.ImulRRI(RDX, RDX, S.BitCount / 8, true);
      W.MovRM64(RDI, B(STATE(DestBits)));
      W.AluRR(Add, RDI, RCX, true);
      W.AluRR(Add, RDI, RDX, true);
      break;
    case Op::ReadDest:
      switch (S.BitCount) {
        case 8: W.MovzxB(RAX, Mem(RDI)); break;
        case 16: W.MovzxW(RAX, Mem(RDI)); break;
        case 24:
          W.MovzxB(RAX, Mem(RDI, 2));
          W.ShiftRI(Shl, RAX, 16);
          W.MovzxW(RCX, Mem(RDI));
          W.AluRR(Or, RAX, RCX);
          break;
        case 32: W.MovRM32(RAX, Mem(RDI)); break;
      }
      break;
    case Op::WriteDest:
      switch (S.BitCount) {
        case 8: W.MovMR8(Mem(RDI), RAX); break;
        case 16: W.MovMR16(Mem(RDI), RAX); break;
        case 24:
          W.MovMR16(Mem(RDI), RAX);
          W.MovRR32(RCX, RAX);
          W.ShiftRI(Shr, RCX, 16);
          W.MovMR8(Mem(RDI, 2), RCX);
          break;
        case 32: W.MovMR32(Mem(RDI), RAX); break;
      }
      break;
    case Op::AdvanceDest:
      if (S.Imm) W.AluRI(Add, RDI, S.Imm, true);
      break;
    case Op::Texel: EmitTexel(W, S); break;
    case Op::KeyTest:
      if (S.Flag) W.AluRI(And, RAX, 0x00FFFFFF);
      if (S.Mask == 0xFFFFFFFFu) {
        W.AluRI(Cmp, RAX, S.Imm);
      } else {
        W.MovRR32(RCX, RAX);
        W.AluRI(And, RCX, S.Mask);
        W.AluRI(Cmp, RCX, S.Imm);
      }
      break;
    case Op::Decode: EmitDecode(W, S); break;
    case Op::Encode: EmitEncode(W, S); break;
    case Op::AddUV:
      W.MovRM32(RCX, B(S.A));
      W.AluRI(Add, RCX, S.Imm);
      W.MovMR32(B(S.Out), RCX);
      W.MovRM32(RCX, B(S.A + 4));
      W.AluRI(Add, RCX, S.Imm2);
      W.MovMR32(B(S.Out + 4), RCX);
      break;
    case Op::BilinearMix: EmitBilinearMix(W, S); break;
    case Op::StepX: W.IncM(B(STATE(X))); break;
    case Op::StepColor:
      if (S.Mmx) {
        W.MovqMmM(0, B(S.Out));
        W.MmxOpM(0xFD, 0, B(S.A));  // paddw
        W.MovqMMm(B(S.Out), 0);
      } else {
        for (int i = 0; i < 4; ++i) {
          W.MovzxW(RCX, B(S.A + 2 * i));
          W.AluMR(Add, B(S.Out + 2 * i), RCX, true);
        }
      }
      break;
    case Op::StepTextureConst:
      if (S.Imm) W.AluMI(Add, B(S.Out), S.Imm);
      if (S.Imm2) W.AluMI(Add, B(S.Out + 4), S.Imm2);
      break;
    case Op::StepTexture:
      if (S.Mmx) {
        W.MovqMmM(0, B(S.Out));
        W.MmxOpM(0xFE, 0, B(S.A));  // paddd
        W.MovqMMm(B(S.Out), 0);
      } else {
        W.MovRM32(RCX, B(S.A));
        W.AluMR(Add, B(S.Out), RCX);
        W.MovRM32(RCX, B(S.A + 4));
        W.AluMR(Add, B(S.Out + 4), RCX);
      }
      break;
    case Op::Fill32:
      W.MovRR32(RCX, R8);
      W.RepStosd();
      W.Ret();
      break;
    case Op::Fill16: EmitFill16(W); break;
    case Op::Zero:
      W.MovMI32(B(S.Out), 0);
      W.MovMI32(B(S.Out + 4), 0);
      break;
    case Op::Copy:
      if (S.Mmx) {
        W.MovqMmM(0, B(S.A));
        W.MovqMMm(B(S.Out), 0);
      } else {
        W.MovRM32(RCX, B(S.A));
        W.MovMR32(B(S.Out), RCX);
        W.MovRM32(RCX, B(S.A + 4));
        W.MovMR32(B(S.Out + 4), RCX);
      }
      break;
    case Op::StoreImm:
      W.MovMI32(B(S.Out), S.Imm);
      W.MovMI32(B(S.Out + 4), S.Imm2);
      break;
    case Op::PackedAdd:
    case Op::PackedSub:
      W.MovqMmM(0, B(S.A));
      W.MmxOpM(S.Op == Op::PackedAdd ? 0xDD : 0xD9, 0, B(S.B));  // paddusw / psubusw
      W.MovqMMm(B(S.Out), 0);
      break;
    case Op::PackedMul:
      W.MovqMmM(0, B(S.A));
      W.MmxShiftI(2, 0, 1);  // psrlw mm0, 1
      W.MovqMmM(1, B(S.B));
      W.MmxShiftI(2, 1, 1);
      W.MmxOpRR(0xE5, 0, 1);  // pmulhw mm0, mm1
      W.MmxShiftI(6, 0, 2);   // psllw mm0, 2
      W.MovqMMm(B(S.Out), 0);
      break;
    case Op::AddClamp:
      W.MovzxB(RCX, B(S.A + High(S.Chan)));
      W.MovzxB(RDX, B(S.B + High(S.Chan)));
      W.AluRR(Add, RCX, RDX);
      W.MovRM64(R9, B(STATE(AddClamp)));
      W.MovzxB(RCX, MemIdx(R9, RCX, 1));
      W.MovMR8(B(S.Out + High(S.Chan)), RCX);
      break;
    case Op::AddClampConst:
      W.MovzxB(RCX, B(S.A + High(S.Chan)));
      W.MovRM64(R9, B(STATE(AddClamp)));
      W.MovzxB(RCX, MemIdx(R9, RCX, 1, static_cast<std::int32_t>(S.Imm)));
      W.MovMR8(B(S.Out + High(S.Chan)), RCX);
      break;
    case Op::SubClamp:
    case Op::ConstSubClamp:
      if (S.Op == Op::SubClamp)
        W.MovzxB(RCX, B(S.A + High(S.Chan)));
      else
        W.MovRI32(RCX, S.Imm);
      W.MovzxB(RDX, B(S.B + High(S.Chan)));
      W.AluRR(Sub, RCX, RDX);
      W.MovsxdRR(RCX, RCX);
      W.MovRM64(R9, B(STATE(SubClampCentre)));
      W.MovzxB(RCX, MemIdx(R9, RCX, 1));
      W.MovMR8(B(S.Out + High(S.Chan)), RCX);
      break;
    case Op::SubClampConst:
      W.MovzxB(RCX, B(S.A + High(S.Chan)));
      W.MovRM64(R9, B(STATE(SubClampCentre)));
      W.MovzxB(RCX, MemIdx(R9, RCX, 1, -static_cast<std::int32_t>(S.Imm)));
      W.MovMR8(B(S.Out + High(S.Chan)), RCX);
      break;
    case Op::MulChan:
      W.MovzxB(RCX, B(S.A + High(S.Chan)));
      W.MovzxB(RDX, B(S.B + High(S.Chan)));
      W.ImulRR(RCX, RDX);
      W.ShiftRI(Shr, RCX, 8);
      W.MovMR8(B(S.Out + High(S.Chan)), RCX);
      break;
    case Op::PremulPair:
      EmitPairSpread(W, RCX, S.A + 4 * S.Chan);
      W.MovzxB(RDX, B(S.A + 7));
      W.ImulRR(RCX, RDX);
      W.MovMR32(B(S.Out + 4 * S.Chan), RCX);
      break;
    case Op::ScaleChan:
      W.MovzxB(RCX, B(S.A + High(S.Chan)));
      W.MovzxB(RDX, B(S.A + 7));
      W.ImulRR(RCX, RDX);
      W.ShiftRI(Shr, RCX, 8);
      W.MovMR8(B(S.Out + High(S.Chan)), RCX);
      break;
    case Op::AddAlphaChan:
    case Op::SubAlphaChan:
      W.MovzxB(RCX, B(S.A + High(S.Chan)));
      W.MovzxB(RDX, B(S.A + 7));
      W.ImulRR(RCX, RDX);
      W.ShiftRI(Shr, RCX, 8);
      W.MovzxB(RDX, B(S.B + High(S.Chan)));
      if (S.Op == Op::AddAlphaChan) {
        W.AluRR(Add, RCX, RDX);
        W.MovRM64(R9, B(STATE(AddClamp)));
      } else {
        W.AluRR(Sub, RDX, RCX);
        W.MovsxdRR(RCX, RDX);
        W.MovRM64(R9, B(STATE(SubClampCentre)));
      }
      W.MovzxB(RCX, MemIdx(R9, RCX, 1));
      W.MovMR8(B(S.Out + High(S.Chan)), RCX);
      break;
    case Op::AlphaPair:
      LoadAlphaWeight(W, S, R10);
      W.MovRI32(R11, 255);
      W.AluRR(Sub, R11, R10);
      EmitPairSpread(W, RCX, S.A + 4 * S.Chan);
      W.ImulRR(RCX, R10);
      EmitPairSpread(W, RDX, S.B + 4 * S.Chan);
      W.ImulRR(RDX, R11);
      W.AluRR(Add, RCX, RDX);
      W.MovMR32(B(S.Out + 4 * S.Chan), RCX);
      break;
    case Op::AlphaChan:
      LoadAlphaWeight(W, S, R10);
      W.MovzxB(RCX, B(S.A + High(S.Chan)));
      W.MovzxB(RDX, B(S.B + High(S.Chan)));
      W.AluRR(Sub, RCX, RDX);
      W.ImulRR(RCX, R10);
      W.ShiftRI(Sar, RCX, 8);
      W.AluRR(Add, RCX, RDX);
      W.MovMR8(B(S.Out + High(S.Chan)), RCX);
      break;
    case Op::CopyWord:
      W.MovzxW(RCX, B(S.A + 2 * S.Chan));
      W.MovMR16(B(S.Out + 2 * S.Chan), RCX);
      break;
    case Op::CopyHigh:
      W.MovzxB(RCX, B(S.A + High(S.Chan)));
      W.MovMR8(B(S.Out + High(S.Chan)), RCX);
      break;
  }
}
