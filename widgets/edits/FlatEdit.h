// An edit box with a flat look that matches the flat toolbar buttons: a
// sunken border only while it has the focus or the mouse is over it, a flat
// frame otherwise. Register with RegisterClass(TFlatEdit::ClassInfo()).
#pragma once
#include "Description.h"
#include "StdCtrls.h"

// The hot frame of the kit's flat edits: a sunken edge whose left and top
// inner lines take the face colour, then a frame in the window colour.
void DrawHotFrame(HDC dc, RECT r);
// Clips a whole-window DC of `wnd` to a non-client paint region (screen
// coordinates; null or 1 is the whole window), moved to window coordinates.
void ClipToRegion(HDC dc, HWND wnd, HRGN region);

class TFlatEdit : public TEdit {
public:
  explicit TFlatEdit(TComponent* owner);
  static const TClassInfo& ClassInfo();

  bool MouseInControl() const { return mouseIn_; }
  // Hot: focused, or under the mouse while no flat edit has the focus.
  bool DrawnHot() const;
  // Draws the frame, clipped to `region` (screen coordinates) when given.
  void RedrawBorder(HRGN region = nullptr);

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void Loaded() override;
  void WndProc(TMessage& m) override;

private:
  void FitHeight();
  bool mouseIn_ = false;
};
