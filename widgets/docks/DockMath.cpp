#include "DockMath.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {
int LastRow(const std::vector<TDockSlot>& slots) {
  int last = -1;
  for (const auto& s : slots) last = std::max(last, s.Row);
  return last;
}

// Rows with no bar go: the rows in use become 0, 1, 2... in their order.
void CompactRows(std::vector<TDockSlot>& slots) {
  std::vector<int> rows;
  for (const auto& s : slots) rows.push_back(s.Row);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (auto& s : slots) s.Row = static_cast<int>(std::lower_bound(rows.begin(), rows.end(), s.Row) - rows.begin());
}

bool OthersInRow(const std::vector<TDockSlot>& slots, int row, const TDockSlot* except) {
  for (const auto& s : slots)
    if (&s != except && s.Row == row) return true;
  return false;
}

int Dim(SIZE s, bool vertical) { return vertical ? s.cy : s.cx; }
bool SizesVertically(int code) { return code == HTTOP || code == HTBOTTOM; }
}  // namespace

// ---- Rows of a dock

std::vector<int> MeasureDockRows(const std::vector<TDockSlot>& slots) {
  std::vector<int> rows(static_cast<size_t>(LastRow(slots) + 1), 8);
  for (const auto& s : slots)
    if (s.Row >= 0) rows[static_cast<size_t>(s.Row)] = std::max(rows[static_cast<size_t>(s.Row)], s.Thickness);
  return rows;
}

TDockArrangement ArrangeDockRows(std::vector<TDockSlot>& slots, int clientLength, bool limitToOneRow) {
  std::stable_sort(slots.begin(), slots.end(), [](const TDockSlot& a, const TDockSlot& b) {
    return a.Row != b.Row ? a.Row < b.Row : a.Pos < b.Pos;
  });
  if (limitToOneRow)
    for (auto& s : slots) s.Row = 0;
  CompactRows(slots);

  // A full-size bar keeps its row alone; bars never overlap or start before 0.
  int last = LastRow(slots);
  for (int j = 0; j <= last; ++j) {
    int next = 0;
    for (auto& s : slots) {
      if (s.Row != j) continue;
      if (s.FullSize && OthersInRow(slots, j, &s)) {
        for (auto& o : slots)
          if (&o != &s && o.Row >= j) ++o.Row;
        ++last;
      }
      if (s.Pos < next) s.Pos = next;
      next = s.Pos + s.Length;
    }
  }

  TDockArrangement result;
  result.RowExtents = MeasureDockRows(slots);

  // A row running past the end slides back by its last bar's overflow.
  for (int r = 0; r <= last; ++r) {
    for (size_t i = 0; i < slots.size(); ++i) {
      if (slots[i].Row != r) continue;
      if (slots[i].FullSize) {
        slots[i].Pos = 0;
        continue;
      }
      for (size_t k = slots.size(); k-- > i;) {
        if (slots[k].Row != r) continue;
        int excess = slots[k].Pos + slots[k].Length - clientLength;
        if (excess > 0) {
          slots[i].Pos -= excess;
          break;
        }
      }
    }
  }

  int across = 0;
  for (int r = 0; r <= last; ++r) {
    int extent = result.RowExtents[static_cast<size_t>(r)];
    int end = 0;
    for (auto& s : slots) {
      if (s.Row != r) continue;
      if (s.Pos < end) s.Pos = end;
      end = s.Pos + s.Length;
      s.Across = across;
      s.Size = extent + 4;
      s.PlacedLength = s.FullSize ? clientLength : s.Length;
    }
    across += std::max(8, extent) + 4;
  }
  result.Thickness = across;
  return result;
}

int RowAtOffset(const std::vector<int>& rowExtents, int offset) {
  int end = 0;
  for (size_t i = 0; i < rowExtents.size(); ++i) {
    end += rowExtents[i] + 4;
    if (end > offset) return static_cast<int>(i);
  }
  return static_cast<int>(rowExtents.size());
}

TDropRow RowForDrop(const std::vector<int>& rowExtents, int offset) {
  int start = 0;
  int rows = static_cast<int>(rowExtents.size());
  for (int i = 0; i <= rows; ++i) {
    if (offset <= start + 5) return {i, true};
    if (i == rows) return {i, false};  // past the last row: a new last row
    int end = start + rowExtents[static_cast<size_t>(i)] + 4;
    if (offset <= end - 5) return {i, false};
    start = end;
  }
  return {rows, false};
}

