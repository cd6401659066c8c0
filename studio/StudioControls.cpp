#include "StudioControls.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>

#include "Description.h"

// TTabSet

TTabSet::TTabSet(TComponent* owner) : TStdControl(owner) {
  width_ = 300;
  height_ = 24;
  SetTabStop(true);
}

const TClassInfo& TTabSet::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TTabSet", &WinControlClassInfo(), Creator<TTabSet>());
    i.Prop("Tabs", &TTabSet::SetTabs);
    i.Prop("TabIndex", &TTabSet::SetTabIndex);
    i.Event("OnChange", &TTabSet::OnChange);
    return i;
  }();
  return info;
}

void TTabSet::CreateParams(TCreateParams& p) {
  static bool init = [] {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)init;
  TStdControl::CreateParams(p);
  p.WinClassName = WC_TABCONTROLA;
  p.Style |= TCS_TABS | TCS_FOCUSONBUTTONDOWN;
}

void TTabSet::HandleCreated() {
  HWND h = HandleIfAllocated();
  SendMessageA(h, TCM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < tabs_.size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(tabs_[i].c_str());
    SendMessageA(h, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(h, TCM_SETCURSEL, static_cast<WPARAM>(tabIndex_), 0);
}

void TTabSet::SetTabs(const std::vector<std::string>& tabs) {
  tabs_ = tabs;
  if (HandleAllocated()) HandleCreated();
}

void TTabSet::SetTabIndex(int index) {
  tabIndex_ = index;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TTabSet::SelectTab(int index) {
  if (index == tabIndex_) return;
  if (OnChange) OnChange(this, index);
  SetTabIndex(index);
}

void TTabSet::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY && reinterpret_cast<NMHDR*>(m.LParam)->code == static_cast<UINT>(TCN_SELCHANGE)) {
    int index = static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0));
    int old = tabIndex_;
    tabIndex_ = index;
    if (index != old && OnChange) OnChange(this, index);
    return;
  }
  TStdControl::WndProc(m);
}

// TPageBook

TPageBook::TPageBook(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 150, 150); }

const TClassInfo& TPageBook::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TPageBook", &CustomControlClassInfo(), Creator<TPageBook>());
    i.Prop("PageIndex", &TPageBook::SetPageIndex);
    return i;
  }();
  return info;
}

const std::vector<TPage*>& TPageBook::Pages() const {
  // The pages in the order they were placed, taken once they all exist.
  if (pages_.empty())
    for (int i = 0; i < ControlCount(); ++i)
      if (auto* p = dynamic_cast<TPage*>(Controls(i))) pages_.push_back(p);
  return pages_;
}

TPage* TPageBook::Page(int index) const {
  const auto& pages = Pages();
  return index >= 0 && index < static_cast<int>(pages.size()) ? pages[static_cast<size_t>(index)] : nullptr;
}

void TPageBook::SetPageIndex(int index) {
  if (!Loading() && (index < 0 || index >= PageCount())) return;
  pageIndex_ = index;
  if (!Loading()) ShowPages();
}

void TPageBook::ShowPages() {
  for (int i = 0; i < PageCount(); ++i) Page(i)->SetVisible(i == pageIndex_);
}

void TPageBook::Loaded() {
  TCustomControl::Loaded();
  ShowPages();
}

// TDirectoryView and TFileView

namespace {
std::string Upper(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return s;
}

std::string WithBackslash(std::string s) {
  if (!s.empty() && s.back() != '\\') s += '\\';
  return s;
}

// The entries of a folder: sub-folders (without "." and "..") and files.
bool ListFolder(const std::string& folder, std::vector<std::string>& dirs, std::vector<std::string>& files) {
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((WithBackslash(folder) + "*.*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return false;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? dirs : files).push_back(name);
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  auto byName = [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); };
  std::sort(dirs.begin(), dirs.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  return true;
}
}  // namespace

TDirectoryView::TDirectoryView(TComponent* owner) : TListBox(owner) {}

const TClassInfo& TDirectoryView::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TDirectoryView", FindClass("TListBox"), Creator<TDirectoryView>());
    i.Event("OnChange", &TDirectoryView::OnChange);
    return i;
  }();
  return info;
}

bool TDirectoryView::SetDirectory(const std::string& path) {
  std::vector<std::string> dirs, files;
  std::string folder = Upper(WithBackslash(path));
  if (!ListFolder(folder, dirs, files)) return false;
  directory_ = folder;
  std::vector<std::string> items;
  if (folder.size() > 3) items.push_back("[..]");
  for (const std::string& d : dirs) items.push_back("[" + d + "]");
  SetItems(items);
  if (OnChange) OnChange(this);
  return true;
}

bool TDirectoryView::EnterItem(int index) {
  if (index < 0 || index >= ItemCount()) return false;
  std::string item = Items()[static_cast<size_t>(index)];
  std::string name = item.substr(1, item.size() - 2);
  if (name == "..") {
    std::string up = directory_.substr(0, directory_.size() - 1);
    size_t sep = up.find_last_of('\\');
    return sep != std::string::npos && SetDirectory(up.substr(0, sep + 1));
  }
  return SetDirectory(directory_ + name);
}

void TDirectoryView::DblClick() {
  EnterItem(ItemIndex());
  TListBox::DblClick();
}

