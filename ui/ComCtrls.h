// Thin wrappers for the common controls: progress bar, track bar, tree view,
// list view, status bar, animation and image list.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "StdCtrls.h"

class TImageList : public TComponent {
public:
  explicit TImageList(TComponent* owner);
  ~TImageList() override;
  int Width() const { return width_; }
  void SetWidth(int w) { width_ = w; Recreate(); }
  int Height() const { return height_; }
  void SetHeight(int h) { height_ = h; Recreate(); }
  HIMAGELIST Handle();
  int AddIcon(HICON icon);
  int Count();

private:
  void Recreate();
  int width_ = 16, height_ = 16;
  HIMAGELIST list_ = nullptr;
};

class TProgressBar : public TStdControl {
public:
  explicit TProgressBar(TComponent* owner);
  int Min() const { return min_; }
  int Max() const { return max_; }
  void SetMin(int v) { SetRange(v, max_); }
  void SetMax(int v) { SetRange(min_, v); }
  void SetRange(int min, int max);
  int Position() const;
  void SetPosition(int v);
  int Step() const { return step_; }
  void SetStep(int v);
  void StepIt();
  void StepBy(int delta) { SetPosition(Position() + delta); }

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;

private:
  int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
};

enum class TTrackBarOrientation { trHorizontal, trVertical };
TZ_ENUM_NAMES(TTrackBarOrientation, "trHorizontal", "trVertical")

class TTrackBar : public TStdControl {
public:
  explicit TTrackBar(TComponent* owner);
  int Min() const { return min_; }
  int Max() const { return max_; }
  void SetMin(int v);
  void SetMax(int v);
  int Position() const;
  void SetPosition(int v);
  int Frequency() const { return frequency_; }
  void SetFrequency(int v);
  TTrackBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TTrackBarOrientation o) { orientation_ = o; RecreateWnd(); }
  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void WndProc(TMessage& m) override;

private:
  int min_ = 0, max_ = 10, position_ = 0, frequency_ = 1;
  TTrackBarOrientation orientation_ = TTrackBarOrientation::trHorizontal;
};

class TTreeView;

// One line of a tree; nodes live while the tree's window does.
class TTreeNode {
public:
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  TTreeNode* Parent() const { return parent_; }
  TTreeView* TreeView() const { return tree_; }
  int Count() const { return static_cast<int>(children_.size()); }
  TTreeNode* Item(int index) const { return children_.at(static_cast<size_t>(index)).get(); }
  TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
  // Position among its siblings.
  int Index() const;
  HTREEITEM ItemId() const { return item_; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  // The image shown while the node is selected.
  int SelectedIndex() const { return selectedIndex_; }
  void SetSelectedIndex(int index);
  bool Expanded() const;
  void Expand();
  void Collapse();
  void MakeVisible();
  // Removes the children; the tree hears of each one (TTreeView::Delete).
  void DeleteChildren();
  // Removes the node and its children; the node is freed.
  void Delete();

private:
  friend class TTreeView;
  TTreeView* tree_ = nullptr;
  TTreeNode* parent_ = nullptr;
  std::string text_;
  HTREEITEM item_ = nullptr;
  int imageIndex_ = -1, selectedIndex_ = -1;
  std::vector<std::unique_ptr<TTreeNode>> children_;
};

using TTVExpandingEvent = TEvent<TTreeNode*, bool&>;
using TTVChangingEvent = TEvent<TTreeNode*, bool&>;
using TTVEditingEvent = TEvent<TTreeNode*, bool&>;
using TTVEditedEvent = TEvent<TTreeNode*, std::string&>;
using TTVNodeEvent = TEvent<TTreeNode*>;

class TTreeView : public TStdControl {
public:
  explicit TTreeView(TComponent* owner);
  ~TTreeView() override;
  // A node after the last child of `parent` (the top level when null).
  TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
  // A node after the last sibling of `sibling` (the top level when null).
  TTreeNode* Add(TTreeNode* sibling, const std::string& text) { return AddChild(sibling ? sibling->Parent() : nullptr, text); }
  // Removes every node; the tree hears of each one (Delete).
  void Clear();
  int Count() const;  // all nodes
  int RootCount() const { return static_cast<int>(roots_.size()); }
  TTreeNode* Root(int index) const { return roots_.at(static_cast<size_t>(index)).get(); }
  // The first visible line; setting it scrolls.
  TTreeNode* TopItem() const;
  void SetTopItem(TTreeNode* node);
  TTreeNode* Selected() const;
  void SetSelected(TTreeNode* node);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; RecreateWnd(); }
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool v) { if (v != hideSelection_) { hideSelection_ = v; RecreateWnd(); } }
  // An image list the tree shows but does not own (the shell's, say).
  HIMAGELIST Images() const { return images_; }
  void SetImages(HIMAGELIST images);
  TTreeNode* FindNode(HTREEITEM item) const;

  TTVExpandingEvent OnExpanding, OnCollapsing;
  TTVNodeEvent OnExpanded, OnCollapsed;
  TTVChangingEvent OnChanging;
  TTVNodeEvent OnChange;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  // A node is about to be freed.
  TTVNodeEvent OnDeletion;

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void DestroyWnd() override;
  void WndProc(TMessage& m) override;
  // The window's notices, each firing its event; false refuses.
  virtual bool CanExpand(TTreeNode* node);
  virtual bool CanCollapse(TTreeNode* node);
  virtual void Expanded(TTreeNode* node) { if (OnExpanded) OnExpanded(this, node); }
  virtual void Collapsed(TTreeNode* node) { if (OnCollapsed) OnCollapsed(this, node); }
  virtual bool CanChange(TTreeNode* node);
  virtual void Change(TTreeNode* node) { if (OnChange) OnChange(this, node); }
  // Called once for each node about to be freed, the children first.
  virtual void Delete(TTreeNode* node) { if (OnDeletion) OnDeletion(this, node); }

