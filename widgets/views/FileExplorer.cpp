#include "FileExplorer.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cstdlib>

#include "DateTime.h"
#include "Forms.h"
#include "Seam.h"
#include "ShellInfo.h"
#include "ViewSupport.h"

using namespace ViewSupport;

namespace {
const std::string& SubItem(const TFileItemText& t, size_t i) {
  static const std::string empty;
  return i < t.SubItems.size() ? t.SubItems[i] : empty;
}

int Sign(long long v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

uint64_t SizeOf(const std::string& text) {
  std::string t = Trim(text);
  uint64_t v = 0;
  std::from_chars(t.data(), t.data() + t.size(), v);
  return v;
}

int64_t ModifiedKey(const std::string& text) {
  SYSTEMTIME t{};
  return StrToDateTime(text, t) ? DateTimeKey(t) : 0;
}

// The folder part of a path, up to and with its last backslash.
std::string FolderPart(const std::string& path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Extension(const std::string& name) {
  size_t dot = name.rfind('.');
  size_t slash = name.rfind('\\');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return name.substr(dot);
}

[[noreturn]] void RaiseInOutError(const std::string& folder, DWORD code) {
  EDirectoryError error("Cannot open the folder " + folder + " (error " + std::to_string(code) + ")", code);
  SetLastError(code);
  throw error;
}

// Makes `folder` the process's current directory or raises EDirectoryError.
void ChangeDirectory(const std::string& folder) {
  if (!SetCurrentDirectoryA(folder.c_str())) RaiseInOutError(folder, GetLastError());
}

class TFindGuard {
public:
  explicit TFindGuard(HANDLE h) : h_(h) {}
  ~TFindGuard() { if (h_ != INVALID_HANDLE_VALUE) FindClose(h_); }
  TFindGuard(const TFindGuard&) = delete;
  TFindGuard& operator=(const TFindGuard&) = delete;

private:
  HANDLE h_;
};

class TUpdateGuard {
public:
  explicit TUpdateGuard(TListView& view) : view_(view) { view_.BeginUpdate(); }
  ~TUpdateGuard() { view_.EndUpdate(); }
  TUpdateGuard(const TUpdateGuard&) = delete;
  TUpdateGuard& operator=(const TUpdateGuard&) = delete;

private:
  TListView& view_;
};
}  // namespace

// Routines

int CharCount(const std::string& text, char c) {
  int n = 0;
  for (char ch : text) n += ch == c;
  return n;
}

int NthCharPos(const std::string& text, char c, int n) {
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == c && --n == 0) return static_cast<int>(i) + 1;
  return INT_MAX;
}

void LaunchFile(const std::string& file, const std::string& params, const std::string& dir, int show) {
  TForm* main = Application().MainForm();
  HWND owner = main && main->HandleAllocated() ? main->Handle() : Application().Handle();
  Seam().Shell(owner, "", file, params, dir, show);
}

int CompareFileItems(const TFileItemText& a, const TFileItemText& b, int column, bool reversed) {
  const std::string &size1 = SubItem(a, 0), &size2 = SubItem(b, 0);
  int r = 0;
  if (size1 == "0" && size2 != "0") {
    r = -1;
  } else if (size2 == "0" && size1 != "0") {
    r = 1;
  } else {
    switch (column) {
      case 0: r = Sign(UpperText(a.Caption).compare(UpperText(b.Caption))); break;
      case 1: {
        uint64_t s1 = SizeOf(size1), s2 = SizeOf(size2);
        r = s1 < s2 ? -1 : s1 > s2 ? 1 : 0;
        break;
      }
      case 3: {
        int64_t t1 = ModifiedKey(SubItem(a, 2)), t2 = ModifiedKey(SubItem(b, 2));
        r = t1 < t2 ? -1 : t1 > t2 ? 1 : 0;
        break;
      }
      default: {
        size_t i = column > 0 ? static_cast<size_t>(column - 1) : 0;
        r = Sign(UpperText(SubItem(a, i)).compare(UpperText(SubItem(b, i))));
        break;
      }
    }
  }
  return reversed ? -r : r;
}

TDirComboItems DirComboItems(DWORD driveMask, const std::string& path) {
  TDirComboItems result;
  result.Items.push_back("0:Drives");
  if (path == "Drives") result.Current = 0;
  bool onDrive = path.size() >= 3 && path[1] == ':';
  char pathDrive = onDrive ? static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))) : 0;
  for (int d = 0; d < 26; ++d) {
    if (!(driveMask & (1u << d))) continue;
    char letter = static_cast<char>('A' + d);
    result.Items.push_back(std::string("1:") + letter + ":\\");
    if (letter != pathDrive) continue;
    result.Current = static_cast<int>(result.Items.size()) - 1;
    if (path.size() <= 3) continue;  // a drive root has no further levels
    int levels = CharCount(path, '\\');
    for (int level = 2; level <= levels; ++level) {
      int end = NthCharPos(path, '\\', level);
      result.Items.push_back(std::to_string(level) + ":" + path.substr(0, static_cast<size_t>(end)));
      result.Current = static_cast<int>(result.Items.size()) - 1;
    }
  }
  if (result.Current >= 0) result.Items[static_cast<size_t>(result.Current)].insert(0, "T");
  return result;
}

