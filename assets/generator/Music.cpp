#include "assets/generator/Music.h"

#include <algorithm>
#include <string>

namespace {

constexpr int Division = 480;  // ticks a quarter note
constexpr int Tempo = 100;     // quarter notes a minute
constexpr int BeatsABar = 4;
constexpr int IntroBars = 4;

struct TEvent {
  std::uint32_t Tick;
  int Order;  // note-offs before controllers before note-ons at one tick
  std::vector<std::uint8_t> Bytes;
};

struct TTrack {
  std::string Name;
  std::vector<TEvent> Events;
  void Note(int Channel, double Beat, double Length, int Key, int Velocity) {
    auto on = static_cast<std::uint32_t>(Beat * Division + 0.5);
    auto off = static_cast<std::uint32_t>((Beat + Length) * Division + 0.5) - 6;
    Events.push_back({on,
                      2,
                      {static_cast<std::uint8_t>(0x90 | Channel), static_cast<std::uint8_t>(Key),
                       static_cast<std::uint8_t>(Velocity)}});
    Events.push_back({off, 0, {static_cast<std::uint8_t>(0x80 | Channel), static_cast<std::uint8_t>(Key), 64}});
  }
  void Setup(int Channel, int Program, int Volume, int Pan, int Reverb) {
    Events.push_back({0, 1, {static_cast<std::uint8_t>(0xC0 | Channel), static_cast<std::uint8_t>(Program)}});
    Events.push_back({0, 1, {static_cast<std::uint8_t>(0xB0 | Channel), 7, static_cast<std::uint8_t>(Volume)}});
    Events.push_back({0, 1, {static_cast<std::uint8_t>(0xB0 | Channel), 10, static_cast<std::uint8_t>(Pan)}});
    Events.push_back({0, 1, {static_cast<std::uint8_t>(0xB0 | Channel), 91, static_cast<std::uint8_t>(Reverb)}});
  }
};

// Note names to keys: "D5" is 74, "C#5" 73.
int Key(const std::string& Name) {
  static const int steps[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  int k = steps[Name[0] - 'A'];
  std::size_t i = 1;
  if (Name[i] == '#') {
    ++k;
    ++i;
  }
  if (Name[i] == 'b') {
    --k;
    ++i;
  }
  int octave = Name[i] - '0';
  return 12 * (octave + 1) + k;
}

struct TMelodyNote {
  const char* Note;  // "-" for a rest
  double Beats;
};

// One chord a bar: root, third and fifth names (octave 3 for the bass).
struct TChord {
  const char* Root;
  const char* Third;
  const char* Fifth;
};

const std::vector<TMelodyNote> ThemeA{{"A4", 1},   {"D5", 1},   {"E5", 0.5}, {"F5", 0.5}, {"E5", 1},    // Dm
                                      {"D5", 0.5}, {"C5", 0.5}, {"G4", 1},   {"C5", 1},   {"E5", 1},    // C
                                      {"F5", 1.5}, {"E5", 0.5}, {"D5", 1},   {"A4", 1},                 // Dm
                                      {"C5", 1},   {"B4", 0.5}, {"A4", 0.5}, {"E4", 2},                 // Am
                                      {"F4", 1},   {"A4", 1},   {"C5", 1},   {"F5", 1},                 // F
                                      {"E5", 1.5}, {"D5", 0.5}, {"C5", 1},   {"G4", 1},                 // C
                                      {"B4", 1},   {"D5", 1},   {"G5", 1},   {"F5", 0.5}, {"E5", 0.5},  // G
                                      {"D5", 3},   {"-", 1}};                                           // Dm
const std::vector<TChord> ChordsA{{"D3", "F3", "A3"}, {"C3", "E3", "G3"}, {"D3", "F3", "A3"}, {"A2", "C3", "E3"},
                                  {"F2", "A2", "C3"}, {"C3", "E3", "G3"}, {"G2", "B2", "D3"}, {"D3", "F3", "A3"}};

const std::vector<TMelodyNote> ThemeB{{"A5", 2},   {"G5", 1},   {"F5", 1},                          // F
                                      {"E5", 2},   {"G5", 1},   {"E5", 1},                          // C
                                      {"D5", 1},   {"B4", 1},   {"G4", 1},   {"B4", 1},             // G
                                      {"A4", 2},   {"D5", 1},   {"F5", 1},                          // Dm
                                      {"F5", 1},   {"G5", 0.5}, {"A5", 0.5}, {"C6", 1}, {"A5", 1},  // F
                                      {"G5", 1.5}, {"F5", 0.5}, {"E5", 1},   {"C5", 1},             // C
                                      {"E5", 1},   {"A5", 1},   {"G5", 1},   {"E5", 1},             // Am
                                      {"C#5", 1},  {"E5", 1},   {"A5", 2}};                         // A
const std::vector<TChord> ChordsB{{"F2", "A2", "C3"}, {"C3", "E3", "G3"}, {"G2", "B2", "D3"}, {"D3", "F3", "A3"},
                                  {"F2", "A2", "C3"}, {"C3", "E3", "G3"}, {"A2", "C3", "E3"}, {"A2", "C#3", "E3"}};

// The order of sections after the intro.
struct TSection {
  const std::vector<TMelodyNote>* Theme;
  const std::vector<TChord>* Chords;
  bool Oboe;  // the oboe doubles the tune an octave down
  bool Drums;
};

const std::vector<TSection>& Form() {
  static const std::vector<TSection> form{{&ThemeA, &ChordsA, false, true},
                                          {&ThemeB, &ChordsB, false, true},
                                          {&ThemeA, &ChordsA, true, true},
                                          {&ThemeB, &ChordsB, true, true},
                                          {&ThemeA, &ChordsA, false, false}};
  return form;
}

int TotalBars() { return IntroBars + static_cast<int>(Form().size()) * 8; }

void PutU16(std::vector<std::uint8_t>& Out, std::uint32_t V) {
  Out.push_back(static_cast<std::uint8_t>(V >> 8));
  Out.push_back(static_cast<std::uint8_t>(V));
}
void PutU32(std::vector<std::uint8_t>& Out, std::uint32_t V) {
  PutU16(Out, V >> 16);
  PutU16(Out, V & 0xFFFF);
}
void PutVarLen(std::vector<std::uint8_t>& Out, std::uint32_t V) {
  std::uint8_t bytes[5];
  int n = 0;
  do {
    bytes[n++] = static_cast<std::uint8_t>(V & 0x7F);
    V >>= 7;
  } while (V);
  while (n--) Out.push_back(static_cast<std::uint8_t>(bytes[n] | (n ? 0x80 : 0)));
}

std::vector<std::uint8_t> TrackChunk(TTrack& T, std::uint32_t EndTick) {
  std::stable_sort(T.Events.begin(), T.Events.end(), [](const TEvent& A, const TEvent& B) {
    return A.Tick != B.Tick ? A.Tick < B.Tick : A.Order < B.Order;
  });
  std::vector<std::uint8_t> body;
  // Track name.
  PutVarLen(body, 0);
  body.insert(body.end(), {0xFF, 0x03, static_cast<std::uint8_t>(T.Name.size())});
  body.insert(body.end(), T.Name.begin(), T.Name.end());
  std::uint32_t now = 0;
  for (const TEvent& e : T.Events) {
    PutVarLen(body, e.Tick - now);
    now = e.Tick;
    body.insert(body.end(), e.Bytes.begin(), e.Bytes.end());
  }
  PutVarLen(body, EndTick > now ? EndTick - now : 0);
  body.insert(body.end(), {0xFF, 0x2F, 0x00});
  std::vector<std::uint8_t> chunk{'M', 'T', 'r', 'k'};
  PutU32(chunk, static_cast<std::uint32_t>(body.size()));
  chunk.insert(chunk.end(), body.begin(), body.end());
  return chunk;
}

}  // namespace

double MusicSeconds() { return TotalBars() * BeatsABar * 60.0 / Tempo; }

std::vector<std::uint8_t> ComposeMusic() {
  TTrack conductor{"Korvel", {}};
  conductor.Events.push_back({0, 1, {0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0}});  // 600000 µs a quarter
  conductor.Events.push_back({0, 1, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}});

