#include "assets/generator/Sounds.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "assets/generator/Bytes.h"
#include "assets/generator/Raster.h"

const std::vector<TStoredWave>& StoredWaves() {
  static const std::vector<TStoredWave> waves{
      {"position", 1, 22050, 1606, false},   {"warrior", 1, 11025, 4361, false}, {"archer", 1, 11025, 7812, false},
      {"buildcrash", 1, 11025, 1828, false}, {"death", 1, 8000, 7941, true},     {"boom", 1, 11025, 23540, false},
      {"magic", 1, 11025, 6653, false},      {"build", 2, 22050, 224794, false}, {"train", 1, 11025, 19382, false}};
  return waves;
}

namespace {

// White noise in [-1, 1) from a counter.
double Noise(std::uint32_t N, std::uint32_t Seed) {
  return (Hash3(static_cast<std::int32_t>(N), 7, Seed) >> 8) / 8388608.0 - 1.0;
}

// A two-pole resonator (band pass) at Freq with bandwidth Width, both in Hz.
struct TResonator {
  double A1 = 0, A2 = 0, Gain = 0, Y1 = 0, Y2 = 0;
  TResonator(double Freq, double Width, double Rate) {
    double r = Expo(-Pi * Width / Rate);
    A1 = 2 * r * Cosine(2 * Pi * Freq / Rate);
    A2 = -r * r;
    Gain = 1 - r;
  }
  double Step(double X) {
    double y = Gain * X + A1 * Y1 + A2 * Y2;
    Y2 = Y1;
    Y1 = y;
    return y;
  }
};

struct TLowPass {
  double A = 0, Y = 0;
  TLowPass(double Freq, double Rate) { A = 1 - Expo(-2 * Pi * Freq / Rate); }
  double Step(double X) { return Y += A * (X - Y); }
};

double Env(double T, double Attack, double Decay) {
  if (T < 0) return 0;
  if (T < Attack) return T / Attack;
  return Expo(-(T - Attack) / Decay);
}

double PeakOf(const std::vector<double>& S) {
  double m = 0;
  for (double v : S) m = std::max(m, std::fabs(v));
  return m;
}

void Scale(std::vector<double>& S, double Gain) {
  for (double& v : S) v *= Gain;
}

// How loud a sound is at its loudest: the RMS of its loudest 100 ms (of the
// whole of a shorter sound), over all channels, windows 10 ms apart.
double Loudness(const std::vector<double>& S, int Channels, double Rate) {
  const int frames = static_cast<int>(S.size()) / Channels;
  const int window = std::min(frames, static_cast<int>(Rate / 10));
  const int step = std::max(1, static_cast<int>(Rate / 100));
  double loudest = 0;
  for (int start = 0; start + window <= frames; start += step) {
    double e = 0;
    for (int i = start * Channels; i < (start + window) * Channels; ++i) {
      const double v = S[static_cast<std::size_t>(i)];
      e += v * v;
    }
    loudest = std::max(loudest, e);
    if (start + window == frames) break;
  }
  return window > 0 ? std::sqrt(loudest / (window * Channels)) : 0;
}

// Brings every frame above Threshold down to it with a gain that drops
// smoothly ahead of each peak (a lead-in of about 1 ms), holds 5 ms and
// recovers over about 40 ms, so that a transient is made less sharp without
// clipping its waveform.
void LimitPeaks(std::vector<double>& S, int Channels, double Rate, double Threshold) {
  const int frames = static_cast<int>(S.size()) / Channels;
  const double lead = 1 / (Rate * 0.001), release = 1 / (Rate * 0.040);
  const int holdFrames = static_cast<int>(Rate * 0.005);
  std::vector<double> gain(static_cast<std::size_t>(frames));
  double g = 1;
  int hold = 0;
  for (int n = 0; n < frames; ++n) {
    if (hold > 0)
      --hold;
    else
      g += (1 - g) * release;
    double peak = 0;
    for (int c = 0; c < Channels; ++c) peak = std::max(peak, std::fabs(S[static_cast<std::size_t>(n * Channels + c)]));
    if (peak * g > Threshold) {
      g = Threshold / peak;
      hold = holdFrames;
    }
    gain[static_cast<std::size_t>(n)] = g;
  }
  for (int n = frames - 2; n >= 0; --n) {
    const double next = gain[static_cast<std::size_t>(n + 1)];
    gain[static_cast<std::size_t>(n)] = std::min(gain[static_cast<std::size_t>(n)], next + (1 - next) * lead);
  }
  for (int n = 0; n < frames; ++n) {
    const double g = gain[static_cast<std::size_t>(n)];
    for (int c = 0; c < Channels; ++c) S[static_cast<std::size_t>(n * Channels + c)] *= g;
  }
}

// The level every stored wave is set to: its loudest 100 ms at an RMS of 0.1
// of full scale (-20 dBFS), its peak no higher than 0.35 (about -9 dBFS),
// which leaves the mixer room for several effects at once. A wave whose peaks
// stand out further above its body than that allows has them brought down
// first, in steps of 0.5 dB until it reaches the loudness, by 6 dB at most; one
// that would need more (a short click) stays quieter.
constexpr double LoudnessTarget = 0.1;
constexpr double PeakLimit = 0.35;
constexpr int LimitSteps = 12;
constexpr double LimitStep = 0.94406087628592338;  // -0.5 dB

void Level(std::vector<double>& S, int Channels, double Rate) {
  const double peak = PeakOf(S);
  if (peak <= 0) return;
  Scale(S, 1 / peak);
  std::vector<double> limited = S;
  double threshold = 1;
  for (int step = 0;; ++step) {
    const double gain = std::min(LoudnessTarget / Loudness(limited, Channels, Rate), PeakLimit / PeakOf(limited));
    if (gain * Loudness(limited, Channels, Rate) >= LoudnessTarget * 0.999 || step == LimitSteps) {
      S = std::move(limited);
      Scale(S, gain);
      return;
    }
    threshold *= LimitStep;
    limited = S;
    LimitPeaks(limited, Channels, Rate, threshold);
  }
}

// Fades the last few milliseconds so that a sound ends without a click.
void FadeOut(std::vector<double>& S, int Frames, int Channels) {
  int n = static_cast<int>(S.size()) / Channels;
  for (int i = 0; i < Frames && i < n; ++i) {
    double g = static_cast<double>(i) / Frames;
    for (int c = 0; c < Channels; ++c) S[static_cast<std::size_t>((n - 1 - i) * Channels + c)] *= g;
  }
}

std::vector<double> Click(int N, double Rate) {
  std::vector<double> s(static_cast<std::size_t>(N));
  TResonator body(1900, 300, Rate), knock(780, 160, Rate);
  for (int i = 0; i < N; ++i) {
    double t = i / Rate;
    double ex = Noise(static_cast<std::uint32_t>(i), 1) * Env(t, 0.0004, 0.004);
    s[static_cast<std::size_t>(i)] =
        body.Step(ex) * 3 + knock.Step(ex) * 4 + Sine(2 * Pi * 2600 * t) * Env(t, 0.0002, 0.006) * 0.3;
  }
  return s;
}

std::vector<double> SwordClash(int N, double Rate) {
  std::vector<double> s(static_cast<std::size_t>(N));
  const double partials[6][3] = {{1480, 0.12, 1.0}, {2230, 0.09, 0.8},  {3010, 0.07, 0.7},
                                 {3720, 0.05, 0.5}, {4390, 0.04, 0.45}, {5050, 0.03, 0.3}};
  TResonator scrape(3400, 900, Rate);
  for (int i = 0; i < N; ++i) {
    double t = i / Rate, v = 0;
    for (auto& p : partials) v += Sine(2 * Pi * p[0] * t + 0.3 * Sine(2 * Pi * 7 * t)) * p[2] * Env(t, 0.001, p[1]);
    // A second, softer strike a moment later.
    double t2 = t - 0.11;
    if (t2 > 0)
      for (auto& p : partials) v += 0.45 * Sine(2 * Pi * p[0] * 1.013 * t2) * p[2] * Env(t2, 0.001, p[1] * 0.8);
    v += scrape.Step(Noise(static_cast<std::uint32_t>(i), 2)) * 6 * Env(t, 0.0005, 0.02);
    s[static_cast<std::size_t>(i)] = v;
  }
  return s;
}

std::vector<double> Bow(int N, double Rate) {
  std::vector<double> s(static_cast<std::size_t>(N));
  TResonator whoosh(1400, 900, Rate);
  TLowPass thump(300, Rate);
  for (int i = 0; i < N; ++i) {
    double t = i / Rate, v = 0;
    // The string: a plucked low note whose pitch settles.
    double f = 98 * (1 + 0.08 * Expo(-t / 0.02));
    for (int h = 1; h <= 8; ++h) v += Sine(2 * Pi * f * h * t) / h * Env(t, 0.002, 0.16 / (0.6 + 0.25 * h));
    // The arrow leaving: band noise swelling and fading, its centre falling.
    double swell = t > 0.05 ? Expo(-((t - 0.22) * (t - 0.22)) / 0.012) : 0;
    v += whoosh.Step(Noise(static_cast<std::uint32_t>(i), 3)) * 9 * swell;
    v += thump.Step(Noise(static_cast<std::uint32_t>(i), 4)) * 2 * Env(t, 0.001, 0.01);
    s[static_cast<std::size_t>(i)] = v;
  }
  return s;
}

std::vector<double> Collapse(int N, double Rate) {
  std::vector<double> s(static_cast<std::size_t>(N));
  TLowPass rumble(500, Rate), crack(2500, Rate);
  for (int i = 0; i < N; ++i) {
    double t = i / Rate;
    double n = Noise(static_cast<std::uint32_t>(i), 5);
    double v = rumble.Step(n) * 3 * Env(t, 0.002, 0.07);
    v += Sine(2 * Pi * (70 - 120 * t) * t) * Env(t, 0.003, 0.06);
    // Crackles of breaking timber and stone.
    std::uint32_t h = Hash3(i / 60, 1, 6);
    if ((h & 7) == 0) v += crack.Step(n) * 1.5 * Env(t, 0, 0.1);
    s[static_cast<std::size_t>(i)] = v;
  }
  return s;
}

std::vector<double> Cry(int N, double Rate) {
  std::vector<double> s(static_cast<std::size_t>(N));
  TResonator f1(700, 110, Rate), f2(1150, 140, Rate), f3(2500, 250, Rate);
  double phase = 0;
  for (int i = 0; i < N; ++i) {
    double t = i / Rate, dur = N / Rate;
    // Pitch rises briefly, then falls away as the voice breaks.
    double pitch = 330 + 110 * Expo(-((t - 0.12) * (t - 0.12)) / 0.01) - 160 * (t / dur) * (t / dur);
    pitch *= 1 + 0.025 * Sine(2 * Pi * 6.5 * t) + 0.01 * Noise(static_cast<std::uint32_t>(i / 40), 7);
    phase += pitch / Rate;
    phase -= std::floor(phase);
    double saw = 2 * phase - 1;
    double src = saw + 0.35 * Noise(static_cast<std::uint32_t>(i), 8);
    double amp = Env(t, 0.06, 0.45) * (t < dur - 0.05 ? 1 : (dur - t) / 0.05);
    // The vowel closes from "a" towards "o" as it fades.
    double v = f1.Step(src) * 1.0 + f2.Step(src) * 0.7 * (1 - t / dur) + f3.Step(src) * 0.25;
    s[static_cast<std::size_t>(i)] = v * amp;
  }
  return s;
}

std::vector<double> Explosion(int N, double Rate) {
  std::vector<double> s(static_cast<std::size_t>(N));
  TLowPass body(900, Rate), deep(120, Rate), crackle(3000, Rate);
  for (int i = 0; i < N; ++i) {
    double t = i / Rate;
    double n = Noise(static_cast<std::uint32_t>(i), 9);
    double v = crackle.Step(n) * 1.2 * Env(t, 0.0005, 0.05);
    v += body.Step(n) * 3.5 * Env(t, 0.004, 0.35);
    v += deep.Step(n) * 9 * Env(t, 0.01, 0.8);
    v += Sine(2 * Pi * (55 - 15 * t) * t) * 0.6 * Env(t, 0.005, 0.5);
    // Debris falling afterwards.
    std::uint32_t h = Hash3(i / 90, 2, 10);
    if (t > 0.3 && (h & 15) == 0) v += n * 0.25 * Expo(-(t - 0.3) / 0.6);
    s[static_cast<std::size_t>(i)] = v;
  }
  return s;
}

std::vector<double> Spell(int N, double Rate) {
  std::vector<double> s(static_cast<std::size_t>(N));
  // A rising run of bell tones with a shimmer over it.
  const double notes[6] = {523.25, 659.25, 783.99, 1046.5, 1318.5, 1568.0};
  TResonator sparkle(4200, 600, Rate);
  for (int i = 0; i < N; ++i) {
    double t = i / Rate, v = 0;
    for (int k = 0; k < 6; ++k) {
      double t0 = t - k * 0.055;
      if (t0 < 0) continue;
      double e = Env(t0, 0.004, 0.18);
      v += (Sine(2 * Pi * notes[k] * t0) + 0.4 * Sine(2 * Pi * notes[k] * 2.01 * t0)) * e * (0.6 + 0.1 * k);
    }
    double trem = 0.6 + 0.4 * Sine(2 * Pi * 14 * t);
    v += sparkle.Step(Noise(static_cast<std::uint32_t>(i), 11)) * 5 * trem * Env(t, 0.15, 0.2);
    s[static_cast<std::size_t>(i)] = v;
  }
  return s;
}

// Hammering and sawing on a building site, spread over both channels.
std::vector<double> Building(int Frames, double Rate) {
  std::vector<double> s(static_cast<std::size_t>(Frames * 2));
  struct THit {
    double Time, Pan, Pitch, Gain;
  };
  std::vector<THit> hits;
  double t = 0.08;
  for (int k = 0; t < Frames / Rate - 0.3; ++k) {
    std::uint32_t h = Hash3(k, 3, 12);
    double pan = (k / 3) % 2 ? 0.25 : 0.75;
    hits.push_back({t, pan, 1.0 + ((h >> 4) & 7) * 0.03, 0.7 + ((h >> 8) & 3) * 0.1});
    t += (k % 3 == 2) ? 0.62 : 0.36 + ((h >> 12) & 3) * 0.02;
  }
  TResonator wood1(420, 60, Rate), wood2(910, 90, Rate), nail(2900, 300, Rate);
  TResonator sawBand(1800, 700, Rate);
  for (int i = 0; i < Frames; ++i) {
    double tt = i / Rate;
    double left = 0, right = 0;
    for (const THit& h : hits) {
      double d = tt - h.Time;
      if (d < 0 || d > 0.25) continue;
      double ex = Noise(static_cast<std::uint32_t>(i), 13) * Env(d, 0.0003, 0.003);
      double v = (Sine(2 * Pi * 420 * h.Pitch * d) * Env(d, 0.0005, 0.05) +
                  0.6 * Sine(2 * Pi * 910 * h.Pitch * d) * Env(d, 0.0005, 0.03) + ex * 2) *
                 h.Gain;
      left += v * (1 - h.Pan);
      right += v * h.Pan;
    }
    double knock = wood1.Step(left + right) * 0.5 + wood2.Step(left + right) * 0.3 + nail.Step(left + right) * 0.2;
    // A saw working between 1.6 s and 3.2 s on the right.
    double saw = 0;
    if (tt > 1.6 && tt < 3.2) {
      double stroke = Sine(2 * Pi * 2.6 * (tt - 1.6));
      saw = sawBand.Step(Noise(static_cast<std::uint32_t>(i), 14)) * 2.4 * (0.3 + 0.7 * stroke * stroke) *
            std::min(1.0, std::min(tt - 1.6, 3.2 - tt) * 8);
    } else {
      sawBand.Step(0);
    }
    s[static_cast<std::size_t>(i * 2)] = left + knock * 0.3 + saw * 0.3;
    s[static_cast<std::size_t>(i * 2 + 1)] = right + knock * 0.3 + saw;
  }
  return s;
}

std::vector<double> Fanfare(int N, double Rate) {
  std::vector<double> s(static_cast<std::size_t>(N));
  // G4 C5 E5 then a held C major chord: brass-like tones whose brightness
  // follows their loudness.
  struct TNote {
    double Start, Length, Freq;
  };
  const TNote notes[] = {{0.0, 0.2, 392.0},  {0.2, 0.2, 523.25}, {0.4, 0.2, 659.25},
                         {0.6, 1.1, 783.99}, {0.6, 1.1, 523.25}, {0.6, 1.1, 329.63}};
  // Each note keeps its own phase, so that its vibrato bends the pitch
  // around the note rather than away from it.
  std::vector<double> phases(6, 0.0);
  for (int i = 0; i < N; ++i) {
    double t = i / Rate, v = 0;
    for (int k = 0; k < 6; ++k) {
      const TNote& n = notes[k];
      double d = t - n.Start;
      if (d < 0 || d > n.Length + 0.1) continue;
      double amp = std::min(1.0, d / 0.02) * (d < n.Length ? 1 : Expo(-(d - n.Length) / 0.03));
      if (k >= 3) amp *= 0.8 * (1 - 0.25 * d / n.Length);
      double vib = k >= 3 && d > 0.25 ? 1 + 0.006 * Sine(2 * Pi * 5.5 * d) : 1;
      double& phase = phases[static_cast<std::size_t>(k)];
      phase += n.Freq * vib / Rate;
      phase -= std::floor(phase);
      double f = n.Freq * vib, tone = 0;
      int harmonics = static_cast<int>(2 + amp * 4);
      for (int h = 1; h <= harmonics && f * h < Rate / 2.2; ++h) tone += Sine(2 * Pi * phase * h) / (h * 0.9);
      v += tone * amp;
    }
    s[static_cast<std::size_t>(i)] = v;
  }
  return s;
}

void PutTag(std::vector<std::uint8_t>& Out, const char* Tag) {
  for (int i = 0; i < 4; ++i) Out.push_back(static_cast<std::uint8_t>(Tag[i]));
}

}  // namespace

