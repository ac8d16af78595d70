// The portable interpreter of a compiled routine: one step of the routine per
// emitter, on the same data block the generated code addresses.

#include <cstdint>
#include <cstring>

#include "render/RenderMachine.h"

namespace {

using Op = TRenderStepOp;

struct TInterp {
  BYTE* S;               // data block
  DWORD P = 0;           // pixel value
  std::uintptr_t D = 0;  // destination pointer
  int Count = 0;
  std::int64_t FlagL = 0, FlagR = 0;

  BYTE& Hb(int off, int c) { return S[off + 2 * c + 1]; }
  DWORD Get32(int off) {
    DWORD v;
    std::memcpy(&v, S + off, 4);
    return v;
  }
  void Put32(int off, DWORD v) { std::memcpy(S + off, &v, 4); }
  WORD Get16(int off) {
    WORD v;
    std::memcpy(&v, S + off, 2);
    return v;
  }
  void Put16(int off, WORD v) { std::memcpy(S + off, &v, 2); }
  template <typename T>
  T Field(std::size_t off) {
    T v;
    std::memcpy(&v, S + off, sizeof v);
    return v;
  }
  BYTE* At(std::uintptr_t a) { return reinterpret_cast<BYTE*>(a); }

  bool Branch(int cond) const {
    switch (cond) {
      case 1: return FlagL < FlagR;
      case 2: return FlagL == FlagR;
      case 3: return FlagL <= FlagR;
      case 4: return FlagL > FlagR;
      case 5: return FlagL != FlagR;
      case 6: return FlagL >= FlagR;
      case 7: return true;
      default: return false;
    }
  }

  static BYTE MaskShift(DWORD p, const TRenderChannel& ch) {
    const DWORD v = p & ch.Mask;
    return static_cast<BYTE>(ch.ShiftRight ? v >> ch.ShiftRight : v << ch.ShiftLeft);
  }

  void Texel(const TRenderStep& s) {
    DWORD col = Get32(s.A) >> 16;
    DWORD row = Get32(s.A + 4) >> 16;
    if (s.Flag) {
      col &= s.Mask;
      row &= s.Mask2;
    }
    if (s.Clamp) {
      if (col > s.MaxCol) col = s.MaxCol;
      if (row > s.MaxRow) row = s.MaxRow;
    }
    const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(Field<BYTE*>(static_cast<std::size_t>(s.Ptr))) +
                                static_cast<std::uintptr_t>(static_cast<std::int64_t>(row) * s.Pitch);
    switch (s.BitCount) {
      case 1: P = (*At(base + col / 8) >> (7 - col % 8)) & 1; break;
      case 2: P = (*At(base + col / 4) >> (6 - 2 * (col % 4))) & 3; break;
      case 4: P = (*At(base + col / 2) >> (4 - 4 * (col % 2))) & 15; break;
      case 8: P = *At(base + col); break;
      case 16: {
        WORD w;
        std::memcpy(&w, At(base + 2 * std::uintptr_t{col}), 2);
        P = w;
        break;
      }
      case 24: {
        const BYTE* t = At(base + 3 * std::uintptr_t{col});
        P = t[0] | (DWORD{t[1]} << 8) | (DWORD{t[2]} << 16);
        break;
      }
      case 32: std::memcpy(&P, At(base + 4 * std::uintptr_t{col}), 4); break;
    }
  }

  void Decode(const TRenderStep& s) {
    if (s.Kind == rkRGB) {
      for (int c = 0; c < 4; ++c) {
        if (!(s.Set & (1 << c))) continue;
        if (s.Ch[c].Mask)
          Hb(s.Out, c) = MaskShift(P, s.Ch[c]);
        else
          Put16(s.Out + 2 * c, s.Def[c]);
      }
      return;
    }
    if (s.Set & rcRGB) {
      if (s.Ch[0].Mask) {
        const DWORD index = MaskShift(P, s.Ch[0]) & 255u;
        const BYTE* pal = reinterpret_cast<const BYTE*>(Field<const PALETTEENTRY*>(static_cast<std::size_t>(s.Ptr)));
        for (int c = 0; c < 3; ++c) Hb(s.Out, c) = pal[4 * index + c];
      } else {
        for (int c = 0; c < 3; ++c) Put16(s.Out + 2 * c, s.Def[c]);
      }
    }
    if (s.Set & rcAlpha) {
      if (s.Ch[1].Mask)
        Hb(s.Out, 3) = MaskShift(P, s.Ch[1]);
      else
        Put16(s.Out + 6, s.Def[3]);
    }
  }

