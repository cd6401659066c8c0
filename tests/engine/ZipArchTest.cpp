// The zip component through our ZIPDLL.DLL, and through stand-in libraries
// for the block, the callback and the load failures.
#include "ZipArch.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "Forms.h"
#include "Handles.h"
#include "Robot.h"
#include "ZipTestKit.h"

using namespace ziptest;

namespace {

struct TMsg {
  int Code;
  std::string Text;
};

class ZipArch : public ::testing::Test {
protected:
  void SetUp() override {
    zip.SetDLLDirectory(DistPath(""));
    zip.Unattended = true;
    // What went in is listed apart from the other messages.
    zip.OnMessage = [this](TComponent*, int code, const std::string& text) {
      if (code == zeAdded) added.push_back(text);
      else messages.push_back({code, text});
    };
  }
  std::string File(const std::string& rel, const std::string& content) {
    std::string path = tmp / rel;
    size_t cut = path.find_last_of('\\');
    MakeDirs(path.substr(0, cut));
    WriteFileBytes(path, content);
    return path;
  }
  int Add(const std::string& zipName, std::vector<std::string> specs, AddOpts options = {}) {
    zip.AddOptions = options;
    zip.SetZipFilename(zipName);
    zip.SetFSpecArgs(specs);
    zip.AddFiles();
    return zip.AddedCount();
  }
  std::vector<int> Codes() const {
    std::vector<int> c;
    for (const auto& m : messages) c.push_back(m.Code);
    return c;
  }

