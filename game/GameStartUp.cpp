// The game's start-up, run once at the main window's first activation: the
// unit and building types from the data folder, one picture per type, the
// spells, the music, and the open-map dialog; only then does the tick run
// the game. Nothing here catches a failure: an error ends start-up at its
// step, the application's error box shows it and the game never runs.
#include <string>

#include "game/Form1.h"
#include "game/Form6.h"
#include "platform/rtl/Files.h"
#include "world/ObjectNames.h"
#include "world/WorldFiles.h"

namespace korvel {

namespace {

// Reads every file of Folder whose extension is exactly Ext (case counts)
// with Read, in the file list's name order. Pointing the file list at the
// folder makes it the current directory, so each file opens by its bare name.
template <class TRead>
void ReadTypeFolder(TFileListBox* List, const std::string& Folder, const char* Ext, TRead Read) {
  List->SetDirectory(Folder);
  TStrings* names = List->Items();
  for (int i = 0; i < names->Count(); ++i) {
    const std::string name = names->Strings(i);
    if (ExtractFileExt(name) == Ext) Read(name);
  }
}

template <class TTable>
void AddTypePictures(TDXImageList* List, const std::string& ImagesDir, const TTable& Types, int Count) {
  for (int i = 1; i <= Count; ++i) {
    TPictureCollectionItem* item = List->Items()->Add();
    item->Picture()->LoadFromFile(ImagesDir + Types[static_cast<size_t>(i)].Name.Text() + ".bmp");
    item->SetTransparentColor(static_cast<TColor>(0xFF00FF));
    item->SetName(PictureName(Types[static_cast<size_t>(i)].Name));
  }
}

}  // namespace

void TForm1::FormActivate(TObject*) {
  // Later activations (a dialog closing, switching programs) do nothing.
  if (FStartedUp) return;
  FStartedUp = true;
  TGameState& g = State;

  g.AppDir = GetCurrentDir();

  ReadTypeFolder(FileListBox1, g.AppDir + "\\data\\units", ".unt", [&g](const std::string& Name) {
    TUnitType type;
    ReadUnitTypeFile(Name, type);
    AddUnitType(g, type);
  });
  ReadTypeFolder(FileListBox1, g.AppDir + "\\data\\buildings", ".bld", [&g](const std::string& Name) {
    TBuildingType type;
    ReadBuildingTypeFile(Name, type);
    AddBuildingType(g, type);
  });

  const std::string images = g.AppDir + "\\data\\images\\";
  AddTypePictures(DXImageList2, images, g.UnitTypes, g.UnitTypeCount);
  AddTypePictures(DXImageList3, images, g.BuildingTypes, g.BuildingTypeCount);

  InitSpells(g.Spells);

  // The game draws its own cursor pictures over the surface.
  DXDraw1->SetCursor(crNone);

  // The music is opened now and plays only when asked to.
  MediaPlayer1->SetFileName(g.AppDir + "\\data\\music\\music1.MID");
  MediaPlayer1->Open();

  g.SavedPanelHeight = Panel1->Height();
  DXDraw1->SetColor(0);

  // Returns once a map has been read, or when cancelling without a map has
  // told the application to end.
  Form6->ShowModal();

  RefreshLists();
  g.GameRunning = 1;
}

}  // namespace korvel