private:
  friend class TTreeNode;
  void Insert(TTreeNode* node);
  void NotifyDeletion(TTreeNode* node);
  void Remove(TTreeNode* node);
  std::vector<std::unique_ptr<TTreeNode>> roots_;
  bool readOnly_ = true, hideSelection_ = false;
  HIMAGELIST images_ = nullptr;
};

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
TZ_ENUM_NAMES(TViewStyle, "vsIcon", "vsSmallIcon", "vsList", "vsReport")

class TListView;

class TListItem {
public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  // The texts of the further columns, in order.
  const std::vector<std::string>& SubItems() const { return subItems_; }
  void SetSubItems(const std::vector<std::string>& texts);
  int Index() const;
  bool Selected() const;
  void SetSelected(bool v);
  void Delete();

private:
  friend class TListView;
  TListView* view_ = nullptr;
  int index_ = -1;  // kept by the view, so that finding an item costs nothing
  std::string caption_;
  std::vector<std::string> subItems_;
  int imageIndex_ = -1;
  bool selected_ = false;
};

class TListColumn : public TPersistent {
public:
  std::string Caption;
  int Width = 50;
  TAlignment Alignment = TAlignment::taLeftJustify;
};

class TListView : public TStdControl {
public:
  explicit TListView(TComponent* owner);
  ~TListView() override;
  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle s) { viewStyle_ = s; RecreateWnd(); }
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool v) { multiSelect_ = v; RecreateWnd(); }
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool v) { if (v != hideSelection_) { hideSelection_ = v; RecreateWnd(); } }
  // False lets the user edit captions.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { if (v != readOnly_) { readOnly_ = v; RecreateWnd(); } }
  bool ShowColumnHeaders() const { return showColumnHeaders_; }
  void SetShowColumnHeaders(bool v) { if (v != showColumnHeaders_) { showColumnHeaders_ = v; RecreateWnd(); } }
  TImageList* SmallImages() const { return smallImages_; }
  void SetSmallImages(TImageList* list);
  // Image lists the view shows but does not own (the shell's, say); used
  // where no TImageList is set.
  void SetSharedImages(HIMAGELIST large, HIMAGELIST small);
  TListColumn* AddColumn();
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  TListColumn* Column(int i) const { return columns_.at(static_cast<size_t>(i)).get(); }

  TListItem* Add();
  // A new last item with its caption and image, inserted once.
  TListItem* Add(const std::string& caption, int imageIndex);
  int Count() const { return static_cast<int>(items_.size()); }
  TListItem* Item(int index) const { return items_.at(static_cast<size_t>(index)).get(); }
  void Delete(int index);
  void Clear();
  int SelCount() const;
  TListItem* Selected() const;  // the first selected item
  // Orders the items once by `compare` (negative: first before second);
  // equal items keep their order.
  void CustomSort(const std::function<int(const TListItem&, const TListItem&)>& compare);
  // Changes between these are drawn once, at the end.
  void BeginUpdate();
  void EndUpdate();
  TNotifyEvent OnChange;
  TEvent<int> OnColumnClick;

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void DestroyWnd() override;
  // A column's caption and width arrive after the column: a window made
  // while loading takes them now.
  void Loaded() override;
  void Notification(TComponent* c, TOperation op) override;
  void WndProc(TMessage& m) override;
  virtual void ColumnClick(int column) { if (OnColumnClick) OnColumnClick(this, column); }

