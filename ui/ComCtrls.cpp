#include "ComCtrls.h"

#include <algorithm>

namespace {
void InitCommonControlsOnce() {
  static bool done = false;
  if (done) return;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES |
                                            ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_ANIMATE_CLASS};
  InitCommonControlsEx(&icc);
  done = true;
}
}  // namespace

// TImageList

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}
TImageList::~TImageList() { if (list_) ImageList_Destroy(list_); }

void TImageList::Recreate() {
  if (list_) ImageList_Destroy(list_);
  list_ = nullptr;
}

HIMAGELIST TImageList::Handle() {
  InitCommonControlsOnce();
  if (!list_) list_ = ImageList_Create(width_, height_, ILC_COLOR32 | ILC_MASK, 4, 4);
  return list_;
}

int TImageList::AddIcon(HICON icon) { return ImageList_AddIcon(Handle(), icon); }
int TImageList::Count() { return ImageList_GetImageCount(Handle()); }

// TProgressBar

TProgressBar::TProgressBar(TComponent* owner) : TStdControl(owner) {
  width_ = 150;
  height_ = 16;
}

void TProgressBar::CreateParams(TCreateParams& p) {
  InitCommonControlsOnce();
  TStdControl::CreateParams(p);
  p.WinClassName = PROGRESS_CLASSA;
}

void TProgressBar::HandleCreated() {
  SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
  SendMessageA(Handle(), PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
  SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  position_ = std::clamp(position_, min_, std::max(min_, max_));
  if (HWND h = HandleIfAllocated()) SendMessageA(h, PBM_SETRANGE32, static_cast<WPARAM>(min), max);
}

int TProgressBar::Position() const {
  if (HWND h = HandleIfAllocated()) return static_cast<int>(SendMessageA(h, PBM_GETPOS, 0, 0));
  return position_;
}

void TProgressBar::SetPosition(int v) {
  position_ = std::clamp(v, min_, std::max(min_, max_));
  if (HWND h = HandleIfAllocated()) SendMessageA(h, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetStep(int v) {
  step_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, PBM_SETSTEP, static_cast<WPARAM>(v), 0);
}

// Past the maximum the bar starts over from the minimum, as the system's does.
void TProgressBar::StepIt() {
  int next = Position() + step_;
  if (next > max_ && max_ > min_) next = (next - min_) % (max_ - min_) + min_;
  SetPosition(next);
}

// TTrackBar

TTrackBar::TTrackBar(TComponent* owner) : TStdControl(owner) {
  width_ = 150;
  height_ = 45;
  SetTabStop(true);
}

void TTrackBar::CreateParams(TCreateParams& p) {
  InitCommonControlsOnce();
  TStdControl::CreateParams(p);
  p.WinClassName = TRACKBAR_CLASSA;
  p.Style |= TBS_AUTOTICKS | (orientation_ == TTrackBarOrientation::trVertical ? TBS_VERT : TBS_HORZ);
}

void TTrackBar::HandleCreated() {
  SendMessageA(Handle(), TBM_SETRANGEMIN, FALSE, min_);
  SendMessageA(Handle(), TBM_SETRANGEMAX, FALSE, max_);
  SendMessageA(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(frequency_), 0);
  SendMessageA(Handle(), TBM_SETPOS, TRUE, position_);
}

void TTrackBar::SetMin(int v) {
  min_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, TBM_SETRANGEMIN, TRUE, v);
}

void TTrackBar::SetMax(int v) {
  max_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, TBM_SETRANGEMAX, TRUE, v);
}

int TTrackBar::Position() const {
  if (HWND h = HandleIfAllocated()) return static_cast<int>(SendMessageA(h, TBM_GETPOS, 0, 0));
  return position_;
}

void TTrackBar::SetPosition(int v) {
  v = std::clamp(v, min_, std::max(min_, max_));
  bool changed = v != Position();
  position_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, TBM_SETPOS, TRUE, v);
  if (changed && OnChange && !Loading()) OnChange(this);
}

