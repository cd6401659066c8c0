#include "MenuOptions.h"

#include <algorithm>
#include <cstdlib>

#include "Description.h"
#include "Forms.h"
#include "Seam.h"

// TColors

bool TColors::IsDefault() const {
  TColors d;
  return Border == d.Border && Menu == d.Menu && MenuText == d.MenuText && MenuShadow == d.MenuShadow &&
         Highlight == d.Highlight && HighlightText == d.HighlightText && DisabledText == d.DisabledText &&
         DisabledShadow == d.DisabledShadow && Line == d.Line && LineShadow == d.LineShadow;
}

const TClassInfo& TColors::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TColors", nullptr);
    i.Prop("Border", &TColors::Border);
    i.Prop("Menu", &TColors::Menu);
    i.Prop("MenuText", &TColors::MenuText);
    i.Prop("MenuShadow", &TColors::MenuShadow);
    i.Prop("Highlight", &TColors::Highlight);
    i.Prop("HighlightText", &TColors::HighlightText);
    i.Prop("DisabledText", &TColors::DisabledText);
    i.Prop("DisabledShadow", &TColors::DisabledShadow);
    i.Prop("Line", &TColors::Line);
    i.Prop("LineShadow", &TColors::LineShadow);
    return i;
  }();
  return info;
}

// TTitle

TTitle::TTitle() {
  Font.SetName("Arial");
  Font.SetSize(24);
  Font.SetStyle({TFontStyle::fsBold});
  Font.SetColor(clWhite);
}

void TTitle::Assign(const TTitle& other) {
  Align = other.Align;
  Alignment = other.Alignment;
  Text = other.Text;
  Font.Assign(other.Font);
  ColorBegin = other.ColorBegin;
  ColorEnd = other.ColorEnd;
  Width = other.Width;
  Direction = other.Direction;
  Visible = other.Visible;
  Bitmap.Assign(other.Bitmap);
}

RECT TTitle::BandRect(const RECT& clip) const {
  if (Align == TTitleAlign::alLeft) return {2, 2, Width + 2, clip.bottom - 2};
  return {clip.right - Width - 2, 2, clip.right - 2, clip.bottom - 2};
}

void TTitle::Paint(TCanvas& canvas, const RECT& clip) const {
  if (!Visible) return;
  RECT band = BandRect(clip);
  const int w = band.right - band.left, h = band.bottom - band.top;
  if (w <= 0 || h <= 0) return;
  TBitmap bmp(w, h);
  COLORREF begin = ColorToRGB(ColorBegin), end = ColorToRGB(ColorEnd);
  if (begin == end) {
    TBrushHandle brush(CreateSolidBrush(begin));
    RECT all{0, 0, w, h};
    FillRect(bmp.DC(), &all, brush.Get());
  } else {
    for (int i = 0; i < 256; ++i) {
      TBandSpan span = TitleBandSpan(i, h);
      if (span.Bottom <= span.Top) continue;
      TBrushHandle brush(CreateSolidBrush(TitleBandColor(i, begin, end)));
      RECT r{0, span.Top, w, span.Bottom};
      FillRect(bmp.DC(), &r, brush.Get());
    }
  }
  if (!Bitmap.Empty()) {
    int x = (w - Bitmap.Width()) / 2;
    int y = Alignment == TAlignment::taLeftJustify    ? h - Bitmap.Height()
            : Alignment == TAlignment::taRightJustify ? 0
                                                      : (h - Bitmap.Height()) / 2;
    BitBlt(bmp.DC(), x, y, Bitmap.Width(), Bitmap.Height(), Bitmap.DC(), 0, 0, SRCCOPY);
  }
  if (!Text.empty()) {
    LOGFONTA lf{};
    lf.lfHeight = Font.Height();
    lf.lfWeight = Font.Style().Has(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = Font.Style().Has(TFontStyle::fsItalic);
    lf.lfUnderline = Font.Style().Has(TFontStyle::fsUnderline);
    lf.lfStrikeOut = Font.Style().Has(TFontStyle::fsStrikeOut);
    lf.lfCharSet = Font.Charset();
    lf.lfEscapement = lf.lfOrientation = Direction ? 900 : 2700;
    lstrcpynA(lf.lfFaceName, Font.Name().c_str(), LF_FACESIZE);
    TFontHandle font(CreateFontIndirectA(&lf));
    TSelectGuard select(bmp.DC(), font.Get());
    SIZE extent{};
    GetTextExtentPoint32A(bmp.DC(), Text.c_str(), static_cast<int>(Text.size()), &extent);
    int alignment = Alignment == TAlignment::taRightJustify ? 1 : Alignment == TAlignment::taCenter ? 2 : 0;
    POINT at = TitleTextPos(Direction, alignment, w, h, extent.cx, extent.cy);
    SetBkMode(bmp.DC(), TRANSPARENT);
    SetTextColor(bmp.DC(), ColorToRGB(Font.Color()));
    TextOutA(bmp.DC(), at.x, at.y, Text.c_str(), static_cast<int>(Text.size()));
  }
  BitBlt(canvas.Handle(), band.left, band.top, w, h, bmp.DC(), 0, 0, SRCCOPY);
}

const TClassInfo& TTitle::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TTitle", nullptr);
    i.Prop("Align", &TTitle::Align);
    i.Prop("Alignment", &TTitle::Alignment);
    i.Prop("Text", &TTitle::Text);
    i.Sub<TTitle>("Font", [](TTitle& t) -> TFont& { return t.Font; }, FontClassInfo());
    i.Prop("ColorBegin", &TTitle::ColorBegin);
    i.Prop("ColorEnd", &TTitle::ColorEnd);
    i.Prop("Width", &TTitle::Width);
    i.Prop("Direction", &TTitle::Direction);
    i.Prop("Visible", &TTitle::Visible);
    i.PropFn<TTitle>("Bitmap", [](TTitle& t, const TDescValue& v) {
      LoadBitmapValue(t.Bitmap, ConvertValue<std::vector<uint8_t>>(v));
    });
    return i;
  }();
  return info;
}

