#include "NewFCtrl.h"

#include "CmnFunc2.h"
#include "Description.h"
#include "Files.h"

#include <winnetwk.h>

#include <algorithm>
#include <cctype>

namespace {

constexpr COLORREF kPictureBack = RGB(255, 0, 255);

char LowerChar(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
char UpperChar(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::string CaseLike(const std::string& text, char letter) {
  std::string s = text;
  bool lower = std::islower(static_cast<unsigned char>(letter)) != 0;
  for (char& c : s) c = lower ? LowerChar(c) : UpperChar(c);
  return s;
}

// The system's critical-error boxes are off while a drive is asked.
class TErrorModeGuard {
public:
  TErrorModeGuard() : old_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~TErrorModeGuard() { SetErrorMode(old_); }
  TErrorModeGuard(const TErrorModeGuard&) = delete;
  TErrorModeGuard& operator=(const TErrorModeGuard&) = delete;

private:
  UINT old_;
};

bool VolumeInfo(const std::string& root, std::string* label, DWORD* flags) {
  TErrorModeGuard guard;
  char name[MAX_PATH + 1] = "";
  DWORD serial = 0, maxLength = 0, fsFlags = 0;
  if (!GetVolumeInformationA(root.c_str(), name, sizeof name, &serial, &maxLength, &fsFlags, nullptr, 0))
    return false;
  if (label) *label = name;
  if (flags) *flags = fsFlags;
  return true;
}

std::string CurrentFolder() {
  char buf[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
  return n && n < sizeof buf ? std::string(buf, n) : std::string();
}

int FontTextHeight(const TFont& font) {
  TWindowDC screen(nullptr);
  TCanvas canvas(screen.Get());
  canvas.Font.Assign(font);
  return canvas.TextHeight("Wg");
}

const char* const kDrivePictures[] = {"NFC_FLOPPY", "NFC_HARD", "NFC_NETWORK", "NFC_CDROM", "NFC_RAM"};
const char* const kFolderPictures[] = {"NFC_CLOSEDFOLDER", "NFC_OPENFOLDER", "NFC_CURRENTFOLDER"};

void FillItem(const DRAWITEMSTRUCT& di, TColor back) {
  HBRUSH brush = CreateSolidBrush(ColorToRGB(back));
  FillRect(di.hDC, &di.rcItem, brush);
  DeleteObject(brush);
}

void DrawItemText(const DRAWITEMSTRUCT& di, const std::string& text, int left, bool selected, const TFont& font) {
  RECT r = di.rcItem;
  r.left = left;
  TCanvas canvas(di.hDC);
  canvas.Font.Assign(font);
  canvas.Font.SetColor(selected ? clHighlightText : font.Color());
  canvas.Brush.SetStyle(TBrushStyle::bsClear);
  canvas.DrawText(text, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace

// TNewPicture

void TNewPicture::Load(const std::string& resourceName, TColor back) {
  plain_.reset();
  selected_.reset();
  std::string name = resourceName + (IsWindows4OrLater() ? "95" : "");
  auto bitmap = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return;
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(source, bitmap);
  auto make = [&](TColor color) {
    auto bmp = std::make_unique<TBitmap>(info.bmWidth, info.bmHeight);
    BitBlt(bmp->DC(), 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    COLORREF fill = ColorToRGB(color);
    for (int y = 0; y < info.bmHeight; ++y)
      for (int x = 0; x < info.bmWidth; ++x)
        if (GetPixel(bmp->DC(), x, y) == kPictureBack) ::SetPixel(bmp->DC(), x, y, fill);
    return bmp;
  };
  plain_ = make(back);
  selected_ = make(clHighlight);
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(bitmap);
}

int TNewPicture::Width() const { return plain_ ? plain_->Width() : 0; }
int TNewPicture::Height() const { return plain_ ? plain_->Height() : 0; }

void TNewPicture::Draw(HDC dc, int x, int y, bool selected) const {
  const TBitmap* bmp = selected ? selected_.get() : plain_.get();
  if (bmp) BitBlt(dc, x, y, bmp->Width(), bmp->Height(), bmp->DC(), 0, 0, SRCCOPY);
}

// TNewDriveComboBox

TNewDriveComboBox::TNewDriveComboBox(TComponent* owner) : TComboBox(owner) {
  SetStyle(TComboBoxStyle::csDropDownList);
  std::string folder = CurrentFolder();
  if (folder.size() >= 2 && folder[1] == ':') drive_ = folder[0];
  LoadPictures();
}

void TNewDriveComboBox::CreateParams(TCreateParams& p) {
  TComboBox::CreateParams(p);
  p.Style |= CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
}

void TNewDriveComboBox::LoadPictures() {
  for (int i = 0; i < 5; ++i) pictures_[i].Load(kDrivePictures[i], Color());
}

int TNewDriveComboBox::ItemHeight() { return std::max(FontTextHeight(Font()), 16); }

void TNewDriveComboBox::HandleCreated() {
  TComboBox::HandleCreated();
  int h = ItemHeight();
  SendMessageA(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), h);
  SendMessageA(Handle(), CB_SETITEMHEIGHT, 0, h);
  // The linked folder list already stands on this drive's current folder.
  BuildList();
  SelectDriveItem(drive_);
}

void TNewDriveComboBox::BuildList() {
  ClearItems();
  kinds_.clear();
  DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    char letter = static_cast<char>('a' + i);
    std::string root = std::string(1, letter) + ":\\";
    UINT type = GetDriveTypeA(root.c_str());
    if (textCase_ == TTextCase::tcUpperCase) letter = UpperChar(letter);
    const std::string drive = std::string(1, letter) + ":";
    TDriveItem item = MakeDriveItem(
        type, letter,
        [&root] {
          std::string label;
          VolumeInfo(root, &label, nullptr);
          return label;
        },
        [&drive](std::string& name) {
          char buf[MAX_PATH + 1] = "";
          DWORD size = sizeof buf;
          if (WNetGetConnectionA(drive.c_str(), buf, &size) != NO_ERROR) return false;
          name = buf;
          return true;
        });
    kinds_.push_back(item.Kind);
    AddItem(item.Text);
  }
}

TDriveItem MakeDriveItem(UINT type, char letter, const std::function<std::string()>& volumeLabel,
                         const std::function<bool(std::string&)>& connection) {
  const std::string drive = std::string(1, letter) + ":";
  switch (type) {
    case DRIVE_REMOVABLE: return {drive, dkRemovable};  // its label would spin a floppy up
    case DRIVE_REMOTE: {
      std::string name;
      if (!connection(name)) name = volumeLabel();
      return {drive + " " + CaseLike(name, letter), dkNetwork};
    }
    default: break;
  }
  const int kind = type == DRIVE_CDROM ? dkCDROM : type == DRIVE_RAMDISK ? dkRAM : dkFixed;
  return {drive + " " + CaseLike(volumeLabel(), letter), kind};
}

void TNewDriveComboBox::SelectDriveItem(char letter) {
  for (int i = 0; i < ItemCount(); ++i) {
    const std::string& item = Items()[static_cast<size_t>(i)];
    if (item.size() >= 2 && LowerChar(item[0]) == LowerChar(letter) && item[1] == ':') {
      SetItemIndex(i);
      return;
    }
  }
  SetItemIndex(-1);
}

void TNewDriveComboBox::SetDrive(char letter) {
  if (ItemIndex() >= 0 && LowerChar(letter) == LowerChar(drive_)) return;
  char old = drive_;
  try {
    drive_ = letter;
    SelectDriveItem(letter);
    if (dirList_) dirList_->SetDrive(letter);
    if (OnChange) OnChange(this);
  } catch (...) {
    drive_ = old;
    SelectDriveItem(old);
    throw;
  }
}

void TNewDriveComboBox::Click() {
  int index = ItemIndex();
  if (index >= 0) {
    try {
      SetDrive(Items()[static_cast<size_t>(index)][0]);
    } catch (...) {
      SetItemIndex(-1);
      throw;
    }
  }
  TComboBox::Click();
}

void TNewDriveComboBox::SetDirList(TNewDirectoryListBox* list) {
  if (dirList_ && dirList_->driveCombo_ == this) dirList_->driveCombo_ = nullptr;
  dirList_ = list;
  if (list) {
    list->FreeNotification(this);
    list->driveCombo_ = this;
  }
}

void TNewDriveComboBox::SetTextCase(TTextCase value) {
  if (value == textCase_) return;
  textCase_ = value;
  if (!HandleAllocated()) return;
  char letter = drive_;
  BuildList();
  SelectDriveItem(letter);
}

void TNewDriveComboBox::Notification(TComponent* c, TOperation op) {
  TComboBox::Notification(c, op);
  if (op == TOperation::opRemove && c == dirList_) dirList_ = nullptr;
}

void TNewDriveComboBox::DrawItem(const DRAWITEMSTRUCT& di) {
  if (di.itemID == static_cast<UINT>(-1) || di.itemID >= static_cast<UINT>(ItemCount())) {
    FillItem(di, Color());
    return;
  }
  bool selected = (di.itemState & ODS_SELECTED) != 0;
  FillItem(di, selected ? clHighlight : Color());
  const TNewPicture& picture = pictures_[kinds_[di.itemID]];
  int left = di.rcItem.left + 16;
  if (!picture.Empty()) {
    int top = di.rcItem.top + (di.rcItem.bottom - di.rcItem.top - picture.Height()) / 2;
    picture.Draw(di.hDC, di.rcItem.left + 4, top, selected);
    left = di.rcItem.left + picture.Width() + 8;
  }
  DrawItemText(di, Items()[di.itemID], left, selected, Font());
}

void TNewDriveComboBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      // Setting the drive fires OnChange itself.
      if (HIWORD(m.WParam) == CBN_SELCHANGE) {
        Click();
        return;
      }
      break;
    case CN_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam));
      m.Result = TRUE;
      return;
    case CN_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam)->itemHeight = static_cast<UINT>(ItemHeight());
      m.Result = TRUE;
      return;
    case CM_COLORCHANGED:
    case CM_SYSCOLORCHANGE:
    case WM_SYSCOLORCHANGE:
      LoadPictures();
      break;
    case CM_FONTCHANGED:
      TComboBox::WndProc(m);
      RecreateWnd();
      return;
    default: break;
  }
  TComboBox::WndProc(m);
}

