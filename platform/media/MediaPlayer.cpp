#include "platform/media/MediaPlayer.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/media/MidiPlayback.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Format.h"

namespace {

// Songs are far smaller; a larger file is refused before it is read into memory.
constexpr long MaxMidiFileBytes = 8L * 1024 * 1024;

[[noreturn]] void OpenFailed(const std::string& FileName, const std::string& Why) {
  throw EMCIDeviceError(Format("Cannot open media file \"%s\". %s", FileName, Why));
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& FileName) {
  std::FILE* f = std::fopen(HostFileName(FileName).c_str(), "rb");
  if (!f) OpenFailed(FileName, EInOutError::TextOf(IoErrorFromErrno(errno)));
  std::vector<std::uint8_t> bytes;
  bool failed = std::fseek(f, 0, SEEK_END) != 0;
  const long size = failed ? -1 : std::ftell(f);
  failed = failed || size < 0 || std::fseek(f, 0, SEEK_SET) != 0;
  if (!failed && size > MaxMidiFileBytes) {
    std::fclose(f);
    OpenFailed(FileName, "Not a readable Standard MIDI File: the file is too large");
  }
  if (!failed) {
    bytes.resize(static_cast<std::size_t>(size));
    failed = std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size();
  }
  const int error = errno;
  std::fclose(f);
  if (failed) OpenFailed(FileName, EInOutError::TextOf(IoErrorFromErrno(error ? error : EIO)));
  return bytes;
}

}  // namespace

TMediaPlayer::TMediaPlayer(TComponent* AOwner) : TCustomControl(AOwner), FPlayback(std::make_unique<TMidiPlayback>()) {
  SetBounds(0, 0, 253, 30);
}

TMediaPlayer::~TMediaPlayer() { FPlayback->Close(); }

void TMediaPlayer::Open() {
  FPlayback->Close();
  if (FFileName.empty()) throw EMCIDeviceError("Cannot open media file: no file name is given");
  const std::vector<std::uint8_t> bytes = ReadWholeFile(FFileName);
  TMidiSong song;
  try {
    song = ReadMidiFile(bytes.data(), bytes.size());
  } catch (const EMidiFileError& e) { OpenFailed(FFileName, "Not a readable Standard MIDI File: " + e.Message()); }
  FPlayback->Open(std::move(song));
}

void TMediaPlayer::Close() { FPlayback->Close(); }

void TMediaPlayer::CheckOpen() const {
  if (!FPlayback->IsOpen()) throw EMCIDeviceError("The media player has no open device");
}

void TMediaPlayer::Play() {
  CheckOpen();
  if (FAutoRewind && FPlayback->PositionSamples() >= FPlayback->LengthSamples()) FPlayback->Seek(0);
  FPlayback->Play();
}

void TMediaPlayer::Stop() {
  CheckOpen();
  FPlayback->Stop();
}

void TMediaPlayer::Rewind() {
  CheckOpen();
  FPlayback->Stop();
  FPlayback->Seek(0);
}

int TMediaPlayer::Position() const {
  if (!FPlayback->IsOpen()) return 0;
  return static_cast<int>(FPlayback->PositionSamples() * 1000 / TMidiPlayback::Rate);
}

void TMediaPlayer::SetPosition(int Value) {
  CheckOpen();
  FPlayback->Stop();
  FPlayback->Seek(static_cast<std::int64_t>(Value) * TMidiPlayback::Rate / 1000);
}

int TMediaPlayer::Length() const {
  if (!FPlayback->IsOpen()) return 0;
  return static_cast<int>(FPlayback->LengthSamples() * 1000 / TMidiPlayback::Rate);
}

TMPModes TMediaPlayer::Mode() const {
  if (!FPlayback->IsOpen()) return mpNotReady;
  return FPlayback->Playing() ? mpPlaying : mpStopped;
}

void TMediaPlayer::Paint() {
  // A plain face: the programs keep the player hidden.
  Canvas()->Brush()->SetColor(EffectiveColor());
  Canvas()->FillRect(ClientRect());
}
