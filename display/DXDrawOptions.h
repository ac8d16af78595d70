// The drawing control's options, its colour table and the 3D slots: what the
// control and the driver that makes its DirectDraw objects both work with.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "display/DirectDrawSurface.h"
#include "display/DriverSelect.h"
#include "platform/ddraw/Direct3D.h"
#include "platform/toolkit/Sets.h"

enum TDXDrawOption {
  doFullScreen,
  doNoWindowChange,
  doAllowReboot,
  doWaitVBlank,
  doAllowPalette256,
  doSystemMemory,
  doStretch,
  doCenter,
  doFlip,
  do3D,
  doDirectX7Mode,
  doRetainedMode,
  doHardware,
  doSelectDriver,
  doZBuffer
};
using TDXDrawOptions = TSet<TDXDrawOption>;

// The set a new control asks for (0x348C).
constexpr TDXDrawOptions DefaultDXDrawOptions{doAllowReboot,  doWaitVBlank, doCenter,
                                              doDirectX7Mode, doHardware,   doSelectDriver};
// The options' stored form: two bytes, bit n for member n.
inline std::uint16_t DXDrawOptionsToWord(TDXDrawOptions Value) { return static_cast<std::uint16_t>(Value.Bits()); }
inline TDXDrawOptions DXDrawOptionsFromWord(std::uint16_t Value) { return TDXDrawOptions::FromBits(Value & 0x7FFF); }

// What the control derives from Options while it is not initialised (Old is
// ignored) or while it is (Old is the current effective set).
TDXDrawOptions EffectiveDXDrawOptions(TDXDrawOptions Requested, bool Initialized, TDXDrawOptions Old);

// A colour table: 256 entries of blue, green, red, reserved.
using TRGBQuads = std::array<RGBQUAD, 256>;

// The 3D interfaces and the z-buffer the 3D set-up fills; the driver's
// Finalize releases them.
struct TDXDraw3DSlots {
  TDXDraw3DInterfaces Legacy;
  IDirect3D7* D3D7 = nullptr;
  IDirect3DDevice7* D3DDevice7 = nullptr;
  std::unique_ptr<TDirectDrawSurface> ZBuffer;
};
