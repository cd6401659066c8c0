// The program-wide date and time formats and the texts made with them.
// Every date and time text the program shows goes through here, so a
// control that changes a format changes them all.
//
// Format letters: d dd (day), m mm (month), yy yyyy (year), h hh (hour,
// 24-hour clock), n nn (minute), s ss (second); anything else is copied.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

const std::string& ShortDateFormat();
void SetShortDateFormat(const std::string& format);
const std::string& LongTimeFormat();
void SetLongTimeFormat(const std::string& format);

std::string FormatDateTime(const std::string& format, const SYSTEMTIME& t);
// The short date, a space and the long time.
std::string DateTimeToStr(const SYSTEMTIME& t);
// Reads a text made by DateTimeToStr with the formats in force; false when
// it does not fit them. Fields the formats leave out read as zero.
bool StrToDateTime(const std::string& text, SYSTEMTIME& t);
// A number that orders date-times as time does.
int64_t DateTimeKey(const SYSTEMTIME& t);