  TRobot robot;
  TTempDir tmp;
  TZipArchiver zip{nullptr};
  std::vector<TMsg> messages;
  std::vector<std::string> added;  // full paths, as the library names them
};

TEST_F(ZipArch, EveryLevelMakesAZipThatReadersAccept) {
  std::string a = Sample(50000, 1), b = Sample(9000, 2);
  File("src\\a.txt", a);
  File("src\\b.bin", b);
  File("src\\empty.txt", "");
  for (int level : {0, 1, 5, 9}) {
    SCOPED_TRACE(level);
    std::string out = tmp / ("level" + std::to_string(level) + ".zip");
    zip.AddCompLevel = level;
    EXPECT_EQ(Add(out, {tmp / "src\\*.*"}), 3);
    auto dir = ReadDir(out);
    ASSERT_EQ(dir.Entries.size(), 3u);
    for (const auto& e : dir.Entries) EXPECT_EQ(e.Method, level ? 8 : 0) << e.Name;
    EXPECT_EQ(zip.Count(), 3);
    EXPECT_EQ(zip.SFXOffset(), 0u);
    TExpect x;
    x.Entries = {{"a.txt", a}, {"b.bin", b}, {"empty.txt", ""}};
    x.Method = level ? 8 : 0;
    ExpectForReaders(out, "arch", "level" + std::to_string(level) + ".zip", x);
  }
}

TEST_F(ZipArch, PasswordEncryptsEveryEntry) {
  std::string a = Sample(20000, 3);
  File("src\\secret.txt", a);
  File("src\\tiny.txt", "x");
  for (int level : {0, 9}) {
    std::string out = tmp / ("enc" + std::to_string(level) + ".zip");
    zip.AddCompLevel = level;
    zip.SetPassword("Tidy pass-80 \xE9t\xE9");
    EXPECT_EQ(Add(out, {tmp / "src\\*.*"}, {AddEncrypt}), 2);
    for (const auto& e : ReadDir(out).Entries) EXPECT_TRUE(e.Flags & 1) << e.Name;
    TExpect x;
    x.Entries = {{"secret.txt", a}, {"tiny.txt", "x"}};
    x.Password = "Tidy pass-80 \xE9t\xE9";
    ExpectForReaders(out, "arch", "enc" + std::to_string(level) + ".zip", x);
  }
}

TEST_F(ZipArch, LargeFilesComeBackWholeWithProgressInOrder) {
  // Files over a megabyte are compressed in pieces on worker threads; the
  // callbacks still come in file order, on this thread, one per 32 KB.
  std::string big = Sample(2500000, 21), noise;
  for (unsigned x = 77; noise.size() < 1300000;) noise += static_cast<char>((x = x * 1103515245u + 12345u) >> 16);
  File("src\\big.txt", big);
  File("src\\noise.bin", noise);
  File("src\\small.txt", "small");
  struct {
    const char* Name;
    int Level;
    const char* Password;
  } rows[] = {{"big0.zip", 0, nullptr}, {"big9.zip", 9, nullptr}, {"bigenc.zip", 9, "pieces"}};
  const DWORD thread = GetCurrentThreadId();
  for (const auto& r : rows) {
    SCOPED_TRACE(r.Name);
    std::vector<std::string> begun;
    std::map<std::string, int> pieces;
    bool otherThread = false;
    zip.OnProgress = [&](TComponent*, ProgressType t, const std::string& name, int) {
      otherThread |= GetCurrentThreadId() != thread;
      if (t == NewFile) begun.push_back(name);
      if (t == ProgressUpdate && !begun.empty()) ++pieces[begun.back()];
    };
    zip.AddCompLevel = r.Level;
    zip.SetPassword(r.Password ? r.Password : "");
    std::string out = tmp / r.Name;
    EXPECT_EQ(Add(out, {tmp / "src\\*.*"}, r.Password ? AddOpts{AddEncrypt} : AddOpts{}), 3);
    EXPECT_FALSE(otherThread);
    EXPECT_EQ(begun, (std::vector<std::string>{"big.txt", "noise.bin", "small.txt"}));
    EXPECT_EQ(pieces["big.txt"], (2500000 + 32767) / 32768);
    EXPECT_EQ(pieces["noise.bin"], (1300000 + 32767) / 32768);
    EXPECT_EQ(pieces["small.txt"], 1);
    TExpect x;
    x.Entries = {{"big.txt", big}, {"noise.bin", noise}, {"small.txt", "small"}};
    if (r.Password) x.Password = r.Password;
    x.Method = r.Level ? 8 : 0;
    ExpectForReaders(out, "arch", r.Name, x);
  }
}

TEST_F(ZipArch, AFileThatCannotBeReadEndsTheRun) {
  // Held without sharing, or open for writing by another program: no zip
  // leaves it out. Small files are read on the workers, large ones on the
  // library's own thread.
  std::string big = Sample(400000, 22);
  File("src\\a.txt", "alpha");
  File("src\\b.txt", big);
  struct Row { const char* name; const char* file; DWORD access, share; };
  const Row rows[] = {
      {"small, held", "src\\c.txt", GENERIC_READ, 0},
      {"large, held", "src\\d.txt", GENERIC_READ, 0},
      {"small, written", "src\\c.txt", GENERIC_WRITE, FILE_SHARE_READ},
      {"large, written", "src\\d.txt", GENERIC_WRITE, FILE_SHARE_READ},
  };
  File("src\\c.txt", "locked small");
  File("src\\d.txt", Sample(300000, 23));
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    messages.clear();
    added.clear();
    THandleGuard held(CreateFileA((tmp / r.file).c_str(), r.access, r.share, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.Valid());
    std::string out = tmp / "skip.zip";
    EXPECT_EQ(Add(out, {tmp / "src\\*.*"}), 0);
    EXPECT_EQ(Codes(), (std::vector<int>{zeOpenFile}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Text, "Could not open for reading: " + tmp / r.file);
    EXPECT_FALSE(FileExists(out));
    EXPECT_TRUE(added.empty());
  }
}

TEST_F(ZipArch, AFileChangedSinceItWasListedEndsTheRun) {
  // Changed between the listing and the reading (here at the first file's
  // report): shortened, or rewritten in place with another time.
  struct Row { const char* name; size_t size; bool shorten; };
  const Row rows[] = {{"small, shortened", 5000, true}, {"small, rewritten", 5000, false},
                      {"large, shortened", 3000000, true}, {"large, rewritten", 3000000, false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    messages.clear();
    File("chg\\a.txt", "first");
    const std::string b = File("chg\\b.txt", Sample(r.size, 31));
    zip.OnProgress = [&](TComponent*, ProgressType t, const std::string& name, int) {
      if (t != NewFile || name != "a.txt") return;
      std::string now = Sample(r.size, 32);
      if (r.shorten) now.resize(r.size / 3);
      WriteFileBytes(b, now);
      THandleGuard h(CreateFileA(b.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      FILETIME t2{0x12345678, 0x01D00000};
      SetFileTime(h.Get(), nullptr, nullptr, &t2);
    };
    std::string out = tmp / "chg.zip";
    DeleteFileA(out.c_str());
    EXPECT_EQ(Add(out, {tmp / "chg\\a.txt", b}), 0);
    zip.OnProgress = nullptr;
    EXPECT_EQ(Codes(), (std::vector<int>{zeFileChanged}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Text, "File changed while it was added: " + b);
    EXPECT_FALSE(FileExists(out));
  }
}

TEST_F(ZipArch, TheLibraryNamesEveryFileItAdded) {
  File("src\\a.txt", "alpha");
  File("src\\sub\\b.txt", "beta");
  std::string out = tmp / "named.zip";
  EXPECT_EQ(Add(out, {tmp / "src\\*.*"}, {AddRecurseDirs}), 2);
  EXPECT_EQ(added, (std::vector<std::string>{tmp / "src\\a.txt", tmp / "src\\sub\\b.txt"}));
}

TEST_F(ZipArch, NamesMatchWithoutRegardToCase) {
  // Within one run a second file of the same stored name is skipped, and
  // against the archive's entries a file replaces the entry of its name.
  File("one\\Notes.TXT", "first");
  File("two\\NOTES.txt", "second");
  File("two\\other.txt", "other");
  std::string out = tmp / "case.zip";
  EXPECT_EQ(Add(out, {tmp / "one\\*.*", tmp / "two\\*.*"}), 2);
  EXPECT_EQ(Codes(), std::vector<int>{zeWarning});
  EXPECT_EQ(messages.at(0).Text, "Duplicate name skipped: " + tmp / "two\\NOTES.txt");
  EXPECT_EQ(Names(out), (std::vector<std::string>{"Notes.TXT", "other.txt"}));

  File("three\\notes.TXT", "third");
  EXPECT_EQ(Add(out, {tmp / "three\\*.*"}), 1);
  auto names = Names(out);
  ASSERT_EQ(names.size(), 2u);
  TExpect x;
  x.Entries = {{names[0], "third"}, {"other.txt", "other"}};
  ExpectForReaders(out, "arch", "case.zip", x);
}

TEST_F(ZipArch, FolderNamesAndRecursionShapeTheStoredNames) {
  File("root\\top.txt", "top");
  File("root\\sub\\inner.txt", "inner");
  File("root\\sub\\deeper\\deep.txt", "deep");
  File("root\\sub\\note.doc", "doc");
  std::string p = StoredPath(tmp / "root") + "/";
  struct {
    const char* Name;
    AddOpts Options;
    std::string Spec;
    std::set<std::string> Stored;
  } rows[] = {
      {"flat", {}, "*.*", {"top.txt"}},
      {"recursive, names dropped", {AddRecurseDirs}, "*.*", {"top.txt", "inner.txt", "deep.txt", "note.doc"}},
      {"names kept", {AddDirNames}, "*.*", {p + "top.txt"}},
      {"recursive, names kept", {AddDirNames, AddRecurseDirs}, "*.*",
       {p + "top.txt", p + "sub/inner.txt", p + "sub/deeper/deep.txt", p + "sub/note.doc"}},
      {"wildcard in the last part", {AddDirNames, AddRecurseDirs}, "*.txt",
       {p + "top.txt", p + "sub/inner.txt", p + "sub/deeper/deep.txt"}},
      {"wildcard, flat", {}, "t?p.*", {"top.txt"}},
  };
  int n = 0;
  for (const auto& r : rows) {
    SCOPED_TRACE(r.Name);
    std::string out = tmp / ("names" + std::to_string(++n) + ".zip");
    EXPECT_EQ(Add(out, {tmp / ("root\\" + r.Spec)}, r.Options), static_cast<int>(r.Stored.size()));
    auto names = Names(out);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), r.Stored);
    TExpect x;
    for (const std::string& s : r.Stored) {
      std::string base = s.substr(s.find_last_of('/') + 1);
      x.Entries[s] = base == "top.txt" ? "top" : base == "inner.txt" ? "inner" : base == "deep.txt" ? "deep" : "doc";
    }
    ExpectForReaders(out, "arch", "names" + std::to_string(n) + ".zip", x);
  }
}

TEST_F(ZipArch, HiddenAndSystemFilesOnlyWhenAsked) {
  File("src\\plain.txt", "plain");
  std::string hidden = File("src\\hidden.txt", "hidden");
  std::string system = File("src\\system.txt", "system");
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA(system.c_str(), FILE_ATTRIBUTE_SYSTEM);
  if (!(GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN) ||
      !(GetFileAttributesA(system.c_str()) & FILE_ATTRIBUTE_SYSTEM))
    GTEST_SKIP() << "this file system keeps no DOS attributes";
  EXPECT_EQ(Add(tmp / "plain.zip", {tmp / "src\\*.*"}), 1);
  EXPECT_EQ(Names(tmp / "plain.zip"), std::vector<std::string>{"plain.txt"});
  EXPECT_EQ(Add(tmp / "all.zip", {tmp / "src\\*.*"}, {AddHiddenFiles}), 3);
  EXPECT_EQ(Names(tmp / "all.zip").size(), 3u);
}

TEST_F(ZipArch, ForcedDosNamesAreEightDotThree) {
  File("Long Folder Name\\long file name.text", "one");
  File("Long Folder Name\\page.html", "two");
  std::string out = tmp / "dos.zip";
  EXPECT_EQ(Add(out, {tmp / "Long Folder Name\\*.*"}, {AddForceDOS}), 2);
  auto names = Names(out);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), (std::set<std::string>{"LONGFILE.TEX", "PAGE.HTM"}));
  EXPECT_EQ(Add(tmp / "dosdirs.zip", {tmp / "Long Folder Name\\page.html"}, {AddForceDOS, AddDirNames}), 1);
  std::string stored = Names(tmp / "dosdirs.zip").at(0);
  EXPECT_EQ(stored.substr(stored.size() - 18), "/LONGFOLD/PAGE.HTM");
  TExpect x;
  x.Entries = {{"LONGFILE.TEX", "one"}, {"PAGE.HTM", "two"}};
  ExpectForReaders(out, "arch", "dos.zip", x);
}

TEST_F(ZipArch, MoveDeletesSourcesOnlyAfterTheArchiveIsWritten) {
  std::string a = File("src\\a.txt", "alpha"), b = File("src\\b.txt", "beta");
  // Stopped halfway: nothing written, nothing deleted.
  zip.OnProgress = [this](TComponent*, ProgressType t, const std::string&, int) {
    if (t == NewFile && zip.Count() == 0) zip.Cancel = true;
  };
  EXPECT_EQ(Add(tmp / "moved.zip", {tmp / "src\\*.*"}, {AddMove}), 0);
  EXPECT_FALSE(FileExists(tmp / "moved.zip"));
  EXPECT_TRUE(FileExists(a) && FileExists(b));
  zip.OnProgress = nullptr;
  EXPECT_EQ(Add(tmp / "moved.zip", {tmp / "src\\*.*"}, {AddMove}), 2);
  EXPECT_FALSE(FileExists(a) || FileExists(b));
  TExpect x;
  x.Entries = {{"a.txt", "alpha"}, {"b.txt", "beta"}};
  ExpectForReaders(tmp / "moved.zip", "arch", "moved.zip", x);
}

TEST_F(ZipArch, CallbackStopLeavesTheOldArchiveAsItWas) {
  File("src\\a.txt", Sample(100000, 5));
  std::string out = tmp / "old.zip";
  ASSERT_EQ(Add(out, {tmp / "src\\a.txt"}), 1);
  std::string before = ReadFileBytes(out);
  File("src\\b.txt", Sample(200000, 6));
  File("src\\a.txt", "changed");
  int pieces = 0;
  zip.OnProgress = [&](TComponent*, ProgressType t, const std::string&, int) {
    if (t == ProgressUpdate && ++pieces == 2) zip.Cancel = true;
  };
  EXPECT_EQ(Add(out, {tmp / "src\\*.*"}), 0);
  EXPECT_EQ(ReadFileBytes(out), before);
  EXPECT_FALSE(zip.Busy());
  EXPECT_FALSE(zip.Cancel);
  // No temporary file is left beside it.
  WIN32_FIND_DATAA fd;
  int files = 0;
  HANDLE h = FindFirstFileA((tmp / "*").c_str(), &fd);
  do
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
  while (FindNextFileA(h, &fd));
  FindClose(h);
  EXPECT_EQ(files, 1);
}

TEST_F(ZipArch, UpdateAndFreshenReplaceOnlyNewerFiles) {
  struct {
    const char* Name;
    AddOpts Options;
    int Added;
    std::set<std::string> Names;
    const char* AContent;
  } rows[] = {
      {"plain add replaces all", {}, 3, {"a.txt", "b.txt", "c.txt"}, "new a"},
      {"freshen", {AddFreshen}, 1, {"a.txt", "b.txt"}, "new a"},
      {"update", {AddUpdate}, 2, {"a.txt", "b.txt", "c.txt"}, "new a"},
  };
  int n = 0;
  for (const auto& r : rows) {
    SCOPED_TRACE(r.Name);
    std::string a = File("src\\a.txt", "old a"), b = File("src\\b.txt", "b");
    DeleteFileA((tmp / "src\\c.txt").c_str());
    SetWriteTime(a, 2001, 1, 1, 12);
    SetWriteTime(b, 2001, 1, 1, 12);
    std::string out = tmp / ("upd" + std::to_string(++n) + ".zip");
    ASSERT_EQ(Add(out, {tmp / "src\\*.*"}), 2);
    File("src\\a.txt", "new a");
    SetWriteTime(a, 2002, 1, 1, 12);
    File("src\\c.txt", "c");
    EXPECT_EQ(Add(out, {tmp / "src\\*.*"}, r.Options), r.Added);
    auto names = Names(out);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), r.Names);
    TExpect x;
    x.Entries = {{"a.txt", r.AContent}, {"b.txt", "b"}};
    if (r.Names.count("c.txt")) x.Entries["c.txt"] = "c";
    ExpectForReaders(out, "arch", "upd" + std::to_string(n) + ".zip", x);
  }
  // Everything up to date: the archive is left alone.
  std::string out = tmp / "upd3.zip";
  std::string before = ReadFileBytes(out);
  EXPECT_EQ(Add(out, {tmp / "src\\*.*"}, {AddUpdate}), 0);
  EXPECT_EQ(ReadFileBytes(out), before);
}

