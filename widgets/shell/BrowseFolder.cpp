#include "BrowseFolder.h"

#include "Forms.h"
#include "Gdi.h"
#include "Seam.h"
#include "ShortPath.h"

namespace {
const int kRootIds[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09,
                        0x0A, 0x0B, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0xFEFE};
const UINT kFlagBits[] = {0x0001, 0x0002, 0x0008, 0x1000, 0x2000, 0x4000};
constexpr UINT kStatusTextFlag = 0x0004;

std::string PathOf(LPCITEMIDLIST item) {
  char path[MAX_PATH + 1] = {};
  if (!item || !SHGetPathFromIDListA(item, path)) return {};
  return path;
}

}  // namespace

int RootFolderId(TRootID root) { return kRootIds[static_cast<int>(root)]; }

UINT BrowseFlagBits(TBrowseFlags flags) {
  UINT bits = 0;
  for (int i = 0; i < 6; ++i)
    if (flags.Has(static_cast<TBrowseFlag>(i))) bits |= kFlagBits[i];
  return bits;
}

bool IsFolder(const std::string& path) {
  if (path.size() == 3 && path[1] == ':' && path[2] == '\\') {
    char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    return drive >= 'A' && drive <= 'Z' && (GetLogicalDrives() & (1u << (drive - 'A')));
  }
  std::string p = path;
  if (!p.empty() && p.back() == '\\') p.pop_back();
  if (p.empty()) return false;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(p.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string DialogSelection(const std::string& path) {
  if (path.size() == 2 && path[1] == ':') return path + "\\";
  if (path.size() == 3 && path[1] == ':' && path[2] == '\\') return path;
  if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
  return path;
}

std::string FitStatus(const std::string& text, bool isFolder, const std::function<int(const std::string&)>& width,
                      int available) {
  if (!isFolder) {
    std::string base = text, shown = text;
    while (!base.empty() && width(shown) > available) {
      base.pop_back();
      shown = base + "...";
    }
    return shown;
  }
  return ShortenPath(text, available, width);
}

void TBrowseFolderDialog::SetSelection(const std::string& v) {
  if (v == selection_) return;
  selection_ = v;
  if (!v.empty() && v.back() != '\\' && IsFolder(v)) selection_ += '\\';
  if (dialog_) SendMessageA(dialog_, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(DialogSelection(selection_).c_str()));
}

void TBrowseFolderDialog::SetStatusText(const std::string& v) {
  if (v == statusText_) return;
  statusText_ = v;
  if (dialog_) SendMessageA(dialog_, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(FittedStatusText().c_str()));
}

void TBrowseFolderDialog::SetFitStatusText(bool v) {
  if (v == fitStatusText_) return;
  fitStatusText_ = v;
  if (dialog_) SendMessageA(dialog_, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(FittedStatusText().c_str()));
}

void TBrowseFolderDialog::SetEnableOKButton(bool v) {
  if (v == enableOK_) return;
  enableOK_ = v;
  if (dialog_) SendMessageA(dialog_, BFFM_ENABLEOK, 0, v);
}

std::string TBrowseFolderDialog::Caption() const {
  if (!dialog_) return caption_;
  char text[257] = {};
  GetWindowTextA(dialog_, text, sizeof text);
  return text;
}

void TBrowseFolderDialog::SetCaption(const std::string& v) {
  caption_ = v;
  if (dialog_) SetWindowTextA(dialog_, v.c_str());
}

std::string TBrowseFolderDialog::FittedStatusText() const {
  if (!fitStatusText_ || !dialog_ || statusText_.empty()) return statusText_;
  HWND status = GetDlgItem(dialog_, kStatusId);
  if (!status) return statusText_;
  RECT r;
  GetClientRect(status, &r);
  TWindowDC dc(status);
  TSelectGuard font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageA(status, WM_GETFONT, 0, 0)));
  auto width = [&dc](const std::string& s) {
    SIZE size{};
    GetTextExtentPoint32A(dc.Get(), s.c_str(), static_cast<int>(s.size()), &size);
    return static_cast<int>(size.cx);
  };
  return FitStatus(statusText_, IsFolder(statusText_), width, r.right - r.left);
}

