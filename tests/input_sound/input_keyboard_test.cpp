#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "input_fixture.h"
#include "platform/rtl/Streams.h"
#include "platform/toolkit/Filer.h"

namespace {

using KeyboardDevice = InputFixture;

// Every scan code that has a virtual key, as pairs (scan code, virtual key).
const std::vector<std::pair<int, int>> ScanPairs = {
    {0x01, 0x1B}, {0x02, 0x31}, {0x03, 0x32}, {0x04, 0x33}, {0x05, 0x34}, {0x06, 0x35}, {0x07, 0x36}, {0x08, 0x37},
    {0x09, 0x38}, {0x0A, 0x39}, {0x0B, 0x30}, {0x0D, 0x3D}, {0x0E, 0x08}, {0x0F, 0x09}, {0x10, 0x51}, {0x11, 0x57},
    {0x12, 0x45}, {0x13, 0x52}, {0x14, 0x54}, {0x15, 0x59}, {0x16, 0x55}, {0x17, 0x49}, {0x18, 0x4F}, {0x19, 0x50},
    {0x1A, 0x5B}, {0x1B, 0x5D}, {0x1C, 0x0D}, {0x1D, 0x11}, {0x1E, 0x41}, {0x1F, 0x53}, {0x20, 0x44}, {0x21, 0x46},
    {0x22, 0x47}, {0x23, 0x48}, {0x24, 0x4A}, {0x25, 0x4B}, {0x26, 0x4C}, {0x27, 0x3B}, {0x28, 0x27}, {0x2A, 0x10},
    {0x2B, 0x5C}, {0x2C, 0x5A}, {0x2D, 0x58}, {0x2E, 0x43}, {0x2F, 0x56}, {0x30, 0x42}, {0x31, 0x4E}, {0x32, 0x4D},
    {0x33, 0x2C}, {0x34, 0x2E}, {0x35, 0x2F}, {0x36, 0x10}, {0x37, 0x2A}, {0x38, 0x12}, {0x39, 0x20}, {0x3A, 0x14},
    {0x3B, 0x70}, {0x3C, 0x71}, {0x3D, 0x72}, {0x3E, 0x73}, {0x3F, 0x74}, {0x40, 0x75}, {0x41, 0x76}, {0x42, 0x77},
    {0x43, 0x78}, {0x44, 0x79}, {0x45, 0x90}, {0x46, 0x91}, {0x47, 0x67}, {0x48, 0x68}, {0x49, 0x69}, {0x4A, 0x6D},
    {0x4B, 0x64}, {0x4C, 0x65}, {0x4D, 0x66}, {0x4E, 0x6B}, {0x4F, 0x61}, {0x50, 0x62}, {0x51, 0x63}, {0x52, 0x60},
    {0x53, 0x6E}, {0x57, 0x7A}, {0x58, 0x7B}, {0x9C, 0x0D}, {0x9D, 0x11}, {0xB5, 0x6F}, {0xB8, 0x12}, {0xC7, 0x24},
    {0xC8, 0x26}, {0xC9, 0x21}, {0xCB, 0x25}, {0xCD, 0x27}, {0xCF, 0x23}, {0xD0, 0x28}, {0xD1, 0x22}, {0xD2, 0x2D},
    {0xD3, 0x2E}, {0xDB, 0x5B}, {0xDC, 0x5C}, {0xDD, 0x5D}};

TEST(DIKToVKTable, MapsTheHundredScanCodesAndNothingElse) {
  ASSERT_EQ(ScanPairs.size(), 100u);
  int expected[256] = {};
  for (auto [scan, vk] : ScanPairs) expected[scan] = vk;
  int mapped = 0;
  for (int scan = 0; scan < 256; ++scan) {
    EXPECT_EQ(DIKToVK(static_cast<BYTE>(scan)), expected[scan]) << std::hex << scan;
    if (DIKToVK(static_cast<BYTE>(scan))) ++mapped;
  }
  EXPECT_EQ(mapped, 100);
  for (int unmapped : {0x00, 0x0C, 0x29, 0x54, 0x55, 0x56, 0xB7, 0xC5, 0xFF})
    EXPECT_EQ(DIKToVK(static_cast<BYTE>(unmapped)), 0);
}

TEST(KeyAssignTable, DefaultTableAndItsStoredBytes) {
  TKeyAssignTable table;
  table.fill(TKeyAssign{7, 7, 7});
  DefaultKeyAssigns(table);
  EXPECT_EQ(table[stUp], (TKeyAssign{75, 38, 104}));
  EXPECT_EQ(table[stDown], (TKeyAssign{74, 40, 98}));
  EXPECT_EQ(table[stLeft], (TKeyAssign{72, 37, 100}));
  EXPECT_EQ(table[stRight], (TKeyAssign{76, 39, 102}));
  EXPECT_EQ(table[stButton1], (TKeyAssign{90, 32, 0}));
  EXPECT_EQ(table[stButton2], (TKeyAssign{88, 13, 0}));
  EXPECT_EQ(table[stButton9], (TKeyAssign{113, 0, 0}));
  int used = 0;
  for (const TKeyAssign& row : table)
    for (int code : row) used += code != 0;
  EXPECT_EQ(used, 17);

  SetKeyAssign(table, stButton3, {1, 2, 3, 4});  // extra keys are ignored
  EXPECT_EQ(table[stButton3], (TKeyAssign{1, 2, 3}));
  table[stButton32] = TKeyAssign{-2, 0x12345678, 256};

  TMemoryStream stream;
  WriteKeyAssignTable(&stream, table);
  ASSERT_EQ(stream.Size(), 432);
  const auto* bytes = static_cast<const BYTE*>(stream.Memory());
  EXPECT_EQ(bytes[0], 75);
  EXPECT_EQ(bytes[4], 38);
  EXPECT_EQ(bytes[8], 104);
  EXPECT_EQ(bytes[12], 74);
  EXPECT_EQ(bytes[stButton9 * 12], 113);
  // Row 35: -2 as FE FF FF FF, then 78 56 34 12.
  const BYTE tail[] = {0xFE, 0xFF, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12, 0x00, 0x01, 0x00, 0x00};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(bytes[420 + i], tail[i]) << i;

  TKeyAssignTable back{};
  stream.SetPosition(0);
  ReadKeyAssignTable(&stream, back);
  EXPECT_EQ(back, table);
}

TEST(KeyAssignTable, ReadingTakesExactly432BytesAndAShortValueFails) {
  TKeyAssignTable table;
  DefaultKeyAssigns(table);
  TMemoryStream longer;
  WriteKeyAssignTable(&longer, table);
  const BYTE extra[20] = {9, 9, 9};
  longer.WriteBuffer(extra, sizeof(extra));
  longer.SetPosition(0);
  TKeyAssignTable back{};
  ReadKeyAssignTable(&longer, back);
  EXPECT_EQ(back, table);
  EXPECT_EQ(longer.Position(), 432) << "the extra bytes are left";

  TMemoryStream shorter;
  WriteKeyAssignTable(&shorter, table);
  shorter.SetSize(431);
  shorter.SetPosition(0);
  TKeyAssignTable untouched;
  untouched.fill(TKeyAssign{5, 5, 5});
  EXPECT_THROW(ReadKeyAssignTable(&shorter, untouched), EReadError);
  EXPECT_EQ(untouched[0], (TKeyAssign{5, 5, 5})) << "a failed read changes nothing";
}

TEST_F(KeyboardDevice, ArrowAndApostropheBothGiveVirtualKey27) {
  TDXInput* input = MakeInput(Main);
  TKeyboard* kb = input->Keyboard();
  ASSERT_NE(kb->Device(), nullptr);
  EXPECT_EQ(kb->ButtonCount(), 32);
  for (UINT key : {VK_RIGHT, VK_OEM_7}) {
    Driver->KeyDown(key);
    input->Update();
    EXPECT_TRUE(kb->Keys(0x27)) << key;
    EXPECT_TRUE(kb->States().Contains(stRight)) << key;
    Driver->KeyUp(key);
    input->Update();
    EXPECT_FALSE(kb->States().Contains(stRight)) << key;
  }
}

TEST_F(KeyboardDevice, AnySlotOfARowSetsItsStateAndEmptyCodesNeverMatch) {
  TDXInput* input = MakeInput(Main);
  TKeyboard* kb = input->Keyboard();
  kb->Assigns = TKeyAssignTable{};
  kb->Assigns[stButton4] = TKeyAssign{'Q', 'W', 'E'};
  kb->Assigns[stButton5] = TKeyAssign{0, 256, -1};
  kb->Assigns[stButton6] = TKeyAssign{'A', 0, 0};
  Driver->KeyDown('E');
  Driver->KeyDown(VK_F12);  // a key no row names
  input->Update();
  EXPECT_TRUE(kb->States().Contains(stButton4)) << "third slot";
  EXPECT_FALSE(kb->States().Contains(stButton5));
  EXPECT_FALSE(kb->States().Contains(stButton6));
  EXPECT_FALSE(kb->Keys(0));
  EXPECT_FALSE(kb->Keys(256));
  EXPECT_FALSE(kb->Keys(-1));
  EXPECT_TRUE(kb->Keys('E'));
  EXPECT_TRUE(input->States.Contains(stButton4));
}

TEST_F(KeyboardDevice, WithoutDirectInputOnlyKeysThatAreDownCount) {
  auto* input = new TDXInput(Main);
  input->BeginLoading();
  input->Loaded();
  input->SetUseDirectInput(false);
  TKeyboard* kb = input->Keyboard();
  ASSERT_TRUE(kb->Initialized());
  ASSERT_EQ(kb->Device(), nullptr);
  kb->Assigns[stButton3] = TKeyAssign{VK_CAPITAL, 0, 0};
  Driver->PressKey(VK_CAPITAL);  // Caps Lock now toggled, not down
  BYTE state[256];
  GetKeyboardState(state);
  ASSERT_EQ(state[VK_CAPITAL] & 1, 1);
  input->Update();
  EXPECT_FALSE(kb->States().Contains(stButton3));
  Driver->KeyDown(VK_CAPITAL);
  input->Update();
  EXPECT_TRUE(kb->States().Contains(stButton3));
  Driver->KeyUp(VK_CAPITAL);
  Driver->KeyDown(VK_NUMPAD0 + 8);
  input->Update();
  EXPECT_TRUE(input->States.Contains(stUp));
  Driver->KeyUp(VK_NUMPAD0 + 8);
}

TEST_F(KeyboardDevice, NothingIsReportedWhileAnotherProgramIsInFront) {
  TDXInput* input = MakeInput(Main);
  Driver->KeyDown(VK_SPACE);
  input->Update();
  ASSERT_TRUE(input->States.Contains(stButton1));
  Driver->OtherApplicationActivates();
  KeyStateSetKey(VK_SPACE, 0, true);  // held, as far as the key state knows
  input->Update();
  EXPECT_TRUE(input->Keyboard()->States().Empty());
  EXPECT_FALSE(input->States.Contains(stButton1));
  KeyStateSetKey(VK_SPACE, 0, false);
}

TEST_F(KeyboardDevice, AFailingKeyboardDeviceLeavesTheKeyboardClosed) {
  DInputTest::SetCreateDeviceResult(TDInputDeviceKind::Keyboard, DIERR_OUTOFMEMORY);
  TDXInput* input = MakeInput(Main);
  EXPECT_FALSE(input->Keyboard()->Initialized()) << "no fallback in that case";
  Driver->KeyDown(VK_UP);
  input->Update();
  EXPECT_TRUE(input->States.Empty());
  Driver->KeyUp(VK_UP);
}

TEST_F(KeyboardDevice, ALostKeyboardIsAcquiredAgainOnTheNextRead) {
  TDXInput* input = MakeInput(Main);
  Driver->KeyDown('J');
  input->Update();
  ASSERT_TRUE(input->States.Contains(stDown));
  DInputTest::LoseInput(TDInputDeviceKind::Keyboard);
  input->Update();
  EXPECT_TRUE(input->Keyboard()->States().Contains(stDown));
  Driver->KeyUp('J');
}

}  // namespace

