// The shell's folder-browse dialog as a component: a title, a root, a
// status line that can follow the selection, the OK button's state and a
// caption; Browse returns the chosen folder in Selection.
//
//   object BrowseFolderDialog1: TBrowseFolderDialog
//     Title = 'Choose a folder to add'
//     Options = [bfDirectoriesOnly]
//   end
//
// The dialog is shown through the seam. Register with
// RegisterClass(TBrowseFolderDialog::ClassInfo()).
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>

#include "Description.h"

enum class TRootID { idDesktop, idInternet, idPrograms, idControlPanel, idPrinters, idPersonal, idFavorites,
                     idStartup, idRecent, idSendTo, idRecycleBin, idStartMenu, idDesktopDirectory, idDrives,
                     idNetwork, idNetHood, idFonts, idTemplates, idDesktopExpanded };
TZ_ENUM_NAMES(TRootID, "idDesktop", "idInternet", "idPrograms", "idControlPanel", "idPrinters", "idPersonal",
              "idFavorites", "idStartup", "idRecent", "idSendTo", "idRecycleBin", "idStartMenu",
              "idDesktopDirectory", "idDrives", "idNetwork", "idNetHood", "idFonts", "idTemplates",
              "idDesktopExpanded")
enum class TBrowseFlag { bfDirectoriesOnly, bfDomainOnly, bfAncestors, bfComputers, bfPrinters, bfIncludeFiles };
TZ_ENUM_NAMES(TBrowseFlag, "bfDirectoriesOnly", "bfDomainOnly", "bfAncestors", "bfComputers", "bfPrinters",
              "bfIncludeFiles")
using TBrowseFlags = TSet<TBrowseFlag>;

// The shell's special-folder id of a root, and the browse flags of a set.
int RootFolderId(TRootID root);
UINT BrowseFlagBits(TBrowseFlags flags);
// "X:\" names an existing drive; anything else, less one trailing
// backslash, an existing directory.
bool IsFolder(const std::string& path);
// A selection as the dialog takes it: no trailing backslash, except on a
// drive root; a bare drive "X:" gets one.
std::string DialogSelection(const std::string& path);
// Shortens `text` until `width` of it fits `available`: a folder path by
// its middle folders, then its drive; other text by its end, with "...".
// Works on a copy of the text and never reads past its end.
std::string FitStatus(const std::string& text, bool isFolder, const std::function<int(const std::string&)>& width,
                      int available);

class TBrowseFolderDialog : public TComponent {
public:
  explicit TBrowseFolderDialog(TComponent* owner) : TComponent(owner) {}
  static const TClassInfo& ClassInfo();
  // The status line's control id in the shell's dialog.
  static constexpr int kStatusId = 14147;

  const std::string& Selection() const { return selection_; }
  void SetSelection(const std::string& v);
  std::string Title;
  TRootID Root = TRootID::idDesktop;
  TBrowseFlags Options;
  bool Center = true;
  const std::string& StatusText() const { return statusText_; }
  void SetStatusText(const std::string& v);
  bool FitStatusText() const { return fitStatusText_; }
  void SetFitStatusText(bool v);
  bool EnableOKButton() const { return enableOK_; }
  void SetEnableOKButton(bool v);
  int ImageIndex() const { return imageIndex_; }
  std::string Caption() const;
  void SetCaption(const std::string& v);
  bool ShowSelectionInStatus = false;
  // The dialog window while it is shown.
  HWND DialogHandle() const { return dialog_; }
  // The status text as the status line shows it.
  std::string FittedStatusText() const;

  TNotifyEvent OnCreate;
  TEvent<const std::string&> OnSelChanged;

  virtual void PrepareDialog(HWND dialog);
  virtual void DoSelChanged(HWND dialog, LPCITEMIDLIST item);
  // Shows the dialog; true when a folder with a file-system path was chosen.
  virtual bool Browse();

private:
  static int CALLBACK Callback(HWND wnd, UINT msg, LPARAM lp, LPARAM data);
  HWND ParentWindow() const;
  std::string selection_, statusText_, caption_;
  bool fitStatusText_ = true, enableOK_ = true;
  int imageIndex_ = -1;
  HWND dialog_ = nullptr;
};
