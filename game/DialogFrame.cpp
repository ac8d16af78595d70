#include "game/DialogFrame.h"

#include "platform/toolkit/FormBuilder.h"

namespace korvel {

namespace {

void UseDialogFont(TFont* Font, TColor Color) {
  Font->SetName("Comic Sans MS");
  Font->SetStyle(TFontStyles{fsBold});
  Font->SetColor(Color);
}

}  // namespace

TDialogFrame MakeDialogFrame(TForm* Form, const char* Name, const std::string& Caption, const std::string& Title,
                             int Width, int Height) {
  Form->SetName(Name);
  Form->SetCaption(Caption);
  Form->SetBorderStyle(bsNone);
  Form->SetPosition(poScreenCenter);
  Form->SetClientWidth(Width);
  Form->SetClientHeight(Height);

  TDialogFrame frame;
  frame.Shape1 = MakeComponent<TShape>(Form, "Shape1", Form, 0, 0, Width, 25);
  frame.Label1 = MakeComponent<TLabel>(Form, "Label1", Form, 6, 3, Width - 12, 19);
  frame.Label1->SetCaption(Title);
  UseDialogFont(frame.Label1->Font(), clBlack);
  frame.Label1->SetTransparent(true);
  frame.Shape2 = MakeComponent<TShape>(Form, "Shape2", Form, 0, 25, Width, Height - 25);
  frame.Shape2->Brush()->SetColor(clBtnFace);
  frame.Shape2->Pen()->SetColor(clBtnFace);
  return frame;
}

TListBox* MakeDialogList(TForm* Form, const char* Name, int Left, int Top, int Width, int Height, TColor Color,
                         bool MultiSelect, const std::string& Hint) {
  auto* list = MakeComponent<TListBox>(Form, Name, Form, Left, Top, Width, Height);
  list->SetColor(clBlack);
  UseDialogFont(list->Font(), Color);
  list->SetItemHeight(16);
  list->SetMultiSelect(MultiSelect);
  if (!Hint.empty()) {
    list->SetHint(Hint);
    list->SetShowHint(true);
  }
  return list;
}

TSpeedButton* MakeDialogButton(TForm* Form, const char* Name, int Left, int Top, int Width,
                               const std::string& Caption) {
  auto* button = MakeComponent<TSpeedButton>(Form, Name, Form, Left, Top, Width, 22);
  button->SetFlat(true);
  button->SetCaption(Caption);
  return button;
}

}  // namespace korvel
