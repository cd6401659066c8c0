#include "DateTime.h"

#include <cctype>

namespace {
std::string shortDate = "m/d/yyyy";
std::string longTime = "h:nn:ss";

// The field a format letter run stands for.
enum class TField { None, Day, Month, Year, Hour, Minute, Second };

TField FieldOf(char c) {
  switch (std::tolower(static_cast<unsigned char>(c))) {
    case 'd': return TField::Day;
    case 'm': return TField::Month;
    case 'y': return TField::Year;
    case 'h': return TField::Hour;
    case 'n': return TField::Minute;
    case 's': return TField::Second;
    default: return TField::None;
  }
}

WORD& FieldRef(SYSTEMTIME& t, TField f) {
  switch (f) {
    case TField::Day: return t.wDay;
    case TField::Month: return t.wMonth;
    case TField::Year: return t.wYear;
    case TField::Hour: return t.wHour;
    case TField::Minute: return t.wMinute;
    default: return t.wSecond;
  }
}

size_t RunLength(const std::string& format, size_t i) {
  size_t n = 1;
  while (i + n < format.size() && std::tolower(static_cast<unsigned char>(format[i + n])) ==
                                      std::tolower(static_cast<unsigned char>(format[i])))
    ++n;
  return n;
}

std::string Padded(unsigned value, size_t width) {
  std::string s = std::to_string(value);
  if (s.size() < width) s.insert(0, width - s.size(), '0');
  return s;
}

// Reads `format` from text[pos]; fills the fields it names.
bool Scan(const std::string& format, const std::string& text, size_t& pos, SYSTEMTIME& t) {
  for (size_t i = 0; i < format.size();) {
    TField f = FieldOf(format[i]);
    if (f == TField::None) {
      if (pos >= text.size() || text[pos] != format[i]) return false;
      ++pos;
      ++i;
      continue;
    }
    size_t run = RunLength(format, i);
    size_t maxDigits = f == TField::Year ? 4 : 2;
    unsigned value = 0;
    size_t digits = 0;
    while (pos < text.size() && digits < maxDigits && std::isdigit(static_cast<unsigned char>(text[pos]))) {
      value = value * 10 + static_cast<unsigned>(text[pos] - '0');
      ++pos;
      ++digits;
    }
    if (digits == 0) return false;
    if (f == TField::Year && run <= 2 && digits <= 2) value += value < 50 ? 2000 : 1900;
    FieldRef(t, f) = static_cast<WORD>(value);
    i += run;
  }
  return true;
}
}  // namespace

const std::string& ShortDateFormat() { return shortDate; }
void SetShortDateFormat(const std::string& format) { shortDate = format; }
const std::string& LongTimeFormat() { return longTime; }
void SetLongTimeFormat(const std::string& format) { longTime = format; }

std::string FormatDateTime(const std::string& format, const SYSTEMTIME& t) {
  std::string out;
  for (size_t i = 0; i < format.size();) {
    TField f = FieldOf(format[i]);
    if (f == TField::None) {
      out += format[i++];
      continue;
    }
    size_t run = RunLength(format, i);
    SYSTEMTIME copy = t;
    unsigned value = FieldRef(copy, f);
    if (f == TField::Year) out += run <= 2 ? Padded(value % 100, 2) : Padded(value, 4);
    else out += Padded(value, run >= 2 ? 2 : 1);
    i += run;
  }
  return out;
}

std::string DateTimeToStr(const SYSTEMTIME& t) {
  return FormatDateTime(shortDate, t) + " " + FormatDateTime(longTime, t);
}

bool StrToDateTime(const std::string& text, SYSTEMTIME& t) {
  t = SYSTEMTIME{};
  size_t pos = 0;
  if (!Scan(shortDate, text, pos, t)) return false;
  if (pos < text.size() && text[pos] == ' ') {
    ++pos;
    if (!Scan(longTime, text, pos, t)) return false;
  }
  return pos == text.size();
}

int64_t DateTimeKey(const SYSTEMTIME& t) {
  int64_t key = t.wYear;
  for (WORD part : {t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond}) key = key * 100 + part;
  return key;
}