// ---- Frames of a tool window

RECT FloatingInsets(const TFloatMetrics& m) {
  return {m.FrameWidth, m.FrameHeight + m.CaptionHeight, m.FrameWidth, m.FrameHeight};
}

RECT DockedInsets(int axis, bool dragHandle) {
  RECT r{2, 2, 2, 2};
  if (dragHandle) {
    if (axis == kAxisVert) r.top += 9;
    else r.left += 9;
  }
  return r;
}

RECT FloatingCaptionRect(const TFloatMetrics& m, int clientWidth, bool closeButton) {
  RECT r{m.FrameWidth, m.FrameHeight, m.FrameWidth + clientWidth, m.FrameHeight + m.CaptionHeight - 1};
  if (closeButton) r.right -= m.CaptionHeight - 1;
  return r;
}

RECT CloseButtonRect(const TFloatMetrics& m, int clientWidth) {
  int right = m.FrameWidth + clientWidth;
  return {right - (m.CaptionHeight - 1), m.FrameHeight, right, m.FrameHeight + m.CaptionHeight - 1};
}

int FloatingHitTest(const TFloatHitInput& in) {
  if (in.DefaultCode == HTCLIENT) return HTCLIENT;
  const TFloatMetrics& m = in.Metrics;
  RECT row = FloatingCaptionRect(m, in.ClientWidth, false);
  if (PtInRect(&row, in.Point)) {
    RECT close = CloseButtonRect(m, in.ClientWidth);
    return in.CloseButton && PtInRect(&close, in.Point) ? HTCLOSE : HTCLIENT;
  }
  int code = in.DefaultCode >= HTLEFT && in.DefaultCode <= HTBOTTOMRIGHT ? HTNOWHERE : in.DefaultCode;
  if (!in.Resizable) return code;
  int x = in.Point.x, y = in.Point.y, w = in.Window.cx, h = in.Window.cy;
  bool top = y < m.FrameHeight, bottom = y >= h - m.FrameHeight - 1;
  bool left = x < m.FrameWidth, right = x >= w - m.FrameWidth - 1;
  if (!in.CornerSizing) {
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    return code;
  }
  // Near either end of a band the corner's code.
  int corner = m.CaptionHeight + m.FrameWidth - 1;
  if (left) return y < corner ? HTTOPLEFT : y >= h - corner ? HTBOTTOMLEFT : HTLEFT;
  if (right) return y < corner ? HTTOPRIGHT : y >= h - corner ? HTBOTTOMRIGHT : HTRIGHT;
  if (top) return x < corner ? HTTOPLEFT : x >= w - corner ? HTTOPRIGHT : HTTOP;
  if (bottom) return x < corner ? HTBOTTOMLEFT : x >= w - corner ? HTBOTTOMRIGHT : HTBOTTOM;
  return code;
}

std::string FitCaption(std::string text, int width, const std::function<int(const std::string&)>& measure) {
  if (measure(text) <= width) return text;
  text += "...";
  while (measure(text) > width && text.size() > 4) text.erase(text.size() - 4, 1);
  return text;
}

// ---- Keeping a floating bar on the screen

RECT KeepRectOnScreen(RECT r, const RECT& workArea, bool onlyIfFullyOff) {
  RECT meet;
  if (onlyIfFullyOff && IntersectRect(&meet, &r, &workArea)) return r;
  if (r.right > workArea.right) OffsetRect(&r, workArea.right - r.right, 0);
  if (r.bottom > workArea.bottom) OffsetRect(&r, 0, workArea.bottom - r.bottom);
  if (r.left < workArea.left) OffsetRect(&r, workArea.left - r.left, 0);
  if (r.top < workArea.top) OffsetRect(&r, 0, workArea.top - r.top);
  return r;
}

// ---- Dragging a bar

namespace {
// A 1-pixel window has a reference size of 0: it counts as 1.
int Ref(LONG v) { return std::max<int>(v, 1); }
}  // namespace

RECT DragFrame(const TDragGrip& grip, POINT cursor, SIZE size) {
  int left = cursor.x - MulDiv(size.cx - 1, grip.Grab.x, Ref(grip.Ref.cx));
  int top = cursor.y - MulDiv(size.cy - 1, grip.Grab.y, Ref(grip.Ref.cy));
  return {left, top, left + size.cx, top + size.cy};
}