void TTrackBar::SetFrequency(int v) {
  frequency_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, TBM_SETTICFREQ, static_cast<WPARAM>(v), 0);
}

void TTrackBar::WndProc(TMessage& m) {
  if (m.Msg == CN_HSCROLL || m.Msg == CN_VSCROLL) {
    int pos = Position();
    if (pos != position_) {
      position_ = pos;
      if (OnChange) OnChange(this);
    }
    return;
  }
  TStdControl::WndProc(m);
}

// TTreeNode / TTreeView

namespace {
void SetNodeImages(HWND tree, HTREEITEM item, int image, int selected) {
  TVITEMA tvi{};
  tvi.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  tvi.hItem = item;
  tvi.iImage = image;
  tvi.iSelectedImage = selected;
  SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tvi));
}
}  // namespace

void TTreeNode::SetText(const std::string& text) {
  text_ = text;
  if (item_ && tree_->HandleAllocated()) {
    TVITEMA tvi{};
    tvi.mask = TVIF_TEXT;
    tvi.hItem = item_;
    tvi.pszText = const_cast<char*>(text_.c_str());
    SendMessageA(tree_->Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tvi));
  }
}

void TTreeNode::SetImageIndex(int index) {
  imageIndex_ = index;
  if (item_ && tree_->HandleAllocated()) SetNodeImages(tree_->Handle(), item_, imageIndex_, selectedIndex_);
}

void TTreeNode::SetSelectedIndex(int index) {
  selectedIndex_ = index;
  if (item_ && tree_->HandleAllocated()) SetNodeImages(tree_->Handle(), item_, imageIndex_, selectedIndex_);
}

int TTreeNode::Index() const {
  const auto& siblings = parent_ ? parent_->children_ : tree_->roots_;
  for (size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == this) return static_cast<int>(i);
  return -1;
}

bool TTreeNode::Expanded() const {
  if (!item_) return false;
  auto state = SendMessageA(tree_->Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item_), TVIS_EXPANDED);
  return (state & TVIS_EXPANDED) != 0;
}

void TTreeNode::Expand() {
  if (item_) SendMessageA(tree_->Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item_));
}

void TTreeNode::Collapse() {
  if (item_) SendMessageA(tree_->Handle(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item_));
}

void TTreeNode::MakeVisible() {
  if (item_) SendMessageA(tree_->Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item_));
}

void TTreeNode::DeleteChildren() {
  while (!children_.empty()) children_.back()->Delete();
}

void TTreeNode::Delete() { tree_->Remove(this); }

TTreeView::TTreeView(TComponent* owner) : TStdControl(owner) {
  width_ = 121;
  height_ = 97;
  SetDefaultColor(clWindow);
  SetTabStop(true);
}

TTreeView::~TTreeView() { destroying_ = true; }

