#include "MenuMath.h"

#include <algorithm>
#include <cctype>

long long RoundHalfEven(long long num, long long den) {
  bool negative = num < 0;
  long long n = negative ? -num : num;
  long long q = n / den, r = n % den;
  if (r * 2 > den || (r * 2 == den && (q & 1))) ++q;
  return negative ? -q : q;
}

TOpenKinds ResolveOpenKind(TAnimation kind, bool randomHorizontal) {
  switch (kind) {
    case TAnimation::anRandom: {
      TAnimation k = randomHorizontal ? TAnimation::anHSlide : TAnimation::anVSlide;
      return {k, kind};
    }
    case TAnimation::anSmart: return {TAnimation::anVSlide, TAnimation::anHSlide};
    case TAnimation::anPopup: return {TAnimation::anUnfold, TAnimation::anHSlide};
    default: return {kind, kind};
  }
}

TAnimation ResolveCloseKind(TAnimation kind, bool submenu, bool randomHorizontal) {
  switch (kind) {
    case TAnimation::anRandom: return randomHorizontal ? TAnimation::anHSlide : TAnimation::anVSlide;
    case TAnimation::anSmart: return submenu ? TAnimation::anHSlide : TAnimation::anVSlide;
    case TAnimation::anPopup: return submenu ? TAnimation::anHSlide : TAnimation::anUnfold;
    default: return kind;
  }
}

namespace {
bool Vertical(TAnimation k) { return k == TAnimation::anVSlide || k == TAnimation::anUnfold; }
bool Horizontal(TAnimation k) { return k == TAnimation::anHSlide || k == TAnimation::anUnfold; }
}  // namespace

TAnimSteps AnimationSteps(int width, int height, int itemHeight, bool doubleSpeed, TAnimation kind) {
  // A zero or negative item height would divide by zero below.
  long long s = doubleSpeed ? RoundHalfEven(itemHeight * 12LL, 10) : RoundHalfEven(itemHeight * 6LL, 10);
  s = std::max(1LL, s);
  int w = std::max(width, 0), h = std::max(height, 0);
  int vertical = Vertical(kind) ? static_cast<int>(h / s) + 1 : 1;
  int horizontal = Horizontal(kind) ? static_cast<int>(w / s) + 1 : 1;
  TAnimSteps steps;
  steps.Frames = std::max(vertical, horizontal);
  steps.VStep = static_cast<int>(std::max(1LL, RoundHalfEven((h / steps.Frames) * 3LL, 2)));
  steps.HStep = static_cast<int>(RoundHalfEven((w / steps.Frames) * 3LL, 2)) + 1;
  return steps;
}

SIZE AnimationStartSize(int width, int height, TAnimation kind) {
  return {Horizontal(kind) ? 0 : width, Vertical(kind) ? 0 : height};
}

DWORD TFramePacer::Wait(int timeout, DWORD t0, DWORD now) {
  long long wait = static_cast<long long>(timeout) + static_cast<long long>(t0) - static_cast<long long>(now);
  // The tick count may wrap between t0 and now.
  if (now < t0) wait = static_cast<long long>(timeout) - static_cast<long long>(now + (0xFFFFFFFFull - t0) + 1);
  if (wait < 0) {
    lateness_ = static_cast<int>(std::max<long long>(lateness_ + wait, -0x3FFFFFFF));
    return 0;
  }
  if (lateness_ < 0) {
    lateness_ = static_cast<int>(std::min<long long>(lateness_ + wait, 0));
    return 0;
  }
  return static_cast<DWORD>(wait);
}

int TRowMetrics::RowHeight(const TRowShape& row) const {
  switch (row.Kind) {
    case TRowKind::rkSeparator: return SeparatorHeight;
    case TRowKind::rkControl: return row.ControlHeight;
    default: return ItemHeight;
  }
}

int ItemsHeight(const std::vector<TRowShape>& rows, const TRowMetrics& m, int minimumHeight) {
  int h = m.ItemSpace;
  for (const auto& row : rows) h += m.RowHeight(row) + m.ItemSpace;
  return std::max(h, minimumHeight);
}

