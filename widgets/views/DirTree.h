// A tree of the machine's drives and folders, read lazily: a folder's
// sub-folders are read the first time it opens, and each new node is only
// probed for whether it has one at all. Filters decide which folders show.
//
//   object SourceDirView: TDirTree
//     DirType = [dtReadOnly, dtHidden, dtSystem, dtArchive, dtNormal, dtAll]
//     OnChange = SourceDirViewChange
//   end
//
// Register with RegisterClass(TDirTree::ClassInfo()).
#pragma once
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ComCtrls.h"
#include "Description.h"

enum class TDirAttr { dtReadOnly, dtHidden, dtSystem, dtArchive, dtNormal, dtAll };
TZ_ENUM_NAMES(TDirAttr, "dtReadOnly", "dtHidden", "dtSystem", "dtArchive", "dtNormal", "dtAll")
using TDirType = TSet<TDirAttr>;

// One entry of a folder enumeration.
struct TDirRec {
  int Attr = 0;
  std::string Name;
  HANDLE FindHandle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA FindData{};
};

// What a real node stands for; placeholder children have none.
struct TDirEntry {
  std::string Path;  // upper case, ending in "\" ("C:\" for a drive)
  bool Scanned = false;  // its sub-folders have been read
};

// (Sender, path, DoAdd): clear DoAdd to leave the folder out.
using TAddFileEvent = TEvent<const std::string&, bool&>;
// (Sender, folder, Rec, Result, First): returns the folder's entries one by
// one in Rec, Result 0 while there is one; First on the first call.
using TFindDirEvent = TEvent<const std::string&, TDirRec&, int&, bool>;
using TDirNodeEvent = TEvent<TTreeNode*>;

class TDirTree : public TTreeView {
public:
  explicit TDirTree(TComponent* owner);
  ~TDirTree() override;
  static const TClassInfo& ClassInfo();

  // The selected folder, or "?" when none is selected.
  std::string Directory() const;
  // Selects a folder, reading the levels on the way. A folder that does not
  // exist selects the current drive's root; a level missing from the tree
  // leaves the selection as it was. "?" changes nothing.
  void SetDirectory(const std::string& value);
  bool ReadOnStart() const { return readOnStart_; }
  void SetReadOnStart(bool v) { readOnStart_ = v; }
  TDirType DirType() const { return dirType_; }
  void SetDirType(TDirType v);
  bool AllowNetwork() const { return allowNetwork_; }
  void SetAllowNetwork(bool v);
  bool GoBelowRecycleBin() const { return goBelowRecycleBin_; }
  void SetGoBelowRecycleBin(bool v);
  bool FastLoad() const { return fastLoad_; }
  void SetFastLoad(bool v) { fastLoad_ = v; }

  // Rebuilds the tree: the drives, each probed or given a placeholder.
  void ReadDrives();
  // After a filter change: rebuilds and selects the folder again.
  void Reload();
  // The entry of a real node; null for a placeholder.
  const TDirEntry* Entry(const TTreeNode* node) const;
  // The enumeration used without OnFindDir: the system's find-first (when
  // `first`) or find-next over path + "*.*"; 0 or the system's error code.
  static int FindDir(const std::string& path, TDirRec& rec, bool first);

  TAddFileEvent OnAddDir;
  TFindDirEvent OnFindDir;
  TDirNodeEvent OnGetIcon;
  TDirNodeEvent OnDeleteItem;

protected:
  void CreateWnd() override;
  void Loaded() override;
  bool CanExpand(TTreeNode* node) override;
  void Change(TTreeNode* node) override;
  void Delete(TTreeNode* node) override;

private:
  TDirEntry* EntryOf(const TTreeNode* node);
  bool AcceptDir(const std::string& path);
  bool AttributesAccepted(DWORD attr) const;
  // Calls `each` with the name of every folder entry that counts, until it
  // returns false.
  void EnumDirs(const std::string& path, const std::function<bool(const std::string&)>& each);
  void ReadSubDirs(TTreeNode* node);
  void HasSubDirs(TTreeNode* node);
  TTreeNode* AddDirNode(TTreeNode* parent, const std::string& path, const std::string& name);
  // `icon`: the path's small icon, already asked for.
  void UseShellIcons();
  void SetIcons(TTreeNode* node, const std::string& path, int icon);
  bool IsNetworkDrive(const std::string& path);

  bool readOnStart_ = true, allowNetwork_ = true, goBelowRecycleBin_ = true, fastLoad_ = false;
  TDirType dirType_{TDirAttr::dtNormal, TDirAttr::dtAll};
  // Each real node's entry, freed with its node and nowhere else.
  std::map<const TTreeNode*, std::unique_ptr<TDirEntry>> entries_;
  std::string windowsDir_;
  int windowsClosedIcon_ = -1, windowsOpenIcon_ = -1;
  bool shellIcons_ = false;
  // The last folder selected on each drive, A to Z.
  std::array<std::string, 26> remembered_;
  bool ready_ = false;
};
