// Class descriptions of the layer's own classes, for window descriptions.
#include "ComCtrls.h"
#include "Description.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Menus.h"

namespace {
void Ignore(TComponent&, const TDescValue&) {}
}  // namespace

const TClassInfo& ComponentClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TComponent", nullptr);
    i.Prop("Tag", &TComponent::Tag);
    // Where a non-visual component sat in the designer: nothing at run time.
    i.PropFn<TComponent>("Left", Ignore);
    i.PropFn<TComponent>("Top", Ignore);
    return i;
  }();
  return info;
}

const TClassInfo& FontClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TFont", nullptr);
    i.Prop("Name", &TFont::SetName);
    i.Prop("Height", &TFont::SetHeight);
    i.Prop("Size", &TFont::SetSize);
    i.Prop("Style", &TFont::SetStyle);
    i.Prop("Color", &TFont::SetColor);
    i.Prop("Charset", &TFont::SetCharset);
    i.Prop("Pitch", &TFont::SetPitch);
    return i;
  }();
  return info;
}

const TClassInfo& ControlClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TControl", &ComponentClassInfo());
    i.Prop("Left", &TControl::SetLeft);
    i.Prop("Top", &TControl::SetTop);
    i.Prop("Width", &TControl::SetWidth);
    i.Prop("Height", &TControl::SetHeight);
    i.Prop("ClientWidth", &TControl::SetClientWidth);
    i.Prop("ClientHeight", &TControl::SetClientHeight);
    i.Prop("Align", &TControl::SetAlign);
    i.Prop("Visible", &TControl::SetVisible);
    i.Prop("Enabled", &TControl::SetEnabled);
    i.Prop("Color", &TControl::SetColor);
    i.Prop("ParentColor", &TControl::SetParentColor);
    i.Sub<TControl>("Font", [](TControl& c) -> TFont& { return c.Font(); }, FontClassInfo());
    i.Prop("ParentFont", &TControl::SetParentFont);
    i.Prop("Caption", &TControl::SetCaption);
    i.Prop("Text", &TControl::SetText);
    i.Prop("Hint", &TControl::SetHint);
    i.Prop("HelpContext", &TControl::SetHelpContext);
    i.Prop("ShowHint", &TControl::SetShowHint);
    i.Prop("ParentShowHint", &TControl::SetParentShowHint);
    i.Prop("Cursor", &TControl::SetCursor);
    i.Ref("PopupMenu", &TControl::SetPopupMenu);
    i.Event("OnClick", &TControl::OnClick);
    i.Event("OnDblClick", &TControl::OnDblClick);
    i.Event("OnMouseDown", &TControl::OnMouseDown);
    i.Event("OnMouseUp", &TControl::OnMouseUp);
    i.Event("OnMouseMove", &TControl::OnMouseMove);
    i.Event("OnMouseEnter", &TControl::OnMouseEnter);
    i.Event("OnMouseLeave", &TControl::OnMouseLeave);
    i.Event("OnResize", &TControl::OnResize);
    return i;
  }();
  return info;
}

const TClassInfo& GraphicControlClassInfo() {
  static const TClassInfo info("TGraphicControl", &ControlClassInfo());
  return info;
}

const TClassInfo& WinControlClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TWinControl", &ControlClassInfo());
    i.Prop("TabStop", &TWinControl::SetTabStop);
    i.PropFn<TComponent>("TabOrder", Ignore);  // creation order is the tab order
    i.Event("OnEnter", &TWinControl::OnEnter);
    i.Event("OnExit", &TWinControl::OnExit);
    i.Event("OnKeyDown", &TWinControl::OnKeyDown);
    i.Event("OnKeyUp", &TWinControl::OnKeyUp);
    i.Event("OnKeyPress", &TWinControl::OnKeyPress);
    return i;
  }();
  return info;
}

const TClassInfo& CustomControlClassInfo() {
  static const TClassInfo info("TCustomControl", &WinControlClassInfo());
  return info;
}

