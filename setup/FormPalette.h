// The background window's palette in the windows above it, so that the
// gradient keeps its colours on a display of 256 colours.
#pragma once
#include "Controls.h"

#include <windows.h>

// Realizes `palette` for the palette messages: as the foreground palette
// when the window comes to the front, in the background when another
// window changed the system palette. The owner repaints when colours
// moved. True when the message was one of them and is handled.
bool HandlePaletteMessage(HWND wnd, HPALETTE palette, TMessage& m);

// The palette selected and realized into a DC for one paint; the old one
// comes back with the object. No palette: nothing happens.
class TPaletteSelection {
public:
  TPaletteSelection(HDC dc, HPALETTE palette);
  ~TPaletteSelection();
  TPaletteSelection(const TPaletteSelection&) = delete;
  TPaletteSelection& operator=(const TPaletteSelection&) = delete;

private:
  HDC dc_;
  HPALETTE old_ = nullptr;
};
