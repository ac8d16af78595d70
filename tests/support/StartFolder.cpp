#include "tests/support/StartFolder.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Files.h"
#include "world/WorldFiles.h"

namespace fs = std::filesystem;

namespace {

void PutLE(std::vector<std::uint8_t>& Out, std::uint32_t V, int Bytes) {
  for (int i = 0; i < Bytes; ++i) Out.push_back(static_cast<std::uint8_t>(V >> (8 * i)));
}

void PutBE(std::vector<std::uint8_t>& Out, std::uint32_t V, int Bytes) {
  for (int i = Bytes - 1; i >= 0; --i) Out.push_back(static_cast<std::uint8_t>(V >> (8 * i)));
}

}  // namespace

TTempStartFolder::TTempStartFolder() {
  std::string templ = (fs::temp_directory_path() / "brask_start_XXXXXX").string();
  if (!::mkdtemp(templ.data())) throw std::runtime_error("cannot make a temporary start folder");
  FSavedDir = GetCurrentDir();
  FHostPath = fs::canonical(templ).string();
  FPath = Utf8ToCp1250(FHostPath);
  if (!SetCurrentDir(FPath)) throw std::runtime_error("cannot enter the temporary start folder");
}

TTempStartFolder::~TTempStartFolder() {
  SetCurrentDir(FSavedDir);
  std::error_code ec;
  fs::remove_all(fs::path(FHostPath), ec);
}

std::string TTempStartFolder::PathOf(const std::string& RelPath) const { return FPath + "\\" + RelPath; }

std::string TTempStartFolder::Prepare(const std::string& RelPath) const {
  fs::path host = fs::path(FHostPath) / fs::path(LiteralHostFileName(RelPath));
  if (host.has_parent_path()) fs::create_directories(host.parent_path());
  return host.string();
}

void TTempStartFolder::AddFolder(const std::string& RelDir) {
  fs::create_directories(fs::path(FHostPath) / fs::path(LiteralHostFileName(RelDir)));
}

void TTempStartFolder::AddCopyOf(const std::string& HostFolder) {
  fs::copy(fs::path(HostFolder), fs::path(FHostPath),
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

void TTempStartFolder::AddFile(const std::string& RelPath, const std::vector<std::uint8_t>& Bytes) {
  std::ofstream f(Prepare(RelPath), std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + Cp1250ToUtf8(RelPath));
}

void TTempStartFolder::AddUnitType(const std::string& RelDir, const std::string& FileName, const TUnitType& Type) {
  AddFolder(RelDir);
  WriteUnitTypeFile(PathOf(RelDir + "\\" + FileName), Type);
}

void TTempStartFolder::AddBuildingType(const std::string& RelDir, const std::string& FileName,
                                       const TBuildingType& Type) {
  AddFolder(RelDir);
  WriteBuildingTypeFile(PathOf(RelDir + "\\" + FileName), Type);
}

void TTempStartFolder::AddMap(const std::string& RelPath, const TMapFile& Map) {
  Prepare(RelPath);
  WriteMapFile(PathOf(RelPath), Map);
}

void TTempStartFolder::AddBitmap(const std::string& RelPath, int Width, int Height, std::uint32_t Colour) {
  AddFile(RelPath, BitmapBytes(Width, Height, Colour));
}

void TTempStartFolder::AddMidi(const std::string& RelPath) { AddFile(RelPath, MidiBytes()); }

std::vector<std::uint8_t> TTempStartFolder::BitmapBytes(int Width, int Height, std::uint32_t Colour) {
  const std::uint32_t w = static_cast<std::uint32_t>(Width), h = static_cast<std::uint32_t>(Height);
  const std::uint32_t stride = (w * 3 + 3) & ~3u;
  const std::uint32_t pixels = stride * h;
  std::vector<std::uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  PutLE(b, 14 + 40 + pixels, 4);  // file size
  PutLE(b, 0, 4);                 // reserved
  PutLE(b, 14 + 40, 4);           // offset of the pixels
  PutLE(b, 40, 4);                // info header size
  PutLE(b, w, 4);
  PutLE(b, h, 4);   // positive: rows bottom-up
  PutLE(b, 1, 2);   // planes
  PutLE(b, 24, 2);  // bits per pixel
  PutLE(b, 0, 4);   // no compression
  PutLE(b, pixels, 4);
  PutLE(b, 2835, 4);  // 72 dpi
  PutLE(b, 2835, 4);
  PutLE(b, 0, 4);
  PutLE(b, 0, 4);
  const std::uint8_t red = Colour & 0xFF, green = (Colour >> 8) & 0xFF, blue = (Colour >> 16) & 0xFF;
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      b.push_back(blue);
      b.push_back(green);
      b.push_back(red);
    }
    for (std::uint32_t pad = w * 3; pad < stride; ++pad) b.push_back(0);
  }
  return b;
}

std::vector<std::uint8_t> TTempStartFolder::MidiBytes() {
  // Header: format 0, one track, 96 ticks a quarter note.
  std::vector<std::uint8_t> m = {'M', 'T', 'h', 'd'};
  PutBE(m, 6, 4);
  PutBE(m, 0, 2);
  PutBE(m, 1, 2);
  PutBE(m, 96, 2);
  const std::vector<std::uint8_t> track = {
      0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // tempo: 500000 us a quarter note
      0x00, 0xC0, 0x00,                          // program change: piano
      0x00, 0x90, 0x3C, 0x64,                    // note on: middle C
      0x60, 0x80, 0x3C, 0x40,                    // a quarter later: note off
      0x00, 0xFF, 0x2F, 0x00,                    // end of track
  };
  m.insert(m.end(), {'M', 'T', 'r', 'k'});
  PutBE(m, static_cast<std::uint32_t>(track.size()), 4);
  m.insert(m.end(), track.begin(), track.end());
  return m;
}