void TTreeView::CreateParams(TCreateParams& p) {
  InitCommonControlsOnce();
  TStdControl::CreateParams(p);
  p.WinClassName = WC_TREEVIEWA;
  p.Style |= TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | (hideSelection_ ? 0 : TVS_SHOWSELALWAYS) |
             (readOnly_ ? 0 : TVS_EDITLABELS);
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TTreeView::SetImages(HIMAGELIST images) {
  images_ = images;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
}

void TTreeView::Insert(TTreeNode* node) {
  if (!HandleAllocated()) return;
  TVINSERTSTRUCTA ins{};
  ins.hParent = node->parent_ ? node->parent_->item_ : TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  ins.item.pszText = const_cast<char*>(node->text_.c_str());
  ins.item.lParam = reinterpret_cast<LPARAM>(node);
  ins.item.iImage = node->imageIndex_;
  ins.item.iSelectedImage = node->selectedIndex_;
  node->item_ = reinterpret_cast<HTREEITEM>(SendMessageA(Handle(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
  for (auto& child : node->children_) Insert(child.get());
}

TTreeNode* TTreeView::AddChild(TTreeNode* parent, const std::string& text) {
  auto node = std::make_unique<TTreeNode>();
  node->tree_ = this;
  node->parent_ = parent;
  node->text_ = text;
  TTreeNode* raw = node.get();
  (parent ? parent->children_ : roots_).push_back(std::move(node));
  if (!parent || parent->item_) Insert(raw);
  return raw;
}

void TTreeView::NotifyDeletion(TTreeNode* node) {
  for (auto& child : node->children_) NotifyDeletion(child.get());
  Delete(node);
}

// Told first, then gone from the window (which may move the selection
// while the nodes still exist), then freed.
void TTreeView::Remove(TTreeNode* node) {
  NotifyDeletion(node);
  if (HWND h = HandleIfAllocated(); h && node->item_)
    SendMessageA(h, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node->item_));
  auto& siblings = node->parent_ ? node->parent_->children_ : roots_;
  auto it = std::find_if(siblings.begin(), siblings.end(), [node](const auto& n) { return n.get() == node; });
  if (it == siblings.end()) return;
  std::unique_ptr<TTreeNode> gone = std::move(*it);
  siblings.erase(it);
}

void TTreeView::Clear() {
  for (auto& r : roots_) NotifyDeletion(r.get());
  if (HWND h = HandleIfAllocated()) SendMessageA(h, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  roots_.clear();
}

int TTreeView::Count() const {
  int n = 0;
  auto count = [&n](auto& self, const std::vector<std::unique_ptr<TTreeNode>>& nodes) -> void {
    for (auto& c : nodes) { ++n; self(self, c->children_); }
  };
  count(count, roots_);
  return n;
}

TTreeNode* TTreeView::FindNode(HTREEITEM item) const {
  if (!item || !HandleIfAllocated()) return nullptr;
  TVITEMA tvi{};
  tvi.mask = TVIF_PARAM;
  tvi.hItem = item;
  if (!SendMessageA(HandleIfAllocated(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvi))) return nullptr;
  return reinterpret_cast<TTreeNode*>(tvi.lParam);
}

TTreeNode* TTreeView::TopItem() const {
  HWND h = HandleIfAllocated();
  if (!h) return roots_.empty() ? nullptr : roots_.front().get();
  return FindNode(reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)));
}

void TTreeView::SetTopItem(TTreeNode* node) {
  if (node && node->item_ && HandleAllocated())
    SendMessageA(Handle(), TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(node->item_));
}

TTreeNode* TTreeView::Selected() const {
  HWND h = HandleIfAllocated();
  return h ? FindNode(reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_CARET, 0))) : nullptr;
}

void TTreeView::SetSelected(TTreeNode* node) {
  if (HandleAllocated())
    SendMessageA(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node ? node->item_ : nullptr));
}

bool TTreeView::CanExpand(TTreeNode* node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, node, allow);
  return allow;
}

bool TTreeView::CanCollapse(TTreeNode* node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, node, allow);
  return allow;
}

bool TTreeView::CanChange(TTreeNode* node) {
  bool allow = true;
  if (OnChanging) OnChanging(this, node, allow);
  return allow;
}

