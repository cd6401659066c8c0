// The open and save dialogs, shown through the seam.
#pragma once
#include <string>
#include <vector>

#include "Component.h"
#include "Enums.h"

enum class TOpenOption { ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofPathMustExist,
                         ofFileMustExist, ofCreatePrompt, ofNoReadOnlyReturn, ofAllowMultiSelect };
TZ_ENUM_NAMES(TOpenOption, "ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir",
              "ofPathMustExist", "ofFileMustExist", "ofCreatePrompt", "ofNoReadOnlyReturn", "ofAllowMultiSelect")
using TOpenOptions = TSet<TOpenOption>;

class TOpenDialog : public TComponent {
public:
  explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}
  std::string FileName;
  // "Description|*.ext|Other|*.x;*.y"
  std::string Filter;
  int FilterIndex = 1;
  std::string DefaultExt;
  std::string InitialDir;
  std::string Title;
  TOpenOptions Options{TOpenOption::ofHideReadOnly};
  // True when the user chose a name (now in FileName). With
  // ofAllowMultiSelect, Files holds every chosen file and FileName the
  // first; otherwise Files holds FileName alone.
  virtual bool Execute();
  std::vector<std::string> Files;

protected:
  bool Run(bool save);
};

class TSaveDialog : public TOpenDialog {
public:
  explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}
  bool Execute() override { return Run(true); }
};