int ItemsWidth(int widestCaption, int widestShortcut, int titleWidth, int minimumWidth) {
  return std::max(widestCaption + widestShortcut + titleWidth, minimumWidth);
}

SIZE PopupFormSize(int itemsWidth, int itemsHeight, int indent) { return {itemsWidth + 2 * indent + 10, itemsHeight + 6}; }

int RowTop(const std::vector<TRowShape>& rows, const TRowMetrics& m, int index) {
  int y = m.ItemSpace + kFirstRowOffset;
  for (int i = 0; i < index && i < static_cast<int>(rows.size()); ++i) y += m.RowHeight(rows[i]) + m.ItemSpace;
  return y;
}

int SelectedItemTop(const std::vector<TRowShape>& rows, const TRowMetrics& m, int selected) {
  int y = 0;
  for (int i = 0; i < selected && i < static_cast<int>(rows.size()); ++i) y += m.RowHeight(rows[i]);
  return y;
}

int RowAtPoint(const std::vector<TRowShape>& rows, const TRowMetrics& m, int formWidth, TTitleSide title,
               int titleWidth, int x, int y) {
  int b = m.ItemSpace + kFirstRowOffset;
  if (y < b) return -1;
  if (title == TTitleSide::tsLeft && x <= titleWidth) return -1;
  if (title == TTitleSide::tsRight && x >= formWidth - titleWidth) return -1;
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    b += m.RowHeight(rows[i]);
    if (y < b) return i;
    b += m.ItemSpace;
    if (y < b) return -1;
  }
  return -1;
}

int StepSelection(int previous, int requested, const std::vector<bool>& selectable) {
  const int count = static_cast<int>(selectable.size());
  if (count == 0) return -1;
  int dir = requested < previous ? -1 : 1;
  int n = requested;
  for (int guard = 0; guard <= count + 1; ++guard) {
    if (n < 0) n = dir < 0 ? count - 1 : 0;
    if (n >= count) n = 0;
    if (n == previous) return previous;
    if (selectable[static_cast<size_t>(n)]) return n;
    n += dir;
  }
  return previous;
}

TPlacement PlacePopup(const TPlaceInput& in) {
  const RECT& wa = in.WorkArea;
  const int w = in.Size.cx, h = in.Size.cy;
  TPlacement p;
  int left = in.At.x, top = in.At.y;
  if (left + w > wa.right) {
    if (in.FromBarButton && in.BarButtonVertical) {
      left = in.BarButtonLeft - w;
    } else if (in.Submenu) {
      // Grows from the parent's left edge, overlapping it a little.
      left = in.ParentLeft + 6;
      p.Leftward = true;
    } else {
      left = wa.right - w;
    }
  }
  if (!p.Leftward && left <= 0) left = 1;
  if (p.Leftward && left - w <= 0) left = w + 1;

  bool upward = top + h >= wa.bottom && top >= h && in.OpenKind != TAnimation::anHSlide &&
                !(in.InvokerHeight > top);
  if (upward) {
    if (in.InvokerIsButton && (!in.FromBarButton || !in.BarButtonVertical)) top -= in.InvokerHeight + 2;
    if (in.SystemMenuFromForm && !in.FromBarButton) top = in.FormTop + 3;
    p.Upward = true;
    if (top - h + 1 <= 0) top = h;
  } else {
    if (top + h > wa.bottom) {
      top = wa.bottom - h;
      if (in.FromBarButton && !in.BarButtonVertical) {
        left += in.BarButtonWidth;
        if (left + w > wa.right) left = in.BarButtonLeft - w;
        if (left <= 0) left = 1;
      }
    }
    if (top <= 0) top = 1;
  }
  p.Anchor = {left, top};
  return p;
}

RECT FrameBounds(const TPlacement& p, int w, int h) {
  int left = p.Leftward ? p.Anchor.x - w : p.Anchor.x;
  int top = p.Upward ? p.Anchor.y - h + 1 : p.Anchor.y;
  return {left, top, left + w, top + h};
}