void TTreeView::WndProc(TMessage& m) {
  if (m.Msg != CN_NOTIFY) {
    TStdControl::WndProc(m);
    return;
  }
  auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
  auto* tv = reinterpret_cast<NMTREEVIEWA*>(m.LParam);
  switch (hdr->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
      if (TTreeNode* node = FindNode(tv->itemNew.hItem)) {
        bool allow = true;
        if (tv->action & TVE_EXPAND) allow = CanExpand(node);
        else if (tv->action & TVE_COLLAPSE) allow = CanCollapse(node);
        m.Result = allow ? FALSE : TRUE;
      }
      return;
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW:
      if (TTreeNode* node = FindNode(tv->itemNew.hItem)) {
        if (tv->action & TVE_EXPAND) Expanded(node);
        else if (tv->action & TVE_COLLAPSE) Collapsed(node);
      }
      return;
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW:
      m.Result = CanChange(FindNode(tv->itemNew.hItem)) ? FALSE : TRUE;
      return;
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      Change(FindNode(tv->itemNew.hItem));
      return;
    case TVN_BEGINLABELEDITA: {
      auto* di = reinterpret_cast<NMTVDISPINFOA*>(m.LParam);
      bool allow = true;
      if (TTreeNode* node = FindNode(di->item.hItem); node && OnEditing) OnEditing(this, node, allow);
      m.Result = allow ? FALSE : TRUE;
      return;
    }
    case TVN_ENDLABELEDITA: {
      auto* di = reinterpret_cast<NMTVDISPINFOA*>(m.LParam);
      TTreeNode* node = FindNode(di->item.hItem);
      if (!node || !di->item.pszText) return;
      std::string text = di->item.pszText;
      if (OnEdited) OnEdited(this, node, text);
      node->SetText(text);
      return;
    }
    default: TStdControl::WndProc(m);
  }
}

void TTreeView::HandleCreated() {
  if (images_) SendMessageA(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_));
  for (auto& r : roots_) Insert(r.get());
}

void TTreeView::DestroyWnd() {
  auto clear = [](auto& self, std::vector<std::unique_ptr<TTreeNode>>& nodes) -> void {
    for (auto& c : nodes) { c->item_ = nullptr; self(self, c->children_); }
  };
  clear(clear, roots_);
  TStdControl::DestroyWnd();
}

// TListItem / TListView

void TListItem::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (HWND h = view_->HandleIfAllocated()) {
    LVITEMA lvi{};
    lvi.iSubItem = 0;
    lvi.pszText = const_cast<char*>(caption_.c_str());
    SendMessageA(h, LVM_SETITEMTEXTA, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&lvi));
  }
}

void TListItem::SetImageIndex(int index) {
  imageIndex_ = index;
  if (HWND h = view_->HandleIfAllocated()) {
    LVITEMA lvi{};
    lvi.mask = LVIF_IMAGE;
    lvi.iItem = Index();
    lvi.iImage = index;
    SendMessageA(h, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&lvi));
  }
}

void TListItem::SetSubItems(const std::vector<std::string>& texts) {
  subItems_ = texts;
  if (view_->HandleAllocated()) {
    int index = Index();
    for (size_t i = 0; i < subItems_.size(); ++i) view_->SetSubItemText(index, static_cast<int>(i) + 1, subItems_[i]);
  }
}

int TListItem::Index() const { return index_; }

bool TListItem::Selected() const {
  if (HWND h = view_->HandleIfAllocated())
    return SendMessageA(h, LVM_GETITEMSTATE, static_cast<WPARAM>(Index()), LVIS_SELECTED) != 0;
  return selected_;
}

void TListItem::SetSelected(bool v) {
  selected_ = v;
  if (HWND h = view_->HandleIfAllocated()) {
    LVITEMA lvi{};
    lvi.stateMask = LVIS_SELECTED;
    lvi.state = v ? LVIS_SELECTED : 0;
    SendMessageA(h, LVM_SETITEMSTATE, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&lvi));
  }
}

void TListItem::Delete() { view_->Delete(Index()); }

TListView::TListView(TComponent* owner) : TStdControl(owner) {
  width_ = 250;
  height_ = 150;
  SetDefaultColor(clWindow);
  SetTabStop(true);
}

TListView::~TListView() { destroying_ = true; }

void TListView::Notification(TComponent* c, TOperation op) {
  TStdControl::Notification(c, op);
  if (op == TOperation::opRemove && c == smallImages_) smallImages_ = nullptr;
}