TFileView::TFileView(TComponent* owner) : TListBox(owner) {}

const TClassInfo& TFileView::ClassInfo() {
  static const TClassInfo info("TFileView", FindClass("TListBox"), Creator<TFileView>());
  return info;
}

bool TFileView::SetDirectory(const std::string& path) {
  std::vector<std::string> dirs, files;
  std::string folder = WithBackslash(path);
  if (!ListFolder(folder, dirs, files)) return false;
  directory_ = folder;
  std::vector<std::string> items = dirs;
  items.insert(items.end(), files.begin(), files.end());
  SetItems(items);
  return true;
}

std::string TFileView::SelectedPath() const {
  int index = ItemIndex();
  if (index < 0 || index >= ItemCount()) return {};
  return directory_ + Items()[static_cast<size_t>(index)];
}

// TMenuBar

namespace {
std::vector<TMenuBar*>& Bars() {
  static std::vector<TMenuBar*> bars;
  return bars;
}
}  // namespace

TMenuBar::TMenuBar(std::vector<TMenuItemSpec> items) : items_(std::move(items)) {
  for (const TMenuItemSpec& spec : items_) states_.push_back({spec});
}

TMenuBar::~TMenuBar() {
  auto& bars = Bars();
  bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
  if (hook_) UnhookWindowsHookEx(hook_);
  if (wnd_ && IsWindow(wnd_) && GetMenu(wnd_) == menu_) SetMenu(wnd_, nullptr);
  if (menu_) DestroyMenu(menu_);
}

TMenuBar::TState* TMenuBar::Find(UINT id) {
  for (TState& s : states_)
    if (s.spec.Id == id && id) return &s;
  return nullptr;
}

const TMenuBar::TState* TMenuBar::Find(UINT id) const { return const_cast<TMenuBar*>(this)->Find(id); }

void TMenuBar::Attach(HWND wnd) {
  wnd_ = wnd;
  Rebuild();
  Bars().push_back(this);
  hook_ = SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
}

void TMenuBar::Rebuild() {
  HMENU old = menu_;
  menu_ = CreateMenu();
  HMENU popup = nullptr;
  for (const TState& s : states_) {
    if (s.spec.TopLevel) {
      popup = CreatePopupMenu();
      AppendMenuA(menu_, MF_POPUP | (s.enabled ? 0 : MF_GRAYED), reinterpret_cast<UINT_PTR>(popup),
                  s.spec.Caption.c_str());
      continue;
    }
    if (!popup || !s.visible) continue;
    if (s.spec.Caption == "-") {
      AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::string text = s.spec.Caption + (s.spec.Shortcut.empty() ? "" : "\t" + s.spec.Shortcut);
    AppendMenuA(popup, MF_STRING | (s.checked ? MF_CHECKED : 0) | (s.enabled ? 0 : MF_GRAYED), s.spec.Id, text.c_str());
  }
  if (wnd_) {
    SetMenu(wnd_, menu_);
    DrawMenuBar(wnd_);
  }
  if (old) DestroyMenu(old);
}

void TMenuBar::SetChecked(UINT id, bool on) {
  if (TState* s = Find(id); s && s->checked != on) {
    s->checked = on;
    if (menu_) CheckMenuItem(menu_, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  }
}

void TMenuBar::SetEnabled(UINT id, bool on) {
  if (TState* s = Find(id); s && s->enabled != on) {
    s->enabled = on;
    if (menu_) EnableMenuItem(menu_, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  }
}

void TMenuBar::SetVisible(UINT id, bool on) {
  if (TState* s = Find(id); s && s->visible != on) {
    s->visible = on;
    if (menu_) Rebuild();
  }
}

bool TMenuBar::TopEnabled(const std::string& caption) const {
  for (const TState& s : states_)
    if (s.spec.TopLevel && s.spec.Caption == caption) return s.enabled;
  return false;
}

void TMenuBar::SetTopEnabled(const std::string& caption, bool on) {
  for (TState& s : states_)
    if (s.spec.TopLevel && s.spec.Caption == caption && s.enabled != on) {
      s.enabled = on;
      if (menu_) Rebuild();
    }
}

UINT TMenuBar::ShortcutCommand(WORD key, bool ctrl) const {
  bool topEnabled = true;
  for (const TState& s : states_) {
    if (s.spec.TopLevel) {
      topEnabled = s.enabled;
      continue;
    }
    if (s.spec.Key == key && s.spec.Ctrl == ctrl && s.spec.Id && topEnabled && s.enabled && s.visible) return s.spec.Id;
  }
  return 0;
}

LRESULT CALLBACK TMenuBar::GetMessageHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == PM_REMOVE) {
    MSG* msg = reinterpret_cast<MSG*>(lp);
    if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
      bool ctrl = GetKeyState(VK_CONTROL) < 0;
      for (TMenuBar* bar : Bars()) {
        HWND w = bar->wnd_;
        if (!w || !IsWindowEnabled(w) || (msg->hwnd != w && !IsChild(w, msg->hwnd))) continue;
        if (UINT id = bar->ShortcutCommand(static_cast<WORD>(msg->wParam), ctrl)) {
          msg->message = WM_NULL;
          PostMessageA(w, WM_COMMAND, id, 0);
          break;
        }
      }
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
