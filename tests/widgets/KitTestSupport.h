// Small helpers the kit's tests share: bitmaps to draw into, a shown form
// to place controls on, and mouse input routed as the window layer does.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "Forms.h"
#include "Gdi.h"
#include "Robot.h"

namespace kit {
constexpr COLORREF kMarker = RGB(255, 0, 255);

inline void Fill(TBitmap& bmp, COLORREF c, RECT r) {
  TBrushHandle brush(CreateSolidBrush(c));
  FillRect(bmp.DC(), &r, brush.Get());
}
inline void Fill(TBitmap& bmp, COLORREF c) { Fill(bmp, c, {0, 0, bmp.Width(), bmp.Height()}); }

inline COLORREF Sys(int index) { return GetSysColor(index); }

// A shown form with a robot for timers and boxes; the application counts
// as active.
struct TKitForm {
  TRobot robot;
  std::unique_ptr<TForm> form;

  explicit TKitForm(int width = 320, int height = 200) {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 100, width, height);
    form->Show();
    Application().ProcessMessages();
    SetAppActive(true);
  }
  ~TKitForm() {
    form.reset();
    Application().ProcessMessages();
  }
  static void SetAppActive(bool active) { SendMessageA(Application().Handle(), WM_ACTIVATEAPP, active, 0); }

  // The cursor goes to (x, y) of `c`, and the form gets the mouse message
  // there, as a real mouse would send it.
  LRESULT Mouse(TControl* c, UINT msg, int x, int y, WPARAM keys = 0) {
    POINT screen = c->ClientToScreen({x, y});
    SetCursorPos(screen.x, screen.y);
    POINT client = form->ScreenToClient(screen);
    return form->Perform(msg, keys, MAKELPARAM(client.x, client.y));
  }
  void Press(TControl* c, int x, int y) { Mouse(c, WM_LBUTTONDOWN, x, y, MK_LBUTTON); }
  void Move(TControl* c, int x, int y, bool held = false) { Mouse(c, WM_MOUSEMOVE, x, y, held ? MK_LBUTTON : 0); }
  void Release(TControl* c, int x, int y) { Mouse(c, WM_LBUTTONUP, x, y); }
  void ClickAt(TControl* c, int x, int y) {
    Press(c, x, y);
    Release(c, x, y);
  }
  // The cursor somewhere far from the form.
  static void CursorAway() { SetCursorPos(2, 2); }
};
}  // namespace kit

namespace kit {
// The whole window, frame included, as it stands on its surface.
inline std::unique_ptr<TBitmap> CaptureWindow(HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  auto bmp = std::make_unique<TBitmap>(r.right - r.left, r.bottom - r.top);
  TWindowDC dc(wnd, TWindowDC::Window);
  BitBlt(bmp->DC(), 0, 0, bmp->Width(), bmp->Height(), dc.Get(), 0, 0, SRCCOPY);
  return bmp;
}
}  // namespace kit