void TListView::SetSmallImages(TImageList* list) {
  smallImages_ = list;
  if (list) list->FreeNotification(this);
  if (HWND h = HandleIfAllocated())
    SendMessageA(h, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(list ? list->Handle() : sharedSmall_));
}

void TListView::SetSharedImages(HIMAGELIST large, HIMAGELIST small) {
  sharedLarge_ = large;
  sharedSmall_ = small;
  if (HWND h = HandleIfAllocated()) {
    SendMessageA(h, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large));
    if (!smallImages_) SendMessageA(h, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));
  }
}

void TListView::CreateParams(TCreateParams& p) {
  InitCommonControlsOnce();
  TStdControl::CreateParams(p);
  p.WinClassName = WC_LISTVIEWA;
  static const DWORD styles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  p.Style |= styles[static_cast<int>(viewStyle_)] | LVS_SHAREIMAGELISTS | (hideSelection_ ? 0 : LVS_SHOWSELALWAYS) |
             (multiSelect_ ? 0 : LVS_SINGLESEL) | (readOnly_ ? 0 : LVS_EDITLABELS) |
             (showColumnHeaders_ ? 0 : LVS_NOCOLUMNHEADER);
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

TListColumn* TListView::AddColumn() {
  columns_.push_back(std::make_unique<TListColumn>());
  RecreateWnd();
  return columns_.back().get();
}

void TListView::SetSubItemText(int index, int subItem, const std::string& text) {
  LVITEMA lvi{};
  lvi.iSubItem = subItem;
  lvi.pszText = const_cast<char*>(text.c_str());
  SendMessageA(Handle(), LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lvi));
}

void TListView::InsertInWindow(int index) {
  TListItem* item = Item(index);
  LVITEMA lvi{};
  lvi.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
  lvi.iItem = index;
  lvi.pszText = const_cast<char*>(item->caption_.c_str());
  lvi.iImage = item->imageIndex_;
  lvi.stateMask = LVIS_SELECTED;
  lvi.state = item->selected_ ? LVIS_SELECTED : 0;
  SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lvi));
  for (size_t i = 0; i < item->subItems_.size(); ++i) SetSubItemText(index, static_cast<int>(i) + 1, item->subItems_[i]);
}

namespace {
// Posted to a list view whose drawing is held, to take it up again.
constexpr UINT CM_LISTREDRAW = CM_BASE + 0x200;
}  // namespace

void TListView::Renumber(size_t from) {
  for (size_t i = from; i < items_.size(); ++i) items_[i]->index_ = static_cast<int>(i);
}

void TListView::HoldRedraw() {
  HWND h = HandleIfAllocated();
  if (!h || redrawHeld_ || updating_) return;
  SendMessageA(h, WM_SETREDRAW, FALSE, 0);
  redrawHeld_ = true;
  PostMessageA(h, CM_LISTREDRAW, 0, 0);
}

TListItem* TListView::Add() { return Add(std::string(), -1); }

TListItem* TListView::Add(const std::string& caption, int imageIndex) {
  auto item = std::make_unique<TListItem>();
  item->view_ = this;
  item->index_ = Count();
  item->caption_ = caption;
  item->imageIndex_ = imageIndex;
  items_.push_back(std::move(item));
  if (HandleAllocated()) {
    HoldRedraw();
    InsertInWindow(Count() - 1);
  }
  if (OnChange && !Loading()) OnChange(this);
  return items_.back().get();
}

void TListView::Delete(int index) {
  if (index < 0 || index >= Count()) throw EInvalidOperation("List index out of bounds (" + std::to_string(index) + ")");
  items_.erase(items_.begin() + index);
  Renumber(static_cast<size_t>(index));
  if (HWND h = HandleIfAllocated()) {
    HoldRedraw();
    SendMessageA(h, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
  }
  if (OnChange && !Destroying()) OnChange(this);
}

void TListView::Clear() {
  items_.clear();
  if (HWND h = HandleIfAllocated()) SendMessageA(h, LVM_DELETEALLITEMS, 0, 0);
}

int TListView::SelCount() const {
  if (HWND h = HandleIfAllocated()) return static_cast<int>(SendMessageA(h, LVM_GETSELECTEDCOUNT, 0, 0));
  return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](auto& i) { return i->selected_; }));
}