  TTrack recorder{"Recorder", {}}, lute{"Lute", {}}, strings{"Strings", {}}, cello{"Cello", {}}, oboe{"Oboe", {}},
      drums{"Drums", {}};
  recorder.Setup(0, 74, 110, 70, 60);
  lute.Setup(1, 24, 96, 44, 50);
  strings.Setup(2, 48, 62, 64, 80);
  cello.Setup(3, 42, 88, 56, 50);
  oboe.Setup(4, 68, 80, 84, 60);
  drums.Setup(9, 0, 84, 64, 40);

  auto chordBar = [&](const TChord& C, int Bar, bool Full) {
    double beat = Bar * BeatsABar;
    int root = Key(C.Root), third = Key(C.Third), fifth = Key(C.Fifth);
    // The lute picks the chord in eighths: root, fifth, octave, third...
    const int pattern[8] = {root + 12,  fifth + 12, root + 24, third + 24,
                            fifth + 12, third + 24, root + 24, fifth + 12};
    for (int i = 0; i < 8; ++i) lute.Note(1, beat + i * 0.5, 0.5, pattern[i], i % 2 ? 58 : 72);
    // Strings hold the open fifth; the cello walks root and fifth.
    strings.Note(2, beat, 4, root + 12, 54);
    strings.Note(2, beat, 4, fifth + 12, 50);
    if (Full) strings.Note(2, beat, 4, third + 24, 44);
    cello.Note(3, beat, 2, root, 80);
    cello.Note(3, beat + 2, 2, fifth - 12 < 36 ? fifth : fifth - 12, 70);
  };
  auto drumBar = [&](int Bar, bool Fill) {
    double beat = Bar * BeatsABar;
    drums.Note(9, beat, 0.5, 45, 86);      // frame drum on one
    drums.Note(9, beat + 2, 0.5, 45, 70);  // and three
    drums.Note(9, beat + 1, 0.5, 54, 60);  // tambourine on two and four
    drums.Note(9, beat + 3, 0.5, 54, 64);
    drums.Note(9, beat + 3.5, 0.5, 45, 56);
    if (Fill) {
      drums.Note(9, beat + 2.5, 0.5, 47, 62);
      drums.Note(9, beat + 3.0, 0.5, 47, 70);
    }
  };

