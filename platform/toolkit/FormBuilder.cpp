#include "platform/toolkit/FormBuilder.h"

void LoadForm(TComponent* Form, const std::function<void()>& SetProperties) {
  Form->BeginLoading();
  SetProperties();
  for (int i = 0; i < Form->ComponentCount(); ++i) Form->Components(i)->Loaded();
  Form->Loaded();
}
