// The keyboard device: a snapshot of all 256 keys by virtual-key code each
// frame (DirectInput's system keyboard, or the window system's keyboard state
// without DirectInput), turned into raw input states through the key
// assignment table, stored as "Assigns".
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

#include "input_sound/InputDevice.h"

class TStream;

// Up to three virtual-key codes for each input state; a code outside 1 to
// 255 is an empty slot.
using TKeyAssign = std::array<std::int32_t, 3>;
using TKeyAssignTable = std::array<TKeyAssign, InputStateCount>;
// The stored table: the 36 rows of three little-endian 32-bit codes.
constexpr int KeyAssignTableSize = InputStateCount * 3 * 4;
static_assert(KeyAssignTableSize == 432);

// Zeroes the state's row and puts the first three Keys into it.
void SetKeyAssign(TKeyAssignTable& Table, TInputState State, std::initializer_list<std::int32_t> Keys);
// The table both programs use: arrows, numeric pad and H J K L for the
// directions; Z and space, X and Enter, F2 for buttons 1, 2 and 9.
void DefaultKeyAssigns(TKeyAssignTable& Table);

// The virtual-key code of a DirectInput scan code, 0 where none.
BYTE DIKToVK(BYTE ScanCode);

// The table in its stored form and back. Reading takes exactly 432 bytes (a
// shorter stream raises the stream's read error) and leaves the rest.
void WriteKeyAssignTable(TStream* Stream, const TKeyAssignTable& Table);
void ReadKeyAssignTable(TStream* Stream, TKeyAssignTable& Table);

class TKeyboard : public TCustomInput {
 public:
  explicit TKeyboard(TCustomDXInput* AOwner);
  ~TKeyboard() override;

  void Finalize() override;
  void Initialize() override;
  void Update() override;

  // Whether the key with virtual-key code Code (1 to 255) was down this frame.
  bool Keys(int Code) const;

  TKeyAssignTable Assigns;

  void ReadAssigns(TStream* Stream);
  void WriteAssigns(TStream* Stream);

 protected:
  // The binary property "Assigns" (always written) and the older spelling
  // "Aissgns", which is read but never written.
  void DefineProperties(TFiler* Filer) override;

 private:
  std::array<BYTE, 256> FKeyState{};
};