bool DockZoneHit(const TDragGrip& grip, const TDragDock& dock, POINT cursor) {
  RECT r = dock.Client;
  bool horz = DockAxisOf(dock.Position) == kAxisHorz;
  if (horz && r.bottom <= r.top) InflateRect(&r, 0, 1);
  if (!horz && r.right <= r.left) InflateRect(&r, 1, 0);
  int a = MulDiv(32, grip.Grab.x, Ref(grip.Ref.cx));
  int b = MulDiv(20, grip.Grab.y, Ref(grip.Ref.cy));
  if (cursor.x < r.left - (32 - a) || cursor.x > r.right - 1 + a) return false;
  if (!horz && (cursor.y < r.top || cursor.y >= r.bottom)) return false;
  if (cursor.y < r.top - (20 - b) || cursor.y > r.bottom - 1 + b) return false;
  RECT frame = DragFrame(grip, cursor, dock.Size), meet;
  return IntersectRect(&meet, &frame, &r) != FALSE;
}

int FindDragTarget(const TDragGrip& grip, const std::vector<TDragDock>& docks, TDockableTo dockableTo, POINT cursor,
                   bool ctrl, const std::function<bool(int)>& accept) {
  int target = -1;
  if (ctrl) return target;
  for (TDockPosition pos : {TDockPosition::dpTop, TDockPosition::dpBottom, TDockPosition::dpLeft, TDockPosition::dpRight}) {
    if (!dockableTo.Has(pos)) continue;
    for (size_t i = 0; i < docks.size(); ++i) {
      const TDragDock& d = docks[i];
      if (d.Position != pos || !d.AllowDrag || !DockZoneHit(grip, d, cursor)) continue;
      target = static_cast<int>(i);
      if (!accept || accept(target)) break;
      target = -1;
    }
  }
  return target;
}

RECT FloatingDragFrame(const TDragGrip& grip, POINT cursor, SIZE size, const RECT& workArea,
                       const TFloatMetrics& m) {
  cursor.x = std::clamp<LONG>(cursor.x, workArea.left, std::max(workArea.left, workArea.right - 1));
  cursor.y = std::clamp<LONG>(cursor.y, workArea.top, std::max(workArea.top, workArea.bottom - 1));
  RECT f = DragFrame(grip, cursor, size);
  RECT area = workArea;
  InflateRect(&area, -(m.FrameWidth + 4), -(m.FrameHeight + 4));
  if (f.bottom < area.top) OffsetRect(&f, 0, area.top - f.bottom);
  if (f.top > area.bottom) OffsetRect(&f, 0, area.bottom - f.top);
  if (f.right < area.left) OffsetRect(&f, area.left - f.right, 0);
  if (f.left > area.right) OffsetRect(&f, area.right - f.left, 0);
  int highest = workArea.top + 4 - m.FrameHeight - m.CaptionHeight;
  if (f.top < highest) OffsetRect(&f, 0, highest - f.top);
  return f;
}

// ---- Sizing a floating bar

bool SizesLeft(int code) { return code == HTLEFT || code == HTTOPLEFT || code == HTBOTTOMLEFT; }
bool SizesRight(int code) { return code == HTRIGHT || code == HTTOPRIGHT || code == HTBOTTOMRIGHT; }
bool SizesTop(int code) { return code == HTTOP || code == HTTOPLEFT || code == HTTOPRIGHT; }
bool SizesBottom(int code) { return code == HTBOTTOM || code == HTBOTTOMLEFT || code == HTBOTTOMRIGHT; }

RECT SizingRect(const RECT& press, int code, POINT delta, SIZE minimum) {
  RECT r = press;
  if (SizesLeft(code)) r.left += delta.x;
  if (SizesRight(code)) r.right += delta.x;
  if (SizesTop(code)) r.top += delta.y;
  if (SizesBottom(code)) r.bottom += delta.y;
  if (r.right - r.left < minimum.cx) {
    if (SizesLeft(code)) r.left = r.right - minimum.cx;
    else r.right = r.left + minimum.cx;
  }
  if (r.bottom - r.top < minimum.cy) {
    if (SizesTop(code)) r.top = r.bottom - minimum.cy;
    else r.bottom = r.top + minimum.cy;
  }
  return r;
}

