// The modal forms of the windows under test, and steps run inside their loops.
#pragma once
#include "Forms.h"
#include "TestSteps.h"

// The modal form of class T that is up now.
template <class T>
T* ModalForm() {
  for (TForm* f : Screen().Forms())
    if (auto* t = dynamic_cast<T*>(f); t && t->Modal() && t->Visible()) return t;
  return nullptr;
}
