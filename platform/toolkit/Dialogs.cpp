#include "platform/toolkit/Dialogs.h"

#include <QFileDialog>
#include <algorithm>
#include <vector>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Files.h"
#include "platform/toolkit/MessageBoxes.h"
#include "platform/toolkit/QtBridge.h"
#include "platform/win/KeyState.h"

namespace {

TFileDialogHook gFileDialogHook = nullptr;

std::vector<std::string> SplitBars(const std::string& s) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : s) {
    if (c == '|') {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  parts.push_back(cur);
  return parts;
}

}  // namespace

void SetFileDialogHook(TFileDialogHook Hook) { gFileDialogHook = Hook; }

std::string FilterToQtFilters(const std::string& Filter) {
  if (Filter.empty()) return std::string();
  std::vector<std::string> parts = SplitBars(Filter);
  std::string out;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string masks = parts[i + 1];
    std::replace(masks.begin(), masks.end(), ';', ' ');
    if (!out.empty()) out += ";;";
    out += parts[i];
    out += " (";
    out += masks;
    out += ")";
  }
  return out;
}

// ---------------------------------------------------------------------------
// TOpenDialog, TSaveDialog

TOpenDialog::TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

bool TOpenDialog::Execute() { return Run(false); }

bool TSaveDialog::Execute() { return Run(true); }

bool TOpenDialog::Run(bool Save) {
  TFileDialogEvent e;
  e.Save = Save;
  e.Title = FTitle;
  e.Filter = FFilter;
  e.FilterIndex = FFilterIndex;
  e.InitialDir = FInitialDir;
  e.FileName = FFileName;
  std::string chosen;
  if (gFileDialogHook && gFileDialogHook(e)) {
    if (!e.Ok) return false;
    chosen = e.FileName;
  } else if (Application && Application->Driven()) {
    // Driven headless with nobody to answer: the dialog is cancelled.
    return false;
  } else {
    QFileDialog dialog(SystemDialogOwner(nullptr), ToQString(FTitle));
    dialog.setAcceptMode(Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = ToQString(FilterToQtFilters(FFilter)).split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    if (!filters.isEmpty()) {
      dialog.setNameFilters(filters);
      dialog.selectNameFilter(filters.value(std::clamp(FFilterIndex - 1, 0, static_cast<int>(filters.size()) - 1)));
    }
    const std::string dir = FInitialDir.empty() ? GetCurrentDir() : FInitialDir;
    dialog.setDirectory(QString::fromStdString(HostFileName(dir)));
    if (!FFileName.empty()) dialog.selectFile(QString::fromStdString(HostFileName(ExtractFileName(FFileName))));
    if (RunSystemDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    chosen = Utf8ToCp1250(dialog.selectedFiles().first().toStdString());
    FFilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (FFilterIndex < 1) FFilterIndex = 1;
  }
  if (!FDefaultExt.empty() && ExtractFileExt(chosen).empty()) {
    chosen += '.';
    chosen += FDefaultExt;
  }
  FFileName = chosen;
  return true;
}

// ---------------------------------------------------------------------------
// InputBox, ShowMessage

TInputBoxForm::TInputBoxForm(const std::string& Caption, const std::string& Prompt, const std::string& Default)
    : TForm(nullptr) {
  SetCaption(Caption);
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  // Wide enough for the whole caption in the title bar; the controls keep
  // their places in the middle.
  const int width = std::max(280, TitleBarWidth(Caption));
  const int shift = (width - 280) / 2;
  SetBounds(0, 0, width, 100);
  SetKeyPreview(true);
  OnKeyDown = TKeyEvent(this, &TInputBoxForm::KeyDownHandler);
  FPrompt = new TLabel(this);
  FPrompt->SetName("Prompt");
  FPrompt->SetParent(this);
  FPrompt->SetBounds(8, 8, width - 16, 17);
  FPrompt->SetCaption(Prompt);
  FEdit = new TEdit(this);
  FEdit->SetName("Edit");
  FEdit->SetParent(this);
  FEdit->SetBounds(8, 28, width - 16, 21);
  FEdit->SetText(Default);
  FOk = new TButton(this);
  FOk->SetName("OkButton");
  FOk->SetParent(this);
  FOk->SetBounds(shift + 60, 64, 75, 25);
  FOk->SetCaption("OK");
  FOk->SetModalResult(mrOk);
  FCancel = new TButton(this);
  FCancel->SetName("CancelButton");
  FCancel->SetParent(this);
  FCancel->SetBounds(shift + 145, 64, 75, 25);
  FCancel->SetCaption("Anuluj");
  FCancel->SetModalResult(mrCancel);
  SetActiveControl(FEdit);
}

void TInputBoxForm::KeyDownHandler(TObject*, WORD& Key, TShiftState) {
  if (Key == VK_RETURN) {
    SetModalResult(mrOk);
    Key = 0;
  } else if (Key == VK_ESCAPE) {
    SetModalResult(mrCancel);
    Key = 0;
  }
}

TMessageForm::TMessageForm(const std::string& Text) : TForm(nullptr), FText(Text) {
  SetCaption(Application ? Application->Title() : std::string());
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  OnKeyDown = TKeyEvent(this, &TMessageForm::KeyDownHandler);
  FMessage = new TLabel(this);
  FMessage->SetName("Message");
  FMessage->SetParent(this);
  FMessage->SetLeft(16);
  FMessage->SetTop(16);
  FMessage->SetCaption(Text);
  // Wide enough for the text and for the whole caption in the title bar.
  const int width = std::max({FMessage->Width() + 32, 160, TitleBarWidth(Caption())});
  const int top = FMessage->Top() + FMessage->Height() + 16;
  SetBounds(0, 0, width, top + 25 + 12);
  FOk = new TButton(this);
  FOk->SetName("OkButton");
  FOk->SetParent(this);
  FOk->SetBounds((width - 75) / 2, top, 75, 25);
  FOk->SetCaption("OK");
  FOk->SetModalResult(mrOk);
  SetActiveControl(FOk);
}

void TMessageForm::KeyDownHandler(TObject*, WORD& Key, TShiftState) {
  if (Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_SPACE) {
    SetModalResult(mrOk);
    Key = 0;
  }
}

std::string InputBox(const std::string& Caption, const std::string& Prompt, const std::string& Default) {
  auto* form = new TInputBoxForm(Caption, Prompt, Default);
  std::string result = Default;
  try {
    if (form->ShowModal() == mrOk && ControlAlive(form)) result = form->Edit()->Text();
  } catch (...) {
    if (ControlAlive(form)) form->Free();
    throw;
  }
  if (ControlAlive(form)) form->Free();
  return result;
}

void ShowMessage(const std::string& Text) {
  auto* form = new TMessageForm(Text);
  try {
    form->ShowModal();
  } catch (...) {
    if (ControlAlive(form)) form->Free();
    throw;
  }
  if (ControlAlive(form)) form->Free();
}