// ---- Toolbar layout

int ToolbarThickness(const std::vector<TToolItem>& items, int axis) {
  int t = 8;
  for (const auto& i : items)
    if (!i.Separator) t = std::max(t, axis == kAxisVert ? i.Width : i.Height);
  return t;
}

TToolbarLayout LayOutToolbarItems(const std::vector<TToolItem>& items, bool docked, int axis, int floatRightX,
                                  int cellSize) {
  const bool vertical = axis == kAxisVert;
  const int firstLine = docked ? 0 : 2, afterLast = docked ? 0 : 1;
  const int alongStart = docked ? 0 : 4, alongEnd = docked ? 0 : 4;
  long long wrap = LLONG_MAX / 4;
  if (!docked && floatRightX != 0) {
    wrap = floatRightX;
    for (const auto& i : items)
      if (!i.Separator) wrap = std::max<long long>(wrap, i.Width + 8);
  }
  const int lineSize = ToolbarThickness(items, axis);
  const int cell = cellSize > 0 ? cellSize : lineSize;

  TToolbarLayout out;
  out.Places.resize(items.size());
  for (size_t k = 0; k < items.size(); ++k) {
    if (out.Groups.empty() || (!out.Groups.back().Items.empty() && items[out.Groups.back().Items.back()].Separator))
      out.Groups.emplace_back();
    TControlGroup& g = out.Groups.back();
    g.Items.push_back(static_cast<int>(k));
    if (!items[k].Separator) {
      g.Width += items[k].Width;
      g.Height += items[k].Height;
    }
  }

  auto result = [&](int along, int across) {
    out.Client = vertical ? SIZE{across, along} : SIZE{along, across};
    return out;
  };
  if (items.empty()) return result(alongStart + 8 + alongEnd, firstLine + cell + afterLast);

  int linePos = firstLine, along = 0, longest = 0;
  bool lineOpen = true;
  int endingSep = -1, longestBeforeSep = 0;  // the separator ending the previous group
  for (size_t gi = 0; gi < out.Groups.size(); ++gi) {
    const TControlGroup& g = out.Groups[gi];
    int length = vertical ? g.Height : g.Width;
    int pos = 0;
    bool fits = false;
    if (docked || lineOpen) {
      int start = along + (gi == 0 ? alongStart : 0);
      if (start + static_cast<long long>(length) + alongEnd <= wrap) {
        longest = std::max(longest, start);
        pos = start;
        fits = true;
      }
    }
    if (!fits) {
      pos = alongStart;
      longest = std::max(longest, alongStart);
      if (gi != 0) linePos += lineSize + 6;
      if (endingSep >= 0) {
        longest = longestBeforeSep;
        RECT& p = out.Places[static_cast<size_t>(endingSep)];
        p.right = p.left;
        out.WrapSeparators.push_back({linePos, items[static_cast<size_t>(endingSep)].Blank});
      }
    }
    lineOpen = true;
    endingSep = -1;
    for (int k : g.Items) {
      const TToolItem& c = items[static_cast<size_t>(k)];
      int len = c.Separator ? (vertical ? c.SizeVert : c.SizeHorz) : (vertical ? c.Height : c.Width);
      if (!c.Separator && pos + static_cast<long long>(len) > wrap - alongEnd) {
        pos = alongStart;
        linePos += lineSize;
        lineOpen = false;
      }
      RECT& p = out.Places[static_cast<size_t>(k)];
      if (!vertical) {
        if (c.Separator) p = {pos, linePos, pos + c.SizeHorz, linePos + cell};
        else {
          int top = linePos + (cell - c.Height) / 2;
          p = {pos, top, pos + c.Width, top + c.Height};
        }
      } else {
        if (c.Separator) p = {linePos, pos, linePos + cell, pos + c.SizeVert};
        else {
          int left = linePos + (cell - c.Width) / 2;
          p = {left, pos, left + c.Width, pos + c.Height};
        }
      }
      if (c.Separator) {
        endingSep = k;
        longestBeforeSep = longest;
      }
      pos += len;
      longest = std::max(longest, pos);
    }
    along = pos;
  }
  return result(longest + alongEnd, linePos + lineSize + afterLast);
}

// ---- Sizing steps