TEST_F(ZipArch, ArchiveInsideTheSourceFolderIsNotAddedToItself) {
  File("src\\a.txt", Sample(3000, 12));
  std::string out = tmp / "src\\self.zip";
  zip.Verbose = true;
  EXPECT_EQ(Add(out, {tmp / "src\\*.*"}), 1);
  EXPECT_EQ(Add(out, {tmp / "src\\*.*"}), 1);
  EXPECT_EQ(Names(out), std::vector<std::string>{"a.txt"});
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().Code, zeNone);
  EXPECT_EQ(messages.back().Text.rfind("  adding: a.txt (deflated ", 0), 0u) << messages.back().Text;

  // A specification that matches nothing: a warning, and no archive.
  messages.clear();
  EXPECT_EQ(Add(tmp / "none.zip", {tmp / "src\\*.doc"}), 0);
  EXPECT_EQ(Codes(), (std::vector<int>{zeWarning, zeNothingToDo}));
  EXPECT_EQ(messages[0].Text, "Name not matched: " + tmp / "src\\*.doc");
  EXPECT_FALSE(FileExists(tmp / "none.zip"));
}

TEST_F(ZipArch, ZipTimeIsTheNewestEntry) {
  std::string a = File("src\\a.txt", "a"), b = File("src\\b.txt", "b");
  SetWriteTime(a, 2003, 5, 6, 10);
  SetWriteTime(b, 2004, 7, 8, 9);
  std::string out = tmp / "timed.zip";
  ASSERT_EQ(Add(out, {tmp / "src\\*.*"}, {AddZipTime}), 2);
  WIN32_FILE_ATTRIBUTE_DATA fa;
  ASSERT_TRUE(GetFileAttributesExA(out.c_str(), GetFileExInfoStandard, &fa));
  FILETIME local;
  SYSTEMTIME st;
  FileTimeToLocalFileTime(&fa.ftLastWriteTime, &local);
  FileTimeToSystemTime(&local, &st);
  EXPECT_EQ(st.wYear, 2004);
  EXPECT_EQ(st.wMonth, 7);
  EXPECT_EQ(st.wDay, 8);
  EXPECT_EQ(st.wHour, 9);
}

