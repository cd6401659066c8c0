#include "DirTree.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "Forms.h"
#include "ShellInfo.h"
#include "ViewSupport.h"

using namespace ViewSupport;

namespace {
const char kPlaceholder[] = "**";

int DriveIndex(const std::string& path) {
  if (path.empty()) return -1;
  int c = std::toupper(static_cast<unsigned char>(path[0]));
  return c >= 'A' && c <= 'Z' ? c - 'A' : -1;
}

// Sets the flag on every way out of a scope.
class TSetOnExit {
public:
  explicit TSetOnExit(bool& flag) : flag_(flag) {}
  ~TSetOnExit() { flag_ = true; }
  TSetOnExit(const TSetOnExit&) = delete;
  TSetOnExit& operator=(const TSetOnExit&) = delete;

private:
  bool& flag_;
};
}  // namespace

TDirTree::TDirTree(TComponent* owner) : TTreeView(owner) {
  windowsDir_ = WithBackslash(ShellInfo().WindowsDirectory());
  for (int i = 0; i < 26; ++i) remembered_[static_cast<size_t>(i)] = std::string(1, static_cast<char>('A' + i)) + ":\\";
  std::string current = CurrentDirectory();
  if (int d = DriveIndex(current); d >= 0 && current.size() > 1 && current[1] == ':')
    remembered_[static_cast<size_t>(d)] = WithBackslash(UpperText(current));
}

TDirTree::~TDirTree() {
  destroying_ = true;
  ready_ = false;
  Clear();
  entries_.clear();
}

const TDirEntry* TDirTree::Entry(const TTreeNode* node) const {
  auto it = entries_.find(node);
  return it == entries_.end() ? nullptr : it->second.get();
}

TDirEntry* TDirTree::EntryOf(const TTreeNode* node) {
  auto it = entries_.find(node);
  return it == entries_.end() ? nullptr : it->second.get();
}

std::string TDirTree::Directory() const {
  const TDirEntry* entry = Entry(Selected());
  return entry ? entry->Path : "?";
}

void TDirTree::SetDirType(TDirType v) {
  if (v == dirType_) return;
  dirType_ = v;
  Reload();
}

void TDirTree::SetAllowNetwork(bool v) {
  if (v == allowNetwork_) return;
  allowNetwork_ = v;
  Reload();
}

void TDirTree::SetGoBelowRecycleBin(bool v) {
  if (v == goBelowRecycleBin_) return;
  goBelowRecycleBin_ = v;
  Reload();
}

bool TDirTree::AcceptDir(const std::string& path) {
  if (!goBelowRecycleBin_) {
    // The recycle bin itself stays; what lies below it goes.
    std::string lower = LowerText(path);
    size_t found = lower.find("\\recycled\\");
    if (found != std::string::npos) {
      size_t p = found + 1;
      if (p < lower.size() - 9) return false;
    }
  }
  bool add = true;
  if (OnAddDir) OnAddDir(this, path, add);
  return add;
}

bool TDirTree::AttributesAccepted(DWORD attr) const {
  if (dirType_.Has(TDirAttr::dtAll)) return true;
  bool hidden = attr & FILE_ATTRIBUTE_HIDDEN, system = attr & FILE_ATTRIBUTE_SYSTEM,
       archive = attr & FILE_ATTRIBUTE_ARCHIVE;
  if ((hidden && !dirType_.Has(TDirAttr::dtHidden)) || (system && !dirType_.Has(TDirAttr::dtSystem)) ||
      (archive && !dirType_.Has(TDirAttr::dtArchive)))
    return false;
  return dirType_.Has(TDirAttr::dtNormal) || hidden || system || archive;
}

int TDirTree::FindDir(const std::string& path, TDirRec& rec, bool first) {
  int result;
  if (first) {
    rec.FindHandle = FindFirstFileA((path + "*.*").c_str(), &rec.FindData);
    result = rec.FindHandle != INVALID_HANDLE_VALUE ? 0 : static_cast<int>(GetLastError());
  } else {
    result = FindNextFileA(rec.FindHandle, &rec.FindData) ? 0 : static_cast<int>(GetLastError());
  }
  if (result == 0) {
    rec.Name = rec.FindData.cFileName;
    rec.Attr = static_cast<int>(rec.FindData.dwFileAttributes);
  }
  return result;
}

