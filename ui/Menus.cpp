#include "Menus.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <map>

#include "Description.h"
#include "Forms.h"

namespace {
// The item-information record as Windows 95 and NT 4 know it (no item
// bitmap): 44 bytes on a 32-bit system.
constexpr UINT kItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);
#ifndef _WIN64
static_assert(kItemInfoSize == 44, "the item-information record of the old systems");
#endif

// Command identifiers in use; 0 is never handed out.
// Never freed: items are freed at program end, after other statics.
std::vector<bool>& UsedCommands() {
  static auto* used = new std::vector<bool>(1, true);
  return *used;
}

UINT AllocateCommand() {
  auto& used = UsedCommands();
  for (size_t i = 1; i < used.size(); ++i)
    if (!used[i]) {
      used[i] = true;
      return static_cast<UINT>(i);
    }
  if (used.size() > 0xFFFF) return 0;
  used.push_back(true);
  return static_cast<UINT>(used.size() - 1);
}

void ReleaseCommand(UINT command) {
  auto& used = UsedCommands();
  if (command && command < used.size()) used[command] = false;
}

struct TKeyName {
  WORD Key;
  const char* Name;
};
const TKeyName kKeyNames[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"},   {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},  {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"}, {VK_END, "End"},     {VK_HOME, "Home"},   {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"}, {VK_INSERT, "Ins"},  {VK_DELETE, "Del"},
};

std::string KeyName(WORD key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
  if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
  for (const auto& k : kKeyNames)
    if (k.Key == key) return k.Name;
  return {};
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}
}  // namespace

TShortCut ShortCut(WORD key, bool shift, bool ctrl, bool alt) {
  if (key & 0xFF00) return 0;
  return static_cast<TShortCut>(key | (shift ? scShift : 0) | (ctrl ? scCtrl : 0) | (alt ? scAlt : 0));
}

std::string ShortCutToText(TShortCut shortCut) {
  std::string name = KeyName(shortCut & 0xFF);
  if (name.empty()) return {};
  std::string text;
  if (shortCut & scShift) text += "Shift+";
  if (shortCut & scCtrl) text += "Ctrl+";
  if (shortCut & scAlt) text += "Alt+";
  return text + name;
}

TShortCut TextToShortCut(std::string_view text) {
  WORD shift = 0;
  for (;;) {
    if (StartsWith(text, "Shift+")) { shift |= scShift; text.remove_prefix(6); }
    else if (StartsWith(text, "Ctrl+")) { shift |= scCtrl; text.remove_prefix(5); }
    else if (StartsWith(text, "Alt+")) { shift |= scAlt; text.remove_prefix(4); }
    else break;
  }
  if (text.empty()) return 0;
  for (WORD key = 1; key < 0x100; ++key) {
    std::string name = KeyName(key);
    if (!name.empty() && SameText(name, text)) return static_cast<TShortCut>(key | shift);
  }
  return 0;
}

// TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(AllocateCommand()) {}

TMenuItem::~TMenuItem() {
  freeing_ = true;
  if (parent_) parent_->Remove(this);
  Clear();
  ReleaseHandle();
  ReleaseCommand(command_);
}

void TMenuItem::ReleaseHandle() {
  if (!handle_) return;
  // Take the children's submenus out first: they go with their own items.
  for (int n = GetMenuItemCount(handle_); n > 0; --n) RemoveMenu(handle_, static_cast<UINT>(n - 1), MF_BYPOSITION);
  DestroyMenu(handle_);
  handle_ = nullptr;
}

HMENU TMenuItem::Handle() {
  if (!handle_) {
    handle_ = menuBar_ ? CreateMenu() : CreatePopupMenu();
    Rebuild();
  }
  return handle_;
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* root = this;
  while (root->parent_) root = root->parent_;
  return root->menu_;
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item || item == this) return;
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  Rebuild();
  // The first child makes this item a submenu in its parent.
  if (Count() == 1 && parent_) parent_->Rebuild();
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged(nullptr);
}

