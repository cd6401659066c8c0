// A read-only edit with a flat drop-down button at its right end. The
// button, or Alt+Down, opens the items in a borderless popup under the
// edit; a double click or Enter there takes an item. Once a choice was
// made, Up and Down step through the items without opening the list.
//
//   object ovrChoice: TDropDownComboBox
//     Left = 8  Top = 8  Width = 145
//     Items.Strings = ('Ask User' 'Always Overwrite' 'Always Skip Extraction')
//     Text = 'Ask User'
//     OnChange = ovrChoiceChange
//   end
//
// Register with RegisterClass(TDropDownComboBox::ClassInfo()).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "Description.h"
#include "ExtCtrls.h"
#include "ToolKit.h"

enum class TLocator { loNone, loFill };
TZ_ENUM_NAMES(TLocator, "loNone", "loFill")

// A small framed button; the combo keeps one behind its drop-down button.
class TXButton : public TGraphicControl {
public:
  explicit TXButton(TComponent* owner);
  const TBitmap* Bitmap() const { return bitmap_.get(); }
  void SetBitmap(const TBitmap& bitmap);
  bool Pressed() const { return pressed_; }
  bool MouseInside() const { return inside_; }

protected:
  void Paint(TCanvas& canvas) override;
  void WndProc(TMessage& m) override;

private:
  std::unique_ptr<TBitmap> bitmap_;
  bool pressed_ = false, inside_ = false;
};

// The borderless, stay-on-top window the list opens in.
class TPopForm : public TForm {
public:
  explicit TPopForm(TComponent* owner);
  TPanel* Panel = nullptr;
  TListBox* List = nullptr;
};

using TDrawItemEvent = TEvent<int, RECT, UINT>;

class TDropDownComboBox : public TEdit {
public:
  explicit TDropDownComboBox(TComponent* owner);
  ~TDropDownComboBox() override;
  static const TClassInfo& ClassInfo();

  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items) { items_ = items; }
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int v) { itemIndex_ = static_cast<int16_t>(v); }
  bool Sorted() const { return sorted_; }
  void SetSorted(bool v) { sorted_ = v; }
  TLocator Locator() const { return locator_; }
  void SetLocator(TLocator v) { locator_ = v; }
  TColor LocColor() const { return locColor_; }
  void SetLocColor(TColor v) { locColor_ = v; }
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int v) { dropDownCount_ = v; }
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int v);
  bool Btn3State() const { return btn3State_; }
  void SetBtn3State(bool v);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool v) { autoSelect_ = v; }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);

  // Empties the text and the items.
  void Clear();
  // Opens the list under the edit (the button and Alt+Down do this).
  void DropDown();
  // Closes the list, taking its selection when the close commits.
  void CloseUp();
  TPopForm* Popup() const { return popup_; }
  bool Dropping() const { return dropping_; }
  // The next close takes the list's selection; Up and Down step.
  bool Commit() const { return commit_; }
  bool MouseInside() const { return mouseInside_; }
  bool DrawnHot() const;
  TToolbarButton* DropButton() const { return button_; }
  TXButton* XButton() const { return xbutton_; }
  // Paints the frame, clipped to `region` (screen coordinates) when given.
  void PaintFrame(HRGN region = nullptr);

  TNotifyEvent OnDropDown;   // published; not fired
  TDrawItemEvent OnDrawItem; // published; not fired

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void WndProc(TMessage& m) override;
  void Resize() override;
  void PaintWindow(HDC dc) override;

private:
  void LayoutParts();
  void KeyStep(WORD key);
  void SetMouseInside(bool v);

  std::vector<std::string> items_;
  int16_t itemIndex_ = -1;
  bool sorted_ = false;
  TLocator locator_ = TLocator::loNone;
  TColor locColor_ = MakeColor(0xFFFF00);
  TColor savedColor_ = clWindow;
  int dropDownCount_ = 8;
  int itemHeight_ = 12;
  bool btn3State_ = false, autoSelect_ = true, autoSize_ = true;

  TPopForm* popup_ = nullptr;
  bool dropping_ = false, commit_ = false, mouseInside_ = false, closing_ = false;
  std::string createdText_;
  TToolbarButton* button_ = nullptr;
  TXButton* xbutton_ = nullptr;
  bool laying_ = false, mouseTracked_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
