// The folder chooser "Select Folder": a path edit over the folder list and
// the drive picker. Callers set TheEdit, CreateName and Label1, show it
// modally, and on OK read TheEdit.
#pragma once
#include "Forms.h"
#include "NewFCtrl.h"
#include "StdCtrls.h"

#include <string>

class TChooseDirForm : public TForm {
public:
  explicit TChooseDirForm(TComponent* owner);
  ~TChooseDirForm() override;

  TLabel* Label1 = nullptr;
  TEdit* TheEdit = nullptr;
  TNewDirectoryListBox* NewDirectoryListBox1 = nullptr;
  TNewDriveComboBox* NewDriveComboBox1 = nullptr;
  TLabel* CreateName = nullptr;
  TButton* OKButton = nullptr;
  TButton* CancelButton = nullptr;

  void FormShow(TComponent* sender);
  void NewDirectoryListBox1Change(TComponent* sender);
};

// Made at start-up, with the background window and the About box.
extern TChooseDirForm* ChooseDirForm;

// The deepest folder of `path` that exists ("" when none does).
std::string NearestExistingFolder(const std::string& path);