void TMenuItem::Remove(TMenuItem* item) {
  int index = IndexOf(item);
  if (index < 0) return;
  items_.erase(items_.begin() + index);
  item->parent_ = nullptr;
  // An item freed with its parent or its form rebuilds nothing.
  if (IsGoing(item)) return;
  Rebuild();
  if (Count() == 0 && parent_) parent_->Rebuild();
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged(nullptr);
}

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (auto* menu = dynamic_cast<TMenu*>(parent)) menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(parent)) item->Add(this);
}

void TMenuItem::Rebuild() {
  if (!handle_) return;
  // Check-mark pictures set through the system stay with their items.
  std::map<UINT, std::pair<HBITMAP, HBITMAP>> marks;
  for (int n = GetMenuItemCount(handle_); n > 0; --n) {
    MENUITEMINFOA info{};
    info.cbSize = kItemInfoSize;
    info.fMask = MIIM_ID | MIIM_CHECKMARKS;
    if (GetMenuItemInfoA(handle_, static_cast<UINT>(n - 1), TRUE, &info) && (info.hbmpChecked || info.hbmpUnchecked))
      marks[info.wID] = {info.hbmpChecked, info.hbmpUnchecked};
    RemoveMenu(handle_, static_cast<UINT>(n - 1), MF_BYPOSITION);
  }
  UINT position = 0;
  for (TMenuItem* item : items_) {
    if (!item->visible_) continue;
    std::string text = item->caption_;
    if (item->shortCut_) text += "\t" + ShortCutToText(item->shortCut_);
    MENUITEMINFOA info{};
    info.cbSize = kItemInfoSize;
    info.fMask = MIIM_TYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS;
    info.fType = item->caption_ == "-" ? MFT_SEPARATOR : MFT_STRING;
    if (item->radioItem_) info.fType |= MFT_RADIOCHECK;
    if (item->break_ == TMenuBreak::mbBreak) info.fType |= MFT_MENUBREAK;
    if (item->break_ == TMenuBreak::mbBarBreak) info.fType |= MFT_MENUBARBREAK;
    info.fState = (item->checked_ ? MFS_CHECKED : 0) | (item->default_ ? MFS_DEFAULT : 0) |
                  (item->enabled_ ? 0 : MFS_GRAYED);
    info.wID = item->command_;
    info.hSubMenu = item->Count() > 0 ? item->Handle() : nullptr;
    if (auto it = marks.find(item->command_); it != marks.end()) {
      info.hbmpChecked = it->second.first;
      info.hbmpUnchecked = it->second.second;
    }
    info.dwTypeData = text.data();
    InsertMenuItemA(handle_, position++, TRUE, &info);
  }
}

void TMenuItem::Changed() {
  if (parent_) parent_->Rebuild();
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged(this);
}

void TMenuItem::SetCaption(const std::string& v) {
  if (v == caption_) return;
  caption_ = v;
  Changed();
}

void TMenuItem::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  Changed();
}

void TMenuItem::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Changed();
}

void TMenuItem::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Changed();
}

void TMenuItem::SetDefault(bool v) {
  if (v == default_) return;
  // One default item per menu.
  if (v && parent_)
    for (TMenuItem* sibling : parent_->items_) sibling->default_ = false;
  default_ = v;
  Changed();
}

void TMenuItem::SetRadioItem(bool v) {
  if (v == radioItem_) return;
  radioItem_ = v;
  Changed();
}

void TMenuItem::SetBreak(TMenuBreak v) {
  if (v == break_) return;
  break_ = v;
  Changed();
}

void TMenuItem::SetGroupIndex(int v) {
  v = std::clamp(v, 0, 255);
  if (v == groupIndex_) return;
  groupIndex_ = v;
  Changed();
}

void TMenuItem::SetShortCut(TShortCut v) {
  if (v == shortCut_) return;
  shortCut_ = v;
  Changed();
}

void TMenuItem::SetHint(const std::string& v) { hint_ = v; }
void TMenuItem::SetOnClick(TNotifyEvent v) { onClick_ = std::move(v); }