  // Intro: the drone and lute alone, the drum joining.
  for (int bar = 0; bar < IntroBars; ++bar) {
    chordBar(ChordsA[0], bar, false);
    if (bar >= 2) drumBar(bar, bar == IntroBars - 1);
  }
  int bar = IntroBars;
  for (const TSection& s : Form()) {
    double beat = bar * BeatsABar;
    for (const TMelodyNote& n : *s.Theme) {
      if (n.Note[0] != '-') {
        int k = Key(n.Note);
        int v = n.Beats >= 2 ? 92 : (static_cast<int>(beat * 2) % 4 == 0 ? 100 : 84);
        recorder.Note(0, beat, n.Beats, k, v);
        if (s.Oboe) oboe.Note(4, beat, n.Beats, k - 12, v - 14);
      }
      beat += n.Beats;
    }
    for (int i = 0; i < 8; ++i) {
      chordBar((*s.Chords)[static_cast<std::size_t>(i)], bar + i, s.Oboe);
      if (s.Drums) drumBar(bar + i, i == 7);
    }
    bar += 8;
  }
  const auto endTick = static_cast<std::uint32_t>(TotalBars() * BeatsABar * Division);

  std::vector<TTrack*> tracks{&conductor, &recorder, &lute, &strings, &cello, &oboe, &drums};
  std::vector<std::uint8_t> out{'M', 'T', 'h', 'd'};
  PutU32(out, 6);
  PutU16(out, 1);  // several tracks played together
  PutU16(out, static_cast<std::uint32_t>(tracks.size()));
  PutU16(out, Division);
  for (TTrack* t : tracks) {
    std::vector<std::uint8_t> chunk = TrackChunk(*t, endTick);
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  return out;
}