HWND TBrowseFolderDialog::ParentWindow() const {
  if (auto* w = dynamic_cast<TWinControl*>(Owner()); w && w->HandleAllocated()) return w->HandleIfAllocated();
  TForm* main = Application().MainForm();
  return main && main->HandleAllocated() ? main->HandleIfAllocated() : nullptr;
}

int CALLBACK TBrowseFolderDialog::Callback(HWND wnd, UINT msg, LPARAM lp, LPARAM data) {
  auto* self = reinterpret_cast<TBrowseFolderDialog*>(data);
  try {
    if (msg == BFFM_INITIALIZED) self->PrepareDialog(wnd);
    else if (msg == BFFM_SELCHANGED) self->DoSelChanged(wnd, reinterpret_cast<LPCITEMIDLIST>(lp));
  } catch (...) {
    Application().HandleException();
  }
  return 0;
}

void TBrowseFolderDialog::PrepareDialog(HWND dialog) {
  dialog_ = dialog;
  if (Center) {
    RECT r;
    GetWindowRect(dialog, &r);
    int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
  }
  SendMessageA(dialog, BFFM_ENABLEOK, 0, enableOK_);
  if (!statusText_.empty()) SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(FittedStatusText().c_str()));
  if (!selection_.empty())
    SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(DialogSelection(selection_).c_str()));
  if (!caption_.empty()) SetWindowTextA(dialog, caption_.c_str());
  if (OnCreate) OnCreate(this);
}

void TBrowseFolderDialog::DoSelChanged(HWND, LPCITEMIDLIST item) {
  if (!ShowSelectionInStatus && !OnSelChanged) return;
  std::string path = PathOf(item);
  if (ShowSelectionInStatus) SetStatusText(path);
  if (OnSelChanged) OnSelChanged(this, path);
}

bool TBrowseFolderDialog::Browse() {
  IMalloc* malloc = nullptr;
  if (FAILED(SHGetMalloc(&malloc)) || !malloc) return false;
  struct TRelease {
    IMalloc* m;
    ~TRelease() { m->Release(); }
  } release{malloc};
  auto* name = static_cast<char*>(malloc->Alloc(MAX_PATH));
  if (!name) return false;
  HWND parent = ParentWindow();
  LPITEMIDLIST root = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(parent, RootFolderId(Root), &root))) root = nullptr;
  BROWSEINFOA bi{};
  bi.hwndOwner = parent;
  bi.pidlRoot = root;
  bi.pszDisplayName = name;
  bi.lpszTitle = Title.c_str();
  bi.ulFlags = BrowseFlagBits(Options) | (statusText_.empty() ? 0 : kStatusTextFlag);
  bi.lpfn = Callback;
  bi.lParam = reinterpret_cast<LPARAM>(this);
  std::string path;
  bool chosen = false;
  LPITEMIDLIST item = Seam().BrowseForFolderItem(bi);
  if (item) {
    path = PathOf(item);
    chosen = !path.empty();
    imageIndex_ = bi.iImage;
    malloc->Free(item);
  }
  if (root) malloc->Free(root);
  malloc->Free(name);
  dialog_ = nullptr;
  selection_.clear();
  SetSelection(chosen ? path : std::string());
  return chosen;
}

const TClassInfo& TBrowseFolderDialog::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TBrowseFolderDialog", &ComponentClassInfo(), Creator<TBrowseFolderDialog>());
    i.Prop("Selection", &TBrowseFolderDialog::SetSelection);
    i.Prop("Title", &TBrowseFolderDialog::Title);
    i.Prop("Root", &TBrowseFolderDialog::Root);
    i.Prop("Options", &TBrowseFolderDialog::Options);
    i.Prop("Center", &TBrowseFolderDialog::Center);
    i.Prop("StatusText", &TBrowseFolderDialog::SetStatusText);
    i.Prop("FitStatusText", &TBrowseFolderDialog::SetFitStatusText);
    i.Prop("EnableOKButton", &TBrowseFolderDialog::SetEnableOKButton);
    i.Prop("Caption", &TBrowseFolderDialog::SetCaption);
    i.Prop("ShowSelectionInStatus", &TBrowseFolderDialog::ShowSelectionInStatus);
    i.Event("OnCreate", &TBrowseFolderDialog::OnCreate);
    i.Event("OnSelChanged", &TBrowseFolderDialog::OnSelChanged);
    return i;
  }();
  return info;
}
