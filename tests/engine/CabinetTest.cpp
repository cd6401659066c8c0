#include "Cabinet.h"

#include <fdi.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <map>

#include "TestPaths.h"

namespace {

std::uint16_t U16(const std::string& b, size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}
std::uint32_t U32(const std::string& b, size_t at) { return U16(b, at) | static_cast<std::uint32_t>(U16(b, at + 2)) << 16; }

struct TCabEntry {
  std::string Name;
  std::uint32_t Size;
  std::uint16_t Date, Time, Attribs;
};

// The file table of a single cabinet, read straight from its bytes.
std::vector<TCabEntry> ReadEntries(const std::string& cab) {
  std::vector<TCabEntry> out;
  if (cab.size() < 36 || cab.compare(0, 4, "MSCF") != 0) return out;
  size_t at = U32(cab, 16);
  unsigned count = U16(cab, 28);
  for (unsigned i = 0; i < count && at + 16 < cab.size(); ++i) {
    TCabEntry e{"", U32(cab, at), U16(cab, at + 10), U16(cab, at + 12), U16(cab, at + 14)};
    size_t end = cab.find('\0', at + 16);
    e.Name = cab.substr(at + 16, end - at - 16);
    out.push_back(e);
    at = end + 1;
  }
  return out;
}

// Extracts a cabinet with the system's decompression interface, which is
// independent of the writer.
std::map<std::string, std::string>* extracted;
FNALLOC(FdiAlloc) { return HeapAlloc(GetProcessHeap(), 0, cb); }
FNFREE(FdiFree) { HeapFree(GetProcessHeap(), 0, pv); }
FNOPEN(FdiOpen) {
  return reinterpret_cast<INT_PTR>(CreateFileA(pszFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  (void)oflag; (void)pmode;
}
FNREAD(FdiRead) { DWORD n = 0; ReadFile(reinterpret_cast<HANDLE>(hf), pv, cb, &n, nullptr); return n; }
FNWRITE(FdiWrite) {
  (*extracted)[reinterpret_cast<std::string*>(hf)->c_str()].append(static_cast<char*>(pv), cb);
  return cb;
}
FNCLOSE(FdiClose) {
  (void)hf;
  return 0;
}
FNSEEK(FdiSeek) { return SetFilePointer(reinterpret_cast<HANDLE>(hf), dist, nullptr, seektype); }
std::vector<std::unique_ptr<std::string>> names;
FNFDINOTIFY(FdiNotify) {
  if (fdint == fdintCOPY_FILE) {
    names.push_back(std::make_unique<std::string>(pfdin->psz1));
    (*extracted)[pfdin->psz1];
    return reinterpret_cast<INT_PTR>(names.back().get());
  }
  if (fdint == fdintCLOSE_FILE_INFO) return TRUE;
  return 0;
}

std::map<std::string, std::string> Extract(const std::string& cabPath) {
  std::map<std::string, std::string> result;
  extracted = &result;
  ERF erf{};
  HFDI fdi = FDICreate(FdiAlloc, FdiFree, FdiOpen, FdiRead, FdiWrite, FdiClose, FdiSeek, cpuUNKNOWN, &erf);
  size_t pos = cabPath.find_last_of('\\') + 1;
  std::string name = cabPath.substr(pos), folder = cabPath.substr(0, pos);
  BOOL ok = FDICopy(fdi, name.data(), folder.data(), 0, FdiNotify, nullptr, nullptr);
  FDIDestroy(fdi);
  EXPECT_TRUE(ok) << cabPath;
  return result;
}

std::string Repetitive(size_t n) {
  std::string s;
  while (s.size() < n) s += "tidy packaging line " + std::to_string(s.size() % 97) + "\r\n";
  return s.substr(0, n);
}

// Where cabinets are left for the host-side check with cabextract.
std::string OutputDir() {
  std::string dir = HostPath(std::string(TZ_BINARY_DIR) + "/test-output/cabinet");
  MakeDirs(dir);
  return dir;
}

class CabinetTest : public ::testing::Test {
protected:
  void SetUp() override {
    writer.FileHandler = handler;
    MakeDirs(tmp / "src\\sub");
    WriteFileBytes(tmp / "src\\a.txt", Repetitive(50000));
    WriteFileBytes(tmp / "src\\sub\\b.bin", std::string("\0\1\2\3binary", 10));
    WriteFileBytes(tmp / "src\\empty.txt", "");
  }
  void Build(const std::string& target, TCabinetCompression value,
             const std::vector<std::pair<std::string, std::string>>& files) {
    writer.Open(target, "", 0x7FFFFFFF, 900000, 0);
    for (const auto& [path, stored] : files) writer.AddFile(path, stored, false, value);
    writer.FlushCabinet(false);
    writer.Close();
  }
  TTempDir tmp;
  TComponent owner{nullptr};
  TCabinetWriter writer{&owner};
  TStreamCabinetFileHandler* handler = new TStreamCabinetFileHandler(&owner);
};

}  // namespace

TEST(CabinetCompression, ValuesBecomeLibraryCodes) {
  struct Row { const char* name; TCabinetCompression value; std::uint16_t code; };
  const Row rows[] = {
      {"LZX 21", CompressionLZX(21), 0x1503},
      {"LZX 15", CompressionLZX(15), 0x0F03},
      {"MS-ZIP", CompressionMSZip(), 1},
      {"none", 0, 0},
      {"Quantum level 4, memory 18", 2 | (4u << 16) | (18u << 24), static_cast<std::uint16_t>(2 + (4 << 4) + (18 << 8))},
  };
  EXPECT_EQ(CompressionLZX(21), 0x1503u);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(CompressionCode(r.value), r.code);
  }
}

TEST_F(CabinetTest, WritesCabinetsThatExtractByteForByte) {
  struct Row { const char* file; TCabinetCompression value; bool folderNames; };
  const Row rows[] = {
      {"mszip-names.cab", CompressionMSZip(), false},
      {"mszip-folders.cab", CompressionMSZip(), true},
      {"lzx-names.cab", CompressionLZX(21), false},
      {"lzx-folders.cab", CompressionLZX(21), true},
  };
  std::string manifest;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.file);
    std::string target = OutputDir() + "\\" + r.file;
    DeleteFileA(target.c_str());
    std::string src = tmp / "src";
    std::string stored = r.folderNames ? src.substr(3) + "\\" : "";
    std::string subStored = (r.folderNames ? src.substr(3) + "\\sub\\" : "") + "b.bin";
    std::vector<std::pair<std::string, std::string>> files = {{src + "\\a.txt", stored + "a.txt"},
                                                              {src + "\\sub\\b.bin", subStored}};
    // Wine's library fails on an empty file in a stored (LZX) folder.
    if (r.value == CompressionMSZip()) files.push_back({src + "\\empty.txt", stored + "empty.txt"});
    Build(target, r.value, files);
    std::string cab = ReadFileBytes(target);
    auto entries = ReadEntries(cab);
    ASSERT_EQ(entries.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(entries[i].Name, files[i].second);
    // CFFOLDER.typeCompress of the first folder. Wine stores LZX folders
    // uncompressed, so only MS-ZIP is checked on the bytes.
    if (r.value == CompressionMSZip()) {
      EXPECT_EQ(U16(cab, 36 + 6), 1);
      EXPECT_LT(cab.size(), 25000u);
    }
    auto extractedFiles = Extract(target);
    EXPECT_EQ(extractedFiles.size(), files.size());
    EXPECT_EQ(extractedFiles[files[0].second], Repetitive(50000));
    EXPECT_EQ(extractedFiles[subStored], std::string("\0\1\2\3binary", 10));
    std::vector<std::string> want;
    for (const auto& f : files) want.push_back(f.second);
    for (const auto& w : want) manifest += std::string(r.file) + "|" + w + "\n";
  }
  WriteFileBytes(OutputDir() + "\\manifest.txt", manifest);
  EXPECT_EQ(handler->OpenCount(), 0);
}

