// Win32 side shared by the extractor stubs: the program's own file, the
// test hook, message boxes and prompts, folders, and files written under a
// temporary name and renamed once they are whole.
#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "Handles.h"
#include "SFXArchive.h"

// Exit codes of every stub.
enum TStubExit { seDone = 0, seFailed = 1, seCancelled = 2 };

// Moves a file's pointer; `now` gets where it ends up. Calls that Windows
// 95 and NT 4 have too.
bool MovePointer(HANDLE file, int64_t distance, DWORD from, uint64_t* now = nullptr);

// The program's own file, read from anywhere.
class TSelfFile : public zipfmt::IByteSource {
public:
  // Opens the running program; false when it cannot be read.
  bool Open();
  const std::string& Path() const { return path_; }
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* buf, size_t n) override;

private:
  THandleGuard file_;
  std::string path_;
  uint64_t size_ = 0;
};

// The test hook. With TZ_STUB_LOG naming a file, the stub appends to it
// what it shows and does, shows no modal box and takes its answers, one a
// line, from the file that TZ_STUB_ANSWERS names. Without it the stub runs
// as a user sees it.
class TStubHook {
public:
  static TStubHook& Get();
  bool Active() const { return !logPath_.empty(); }
  void Log(const std::string& line);
  // Takes the next answer when it starts with `word` (one of several,
  // separated by '|'); `rest` gets what follows the word and a blank.
  bool Take(const char* words, std::string& taken, std::string& rest);
  bool Take(const char* words) {
    std::string a, b;
    return Take(words, a, b);
  }

private:
  TStubHook();
  std::string logPath_;
  std::deque<std::string> answers_;
};

// The program's name in the log's first line, set by each stub.
extern const char* const kStubName;
// Logs the command line; call first thing.
void StartStub();
// Logs the exit code and returns it.
int EndStub(int code);

// A message box, or its logged answer under the test hook: the scripted
// one, else Cancel, No or OK, in that order of preference.
int StubBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// The running program's file name without its folder.
std::string SelfName();

// Folder helpers.
std::string CurrentFolder();
bool IsFolder(const std::string& path);
bool IsFile(const std::string& path);
std::string FullPath(const std::string& path);
std::string WithBackslash(const std::string& folder);
std::string SystemErrorText(DWORD code);

// An entry name made by a DOS or Windows zip program is in the OEM code
// page; the file system wants the ANSI one.
std::string OemToAnsi(const std::string& s);

// Where the files of one extraction go. Each file is written under a
// temporary name beside its final place; Commit renames them all. Without a
// Commit, every temporary file and every folder this extraction made is
// removed again.
class TWriteSpace : public sfx::IOutput {
public:
  explicit TWriteSpace(const std::string& folder) : folder_(WithBackslash(folder)) {}
  ~TWriteSpace() override { Discard(); }
  TWriteSpace(const TWriteSpace&) = delete;
  TWriteSpace& operator=(const TWriteSpace&) = delete;

  const std::string& Folder() const { return folder_; }
  std::string Target(const std::string& rel) const { return folder_ + rel; }
  // Makes the folder, or one below it, with the folders above it.
  bool MakeFolder(const std::string& rel = "");
  // One file: a new temporary file for `rel`, its bytes, then its time
  // stamp (DOS date and time, local) and the queue for the rename.
  bool BeginFile(const std::string& rel);
  bool Write(const uint8_t* p, size_t n) override;
  bool EndFile(uint16_t dosDate, uint16_t dosTime);
  // Renames every finished file onto its final name, replacing what is
  // there. On failure `failed` names the file and the rest are discarded.
  bool Commit(std::string& failed);
  void Discard();
  size_t Committed() const { return committed_; }
  // The system's error code of the last failure.
  DWORD Error() const { return error_; }

private:
  bool Fail();
  struct TPending {
    std::string Temp, Final;
  };
  std::string folder_;
  std::vector<std::string> madeFolders_;
  std::vector<TPending> pending_;
  TPending open_;
  THandleGuard file_;
  size_t committed_ = 0;
  DWORD error_ = 0;
};

// Starts a command line with `folder` as the current folder. On failure
// returns false with the system's error code.
bool RunCommand(const std::string& commandLine, const std::string& folder, DWORD& error);