COLORREF TitleBandColor(int i, COLORREF colorBegin, COLORREF colorEnd) {
  auto channel = [i](int b, int e) {
    return static_cast<BYTE>((e + RoundHalfEven(static_cast<long long>(i) * (b - e + 1), 256)) & 0xFF);
  };
  return RGB(channel(GetRValue(colorBegin), GetRValue(colorEnd)), channel(GetGValue(colorBegin), GetGValue(colorEnd)),
             channel(GetBValue(colorBegin), GetBValue(colorEnd)));
}

TBandSpan TitleBandSpan(int i, int height) {
  return {static_cast<int>(RoundHalfEven(static_cast<long long>(i) * height, 256)),
          static_cast<int>(RoundHalfEven(static_cast<long long>(i + 1) * height, 256))};
}

POINT TitleTextPos(bool upward, int alignment, int w, int h, int textWidth, int textHeight) {
  int offset;  // from the band's bottom (upward) or top (downward)
  switch (alignment) {
    case 1: offset = textWidth + 30; break;
    case 2: offset = (h + textWidth) / 2 + 10; break;
    default: offset = h - 10; break;
  }
  if (upward) return {(w - textHeight) / 2 - 2, offset};
  return {(w + textHeight) / 2 + 2, h - offset};
}

std::string ShortHint(std::string_view hint) {
  size_t bar = hint.find('|');
  return std::string(bar == std::string_view::npos ? hint : hint.substr(0, bar));
}

std::string LongHint(std::string_view hint) {
  size_t bar = hint.find('|');
  return std::string(bar == std::string_view::npos ? hint : hint.substr(bar + 1));
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

std::vector<std::string> HintLines(std::string_view hint) {
  std::string text = Trim(ShortHint(hint));
  std::vector<std::string> lines;
  std::string_view rest = text;
  for (;;) {
    size_t mark = rest.find("&#13;");
    if (mark != std::string_view::npos) {
      lines.emplace_back(rest.substr(0, mark));
      rest.remove_prefix(mark + 5);
      continue;
    }
    size_t cr = rest.find('\r');
    if (cr == std::string_view::npos) break;
    lines.emplace_back(rest.substr(0, cr));
    rest.remove_prefix(cr + 1);
    if (!rest.empty() && rest.front() == '\n') rest.remove_prefix(1);
  }
  lines.emplace_back(rest);
  return lines;
}

std::string StatusHintText(std::string_view hint) {
  std::string text = Trim(LongHint(hint)), out;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, "&#") == 0) {
      out += ' ';
      i = std::min(text.size(), i + 5);
    } else {
      out += text[i++];
    }
  }
  return out;
}

POINT HintWindowPos(POINT cursor, SIZE size, const RECT& workArea) {
  POINT p{cursor.x, cursor.y + 25};
  if (p.x + size.cx > workArea.right) p.x = cursor.x - size.cx - 10;
  if (p.y + size.cy > workArea.bottom) p.y = cursor.y + 25 - size.cy - 35;
  if (p.x <= workArea.left) p.x = workArea.left + 1;
  if (p.y <= workArea.top) p.y = workArea.top + 1;
  return p;
}

std::string ItemBitmapName(std::string_view name) {
  std::string out = "AM_";
  for (char c : name) {
    auto u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') out += c;
    else if (u >= 'a' && u <= 'z') out += static_cast<char>(u - 'a' + 'A');
  }
  return out;
}

std::string StripAccelerators(std::string_view caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') out += '&', ++i;
      continue;
    }
    out += caption[i];
  }
  return out;
}

SIZE MenuButtonSize(int textWidth, int textHeight, int glyphHeight, bool iconButton, bool sideDock) {
  SIZE s = iconButton ? SIZE{20, 19} : SIZE{textWidth + glyphHeight + 16, textHeight + 6};
  if (sideDock) std::swap(s.cx, s.cy);
  return s;
}

POINT MenuButtonPopupPoint(int left, int top, int width, int height, const TBarShape& bar) {
  bool beside = bar.DockedVertical ||
                (bar.Floating && top + height + 25 < bar.BarHeight && bar.BarWidth < left + 2 * width);
  return beside ? POINT{width, 0} : POINT{0, height};
}