TEST_F(ZipArch, AddingKeepsTheBytesInFrontAndTheEntries) {
  std::string stub = Sample(5000, 9);
  WriteFileBytes(tmp / "stub.bin", stub);
  File("src\\a.txt", "alpha");
  std::string plain = tmp / "pack.zip";
  ASSERT_EQ(Add(plain, {tmp / "src\\a.txt"}), 1);
  zip.SFXPath = tmp / "stub.bin";
  zip.SFXCaption = "Pack";
  ASSERT_EQ(zip.ConvertSFX(), 0);
  std::string exe = tmp / "pack.exe";
  ASSERT_EQ(zip.ZipFilename(), exe);
  std::string front = ReadFileBytes(exe).substr(0, 5256);
  File("src\\b.txt", Sample(30000, 10));
  EXPECT_EQ(Add(exe, {tmp / "src\\b.txt"}), 1);
  EXPECT_EQ(ReadFileBytes(exe).substr(0, 5256), front);
  EXPECT_EQ(zip.SFXOffset(), 5256u);
  ASSERT_EQ(zip.Count(), 2);
  EXPECT_EQ(zip.ZipContents()[0].FileName, "a.txt");
  EXPECT_EQ(zip.ZipContents()[1].FileName, "b.txt");
  WriteFileBytes(CheckDir("arch") + "\\pack.front", front);
  TExpect x;
  x.Entries = {{"a.txt", "alpha"}, {"b.txt", Sample(30000, 10)}};
  x.PrefixFile = "pack.front";
  ExpectForReaders(exe, "arch", "pack.exe", x);
}

