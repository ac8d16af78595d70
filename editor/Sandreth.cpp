#include "editor/Sandreth.h"

#include "editor/BuildingForm.h"
#include "editor/MainForm.h"
#include "editor/UnitForm.h"
#include "platform/ddraw/DDraw.h"
#include "platform/dinput/DInput.h"
#include "platform/toolkit/Forms.h"

namespace sandreth {

void CreateSandrethForms() {
  RegisterDDrawModules();
  RegisterDInputModule();
  Application->SetTitle("Brask Mapmaker");
  Application->CreateForm(Form1);
  Application->CreateForm(Form2);
  Application->CreateForm(Form3);
}

}  // namespace sandreth
