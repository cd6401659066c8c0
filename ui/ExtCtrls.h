// Panel, notebook with its pages, image and timer.
#pragma once
#include <string>
#include <vector>

#include "StdCtrls.h"

enum class TPanelBevel { bvNone, bvLowered, bvRaised };
TZ_ENUM_NAMES(TPanelBevel, "bvNone", "bvLowered", "bvRaised")

class TPanel : public TCustomControl {
public:
  explicit TPanel(TComponent* owner);
  TPanelBevel BevelInner() const { return bevelInner_; }
  void SetBevelInner(TPanelBevel b) { bevelInner_ = b; Realign(); Invalidate(); }
  TPanelBevel BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel b) { bevelOuter_ = b; Realign(); Invalidate(); }
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int w) { bevelWidth_ = w; Realign(); Invalidate(); }
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int w) { borderWidth_ = w; Realign(); Invalidate(); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a) { alignment_ = a; Invalidate(); }

protected:
  void Paint(TCanvas& canvas) override;
  RECT AlignRect() override;

private:
  TPanelBevel bevelInner_ = TPanelBevel::bvNone, bevelOuter_ = TPanelBevel::bvRaised;
  int bevelWidth_ = 1, borderWidth_ = 0;
  TAlignment alignment_ = TAlignment::taCenter;
};

// One page of a notebook; its Caption names it.
class TPage : public TCustomControl {
public:
  explicit TPage(TComponent* owner);
  void SetParent(TWinControl* parent) override;

protected:
  void Paint(TCanvas&) override {}

private:
  friend class TNotebook;
  unsigned placed_ = 0;  // when it joined its parent: the page order
};

// Pages without tabs: one page shows at a time. Pages keep the order they
// were placed in, whatever the window order of the children.
class TNotebook : public TCustomControl {
public:
  explicit TNotebook(TComponent* owner);
  int PageCount() const;
  TPage* Page(int index) const;
  TPage* AddPage(const std::string& caption);
  int PageIndex() const { return pageIndex_; }
  void SetPageIndex(int index);
  std::string ActivePage() const;
  void SetActivePage(const std::string& caption);
  TNotifyEvent OnPageChanged;

protected:
  void Paint(TCanvas&) override {}
  void Loaded() override;

private:
  std::vector<TPage*> Pages() const;
  void ShowPages();
  int pageIndex_ = 0;
};

// A picture from a .bmp in the description, or set by code.
class TImage : public TGraphicControl {
public:
  explicit TImage(TComponent* owner);
  TBitmap& Picture() { return picture_; }
  bool LoadPicture(const std::vector<uint8_t>& bmpBytes);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v) { stretch_ = v; Invalidate(); }
  bool Center() const { return center_; }
  void SetCenter(bool v) { center_ = v; Invalidate(); }

protected:
  void Paint(TCanvas& canvas) override;

private:
  TBitmap picture_;
  bool stretch_ = false, center_ = false;
};

// A timer through the seam; tests fire it with TRobot::FireTimer(Handle(), 1).
class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; Update(); }
  UINT Interval() const { return interval_; }
  void SetInterval(UINT ms) { interval_ = ms; Update(); }
  HWND Handle() const { return wnd_; }
  static constexpr UINT_PTR kTimerId = 1;
  // Runs while Enabled, Interval and OnTimer are all set.
  TNotifyEvent OnTimer;
  void SetOnTimer(TNotifyEvent handler) { OnTimer = std::move(handler); Update(); }

protected:
  void Loaded() override { Update(); }

private:
  static LRESULT CALLBACK TimerWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  void Update();
  HWND wnd_ = nullptr;
  bool enabled_ = true, running_ = false;
  UINT interval_ = 1000;
};
