// The folder browser's rules (selection, status text, the dialog's set-up
// through its callback operations, Browse through the seam) and the file
// drop target with drops built in memory.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>

#include "BrowseFolder.h"
#include "FileDropTarget.h"
#include "KitTestSupport.h"
#include "StdCtrls.h"
#include "TestPaths.h"

using namespace kit;

namespace {
// The shell's item for a path; freed with CoTaskMemFree.
LPITEMIDLIST ItemOf(const std::string& path) {
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
  std::wstring wide(path.begin(), path.end());
  LPITEMIDLIST item = nullptr;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &item, nullptr))) item = nullptr;
  desktop->Release();
  return item;
}

// A drop as the shell hands it over: DROPFILES and the names, each ended
// by a zero, the list by another.
HDROP MakeDrop(const std::vector<std::string>& names, POINT at) {
  size_t size = sizeof(DROPFILES) + 1;
  for (const auto& n : names) size += n.size() + 1;
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
  df->pFiles = sizeof(DROPFILES);
  df->pt = at;
  char* p = reinterpret_cast<char*>(df + 1);
  for (const auto& n : names) {
    std::memcpy(p, n.c_str(), n.size() + 1);
    p += n.size() + 1;
  }
  GlobalUnlock(mem);
  return static_cast<HDROP>(mem);
}
}  // namespace

TEST(BrowseFolder, SelectionGetsABackslashOnlyForAFolder) {
  TTempDir tmp;
  WriteFileBytes(tmp / "file.txt", "x");
  struct {
    std::string set, read;
  } rows[] = {{tmp.Path(), tmp.Path() + "\\"}, {tmp / "file.txt", tmp / "file.txt"},
              {tmp / "missing", tmp / "missing"}, {"C:\\", "C:\\"}, {"", ""}};
  for (const auto& row : rows) {
    TBrowseFolderDialog d(nullptr);
    d.SetSelection(row.set);
    EXPECT_EQ(d.Selection(), row.read) << row.set;
  }
}

TEST(BrowseFolder, FolderTestAndDialogForm) {
  TTempDir tmp;
  WriteFileBytes(tmp / "file.txt", "x");
  EXPECT_TRUE(IsFolder("C:\\"));
  EXPECT_FALSE(IsFolder("Q:\\"));
  EXPECT_TRUE(IsFolder(tmp.Path()));
  EXPECT_TRUE(IsFolder(tmp.Path() + "\\"));
  EXPECT_FALSE(IsFolder(tmp / "file.txt"));
  EXPECT_FALSE(IsFolder(""));
  struct {
    const char* path;
    const char* dialog;
  } rows[] = {{"C:\\", "C:\\"}, {"C:", "C:\\"}, {"C:\\WINDOWS\\", "C:\\WINDOWS"}, {"C:\\WINDOWS", "C:\\WINDOWS"}};
  for (auto row : rows) EXPECT_EQ(DialogSelection(row.path), row.dialog) << row.path;
  EXPECT_EQ(RootFolderId(TRootID::idStartMenu), 0x0B);
  EXPECT_EQ(RootFolderId(TRootID::idTemplates), 0x15);
  EXPECT_EQ(RootFolderId(TRootID::idDesktopExpanded), 0xFEFE);
  EXPECT_EQ(BrowseFlagBits({TBrowseFlag::bfDirectoriesOnly, TBrowseFlag::bfIncludeFiles}), 0x4001u);
  EXPECT_EQ(BrowseFlagBits({TBrowseFlag::bfAncestors, TBrowseFlag::bfPrinters}), 0x2008u);
}