std::vector<std::uint8_t> SynthesizeWave(std::size_t Index) {
  const TStoredWave& wave = StoredWaves().at(Index);
  const double rate = wave.SamplesPerSec;
  const int frames = wave.DataBytes / wave.Channels;
  std::vector<double> samples;
  switch (Index) {
    case 0: samples = Click(frames, rate); break;
    case 1: samples = SwordClash(frames, rate); break;
    case 2: samples = Bow(frames, rate); break;
    case 3: samples = Collapse(frames, rate); break;
    case 4: samples = Cry(frames, rate); break;
    case 5: samples = Explosion(frames, rate); break;
    case 6: samples = Spell(frames, rate); break;
    case 7: samples = Building(frames, rate); break;
    default: samples = Fanfare(frames, rate); break;
  }
  Level(samples, wave.Channels, rate);
  FadeOut(samples, static_cast<int>(rate * 0.004), wave.Channels);

  std::vector<std::uint8_t> out;
  const std::uint32_t fmtSize = wave.ExtraSize ? 18 : 16;
  PutTag(out, "RIFF");
  PutLe32(out, static_cast<std::uint32_t>(4 + 8 + fmtSize + 8 + wave.DataBytes));
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLe32(out, fmtSize);
  PutLe16(out, 1);  // PCM
  PutLe16(out, static_cast<std::uint32_t>(wave.Channels));
  PutLe32(out, static_cast<std::uint32_t>(wave.SamplesPerSec));
  PutLe32(out, static_cast<std::uint32_t>(wave.SamplesPerSec * wave.Channels));
  PutLe16(out, static_cast<std::uint32_t>(wave.Channels));
  PutLe16(out, 8);
  if (wave.ExtraSize) PutLe16(out, 0);
  PutTag(out, "data");
  PutLe32(out, static_cast<std::uint32_t>(wave.DataBytes));
  for (int i = 0; i < wave.DataBytes; ++i) {
    double v = i < static_cast<int>(samples.size()) ? samples[static_cast<std::size_t>(i)] : 0;
    long q = std::lround(128 + v * 127);
    out.push_back(static_cast<std::uint8_t>(q < 0 ? 0 : (q > 255 ? 255 : q)));
  }
  return out;
}