// TNewDirectoryListBox

TNewDirectoryListBox::TNewDirectoryListBox(TComponent* owner) : TListBox(owner) {
  width_ = 145;
  directory_ = CurrentFolder();
  LoadPictures();
}

void TNewDirectoryListBox::CreateParams(TCreateParams& p) {
  TListBox::CreateParams(p);
  p.Style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
}

void TNewDirectoryListBox::LoadPictures() {
  for (int i = 0; i < 3; ++i) pictures_[i].Load(kFolderPictures[i], Color());
}

int TNewDirectoryListBox::ItemHeight() { return std::max(FontTextHeight(Font()), 15); }

void TNewDirectoryListBox::HandleCreated() {
  TListBox::HandleCreated();
  SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, ItemHeight());
  BuildList();
}

void TNewDirectoryListBox::AddLine(const TDirLine& line) {
  lines_.push_back(line);
  AddItem(DisplayName(line.Name, preserveCase_, caseSensitive_));
}

void TNewDirectoryListBox::BuildList() {
  ClearItems();
  lines_.clear();
  currentLine_ = -1;
  DWORD flags = 0;
  if (!VolumeInfo(PathRoot(directory_), nullptr, &flags)) return;
  caseSensitive_ = (flags & FS_CASE_SENSITIVE) != 0;
  preserveCase_ = caseSensitive_ || (flags & FS_CASE_IS_PRESERVED) != 0;
  for (const TDirLine& line : PathLines(directory_)) AddLine(line);
  currentLine_ = static_cast<int>(lines_.size()) - 1;

  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  std::string pattern = AddTrailingBackslash(directory_) + "*.*";
  HANDLE find = FindFirstFileA(pattern.c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
  for (const std::string& name : names) AddLine({name, dlSubFolder});
  if (HandleAllocated()) SetItemIndex(currentLine_);
}

std::string TNewDirectoryListBox::GetItemPath(int index) const {
  return ItemPath(directory_, lines_, index, [](unsigned char c) { return IsDBCSLeadByte(c) != FALSE; });
}

char TNewDirectoryListBox::Drive() const {
  return directory_.size() >= 2 && directory_[1] == ':' ? directory_[0] : 0;
}

void TNewDirectoryListBox::SetDirectory(const std::string& path) {
  if (SamePath(path, directory_, caseSensitive_)) return;
  if (!SetCurrentDirectoryA(path.c_str())) throw EInOutError(GetLastError(), path);
  std::string now = CurrentFolder();
  std::string oldDrive = PathDrive(directory_), newDrive = PathDrive(now);
  if (!SamePath(oldDrive, newDrive, false) && newDrive.size() == 2) {
    inChange_ = true;
    try {
      if (driveCombo_) driveCombo_->SetDrive(newDrive[0]);
      else SetDrive(newDrive[0]);
    } catch (...) {
      inChange_ = false;
      throw;
    }
    inChange_ = false;
  }
  directory_ = CurrentFolder();
  BuildList();
  Change();
}

void TNewDirectoryListBox::SetDrive(char letter) {
  if (inChange_) return;
  std::string drive = std::string(1, letter) + ":";
  if (!SetCurrentDirectoryA(drive.c_str())) throw EInOutError(GetLastError(), drive);
  directory_ = CurrentFolder();
  BuildList();
  Change();
}

void TNewDirectoryListBox::SetDirLabel(TCustomLabel* label) {
  dirLabel_ = label;
  if (label) {
    label->FreeNotification(this);
    label->SetCaption(directory_);
  }
}

void TNewDirectoryListBox::Notification(TComponent* c, TOperation op) {
  TListBox::Notification(c, op);
  if (op != TOperation::opRemove) return;
  if (c == dirLabel_) dirLabel_ = nullptr;
  if (c == driveCombo_) driveCombo_ = nullptr;
}

void TNewDirectoryListBox::Change() {
  if (dirLabel_) dirLabel_->SetCaption(directory_);
  if (OnChange) OnChange(this);
}

void TNewDirectoryListBox::OpenCurrent() {
  int index = ItemIndex();
  if (index >= 0) SetDirectory(GetItemPath(index));
}

void TNewDirectoryListBox::DblClick() {
  OpenCurrent();
  TListBox::DblClick();
}

void TNewDirectoryListBox::DrawItem(const DRAWITEMSTRUCT& di) {
  if (di.itemID == static_cast<UINT>(-1) || di.itemID >= lines_.size()) {
    FillItem(di, Color());
    return;
  }
  bool selected = (di.itemState & ODS_SELECTED) != 0;
  FillItem(di, selected ? clHighlight : Color());
  int index = static_cast<int>(di.itemID);
  int kind = lines_[di.itemID].Kind;
  int indent = LineIndent(directory_, index, kind);
  const TNewPicture& picture = pictures_[kind];
  int top = di.rcItem.top + (di.rcItem.bottom - di.rcItem.top - picture.Height()) / 2;
  picture.Draw(di.hDC, di.rcItem.left + indent, top, selected);
  DrawItemText(di, Items()[di.itemID], di.rcItem.left + picture.Width() + indent + 4, selected, Font());
}

void TNewDirectoryListBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam));
      m.Result = TRUE;
      return;
    case CN_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam)->itemHeight = static_cast<UINT>(ItemHeight());
      m.Result = TRUE;
      return;
    case WM_GETDLGCODE:
      // Enter opens the selected line instead of pressing the default button.
      TListBox::WndProc(m);
      if (m.WParam == VK_RETURN) m.Result |= DLGC_WANTMESSAGE;
      return;
    case WM_KEYDOWN:
      if (m.WParam == VK_RETURN) {
        OpenCurrent();
        return;
      }
      break;
    case CM_COLORCHANGED:
    case CM_SYSCOLORCHANGE:
    case WM_SYSCOLORCHANGE:
      LoadPictures();
      break;
    case CM_FONTCHANGED:
      TListBox::WndProc(m);
      if (HandleAllocated()) SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, ItemHeight());
      return;
    default: break;
  }
  TListBox::WndProc(m);
}