TEST(BrowseFolder, StatusTextIsShortenedStepByStep) {
  // Dots are narrow here, as in a proportional font.
  auto width = [](const std::string& s) {
    int w = 0;
    for (char c : s) w += c == '.' ? 0 : 1;
    return w;
  };
  struct {
    const char* text;
    bool folder;
    int available;
    const char* shown;
  } rows[] = {
      {"C:\\A\\B\\C\\D", true, 10, "C:\\A\\B\\C\\D"},
      {"C:\\A\\B\\C\\D", true, 9, "C:\\...\\B\\C\\D"},
      {"C:\\A\\B\\C\\D", true, 8, "C:\\...\\C\\D"},
      {"C:\\A\\B\\C\\D", true, 6, "C:\\...\\D"},
      {"C:\\A\\B\\C\\D", true, 4, "...\\D"},
      {"C:\\A\\B\\C\\D", true, 1, "D"},
      {"C:\\A\\B\\C\\D", true, 0, "D"},
      {"\\\\", true, 0, ""},
      {"C:.\\x", true, 0, "x"},
      {"C:", true, 0, "C:"},
      {"Hello world", false, 20, "Hello world"},
      {"Hello world", false, 5, "Hello..."},
      {"Hello world", false, 0, "..."},
      {"", false, 0, ""},
  };
  for (auto row : rows)
    EXPECT_EQ(FitStatus(row.text, row.folder, width, row.available), row.shown)
        << row.text << " in " << row.available;
}

TEST(BrowseFolder, BrowseThroughTheSeam) {
  TRobot robot;
  TTempDir tmp;
  TBrowseFolderDialog d(nullptr);
  d.SetSelection("C:\\");
  robot.Folders = {tmp.Path(), "", tmp / "missing"};
  EXPECT_TRUE(d.Browse());
  EXPECT_EQ(d.Selection(), tmp.Path() + "\\");
  EXPECT_FALSE(d.Browse()) << "cancelled";
  EXPECT_EQ(d.Selection(), "");
  EXPECT_FALSE(d.Browse()) << "no such folder";
  EXPECT_EQ(robot.Unscripted, 0);
}

TEST(BrowseFolder, DialogIsSetUpByItsCallback) {
  TTempDir tmp;
  // A stand-in for the shell's dialog: a window with its status line.
  TForm dlg(nullptr);
  dlg.SetBorderStyle(TFormBorderStyle::bsDialog);
  dlg.SetBounds(0, 0, 300, 200);
  HWND h = dlg.Handle();
  HWND status = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 120, 16, h,
                                reinterpret_cast<HMENU>(TBrowseFolderDialog::kStatusId), nullptr, nullptr);
  ASSERT_NE(status, nullptr);
  TBrowseFolderDialog d(nullptr);
  d.SetCaption("Pick one");
  d.SetStatusText("A status text much too long for a line of one hundred and twenty pixels");
  int created = 0;
  std::string changed = "-";
  d.OnCreate = [&](TComponent*) { ++created; };
  d.OnSelChanged = [&](TComponent*, const std::string& path) { changed = path; };
  d.PrepareDialog(h);
  EXPECT_EQ(created, 1);
  EXPECT_EQ(d.DialogHandle(), h);
  EXPECT_EQ(d.Caption(), "Pick one");
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 300) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 200) / 2);
  std::string fitted = d.FittedStatusText();
  EXPECT_LT(fitted.size(), d.StatusText().size());
  EXPECT_EQ(fitted.substr(fitted.size() - 3), "...");
  d.SetCaption("Again");
  char text[64];
  GetWindowTextA(h, text, sizeof text);
  EXPECT_STREQ(text, "Again") << "set while open";

  LPITEMIDLIST item = ItemOf(tmp.Path());
  ASSERT_NE(item, nullptr);
  d.DoSelChanged(h, item);
  EXPECT_EQ(changed, tmp.Path());
  EXPECT_NE(d.StatusText(), tmp.Path()) << "the status follows only when asked";
  d.ShowSelectionInStatus = true;
  d.DoSelChanged(h, item);
  EXPECT_EQ(d.StatusText(), tmp.Path());
  CoTaskMemFree(item);
}

