#include "ExtractDialog.h"

#include <commctrl.h>
#include <shlobj.h>

#include "StubRes.h"
#include "StubTexts.h"

namespace {

constexpr UINT WM_ROBOT = WM_APP + 1;  // the test hook's turn at the window

std::string ItemText(HWND wnd, int id) {
  char buf[MAX_PATH + 1];
  int n = GetDlgItemTextA(wnd, id, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  size_t b = s.find_first_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b);
}

std::string DateText(uint16_t date, uint16_t time) {
  FILETIME ft;
  SYSTEMTIME st;
  if (!DosDateTimeToFileTime(date, time, &ft) || !FileTimeToSystemTime(&ft, &st)) return {};
  char d[64] = "", t[64] = "";
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, d, sizeof d);
  GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, t, sizeof t);
  return std::string(d) + " " + t;
}

bool AskPassword(HWND owner, std::string& password);

class TExtractDialog : public IProgress, public IAsk {
public:
  TExtractDialog(const TDialogSettings& s, IExtractJob& job) : s_(s), job_(job) {}
  ~TExtractDialog() override {
    if (titleFont_) DeleteObject(titleFont_);
  }
  int Run() {
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr),
                                            MAKEINTRESOURCEA(s_.Advanced ? IDD_ADVANCED : IDD_STANDARD), nullptr,
                                            Proc, reinterpret_cast<LPARAM>(this)));
  }

  void BeginFile(const TListedFile& f) override;
  bool Step(uint64_t bytesOfFile) override;
  bool Password(std::string& password) override { return AskPassword(wnd_, password); }
  void WrongPassword() override { Box(stubtext::kWrongPassword, MB_OK | MB_ICONEXCLAMATION); }

private:
  static INT_PTR CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR Handle(UINT msg, WPARAM wp);

  void FormInit();
  void ExtractClick();
  void CancelClick();
  void BrowseClick();
  void RobotTurn();

  void FillList();
  void CollapseFrom(int topId, int nextId);
  void SetBusy(bool busy);
  bool Checked(int i) const;
  void Finish(int code) { EndDialog(wnd_, code); }
  int Box(const std::string& text, UINT flags) { return StubBox(wnd_, text, s_.Caption, flags); }
  void PumpMessages();

  const TDialogSettings& s_;
  IExtractJob& job_;
  HWND wnd_ = nullptr;
  HWND list_ = nullptr;
  HFONT titleFont_ = nullptr;
  bool listShown_ = false;
  bool checkable_ = false;
  bool busy_ = false;
  bool cancel_ = false;
  uint64_t total_ = 0, done_ = 0, current_ = 0;
};

INT_PTR CALLBACK TExtractDialog::Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(wnd, DWLP_USER, lp);
    auto* self = reinterpret_cast<TExtractDialog*>(lp);
    self->wnd_ = wnd;
    self->FormInit();
    return TRUE;
  }
  auto* self = reinterpret_cast<TExtractDialog*>(GetWindowLongPtrA(wnd, DWLP_USER));
  return self ? self->Handle(msg, wp) : FALSE;
}

INT_PTR TExtractDialog::Handle(UINT msg, WPARAM wp) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDOK: ExtractClick(); return TRUE;
        case IDCANCEL: CancelClick(); return TRUE;
        case IDC_BROWSE: BrowseClick(); return TRUE;
      }
      break;
    case WM_ROBOT: RobotTurn(); return TRUE;
  }
  return FALSE;
}

// ---- layout

