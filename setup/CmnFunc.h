// The Setup program's one message-box routine.
#pragma once
#include "StrFmt.h"

#include <windows.h>

#include <string>

// The kind picks the icon, and the caption when none is given.
enum TMsgKind { mkInformation = 0, mkConfirmation = 1, mkWarning = 2, mkError = 3 };

// Shows the box through the seam, owned by the active window, with every
// other window of the program disabled while it is up. Returns the button.
int MessageBoxCore(const char* text, const char* caption, TMsgKind kind, UINT flags);
int ShowMsg(const std::string& text, const std::string& caption, TMsgKind kind, UINT flags);

template <class... Args>
int ShowMsgFmt(const char* format, UINT flags, TMsgKind kind, const std::string& caption, Args... args) {
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
#endif
  return ShowMsg(Format(format, args...), caption, kind, flags);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}
