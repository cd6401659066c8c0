// TGradientCaption: paints its form's title bar itself, a colour gradient
// behind up to three text parts (company, application name, the form's own
// caption), the window icon and the caption buttons. It subclasses the
// form's window and keeps in step with its activation.
//
//   object GradientCaption1: TGradientCaption    // owned by the form
//     Color = clTeal
//     CompanyText.Caption = 'tidy'
//     CompanyText.Font.Name = 'Arial'
//     CompanyText.Font.Style = [fsBold, fsItalic]
//     CaptionText.Caption = 'Status'
//   end
//
// At run time, after changing a part, the form calls ForceFrameRepaint.
// Register with RegisterClass(TGradientCaption::ClassInfo()).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "Description.h"
#include "Forms.h"

enum class TFontKind { fkCustom, fkSystem, fkSystemI, fkSystemB, fkSystemBI, fkAutoHeight };
TZ_ENUM_NAMES(TFontKind, "fkCustom", "fkSystem", "fkSystemI", "fkSystemB", "fkSystemBI", "fkAutoHeight")
enum class TGradEnabled { geAlways, geNever, geWhenActive, geSmart };
TZ_ENUM_NAMES(TGradEnabled, "geAlways", "geNever", "geWhenActive", "geSmart")
enum class TJustification { jAuto, jLeft, jCenter, jRight };
TZ_ENUM_NAMES(TJustification, "jAuto", "jLeft", "jCenter", "jRight")

class TGradientCaption;

// One text part of the caption bar.
class TCompanyText : public TPersistent {
public:
  explicit TCompanyText(TGradientCaption* owner);
  ~TCompanyText() override;

  virtual std::string Caption() const { return caption_; }
  virtual void SetCaption(const std::string& value);
  TColor ColorActive() const { return colorActive_; }
  void SetColorActive(TColor c) { colorActive_ = c; }
  TColor ColorInactive() const { return colorInactive_; }
  void SetColorInactive(TColor c) { colorInactive_ = c; }
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font);
  TFontKind FontKind() const { return fontKind_; }
  void SetFontKind(TFontKind kind);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);

  // Applies the font kind again (after the system caption font changed).
  void ApplyFontKind();
  static const TClassInfo& ClassInfo();

protected:
  friend class TGradientCaption;
  TGradientCaption* owner_;
  std::string caption_;

private:
  void FontChanged();
  void MatchHeight();
  TColor colorActive_ = clCaptionText, colorInactive_ = clInactiveCaptionText;
  TFont font_;
  TFontKind fontKind_ = TFontKind::fkSystem;
  bool visible_ = true;
  bool applying_ = false;
};

class TAppNameText : public TCompanyText {
public:
  using TCompanyText::TCompanyText;
};

class TCaptionText : public TCompanyText {
public:
  using TCompanyText::TCompanyText;
  std::string Caption() const override { return GetCaption(); }
  void SetCaption(const std::string& value) override;
  // The form's caption less the company and application-name parts.
  std::string GetCaption() const;
};

using TOnDrawCaption = TEvent<TCanvas&, RECT&>;

class TGradientCaption : public TComponent, public IFormWindowUser {
public:
  explicit TGradientCaption(TComponent* owner);
  ~TGradientCaption() override;

  TCompanyText& CompanyText() { return *company_; }
  TAppNameText& AppNameText() { return *appName_; }
  TCaptionText& CaptionText() { return *caption_; }

  TColor Color() const { return color_; }
  void SetColor(TColor c) { color_ = c; }
  TGradEnabled GradientEnabled() const { return enabled_; }
  void SetGradientEnabled(TGradEnabled e) { enabled_ = e; }
  TJustification Justification() const { return justification_; }
  void SetJustification(TJustification j) { justification_ = j; }
  int NumColors() const { return numColors_; }
  // Below 1 is refused (the old value stays); above 256 sets 256.
  void SetNumColors(int n);
  TOnDrawCaption OnDrawCaption;

  // Recomputes and repaints the form's frame.
  void ForceFrameRepaint();
  // The form's caption text rebuilt from the visible parts.
  void RebuildCaption(const std::string& captionPart);

  enum class TButton { Close, Maximize, Minimize, Help };
  struct TLayout {
    RECT Caption{};          // window coordinates
    RECT TextArea{};         // inside Caption's bitmap (0,0 at its top left)
    std::vector<TButton> Buttons;
    bool Icon = false;
  };
  TLayout Layout() const;
  bool Active() const;
  // Paints the bar into `canvas` at 0,0, the size of Layout().Caption.
  void RenderCaption(TCanvas& canvas);
  // Paints the bar on the form's frame.
  void PaintCaption();
  const TFont& SystemCaptionFont() const { return systemFont_; }
  TForm* Form() const { return form_; }

  // The private message the application window gets after the form's
  // window was destroyed; LParam is the caption bar to hook again.
  static constexpr UINT kRehookMessage = 0x498C;
  static const TClassInfo& ClassInfo();

protected:
  void Loaded() override;
  void FormWindowCreated() override;

private:
  static LRESULT CALLBACK HookProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  void WndProc(TMessage& m);
  void Hook();
  void Unhook();
  bool AppHook(TMessage& m);
  void ReadSystemFont();
  void CallOld(TMessage& m);
  void NCPaint(TMessage& m);

  TForm* form_ = nullptr;
  HWND wnd_ = nullptr;
  WNDPROC oldProc_ = nullptr;
  bool active_ = true, activeFixed_ = false;
  bool hooked_ = false, rehookPending_ = false;
  int appHookId_ = 0;
  TFont systemFont_;
  std::unique_ptr<TCompanyText> company_;
  std::unique_ptr<TAppNameText> appName_;
  std::unique_ptr<TCaptionText> caption_;
  TColor color_ = clBlack;
  TGradEnabled enabled_ = TGradEnabled::geSmart;
  TJustification justification_ = TJustification::jAuto;
  int numColors_ = 64;
};