TListItem* TListView::Selected() const {
  for (auto& i : items_)
    if (i->Selected()) return i.get();
  return nullptr;
}

void TListView::CustomSort(const std::function<int(const TListItem&, const TListItem&)>& compare) {
  for (auto& i : items_) i->selected_ = i->Selected();
  std::stable_sort(items_.begin(), items_.end(), [&compare](const auto& a, const auto& b) { return compare(*a, *b) < 0; });
  Renumber(0);
  HWND h = HandleIfAllocated();
  if (!h) return;
  BeginUpdate();
  SendMessageA(h, LVM_DELETEALLITEMS, 0, 0);
  for (int i = 0; i < Count(); ++i) InsertInWindow(i);
  EndUpdate();
}

void TListView::BeginUpdate() {
  if (updating_++ == 0)
    if (HWND h = HandleIfAllocated()) SendMessageA(h, WM_SETREDRAW, FALSE, 0);
}

void TListView::EndUpdate() {
  if (updating_ == 0 || --updating_ > 0) return;
  if (HWND h = HandleIfAllocated()) {
    SendMessageA(h, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(h, nullptr, TRUE);
  }
}

void TListView::WndProc(TMessage& m) {
  if (m.Msg == CM_LISTREDRAW) {
    if (redrawHeld_ && HandleAllocated()) {
      redrawHeld_ = false;
      if (updating_) {  // an update began since: EndUpdate draws
        m.Result = 0;
        return;
      }
      SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
      InvalidateRect(Handle(), nullptr, TRUE);
    }
    m.Result = 0;
    return;
  }
  if (m.Msg == CN_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
    switch (hdr->code) {
      case NM_CLICK: Click(); return;
      case NM_DBLCLK: DblClick(); return;
      case LVN_COLUMNCLICK: ColumnClick(reinterpret_cast<NMLISTVIEW*>(m.LParam)->iSubItem); return;
      case LVN_ITEMCHANGED: {
        // A selection or focus the user moves is a change as much as an
        // added or deleted item.
        auto* nm = reinterpret_cast<NMLISTVIEW*>(m.LParam);
        if ((nm->uChanged & LVIF_STATE) && nm->uNewState != nm->uOldState && OnChange && !Loading() && !Destroying())
          OnChange(this);
        return;
      }
      default: break;
    }
  }
  TStdControl::WndProc(m);
}

void TListView::HandleCreated() {
  HWND h = Handle();
  if (sharedLarge_) SendMessageA(h, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(sharedLarge_));
  if (smallImages_) SendMessageA(h, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_->Handle()));
  else if (sharedSmall_) SendMessageA(h, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(sharedSmall_));
  static const int formats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER};
  for (size_t i = 0; i < columns_.size(); ++i) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.pszText = const_cast<char*>(columns_[i]->Caption.c_str());
    col.cx = columns_[i]->Width;
    // The first column of a list view is always left-aligned.
    col.fmt = i == 0 ? LVCFMT_LEFT : formats[static_cast<int>(columns_[i]->Alignment)];
    SendMessageA(h, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
  if (updating_) SendMessageA(h, WM_SETREDRAW, FALSE, 0);
  else if (Count() > 0) HoldRedraw();
  for (int i = 0; i < Count(); ++i) InsertInWindow(i);
}

void TListView::Loaded() {
  TStdControl::Loaded();
  RecreateWnd();
}

void TListView::DestroyWnd() {
  redrawHeld_ = false;
  for (auto& i : items_) i->selected_ = i->Selected();
  TStdControl::DestroyWnd();
}

// TStatusBar

