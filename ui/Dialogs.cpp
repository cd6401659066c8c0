#include "Dialogs.h"

#include <vector>

#include "Forms.h"
#include "Seam.h"

bool TOpenDialog::Execute() { return Run(false); }

bool TOpenDialog::Run(bool save) {
  // The filter's "|" separators become the NULs the system wants.
  std::string filter = Filter;
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.append(2, '\0');
  std::vector<char> file(4096, '\0');
  FileName.copy(file.data(), file.size() - 1);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = Screen().ActiveForm() ? Screen().ActiveForm()->Handle() : Application().Handle();
  ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(FilterIndex);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
  ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
  ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
  static const DWORD flags[] = {OFN_READONLY, OFN_OVERWRITEPROMPT, OFN_HIDEREADONLY, OFN_NOCHANGEDIR,
                                OFN_PATHMUSTEXIST, OFN_FILEMUSTEXIST, OFN_CREATEPROMPT, OFN_NOREADONLYRETURN};
  for (unsigned i = 0; i < sizeof(flags) / sizeof(flags[0]); ++i)
    if (Options.Has(static_cast<TOpenOption>(i))) ofn.Flags |= flags[i];
  bool ok = save ? Seam().SaveFileDialog(ofn) : Seam().OpenFileDialog(ofn);
  if (!ok) return false;
  FileName = file.data();
  FilterIndex = static_cast<int>(ofn.nFilterIndex);
  return true;
}
