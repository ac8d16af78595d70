// The file controls of the toolkit: TFileListBox (the ordinary files of a
// folder that match a mask, sorted by name), TDirectoryListBox (the folders
// on the way to the current one and its sub-folders), TDriveComboBox (the
// drives; here one entry, the root) and TFilterComboBox (the file types of a
// filter). Linked as an open dialog links them: the drive list drives the
// folder list, the folder list and the filter list drive the file list, and
// the file list shows the chosen name in an edit box.
//
// Folders are windows-1250 paths; "\" and "/" both separate folders.
// Setting a list's Directory makes that folder the current directory.
#pragma once

#include <string>
#include <vector>

#include "platform/toolkit/StdCtrls.h"

class TFileListBox : public TCustomListBox {
 public:
  explicit TFileListBox(TComponent* AOwner);

  // The folder listed, as the current directory reads after changing to it.
  const std::string& Directory() const { return FDirectory; }
  // Makes Value the current directory and lists it; EInOutError when the
  // folder cannot be made current.
  void SetDirectory(const std::string& Value);
  // "*.map"; several masks separate with ";". "*.*" lists every file.
  const std::string& Mask() const { return FMask; }
  void SetMask(const std::string& Value);
  // The chosen file as folder, "\" and name; empty when none is chosen.
  std::string FileName() const;
  // Chooses a file by name (a path changes the folder first).
  void SetFileName(const std::string& Value);
  // The edit box that shows the chosen name (the mask while none is chosen).
  TEdit* FileEdit() const { return FFileEdit; }
  void SetFileEdit(TEdit* Value);
  // Lists the folder again.
  void Update();

  void Click() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  TNotifyEvent OnChange;

 protected:
  virtual void Change();

 private:
  void ReadFileNames();
  std::string FDirectory;
  std::string FMask = "*.*";
  TEdit* FFileEdit = nullptr;
};

class TDirectoryListBox : public TCustomListBox {
 public:
  explicit TDirectoryListBox(TComponent* AOwner);

  const std::string& Directory() const { return FDirectory; }
  // Makes Value the current directory and shows it; the linked file list
  // follows. EInOutError when the folder cannot be made current.
  void SetDirectory(const std::string& Value);
  TFileListBox* FileList() const { return FFileList; }
  void SetFileList(TFileListBox* Value);
  // The folder a row stands for.
  std::string GetItemPath(int Index) const;
  // Opens the folder of the selected row (a double click or Enter does this).
  void OpenCurrent();

  void DblClick() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  TNotifyEvent OnChange;

 protected:
  void KeyPress(char& Key) override;

 private:
  void BuildList();
  std::string FDirectory;
  std::vector<std::string> FParts;
  TFileListBox* FFileList = nullptr;
};

class TDriveComboBox : public TComboBox {
 public:
  explicit TDriveComboBox(TComponent* AOwner);
  // The drive: on this system the one root, "/".
  char Drive() const { return '/'; }
  TDirectoryListBox* DirList() const { return FDirList; }
  void SetDirList(TDirectoryListBox* Value);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TDirectoryListBox* FDirList = nullptr;
};

class TFilterComboBox : public TComboBox {
 public:
  explicit TFilterComboBox(TComponent* AOwner);
  // "Caption|mask|caption|mask..."; one entry per pair.
  const std::string& Filter() const { return FFilter; }
  void SetFilter(const std::string& Value);
  // The mask of the chosen entry ("*.*" with none).
  std::string Mask() const;
  TFileListBox* FileList() const { return FFileList; }
  void SetFileList(TFileListBox* Value);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void Change() override;

 private:
  std::string FFilter;
  std::vector<std::string> FMasks;
  TFileListBox* FFileList = nullptr;
};