const TClassInfo& FormClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TForm", &WinControlClassInfo(), Creator<TForm>());
    i.Prop("BorderStyle", &TForm::SetBorderStyle);
    i.Prop("BorderIcons", &TForm::SetBorderIcons);
    i.Prop("FormStyle", &TForm::SetFormStyle);
    i.Prop("Position", &TForm::SetPosition);
    i.Prop("WindowState", &TForm::SetWindowState);
    i.PropFn<TForm>("Icon", [](TForm& f, const TDescValue& v) {
      if (!f.Icon().LoadFromBytes(ConvertValue<std::vector<uint8_t>>(v))) throw EDescriptionError("not an icon");
    });
    i.Ref("ActiveControl", &TForm::SetActiveControl);
    i.Ref("Menu", &TForm::SetMenu);
    i.Event("OnCreate", &TForm::OnCreate);
    i.Event("OnDestroy", &TForm::OnDestroy);
    i.Event("OnShow", &TForm::OnShow);
    i.Event("OnHide", &TForm::OnHide);
    i.Event("OnActivate", &TForm::OnActivate);
    i.Event("OnDeactivate", &TForm::OnDeactivate);
    i.Event("OnPaint", &TForm::OnPaint);
    i.Event("OnClose", &TForm::OnClose);
    i.Event("OnCloseQuery", &TForm::OnCloseQuery);
    return i;
  }();
  return info;
}

const TClassInfo& CustomLabelClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TCustomLabel", &GraphicControlClassInfo());
    i.Prop("Alignment", &TCustomLabel::SetAlignment);
    i.Prop("AutoSize", &TCustomLabel::SetAutoSize);
    i.Prop("Layout", &TCustomLabel::SetLayout);
    i.Prop("WordWrap", &TCustomLabel::SetWordWrap);
    i.Prop("Transparent", &TCustomLabel::SetTransparent);
    i.Prop("ShowAccelChar", &TCustomLabel::SetShowAccelChar);
    i.Ref("FocusControl", &TCustomLabel::SetFocusControl);
    return i;
  }();
  return info;
}

namespace {
const TClassInfo& ListColumnInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TListColumn", nullptr);
    i.Prop("Caption", &TListColumn::Caption);
    i.Prop("Width", &TListColumn::Width);
    i.Prop("Alignment", &TListColumn::Alignment);
    return i;
  }();
  return info;
}

template <class T>
void TreeViewProps(TClassInfo& i) {
  i.Prop("ReadOnly", &T::SetReadOnly);
  i.Prop("HideSelection", &T::SetHideSelection);
  i.Event("OnExpanding", &T::OnExpanding);
  i.Event("OnExpanded", &T::OnExpanded);
  i.Event("OnCollapsing", &T::OnCollapsing);
  i.Event("OnCollapsed", &T::OnCollapsed);
  i.Event("OnChanging", &T::OnChanging);
  i.Event("OnChange", &T::OnChange);
  i.Event("OnEditing", &T::OnEditing);
  i.Event("OnEdited", &T::OnEdited);
  i.Event("OnDeletion", &T::OnDeletion);
}

template <class T>
void Items(TClassInfo& i) {
  i.Prop("Items", &T::SetItems);
  i.Prop("ItemIndex", &T::SetItemIndex);
  i.Prop("Sorted", &T::SetSorted);
}