namespace {

using StoredInput = InputFixture;

std::vector<BYTE> Bytes(TMemoryStream& S) { return std::vector<BYTE>(S.Memory(), S.Memory() + S.Size()); }

// Where the property Name starts in a stored property list, or npos.
size_t FindProperty(const std::vector<BYTE>& Data, const std::string& Name) {
  std::vector<BYTE> key;
  key.push_back(static_cast<BYTE>(Name.size()));
  key.insert(key.end(), Name.begin(), Name.end());
  auto it = std::search(Data.begin(), Data.end(), key.begin(), key.end());
  return it == Data.end() ? std::string::npos : static_cast<size_t>(it - Data.begin());
}

void AppendBinary(std::vector<BYTE>& Out, const std::string& Name, const std::vector<BYTE>& Value) {
  Out.push_back(static_cast<BYTE>(Name.size()));
  Out.insert(Out.end(), Name.begin(), Name.end());
  Out.push_back(vaBinary);
  auto n = static_cast<std::uint32_t>(Value.size());
  for (int i = 0; i < 4; ++i) Out.push_back(static_cast<BYTE>(n >> (8 * i)));
  Out.insert(Out.end(), Value.begin(), Value.end());
}

TDXInput* ReadStored(TCustomForm* Form, const std::vector<BYTE>& Data) {
  auto* input = new TDXInput(Form);
  input->BeginLoading();
  TMemoryStream s;
  s.WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size()));
  s.SetPosition(0);
  try {
    ReadPersistentProperties(&s, input);
  } catch (...) {
    input->Free();
    throw;
  }
  input->Loaded();
  return input;
}