TEST_F(CabinetTest, StoresOnlyTheFourAttributeBitsAndLocalTime) {
  std::string ro = tmp / "src\\ro.txt";
  std::string plain = tmp / "src\\plain.txt";
  WriteFileBytes(ro, "read only");
  WriteFileBytes(plain, "plain");
  SYSTEMTIME st{2001, 2, 0, 3, 4, 5, 6, 0};
  FILETIME utc;
  SystemTimeToFileTime(&st, &utc);
  for (const std::string& f : {ro, plain}) {
    HANDLE h = CreateFileA(f.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);
  }
  SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY);
  SetFileAttributesA(plain.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::string target = tmp / "attr.cab";
  Build(target, CompressionMSZip(), {{ro, "ro.txt"}, {plain, "plain.txt"}});
  SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
  auto entries = ReadEntries(ReadFileBytes(target));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Attribs, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  // 0x80 (FILE_ATTRIBUTE_NORMAL) would mark a UTF-8 name.
  EXPECT_EQ(entries[1].Attribs & ~FILE_ATTRIBUTE_ARCHIVE, 0);
  FILETIME local;
  WORD d, t;
  FileTimeToLocalFileTime(&utc, &local);
  FileTimeToDosDateTime(&local, &d, &t);
  EXPECT_EQ(entries[0].Date, d);
  EXPECT_EQ(entries[0].Time, t);
}