void TExtractDialog::FormInit() {
  list_ = GetDlgItem(wnd_, IDC_LIST);
  SetWindowTextA(wnd_, s_.Caption.c_str());
  SetDlgItemTextA(wnd_, IDC_FOLDER, s_.Folder.c_str());
  CheckDlgButton(wnd_, IDC_OVERWRITE, s_.Mode == OvrAlways ? BST_CHECKED : BST_UNCHECKED);
  for (const TListedFile& f : job_.Files()) total_ += f.Size;
  SendDlgItemMessageA(wnd_, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 1000));

  listShown_ = s_.Advanced || s_.AskFiles;
  if (s_.Advanced) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(wnd_, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    lf.lfHeight = lf.lfHeight * 3 / 2;
    titleFont_ = CreateFontIndirectA(&lf);
    SendDlgItemMessageA(wnd_, IDC_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
    SetDlgItemTextA(wnd_, IDC_TITLE, s_.Caption.c_str());
    if (s_.AskFiles) SetDlgItemTextA(wnd_, IDC_LISTLABEL, "Files in this archive (untick the ones you do not want):");
  }
  if (listShown_) FillList();
  else CollapseFrom(IDC_LISTLABEL, IDC_OVERWRITE);
  if (s_.HideOverwriteBox) CollapseFrom(IDC_OVERWRITE, IDC_PROGRESS);
  SetDlgItemTextA(wnd_, IDC_STATUS, stubtext::Count(job_.Files().size()).c_str());
  SetForegroundWindow(wnd_);
  if (TStubHook::Get().Active()) PostMessageA(wnd_, WM_ROBOT, 0, 0);
}

void TExtractDialog::FillList() {
  DWORD ex = LVS_EX_FULLROWSELECT | (s_.AskFiles ? LVS_EX_CHECKBOXES : 0);
  SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
  RECT r;
  GetClientRect(list_, &r);
  int width = r.right - GetSystemMetrics(SM_CXVSCROLL);
  struct {
    const char* title;
    int width;
    int format;
  } columns[] = {{"Name", s_.Advanced ? width * 11 / 20 : width, LVCFMT_LEFT},
                 {"Size", width * 3 / 20, LVCFMT_RIGHT},
                 {"Modified", width * 6 / 20, LVCFMT_LEFT}};
  for (int c = 0; c < (s_.Advanced ? 3 : 1); ++c) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.pszText = const_cast<char*>(columns[c].title);
    col.cx = columns[c].width;
    col.fmt = columns[c].format;
    SendMessageA(list_, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&col));
  }
  const auto& files = job_.Files();
  for (size_t i = 0; i < files.size(); ++i) {
    std::string texts[3] = {files[i].Path + (files[i].Folder ? "\\" : ""),
                            files[i].Folder ? "" : std::to_string(files[i].Size),
                            DateText(files[i].DosDate, files[i].DosTime)};
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = texts[0].data();
    SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (int c = 1; c < (s_.Advanced ? 3 : 1); ++c) {
      item.iSubItem = c;
      item.pszText = texts[c].data();
      SendMessageA(list_, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    }
    if (s_.AskFiles) ListView_SetCheckState(list_, static_cast<int>(i), TRUE);
  }
  // A common-controls library without check boxes (Windows 95 as it
  // shipped): every file is extracted.
  checkable_ = s_.AskFiles && !files.empty() && ListView_GetCheckState(list_, 0);
}