TEST_F(StoredInput, TheComponentStoresItsDevicesAssignsAndEffects) {
  TDXInput* input = MakeInput(Main);
  TMemoryStream s;
  WritePersistentProperties(&s, input);
  std::vector<BYTE> data = Bytes(s);
  for (const char* name :
       {"ActiveOnly", "UseDirectInput", "Joystick.BindInputStates", "Joystick.Enabled", "Joystick.ForceFeedback",
        "Joystick.AutoCenter", "Joystick.DeadZoneX", "Joystick.ID", "Joystick.RangeZ", "Joystick.Effects.Effects",
        "Keyboard.Effects.Effects", "Mouse.Effects.Effects", "Mouse.Enabled", "Keyboard.Assigns"})
    EXPECT_NE(FindProperty(data, name), std::string::npos) << name;
  EXPECT_EQ(FindProperty(data, "Keyboard.Aissgns"), std::string::npos) << "the old name is never written";

  size_t at = FindProperty(data, "Keyboard.Assigns");
  ASSERT_NE(at, std::string::npos);
  at += 1 + std::string("Keyboard.Assigns").size();
  ASSERT_EQ(data[at], vaBinary);
  EXPECT_EQ(data[at + 1] | data[at + 2] << 8 | data[at + 3] << 16 | data[at + 4] << 24, 432);
  TKeyAssignTable defaults;
  DefaultKeyAssigns(defaults);
  TMemoryStream table;
  WriteKeyAssignTable(&table, defaults);
  EXPECT_TRUE(std::equal(table.Memory(), table.Memory() + 432, data.begin() + static_cast<std::ptrdiff_t>(at) + 5));

  // Read back into a fresh component.
  input->Keyboard()->Assigns[stButton7] = TKeyAssign{'P', 0, 0};
  input->Joystick()->SetDeadZoneY(20);
  TMemoryStream changed;
  WritePersistentProperties(&changed, input);
  TDXInput* copy = ReadStored(Main, Bytes(changed));
  EXPECT_EQ(copy->Keyboard()->Assigns, input->Keyboard()->Assigns);
  EXPECT_EQ(copy->Joystick()->DeadZoneY(), 20);
  EXPECT_TRUE(copy->Keyboard()->Initialized());
}

