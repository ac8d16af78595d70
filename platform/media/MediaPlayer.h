// TMediaPlayer: the toolkit's multimedia player control, for MIDI music. It
// opens a Standard MIDI File by name and plays it through the synthesizer into
// the audio output that the sound effects use. Programs keep it hidden and
// drive it from code: SetFileName and Open once, then Play, Stop and Rewind.
//
// Without a sound font or an audio output the player still opens and plays
// (silently: the position runs as it would), after one line on stderr.
#pragma once

#include <memory>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/toolkit/Controls.h"

// The player's device modes.
enum TMPModes { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };

// A player call that the device cannot carry out: a file that cannot be
// opened, or a command while nothing is open.
class EMCIDeviceError : public Exception {
 public:
  using Exception::Exception;
};

class TMidiPlayback;
class TMediaPlayer;

namespace MediaTest {
TMidiPlayback& PlaybackOf(TMediaPlayer& Player);
}

class TMediaPlayer : public TCustomControl {
 public:
  explicit TMediaPlayer(TComponent* AOwner);
  ~TMediaPlayer() override;

  // The file that Open opens (windows-1250, "\" separators).
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Value) { FFileName = Value; }
  // Whether Play, with the position at the end, first goes back to the start.
  bool AutoRewind() const { return FAutoRewind; }
  void SetAutoRewind(bool Value) { FAutoRewind = Value; }

  // Opens FileName, stopped at the start (an open file is closed first).
  // EMCIDeviceError naming the file when it is missing or is not a readable
  // Standard MIDI File; the player is then closed.
  void Open();
  // Closes the device; nothing happens when none is open.
  void Close();
  // Starts playing from the position and returns at once; at the end the
  // song stops there. With AutoRewind, a position at the end goes back to the
  // start first.
  void Play();
  // Stops where it is (Play goes on from there).
  void Stop();
  // Goes back to the start and stops.
  void Rewind();
  // These raise EMCIDeviceError when no device is open.

  // In milliseconds; 0 while nothing is open. Setting the position stops the
  // playing, as a seek does.
  int Position() const;
  void SetPosition(int Value);
  int Length() const;
  TMPModes Mode() const;

 protected:
  void Paint() override;

 private:
  friend TMidiPlayback& MediaTest::PlaybackOf(TMediaPlayer& Player);
  void CheckOpen() const;

  std::string FFileName;
  bool FAutoRewind = true;
  std::unique_ptr<TMidiPlayback> FPlayback;
};
