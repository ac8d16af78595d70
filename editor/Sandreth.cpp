#include "editor/Sandreth.h"

#include "editor/BuildingForm.h"
#include "editor/MainForm.h"
#include "editor/UnitForm.h"
#include "platform/toolkit/Forms.h"

void CreateSandrethForms(TApplication& App) {
  App.SetTitle("Brask Mapmaker");
  App.CreateForm(Form1);
  App.CreateForm(Form2);
  App.CreateForm(Form3);
}