std::vector<SIZE> BuildSizeSteps(const std::vector<TToolItem>& items, SIZE frame, int hitCode) {
  auto measure = [&items](int rightX) { return LayOutToolbarItems(items, false, kAxisNone, rightX).Client; };
  auto window = [frame](SIZE c) { return SIZE{c.cx + frame.cx, c.cy + frame.cy}; };
  std::vector<SIZE> steps;
  SIZE one = measure(0);
  steps.push_back(window(one));
  int remembered = one.cy;
  const int lowest = ToolbarThickness(items, kAxisNone) + 8;
  for (int limit = one.cx - 1; limit >= lowest;) {
    SIZE c = measure(limit);
    if (c.cx == limit) {
      if (c.cy == remembered && !steps.empty()) steps.pop_back();
      SIZE w = window(c);
      if (std::none_of(steps.begin(), steps.end(), [w](SIZE s) { return s.cx == w.cx && s.cy == w.cy; }))
        steps.push_back(w);
      remembered = c.cy;
      --limit;
    } else if (c.cx < limit) {
      limit = c.cx;  // nothing changes between here and the width found
    } else {
      break;  // a control wider than the limit: no narrower layout exists
    }
  }
  bool vertical = SizesVertically(hitCode);
  std::stable_sort(steps.begin(), steps.end(), [vertical](SIZE a, SIZE b) { return Dim(a, vertical) > Dim(b, vertical); });
  return steps;
}

int SnapRangeFor(const std::vector<SIZE>& steps, SIZE current, int hitCode) {
  bool vertical = SizesVertically(hitCode);
  int snap = 12;
  for (size_t i = 0; i < steps.size(); ++i) {
    if (steps[i].cx != current.cx || steps[i].cy != current.cy) continue;
    if (i > 0) snap = std::min(snap, std::abs(Dim(steps[i - 1], vertical) - Dim(steps[i], vertical)) - 1);
    if (i + 1 < steps.size()) snap = std::min(snap, std::abs(Dim(steps[i + 1], vertical) - Dim(steps[i], vertical)) - 1);
    break;
  }
  return std::max(snap, 0);
}

void ChooseSizeStep(TSizeSteps& s, POINT cursor, RECT& newRect, const RECT& pressBounds, int leftFrameWidth) {
  if (s.Steps.empty()) return;
  const int code = s.HitCode;
  const bool vertical = SizesVertically(code);
  const int current = vertical ? pressBounds.bottom - pressBounds.top : pressBounds.right - pressBounds.left;
  // The cursor's distance from the fixed edge.
  int distance;
  if (SizesLeft(code)) distance = pressBounds.right - cursor.x;
  else if (code == HTTOP) distance = pressBounds.bottom - cursor.y;
  else if (code == HTBOTTOM) distance = cursor.y - pressBounds.top;
  else distance = cursor.x - pressBounds.left;

  bool inside = distance <= current;
  if ((!s.Moved || inside != s.WasInside) && std::abs(distance - current) <= s.SnapRange) distance = current;
  s.WasInside = inside;

  const int n = static_cast<int>(s.Steps.size());
  int chosen;
  if (distance > current) {
    chosen = 0;
    for (int i = 0; i < n; ++i)
      if (Dim(s.Steps[static_cast<size_t>(i)], vertical) > distance) chosen = i;
  } else {
    chosen = n - 1;
    for (int i = n - 1; i >= 0; --i)
      if (Dim(s.Steps[static_cast<size_t>(i)], vertical) <= distance) chosen = i;
  }
  SIZE step = s.Steps[static_cast<size_t>(chosen)];
  LONG widest = 0;
  for (SIZE t : s.Steps) widest = std::max(widest, t.cx);
  s.NewRightX = step.cx == widest ? 0 : step.cx - 2 * leftFrameWidth;

  newRect = pressBounds;
  if (SizesLeft(code)) {
    newRect.left = newRect.right - step.cx;
    newRect.bottom = newRect.top + step.cy;
  } else if (code == HTTOP) {
    newRect.top = newRect.bottom - step.cy;
    newRect.right = newRect.left + step.cx;
  } else if (code == HTBOTTOM) {
    newRect.bottom = newRect.top + step.cy;
    newRect.right = newRect.left + step.cx;
  } else {
    newRect.right = newRect.left + step.cx;
    newRect.bottom = newRect.top + step.cy;
  }
  s.Moved = !EqualRect(&newRect, &pressBounds);
}