// TFileListView

TFileListView::TFileListView(TComponent* owner) : TListView(owner) {
  SetHideSelection(false);
  SetReadOnly(true);
  SetShowColumnHeaders(true);
  SetViewStyle(TViewStyle::vsReport);
  SetMultiSelect(false);
  SetShortDateFormat("mm/dd/yyyy");
  SetLongTimeFormat("hh:nn");
}

void TFileListView::CreateWnd() {
  if (ColumnCount() == 0) {
    struct {
      const char* caption;
      int width;
      TAlignment alignment;
    } const columns[] = {{"Name", 140, TAlignment::taLeftJustify},
                         {"Size", 70, TAlignment::taRightJustify},
                         {"Type", 70, TAlignment::taLeftJustify},
                         {"Modified", 110, TAlignment::taLeftJustify},
                         {"Attributes", TListColumn().Width, TAlignment::taRightJustify}};
    for (const auto& c : columns) {
      TListColumn* column = AddColumn();
      column->Caption = c.caption;
      column->Width = c.width;
      column->Alignment = c.alignment;
    }
  }
  TListView::CreateWnd();
}

void TFileListView::SetDirectory(const std::string& value) {
  if (!directory_.empty() && SameText(WithBackslash(value), WithBackslash(directory_))) return;
  ChangeDirectory(WithBackslash(value));
  directory_ = CurrentDirectory();
  FillList();
}

void TFileListView::SetMask(const std::string& value) {
  if (value == mask_) return;
  mask_ = value;
  FillList();
}

void TFileListView::SetDirCombo(TDirComboBox* combo) {
  if (combo == combo_) return;
  TDirComboBox* old = combo_;
  combo_ = combo;
  if (old && old->FileList() == this) old->SetFileList(nullptr);
  if (!combo) return;
  combo->FreeNotification(this);
  combo->SetFileList(this);
  combo->RebuildItems();
}

void TFileListView::Notification(TComponent* c, TOperation op) {
  TListView::Notification(c, op);
  if (op == TOperation::opRemove && c == combo_) combo_ = nullptr;
}

void TFileListView::FillList() {
  TWaitCursor wait;
  TUpdateGuard update(*this);
  Clear();
  if (directory_.empty()) return;
  std::string folder = WithBackslash(directory_);
  size_t start = 0;
  while (start <= mask_.size()) {
    size_t end = mask_.find(';', start);
    if (end == std::string::npos) end = mask_.size();
    std::string pattern = mask_.substr(start, end - start);
    start = end + 1;
    if (pattern.empty()) continue;
    WIN32_FIND_DATAA found{};
    HANDLE h = FindFirstFileA((folder + pattern).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) continue;
    TFindGuard guard(h);
    do {
      std::string name = found.cFileName;
      if (name != "." && name != "..") AddFileItem(folder, found);
    } while (FindNextFileA(h, &found));
  }
}

void TFileListView::AddFileItem(const std::string& folder, const WIN32_FIND_DATAA& found) {
  // The shell's image lists, asked for with the first entry: building them
  // costs a start-up a good part of a second under Wine.
  if (!shellImages_) {
    shellImages_ = true;
    IShellInfo& shell = ShellInfo();
    SetSharedImages(shell.SystemImages(true), shell.SystemImages(false));
  }
  std::string name = found.cFileName;
  std::string path = folder + name;
  int icon = -1;
  std::string type;
  if (!ShellInfo().FileInfo(path, icon, type)) return;
  bool dir = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  uint64_t size = dir ? 0 : (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  FILETIME local{};
  SYSTEMTIME modified{};
  FileTimeToLocalFileTime(&found.ftLastWriteTime, &local);
  FileTimeToSystemTime(&local, &modified);
  std::string attributes;
  if (found.dwFileAttributes & FILE_ATTRIBUTE_ARCHIVE) attributes += 'A';
  if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) attributes += 'R';
  if (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) attributes += 'H';
  if (found.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) attributes += 'S';
  TListItem* item = Add();
  item->SetCaption(LowerText(name));
  item->SetImageIndex(icon);
  item->SetSubItems({std::to_string(size), Trim(type), DateTimeToStr(modified), attributes, path, dir ? "dir" : "file"});
}

