// The directory tree over a small real folder tree, with the drives it sees
// supplied by a stand-in so removable and network drives can be shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "DirTree.h"
#include "FakeDrives.h"
#include "Forms.h"
#include "ShellInfo.h"
#include "TestPaths.h"

namespace {
std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return s;
}

class DirTreeTest : public ::testing::Test {
protected:
  void SetUp() override {
    previous_ = SetShellInfo(&drives_);
    drives_.Drives = {{'C', DRIVE_FIXED}, {'Z', DRIVE_FIXED}};
    for (const char* dir : {"Alpha\\One", "Alpha\\Two\\Deep", "Beta", "RECYCLED\\Gone", "Hidden\\Inner"})
      MakeDirs(temp_ / dir);
    WriteFileBytes(temp_ / "file.txt", "x");
    SetFileAttributesA((temp_ / "Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    root_ = Upper(temp_.Path()) + "\\";
  }
  void TearDown() override {
    delete form_;
    SetShellInfo(previous_);
  }

  // A tree on a form; `setup` runs before its window (and its first read).
  TDirTree* MakeTree(const std::function<void(TDirTree&)>& setup = {}) {
    form_ = new TForm(nullptr);
    form_->SetBounds(0, 0, 300, 400);
    auto* tree = new TDirTree(form_);
    tree->SetBounds(0, 0, 280, 380);
    if (setup) setup(*tree);
    tree->SetParent(form_);
    form_->Show();
    return tree;
  }

  // The system's enumeration, recording each folder read.
  void CountFinds(TDirTree& tree) {
    tree.OnFindDir = [this](TComponent*, const std::string& path, TDirRec& rec, int& result, bool first) {
      if (first) reads_.push_back(path);
      result = TDirTree::FindDir(path, rec, first);
    };
  }
  // As the user opens and closes a folder from the keyboard; the window
  // tells the tree each time (unlike a second TVM_EXPAND).
  static void Open(TDirTree& tree, TTreeNode* node, bool open = true) {
    tree.SetSelected(node);
    SendMessageA(tree.Handle(), WM_KEYDOWN, open ? VK_ADD : VK_SUBTRACT, 0);
  }
  int Reads(const std::string& path) const { return static_cast<int>(std::count(reads_.begin(), reads_.end(), path)); }

  static TTreeNode* Child(TDirTree& tree, TTreeNode* parent, const std::string& path) {
    for (int i = 0; i < parent->Count(); ++i)
      if (const TDirEntry* e = tree.Entry(parent->Item(i)); e && e->Path == path) return parent->Item(i);
    return nullptr;
  }
  static TTreeNode* RootOf(TDirTree& tree, char letter) {
    for (int i = 0; i < tree.RootCount(); ++i)
      if (tree.Entry(tree.Root(i))->Path[0] == letter) return tree.Root(i);
    return nullptr;
  }
  static std::vector<std::string> ChildPaths(TDirTree& tree, TTreeNode* node) {
    std::vector<std::string> paths;
    for (int i = 0; i < node->Count(); ++i) {
      const TDirEntry* e = tree.Entry(node->Item(i));
      paths.push_back(e ? e->Path : "(" + node->Item(i)->Text() + ")");
    }
    return paths;
  }

  TTempDir temp_;
  std::string root_;
  TFakeDrives drives_;
  IShellInfo* previous_ = nullptr;
  TForm* form_ = nullptr;
  std::vector<std::string> reads_;
};
}  // namespace

TEST_F(DirTreeTest, DrivesAreProbedOrGivenAPlaceholderByTheirKind) {
  struct {
    const char* name;
    bool fastLoad;
    UINT dType;
    bool dProbed;
  } rows[] = {
      {"removable: not read", false, DRIVE_REMOVABLE, false},
      {"CD-ROM: not read", false, DRIVE_CDROM, false},
      {"network: probed", false, DRIVE_REMOTE, true},
      {"RAM disk: probed", false, DRIVE_RAMDISK, true},
      {"fast load: nothing read", true, DRIVE_FIXED, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    drives_.Drives = {{'C', DRIVE_FIXED}, {'D', row.dType}};
    reads_.clear();
    delete form_;
    TDirTree* tree = MakeTree([&](TDirTree& t) {
      t.SetFastLoad(row.fastLoad);
      CountFinds(t);
    });
    ASSERT_EQ(tree->RootCount(), 2);
    EXPECT_EQ(tree->Entry(tree->Root(0))->Path, "C:\\");
    EXPECT_EQ(tree->Entry(tree->Root(1))->Path, "D:\\");
    EXPECT_EQ(Reads("C:\\"), row.fastLoad ? 0 : 1);
    EXPECT_EQ(Reads("D:\\"), row.dProbed ? 1 : 0);
    TTreeNode* d = tree->Root(1);
    if (!row.dProbed) {
      // An unread drive still opens: its placeholder has no entry and no text.
      ASSERT_EQ(d->Count(), 1);
      EXPECT_EQ(tree->Entry(d->Item(0)), nullptr);
      EXPECT_EQ(d->Item(0)->Text(), "");
    }
    // C: has folders, so its probe leaves the "**" placeholder.
    ASSERT_EQ(tree->Root(0)->Count(), 1);
    EXPECT_EQ(tree->Entry(tree->Root(0)->Item(0)), nullptr);
    EXPECT_EQ(tree->Root(0)->Item(0)->Text(), row.fastLoad ? "" : "**");
    EXPECT_EQ(tree->Directory(), "?");
  }
}

// Without ReadOnStart, neither the tree's window nor its loading asks the
// shell anything (its image list costs a start-up dearly); the icons come
// with the first drives read.
TEST_F(DirTreeTest, WithoutReadOnStartTheShellWaitsForTheFirstRead) {
  struct TCountingDrives : TFakeDrives {
    int Asked = 0;
    int SmallIcon(const std::string& path, bool open) override {
      ++Asked;
      return TFakeDrives::SmallIcon(path, open);
    }
    void NameAndSmallIcon(const std::string& path, std::string& name, int& icon) override {
      ++Asked;
      TFakeDrives::NameAndSmallIcon(path, name, icon);
    }
    HIMAGELIST SystemImages(bool large) override {
      ++Asked;
      return TFakeDrives::SystemImages(large);
    }
  } counting;
  counting.Drives = drives_.Drives;
  SetShellInfo(&counting);
  TDirTree* tree = MakeTree([](TDirTree& t) { t.SetReadOnStart(false); });
  EXPECT_EQ(tree->RootCount(), 0);
  EXPECT_EQ(counting.Asked, 0);
  EXPECT_EQ(TreeView_GetImageList(tree->Handle(), TVSIL_NORMAL), nullptr);
  tree->ReadDrives();
  tree->SetDirectory(root_);
  EXPECT_EQ(tree->Directory(), root_);
  EXPECT_GT(counting.Asked, 0);
  EXPECT_NE(TreeView_GetImageList(tree->Handle(), TVSIL_NORMAL), nullptr);
  delete form_;
  form_ = nullptr;
  SetShellInfo(&drives_);
}

TEST_F(DirTreeTest, FoldersAreReadOnceWhenFirstOpenedAndProbedOnce) {
  TDirTree* tree = MakeTree([&](TDirTree& t) { CountFinds(t); });
  tree->SetDirectory(temp_.Path());
  ASSERT_EQ(tree->Directory(), root_);
  // The walk read each level once, the folder itself included.
  EXPECT_EQ(Reads("C:\\"), 2);  // probed at the start, then read
  EXPECT_EQ(Reads(root_), 1);
  TTreeNode* node = tree->Selected();
  EXPECT_EQ(ChildPaths(*tree, node),
            (std::vector<std::string>{root_ + "ALPHA\\", root_ + "BETA\\", root_ + "HIDDEN\\", root_ + "RECYCLED\\"}));

  reads_.clear();
  Open(*tree, node);
  ASSERT_TRUE(node->Expanded());
  // Opening probes each child for one sub-folder; the folder is not read again.
  EXPECT_EQ(Reads(root_), 0);
  for (const char* child : {"ALPHA\\", "BETA\\", "HIDDEN\\", "RECYCLED\\"}) EXPECT_EQ(Reads(root_ + child), 1) << child;
  TTreeNode* alpha = Child(*tree, node, root_ + "ALPHA\\");
  TTreeNode* beta = Child(*tree, node, root_ + "BETA\\");
  ASSERT_TRUE(alpha && beta);
  EXPECT_EQ(ChildPaths(*tree, alpha), std::vector<std::string>{"(**)"});
  EXPECT_EQ(beta->Count(), 0);
  EXPECT_FALSE(tree->Entry(alpha)->Scanned);

  // Closing and opening again adds no second placeholder and reads only
  // what had nothing to show.
  reads_.clear();
  Open(*tree, node, false);
  ASSERT_FALSE(node->Expanded());
  Open(*tree, node);
  ASSERT_TRUE(node->Expanded());
  EXPECT_EQ(ChildPaths(*tree, alpha), std::vector<std::string>{"(**)"});
  EXPECT_EQ(Reads(root_ + "ALPHA\\"), 0);
  EXPECT_EQ(Reads(root_), 0);

  // Opening Alpha replaces its placeholder by its folders, read once.
  reads_.clear();
  Open(*tree, alpha);
  EXPECT_EQ(ChildPaths(*tree, alpha), (std::vector<std::string>{root_ + "ALPHA\\ONE\\", root_ + "ALPHA\\TWO\\"}));
  EXPECT_TRUE(tree->Entry(alpha)->Scanned);
  EXPECT_EQ(Reads(root_ + "ALPHA\\"), 1);
  EXPECT_EQ(ChildPaths(*tree, Child(*tree, alpha, root_ + "ALPHA\\TWO\\")), std::vector<std::string>{"(**)"});
}

TEST_F(DirTreeTest, SettingTheDirectory) {
  TDirTree* tree = MakeTree();
  int changes = 0;
  tree->OnChange = [&](TComponent*, TTreeNode*) { ++changes; };
  EXPECT_EQ(tree->Directory(), "?");
  EXPECT_THROW(tree->SetDirectory(""), Exception);
  tree->SetDirectory("?");
  EXPECT_EQ(tree->Directory(), "?");

  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  std::string lower = windows;
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  tree->SetDirectory(lower);
  EXPECT_EQ(tree->Directory(), Upper(windows) + "\\");
  EXPECT_TRUE(tree->Entry(RootOf(*tree, 'C'))->Scanned) << "the root was read on the way";
  EXPECT_EQ(changes, 1);

  // A folder that does not exist selects the current drive's root.
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  tree->SetDirectory(temp_ / "no such folder");
  EXPECT_EQ(tree->Directory(), Upper(std::string(current, 2)) + "\\");

  // A level the tree leaves out keeps the selection.
  tree->SetDirectory(temp_.Path());
  tree->OnAddDir = [](TComponent*, const std::string& path, bool& add) { add = Upper(path).find("BETA") == std::string::npos; };
  tree->ReadDrives();
  tree->SetDirectory(temp_.Path());
  ASSERT_EQ(tree->Directory(), root_);
  tree->SetDirectory(temp_ / "Beta");
  EXPECT_EQ(tree->Directory(), root_);
}

TEST_F(DirTreeTest, FiltersAndTheirReload) {
  TDirTree* tree = MakeTree();
  tree->SetDirectory(temp_.Path());
  TTreeNode* node = tree->Selected();
  node->Expand();
  TTreeNode* recycled = Child(*tree, node, root_ + "RECYCLED\\");
  ASSERT_NE(recycled, nullptr);
  EXPECT_EQ(recycled->Count(), 1);

  // The recycle bin stays, with nothing below it.
  tree->SetGoBelowRecycleBin(false);
  ASSERT_EQ(tree->Directory(), root_) << "the reload keeps the folder";
  node = tree->Selected();
  node->Expand();
  recycled = Child(*tree, node, root_ + "RECYCLED\\");
  ASSERT_NE(recycled, nullptr);
  EXPECT_EQ(recycled->Count(), 0);
  recycled->Expand();
  EXPECT_EQ(recycled->Count(), 0);

  // Without dtAll, hidden folders go.
  ASSERT_NE(Child(*tree, node, root_ + "HIDDEN\\"), nullptr);
  tree->SetDirType({TDirAttr::dtNormal});
  ASSERT_EQ(tree->Directory(), root_);
  EXPECT_EQ(Child(*tree, tree->Selected(), root_ + "HIDDEN\\"), nullptr);
  EXPECT_NE(Child(*tree, tree->Selected(), root_ + "ALPHA\\"), nullptr);

  // A handler that refuses a drive root hides the drive.
  tree->OnAddDir = [](TComponent*, const std::string& path, bool& add) { add = path != "Z:\\"; };
  tree->ReadDrives();
  EXPECT_NE(RootOf(*tree, 'C'), nullptr);
  EXPECT_EQ(RootOf(*tree, 'Z'), nullptr);
}

TEST_F(DirTreeTest, NetworkDrivesCanBeLeftOut) {
  // Z: stands in for a network drive.
  drives_.Drives = {{'C', DRIVE_FIXED}, {'Z', DRIVE_REMOTE}};
  TDirTree* tree = MakeTree([](TDirTree& t) { t.SetAllowNetwork(false); });
  EXPECT_NE(RootOf(*tree, 'C'), nullptr);
  EXPECT_EQ(RootOf(*tree, 'Z'), nullptr);
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  tree->SetDirectory("Z:\\tmp");
  EXPECT_EQ(tree->Directory(), Upper(windows) + "\\");
  tree->SetAllowNetwork(true);
  EXPECT_NE(RootOf(*tree, 'Z'), nullptr);
  EXPECT_EQ(tree->Directory(), Upper(windows) + "\\");
}

TEST_F(DirTreeTest, EveryNodeIsDeletedOnceAndChangesWaitForTheRebuild) {
  TDirTree* tree = MakeTree();
  tree->SetDirectory(temp_.Path());
  tree->Selected()->Expand();
  std::set<const TTreeNode*> nodes;
  std::function<void(TTreeNode*)> walk = [&](TTreeNode* n) {
    nodes.insert(n);
    for (int i = 0; i < n->Count(); ++i) walk(n->Item(i));
  };
  for (int i = 0; i < tree->RootCount(); ++i) walk(tree->Root(i));
  std::map<const TTreeNode*, int> deleted;
  int changes = 0;
  tree->OnDeleteItem = [&](TComponent*, TTreeNode* n) { ++deleted[n]; };
  tree->OnChange = [&](TComponent*, TTreeNode*) { ++changes; };
  tree->ReadDrives();
  EXPECT_EQ(deleted.size(), nodes.size());
  for (auto [node, times] : deleted) {
    EXPECT_TRUE(nodes.count(node));
    EXPECT_EQ(times, 1);
  }
  EXPECT_EQ(changes, 0) << "the selection lost in a rebuild is not reported";
  EXPECT_EQ(tree->Directory(), "?");
  tree->SetDirectory(temp_.Path());
  EXPECT_EQ(changes, 1);
}