TEST_F(ZipArch, ExeTargetStartsAsAnEmptySelfExtractor) {
  std::string stub = Sample(3000, 11);
  WriteFileBytes(tmp / "stub.bin", stub);
  File("src\\a.txt", "alpha");
  zip.SFXPath = tmp / "stub.bin";
  zip.SFXCaption = "Out";
  std::string out = tmp / "OUT.EXE";
  EXPECT_EQ(Add(out, {tmp / "src\\a.txt"}), 1);
  std::string bytes = ReadFileBytes(out);
  EXPECT_EQ(bytes.substr(0, 3000), stub);
  EXPECT_EQ(bytes.substr(3000, 7), std::string("MPU\0\3\0\0", 7));
  EXPECT_EQ(zip.SFXOffset(), 3256u);
  TExpect x;
  x.Entries = {{"a.txt", "alpha"}};
  ExpectForReaders(out, "arch", "out.exe", x);

  // When that first step fails, no plain zip appears under the .exe name.
  messages.clear();
  zip.SFXCaption = std::string(250, 'c');
  std::string out2 = tmp / "OUT2.EXE";
  EXPECT_EQ(Add(out2, {tmp / "src\\a.txt"}), 0);
  EXPECT_FALSE(FileExists(out2));
  EXPECT_EQ(Codes(), std::vector<int>{801});
  EXPECT_FALSE(zip.Busy());
}

// The library never writes an archive it cannot read back: with 65,533
// entries there is room for one more, and a run that would add a second is
// refused whole, leaving the archive as it was.
TEST_F(ZipArch, FullArchiveRefusesTheEntryAfterTheLast) {
  zipfmt::TMemorySink sink;
  zipfmt::TZipWriter w(sink);
  zipfmt::TNewEntry e;
  e.Level = 0;
  for (size_t i = 0; i + 1 < zipfmt::kMaxEntries; ++i) {
    e.Name = "e" + std::to_string(i);
    ASSERT_TRUE(w.BeginEntry(e) && w.EndEntry());
  }
  ASSERT_TRUE(w.Finish());
  const std::string full(sink.Data.begin(), sink.Data.end());
  const std::string archive = tmp / "full.zip";
  WriteFileBytes(archive, full);
  const std::string a = File("src\\a.txt", "alpha"), b = File("src\\b.txt", "beta");

  EXPECT_EQ(Add(archive, {a, b}), 0);
  EXPECT_EQ(ReadFileBytes(archive), full);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().Code, 9);
  EXPECT_EQ(messages.back().Text, "Too many files for one zip archive (at most 65534): " + b);

  messages.clear();
  EXPECT_EQ(Add(archive, {a}), 1);
  auto dir = ReadDir(archive);
  ASSERT_EQ(dir.Entries.size(), 65534u);
  EXPECT_EQ(dir.Entries.back().Name, "a.txt");
}

TEST_F(ZipArch, NoFilesIsReportedBeforeNoName) {
  zip.Unattended = false;
  struct {
    std::vector<std::string> Specs;
    std::string Name;
    int Code;
    const char* Text;
  } rows[] = {
      {{}, "", 301, "Error - no files to zip"},
      {{}, "x.zip", 301, "Error - no files to zip"},
      {{"a.txt"}, "", 102, "Error - no zip filename specified"},
  };
  for (const auto& r : rows) {
    messages.clear();
    robot.Boxes.clear();
    zip.SetZipFilename(r.Name);
    zip.SetFSpecArgs(r.Specs);
    zip.AddFiles();
    ASSERT_EQ(messages.size(), 1u) << r.Text;
    EXPECT_EQ(messages[0].Code, r.Code);
    EXPECT_EQ(zip.ErrCode, r.Code);
    EXPECT_EQ(zip.Message, r.Text);
    ASSERT_EQ(robot.Boxes.size(), 1u);
    EXPECT_EQ(robot.Boxes[0].Text, r.Text);
    EXPECT_EQ(robot.Boxes[0].Caption, "ZipArchTest");  // no title: the program's name
  }
  Application().SetTitle("tidy-Zaderuzo Studio");
  zip.AddFiles();
  Application().SetTitle("");
  ASSERT_EQ(robot.Boxes.size(), 2u);
  EXPECT_EQ(robot.Boxes[1].Caption, "tidy-Zaderuzo Studio");
}

// ---- stand-in libraries

std::string FakeDir(const std::string& variant) { return HostPath(std::string(FAKEZIP_DIR) + "/" + variant); }

