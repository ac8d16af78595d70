#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ctrl_fixture.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/Dialogs.h"
#include "platform/toolkit/FileCtrl.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Rows(const TCustomListBox* l) {
  std::vector<std::string> rows;
  for (int i = 0; i < l->Items()->Count(); ++i) rows.push_back(l->Items()->Strings(i));
  return rows;
}

class TFileControlsTest : public TControlsTest {
 protected:
  void SetUp() override {
    TControlsTest::SetUp();
    Saved = GetCurrentDir();
    Root = fs::temp_directory_path() / ("ctrl_files_" + std::to_string(::getpid()));
    fs::remove_all(Root);
    fs::create_directories(Root / "maps" / "more");
    fs::create_directories(Root / "other");
    for (const char* f : {"maps/b.map", "maps/A.map", "maps/c.MAP", "maps/notes.txt", "maps/x.mapa"})
      std::ofstream(Root / f) << "x";
    RootDir = Root.string();
  }
  void TearDown() override {
    SetCurrentDir(Saved);
    fs::remove_all(Root);
    TControlsTest::TearDown();
  }
  std::string Saved;
  fs::path Root;
  std::string RootDir;
};

}  // namespace

TEST_F(TFileControlsTest, FileListChangesTheCurrentDirectoryAndListsByMask) {
  auto* files = new TFileListBox(Main);  // hidden: never given a window
  files->SetDirectory(RootDir + "\\maps");
  EXPECT_EQ(GetCurrentDir(), RootDir + "/maps");
  EXPECT_EQ(files->Directory(), RootDir + "/maps");
  EXPECT_EQ(Rows(files), (std::vector<std::string>{"A.map", "b.map", "c.MAP", "notes.txt", "x.mapa"}));
  files->SetMask("*.map");
  EXPECT_EQ(Rows(files), (std::vector<std::string>{"A.map", "b.map", "c.MAP"}));
  files->SetMask("*.txt;*.mapa");
  EXPECT_EQ(Rows(files), (std::vector<std::string>{"notes.txt", "x.mapa"}));
  EXPECT_EQ(files->FileName(), "");
  files->SetItemIndex(1);
  EXPECT_EQ(files->FileName(), RootDir + "/maps\\x.mapa");
  try {
    files->SetDirectory(RootDir + "\\missing");
    ADD_FAILURE();
  } catch (const EInOutError& e) { EXPECT_EQ(e.ErrorCode, ioPathNotFound); }
  EXPECT_EQ(GetCurrentDir(), RootDir + "/maps");  // unchanged by the failure
  EXPECT_EQ(files->Items()->Count(), 2);
}

// The game's open-map dialog: drive, folder and filter lists steer the
// file list, which shows the chosen name in the edit box.
TEST_F(TFileControlsTest, LinkedListsWorkAsTheOpenMapDialog) {
  SetCurrentDir(RootDir);
  auto* drives = Make<TDriveComboBox>("DriveComboBox1", 8, 40, 145, 19);
  auto* dirs = Make<TDirectoryListBox>("DirectoryListBox1", 8, 64, 145, 185);
  auto* filter = Make<TFilterComboBox>("FilterComboBox1", 160, 40, 145, 21);
  auto* files = Make<TFileListBox>("FileListBox1", 160, 64, 145, 185);
  auto* edit = Make<TEdit>("Edit1", 8, 256, 297, 21);
  files->SetMask("*.map");
  files->SetFileEdit(edit);
  filter->SetFilter("Pliki mapy|*.map|Wszystkie|*.*");
  filter->SetFileList(files);
  dirs->SetFileList(files);
  drives->SetDirList(dirs);
  ShowMain();
  EXPECT_EQ(drives->Items()->Count(), 1);
  EXPECT_EQ(drives->Text(), "/");
  EXPECT_EQ(filter->Items()->Count(), 2);
  EXPECT_EQ(filter->Text(), "Pliki mapy");
  EXPECT_EQ(edit->Text(), "*.map");
  EXPECT_TRUE(files->Items()->Count() == 0);
  // The folder list shows the way down and the sub-folders below.
  const int maps = dirs->Items()->IndexOf("maps");
  ASSERT_GT(maps, 0);
  EXPECT_EQ(dirs->GetItemPath(maps), RootDir + "\\maps");
  Controls->DoubleClickListRow(dirs, maps);
  EXPECT_EQ(dirs->Directory(), RootDir + "/maps");
  EXPECT_EQ(GetCurrentDir(), RootDir + "/maps");
  EXPECT_EQ(Rows(files), (std::vector<std::string>{"A.map", "b.map", "c.MAP"}));
  Controls->ClickListRow(files, 1);
  EXPECT_EQ(files->FileName(), RootDir + "/maps\\b.map");
  EXPECT_EQ(edit->Text(), "b.map");
  Controls->PickComboItem(filter, 1);
  EXPECT_EQ(files->Mask(), "*.*");
  EXPECT_EQ(files->Items()->Count(), 5);
  EXPECT_EQ(files->FileName(), "");
  EXPECT_EQ(edit->Text(), "*.*");
  // Up again by the folder's own row.
  Controls->DoubleClickListRow(dirs, maps - 1);
  EXPECT_EQ(GetCurrentDir(), RootDir);
  EXPECT_EQ(files->Directory(), RootDir);
}

TEST_F(TFileControlsTest, FileDialogsAreAnsweredWithAPath) {
  TOpenDialog* open = new TOpenDialog(Main);
  open->SetFilter("Pliki map|*.map");
  open->SetTitle(Cp("Otwórz mapę"));
  TSaveDialog* save = new TSaveDialog(Main);
  save->SetTitle(Cp("Zapisz mapę"));
  Controls->AnswerFileDialogWith(RootDir + "/maps/b.map");
  Controls->CancelFileDialog();
  Controls->AnswerFileDialogWith(RootDir + "/nowa");
  EXPECT_TRUE(open->Execute());
  EXPECT_EQ(open->FileName(), RootDir + "/maps/b.map");
  EXPECT_FALSE(open->Execute());
  EXPECT_EQ(open->FileName(), RootDir + "/maps/b.map");
  EXPECT_TRUE(save->Execute());
  EXPECT_EQ(save->FileName(), RootDir + "/nowa");  // no extension added
  EXPECT_FALSE(save->Execute());                   // nobody answers: cancelled
  ASSERT_EQ(Controls->FileDialogs().size(), 4u);
  EXPECT_EQ(Controls->FileDialogs()[0].Title, Cp("Otwórz mapę"));
  EXPECT_EQ(Controls->FileDialogs()[0].Filter, "Pliki map|*.map");
  EXPECT_TRUE(Controls->FileDialogs()[2].Save);
  EXPECT_EQ(Controls->UnansweredFileDialogs(), 1);
  EXPECT_EQ(FilterToQtFilters("Pliki map|*.map|Obrazy|*.bmp;*.dib"), "Pliki map (*.map);;Obrazy (*.bmp *.dib)");
}
