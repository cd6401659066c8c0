// The text helpers of the Setup program's common routines: plain C++, so
// the format code and its host tests use them too.
#pragma once
#include <string>

// Appends "\" unless empty or already there.
std::string AddTrailingBackslash(const std::string& text);
// Drops one trailing "\"; "" stays "".
std::string TrimTrailingBackslash(const std::string& text);
// Drops one trailing "\" unless shorter than 2 characters or after ":".
std::string TrimBackslashKeepRoot(const std::string& text);
// Trims spaces; wraps a spaced text in quotes unless it is quoted already.
std::string QuoteIfSpaced(const std::string& text);
// Replaces every case-sensitive occurrence; a replacement is not scanned again.
void ReplaceAllTokens(std::string& text, const std::string& token, const std::string& replacement);
// Spaces and control characters off both ends.
std::string Trim(const std::string& text);
// ASCII letters in lower case.
std::string LowerCase(std::string text);
