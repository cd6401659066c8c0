// The DDE client of the Setup program: Program Manager groups and items.
#pragma once
#include <windows.h>
#include <ddeml.h>

#include <functional>
#include <memory>
#include <string>

// One DDEML client instance. String handles and conversations are handed
// to the caller, who frees them.
class TDDE {
public:
  // Raises "DDE: Unable to initialize DDE (code: %d)".
  TDDE();
  ~TDDE();
  TDDE(const TDDE&) = delete;
  TDDE& operator=(const TDDE&) = delete;

  DWORD Instance = 0;

  HSZ CreateStringHandle(const std::string& text);
  void FreeStringHandle(HSZ& handle);
  HCONV Connect(HSZ service, HSZ topic);
  void Disconnect(HCONV& conversation);
  // Executes `command`. A command that is not processed gives false when
  // quiet and raises otherwise; any other failure raises.
  bool SendCommand(HCONV conversation, const std::string& command, bool quiet);
  // Requests `item`; `data` stays valid until UnaccessData, and the caller
  // frees `dataHandle` with DdeFreeDataHandle.
  void Request(HCONV conversation, HSZ item, DWORD& size, const char*& data, HDDEDATA& dataHandle, UINT format);
  void UnaccessData(HDDEDATA dataHandle);
};

// Makes the DDE client of the icons step, the group list and the rollback;
// a test may put its own here.
extern std::function<std::unique_ptr<TDDE>()> CreateDDEClient;

// A conversation with Program Manager (service and topic "PROGMAN"),
// ended with the object.
class TProgmanConversation {
public:
  explicit TProgmanConversation(TDDE& dde);
  ~TProgmanConversation();
  TProgmanConversation(const TProgmanConversation&) = delete;
  TProgmanConversation& operator=(const TProgmanConversation&) = delete;
  HCONV Handle() const { return conv_; }
  bool Send(const std::string& command, bool quiet) { return dde_.SendCommand(conv_, command, quiet); }
  // The text Program Manager gives for `item`.
  std::string RequestText(const std::string& item);

private:
  TDDE& dde_;
  HSZ service_ = nullptr;
  HCONV conv_ = nullptr;
};