TEST_F(CabinetTest, OpenAndCloseEdgeCases) {
  writer.Close();  // closed: nothing happens
  writer.Close();
  std::string first = tmp / "first.cab", second = tmp / "second.cab";
  writer.Open(first, "", 0x7FFFFFFF, 900000, 0);
  writer.Open(second, "", 0x7FFFFFFF, 900000, 0);  // the first context is closed
  writer.AddFile(tmp / "src\\a.txt", "a.txt", false, CompressionMSZip());
  writer.FlushCabinet(false);
  writer.Close();
  writer.Close();
  EXPECT_FALSE(FileExists(first));
  EXPECT_EQ(ReadEntries(ReadFileBytes(second)).size(), 1u);
  EXPECT_EQ(handler->OpenCount(), 0);
}

TEST_F(CabinetTest, PathWithoutFolderUsesTheCurrentFolder) {
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  SetCurrentDirectoryA(tmp.Path().c_str());
  std::string cabName, cabPath;
  writer.OnFilePlacedEvent = [&](TComponent*, TCCAB& cab, const std::string&, int, bool, bool&) {
    cabName = cab.szCab;
    cabPath = cab.szCabPath;
  };
  Build("bare.cab", CompressionMSZip(), {{tmp / "src\\a.txt", "a.txt"}});
  SetCurrentDirectoryA(cwd);
  EXPECT_EQ(cabName, "bare.cab");
  EXPECT_EQ(cabPath, "");
  EXPECT_TRUE(FileExists(tmp / "bare.cab"));
}

TEST_F(CabinetTest, VanishedSourceRaisesCabinetError) {
  writer.Open(tmp / "gone.cab", "", 0x7FFFFFFF, 900000, 0);
  try {
    writer.AddFile(tmp / "src\\missing.txt", "missing.txt", false, CompressionMSZip());
    FAIL() << "AddFile passed";
  } catch (const ECabinetError& e) {
    EXPECT_EQ(e.ErrorCode(), FCIERR_OPEN_SRC);
    EXPECT_EQ(e.Message(), "Cabinet error " + std::to_string(e.ErrorCode()) + " (type " +
                               std::to_string(e.ErrorType()) + ")");
  }
  writer.Close();
}

namespace {
// A file layer whose writes fail: the library's failure must surface.
class TFailingWrites : public TStreamCabinetFileHandler {
public:
  using TStreamCabinetFileHandler::TStreamCabinetFileHandler;
  UINT Write(INT_PTR, const void*, UINT, int& error) override {
    error = ERROR_DISK_FULL;
    return 0;
  }
};
}  // namespace