TEST(FileDropTarget, DropReachesOnDropWithNamesAndPoint) {
  TKitForm f;
  auto* list = new TListBox(f.form.get());
  list->SetParent(f.form.get());
  list->SetBounds(10, 10, 200, 100);
  TFileDropTarget target(nullptr);
  target.SetTarget(list);
  target.SetEnabled(true);
  HWND h = list->Handle();
  EXPECT_TRUE(GetWindowLongPtrA(h, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  int drops = 0;
  target.OnDrop = [&](TComponent*) { ++drops; };
  std::vector<std::string> names = {"C:\\one.txt", "C:\\two\\three.dat", "Z:\\tmp\\four"};
  SendMessageA(h, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names, {17, 23})), 0);
  EXPECT_EQ(drops, 1);
  EXPECT_EQ(target.FileCount(), 3);
  EXPECT_EQ(target.FileList(), names);
  EXPECT_EQ(target.DropPoint().x, 17);
  EXPECT_EQ(target.DropPoint().y, 23);
  list->AddItem("other messages still reach the list");
  EXPECT_EQ(SendMessageA(h, LB_GETCOUNT, 0, 0), 1);

  target.SetEnabled(false);
  EXPECT_FALSE(GetWindowLongPtrA(h, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  EXPECT_TRUE(target.Installed()) << "the procedure stays";
}

TEST(FileDropTarget, ProcedureIsRestoredAndATargetMayGoFirst) {
  TKitForm f;
  auto* list = new TListBox(f.form.get());
  list->SetParent(f.form.get());
  HWND h = list->Handle();
  LONG_PTR before = GetWindowLongPtrA(h, GWLP_WNDPROC);
  {
    TFileDropTarget target(nullptr);
    target.SetTarget(list);
    EXPECT_NE(GetWindowLongPtrA(h, GWLP_WNDPROC), before);
  }
  EXPECT_EQ(GetWindowLongPtrA(h, GWLP_WNDPROC), before);
  TFileDropTarget target(nullptr);
  target.SetTarget(list);
  target.SetEnabled(true);
  delete list;
  EXPECT_EQ(target.Target(), nullptr);
  EXPECT_FALSE(target.Installed());
}

TEST(FileDropTarget, DescriptionBindsTheTarget) {
  RegisterClass(TFileDropTarget::ClassInfo());
  RegisterClass(TBrowseFolderDialog::ClassInfo());
  struct TDropForm : TForm {
    explicit TDropForm(TComponent* owner) : TForm(owner) {
      Handler("FileDropTarget1Drop", &TDropForm::FileDropTarget1Drop);
    }
    void FileDropTarget1Drop(TComponent*) { ++drops; }
    int drops = 0;
  } form(nullptr);
  form.LoadDescription(R"(
object F: TForm
  object ListBox1: TListBox
    Left = 8  Top = 8
  end
  object FileDropTarget1: TFileDropTarget
    Enabled = True
    Target = ListBox1
    OnDrop = FileDropTarget1Drop
  end
  object BrowseFolderDialog1: TBrowseFolderDialog
    Title = 'Add Folders'
    Root = idDrives
    Options = [bfDirectoriesOnly]
    ShowSelectionInStatus = False
  end
end)");
  auto* target = dynamic_cast<TFileDropTarget*>(form.FindComponent("FileDropTarget1"));
  ASSERT_NE(target, nullptr);
  ASSERT_TRUE(target->Installed());
  HWND h = target->Target()->Handle();
  SendMessageA(h, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"C:\\a"}, {1, 2})), 0);
  EXPECT_EQ(form.drops, 1);
  auto* browse = dynamic_cast<TBrowseFolderDialog*>(form.FindComponent("BrowseFolderDialog1"));
  ASSERT_NE(browse, nullptr);
  EXPECT_EQ(browse->Root, TRootID::idDrives);
  EXPECT_EQ(browse->Title, "Add Folders");
}