// Options

void TBaseOptions::Assign(const TBaseOptions& other) {
  if (&other == this) return;
  ItemHeight = other.ItemHeight;
  SeparatorHeight = other.SeparatorHeight;
  Indent = other.Indent;
  Alignment = other.Alignment;
  Highlight = other.Highlight;
  Ctl3D = other.Ctl3D;
  FitToBackground = other.FitToBackground;
  ItemSpace = other.ItemSpace;
  Title.Assign(other.Title);
  Background.Assign(other.Background);
  Colors.Assign(other.Colors);
}

void TOptions::Assign(const TBaseOptions& other) {
  TBaseOptions::Assign(other);
  if (auto* o = dynamic_cast<const TOptions*>(&other)) {
    Timeout = o->Timeout;
    DoubleSpeed = o->DoubleSpeed;
    OpenAnimation = o->OpenAnimation;
    CloseAnimation = o->CloseAnimation;
  }
}

namespace {
template <class T>
void DescribeBase(TClassInfo& i) {
  i.Prop("ItemHeight", &T::ItemHeight);
  i.Prop("SeparatorHeight", &T::SeparatorHeight);
  i.Prop("Indent", &T::Indent);
  i.Prop("Alignment", &T::Alignment);
  i.Sub<T>("Title", [](T& o) -> TTitle& { return o.Title; }, TTitle::ClassInfo());
  i.template PropFn<T>("Background", [](T& o, const TDescValue& v) {
    LoadBitmapValue(o.Background, ConvertValue<std::vector<uint8_t>>(v));
  });
  i.Prop("Highlight", &T::Highlight);
  i.Sub<T>("Colors", [](T& o) -> TColors& { return o.Colors; }, TColors::ClassInfo());
  i.Prop("Ctl3D", &T::Ctl3D);
  i.Prop("FitToBackground", &T::FitToBackground);
  i.Prop("ItemSpace", &T::ItemSpace);
  i.Prop("TireAwayable", &T::TireAwayable);
}
}  // namespace

const TClassInfo& TOptions::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TOptions", nullptr);
    DescribeBase<TOptions>(i);
    i.Prop("OpenAnimation", &TOptions::OpenAnimation);
    i.Prop("CloseAnimation", &TOptions::CloseAnimation);
    i.Prop("Timeout", &TOptions::Timeout);
    i.Prop("DoubleSpeed", &TOptions::DoubleSpeed);
    return i;
  }();
  return info;
}

void TSubmenuOptions::SetFont(const TFont& font) {
  font_.Assign(font);
  ItemHeight = std::max(ItemHeight, 8 - font_.Height());
}

void TSubmenuOptions::SetMenuItem(TMenuItem* item) {
  if (item == menuItem_) return;
  if (item && item->Count() == 0) throw Exception(item->Name() + " doesn't contains any submenu items");
  menuItem_ = item;
  if (item && collection_) item->FreeNotification(&collection_->watch_);
}

std::string TSubmenuOptions::DisplayName() const {
  if (!menuItem_) return "TSubmenuOptions";
  std::string name;
  for (char c : menuItem_->Caption())
    if (c != '&') name += c;
  return name;
}

