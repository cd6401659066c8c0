// The "Please Insert the Next Disk" prompt. InstallNewDiskPrompt makes the
// disk search ask the user through it.
#pragma once
#include "Forms.h"
#include "StdCtrls.h"
#include "ExtCtrls.h"

#include <string>

class TNewDiskForm : public TForm {
public:
  explicit TNewDiskForm(TComponent* owner);

  std::string FileName;  // "SETUP.n", looked for on OK
  TLabel* SelectDiskLabel = nullptr;
  TLabel* PathLabel = nullptr;
  TImage* Image1 = nullptr;
  TEdit* PathEdit = nullptr;
  TButton* BrowseButton = nullptr;
  TButton* OKButton = nullptr;
  TButton* CancelButton = nullptr;

  // The full path OK looks for: the trimmed edit text, one backslash and the
  // file name.
  std::string DiskFilePath() const;

  void FormCloseQuery(TComponent* sender, bool& canClose);
  void BrowseButtonClick(TComponent* sender);
};

// Shows the prompt for disk n; true with the chosen folder (with a trailing
// backslash) in `folder`.
bool NewDiskPrompt(int disk, const std::string& fileName, std::string& folder);
// Plugs NewDiskPrompt into the disk search.
void InstallNewDiskPrompt();