TEST_F(CabinetTest, LibraryFailureNeverPassesAsSuccess) {
  writer.FileHandler = new TFailingWrites(&owner);
  bool raised = false;
  try {
    Build(tmp / "full.cab", CompressionMSZip(), {{tmp / "src\\a.txt", "a.txt"}});
  } catch (const ECabinetError&) {
    raised = true;
  }
  EXPECT_TRUE(raised);
  writer.Close();
  // The library leaves the source open after the failed write.
  EXPECT_EQ(static_cast<TStreamCabinetFileHandler*>(writer.FileHandler)->OpenCount(), 0);
}

TEST_F(CabinetTest, CallbackExceptionsReachTheCallerAndTheWriterRecovers) {
  struct Row { const char* name; std::function<void()> arm; };
  auto boom = [] { throw Exception("boom"); };
  const Row rows[] = {
      {"file placed", [&] { writer.OnFilePlacedEvent = [=](TComponent*, TCCAB&, const std::string&, int, bool, bool&) { boom(); }; }},
      {"file status", [&] { writer.OnFileStatus = [=](TComponent*, int, int, int&) { boom(); }; }},
      {"open info", [&] { writer.OnGetOpenInfo = [=](TComponent*, const std::string&, std::uint16_t&, std::uint16_t&, std::uint16_t&, INT_PTR&, int&) { boom(); }; }},
      {"temp file", [&] { writer.OnGetTempFile = [=](TComponent*, std::string&, bool&) { boom(); }; }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    r.arm();
    std::string message;
    try {
      Build(tmp / "boom.cab", CompressionMSZip(), {{tmp / "src\\a.txt", "a.txt"}});
    } catch (const std::exception& e) {
      message = e.what();
    }
    EXPECT_EQ(message, "boom");
    EXPECT_NO_THROW(writer.Close());
    EXPECT_EQ(handler->OpenCount(), 0);
    writer.OnFilePlacedEvent = nullptr;
    writer.OnFileStatus = nullptr;
    writer.OnGetOpenInfo = nullptr;
    writer.OnGetTempFile = nullptr;
    Build(tmp / "after.cab", CompressionMSZip(), {{tmp / "src\\a.txt", "a.txt"}});
    EXPECT_EQ(ReadEntries(ReadFileBytes(tmp / "after.cab")).size(), 1u);
  }
}

TEST_F(CabinetTest, MissingOrFreedFileHandler) {
  auto* other = new TStreamCabinetFileHandler(&owner);
  writer.SetFileHandler(other);
  delete other;
  EXPECT_EQ(writer.FileHandler, nullptr);
  EXPECT_THROW(writer.Open(tmp / "none.cab", "", 0x7FFFFFFF, 900000, 0), Exception);
  EXPECT_FALSE(writer.IsOpen());
}

TEST_F(CabinetTest, StreamHandlerOpenFlagsAndUnknownHandles) {
  int error = -5;
  // The library re-creates temp files it has just made, with exclusive access.
  std::string temp = tmp / "made.tmp";
  WriteFileBytes(temp, "old");
  INT_PTR h = handler->Open(temp, _O_BINARY | _O_EXCL | _O_CREAT | _O_RDWR, 0x180, error);
  ASSERT_NE(h, -1);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(handler->Write(h, "new!", 4, error), 4u);
  EXPECT_EQ(handler->Seek(h, 0, SEEK_SET, error), 0);
  char buf[8] = {};
  EXPECT_EQ(handler->Read(h, buf, 8, error), 4u);
  EXPECT_STREQ(buf, "new!");
  EXPECT_EQ(handler->Close(h, error), 0);
  EXPECT_EQ(ReadFileBytes(temp), "new!");

  handler->Open(tmp / "nothere.txt", _O_BINARY, 1, error);
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);

  error = 0;
  int seek = handler->Seek(h, 0, SEEK_SET, error);
  EXPECT_EQ(error, -1) << "seek";
  EXPECT_EQ(seek, -1);
  error = 0;
  EXPECT_EQ(handler->Close(h, error), -1);
  EXPECT_EQ(error, -1) << "close";
  error = 0;
  EXPECT_EQ(handler->Read(h, buf, 1, error), 0u);
  EXPECT_EQ(error, -1) << "read";
  EXPECT_EQ(handler->OpenCount(), 0);
}
