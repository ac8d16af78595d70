#include "input_sound/Keyboard.h"

#include <cstring>

#include "platform/rtl/Streams.h"
#include "platform/toolkit/Filer.h"
#include "platform/win/KeyState.h"

// ---- Key assignments ----

void SetKeyAssign(TKeyAssignTable& Table, TInputState State, std::initializer_list<std::int32_t> Keys) {
  TKeyAssign& row = Table[static_cast<size_t>(State)];
  row = TKeyAssign{};
  size_t slot = 0;
  for (std::int32_t key : Keys) {
    if (slot >= row.size()) break;
    row[slot++] = key;
  }
}

void DefaultKeyAssigns(TKeyAssignTable& Table) {
  Table = TKeyAssignTable{};
  SetKeyAssign(Table, stUp, {'K', VK_UP, VK_NUMPAD0 + 8});
  SetKeyAssign(Table, stDown, {'J', VK_DOWN, VK_NUMPAD0 + 2});
  SetKeyAssign(Table, stLeft, {'H', VK_LEFT, VK_NUMPAD0 + 4});
  SetKeyAssign(Table, stRight, {'L', VK_RIGHT, VK_NUMPAD0 + 6});
  SetKeyAssign(Table, stButton1, {'Z', VK_SPACE});
  SetKeyAssign(Table, stButton2, {'X', VK_RETURN});
  SetKeyAssign(Table, stButton9, {VK_F1 + 1});
}

void WriteKeyAssignTable(TStream* Stream, const TKeyAssignTable& Table) {
  BYTE bytes[KeyAssignTableSize];
  size_t at = 0;
  for (const TKeyAssign& row : Table)
    for (std::int32_t code : row) {
      auto v = static_cast<std::uint32_t>(code);
      for (int b = 0; b < 4; ++b) bytes[at++] = static_cast<BYTE>(v >> (8 * b));
    }
  Stream->WriteBuffer(bytes, KeyAssignTableSize);
}

void ReadKeyAssignTable(TStream* Stream, TKeyAssignTable& Table) {
  BYTE bytes[KeyAssignTableSize];
  Stream->ReadBuffer(bytes, KeyAssignTableSize);
  size_t at = 0;
  for (TKeyAssign& row : Table)
    for (std::int32_t& code : row) {
      std::uint32_t v = 0;
      for (int b = 0; b < 4; ++b) v |= static_cast<std::uint32_t>(bytes[at++]) << (8 * b);
      code = static_cast<std::int32_t>(v);
    }
}

// ---- Scan codes ----

namespace {

struct TScanTable {
  BYTE VK[256];
};

constexpr TScanTable MakeScanTable() {
  TScanTable t{};
  auto one = [&](int scan, int vk) { t.VK[scan] = static_cast<BYTE>(vk); };
  auto range = [&](int from, int to, int vk) {
    for (int s = from; s <= to; ++s) t.VK[s] = static_cast<BYTE>(vk + (s - from));
  };
  one(0x01, 0x1B);
  range(0x02, 0x0A, 0x31);
  one(0x0B, 0x30);
  one(0x0D, 0x3D);
  range(0x0E, 0x0F, 0x08);
  one(0x10, 0x51);
  one(0x11, 0x57);
  one(0x12, 0x45);
  one(0x13, 0x52);
  one(0x14, 0x54);
  one(0x15, 0x59);
  one(0x16, 0x55);
  one(0x17, 0x49);
  range(0x18, 0x19, 0x4F);
  one(0x1A, 0x5B);
  one(0x1B, 0x5D);
  one(0x1C, 0x0D);
  one(0x1D, 0x11);
  one(0x1E, 0x41);
  one(0x1F, 0x53);
  one(0x20, 0x44);
  range(0x21, 0x23, 0x46);
  range(0x24, 0x26, 0x4A);
  one(0x27, 0x3B);
  one(0x28, 0x27);
  one(0x2A, 0x10);
  one(0x2B, 0x5C);
  one(0x2C, 0x5A);
  one(0x2D, 0x58);
  one(0x2E, 0x43);
  one(0x2F, 0x56);
  one(0x30, 0x42);
  one(0x31, 0x4E);
  one(0x32, 0x4D);
  one(0x33, 0x2C);
  range(0x34, 0x35, 0x2E);
  one(0x36, 0x10);
  one(0x37, 0x2A);
  one(0x38, 0x12);
  one(0x39, 0x20);
  one(0x3A, 0x14);
  range(0x3B, 0x44, 0x70);
  range(0x45, 0x46, 0x90);
  range(0x47, 0x49, 0x67);
  one(0x4A, 0x6D);
  range(0x4B, 0x4D, 0x64);
  one(0x4E, 0x6B);
  range(0x4F, 0x51, 0x61);
  one(0x52, 0x60);
  one(0x53, 0x6E);
  range(0x57, 0x58, 0x7A);
  one(0x9C, 0x0D);
  one(0x9D, 0x11);
  one(0xB5, 0x6F);
  one(0xB8, 0x12);
  one(0xC7, 0x24);
  one(0xC8, 0x26);
  one(0xC9, 0x21);
  one(0xCB, 0x25);
  one(0xCD, 0x27);
  one(0xCF, 0x23);
  one(0xD0, 0x28);
  one(0xD1, 0x22);
  range(0xD2, 0xD3, 0x2D);
  range(0xDB, 0xDD, 0x5B);
  return t;
}

constexpr TScanTable ScanTable = MakeScanTable();

}  // namespace