// Hides the controls from `topId` down to `nextId` and moves everything
// below up into their place.
void TExtractDialog::CollapseFrom(int topId, int nextId) {
  auto top = [&](HWND c) {
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, wnd_, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  int from = top(GetDlgItem(wnd_, topId)).top, to = top(GetDlgItem(wnd_, nextId)).top, shift = to - from;
  for (HWND c = GetWindow(wnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r = top(c);
    if (r.top >= to) SetWindowPos(c, nullptr, r.left, r.top - shift, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    else if (r.top >= from) ShowWindow(c, SW_HIDE);
  }
  RECT w;
  GetWindowRect(wnd_, &w);
  SetWindowPos(wnd_, nullptr, 0, 0, w.right - w.left, w.bottom - w.top - shift, SWP_NOMOVE | SWP_NOZORDER);
}

bool TExtractDialog::Checked(int i) const { return !checkable_ || ListView_GetCheckState(list_, i); }

void TExtractDialog::SetBusy(bool busy) {
  busy_ = busy;
  for (int id : {IDC_FOLDER, IDC_BROWSE, IDC_LIST, IDC_OVERWRITE, IDOK}) EnableWindow(GetDlgItem(wnd_, id), !busy);
}

// ---- handlers

void TExtractDialog::ExtractClick() {
  if (busy_) return;
  auto again = [&] {
    if (TStubHook::Get().Active()) PostMessageA(wnd_, WM_ROBOT, 0, 0);
  };
  std::string folder = Trimmed(ItemText(wnd_, IDC_FOLDER));
  if (folder.empty()) {
    Box(stubtext::kNoFolder, MB_OK | MB_ICONEXCLAMATION);
    return again();
  }
  const auto& files = job_.Files();
  std::vector<bool> chosen(files.size());
  size_t count = 0;
  for (size_t i = 0; i < files.size(); ++i)
    if ((chosen[i] = Checked(static_cast<int>(i))) && !files[i].Folder) ++count;
  if (count == 0) {
    Box(stubtext::kNoneSelected, MB_OK | MB_ICONEXCLAMATION);
    return again();
  }
  if (!job_.Prepare(chosen, *this)) return again();

  // Every question before anything is written.
  folder = FullPath(folder);
  TWriteSpace space(folder);
  const bool replaceAll = IsDlgButtonChecked(wnd_, IDC_OVERWRITE) == BST_CHECKED && !s_.HideOverwriteBox;
  const OvrOpts mode = replaceAll ? OvrAlways : s_.HideOverwriteBox ? s_.Mode : s_.Mode == OvrNever ? OvrNever : OvrConfirm;
  for (size_t i = 0; i < files.size(); ++i) {
    if (!chosen[i] || files[i].Folder || !IsFile(space.Target(files[i].Path))) continue;
    if (mode == OvrNever) chosen[i] = false;
    else if (mode == OvrConfirm)
      switch (Box(stubtext::Exists(space.Target(files[i].Path)), MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES: break;
        case IDNO: chosen[i] = false; break;
        default: return again();
      }
  }

  if (!space.MakeFolder()) {
    Box(stubtext::FolderFailed(folder, SystemErrorText(space.Error())), MB_OK | MB_ICONEXCLAMATION);
    return again();
  }
  SetBusy(true);
  cancel_ = false;
  done_ = current_ = 0;
  std::string failed;
  bool encrypted = false;
  TJobResult r = job_.Extract(chosen, space, *this, failed, encrypted);
  if (r == TJobResult::Done && cancel_) r = TJobResult::Stopped;
  switch (r) {
    case TJobResult::Stopped:
      space.Discard();
      TStubHook::Get().Log("stopped");
      return Finish(seCancelled);
    case TJobResult::Damaged:
      space.Discard();
      Box(stubtext::FileDamaged(failed, encrypted), MB_OK | MB_ICONSTOP);
      return Finish(seFailed);
    case TJobResult::WriteFailed: {
      DWORD error = space.Error();
      space.Discard();
      Box(stubtext::WriteFailed(space.Target(failed), SystemErrorText(error)), MB_OK | MB_ICONSTOP);
      return Finish(seFailed);
    }
    case TJobResult::Done: break;
  }
  if (!space.Commit(failed)) {
    Box(stubtext::ReplaceFailed(failed, SystemErrorText(space.Error())), MB_OK | MB_ICONSTOP);
    return Finish(seFailed);
  }
  SendDlgItemMessageA(wnd_, IDC_PROGRESS, PBM_SETPOS, 1000, 0);
  bool ran = false;
  if (!s_.CommandLine.empty() &&
      (!s_.AskCommand || Box(stubtext::RunQuestion(s_.CommandLine), MB_YESNO | MB_ICONQUESTION) == IDYES)) {
    DWORD error = 0;
    ran = RunCommand(s_.CommandLine, folder, error);
    if (!ran) Box(stubtext::RunFailed(s_.CommandLine, SystemErrorText(error)), MB_OK | MB_ICONEXCLAMATION);
  }
  if (!ran) Box(stubtext::Extracted(space.Committed(), folder), MB_OK | MB_ICONINFORMATION);
  Finish(seDone);
}

void TExtractDialog::CancelClick() {
  if (busy_) cancel_ = true;
  else Finish(seCancelled);
}

int CALLBACK BrowseStart(HWND wnd, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED) SendMessageA(wnd, BFFM_SETSELECTIONA, TRUE, data);
  return 0;
}

void TExtractDialog::BrowseClick() {
  std::string start = FullPath(Trimmed(ItemText(wnd_, IDC_FOLDER)));
  BROWSEINFOA bi{};
  bi.hwndOwner = wnd_;
  bi.lpszTitle = "Extract the files to this folder:";
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  bi.lpfn = BrowseStart;
  bi.lParam = reinterpret_cast<LPARAM>(start.c_str());
  LPITEMIDLIST pidl = SHBrowseForFolderA(&bi);
  if (!pidl) return;
  char path[MAX_PATH];
  if (SHGetPathFromIDListA(pidl, path)) SetDlgItemTextA(wnd_, IDC_FOLDER, path);
  CoTaskMemFree(pidl);
}

// ---- progress

void TExtractDialog::BeginFile(const TListedFile& f) {
  done_ += current_;
  current_ = f.Size;
  SetDlgItemTextA(wnd_, IDC_STATUS, ("Extracting " + f.Path).c_str());
  if (TStubHook::Get().Take("stop")) {
    TStubHook::Get().Log("stop at " + f.Path);
    SendDlgItemMessageA(wnd_, IDCANCEL, BM_CLICK, 0, 0);
  }
  PumpMessages();
}

bool TExtractDialog::Step(uint64_t bytesOfFile) {
  uint64_t at = done_ + bytesOfFile;
  SendDlgItemMessageA(wnd_, IDC_PROGRESS, PBM_SETPOS, total_ ? static_cast<WPARAM>(at * 1000 / total_) : 0, 0);
  PumpMessages();
  return !cancel_;
}

void TExtractDialog::PumpMessages() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      cancel_ = true;
      return;
    }
    if (!IsDialogMessageA(wnd_, &m)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
}

// ---- the test hook

void TExtractDialog::RobotTurn() {
  TStubHook& hook = TStubHook::Get();
  hook.Log("window " + s_.Caption);
  hook.Log("folder " + ItemText(wnd_, IDC_FOLDER));
  if (listShown_) {
    std::string names;
    for (const TListedFile& f : job_.Files()) names += (names.empty() ? "" : " | ") + f.Path;
    hook.Log("list " + names + (s_.AskFiles ? " (checkable)" : ""));
  }
  hook.Log(s_.HideOverwriteBox ? "overwrite box hidden"
                               : std::string("overwrite box ") +
                                     (IsDlgButtonChecked(wnd_, IDC_OVERWRITE) == BST_CHECKED ? "on" : "off"));
  std::string word, rest;
  while (hook.Take("folder|untick|overwrite|extract|cancel", word, rest)) {
    if (word == "folder") SetDlgItemTextA(wnd_, IDC_FOLDER, rest.c_str());
    else if (word == "overwrite") CheckDlgButton(wnd_, IDC_OVERWRITE, rest == "on" ? BST_CHECKED : BST_UNCHECKED);
    else if (word == "untick") {
      const auto& files = job_.Files();
      for (size_t i = 0; i < files.size(); ++i)
        if (files[i].Path == rest) ListView_SetCheckState(list_, static_cast<int>(i), FALSE);
    } else {
      SendDlgItemMessageA(wnd_, word == "extract" ? IDOK : IDCANCEL, BM_CLICK, 0, 0);
      return;
    }
  }
  hook.Log("window left without an answer");
  SendDlgItemMessageA(wnd_, IDCANCEL, BM_CLICK, 0, 0);
}

// ---- password

INT_PTR CALLBACK PasswordProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: SetWindowLongPtrA(wnd, DWLP_USER, lp); return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) *reinterpret_cast<std::string*>(GetWindowLongPtrA(wnd, DWLP_USER)) = ItemText(wnd, IDC_PASSWORD);
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(wnd, LOWORD(wp));
      return TRUE;
  }
  return FALSE;
}

bool AskPassword(HWND owner, std::string& password) {
  TStubHook& hook = TStubHook::Get();
  if (hook.Active()) {
    std::string word, rest;
    bool given = hook.Take("password|cancel", word, rest) && word == "password";
    hook.Log(std::string("password -> ") + (given ? "given" : "cancel"));
    if (given) password = rest;
    return given;
  }
  std::string text;
  if (DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PASSWORD), owner, PasswordProc,
                      reinterpret_cast<LPARAM>(&text)) != IDOK)
    return false;
  password = text;
  return true;
}

}  // namespace

int WindowStubMain(int (*run)()) {
  StartStub();
  InitCommonControls();
  return EndStub(run());
}

int RunExtractDialog(const TDialogSettings& settings, IExtractJob& job) {
  TExtractDialog dialog(settings, job);
  return dialog.Run();
}

