// A program's start folder for one test: a fresh temporary folder made the
// current directory (the programs take their data paths from it), filled with
// the data subfolders, type files, pictures, music and maps the test needs.
// Destroying it makes the old current directory current again and removes the
// folder with everything in it.
//
// Relative paths are the programs' own: windows-1250, with "\" or "/" between
// folders; missing folders on the way are made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "world/MapFile.h"
#include "world/Records.h"

class TTempStartFolder {
 public:
  TTempStartFolder();
  ~TTempStartFolder();
  TTempStartFolder(const TTempStartFolder&) = delete;
  TTempStartFolder& operator=(const TTempStartFolder&) = delete;

  // The folder as the program sees it: absolute, windows-1250, as
  // GetCurrentDir reports it while the folder is current.
  const std::string& Path() const { return FPath; }
  // Path() + "\" + RelPath, as a program builds its data paths.
  std::string PathOf(const std::string& RelPath) const;

  void AddFolder(const std::string& RelDir);
  // Everything in HostFolder (a host path, UTF-8), folders included, as a
  // build's own start folder holds it.
  void AddCopyOf(const std::string& HostFolder);
  void AddFile(const std::string& RelPath, const std::vector<std::uint8_t>& Bytes);
  // Type files through the world's own writers (one record each).
  void AddUnitType(const std::string& RelDir, const std::string& FileName, const TUnitType& Type);
  void AddBuildingType(const std::string& RelDir, const std::string& FileName, const TBuildingType& Type);
  void AddMap(const std::string& RelPath, const TMapFile& Map);
  // A 24-bit bottom-up BMP file of one colour (0x00BBGGRR, as TColor).
  void AddBitmap(const std::string& RelPath, int Width, int Height, std::uint32_t Colour);
  // A format-0 MIDI file with one track: a piano playing one note for a beat.
  void AddMidi(const std::string& RelPath);

  // The bytes AddBitmap and AddMidi write.
  static std::vector<std::uint8_t> BitmapBytes(int Width, int Height, std::uint32_t Colour);
  static std::vector<std::uint8_t> MidiBytes();

 private:
  // The host path of a relative path, its folders made.
  std::string Prepare(const std::string& RelPath) const;

  std::string FPath;      // windows-1250
  std::string FHostPath;  // UTF-8
  std::string FSavedDir;  // windows-1250
};
