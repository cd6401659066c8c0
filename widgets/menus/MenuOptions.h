// The look of the animated menus: row heights, indents, highlight, colours,
// background picture, title band and animation (TOptions), overrides for
// one submenu (TSubmenuOptions in TSubMenus), the item pictures "AM_..."
// found by an item's name, and TMenuItemBitmaps, which sets an item's
// check-mark pictures through the system.
//
//   object AnimMainMenu1: TAnimMainMenu
//     Options.Timeout = 10
//     Options.DoubleSpeed = True
//     Options.Title.Visible = True
//     Options.Title.Width = 18
//     Submenus = <item MenuItem = Help1  ItemHeight = 22 end>
//   end
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "Controls.h"
#include "Gdi.h"
#include "MenuMath.h"

class TClassInfo;

TZ_ENUM_NAMES(TAnimation, "anNone", "anVSlide", "anHSlide", "anSmart", "anUnfold", "anPopup", "anRandom")
enum class THighlight { hiDefault, hiRectangle, hiBevelLowered, hiBevelRaised, hiShadow, hiHyperlink, hiFlash, hiShining };
TZ_ENUM_NAMES(THighlight, "hiDefault", "hiRectangle", "hiBevelLowered", "hiBevelRaised", "hiShadow", "hiHyperlink",
              "hiFlash", "hiShining")
enum class TTitleAlign { alLeft, alRight };
TZ_ENUM_NAMES(TTitleAlign, "alLeft", "alRight")

class TColors : public TPersistent {
public:
  TColor Border = clBtnShadow, Menu = clMenu, MenuText = clMenuText, MenuShadow = clBtnShadow,
         Highlight = clHighlight, HighlightText = clHighlightText, DisabledText = clBtnShadow,
         DisabledShadow = clBtnHighlight, Line = clBtnShadow, LineShadow = clBtnHighlight;
  void Assign(const TColors& other) { *this = other; }
  // Stored only when some colour differs from its default.
  bool IsDefault() const;
  static const TClassInfo& ClassInfo();
};

// The band down one side of a top-level popup: a vertical gradient with
// an optional picture and a rotated text.
class TTitle : public TPersistent {
public:
  TTitle();
  TTitleAlign Align = TTitleAlign::alLeft;
  TAlignment Alignment = TAlignment::taLeftJustify;
  std::string Text;
  TFont Font;
  TColor ColorBegin = clBlack, ColorEnd = MakeColor(0x800000);
  int Width = 50;
  bool Direction = true;  // the text reads upward
  bool Visible = false;
  TBitmap Bitmap;
  void Assign(const TTitle& other);
  // The band's rectangle on a canvas whose clip rectangle is `clip`.
  RECT BandRect(const RECT& clip) const;
  // Paints the band (only when Visible).
  void Paint(TCanvas& canvas, const RECT& clip) const;
  static const TClassInfo& ClassInfo();
};

class TBaseOptions : public TPersistent {
public:
  TBaseOptions() = default;
  TBaseOptions(const TBaseOptions&) = delete;
  TBaseOptions& operator=(const TBaseOptions&) = delete;

  int ItemHeight = 19;
  int SeparatorHeight = 11;
  int Indent = 27;
  TAlignment Alignment = TAlignment::taLeftJustify;
  TTitle Title;
  TBitmap Background;
  THighlight Highlight = THighlight::hiDefault;
  TColors Colors;
  bool Ctl3D = true;
  bool FitToBackground = false;
  int ItemSpace = 0;
  bool TireAwayable = false;  // not copied by Assign
  virtual void Assign(const TBaseOptions& other);
  TRowMetrics Metrics() const { return {ItemHeight, SeparatorHeight, ItemSpace}; }
};

class TOptions : public TBaseOptions {
public:
  TAnimation OpenAnimation = TAnimation::anSmart;
  TAnimation CloseAnimation = TAnimation::anSmart;
  int Timeout = 20;  // milliseconds a frame
  bool DoubleSpeed = false;
  void Assign(const TBaseOptions& other) override;
  static const TClassInfo& ClassInfo();
};

class TSubMenus;

