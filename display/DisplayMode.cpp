#include "display/DisplayMode.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/rtl/Format.h"

namespace {

bool AcceptedBitCount(int Value) { return Value == 8 || Value == 16 || Value == 24 || Value == 32; }

}  // namespace

// Adds one mode per reported description and asks for the next.
HRESULT TDXDrawDisplay::AddDisplayMode(DDSURFACEDESC* Desc, void* Context) {
  auto* mode = static_cast<TDXDrawDisplayMode*>(static_cast<TCollection*>(Context)->Add());
  mode->FSurfaceDesc = *Desc;
  return DDENUMRET_OK;
}

TDXDrawDisplay::TDXDrawDisplay(TDXDrawDisplayOwner* ADXDraw)
    : FDXDraw(ADXDraw), FModes(CollectionItemClassOf<TDXDrawDisplayMode>(), this) {}

TDXDrawDisplay::~TDXDrawDisplay() = default;

void TDXDrawDisplay::Assign(const TPersistent* Source) {
  auto* other = dynamic_cast<const TDXDrawDisplay*>(Source);
  if (!other) {
    TPersistent::Assign(Source);
    return;
  }
  if (other == this) return;
  FBitCount = other->FBitCount;
  FHeight = other->FHeight;
  FWidth = other->FWidth;
  FFixedBitCount = other->FFixedBitCount;
  FFixedRatio = other->FFixedRatio;
  FFixedSize = other->FFixedSize;
}

void TDXDrawDisplay::GetProperties(TPropertyList& List) {
  TPersistent::GetProperties(List);
  List.Integer(
      "BitCount", [this] { return BitCount(); }, [this](std::int64_t v) { SetBitCount(int(v)); }, 8);
  List.Integer(
      "Height", [this] { return Height(); }, [this](std::int64_t v) { SetHeight(int(v)); }, 480);
  List.Integer(
      "Width", [this] { return Width(); }, [this](std::int64_t v) { SetWidth(int(v)); }, 640);
  List.Boolean(
      "FixedBitCount", [this] { return FixedBitCount(); }, [this](bool v) { SetFixedBitCount(v); });
  List.Boolean(
      "FixedRatio", [this] { return FixedRatio(); }, [this](bool v) { SetFixedRatio(v); });
  List.Boolean(
      "FixedSize", [this] { return FixedSize(); }, [this](bool v) { SetFixedSize(v); });
}

int TDXDrawDisplay::Count() {
  if (FModes.Count() == 0) LoadDisplayModes();
  return FModes.Count();
}

TDXDrawDisplayMode* TDXDrawDisplay::Modes(int Index) {
  if (FModes.Count() == 0) LoadDisplayModes();
  return static_cast<TDXDrawDisplayMode*>(FModes.Items(Index));
}

int TDXDrawDisplay::IndexOf(int Width, int Height, int BitCount) {
  const int n = Count();
  for (int i = 0; i < n; ++i) {
    const TDXDrawDisplayMode* mode = Modes(i);
    if (mode->Width() == Width && mode->Height() == Height && mode->BitCount() == BitCount) return i;
  }
  return -1;
}

void TDXDrawDisplay::LoadDisplayModes() {
  FModes.Clear();
  if (TDirectDraw* dd = FDXDraw ? FDXDraw->DDraw() : nullptr) {
    dd->Check(dd->DrawIntf()->EnumDisplayModes(0, nullptr, &FModes, &AddDisplayMode));
  } else {
    const TDriverGUID driver = FDXDraw ? FDXDraw->DriverGUID() : TDriverGUID();
    auto temporary = std::make_unique<TDirectDraw>(driver);
    temporary->Check(temporary->DrawIntf()->EnumDisplayModes(0, nullptr, &FModes, &AddDisplayMode));
  }
  std::vector<TDXDrawDisplayMode*> sorted;
  for (int i = 0; i < FModes.Count(); ++i) sorted.push_back(static_cast<TDXDrawDisplayMode*>(FModes.Items(i)));
  std::stable_sort(sorted.begin(), sorted.end(), [](const TDXDrawDisplayMode* a, const TDXDrawDisplayMode* b) {
    if (a->Width() != b->Width()) return a->Width() < b->Width();
    if (a->Height() != b->Height()) return a->Height() < b->Height();
    return a->BitCount() < b->BitCount();
  });
  // Placed from the last position to the first, each move leaves the
  // positions already placed as they are.
  for (int i = static_cast<int>(sorted.size()) - 1; i >= 0; --i) sorted[static_cast<size_t>(i)]->SetIndex(i);
}

bool TDXDrawDisplay::SetSize(int AWidth, int AHeight, int ABitCount) {
  TDirectDraw* dd = FDXDraw ? FDXDraw->DDraw() : nullptr;
  if (!dd) return false;
  dd->Check(dd->DrawIntf()->SetDisplayMode(static_cast<DWORD>(AWidth), static_cast<DWORD>(AHeight),
                                           static_cast<DWORD>(ABitCount)));
  if (dd->LastResult() != 0) return false;
  FWidth = AWidth;
  FHeight = AHeight;
  FBitCount = ABitCount;
  return true;
}

bool TDXDrawDisplay::Search(bool Ratio, int AWidth, int AHeight, int ABitCount) {
  int bestWidth = INT32_MAX, bestHeight = INT32_MAX, bestBitCount = ABitCount;
  bool found = false;
  const int n = Count();
  for (int i = 0; i < n; ++i) {
    const TDXDrawDisplayMode* mode = Modes(i);
    const int w = mode->Width(), h = mode->Height(), bits = mode->BitCount();
    if (w > bestWidth || h > bestHeight) continue;
    // The same ratio: AWidth / AHeight = w / h, compared exactly.
    if (Ratio && std::int64_t{AWidth} * h != std::int64_t{w} * AHeight) continue;
    if (FFixedSize ? (w != AWidth || h != AHeight) : (w < AWidth || h < AHeight)) continue;
    if (FFixedBitCount ? bits != ABitCount : !(bits >= ABitCount || (bits >= 9 && ABitCount >= 9))) continue;
    bestWidth = w;
    bestHeight = h;
    bestBitCount = bits;
    found = true;
  }
  if (!found) return false;
  if (bestBitCount != ABitCount && IndexOf(bestWidth, bestHeight, ABitCount) != -1) bestBitCount = ABitCount;
  return SetSize(bestWidth, bestHeight, bestBitCount);
}

bool TDXDrawDisplay::SetSizeBestFit(int AWidth, int AHeight, int ABitCount) {
  if (AWidth <= 0 || AHeight <= 0 || !AcceptedBitCount(ABitCount)) return false;
  if (SetSize(AWidth, AHeight, ABitCount)) return true;
  if (FFixedRatio && Search(true, AWidth, AHeight, ABitCount)) return true;
  return Search(false, AWidth, AHeight, ABitCount);
}

void TDXDrawDisplay::SetBitCount(int Value) {
  if (!AcceptedBitCount(Value)) throw EDirectDrawError("It should be either of 8 or 16 or 24 or 32");
  FBitCount = Value;
}