std::vector<TClassInfo>& Infos() {
  static std::vector<TClassInfo> infos = [] {
    std::vector<TClassInfo> v;
    auto add = [&v](TClassInfo i) -> TClassInfo& { v.push_back(std::move(i)); return v.back(); };
    v.reserve(32);
    add(TClassInfo("TLabel", &CustomLabelClassInfo(), Creator<TLabel>()));
    {
      auto& i = add(TClassInfo("TButton", &WinControlClassInfo(), Creator<TButton>()));
      i.Prop("Default", &TButton::SetDefault);
      i.Prop("Cancel", &TButton::SetCancel);
      i.Prop("ModalResult", &TButton::SetModalResult);
    }
    add(TClassInfo("TCheckBox", &WinControlClassInfo(), Creator<TCheckBox>())).Prop("Checked", &TCheckBox::SetChecked);
    add(TClassInfo("TRadioButton", &WinControlClassInfo(), Creator<TRadioButton>())).Prop("Checked", &TRadioButton::SetChecked);
    {
      auto& i = add(TClassInfo("TEdit", &WinControlClassInfo(), Creator<TEdit>()));
      i.Prop("MaxLength", &TEdit::SetMaxLength);
      i.Prop("PasswordChar", &TEdit::SetPasswordChar);
      i.Prop("ReadOnly", &TEdit::SetReadOnly);
      i.Event("OnChange", &TEdit::OnChange);
    }
    const TClassInfo* edit = &v.back();
    {
      auto& i = add(TClassInfo("TMemo", edit, Creator<TMemo>()));
      i.Prop("Lines", &TMemo::SetLines);
      i.Prop("ScrollBars", &TMemo::SetScrollBars);
      i.Prop("WordWrap", &TMemo::SetWordWrap);
    }
    {
      auto& i = add(TClassInfo("TListBox", &WinControlClassInfo(), Creator<TListBox>()));
      Items<TListBox>(i);
      i.Prop("MultiSelect", &TListBox::SetMultiSelect);
    }
    {
      auto& i = add(TClassInfo("TComboBox", &WinControlClassInfo(), Creator<TComboBox>()));
      Items<TComboBox>(i);
      i.Prop("Style", &TComboBox::SetStyle);
      i.Prop("DropDownCount", &TComboBox::SetDropDownCount);
      i.Event("OnChange", &TComboBox::OnChange);
    }
    add(TClassInfo("TGroupBox", &WinControlClassInfo(), Creator<TGroupBox>()));
    {
      auto& i = add(TClassInfo("TImageList", &ComponentClassInfo(), Creator<TImageList>()));
      i.Prop("Width", &TImageList::SetWidth);
      i.Prop("Height", &TImageList::SetHeight);
    }
    {
      auto& i = add(TClassInfo("TProgressBar", &WinControlClassInfo(), Creator<TProgressBar>()));
      i.Prop("Min", &TProgressBar::SetMin);
      i.Prop("Max", &TProgressBar::SetMax);
      i.Prop("Position", &TProgressBar::SetPosition);
      i.Prop("Step", &TProgressBar::SetStep);
    }
    {
      auto& i = add(TClassInfo("TTrackBar", &WinControlClassInfo(), Creator<TTrackBar>()));
      i.Prop("Min", &TTrackBar::SetMin);
      i.Prop("Max", &TTrackBar::SetMax);
      i.Prop("Position", &TTrackBar::SetPosition);
      i.Prop("Frequency", &TTrackBar::SetFrequency);
      i.Prop("Orientation", &TTrackBar::SetOrientation);
      i.Event("OnChange", &TTrackBar::OnChange);
    }
    {
      auto& i = add(TClassInfo("TTreeView", &WinControlClassInfo(), Creator<TTreeView>()));
      TreeViewProps<TTreeView>(i);
    }
    {
      auto& i = add(TClassInfo("TListView", &WinControlClassInfo(), Creator<TListView>()));
      i.Prop("ViewStyle", &TListView::SetViewStyle);
      i.Prop("MultiSelect", &TListView::SetMultiSelect);
      i.Prop("HideSelection", &TListView::SetHideSelection);
      i.Prop("ReadOnly", &TListView::SetReadOnly);
      i.Prop("ShowColumnHeaders", &TListView::SetShowColumnHeaders);
      i.Event("OnColumnClick", &TListView::OnColumnClick);
      i.Ref("SmallImages", &TListView::SetSmallImages);
      i.Collection<TListView>("Columns", [](TListView& lv) -> TListColumn& { return *lv.AddColumn(); }, ListColumnInfo());
      i.Event("OnChange", &TListView::OnChange);
    }
    {
      auto& i = add(TClassInfo("TStatusBar", &WinControlClassInfo(), Creator<TStatusBar>()));
      i.Prop("SimplePanel", &TStatusBar::SetSimplePanel);
      i.Prop("SimpleText", &TStatusBar::SetSimpleText);
      i.Prop("SizeGrip", &TStatusBar::SetSizeGrip);
    }
    {
      auto& i = add(TClassInfo("TAnimate", &WinControlClassInfo(), Creator<TAnimate>()));
      i.Prop("CommonAVI", &TAnimate::SetCommonAVI);
      i.Prop("StartFrame", &TAnimate::SetStartFrame);
      i.Prop("StopFrame", &TAnimate::SetStopFrame);
      i.Prop("Repetitions", &TAnimate::SetRepetitions);
      i.Prop("Center", &TAnimate::SetCenter);
      i.Prop("Transparent", &TAnimate::SetTransparent);
      i.Prop("Active", &TAnimate::SetActive);
    }
    {
      auto& i = add(TClassInfo("TPanel", &CustomControlClassInfo(), Creator<TPanel>()));
      i.Prop("BevelInner", &TPanel::SetBevelInner);
      i.Prop("BevelOuter", &TPanel::SetBevelOuter);
      i.Prop("BevelWidth", &TPanel::SetBevelWidth);
      i.Prop("BorderWidth", &TPanel::SetBorderWidth);
      i.Prop("Alignment", &TPanel::SetAlignment);
    }
    add(TClassInfo("TPage", &CustomControlClassInfo(), Creator<TPage>()));
    {
      auto& i = add(TClassInfo("TNotebook", &CustomControlClassInfo(), Creator<TNotebook>()));
      i.Prop("PageIndex", &TNotebook::SetPageIndex);
      i.Event("OnPageChanged", &TNotebook::OnPageChanged);
    }
    {
      auto& i = add(TClassInfo("TImage", &GraphicControlClassInfo(), Creator<TImage>()));
      i.PropFn<TImage>("Picture", [](TImage& img, const TDescValue& v) {
        if (!img.LoadPicture(ConvertValue<std::vector<uint8_t>>(v))) throw EDescriptionError("not a bitmap");
      });
      i.Prop("Stretch", &TImage::SetStretch);
      i.Prop("Center", &TImage::SetCenter);
    }
    {
      auto& i = add(TClassInfo("TTimer", &ComponentClassInfo(), Creator<TTimer>()));
      i.Prop("Enabled", &TTimer::SetEnabled);
      i.Prop("Interval", &TTimer::SetInterval);
      i.Event("OnTimer", &TTimer::OnTimer);
    }
    for (const char* name : {"TOpenDialog", "TSaveDialog"}) {
      auto& i = add(std::string(name) == "TOpenDialog" ? TClassInfo(name, &ComponentClassInfo(), Creator<TOpenDialog>())
                                                       : TClassInfo(name, &ComponentClassInfo(), Creator<TSaveDialog>()));
      i.Prop("FileName", &TOpenDialog::FileName);
      i.Prop("Filter", &TOpenDialog::Filter);
      i.Prop("FilterIndex", &TOpenDialog::FilterIndex);
      i.Prop("DefaultExt", &TOpenDialog::DefaultExt);
      i.Prop("InitialDir", &TOpenDialog::InitialDir);
      i.Prop("Title", &TOpenDialog::Title);
      i.Prop("Options", &TOpenDialog::Options);
    }
    return v;
  }();
  return infos;
}
}  // namespace

const TClassInfo& TreeViewClassInfo() { return *FindClass("TTreeView"); }
const TClassInfo& ListViewClassInfo() { return *FindClass("TListView"); }
const TClassInfo& ComboBoxClassInfo() { return *FindClass("TComboBox"); }

void RegisterStandardClasses() {
  RegisterClass(FormClassInfo());
  RegisterClass(TMenuItem::ClassInfo());
  RegisterClass(TMainMenu::ClassInfo());
  for (const auto& i : Infos()) RegisterClass(i);
}
