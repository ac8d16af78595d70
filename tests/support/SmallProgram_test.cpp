// A small program built the way both programs are (a state object owned by
// its main form, start-up at the first activation reading the start folder,
// a frame timer driving the frames), started from a temporary start folder
// under the test driver and run for 100 frames.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "display/DXDraw.h"
#include "display/DXImageList.h"
#include "display/DXTimer.h"
#include "platform/ddraw/DDraw.h"
#include "platform/media/MediaPlayer.h"
#include "platform/media/MediaTest.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/SysUtils.h"
#include "platform/toolkit/Dialogs.h"
#include "platform/toolkit/Forms.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/StartFolder.h"
#include "world/WorldFiles.h"

namespace {

// The program's whole world: made afresh with its main form.
struct TSmallState {
  std::string AppDir;
  TUnitTypeTable UnitTypes{};
  int UnitTypeCount = 0;
  std::uint8_t Running = 0;
  int Ticks = 0;
  int Frames = 0;
};

class TSmallForm : public TForm {
 public:
  explicit TSmallForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("SmallForm1");
    SetCaption("Korvel");
    SetBounds(20, 20, 320, 240);
    DXDraw1 = new TDXDraw(this);
    DXDraw1->BeginLoading();
    DXDraw1->SetName("DXDraw1");
    DXDraw1->SetParent(this);
    DXDraw1->SetAlign(alClient);
    DXDraw1->Loaded();
    DXImageList1 = new TDXImageList(this);
    DXImageList1->BeginLoading();
    DXImageList1->SetName("DXImageList1");
    DXImageList1->Loaded();
    DXImageList1->SetDXDraw(DXDraw1);
    DXTimer1 = new TDXTimer(this);
    DXTimer1->BeginLoading();
    DXTimer1->SetName("DXTimer1");
    DXTimer1->SetActiveOnly(true);
    DXTimer1->SetEnabled(true);
    DXTimer1->SetInterval(1);
    DXTimer1->OnTimer = TDXTimerEvent(this, &TSmallForm::DXTimer1Timer);
    DXTimer1->Loaded();
    MediaPlayer1 = new TMediaPlayer(this);
    MediaPlayer1->SetName("MediaPlayer1");
    MediaPlayer1->SetParent(this);
    MediaPlayer1->SetVisible(false);
    OnActivate = TNotifyEvent(this, &TSmallForm::FormActivate);
  }

  void FormActivate(TObject*) {
    if (FStarted) return;
    FStarted = true;
    TSmallState& s = *State;
    s.AppDir = GetCurrentDir();
    for (const std::string& name : ListFiles(s.AppDir + "\\data\\units")) {
      if (ExtractFileExt(name) != ".unt") continue;  // compared as the program does: case counts
      ReadUnitTypeFile(s.AppDir + "\\data\\units\\" + name, s.UnitTypes[static_cast<size_t>(++s.UnitTypeCount)]);
    }
    for (int i = 1; i <= s.UnitTypeCount; ++i) {
      TPictureCollectionItem* item = DXImageList1->Items()->Add();
      item->Picture()->LoadFromFile(s.AppDir + "\\data\\images\\" + s.UnitTypes[static_cast<size_t>(i)].Name.Text() +
                                    ".bmp");
      item->SetTransparentColor(0xFF00FF);
      item->SetName(AsciiLowerCase(s.UnitTypes[static_cast<size_t>(i)].Name.Text()));
    }
    // The music, named as a case-blind system lets it be named.
    MediaPlayer1->SetFileName(s.AppDir + "\\data\\music\\music1.MID");
    MediaPlayer1->Open();
    ShowMessage(Cp("Witaj w grze!"));
    s.Running = 1;
  }

  void DXTimer1Timer(TObject*, std::int32_t) {
    TSmallState& s = *State;
    ++s.Ticks;
    if (!s.Running || !DXDraw1->CanDraw()) return;
    if (s.Frames == 0) MediaPlayer1->Play();
    TDirectDrawSurface* back = DXDraw1->Surface();
    back->Fill(0);
    for (int i = 0; i < DXImageList1->Items()->Count(); ++i)
      DXImageList1->Items()->Items(i)->Draw(back, 10 + 40 * i + s.Frames % 8, 10, 0);
    DXDraw1->Flip();
    ++s.Frames;
  }

  std::unique_ptr<TSmallState> State = std::make_unique<TSmallState>();
  TDXDraw* DXDraw1;
  TDXImageList* DXImageList1;
  TDXTimer* DXTimer1;
  TMediaPlayer* MediaPlayer1;

 private:
  bool FStarted = false;
};

TSmallForm* SmallForm1 = nullptr;

// The program's start-up, as its main runs it.
void CreateSmallForms() {
  RegisterDDrawModules();
  Application->CreateForm(SmallForm1);
}

TUnitType UnitTypeNamed(const std::string& Name) {
  TUnitType t;
  t.Name.Assign(Name);
  t.MaxHP = 50;
  return t;
}

