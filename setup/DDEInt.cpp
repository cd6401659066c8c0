#include "DDEInt.h"

#include "Exception.h"
#include "StrFmt.h"

std::function<std::unique_ptr<TDDE>()> CreateDDEClient = [] { return std::make_unique<TDDE>(); };

namespace {

// Answers 0 to every transaction: the instance only asks.
HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

constexpr DWORD kTimeout = 7500;

}  // namespace

TDDE::TDDE() {
  UINT rc = DdeInitializeA(&Instance, DdeCallback, APPCMD_CLIENTONLY, 0);
  if (rc != DMLERR_NO_ERROR) {
    Instance = 0;
    throw Exception(Format("DDE: Unable to initialize DDE (code: %d)", static_cast<int>(rc)));
  }
}

TDDE::~TDDE() {
  if (Instance) DdeUninitialize(Instance);
}

HSZ TDDE::CreateStringHandle(const std::string& text) {
  HSZ h = DdeCreateStringHandleA(Instance, text.c_str(), CP_WINANSI);
  if (!h) throw Exception("DDE: Unable to create string handle");
  return h;
}

void TDDE::FreeStringHandle(HSZ& handle) {
  if (handle) DdeFreeStringHandle(Instance, handle);
  handle = nullptr;
}

HCONV TDDE::Connect(HSZ service, HSZ topic) {
  HCONV c = DdeConnect(Instance, service, topic, nullptr);
  if (!c)
    throw Exception(Format("DDE: Unable to establish DDE connection (code: %d)",
                           static_cast<int>(DdeGetLastError(Instance))));
  return c;
}

void TDDE::Disconnect(HCONV& conversation) {
  if (conversation) DdeDisconnect(conversation);
  conversation = nullptr;
}

bool TDDE::SendCommand(HCONV conversation, const std::string& command, bool quiet) {
  DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(command.c_str())),
                       static_cast<DWORD>(command.size() + 1), conversation, nullptr, 0, XTYP_EXECUTE, kTimeout,
                       nullptr);
  UINT rc = DdeGetLastError(Instance);
  if (rc == DMLERR_NO_ERROR) return true;
  if (rc == DMLERR_NOTPROCESSED) {
    if (quiet) return false;
    throw Exception("DDE: Command was not successful");
  }
  throw Exception(Format("DDE: Error during execute transaction (code: %d)", static_cast<int>(rc)));
}

void TDDE::Request(HCONV conversation, HSZ item, DWORD& size, const char*& data, HDDEDATA& dataHandle,
                   UINT format) {
  dataHandle = DdeClientTransaction(nullptr, 0, conversation, item, format, XTYP_REQUEST, kTimeout, nullptr);
  if (!dataHandle)
    throw Exception(Format("DDE: Error during request transaction (code: %d)",
                           static_cast<int>(DdeGetLastError(Instance))));
  data = reinterpret_cast<const char*>(DdeAccessData(dataHandle, &size));
  if (!data) {
    int code = static_cast<int>(DdeGetLastError(Instance));
    DdeFreeDataHandle(dataHandle);
    dataHandle = nullptr;
    throw Exception(Format("DDE: Error accessing data (code: %d)", code));
  }
}

void TDDE::UnaccessData(HDDEDATA dataHandle) { DdeUnaccessData(dataHandle); }

// TProgmanConversation

TProgmanConversation::TProgmanConversation(TDDE& dde) : dde_(dde) {
  service_ = dde_.CreateStringHandle("PROGMAN");
  try {
    conv_ = dde_.Connect(service_, service_);
  } catch (...) {
    dde_.FreeStringHandle(service_);
    throw;
  }
}

TProgmanConversation::~TProgmanConversation() {
  dde_.Disconnect(conv_);
  dde_.FreeStringHandle(service_);
}

std::string TProgmanConversation::RequestText(const std::string& item) {
  HSZ itemHandle = dde_.CreateStringHandle(item);
  HDDEDATA handle = nullptr;
  std::string text;
  try {
    DWORD size = 0;
    const char* data = nullptr;
    dde_.Request(conv_, itemHandle, size, data, handle, CF_TEXT);
    text.assign(data, size);
    dde_.UnaccessData(handle);
  } catch (...) {
    if (handle) DdeFreeDataHandle(handle);
    dde_.FreeStringHandle(itemHandle);
    throw;
  }
  DdeFreeDataHandle(handle);
  dde_.FreeStringHandle(itemHandle);
  if (size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text;
}