// Options of the level that shows MenuItem's children.
class TSubmenuOptions : public TBaseOptions {
public:
  explicit TSubmenuOptions(TSubMenus* collection = nullptr) : collection_(collection) {}
  bool ShowHint = false;
  bool ParentFont = true;
  const TFont& Font() const { return font_; }
  // Raises ItemHeight to fit the font (8 - Font.Height).
  void SetFont(const TFont& font);
  TMenuItem* MenuItem() const { return menuItem_; }
  // Raises Exception when the item has no children.
  void SetMenuItem(TMenuItem* item);
  // The item's caption without "&", or the class name.
  std::string DisplayName() const;
  void Assign(const TBaseOptions& other) override;
  static const TClassInfo& ClassInfo();

private:
  friend class TSubMenus;
  TSubMenus* collection_;
  TFont font_;
  TMenuItem* menuItem_ = nullptr;
};

// The submenu overrides of a menu or a menu bar.
class TSubMenus {
public:
  explicit TSubMenus(TComponent* owner);
  ~TSubMenus();
  TSubMenus(const TSubMenus&) = delete;
  TSubMenus& operator=(const TSubMenus&) = delete;

  TComponent* Owner() const { return owner_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TSubmenuOptions& Items(int index) const { return *items_.at(index); }
  TSubmenuOptions& Add();
  void Clear() { items_.clear(); }
  void Assign(const TSubMenus& other);
  // The entry for the level showing `root`'s children: the last that names it.
  const TSubmenuOptions* ForItem(const TMenuItem* root) const;

private:
  friend class TSubmenuOptions;
  // Clears the entries of a freed item.
  class TWatch : public TComponent {
  public:
    explicit TWatch(TSubMenus& subs) : TComponent(nullptr), subs_(subs) {}
    void Notification(TComponent* component, TOperation operation) override;

  private:
    TSubMenus& subs_;
  };
  TComponent* owner_;
  std::vector<std::unique_ptr<TSubmenuOptions>> items_;
  TWatch watch_;
};

// The bitmap resource for an item name ("Save all" finds AM_SAVEALL), or
// null; the caller frees it.
HBITMAP LoadItemBitmap(const std::string& name);

// A copy of a bitmap that no DC holds, as the system wants for menus.
HBITMAP CopyToHandle(const TBitmap& bitmap);

// Check-mark pictures of one menu item, set through the system.
class TMenuItemBitmaps : public TComponent {
public:
  explicit TMenuItemBitmaps(TComponent* owner);
  HBITMAP CheckedBitmap() const { return checked_.Get(); }
  HBITMAP UncheckedBitmap() const { return unchecked_.Get(); }
  void SetCheckedBitmap(const TBitmap& bitmap);
  void SetUncheckedBitmap(const TBitmap& bitmap);
  TMenuItem* MenuItem() const { return menuItem_; }
  void SetMenuItem(TMenuItem* item);
  bool SingleBitmap() const { return singleBitmap_; }
  void SetSingleBitmap(bool v);
  const std::string& CheckedBmpResource() const { return checkedResource_; }
  void SetCheckedBmpResource(const std::string& name);
  const std::string& UncheckedBmpResource() const { return uncheckedResource_; }
  void SetUncheckedBmpResource(const std::string& name);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  // SetMenuItemBitmaps on the item's parent menu, when enabled.
  void Apply();
  static const TClassInfo& ClassInfo();

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  void SetPicture(TBitmapHandle& target, std::string& resource, TBitmapHandle& other, const TBitmap& bitmap);
  void LoadResource(TBitmapHandle& target, std::string& resource, const std::string& name);
  TBitmapHandle checked_, unchecked_;
  TMenuItem* menuItem_ = nullptr;
  bool singleBitmap_ = false, enabled_ = true;
  std::string checkedResource_, uncheckedResource_;
};

// Every TMenuItemBitmaps owned by `component` applies its pictures again.
void ApplyItemBitmaps(TComponent* component);

// Bitmap properties of a description ({424D...} .bmp bytes).
void LoadBitmapValue(TBitmap& target, const std::vector<uint8_t>& bytes);