void TFileListView::Click() {
  if (TListItem* item = Selected(); item && item->SubItems().size() > 4) selectedFile_ = item->SubItems()[4];
  TListView::Click();
}

void TFileListView::DblClick() {
  TListView::DblClick();
  TListItem* item = Selected();
  if (!item || item->SubItems().size() < 6) return;
  std::string path = item->SubItems()[4], kind = item->SubItems()[5];
  if (kind == "dir") {
    SetDirectory(WithBackslash(path));
    if (combo_) combo_->SetPath(WithBackslash(directory_));
  } else if (kind == "file" && UpperText(Extension(item->Caption())) == ".EXE") {
    LaunchFile(path, "", directory_, SW_SHOWNORMAL);
  }
}

void TFileListView::ColumnClick(int column) {
  if (column == sortColumn_) {
    reversed_ = !reversed_;
  } else {
    sortColumn_ = column;
    reversed_ = true;
  }
  CustomSort([this](const TListItem& a, const TListItem& b) {
    return CompareFileItems({a.Caption(), a.SubItems()}, {b.Caption(), b.SubItems()}, sortColumn_, reversed_);
  });
  TListView::ColumnClick(column);
}

const TClassInfo& TFileListView::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TFileListView", &ListViewClassInfo(), Creator<TFileListView>());
    i.Prop("Directory", &TFileListView::SetDirectory);
    i.Prop("Mask", &TFileListView::SetMask);
    i.Ref("DirCombo", &TFileListView::SetDirCombo);
    return i;
  }();
  return info;
}

// TDirComboBox

TDirComboBox::TDirComboBox(TComponent* owner) : TComboBox(owner) {
  SetStyle(TComboBoxStyle::csDropDownList);
  std::string current = CurrentDirectory();
  if (current.size() > 1 && current[1] == ':') drive_ = static_cast<char>(std::tolower(static_cast<unsigned char>(current[0])));
  path_ = WithBackslash(current);
}

void TDirComboBox::CreateParams(TCreateParams& p) {
  TComboBox::CreateParams(p);
  p.Style = (p.Style & ~static_cast<DWORD>(CBS_DROPDOWN | CBS_SIMPLE)) | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
}

void TDirComboBox::HandleCreated() {
  TComboBox::HandleCreated();
  HWND h = Handle();
  SendMessageA(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), 18);
  SendMessageA(h, CB_SETITEMHEIGHT, 0, 18);
  driveMask_ = ShellInfo().LogicalDrives();
  if (driveSet_ && drive_) ChangeTo(std::string("1:") + static_cast<char>(std::toupper(drive_)) + ":\\");
  if (!selectedDir_.empty()) SetSelectedDir(selectedDir_);
  RebuildItems();
}

void TDirComboBox::SetDrive(char letter) {
  drive_ = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  driveSet_ = true;
  if (HandleAllocated() && drive_) ChangeTo(std::string("1:") + static_cast<char>(std::toupper(drive_)) + ":\\");
}

void TDirComboBox::SetSelectedDir(const std::string& value) {
  if (!SameText(value, selectedDir_)) selectedDir_ = value.empty() ? std::string() : WithBackslash(value);
  if (!selectedDir_.empty() && FolderExists(selectedDir_)) {
    if (!SetCurrentDirectoryA(selectedDir_.c_str())) {
      DWORD code = GetLastError();
      RebuildItems();
      RaiseInOutError(selectedDir_, code);
    }
    path_ = selectedDir_;
    if (list_) list_->SetDirectory(selectedDir_);
  }
  RebuildItems();
}

void TDirComboBox::SetFileList(TFileListView* list) {
  if (list == list_) return;
  TFileListView* old = list_;
  list_ = list;
  if (old && old->DirCombo() == this) old->SetDirCombo(nullptr);
  if (!list) return;
  list->FreeNotification(this);
  list->SetDirCombo(this);
  if (!selectedDir_.empty()) list->SetDirectory(selectedDir_);
}

void TDirComboBox::Notification(TComponent* c, TOperation op) {
  TComboBox::Notification(c, op);
  if (op == TOperation::opRemove && c == list_) list_ = nullptr;
}