void TDirTree::EnumDirs(const std::string& path, const std::function<bool(const std::string&)>& each) {
  TErrorModeGuard quiet;
  TDirRec rec;
  auto next = [&](bool first) {
    // A handler that returns nothing ends the enumeration.
    int result = ERROR_NO_MORE_FILES;
    if (OnFindDir) OnFindDir(this, path, rec, result, first);
    else result = FindDir(path, rec, first);
    return result;
  };
  try {
    for (int result = next(true); result == 0; result = next(false)) {
      if (!(rec.Attr & FILE_ATTRIBUTE_DIRECTORY) || rec.Name == "." || rec.Name == ".." || rec.Name.empty()) continue;
      std::string child = path + rec.Name + "\\";
      if (!AcceptDir(child) || !AttributesAccepted(static_cast<DWORD>(rec.Attr))) continue;
      if (!each(rec.Name)) break;
    }
  } catch (...) {
    if (rec.FindHandle != INVALID_HANDLE_VALUE && rec.FindHandle) FindClose(rec.FindHandle);
    throw;
  }
  if (rec.FindHandle != INVALID_HANDLE_VALUE && rec.FindHandle) FindClose(rec.FindHandle);
}

// The shell's first icon answer builds its image list, which costs a
// start-up a good part of a second under Wine: it is asked for when the
// first folder goes in, not when the tree is made.
void TDirTree::UseShellIcons() {
  if (shellIcons_) return;
  shellIcons_ = true;
  IShellInfo& shell = ShellInfo();
  SetImages(shell.SystemImages(false));
  windowsClosedIcon_ = shell.SmallIcon(windowsDir_, false);
  windowsOpenIcon_ = shell.SmallIcon(windowsDir_, true);
}

void TDirTree::SetIcons(TTreeNode* node, const std::string& path, int icon) {
  IShellInfo& shell = ShellInfo();
  node->SetImageIndex(icon);
  // The standard folder icon opens as the Windows folder's does.
  node->SetSelectedIndex(icon == windowsClosedIcon_ ? windowsOpenIcon_ : shell.SmallIcon(path, true));
  if (OnGetIcon) OnGetIcon(this, node);
}

TTreeNode* TDirTree::AddDirNode(TTreeNode* parent, const std::string& path, const std::string& name) {
  UseShellIcons();
  std::string text;
  int icon = -1;
  ShellInfo().NameAndSmallIcon(path, text, icon);
  if (text.empty()) text = name;
  TTreeNode* node = AddChild(parent, text);
  entries_[node] = std::make_unique<TDirEntry>(TDirEntry{WithBackslash(UpperText(path)), false});
  SetIcons(node, path, icon);
  return node;
}

void TDirTree::ReadSubDirs(TTreeNode* node) {
  TDirEntry* entry = EntryOf(node);
  if (!entry || entry->Scanned || !HandleAllocated()) return;
  node->DeleteChildren();
  if (node->Expanded()) node->Collapse();
  entry->Scanned = true;
  std::string path = entry->Path;
  std::vector<std::string> names;
  EnumDirs(path, [&names](const std::string& name) {
    names.push_back(name);
    return true;
  });
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
  for (const std::string& name : names) AddDirNode(node, path + name, name);
}

// A node that already has children (its placeholder, say) is left alone,
// so opening a folder again adds no second placeholder below its children.
void TDirTree::HasSubDirs(TTreeNode* node) {
  TDirEntry* entry = EntryOf(node);
  if (!entry || entry->Scanned || node->Count() > 0 || !HandleAllocated()) return;
  bool found = false;
  EnumDirs(entry->Path, [&found](const std::string&) {
    found = true;
    return false;
  });
  if (found) AddChild(node, kPlaceholder);
}

bool TDirTree::CanExpand(TTreeNode* node) {
  {
    TWaitCursor wait;
    ReadSubDirs(node);
    for (int i = 0; i < node->Count(); ++i) HasSubDirs(node->Item(i));
  }
  return TTreeView::CanExpand(node);
}

void TDirTree::Change(TTreeNode* node) {
  if (!ready_ || Destroying()) return;
  if (const TDirEntry* entry = Entry(node))
    if (int d = DriveIndex(entry->Path); d >= 0) remembered_[static_cast<size_t>(d)] = entry->Path;
  TTreeView::Change(node);
}

void TDirTree::Delete(TTreeNode* node) {
  entries_.erase(node);
  if (Destroying()) return;
  TTreeView::Delete(node);
  if (OnDeleteItem) OnDeleteItem(this, node);
}

bool TDirTree::IsNetworkDrive(const std::string& path) {
  return path.size() >= 3 && path[1] == ':' && ShellInfo().DriveType(path.substr(0, 3)) == DRIVE_REMOTE;
}

