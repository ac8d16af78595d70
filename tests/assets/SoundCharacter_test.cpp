// The stored waves sound like what they are named after, as far as a
// measurement can tell: a short click, a bright clash of metal, low rumbling
// explosions and collapses, hammer blows spread over both channels, a
// fanfare on the notes of a major chord.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "assets/stored/StoredData.h"
#include "input_sound/WaveList.h"

namespace {

struct TSound {
  int Rate = 0, Channels = 0;
  std::vector<double> Left, Right;  // -1..1
};

TSound Stored(int Index) {
  TDXWaveList list(nullptr);
  ReadStoredComponent(&list, "Korvel.DXWaveList1");
  TWave* w = list.Items()->Items(Index)->Wave();
  TSound s;
  s.Channels = w->Format()[2];
  s.Rate = w->Format()[4] | w->Format()[5] << 8 | w->Format()[6] << 16;
  for (int i = 0; i + s.Channels <= w->Size(); i += s.Channels) {
    s.Left.push_back((w->Data()[i] - 128) / 128.0);
    s.Right.push_back((w->Data()[i + s.Channels - 1] - 128) / 128.0);
  }
  return s;
}

double Energy(const std::vector<double>& S, std::size_t From, std::size_t To) {
  double e = 0;
  for (std::size_t i = From; i < To && i < S.size(); ++i) e += S[i] * S[i];
  return e;
}

// Share of the energy below Cutoff Hz (a two-pole low pass run twice).
double LowShare(const TSound& S, double Cutoff) {
  double a = 1 - std::exp(-2 * M_PI * Cutoff / S.Rate);
  std::vector<double> low(S.Left.size());
  double y1 = 0, y2 = 0;
  for (std::size_t i = 0; i < S.Left.size(); ++i) {
    y1 += a * (S.Left[i] - y1);
    y2 += a * (y1 - y2);
    low[i] = y2;
  }
  return Energy(low, 0, low.size()) / Energy(S.Left, 0, S.Left.size());
}

// Strength of a frequency (Goertzel), over a stretch of samples.
double Tone(const std::vector<double>& S, std::size_t From, std::size_t To, double Freq, int Rate) {
  double c = 2 * std::cos(2 * M_PI * Freq / Rate), s1 = 0, s2 = 0;
  for (std::size_t i = From; i < To; ++i) {
    double s0 = S[i] + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return std::sqrt(s1 * s1 + s2 * s2 - c * s1 * s2) / static_cast<double>(To - From);
}

// Onsets: 10 ms windows whose energy jumps to four times the one before.
int Onsets(const std::vector<double>& S, int Rate) {
  const std::size_t w = static_cast<std::size_t>(Rate / 100);
  int n = 0;
  double previous = 1e-9;
  for (std::size_t i = 0; i + w <= S.size(); i += w) {
    double e = Energy(S, i, i + w) + 1e-9;
    if (e > 4 * previous && e > 0.05 * static_cast<double>(w) * 0.01) ++n;
    previous = e;
  }
  return n;
}

// Peak and loudness in dB of full scale. Loudness is the RMS of the loudest
// 100 ms (windows 10 ms apart; the whole of a shorter sound), both channels.
double Db(double V) { return 20 * std::log10(V); }

double PeakDb(const TSound& S) {
  double m = 0;
  for (const auto* ch : {&S.Left, &S.Right})
    for (double v : *ch) m = std::max(m, std::fabs(v));
  return Db(m);
}

double LoudnessDb(const TSound& S) {
  const std::size_t n = S.Left.size();
  const std::size_t window = std::min(n, static_cast<std::size_t>(S.Rate / 10));
  double loudest = 0;
  for (std::size_t from = 0; from + window <= n; from += static_cast<std::size_t>(S.Rate / 100))
    loudest = std::max(loudest, Energy(S.Left, from, from + window) + Energy(S.Right, from, from + window));
  return Db(std::sqrt(loudest / (2.0 * static_cast<double>(window))));
}

TEST(SoundLevels, EveryWaveLeavesHeadroomAndTheEffectsAreEquallyLoud) {
  // Peaks near -9 dBFS, so that the mixer has room for several at once; the
  // effects as loud as one another, a boom no louder than a sword. Only the
  // short click of a move order, nearly all transient, stays quieter.
  const struct {
    const char* Name;
    double Peak, Loudness;
  } rows[] = {{"position", -9.3, -26.5},   {"warrior", -9.3, -20.1}, {"archer", -10.5, -20.1},
              {"buildcrash", -9.3, -21.0}, {"death", -11.0, -20.1},  {"boom", -9.7, -20.1},
              {"magic", -9.7, -20.1},      {"build", -9.3, -20.9},   {"train", -9.9, -20.1}};
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(rows[i].Name);
    const TSound s = Stored(i);
    EXPECT_NEAR(PeakDb(s), rows[i].Peak, 0.5);
    EXPECT_LE(PeakDb(s), -9.0);
    EXPECT_NEAR(LoudnessDb(s), rows[i].Loudness, 0.5);
  }
}

TEST(SoundCharacter, PositionIsAShortClick) {
  TSound s = Stored(0);
  const std::size_t first20ms = static_cast<std::size_t>(s.Rate / 50);
  EXPECT_GT(Energy(s.Left, 0, first20ms) / Energy(s.Left, 0, s.Left.size()), 0.9);
}

TEST(SoundCharacter, WarriorIsABrightClashOfMetal) {
  TSound s = Stored(1);
  EXPECT_LT(LowShare(s, 800), 0.2);
  // It rings on: still sounding in its last third, but fainter than at first.
  const std::size_t n = s.Left.size();
  EXPECT_GT(Energy(s.Left, 0, n / 3), 3 * Energy(s.Left, 2 * n / 3, n));
  EXPECT_GT(Energy(s.Left, 2 * n / 3, n), 0);
}

TEST(SoundCharacter, ExplosionAndCollapseRumbleLowAndDieAway) {
  for (int index : {3, 5}) {
    SCOPED_TRACE(index);
    TSound s = Stored(index);
    EXPECT_GT(LowShare(s, 600), 0.3);
    const std::size_t n = s.Left.size();
    EXPECT_GT(Energy(s.Left, 0, n / 4), 4 * Energy(s.Left, 3 * n / 4, n));
  }
}

TEST(SoundCharacter, BuildingIsHammerBlowsOnBothChannels) {
  TSound s = Stored(7);
  ASSERT_EQ(s.Channels, 2);
  EXPECT_GE(Onsets(s.Left, s.Rate) + Onsets(s.Right, s.Rate), 8);
  // The channels carry different blows.
  double lr = 0, ll = 0, rr = 0;
  for (std::size_t i = 0; i < s.Left.size(); ++i) {
    lr += s.Left[i] * s.Right[i];
    ll += s.Left[i] * s.Left[i];
    rr += s.Right[i] * s.Right[i];
  }
  EXPECT_LT(lr / std::sqrt(ll * rr), 0.9);
}

TEST(SoundCharacter, TrainingIsAFanfareOnAMajorChord) {
  TSound s = Stored(8);
  // The held chord: C, E and G sound far stronger than the notes between.
  const std::size_t from = static_cast<std::size_t>(s.Rate * 0.8), to = static_cast<std::size_t>(s.Rate * 1.5);
  for (double chord : {523.25, 783.99, 329.63})
    for (double between : {466.16, 698.46, 370.0})
      EXPECT_GT(Tone(s.Left, from, to, chord, s.Rate), 3 * Tone(s.Left, from, to, between, s.Rate));
}

TEST(SoundCharacter, DeathIsAVoiceThatFallsAndFades) {
  TSound s = Stored(4);
  const std::size_t n = s.Left.size();
  EXPECT_GT(Energy(s.Left, 0, n / 2), 2 * Energy(s.Left, n / 2, n));
  // A voiced sound: most of its energy below 1500 Hz.
  EXPECT_GT(LowShare(s, 1500), 0.5);
}

}  // namespace
