#include "Dialogs.h"

#include <cstring>
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
  std::vector<char> file(Options.Has(TOpenOption::ofAllowMultiSelect) ? 65536 : 4096, '\0');
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
                                OFN_PATHMUSTEXIST, OFN_FILEMUSTEXIST, OFN_CREATEPROMPT, OFN_NOREADONLYRETURN,
                                OFN_ALLOWMULTISELECT};
  for (unsigned i = 0; i < sizeof(flags) / sizeof(flags[0]); ++i)
    if (Options.Has(static_cast<TOpenOption>(i))) ofn.Flags |= flags[i];
  bool ok = save ? Seam().SaveFileDialog(ofn) : Seam().OpenFileDialog(ofn);
  if (!ok) return false;
  // Several files come as the folder, then each name, each ended by a NUL;
  // the first name then starts right after the folder's NUL.
  Files.clear();
  const std::string first(file.data(), strnlen(file.data(), file.size()));
  const size_t offset = ofn.nFileOffset;
  if (Options.Has(TOpenOption::ofAllowMultiSelect) && offset == first.size() + 1 && offset < file.size()) {
    const std::string folder = first.empty() || first.back() == '\\' ? first : first + "\\";
    for (size_t at = offset; at < file.size() && file[at];) {
      const std::string name(file.data() + at, strnlen(file.data() + at, file.size() - at));
      Files.push_back(folder + name);
      at += name.size() + 1;
    }
  }
  if (Files.empty()) Files.push_back(first);
  FileName = Files.front();
  FilterIndex = static_cast<int>(ofn.nFilterIndex);
  return true;
}