void TDirTree::ReadDrives() {
  if (!HandleAllocated() || Loading()) return;
  ready_ = false;
  {
    TSetOnExit ready(ready_);
    TWaitCursor wait;
    TRedrawLock lock(Handle());
    Clear();
    Application().ProcessMessages();
    IShellInfo& shell = ShellInfo();
    DWORD drives;
    {
      TErrorModeGuard quiet;
      drives = shell.LogicalDrives();
    }
    for (int i = 0; i < 26; ++i) {
      if (!(drives & (1u << i))) continue;
      std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
      UINT type = shell.DriveType(root);
      if (!allowNetwork_ && type == DRIVE_REMOTE) continue;
      if (!AcceptDir(root)) continue;
      TTreeNode* node = AddDirNode(nullptr, root, root);
      // Drives that may hold no disk are never read here.
      bool unread = type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR || type == DRIVE_REMOVABLE || type == DRIVE_CDROM;
      if (fastLoad_ || unread) AddChild(node, "");
      else HasSubDirs(node);
    }
  }
  if (TTreeNode* selected = Selected()) SetTopItem(selected);
}

void TDirTree::SetDirectory(const std::string& value) {
  if (value.empty()) throw Exception("Invalid Directory Name");
  if (value == "?") return;
  std::string path = WithBackslash(value);
  if (!FolderExists(path)) {
    std::string current = CurrentDirectory();
    path = current.size() >= 2 ? current.substr(0, 2) + "\\" : path;
  }
  if (HandleAllocated() && !allowNetwork_ && IsNetworkDrive(path)) path = windowsDir_;
  int levels = static_cast<int>(std::count(path.begin(), path.end(), '\\'));
  if (levels == 0) return;
  TWaitCursor wait;
  TTreeNode* found = nullptr;
  {
    TRedrawLock lock(HandleIfAllocated());
    path = UpperText(path);
    size_t end = 0;
    for (int level = 1; level <= levels; ++level) {
      end = path.find('\\', end) + 1;
      std::string part = path.substr(0, end);
      int count = found ? found->Count() : RootCount();
      TTreeNode* match = nullptr;
      for (int i = 0; i < count && !match; ++i) {
        TTreeNode* candidate = found ? found->Item(i) : Root(i);
        const TDirEntry* entry = Entry(candidate);
        if (entry && SameText(entry->Path, part)) match = candidate;
      }
      if (!match) return;
      found = match;
      if (!Entry(found)->Scanned) ReadSubDirs(found);
    }
    if (!found) return;
    SetSelected(found);
  }
  // Scrolled once the tree draws again, so the window keeps it.
  SetTopItem(found);
}

void TDirTree::Reload() {
  std::string remembered = Directory();
  ReadDrives();
  SetDirectory(remembered);
  if (RootCount() > 0 && !Selected()) SetDirectory(remembered.substr(0, 3));
  if (Selected() || RootCount() == 0) return;
  try {
    // The first root whose first child is not an unread one.
    int i = 0;
    while (i + 1 < RootCount()) {
      TTreeNode* first = Root(i)->GetFirstChild();
      const TDirEntry* entry = Entry(first);
      if (!first || (entry && entry->Scanned)) break;
      ++i;
    }
    TTreeNode* root = Root(i);
    const TDirEntry* rootEntry = Entry(root);
    int d = rootEntry ? DriveIndex(rootEntry->Path) : -1;
    if (d < 0) return;
    std::string path = remembered_[static_cast<size_t>(d)];
    SetDirectory(path);
    if (Directory() != path) SetSelected(root);
  } catch (const std::exception&) {
    // The tree stays as it is.
  }
}

void TDirTree::CreateWnd() {
  TTreeView::CreateWnd();
  if (readOnStart_) ReadDrives();
}

void TDirTree::Loaded() {
  TTreeView::Loaded();
  // Without ReadOnStart, the owner reads the drives when it wants them.
  if (!readOnStart_) return;
  ReadDrives();
  SetDirectory(Directory());
}

const TClassInfo& TDirTree::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TDirTree", &TreeViewClassInfo(), Creator<TDirTree>());
    i.Prop("ReadOnStart", &TDirTree::SetReadOnStart);
    i.Prop("DirType", &TDirTree::SetDirType);
    i.Prop("AllowNetwork", &TDirTree::SetAllowNetwork);
    i.Prop("GoBelowRecycleBin", &TDirTree::SetGoBelowRecycleBin);
    i.Prop("FastLoad", &TDirTree::SetFastLoad);
    i.Prop("Directory", &TDirTree::SetDirectory);
    i.Event("OnAddDir", &TDirTree::OnAddDir);
    i.Event("OnFindDir", &TDirTree::OnFindDir);
    i.Event("OnGetIcon", &TDirTree::OnGetIcon);
    i.Event("OnDeleteItem", &TDirTree::OnDeleteItem);
    return i;
  }();
  return info;
}