void FillStartFolder(TTempStartFolder& Start) {
  Start.AddUnitType("data\\units", "1lucznik.unt", UnitTypeNamed(Cp("Łucznik")));
  Start.AddUnitType("data\\units", "2wojownik.unt", UnitTypeNamed("Wojownik"));
  Start.AddUnitType("data\\units", "3skip.UNT", UnitTypeNamed("Pomijany"));
  // Picture names written in another case than the type names, as a
  // case-blind system lets them be.
  Start.AddBitmap(Cp("data\\images\\łucznik.BMP"), 16, 16, 0x0000FF);
  Start.AddBitmap("data\\images\\WOJOWNIK.bmp", 16, 16, 0x00FF00);
  Start.AddMidi("data\\music\\music1.mid");
}

}  // namespace

TEST(SmallProgram, StartsFromATemporaryStartFolderAndRunsAHundredFrames) {
  TTempStartFolder start;
  FillStartFolder(start);
  TProgramRun run;
  run.Start(CreateSmallForms);
  TSmallForm* form = SmallForm1;
  std::string shown;
  run.Driver().AnswerNext([&](TDialogEvent& d) {
    shown = d.Text;
    d.ClickOk();
  });
  ASSERT_TRUE(run.Driver().RunUntil([&] { return form->State->Running == 1; }, 100));
  const TSmallState& s = *form->State;
  EXPECT_EQ(shown, Cp("Witaj w grze!"));
  EXPECT_EQ(s.AppDir, start.Path());
  ASSERT_EQ(s.UnitTypeCount, 2);
  EXPECT_EQ(s.UnitTypes[1].Name.Text(), Cp("Łucznik"));
  EXPECT_TRUE(form->DXDraw1->CanDraw());

  const int framesBefore = s.Frames;
  run.Driver().RunTicks(100);
  EXPECT_EQ(s.Frames, framesBefore + 100);
  TPixels px = run.Driver().ReadPixels(form->DXDraw1);
  ASSERT_GT(px.Width, 100);
  const int last = (s.Frames - 1) % 8;             // where the last frame put the pictures
  EXPECT_EQ(px.At(10 + last + 8, 18), 0xFF0000u);  // the archer, red
  EXPECT_EQ(px.At(50 + last + 8, 18), 0x00FF00u);
  EXPECT_EQ(px.At(5, 5), 0u);

  // The music plays into the program's sound mix.
  EXPECT_EQ(form->MediaPlayer1->Mode(), mpPlaying);
  if (MediaTest::SoundFont(*form->MediaPlayer1).empty()) {
    std::printf("no sound font: the music is silent\n");
  } else {
    const std::vector<std::int16_t> mix = run.RenderSound(4800);
    int loudest = 0;
    for (std::int16_t v : mix) loudest = std::max(loudest, std::abs(static_cast<int>(v)));
    EXPECT_GT(loudest, 100);
  }
  EXPECT_TRUE(run.Driver().Failures().empty());
  EXPECT_FALSE(run.App().Terminated());
}

TEST(SmallProgram, AStartUpFailureShowsInTheErrorBoxAndTheProgramNeverRuns) {
  TTempStartFolder start;
  FillStartFolder(start);
  start.AddUnitType("data\\units", "4mag.unt", UnitTypeNamed("Mag"));  // no picture
  TProgramRun run;
  run.Start(CreateSmallForms);
  TSmallForm* form = SmallForm1;
  TDialogEvent box;
  run.Driver().AnswerNext([&](TDialogEvent& d) {
    box = d;
    d.ClickOk();
  });
  run.Driver().RunTicks(30);
  const std::string picture = start.Path() + "\\data\\images\\Mag.bmp";
  EXPECT_EQ(box.Kind, TDialogEvent::dkMessageBox);
  EXPECT_EQ(box.Caption, "Brask Engine");
  EXPECT_EQ(box.Text, "Cannot open file \"" + picture + "\". " + SysErrorMessage(ENOENT));
  EXPECT_EQ(form->State->Running, 0);
  EXPECT_EQ(form->State->Frames, 0);
  EXPECT_GT(form->State->Ticks, 20);  // the timer runs; the tick does nothing
}

TEST(SmallProgram, EachRunStartsFromAFreshState) {
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    TTempStartFolder start;
    FillStartFolder(start);
    TProgramRun run;
    run.Start(CreateSmallForms);
    run.Driver().AnswerNext([](TDialogEvent& d) { d.ClickOk(); });
    run.Driver().RunTicks(10);
    EXPECT_EQ(SmallForm1->State->UnitTypeCount, 2);
    EXPECT_GT(SmallForm1->State->Frames, 0);
    EXPECT_LE(SmallForm1->State->Frames, 10);
  }
}

TEST(SmallProgram, AForgottenAnswerFailsTheTestWithinAFewFrames) {
  TTempStartFolder start;
  FillStartFolder(start);
  TProgramRun run;
  run.Start(CreateSmallForms);
  EXPECT_NONFATAL_FAILURE(run.Driver().RunTicks(100000), "Unanswered modal form \"Brask Engine\": Witaj w grze!");
  EXPECT_LE(run.Driver().LastRunPasses(), run.Driver().ModalGrace() + 2);
  EXPECT_LE(SmallForm1->State->Ticks, run.Driver().ModalGrace() + 2);
  EXPECT_EQ(SmallForm1->State->Running, 1);  // the message was closed, start-up went on
}