  void Encode(const TRenderStep& s) {
    const LONG x = Field<LONG>(offsetof(TDXRMachineState, X));
    const LONG y = Field<LONG>(offsetof(TDXRMachineState, Y));
    const DWORD p = 2 * (static_cast<DWORD>(x) & 1) + (static_cast<DWORD>(y) & 1);
    P = 0;
    for (int c = 0; c < 4; ++c) {
      const TRenderChannel& ch = s.Ch[c];
      if (!(s.Set & (1 << c)) || !ch.Mask) continue;
      DWORD v = Hb(s.A, c);
      if (s.Flag && ch.Bits < 7) {
        const DWORD f = (v >> (6 - ch.Bits)) & 3;
        v = AddClampTable[v + (DWORD{DitherTable[4 * f + p]} << (8 - ch.Bits))];
      }
      P |= (ch.ShiftRight ? v << ch.ShiftRight : v >> ch.ShiftLeft) & ch.Mask;
    }
  }

  void BilinearMix(const TRenderStep& s) {
    const DWORD fu = S[s.A + 1], fv = S[s.A + 5];
    const int sa = static_cast<int>(offsetof(TDXRMachineState, BilinearScratch.A));
    const int sb = static_cast<int>(offsetof(TDXRMachineState, BilinearScratch.B));
    const int sc = static_cast<int>(offsetof(TDXRMachineState, BilinearScratch.C));
    const int sd = static_cast<int>(offsetof(TDXRMachineState, BilinearScratch.D));
    for (int c = 0; c < 4; ++c) {
      if (!(s.Set & (1 << c))) continue;
      const DWORD top = Hb(sa, c) * (255 - fu) + Hb(sb, c) * fu;
      const DWORD bottom = Hb(sc, c) * (255 - fu) + Hb(sd, c) * fu;
      Hb(s.Out, c) = static_cast<BYTE>((top * (255 - fv) + bottom * fv) >> 16);
    }
  }

  static DWORD PairSpread(DWORD v) { return (v >> 8) & 0x00FF00FFu; }
  DWORD Weight(const TRenderStep& s) { return s.Flag ? 255u - Hb(s.A, 3) : Hb(s.A, 3); }

