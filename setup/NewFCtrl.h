// The folder chooser's owner-drawn controls: the drive picker, the folder
// list (with \\server\share paths), and a label that shortens its path.
#pragma once
#include "NewFCtrlPaths.h"
#include "StdCtrls.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TClassInfo;

// A picture of the folder controls: the resource bitmap prepared once on
// the control's colour and once on the selection colour.
class TNewPicture {
public:
  // "NFC_HARD" and the like; "95" is appended on Windows 4 or later.
  void Load(const std::string& resourceName, TColor back);
  bool Empty() const { return !plain_; }
  int Width() const;
  int Height() const;
  void Draw(HDC dc, int x, int y, bool selected) const;

private:
  std::unique_ptr<TBitmap> plain_, selected_;
};

// Drive kinds, the item values of the drive picker.
enum TDriveKind { dkRemovable = 0, dkFixed = 1, dkNetwork = 2, dkCDROM = 3, dkRAM = 4 };

// One line of the drive list: the letter (in the case given) with the
// volume label or network name, and the drive's kind. The label and the
// connection are asked only where shown: never for a removable drive.
struct TDriveItem {
  std::string Text;
  int Kind;
};
TDriveItem MakeDriveItem(UINT type, char letter, const std::function<std::string()>& volumeLabel,
                         const std::function<bool(std::string&)>& connection);
enum class TTextCase { tcLowerCase, tcUpperCase };
TZ_ENUM_NAMES(TTextCase, "tcLowerCase", "tcUpperCase")

class TNewDirectoryListBox;

class TNewDriveComboBox : public TComboBox {
public:
  explicit TNewDriveComboBox(TComponent* owner);
  static const TClassInfo& ClassInfo();

  char Drive() const { return drive_; }
  // Selects the drive and tells the folder list; the old drive comes back
  // when that fails.
  void SetDrive(char letter);
  TNewDirectoryListBox* DirList() const { return dirList_; }
  void SetDirList(TNewDirectoryListBox* list);
  TTextCase TextCase() const { return textCase_; }
  void SetTextCase(TTextCase value);
  void BuildList();
  int ItemKind(int index) const { return kinds_.at(static_cast<size_t>(index)); }

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void WndProc(TMessage& m) override;
  void Click() override;
  void Notification(TComponent* c, TOperation op) override;

private:
  void LoadPictures();
  int ItemHeight();
  void DrawItem(const DRAWITEMSTRUCT& di);
  void SelectDriveItem(char letter);

  char drive_ = 0;
  TNewDirectoryListBox* dirList_ = nullptr;
  TTextCase textCase_ = TTextCase::tcLowerCase;
  std::vector<int> kinds_;
  TNewPicture pictures_[5];
};

class TNewDirectoryListBox : public TListBox {
public:
  explicit TNewDirectoryListBox(TComponent* owner);
  static const TClassInfo& ClassInfo();

  const std::string& Directory() const { return directory_; }
  // Makes `path` the process's current folder and the list's folder; an
  // unknown folder raises EInOutError.
  void SetDirectory(const std::string& path);
  // Goes to that drive's current folder.
  void SetDrive(char letter);
  char Drive() const;
  TCustomLabel* DirLabel() const { return dirLabel_; }
  void SetDirLabel(TCustomLabel* label);
  bool PreserveCase() const { return preserveCase_; }
  bool CaseSensitive() const { return caseSensitive_; }
  void BuildList();
  const std::vector<TDirLine>& Lines() const { return lines_; }
  std::string GetItemPath(int index) const;
  // Makes the selected line's folder the directory.
  void OpenCurrent();
  TNotifyEvent OnChange;

protected:
  friend class TNewDriveComboBox;
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void WndProc(TMessage& m) override;
  void DblClick() override;
  void Notification(TComponent* c, TOperation op) override;
  virtual void Change();

private:
  void LoadPictures();
  int ItemHeight();
  void DrawItem(const DRAWITEMSTRUCT& di);
  void AddLine(const TDirLine& line);

  std::string directory_;
  TCustomLabel* dirLabel_ = nullptr;
  TNewDriveComboBox* driveCombo_ = nullptr;
  bool preserveCase_ = true, caseSensitive_ = false, inChange_ = false;
  int currentLine_ = -1;
  std::vector<TDirLine> lines_;
  TNewPicture pictures_[3];
};

// A label showing a path shortened with "...\" to fit its width.
class TNewPathLabel : public TCustomLabel {
public:
  explicit TNewPathLabel(TComponent* owner);
  static const TClassInfo& ClassInfo();
  // The text as painted at the current width.
  std::string ShortenedText(TCanvas& canvas);

protected:
  void DoDrawText(TCanvas& canvas, RECT& r, UINT flags) override;
};

// Makes the three classes known to window descriptions.
void RegisterNewFCtrlClasses();