class ZipArchFake : public ZipArch {
protected:
  void SetUp() override {
    ZipArch::SetUp();
    zip.SetDLLDirectory(FakeDir("rec"));
    // Holding the library keeps its record alive between the component's
    // loads and frees.
    lib = LoadLibraryA((FakeDir("rec") + "\\ZIPDLL.DLL").c_str());
    ASSERT_NE(lib, nullptr);
    block = reinterpret_cast<const ZipRequestBlock*(ZIPDLL_CALL*)()>(
        reinterpret_cast<void*>(GetProcAddress(lib, "FakeBlock")));
    text = reinterpret_cast<const char*(ZIPDLL_CALL*)(int, int)>(
        reinterpret_cast<void*>(GetProcAddress(lib, "FakeText")));
    calls = reinterpret_cast<int(ZIPDLL_CALL*)()>(reinterpret_cast<void*>(GetProcAddress(lib, "FakeCalls")));
    setScript = reinterpret_cast<void(ZIPDLL_CALL*)(const ZipCallbackRecord*, int, int32_t)>(
        reinterpret_cast<void*>(GetProcAddress(lib, "FakeSetScript")));
    answerCount = reinterpret_cast<int(ZIPDLL_CALL*)()>(
        reinterpret_cast<void*>(GetProcAddress(lib, "FakeAnswerCount")));
    answer = reinterpret_cast<int32_t(ZIPDLL_CALL*)(int)>(reinterpret_cast<void*>(GetProcAddress(lib, "FakeAnswer")));
    ASSERT_TRUE(block && text && calls && setScript && answerCount && answer);
    setScript(nullptr, 0, 0);
  }
  void TearDown() override {
    if (lib) FreeLibrary(lib);
  }
  static ZipCallbackRecord Rec(int action, int code, int size, const char* t) {
    ZipCallbackRecord r{};
    r.ActionCode = action;
    r.ErrorCode = code;
    r.FileSize = size;
    strncpy(r.Text, t, sizeof r.Text - 1);
    return r;
  }
  std::vector<int32_t> Answers() {
    std::vector<int32_t> a;
    for (int i = 0; i < answerCount(); ++i) a.push_back(answer(i));
    return a;
  }

  HMODULE lib = nullptr;
  const ZipRequestBlock* (ZIPDLL_CALL* block)() = nullptr;
  const char* (ZIPDLL_CALL* text)(int, int) = nullptr;
  int (ZIPDLL_CALL* calls)() = nullptr;
  void (ZIPDLL_CALL* setScript)(const ZipCallbackRecord*, int, int32_t) = nullptr;
  int (ZIPDLL_CALL* answerCount)() = nullptr;
  int32_t (ZIPDLL_CALL* answer)(int) = nullptr;
};

TEST_F(ZipArchFake, RequestBlockAsTheLibraryReceivesIt) {
  using F = int32_t ZipRequestBlock::*;
  struct TRow {
    const char* Name;
    std::function<void(TZipArchiver&)> Setup;
    std::vector<std::pair<F, int32_t>> Fields;
  };
  std::vector<TRow> rows = {
      {"defaults", [](TZipArchiver&) {},
       {{&ZipRequestBlock::Version, 140}, {&ZipRequestBlock::Trace, 0}, {&ZipRequestBlock::Reserved18, 0},
        {&ZipRequestBlock::Encrypt, 0}, {&ZipRequestBlock::SystemFiles, 0}, {&ZipRequestBlock::Reserved24, 0},
        {&ZipRequestBlock::Reserved28, 0}, {&ZipRequestBlock::Fixed2C, -1}, {&ZipRequestBlock::Reserved30, 0},
        {&ZipRequestBlock::Verbose, 0}, {&ZipRequestBlock::Fixed38, -1}, {&ZipRequestBlock::Level, 9},
        {&ZipRequestBlock::Reserved40, 0}, {&ZipRequestBlock::Reserved44, 0}, {&ZipRequestBlock::JunkDirNames, -1},
        {&ZipRequestBlock::Recurse, 0}, {&ZipRequestBlock::Fixed50, -1}, {&ZipRequestBlock::ForceDOS, 0},
        {&ZipRequestBlock::Move, 0}, {&ZipRequestBlock::Reserved5C, 0}, {&ZipRequestBlock::Update, 0},
        {&ZipRequestBlock::Freshen, 0}, {&ZipRequestBlock::Reserved68, 0}, {&ZipRequestBlock::ZipTime, 0},
        {&ZipRequestBlock::Argc, 2}, {&ZipRequestBlock::Fixed80, 7}}},
      {"trace", [](TZipArchiver& z) { z.Trace = true; },
       {{&ZipRequestBlock::Trace, -1}, {&ZipRequestBlock::Verbose, -1}}},
      {"verbose", [](TZipArchiver& z) { z.Verbose = true; },
       {{&ZipRequestBlock::Trace, 0}, {&ZipRequestBlock::Verbose, -1}}},
      {"level 0", [](TZipArchiver& z) { z.AddCompLevel = 0; }, {{&ZipRequestBlock::Level, 0}}},
      {"encrypt", [](TZipArchiver& z) { z.AddOptions = {AddEncrypt}; }, {{&ZipRequestBlock::Encrypt, -1}}},
      {"hidden", [](TZipArchiver& z) { z.AddOptions = {AddHiddenFiles}; }, {{&ZipRequestBlock::SystemFiles, -1}}},
      {"dir names", [](TZipArchiver& z) { z.AddOptions = {AddDirNames}; }, {{&ZipRequestBlock::JunkDirNames, 0}}},
      {"recurse", [](TZipArchiver& z) { z.AddOptions = {AddRecurseDirs}; }, {{&ZipRequestBlock::Recurse, -1}}},
      {"dos", [](TZipArchiver& z) { z.AddOptions = {AddForceDOS}; }, {{&ZipRequestBlock::ForceDOS, -1}}},
      {"move", [](TZipArchiver& z) { z.AddOptions = {AddMove}; }, {{&ZipRequestBlock::Move, -1}}},
      {"update", [](TZipArchiver& z) { z.AddOptions = {AddUpdate}; }, {{&ZipRequestBlock::Update, -1}}},
      {"freshen", [](TZipArchiver& z) { z.AddOptions = {AddFreshen}; }, {{&ZipRequestBlock::Freshen, -1}}},
      {"freshen and update send update only", [](TZipArchiver& z) { z.AddOptions = {AddFreshen, AddUpdate}; },
       {{&ZipRequestBlock::Update, -1}, {&ZipRequestBlock::Freshen, 0}}},
      {"zip time", [](TZipArchiver& z) { z.AddOptions = {AddZipTime}; }, {{&ZipRequestBlock::ZipTime, -1}}},
  };
  for (const TRow& r : rows) {
    SCOPED_TRACE(r.Name);
    TZipArchiver z(nullptr);
    z.SetDLLDirectory(FakeDir("rec"));
    z.Unattended = true;
    r.Setup(z);
    z.SetZipFilename(tmp / "x.zip");
    z.SetFSpecArgs({"C:\\one\\*.*", "C:\\two.txt"});
    z.AddFiles();
    const ZipRequestBlock& b = *block();
    for (auto [field, value] : r.Fields) EXPECT_EQ(b.*field, value);
    EXPECT_EQ(b.Handle, nullptr);  // unattended
    EXPECT_EQ(b.Caller, &z);
    EXPECT_EQ(b.Callback, &ZipCallback);
    EXPECT_EQ(b.Reserved70[0], 0);
    EXPECT_EQ(b.Reserved70[1], 0);
    EXPECT_TRUE(z.FSpecArgs().empty());
  }
  // Attended: the application window; texts in list order.
  TZipArchiver z(nullptr);
  z.SetDLLDirectory(FakeDir("rec"));
  z.SetZipFilename(tmp / "y.zip");
  z.SetPassword(std::string(80, 'p'));
  z.SetFSpecArgs({"b", "a", "c"});
  z.AddFiles();
  ASSERT_NE(Application().Handle(), nullptr);
  EXPECT_EQ(block()->Handle, Application().Handle());
  EXPECT_EQ(text(0, 0), tmp / "y.zip");
  EXPECT_EQ(text(1, 0), std::string(80, 'p'));
  EXPECT_STREQ(text(2, 0), "b");
  EXPECT_STREQ(text(2, 1), "a");
  EXPECT_STREQ(text(2, 2), "c");
}