private:
  friend class TListItem;
  void InsertInWindow(int index);
  void SetSubItemText(int index, int subItem, const std::string& text);
  // The system list view redraws for every item added or removed, which
  // makes adding thousands of items take minutes: its drawing is held
  // until the message loop runs again.
  void HoldRedraw();
  void Renumber(size_t from);
  bool redrawHeld_ = false;
  std::vector<std::unique_ptr<TListItem>> items_;
  std::vector<std::unique_ptr<TListColumn>> columns_;
  TViewStyle viewStyle_ = TViewStyle::vsIcon;
  bool multiSelect_ = false, hideSelection_ = false, readOnly_ = true, showColumnHeaders_ = true;
  TImageList* smallImages_ = nullptr;
  HIMAGELIST sharedLarge_ = nullptr, sharedSmall_ = nullptr;
  int updating_ = 0;
};

class TStatusBar : public TStdControl {
public:
  explicit TStatusBar(TComponent* owner);
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool v);
  const std::string& SimpleText() const { return simpleText_; }
  void SetSimpleText(const std::string& text);
  bool SizeGrip() const { return sizeGrip_; }
  void SetSizeGrip(bool v) { sizeGrip_ = v; RecreateWnd(); }
  // Panels, shown while SimplePanel is False; each `width` pixels wide, the
  // last to the right edge.
  int PanelCount() const { return static_cast<int>(panels_.size()); }
  void AddPanel(int width);
  const std::string& PanelText(int index) const { return panels_.at(static_cast<size_t>(index)).Text; }
  void SetPanelText(int index, const std::string& text);

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;

private:
  struct TPanel {
    int Width = 50;
    std::string Text;
  };
  void SendParts();
  bool simplePanel_ = true, sizeGrip_ = true;
  std::string simpleText_;
  std::vector<TPanel> panels_;
};

enum class TCommonAVI { aviNone, aviFindFolder, aviFindFile, aviFindComputer, aviCopyFiles, aviCopyFile,
                        aviRecycleFile, aviEmptyRecycle, aviDeleteFile };
TZ_ENUM_NAMES(TCommonAVI, "aviNone", "aviFindFolder", "aviFindFile", "aviFindComputer", "aviCopyFiles",
              "aviCopyFile", "aviRecycleFile", "aviEmptyRecycle", "aviDeleteFile")

// The system animation control playing one of the shell's clips.
class TAnimate : public TStdControl {
public:
  explicit TAnimate(TComponent* owner);
  TCommonAVI CommonAVI() const { return commonAVI_; }
  void SetCommonAVI(TCommonAVI avi);
  bool Active() const { return active_; }
  void SetActive(bool v);
  int StartFrame() const { return startFrame_; }
  void SetStartFrame(int v) { startFrame_ = v; }
  int StopFrame() const { return stopFrame_; }
  void SetStopFrame(int v) { stopFrame_ = v; }
  int Repetitions() const { return repetitions_; }
  void SetRepetitions(int v) { repetitions_ = v; }
  bool Center() const { return center_; }
  void SetCenter(bool v) { center_ = v; RecreateWnd(); }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v) { transparent_ = v; RecreateWnd(); }
  // Whether the clip could be opened (false with aviNone or a missing clip).
  bool Opened() const { return opened_; }
  void Play(int from, int to, int count);
  void Stop();

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;

private:
  void OpenClip();
  TCommonAVI commonAVI_ = TCommonAVI::aviNone;
  bool active_ = false, center_ = true, transparent_ = true, opened_ = false;
  int startFrame_ = 1, stopFrame_ = 0, repetitions_ = 0;
};
