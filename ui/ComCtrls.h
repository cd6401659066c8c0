// Thin wrappers for the common controls: progress bar, track bar, tree view,
// list view, status bar, animation and image list.
#pragma once
#include <windows.h>
#include <commctrl.h>

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
  int Count() const { return static_cast<int>(children_.size()); }
  TTreeNode* Item(int index) const { return children_.at(static_cast<size_t>(index)).get(); }
  HTREEITEM ItemId() const { return item_; }
  bool Expanded() const;
  void Expand();
  void MakeVisible();

private:
  friend class TTreeView;
  TTreeView* tree_ = nullptr;
  TTreeNode* parent_ = nullptr;
  std::string text_;
  HTREEITEM item_ = nullptr;
  std::vector<std::unique_ptr<TTreeNode>> children_;
};

class TTreeView : public TStdControl {
public:
  explicit TTreeView(TComponent* owner);
  ~TTreeView() override;
  // A node after the last child of `parent` (the top level when null).
  TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
  // A node after the last sibling of `sibling` (the top level when null).
  TTreeNode* Add(TTreeNode* sibling, const std::string& text) { return AddChild(sibling ? sibling->Parent() : nullptr, text); }
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
  TTreeNode* FindNode(HTREEITEM item) const;

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void DestroyWnd() override;

private:
  friend class TTreeNode;
  void Insert(TTreeNode* node);
  std::vector<std::unique_ptr<TTreeNode>> roots_;
  bool readOnly_ = true;
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
  int Index() const;
  bool Selected() const;
  void SetSelected(bool v);
  void Delete();

private:
  friend class TListView;
  TListView* view_ = nullptr;
  int index_ = -1;  // kept by the view, so that finding an item costs nothing
  std::string caption_;
  int imageIndex_ = -1;
  bool selected_ = false;
};

class TListColumn : public TPersistent {
public:
  std::string Caption;
  int Width = 50;
};

class TListView : public TStdControl {
public:
  explicit TListView(TComponent* owner);
  ~TListView() override;
  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle s) { viewStyle_ = s; RecreateWnd(); }
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool v) { multiSelect_ = v; RecreateWnd(); }
  TImageList* SmallImages() const { return smallImages_; }
  void SetSmallImages(TImageList* list);
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
  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void DestroyWnd() override;
  void Notification(TComponent* c, TOperation op) override;
  void WndProc(TMessage& m) override;

private:
  friend class TListItem;
  void InsertInWindow(int index);
  // The system list view redraws for every item added or removed, which
  // makes adding thousands of items take minutes: its drawing is held
  // until the message loop runs again.
  void HoldRedraw();
  bool redrawHeld_ = false;
  std::vector<std::unique_ptr<TListItem>> items_;
  std::vector<std::unique_ptr<TListColumn>> columns_;
  TViewStyle viewStyle_ = TViewStyle::vsIcon;
  bool multiSelect_ = false;
  TImageList* smallImages_ = nullptr;
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

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;

private:
  bool simplePanel_ = true, sizeGrip_ = true;
  std::string simpleText_;
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