  void Run(const std::vector<TRenderStep>& steps, int entry);
};

void TInterp::Run(const std::vector<TRenderStep>& steps, int pc) {
  const BYTE* subClamp = SubClampTable + 255;
  for (;;) {
    const TRenderStep& s = steps[static_cast<std::size_t>(pc++)];
    switch (s.Op) {
      case Op::Return: return;
      case Op::Branch:
        if (Branch(s.Cond)) pc = s.Target;
        break;
      case Op::DecCount:
        --Count;
        FlagL = Count;
        FlagR = 0;
        break;
      case Op::DestAddress: {
        const LONG x = Field<LONG>(offsetof(TDXRMachineState, X));
        const LONG y = Field<LONG>(offsetof(TDXRMachineState, Y));
        D = reinterpret_cast<std::uintptr_t>(Field<BYTE*>(offsetof(TDXRMachineState, DestBits))) +
            static_cast<std::uintptr_t>(std::int64_t{y} * s.Pitch + std::int64_t{x} * (s.BitCount / 8));
        break;
      }
      case Op::ReadDest:
        switch (s.BitCount) {
          case 8: P = *At(D); break;
          case 16: {
            WORD w;
            std::memcpy(&w, At(D), 2);
            P = w;
            break;
          }
          case 24: P = At(D)[0] | (DWORD{At(D)[1]} << 8) | (DWORD{At(D)[2]} << 16); break;
          case 32: std::memcpy(&P, At(D), 4); break;
        }
        break;
      case Op::WriteDest:
        switch (s.BitCount) {
          case 8: *At(D) = static_cast<BYTE>(P); break;
          case 16: {
            const WORD w = static_cast<WORD>(P);
            std::memcpy(At(D), &w, 2);
            break;
          }
          case 24:
            At(D)[0] = static_cast<BYTE>(P);
            At(D)[1] = static_cast<BYTE>(P >> 8);
            At(D)[2] = static_cast<BYTE>(P >> 16);
            break;
          case 32: std::memcpy(At(D), &P, 4); break;
        }
        break;
      case Op::AdvanceDest: D += s.Imm; break;
      case Op::Texel: Texel(s); break;
      case Op::KeyTest:
        if (s.Flag) P &= 0x00FFFFFFu;
        FlagL = P & s.Mask;
        FlagR = s.Imm;
        break;
      case Op::Decode: Decode(s); break;
      case Op::Encode: Encode(s); break;
      case Op::AddUV:
        Put32(s.Out, Get32(s.A) + s.Imm);
        Put32(s.Out + 4, Get32(s.A + 4) + s.Imm2);
        break;
      case Op::BilinearMix: BilinearMix(s); break;
      case Op::StepX: Put32(offsetof(TDXRMachineState, X), Get32(offsetof(TDXRMachineState, X)) + 1); break;
      case Op::StepColor:
        for (int i = 0; i < 4; ++i) Put16(s.Out + 2 * i, static_cast<WORD>(Get16(s.Out + 2 * i) + Get16(s.A + 2 * i)));
        break;
      case Op::StepTextureConst:
        Put32(s.Out, Get32(s.Out) + s.Imm);
        Put32(s.Out + 4, Get32(s.Out + 4) + s.Imm2);
        break;
      case Op::StepTexture:
        Put32(s.Out, Get32(s.Out) + Get32(s.A));
        Put32(s.Out + 4, Get32(s.Out + 4) + Get32(s.A + 4));
        break;
      case Op::Fill32:
        for (int i = 0; i < Count; ++i) std::memcpy(At(D + 4 * static_cast<std::uintptr_t>(i)), &P, 4);
        return;
      case Op::Fill16: {
        const WORD w = static_cast<WORD>(P);
        for (int i = 0; i < Count; ++i) std::memcpy(At(D + 2 * static_cast<std::uintptr_t>(i)), &w, 2);
        return;
      }
      case Op::Zero:
        Put32(s.Out, 0);
        Put32(s.Out + 4, 0);
        break;
      case Op::Copy: {
        BYTE tmp[8];
        std::memcpy(tmp, S + s.A, 8);
        std::memcpy(S + s.Out, tmp, 8);
        break;
      }
      case Op::StoreImm:
        Put32(s.Out, s.Imm);
        Put32(s.Out + 4, s.Imm2);
        break;
      case Op::PackedAdd:
      case Op::PackedSub:
      case Op::PackedMul: {
        WORD r[4];
        for (int i = 0; i < 4; ++i) {
          const DWORD x = Get16(s.A + 2 * i), y = Get16(s.B + 2 * i);
          DWORD v;
          if (s.Op == Op::PackedAdd)
            v = x + y > 0xFFFF ? 0xFFFF : x + y;
          else if (s.Op == Op::PackedSub)
            v = x > y ? x - y : 0;
          else
            v = (((x >> 1) * (y >> 1)) >> 16) << 2;
          r[i] = static_cast<WORD>(v);
        }
        std::memcpy(S + s.Out, r, 8);
        break;
      }
      case Op::AddClamp: Hb(s.Out, s.Chan) = AddClampTable[Hb(s.A, s.Chan) + Hb(s.B, s.Chan)]; break;
      case Op::AddClampConst: Hb(s.Out, s.Chan) = AddClampTable[Hb(s.A, s.Chan) + s.Imm]; break;
      case Op::SubClamp: Hb(s.Out, s.Chan) = subClamp[int{Hb(s.A, s.Chan)} - int{Hb(s.B, s.Chan)}]; break;
      case Op::ConstSubClamp: Hb(s.Out, s.Chan) = subClamp[static_cast<int>(s.Imm) - int{Hb(s.B, s.Chan)}]; break;
      case Op::SubClampConst: Hb(s.Out, s.Chan) = subClamp[int{Hb(s.A, s.Chan)} - static_cast<int>(s.Imm)]; break;
      case Op::MulChan: Hb(s.Out, s.Chan) = static_cast<BYTE>((DWORD{Hb(s.A, s.Chan)} * Hb(s.B, s.Chan)) >> 8); break;
      case Op::PremulPair: Put32(s.Out + 4 * s.Chan, PairSpread(Get32(s.A + 4 * s.Chan)) * Hb(s.A, 3)); break;
      case Op::ScaleChan: Hb(s.Out, s.Chan) = static_cast<BYTE>((DWORD{Hb(s.A, s.Chan)} * Hb(s.A, 3)) >> 8); break;
      case Op::AddAlphaChan:
        Hb(s.Out, s.Chan) = AddClampTable[Hb(s.B, s.Chan) + ((DWORD{Hb(s.A, s.Chan)} * Hb(s.A, 3)) >> 8)];
        break;
      case Op::SubAlphaChan:
        Hb(s.Out, s.Chan) =
            subClamp[int{Hb(s.B, s.Chan)} - static_cast<int>((DWORD{Hb(s.A, s.Chan)} * Hb(s.A, 3)) >> 8)];
        break;
      case Op::AlphaPair: {
        const DWORD w = Weight(s);
        Put32(s.Out + 4 * s.Chan,
              PairSpread(Get32(s.A + 4 * s.Chan)) * w + PairSpread(Get32(s.B + 4 * s.Chan)) * (255 - w));
        break;
      }
      case Op::AlphaChan: {
        const int w = static_cast<int>(Weight(s));
        const int x = Hb(s.A, s.Chan), y = Hb(s.B, s.Chan);
        // arithmetic shift: floor of the scaled signed difference
        const int scaled = (x - y) * w;
        Hb(s.Out, s.Chan) = static_cast<BYTE>(y + (scaled >= 0 ? scaled / 256 : -((-scaled + 255) / 256)));
        break;
      }
      case Op::CopyWord: Put16(s.Out + 2 * s.Chan, Get16(s.A + 2 * s.Chan)); break;
      case Op::CopyHigh: Hb(s.Out, s.Chan) = Hb(s.A, s.Chan); break;
    }
  }
}

}  // namespace

void InterpretRoutine(TDXRMachine& Machine, int Count) {
  if (Count <= 0 || Machine.EntryStep < 0) return;
  TInterp in;
  in.S = reinterpret_cast<BYTE*>(static_cast<TDXRMachineState*>(&Machine));
  in.Count = Count;
  in.Run(Machine.Steps, Machine.EntryStep);
}
