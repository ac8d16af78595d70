#include "platform/toolkit/FileCtrl.h"

#include <algorithm>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/toolkit/QtBridge.h"

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : s) {
    if (c == sep) {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  parts.push_back(cur);
  return parts;
}

// Changes the current directory, as the runtime's ChDir does; a failure
// raises the runtime's text for what went wrong.
std::string ChangeDir(const std::string& Dir) {
  if (const int error = ChangeCurrentDir(Dir)) throw EInOutError(error);
  return GetCurrentDir();
}

std::string JoinPath(const std::string& Dir, const std::string& Name) {
  if (!Dir.empty() && (Dir.back() == '\\' || Dir.back() == '/')) return Dir + Name;
  return Dir + "\\" + Name;
}

}  // namespace

// ---------------------------------------------------------------------------
// TFileListBox

TFileListBox::TFileListBox(TComponent* AOwner) : TCustomListBox(AOwner), FDirectory(GetCurrentDir()) {
  ReadFileNames();
}

void TFileListBox::SetDirectory(const std::string& Value) {
  FDirectory = ChangeDir(Value);
  ReadFileNames();
}

void TFileListBox::SetMask(const std::string& Value) {
  FMask = Value;
  ReadFileNames();
}

void TFileListBox::Update() { ReadFileNames(); }

void TFileListBox::ReadFileNames() {
  std::vector<std::string> masks = Split(FMask.empty() ? std::string("*") : FMask, ';');
  for (std::string& m : masks)
    if (m == "*.*") m = "*";
  std::vector<std::string> names = ListFiles(FDirectory, "*");
  Items()->Clear();
  for (const std::string& n : names)
    if (std::any_of(masks.begin(), masks.end(), [&](const std::string& m) { return !m.empty() && MatchesMask(n, m); }))
      Items()->Add(n);
  SetItemIndex(-1);
  Change();
}

std::string TFileListBox::FileName() const {
  const int i = ItemIndex();
  if (i < 0 || i >= Items()->Count() || !Selected(i)) return std::string();
  return JoinPath(FDirectory, Items()->Strings(i));
}

void TFileListBox::SetFileName(const std::string& Value) {
  std::string name = ExtractFileName(Value);
  if (name.size() < Value.size()) {
    std::string dir = Value.substr(0, Value.size() - name.size());
    if (dir.size() > 1 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    SetDirectory(dir);
  }
  SetItemIndex(Items()->IndexOf(name));
  Change();
}

void TFileListBox::SetFileEdit(TEdit* Value) {
  if (FFileEdit) FFileEdit->RemoveFreeNotification(this);
  FFileEdit = Value;
  if (FFileEdit) {
    FFileEdit->FreeNotification(this);
    Change();
  }
}

void TFileListBox::Click() {
  if (InMouseUp()) return;
  TCustomListBox::Click();
  if (ControlAlive(this)) Change();
}

void TFileListBox::Change() {
  if (FFileEdit) {
    const std::string file = FileName();
    FFileEdit->SetText(file.empty() ? FMask : ExtractFileName(file));
    FFileEdit->SelectAll();
  }
  if (OnChange) OnChange(this);
}

void TFileListBox::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomListBox::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFileEdit) FFileEdit = nullptr;
}

// ---------------------------------------------------------------------------
// TDirectoryListBox

TDirectoryListBox::TDirectoryListBox(TComponent* AOwner) : TCustomListBox(AOwner), FDirectory(GetCurrentDir()) {
  BuildList();
}

void TDirectoryListBox::SetDirectory(const std::string& Value) {
  FDirectory = ChangeDir(Value);
  BuildList();
  if (FFileList) FFileList->SetDirectory(FDirectory);
  if (OnChange) OnChange(this);
}

void TDirectoryListBox::BuildList() {
  FParts.clear();
  FParts.push_back("/");
  for (const std::string& p : Split(FDirectory, '/'))
    if (!p.empty()) FParts.push_back(p);
  Items()->Clear();
  for (const std::string& p : FParts) Items()->Add(p);
  for (const std::string& d : ListDirectories(FDirectory)) Items()->Add(d);
  SetItemIndex(static_cast<int>(FParts.size()) - 1);
}

std::string TDirectoryListBox::GetItemPath(int Index) const {
  const int level = static_cast<int>(FParts.size()) - 1;
  if (Index < 0 || Index >= Items()->Count()) return std::string();
  if (Index > level) return JoinPath(FDirectory, Items()->Strings(Index));
  std::string path;
  for (int i = 1; i <= Index; ++i) path += "/" + FParts[static_cast<size_t>(i)];
  return path.empty() ? std::string("/") : path;
}

void TDirectoryListBox::OpenCurrent() {
  const std::string path = GetItemPath(ItemIndex());
  if (!path.empty()) SetDirectory(path);
}

void TDirectoryListBox::DblClick() {
  TCustomListBox::DblClick();
  if (ControlAlive(this)) OpenCurrent();
}

void TDirectoryListBox::KeyPress(char& Key) {
  TCustomListBox::KeyPress(Key);
  if (Key == '\r') {
    OpenCurrent();
    Key = 0;
  }
}

void TDirectoryListBox::SetFileList(TFileListBox* Value) {
  if (FFileList) FFileList->RemoveFreeNotification(this);
  FFileList = Value;
  if (FFileList) {
    FFileList->FreeNotification(this);
    FFileList->SetDirectory(FDirectory);
  }
}

void TDirectoryListBox::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomListBox::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFileList) FFileList = nullptr;
}

// ---------------------------------------------------------------------------
// TDriveComboBox

TDriveComboBox::TDriveComboBox(TComponent* AOwner) : TComboBox(AOwner) {
  SetStyle(csDropDownList);
  Items()->Add("/");
  SetItemIndex(0);
}

void TDriveComboBox::SetDirList(TDirectoryListBox* Value) {
  if (FDirList) FDirList->RemoveFreeNotification(this);
  FDirList = Value;
  if (FDirList) FDirList->FreeNotification(this);
}

void TDriveComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TComboBox::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDirList) FDirList = nullptr;
}

// ---------------------------------------------------------------------------
// TFilterComboBox

TFilterComboBox::TFilterComboBox(TComponent* AOwner) : TComboBox(AOwner) {
  SetStyle(csDropDownList);
  SetFilter("All files (*.*)|*.*");
}

void TFilterComboBox::SetFilter(const std::string& Value) {
  FFilter = Value;
  FMasks.clear();
  Items()->Clear();
  std::vector<std::string> parts = Split(Value, '|');
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    Items()->Add(parts[i]);
    FMasks.push_back(parts[i + 1]);
  }
  SetItemIndex(Items()->Count() > 0 ? 0 : -1);
}

std::string TFilterComboBox::Mask() const {
  const int i = ItemIndex();
  if (i < 0 || i >= static_cast<int>(FMasks.size())) return "*.*";
  return FMasks[static_cast<size_t>(i)];
}

void TFilterComboBox::SetFileList(TFileListBox* Value) {
  if (FFileList) FFileList->RemoveFreeNotification(this);
  FFileList = Value;
  if (FFileList) FFileList->FreeNotification(this);
}

void TFilterComboBox::Change() {
  if (FFileList) FFileList->SetMask(Mask());
  TComboBox::Change();
}

void TFilterComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TComboBox::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFileList) FFileList = nullptr;
}
