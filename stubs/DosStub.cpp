// The console zip extractor. Without arguments it extracts the zip behind
// itself into the current folder; with "-t" it checks every entry and
// writes nothing. Questions are asked on the console.
#include <windows.h>

#include "StubTexts.h"
#include "ZipJob.h"

const char* const kStubName = STUB_NAME;

namespace {

class TConsole : public IAsk, public IProgress {
public:
  TConsole() : in_(GetStdHandle(STD_INPUT_HANDLE)), out_(GetStdHandle(STD_OUTPUT_HANDLE)) {}

  void Write(const std::string& text) {
    DWORD done = 0;
    WriteFile(out_, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
  }
  void Line(const std::string& text) { Write(text + "\r\n"); }
  // One line of input without its end; false at the end of the input.
  bool ReadLine(std::string& line, bool hidden = false) {
    DWORD mode = 0;
    bool console = GetConsoleMode(in_, &mode);
    if (hidden && console) SetConsoleMode(in_, mode & ~ENABLE_ECHO_INPUT);
    line.clear();
    bool any = false;
    char c;
    DWORD got = 0;
    while (ReadFile(in_, &c, 1, &got, nullptr) && got == 1) {
      any = true;
      if (c == '\n') break;
      if (c != '\r') line += c;
    }
    if (hidden && console) {
      SetConsoleMode(in_, mode);
      Write("\r\n");
    }
    return any;
  }
  // Waits for Enter when the console was made for this program alone, so
  // that a double-clicked extractor does not close before it can be read.
  void PauseIfOwnConsole() {
    DWORD mode = 0;
    if (TStubHook::Get().Active() || !GetConsoleMode(in_, &mode)) return;
    using TList = DWORD(WINAPI*)(LPDWORD, DWORD);
    auto list = reinterpret_cast<TList>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetConsoleProcessList")));
    DWORD ids[2];
    if (!list || list(ids, 2) != 1) return;
    Write("Press Enter to close.");
    std::string line;
    ReadLine(line);
  }

  bool Password(std::string& password) override {
    Write("Password: ");
    return ReadLine(password, true) && !password.empty();
  }
  void WrongPassword() override { Line(stubtext::kWrongPassword); }
  void BeginFile(const TListedFile& f) override { Line("Extracting " + f.Path); }
  bool Step(uint64_t) override { return true; }

private:
  HANDLE in_, out_;
};

class TNullOutput : public sfx::IOutput {
public:
  bool Write(const uint8_t*, size_t) override { return true; }
};

int Test(TConsole& con, TZipJob& job) {
  size_t checked = 0, bad = 0;
  TNullOutput none;
  for (size_t i = 0; i < job.Files().size(); ++i) {
    const TListedFile& f = job.Files()[i];
    if (f.Folder) continue;
    ++checked;
    sfx::TDataResult r = job.Decode(i, none, nullptr);
    if (r != sfx::TDataResult::Ok) ++bad;
    con.Line(std::string(r == sfx::TDataResult::Ok ? "  OK       " : "  DAMAGED  ") + f.Path);
  }
  if (bad) {
    con.Line(std::to_string(bad) + " of " + stubtext::Count(checked) + " damaged.");
    return seFailed;
  }
  con.Line(stubtext::Sound(checked));
  return seDone;
}

int Extract(TConsole& con, TZipJob& job, std::vector<bool> chosen) {
  std::string folder = CurrentFolder();
  TWriteSpace space(folder);
  bool all = false;
  for (size_t i = 0; i < job.Files().size(); ++i) {
    const TListedFile& f = job.Files()[i];
    if (f.Folder || all || !IsFile(space.Target(f.Path))) continue;
    for (;;) {
      con.Write("\"" + f.Path + "\" already exists. Replace it? (y)es, (n)o, (a)ll, (q)uit: ");
      std::string answer;
      if (!con.ReadLine(answer)) answer = "q";
      char c = answer.empty() ? 0 : static_cast<char>(answer[0] | 0x20);
      if (c == 'y') break;
      if (c == 'a') {
        all = true;
        break;
      }
      if (c == 'n') {
        chosen[i] = false;
        break;
      }
      if (c == 'q') {
        con.Line("Nothing was extracted.");
        return seCancelled;
      }
    }
  }
  std::string failed;
  bool encrypted = false;
  switch (job.Extract(chosen, space, con, failed, encrypted)) {
    case TJobResult::Done: break;
    case TJobResult::Stopped: return seCancelled;
    case TJobResult::Damaged:
      space.Discard();
      con.Line(stubtext::FileDamaged(failed, encrypted));
      return seFailed;
    case TJobResult::WriteFailed: {
      DWORD error = space.Error();
      space.Discard();
      con.Line(stubtext::WriteFailed(space.Target(failed), SystemErrorText(error)));
      return seFailed;
    }
  }
  if (!space.Commit(failed)) {
    con.Line(stubtext::ReplaceFailed(failed, SystemErrorText(space.Error())));
    return seFailed;
  }
  con.Line(stubtext::Extracted(space.Committed(), folder));
  return seDone;
}

int Run(TConsole& con) {
  TSelfFile self;
  if (!self.Open()) {
    con.Line(stubtext::kNoArchive);
    return seFailed;
  }
  std::string args = sfx::ArgumentsOf(GetCommandLineA(), self.Path());
  bool test = args == "-t" || args == "-T";
  if (!test && !args.empty()) {
    con.Line("Usage: " + SelfName() + " [-t]\r\n" +
             "  Without options the files are extracted into the current folder.\r\n" +
             "  -t  tests the archive and writes nothing.");
    return seFailed;
  }
  TZipJob job;
  std::string problem;
  if (!job.Open(self, problem)) {
    con.Line(problem);
    return seFailed;
  }
  std::vector<bool> chosen(job.Files().size(), true);
  if (!job.Prepare(chosen, con)) {
    con.Line(test ? "Nothing was tested." : "Nothing was extracted.");
    return seCancelled;
  }
  return test ? Test(con, job) : Extract(con, job, chosen);
}

}  // namespace

int main() {
  StartStub();
  TConsole con;
  int code = Run(con);
  con.PauseIfOwnConsole();
  return EndStub(code);
}