void TSubmenuOptions::Assign(const TBaseOptions& other) {
  TBaseOptions::Assign(other);
  if (auto* o = dynamic_cast<const TSubmenuOptions*>(&other)) {
    font_.Assign(o->font_);
    ParentFont = o->ParentFont;
    ShowHint = o->ShowHint;
    menuItem_ = nullptr;
    SetMenuItem(o->menuItem_);
  }
}

const TClassInfo& TSubmenuOptions::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TSubmenuOptions", nullptr);
    DescribeBase<TSubmenuOptions>(i);
    i.Prop("ShowHint", &TSubmenuOptions::ShowHint);
    i.Prop("ParentFont", &TSubmenuOptions::ParentFont);
    // Font properties raise the item height as setting the font does.
    static const TClassInfo fontInfo = [] {
      TClassInfo f("TSubmenuFont", nullptr);
      f.PropFn<TSubmenuOptions>("Name", [](TSubmenuOptions& o, const TDescValue& v) {
        TFont font(o.Font());
        font.SetName(ConvertValue<std::string>(v));
        o.SetFont(font);
      });
      f.PropFn<TSubmenuOptions>("Height", [](TSubmenuOptions& o, const TDescValue& v) {
        TFont font(o.Font());
        font.SetHeight(static_cast<int>(ValueInt(v)));
        o.SetFont(font);
      });
      f.PropFn<TSubmenuOptions>("Size", [](TSubmenuOptions& o, const TDescValue& v) {
        TFont font(o.Font());
        font.SetSize(static_cast<int>(ValueInt(v)));
        o.SetFont(font);
      });
      f.PropFn<TSubmenuOptions>("Style", [](TSubmenuOptions& o, const TDescValue& v) {
        TFont font(o.Font());
        font.SetStyle(ConvertValue<TFontStyles>(v));
        o.SetFont(font);
      });
      f.PropFn<TSubmenuOptions>("Color", [](TSubmenuOptions& o, const TDescValue& v) {
        TFont font(o.Font());
        font.SetColor(ValueColor(v));
        o.SetFont(font);
      });
      return f;
    }();
    i.Sub<TSubmenuOptions>("Font", [](TSubmenuOptions& o) -> TSubmenuOptions& { return o; }, fontInfo);
    i.Ref("MenuItem", &TSubmenuOptions::SetMenuItem);
    return i;
  }();
  return info;
}

// TSubMenus

TSubMenus::TSubMenus(TComponent* owner) : owner_(owner), watch_(*this) {}
TSubMenus::~TSubMenus() { items_.clear(); }

TSubmenuOptions& TSubMenus::Add() {
  items_.push_back(std::make_unique<TSubmenuOptions>(this));
  return *items_.back();
}

void TSubMenus::Assign(const TSubMenus& other) {
  if (&other == this) return;
  items_.clear();
  for (const auto& item : other.items_) Add().Assign(*item);
}

const TSubmenuOptions* TSubMenus::ForItem(const TMenuItem* root) const {
  const TSubmenuOptions* found = nullptr;
  if (!root) return nullptr;
  for (const auto& item : items_)
    if (item->menuItem_ == root) found = item.get();
  return found;
}

void TSubMenus::TWatch::Notification(TComponent* component, TOperation operation) {
  if (operation != TOperation::opRemove) return;
  for (auto& item : subs_.items_)
    if (item->menuItem_ == component) item->menuItem_ = nullptr;
}

// Item pictures

HBITMAP LoadItemBitmap(const std::string& name) {
  std::string resource = ItemBitmapName(name);
  if (resource.size() <= 3) return nullptr;
  return static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), resource.c_str(), IMAGE_BITMAP, 0, 0,
                                         LR_CREATEDIBSECTION));
}

HBITMAP CopyToHandle(const TBitmap& bitmap) {
  if (bitmap.Empty()) return nullptr;
  TWindowDC screen(nullptr);
  HBITMAP copy = CreateCompatibleBitmap(screen.Get(), bitmap.Width(), bitmap.Height());
  TMemoryDC dc(screen.Get());
  TSelectGuard select(dc.Get(), copy);
  BitBlt(dc.Get(), 0, 0, bitmap.Width(), bitmap.Height(), bitmap.DC(), 0, 0, SRCCOPY);
  return copy;
}

void LoadBitmapValue(TBitmap& target, const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) {
    target.Clear();
    return;
  }
  if (!target.LoadFromBytes(bytes)) throw EDescriptionError("not a bitmap");
}

// TMenuItemBitmaps

TMenuItemBitmaps::TMenuItemBitmaps(TComponent* owner) : TComponent(owner) {}

void TMenuItemBitmaps::Apply() {
  if (!enabled_ || !menuItem_ || !menuItem_->Parent()) return;
  SetMenuItemBitmaps(menuItem_->Parent()->Handle(), menuItem_->Command(), MF_BYCOMMAND, unchecked_.Get(),
                     checked_.Get());
}