// TNewPathLabel

TNewPathLabel::TNewPathLabel(TComponent* owner) : TCustomLabel(owner) {
  SetAutoSize(false);
  SetShowAccelChar(false);
}

std::string TNewPathLabel::ShortenedText(TCanvas& canvas) {
  canvas.Font.Assign(Font());
  return ShortenPath(Caption(), ClientWidth(), [&canvas](const std::string& s) { return canvas.TextWidth(s); });
}

void TNewPathLabel::DoDrawText(TCanvas& canvas, RECT& r, UINT flags) {
  std::string text = ShortenedText(canvas);
  DrawLabelText(canvas, text, r, flags | DT_NOPREFIX | DT_EXPANDTABS);
}

// Window descriptions

const TClassInfo& TNewDriveComboBox::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TNewDriveComboBox", &WinControlClassInfo(), Creator<TNewDriveComboBox>());
    i.Prop("TextCase", &TNewDriveComboBox::SetTextCase);
    i.Ref("DirList", &TNewDriveComboBox::SetDirList);
    i.Event("OnChange", &TComboBox::OnChange);
    return i;
  }();
  return info;
}

const TClassInfo& TNewDirectoryListBox::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TNewDirectoryListBox", &WinControlClassInfo(), Creator<TNewDirectoryListBox>());
    i.Ref("DirLabel", &TNewDirectoryListBox::SetDirLabel);
    i.Event("OnChange", &TNewDirectoryListBox::OnChange);
    return i;
  }();
  return info;
}

const TClassInfo& TNewPathLabel::ClassInfo() {
  static const TClassInfo info("TNewPathLabel", &CustomLabelClassInfo(), Creator<TNewPathLabel>());
  return info;
}

void RegisterNewFCtrlClasses() {
  RegisterClass(TNewDriveComboBox::ClassInfo());
  RegisterClass(TNewDirectoryListBox::ClassInfo());
  RegisterClass(TNewPathLabel::ClassInfo());
}