TEST_F(ZipArchFake, CallbackActionsReachTheEvents) {
  ZipCallbackRecord script[] = {Rec(1, 0, 70000, "Dir/File.TXT"), Rec(2, 0, 0, "x"), Rec(4, 7, 0, "warning\r\n"),
                                Rec(5, 9, 0, "a\nb"), Rec(4, 3, 0, "\n"), Rec(3, 0, 0, "")};
  setScript(script, 6, 1);
  std::vector<std::string> progress;
  zip.OnProgress = [&](TComponent*, ProgressType t, const std::string& name, int size) {
    progress.push_back(std::to_string(t) + "|" + name + "|" + std::to_string(size));
  };
  EXPECT_EQ(Add(tmp / "x.zip", {"a"}), 1);
  EXPECT_EQ(progress, (std::vector<std::string>{"0|Dir/File.TXT|70000", "1| |0", "2| |0"}));
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].Code, 7);
  EXPECT_EQ(messages[0].Text, "warning");
  EXPECT_EQ(messages[1].Code, 9);
  EXPECT_EQ(messages[1].Text, "a");
  EXPECT_EQ(messages[2].Text, "\n");  // one character is kept
  EXPECT_EQ(Answers(), (std::vector<int32_t>{0, 0, 0, 0, 0, 0}));

  // Without OnMessage nothing is stored.
  zip.OnMessage = nullptr;
  zip.ErrCode = 55;
  EXPECT_EQ(Add(tmp / "x.zip", {"a"}), 1);
  EXPECT_EQ(zip.ErrCode, 55);
}

TEST_F(ZipArchFake, CancelAnswersMinusOneAndAHandlerErrorGives101) {
  ZipCallbackRecord script[] = {Rec(1, 0, 10, "a"), Rec(2, 0, 0, ""), Rec(2, 0, 0, "")};
  setScript(script, 3, 5);
  zip.OnProgress = [&](TComponent*, ProgressType t, const std::string&, int) {
    if (t == ProgressUpdate) zip.Cancel = true;
  };
  EXPECT_EQ(Add(tmp / "x.zip", {"a"}), 0);
  EXPECT_EQ(Answers(), (std::vector<int32_t>{0, -1}));
  EXPECT_FALSE(zip.Cancel);
  EXPECT_TRUE(messages.empty());

  zip.OnProgress = [](TComponent*, ProgressType, const std::string&, int) { throw Exception("handler failed"); };
  EXPECT_EQ(Add(tmp / "x.zip", {"a"}), 0);
  EXPECT_EQ(Answers(), (std::vector<int32_t>{-1}));
  EXPECT_EQ(Codes(), std::vector<int>{101});
  EXPECT_EQ(zip.Message, "Fatal ZIPDLL Error: abort exception");
}

TEST_F(ZipArchFake, SecondAddWhileBusyReturnsAtOnce) {
  ZipCallbackRecord script[] = {Rec(1, 0, 10, "a")};
  setScript(script, 1, 1);
  bool sawBusy = false;
  zip.OnProgress = [&](TComponent*, ProgressType, const std::string&, int) {
    sawBusy = zip.Busy();
    zip.SetFSpecArgs({"b"});
    zip.AddFiles();
  };
  EXPECT_EQ(Add(tmp / "x.zip", {"a"}), 1);
  EXPECT_TRUE(sawBusy);
  EXPECT_EQ(calls(), 1);
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(zip.Busy());
}