void TDirComboBox::SetPath(const std::string& path) {
  if (path.empty() || SameText(path, path_)) return;
  path_ = WithBackslash(path);
  RebuildItems();
}

void TDirComboBox::RebuildItems() {
  TDirComboItems items = DirComboItems(driveMask_, path_);
  SetItemIndex(-1);
  SetItems(items.Items);
  SetItemIndex(items.Current);
  Invalidate();
}

void TDirComboBox::ChangeTo(const std::string& itemText) {
  std::string text = !itemText.empty() && itemText[0] == 'T' ? itemText.substr(1) : itemText;
  size_t colon = text.find(':');
  std::string target = colon == std::string::npos ? text : text.substr(colon + 1);
  if (target == "Drives" || FolderExists(target)) {
    path_ = target;
    SetSelectedDir(target == "Drives" ? std::string() : FolderPart(target));
    if (OnChange) OnChange(this);
  } else {
    Application().MessageBox("No Access to " + target + " .", Application().Title(), MB_OK);
  }
  RebuildItems();
}

// The current item is where the combo already is; any other goes there.
void TDirComboBox::ItemChosen(int index) {
  if (index < 0 || index >= ItemCount()) return;
  std::string text = Items()[static_cast<size_t>(index)];
  if (!text.empty() && text[0] == 'T') return;
  ChangeTo(text);
  Click();
}

void TDirComboBox::DrawItem(const DRAWITEMSTRUCT& dis) {
  HDC dc = dis.hDC;
  RECT r = dis.rcItem;
  bool selected = (dis.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (dis.itemID == static_cast<UINT>(-1) || static_cast<int>(dis.itemID) >= ItemCount()) return;
  std::string text = Items()[dis.itemID];
  bool current = !text.empty() && text[0] == 'T';
  if (current) text.erase(0, 1);
  size_t colon = text.find(':');
  int level = std::atoi(text.c_str());
  std::string target = colon == std::string::npos ? text : text.substr(colon + 1);
  std::string name;
  int icon;
  if (text == "0:Drives") {
    name = "Drives";
    icon = 15;
  } else {
    name = ShellInfo().DisplayName(target);
    if (name.empty()) name = target;
    icon = ShellInfo().SmallIcon(target, current);
  }
  int indent = (dis.itemState & ODS_COMBOBOXEDIT) ? 0 : 8 * level;
  ImageList_Draw(ShellInfo().SystemImages(false), icon, dc, r.left + indent + 2, r.top + 2,
                 ILD_TRANSPARENT | (selected ? ILD_BLEND50 : 0));
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColor = SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  TSelectGuard font(dc, Font().Handle());
  TextOutA(dc, r.left + indent + 20, r.top + 2, name.c_str(), static_cast<int>(name.size()));
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
}

void TDirComboBox::WndProc(TMessage& m) {
  if (m.Msg == CN_DRAWITEM) {
    DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam));
    m.Result = TRUE;
    return;
  }
  if (m.Msg == CN_COMMAND) {
    HWND h = Handle();
    auto selection = [h] { return static_cast<int>(SendMessageA(h, CB_GETCURSEL, 0, 0)); };
    bool dropped = SendMessageA(h, CB_GETDROPPEDSTATE, 0, 0) != 0;
    switch (HIWORD(m.WParam)) {
      case CBN_SELCHANGE:
        // While the list is down the choice is not made yet.
        if (!dropped) ItemChosen(selection());
        return;
      case CBN_SELENDOK:
        if (dropped) chosen_ = selection();
        else ItemChosen(selection());
        return;
      case CBN_DROPDOWN:
      case CBN_SELENDCANCEL:
        chosen_ = -1;
        return;
      case CBN_CLOSEUP: {
        int index = chosen_;
        chosen_ = -1;
        if (index >= 0) ItemChosen(index);
        return;
      }
      default: break;
    }
  }
  TComboBox::WndProc(m);
}

const TClassInfo& TDirComboBox::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TDirComboBox", &ComboBoxClassInfo(), Creator<TDirComboBox>());
    i.Prop("Drive", &TDirComboBox::SetDrive);
    i.Prop("SelectedDir", &TDirComboBox::SetSelectedDir);
    i.Ref("FileList", &TDirComboBox::SetFileList);
    return i;
  }();
  return info;
}

void RegisterFileExplorerClasses() {
  RegisterClass(TFileListView::ClassInfo());
  RegisterClass(TDirComboBox::ClassInfo());
}
