// A map the editor saves, opened by the game's map reader: the game gets the
// editor's terrain, name, size, resources and objects.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "editor/MapFiles.h"
#include "game/GameState.h"
#include "game/MapLoading.h"
#include "platform/rtl/Cp1250.h"
#include "world/ObjectNames.h"
#include "world/WorldFiles.h"

TEST(EditorMapInTheGame, TheGamesReaderLoadsWhatTheEditorSaved) {
  const auto dir = std::filesystem::temp_directory_path() / ("sandreth_game_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  sandreth::TEditorState editor;
  editor.Map.SetTerrainAt(5, 6, 2);
  editor.Map.SetHeightAt(5, 6, 3);
  editor.UnitCount = 2;
  editor.Units[1].Name.Assign("Piechur");
  editor.Units[1].Number = 1;
  editor.Units[1].X = 30;
  editor.Units[2].Name.Assign(Cp("Łucznik"));
  editor.Units[2].Number = 1;
  editor.BuildingCount = 1;
  editor.Buildings[1].Name.Assign("Zamek");
  editor.Buildings[1].Number = 1;
  sandreth::TMapFields fields;
  fields.Rows = 60;
  fields.Cols = 70;
  fields.Name = Cp("Wyspa Mgieł");
  fields.Gold = 1500;
  fields.Wood = 700;
  const std::string path = (dir / "wyspa.map").string();
  WriteMapFile(path, sandreth::BuildMapFile(editor, fields));

  ASSERT_TRUE(korvel::IsMapFileName(path));
  TMapFile file;
  ReadMapFile(path, file);
  korvel::TGameState game;
  korvel::ApplyMapFile(game, file);
  EXPECT_EQ(game.Map.MapName.Text(), Cp("Wyspa Mgieł"));
  EXPECT_EQ(game.Map.MapRows, 60);
  EXPECT_EQ(game.Map.MapCols, 70);
  EXPECT_EQ(game.Map.TerrainAt(5, 6), 2);
  EXPECT_EQ(game.Map.HeightAt(5, 6), 3);
  EXPECT_EQ(game.Player.Gold, 1500);
  EXPECT_EQ(game.Player.Wood, 700);
  EXPECT_EQ(game.UnitCount, 2);
  EXPECT_EQ(game.BuildingCount, 1);
  EXPECT_EQ(ObjectIdentifier(game.Units[2]), Cp("Łucznik 1"));
  EXPECT_EQ(game.Units[1].X, 30);
  std::filesystem::remove_all(dir);
}