TEST_F(StoredInput, AWindowStoredUnderTheOldNameLoadsAndIsSavedUnderAssigns) {
  TKeyAssignTable table{};
  table[stButton3] = TKeyAssign{'Q', 0, 0};
  TMemoryStream t;
  WriteKeyAssignTable(&t, table);
  std::vector<BYTE> data;
  AppendBinary(data, "Keyboard.Aissgns", Bytes(t));
  data.push_back(vaNull);
  TDXInput* input = ReadStored(Main, data);
  EXPECT_EQ(input->Keyboard()->Assigns, table);
  TMemoryStream out;
  WritePersistentProperties(&out, input);
  EXPECT_NE(FindProperty(Bytes(out), "Keyboard.Assigns"), std::string::npos);
  EXPECT_EQ(FindProperty(Bytes(out), "Keyboard.Aissgns"), std::string::npos);
}

TEST_F(StoredInput, AnAssignsValueOfAnyOtherLength) {
  TKeyAssignTable table;
  DefaultKeyAssigns(table);
  table[stButton4] = TKeyAssign{'R', 'T', 0};
  TMemoryStream t;
  WriteKeyAssignTable(&t, table);
  std::vector<BYTE> longer = Bytes(t);
  longer.resize(500, 0x41);
  std::vector<BYTE> data;
  AppendBinary(data, "Keyboard.Assigns", longer);
  data.push_back(vaNull);
  TDXInput* input = ReadStored(Main, data);
  EXPECT_EQ(input->Keyboard()->Assigns, table) << "the bytes past 432 are ignored";

  std::vector<BYTE> whole = Bytes(t);
  std::vector<BYTE> shorter(whole.begin(), whole.begin() + 400);
  std::vector<BYTE> bad;
  AppendBinary(bad, "Keyboard.Assigns", shorter);
  bad.push_back(vaNull);
  EXPECT_THROW(ReadStored(Main, bad), EReadError);
}

}  // namespace