void TMenuItem::Click() {
  if (enabled_ && onClick_) {
    TNotifyEvent handler = onClick_;  // the handler may change or free the item
    handler(this);
  }
}

const TClassInfo& TMenuItem::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TMenuItem", &ComponentClassInfo(), Creator<TMenuItem>());
    i.Prop("Caption", &TMenuItem::SetCaption);
    i.Prop("Checked", &TMenuItem::SetChecked);
    i.Prop("Enabled", &TMenuItem::SetEnabled);
    i.Prop("Visible", &TMenuItem::SetVisible);
    i.Prop("Default", &TMenuItem::SetDefault);
    i.Prop("RadioItem", &TMenuItem::SetRadioItem);
    i.Prop("Break", &TMenuItem::SetBreak);
    i.Prop("GroupIndex", &TMenuItem::SetGroupIndex);
    i.Prop("Hint", &TMenuItem::SetHint);
    i.Prop("HelpContext", &TMenuItem::SetHelpContext);
    i.PropFn<TMenuItem>("ShortCut", [](TMenuItem& item, const TDescValue& v) {
      if (v.Kind != TDescValue::vkString) {
        item.SetShortCut(static_cast<TShortCut>(ValueInt(v)));
        return;
      }
      TShortCut sc = TextToShortCut(v.Str);
      if (!sc && !v.Str.empty()) throw EDescriptionError("'" + v.Str + "' is not a shortcut");
      item.SetShortCut(sc);
    });
    i.AddSetter("OnClick", [](TObjectRef r, const TDescValue& v, TDescriptionLoader& loader) {
      const auto* handler = std::any_cast<TNotifyEvent>(&loader.Handler(v, "OnClick"));
      if (!handler) loader.Fail(v.Line, "Handler '" + v.Str + "' does not fit OnClick");
      CastRef<TMenuItem>(r)->SetOnClick(*handler);
    });
    return i;
  }();
  return info;
}

// TMenu

TMenu::TMenu(TComponent* owner, bool menuBar) : TComponent(owner), items_(std::make_unique<TMenuItem>(nullptr)) {
  items_->menu_ = this;
  items_->menuBar_ = menuBar;
}

TMenu::~TMenu() { items_.reset(); }

namespace {
TMenuItem* Find(TMenuItem* item, UINT_PTR value, TFindItemKind kind) {
  for (int i = 0; i < item->Count(); ++i) {
    TMenuItem* child = item->Items(i);
    bool hit = false;
    switch (kind) {
      case TFindItemKind::fkCommand: hit = child->Command() == value; break;
      case TFindItemKind::fkHandle:
        hit = child->HandleAllocated() && reinterpret_cast<UINT_PTR>(child->Handle()) == value;
        break;
      case TFindItemKind::fkShortCut: hit = child->ShortCut() != 0 && child->ShortCut() == value; break;
    }
    if (hit) return child;
    if (TMenuItem* found = Find(child, value, kind)) return found;
  }
  return nullptr;
}
}  // namespace

TMenuItem* TMenu::FindItem(UINT_PTR value, TFindItemKind kind) const { return Find(items_.get(), value, kind); }

bool TMenu::DispatchMenuCommand(UINT command) {
  TMenuItem* item = FindItem(command, TFindItemKind::fkCommand);
  if (!item) return false;
  item->Click();
  return true;
}

// TMainMenu

TMainMenu::~TMainMenu() {
  for (TForm* form : Screen().Forms())
    if (form->Menu() == this) form->SetMenu(nullptr);
}

void TMainMenu::MenuChanged(TMenuItem*) {
  for (TForm* form : Screen().Forms())
    if (form->Menu() == this && form->HandleAllocated()) DrawMenuBar(form->HandleIfAllocated());
}

const TClassInfo& TMainMenu::ClassInfo() {
  static const TClassInfo info("TMainMenu", &ComponentClassInfo(), Creator<TMainMenu>());
  return info;
}