TEST_F(ZipArchFake, TextsThatOverrunTheBuffersAreRefused) {
  struct {
    const char* Name;
    std::string ZipName;
    std::vector<std::string> Specs;
    std::string Password;
    int Code;
  } rows[] = {
      {"zip name of 256", "C:\\" + std::string(249, 'z') + ".zip", {"a"}, "", 103},
      {"specification of 256", tmp / "x.zip", {"a", "C:\\" + std::string(253, 's')}, "", 104},
      {"8214 specifications", tmp / "x.zip", std::vector<std::string>(8214, "a"), "", 105},
      {"password of 81", tmp / "x.zip", {"a"}, std::string(81, 'p'), 106},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.Name);
    messages.clear();
    int before = calls();
    zip.SetPassword(r.Password);
    zip.AddOptions = r.Password.empty() ? AddOpts{} : AddOpts{AddEncrypt};
    zip.SetZipFilename(r.ZipName);
    zip.SetFSpecArgs(r.Specs);
    zip.AddFiles();
    EXPECT_EQ(calls(), before);
    EXPECT_EQ(Codes(), std::vector<int>{r.Code});
    EXPECT_FALSE(zip.Busy());
  }
  // The largest that fit go through whole.
  zip.SetPassword(std::string(80, 'p'));
  zip.AddOptions = {AddEncrypt};
  zip.SetZipFilename("C:\\" + std::string(248, 'z') + ".zip");
  zip.SetFSpecArgs(std::vector<std::string>(8213, "C:\\" + std::string(252, 's')));
  zip.AddFiles();
  EXPECT_EQ(block()->Argc, 8213);
  EXPECT_EQ(std::string(text(2, 8212)), "C:\\" + std::string(252, 's'));
  EXPECT_EQ(std::string(text(1, 0)), std::string(80, 'p'));
}

TEST_F(ZipArch, MissingLibraryOrEntryPointIsReported) {
  TTempDir empty;
  struct {
    std::string Dir;
    int Code;
    const char* Text;
  } rows[] = {
      {empty.Path(), 604, "ZIPDLL.DLL not found"},
      {FakeDir("noexec"), 602, "ZipDllExec function not found in ZIPDLL.DLL"},
      {FakeDir("nover"), 603, "GetZipDllVersion function not found in ZIPDLL.DLL"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.Text);
    messages.clear();
    SetErrorMode(SEM_NOOPENFILEERRORBOX);
    zip.SetDLLDirectory(r.Dir);
    EXPECT_EQ(Add(tmp / "x.zip", {"a"}), 0);
    UINT mode = SetErrorMode(0);
    EXPECT_EQ(mode, static_cast<UINT>(SEM_NOOPENFILEERRORBOX));  // the caller's mode is back
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Code, r.Code);
    EXPECT_EQ(messages[0].Text, r.Text);
    EXPECT_FALSE(zip.Busy());
    EXPECT_FALSE(FileExists(tmp / "x.zip"));
  }
  // Trace reports the load.
  zip.SetDLLDirectory(FakeDir("rec"));
  zip.Trace = true;
  messages.clear();
  Add(tmp / "x.zip", {"a"});
  EXPECT_EQ(Codes(), std::vector<int>{0});
  EXPECT_EQ(messages[0].Text, "ZIP DLL Loaded");
}

TEST_F(ZipArch, DLLDirectoryDropsOneTrailingBackslash) {
  struct {
    const char *In, *Out;
  } rows[] = {{"C:\\Zip\\", "C:\\Zip"}, {"C:\\Zip\\\\", "C:\\Zip\\"}, {"C:\\Zip", "C:\\Zip"}, {"", ""}};
  for (auto r : rows) {
    TZipArchiver z(nullptr);
    z.SetDLLDirectory(r.In);
    EXPECT_EQ(z.DLLDirectory(), r.Out) << r.In;
  }
}

TEST_F(ZipArch, DirectoryReaderReportsFilesWithoutEntries) {
  WriteFileBytes(tmp / "none.zip", std::string(500, 'x'));
  WriteFileBytes(tmp / "cut.zip", std::string(500, 'x') + "PK");
  zip.Unattended = false;
  int updates = 0;
  zip.OnDirUpdate = [&](TComponent*) { ++updates; };
  zip.SetZipFilename(tmp / "none.zip");
  zip.SetZipFilename(tmp / "cut.zip");
  zip.SetZipFilename(tmp / "missing.zip");
  ASSERT_EQ(robot.Boxes.size(), 2u);
  EXPECT_EQ(robot.Boxes[0].Text, "No valid zip entries found 1");
  EXPECT_EQ(robot.Boxes[1].Text, "No valid zip entries found 4");
  EXPECT_EQ(Codes(), (std::vector<int>{1036, 1036}));
  EXPECT_EQ(updates, 3);
  EXPECT_EQ(zip.Count(), 0);
  zip.Unattended = true;
  robot.Boxes.clear();
  zip.SetZipFilename(tmp / "none.zip");
  EXPECT_TRUE(robot.Boxes.empty());
}

TEST_F(ZipArch, MessagesTrimTheirEnd) {
  struct {
    const char *In, *Out;
  } rows[] = {{"text\r\n", "text"}, {"text\n", "text"}, {"te\rxt", "te\rxt"}, {"tex\rt", "tex"},
              {"\r", "\r"},         {"", ""},           {"\r\n", ""},          {"abc", "abc"}};
  for (auto r : rows) EXPECT_EQ(TrimMessageEnd(r.In), r.Out) << r.In;
}

}  // namespace