void TMenuItemBitmaps::SetPicture(TBitmapHandle& target, std::string& resource, TBitmapHandle& other,
                                  const TBitmap& bitmap) {
  target.Reset(CopyToHandle(bitmap));
  resource.clear();
  if (singleBitmap_) other.Reset(CopyToHandle(bitmap));
  Apply();
}

void TMenuItemBitmaps::SetCheckedBitmap(const TBitmap& bitmap) {
  SetPicture(checked_, checkedResource_, unchecked_, bitmap);
}

void TMenuItemBitmaps::SetUncheckedBitmap(const TBitmap& bitmap) {
  SetPicture(unchecked_, uncheckedResource_, checked_, bitmap);
}

namespace {
HBITMAP CopyHandle(HBITMAP source) {
  return source ? static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, 0, 0, 0)) : nullptr;
}
}  // namespace

void TMenuItemBitmaps::SetSingleBitmap(bool v) {
  if (v == singleBitmap_) return;
  singleBitmap_ = v;
  if (v) {
    if (!checked_) checked_.Reset(CopyHandle(unchecked_.Get()));
    else unchecked_.Reset(CopyHandle(checked_.Get()));
  }
  Apply();
}

void TMenuItemBitmaps::LoadResource(TBitmapHandle& target, std::string& resource, const std::string& name) {
  if (name == resource) return;
  resource = name;
  target.Reset();
  if (!name.empty()) {
    LPCSTR id = name.c_str();
    bool valid = true;
    if (name[0] == '#') {
      std::string digits = name.substr(1);
      char* end = nullptr;
      long number = std::strtol(digits.c_str(), &end, 10);
      valid = !digits.empty() && end && *end == '\0' && number >= 0 && number <= 0xFFFF;
      id = MAKEINTRESOURCEA(static_cast<WORD>(number));
    }
    if (!valid)
      Application().MessageBox("'" + name + "' is not a valid resource name", "Error", MB_OK | MB_ICONERROR);
    else
      target.Reset(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), id, IMAGE_BITMAP, 0, 0, 0)));
  }
  Apply();
}

void TMenuItemBitmaps::SetCheckedBmpResource(const std::string& name) { LoadResource(checked_, checkedResource_, name); }
void TMenuItemBitmaps::SetUncheckedBmpResource(const std::string& name) {
  LoadResource(unchecked_, uncheckedResource_, name);
}

void TMenuItemBitmaps::SetMenuItem(TMenuItem* item) {
  if (menuItem_) RemoveFreeNotification(menuItem_);
  menuItem_ = item;
  if (item) FreeNotification(item);
  Apply();
}

void TMenuItemBitmaps::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Apply();
  if (!v && menuItem_ && menuItem_->Parent())
    SetMenuItemBitmaps(menuItem_->Parent()->Handle(), menuItem_->Command(), MF_BYCOMMAND, nullptr, nullptr);
}

void TMenuItemBitmaps::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == menuItem_) menuItem_ = nullptr;
}

const TClassInfo& TMenuItemBitmaps::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TMenuItemBitmaps", &ComponentClassInfo(), Creator<TMenuItemBitmaps>());
    i.PropFn<TMenuItemBitmaps>("CheckedBitmap", [](TMenuItemBitmaps& b, const TDescValue& v) {
      TBitmap bmp;
      LoadBitmapValue(bmp, ConvertValue<std::vector<uint8_t>>(v));
      b.SetCheckedBitmap(bmp);
    });
    i.PropFn<TMenuItemBitmaps>("UncheckedBitmap", [](TMenuItemBitmaps& b, const TDescValue& v) {
      TBitmap bmp;
      LoadBitmapValue(bmp, ConvertValue<std::vector<uint8_t>>(v));
      b.SetUncheckedBitmap(bmp);
    });
    i.Ref("MenuItem", &TMenuItemBitmaps::SetMenuItem);
    i.Prop("SingleBitmap", &TMenuItemBitmaps::SetSingleBitmap);
    i.Prop("CheckedBmpResource", &TMenuItemBitmaps::SetCheckedBmpResource);
    i.Prop("UncheckedBmpResource", &TMenuItemBitmaps::SetUncheckedBmpResource);
    i.Prop("Enabled", &TMenuItemBitmaps::SetEnabled);
    return i;
  }();
  return info;
}

void ApplyItemBitmaps(TComponent* component) {
  if (!component) return;
  for (int i = 0; i < component->ComponentCount(); ++i)
    if (auto* bitmaps = dynamic_cast<TMenuItemBitmaps*>(component->Components(i))) bitmaps->Apply();
}
