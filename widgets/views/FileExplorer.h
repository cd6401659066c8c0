// The file list of one folder and the drive/path combo that can drive it.
//
//   object SourceFileView: TFileListView      // name, size, type, modified,
//     ViewStyle = vsList                      // attributes; sorted by a
//   end                                       // click on a column header
//   object DirCombo1: TDirComboBox            // "Drives", the drives and
//     FileList = SourceFileView               // the levels of the path
//   end
//
// Creating a file list sets the program-wide date and time formats to
// "mm/dd/yyyy" and "hh:nn". Setting a list's or a combo's folder makes it
// the process's current directory.
// Register with RegisterFileExplorerClasses().
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ComCtrls.h"
#include "Description.h"

// The input/output error of a folder that cannot be made current;
// GetLastError() still holds the system's code when it is caught.
class EDirectoryError : public Exception {
public:
  EDirectoryError(const std::string& msg, DWORD code) : Exception(msg), ErrorCode(code) {}
  DWORD ErrorCode;
};

// How many times `c` occurs in `text`.
int CharCount(const std::string& text, char c);
// The 1-based position of the n-th `c` in `text`; INT_MAX when there is none.
int NthCharPos(const std::string& text, char c, int n);
// Starts `file` through the shell (the default verb), owned by the main window.
void LaunchFile(const std::string& file, const std::string& params, const std::string& dir, int show);

// The texts of a file list item: its caption and its sub-items (size, type,
// modified, attributes, full path, "dir" or "file").
struct TFileItemText {
  const std::string& Caption;
  const std::vector<std::string>& SubItems;
};
// The list's order of two items by `column` (0 name, 1 size, 2 type,
// 3 modified, 4 attributes): -1, 0 or +1, negated when `reversed`. Entries
// of size 0 (folders, empty files) come first, before the column counts.
int CompareFileItems(const TFileItemText& a, const TFileItemText& b, int column, bool reversed);

// The combo's items for the drives present and the current path: "0:Drives",
// "1:" + each drive root, and for the path's drive "2:", "3:", ... + the
// path up to its 2nd, 3rd, ... backslash. The current item has a "T" in front.
struct TDirComboItems {
  std::vector<std::string> Items;
  int Current = -1;
};
TDirComboItems DirComboItems(DWORD driveMask, const std::string& path);

class TDirComboBox;

class TFileListView : public TListView {
public:
  explicit TFileListView(TComponent* owner);
  static const TClassInfo& ClassInfo();

  // The listed folder as the system reports it.
  const std::string& Directory() const { return directory_; }
  // Makes `value` current and lists it; the same folder in other letter
  // case changes nothing. Raises EDirectoryError when it cannot be made current.
  void SetDirectory(const std::string& value);
  const std::string& Mask() const { return mask_; }
  // Patterns separated by ";".
  void SetMask(const std::string& value);
  TDirComboBox* DirCombo() const { return combo_; }
  void SetDirCombo(TDirComboBox* combo);
  // The full path of the item last clicked; empty before a click and after
  // the list is filled again.
  const std::string& GetSelectedFile() const { return selectedFile_; }
  int SortColumn() const { return sortColumn_; }
  bool SortReversed() const { return reversed_; }
  // Lists the folder again.
  void FillList();

protected:
  void CreateWnd() override;
  void Click() override;
  void DblClick() override;
  void ColumnClick(int column) override;
  void Notification(TComponent* c, TOperation op) override;

private:
  void AddFileItem(const std::string& folder, const WIN32_FIND_DATAA& found);
  std::string directory_, mask_ = "*.*", selectedFile_;
  TDirComboBox* combo_ = nullptr;
  int sortColumn_ = 1;
  bool reversed_ = true;
  bool shellImages_ = false;
};

class TDirComboBox : public TComboBox {
public:
  explicit TDirComboBox(TComponent* owner);
  static const TClassInfo& ClassInfo();

  // The drive letter (lower case), or 0.
  char Drive() const { return drive_; }
  // Goes to the drive's root, as choosing its item does.
  void SetDrive(char letter);
  const std::string& SelectedDir() const { return selectedDir_; }
  // Stores the folder; an existing one becomes the current path, the
  // process's current directory and a linked list's folder.
  void SetSelectedDir(const std::string& value);
  TFileListView* FileList() const { return list_; }
  void SetFileList(TFileListView* list);
  // The path the items show ("Drives" for the drives level).
  const std::string& Path() const { return path_; }
  // A linked list entered a folder: show it.
  void SetPath(const std::string& path);
  void RebuildItems();

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void WndProc(TMessage& m) override;
  void Notification(TComponent* c, TOperation op) override;

private:
  // The user chose item `index`: go there.
  void ItemChosen(int index);
  // Goes to the path after the first ":" of an item's text.
  void ChangeTo(const std::string& itemText);
  void DrawItem(const DRAWITEMSTRUCT& dis);
  char drive_ = 0;
  bool driveSet_ = false;
  std::string selectedDir_, path_;
  DWORD driveMask_ = 0;
  int chosen_ = -1;  // picked in the open list, taken when it closes
  TFileListView* list_ = nullptr;
};

void RegisterFileExplorerClasses();