BYTE DIKToVK(BYTE ScanCode) { return ScanTable.VK[ScanCode]; }

// ---- TKeyboard ----

TKeyboard::TKeyboard(TCustomDXInput* AOwner) : TCustomInput(AOwner) { DefaultKeyAssigns(Assigns); }

TKeyboard::~TKeyboard() { TKeyboard::Finalize(); }

bool TKeyboard::Keys(int Code) const {
  return Code >= 1 && Code <= 255 && (FKeyState[static_cast<size_t>(Code)] & 0x80) != 0;
}

void TKeyboard::Finalize() {
  FKeyState.fill(0);
  TCustomInput::Finalize();
}

void TKeyboard::Initialize() {
  Finalize();
  if (!Enabled() || DXInput()->IsDesigning()) return;
  if (IDirectInputA* di = DXInput()->DInput()) {
    if (di->CreateDevice(GUID_SysKeyboard, &FDevice, nullptr) != DI_OK) {
      FDevice = nullptr;
      return;
    }
    FDevice->SetDataFormat(&c_dfDIKeyboard);
  }
  FButtonCount = 32;
  TCustomInput::Initialize();
}

void TKeyboard::Update() {
  FKeyState.fill(0);
  FStates = TInputStates();
  if (!FInitialized) return;
  if (ActiveOnlyBlocks()) return;
  if (FDevice) {
    BYTE keys[256];
    if (GetDeviceState(sizeof(keys), keys)) {
      for (int i = 0; i < 256; ++i)
        if (keys[i] & 0x80) FKeyState[DIKToVK(static_cast<BYTE>(i))] = 128;
    }
  } else {
    GetKeyboardState(FKeyState.data());
  }
  for (int n = 0; n < InputStateCount; ++n) {
    for (std::int32_t code : Assigns[static_cast<size_t>(n)]) {
      if (Keys(code)) {
        FStates.Include(static_cast<TInputState>(n));
        break;
      }
    }
  }
}

void TKeyboard::ReadAssigns(TStream* Stream) { ReadKeyAssignTable(Stream, Assigns); }

void TKeyboard::WriteAssigns(TStream* Stream) { WriteKeyAssignTable(Stream, Assigns); }

void TKeyboard::DefineProperties(TFiler* Filer) {
  TCustomInput::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Aissgns", [this](TStream* Stream) { ReadAssigns(Stream); }, nullptr, false);
  Filer->DefineBinaryProperty(
      "Assigns", [this](TStream* Stream) { ReadAssigns(Stream); }, [this](TStream* Stream) { WriteAssigns(Stream); },
      true);
}