TStatusBar::TStatusBar(TComponent* owner) : TStdControl(owner) {
  width_ = 200;
  height_ = 19;
  SetAlign(TAlign::alBottom);
}

void TStatusBar::CreateParams(TCreateParams& p) {
  InitCommonControlsOnce();
  TStdControl::CreateParams(p);
  p.WinClassName = STATUSCLASSNAMEA;
  p.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | (sizeGrip_ ? SBARS_SIZEGRIP : 0);
}

void TStatusBar::HandleCreated() {
  SendParts();
  SendMessageA(Handle(), SB_SIMPLE, simplePanel_, 0);
  SendMessageA(Handle(), SB_SETTEXTA, 255, reinterpret_cast<LPARAM>(simpleText_.c_str()));
}

void TStatusBar::SendParts() {
  HWND h = HandleIfAllocated();
  if (!h || panels_.empty()) return;
  std::vector<int> edges;
  int right = 0;
  for (const TPanel& p : panels_) edges.push_back(right += p.Width);
  edges.back() = -1;
  SendMessageA(h, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  for (size_t i = 0; i < panels_.size(); ++i)
    SendMessageA(h, SB_SETTEXTA, i, reinterpret_cast<LPARAM>(panels_[i].Text.c_str()));
}

void TStatusBar::AddPanel(int width) {
  panels_.push_back({width, {}});
  SendParts();
}

void TStatusBar::SetPanelText(int index, const std::string& text) {
  panels_.at(static_cast<size_t>(index)).Text = text;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, SB_SETTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusBar::SetSimplePanel(bool v) {
  simplePanel_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, SB_SIMPLE, v, 0);
}

void TStatusBar::SetSimpleText(const std::string& text) {
  simpleText_ = text;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, SB_SETTEXTA, 255, reinterpret_cast<LPARAM>(simpleText_.c_str()));
}


// TAnimate

TAnimate::TAnimate(TComponent* owner) : TStdControl(owner) {
  width_ = 100;
  height_ = 80;
}

void TAnimate::CreateParams(TCreateParams& p) {
  InitCommonControlsOnce();
  TStdControl::CreateParams(p);
  p.WinClassName = ANIMATE_CLASSA;
  p.Style |= (center_ ? ACS_CENTER : 0) | (transparent_ ? ACS_TRANSPARENT : 0);
}

void TAnimate::OpenClip() {
  opened_ = false;
  HWND h = HandleIfAllocated();
  if (!h) return;
  // The shell's clip resources.
  static const int ids[] = {0, 150, 151, 152, 160, 161, 162, 163, 164};
  int id = ids[static_cast<int>(commonAVI_)];
  if (!id) {
    SendMessageA(h, ACM_OPENA, 0, 0);
    return;
  }
  HMODULE shell = GetModuleHandleA("shell32.dll");
  if (!shell) shell = LoadLibraryA("shell32.dll");
  opened_ = SendMessageA(h, ACM_OPENA, reinterpret_cast<WPARAM>(shell), reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(id))) != 0;
}

void TAnimate::SetCommonAVI(TCommonAVI avi) {
  bool wasActive = active_;
  if (active_) Stop();
  commonAVI_ = avi;
  OpenClip();
  if (wasActive && opened_) SetActive(true);
}

void TAnimate::Play(int from, int to, int count) {
  active_ = true;
  if (HWND h = HandleIfAllocated(); h && opened_)
    SendMessageA(h, ACM_PLAY, count <= 0 ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(count),
                 MAKELONG(from > 0 ? from - 1 : 0, to > 0 ? to - 1 : 0xFFFF));
}

void TAnimate::Stop() {
  active_ = false;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, ACM_STOP, 0, 0);
}

void TAnimate::SetActive(bool v) {
  if (v) Play(startFrame_, stopFrame_, repetitions_);
  else Stop();
}

void TAnimate::HandleCreated() {
  OpenClip();
  if (active_) Play(startFrame_, stopFrame_, repetitions_);
}
