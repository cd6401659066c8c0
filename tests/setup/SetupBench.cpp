// Benchmark of the install: writes a data file holding one large file,
// installs it the way Setup does, and reports the time and the peak memory
// of the process before and after. The data reader and the install stream
// the file through fixed buffers, so the peak must not grow with the file's
// size. Then zlib alone inflates the same stream to disk, for comparison.
//   SetupBench.exe [MEGABYTES] [FOLDER]
//   SetupBench.exe script FOLDER      writes a small SETUP.0 in FOLDER, for
//                                     timing Setup's start-up
#include "CmnFunc2.h"
#include "DiskFormat.h"
#include "Install.h"
#include "Main.h"
#include "ScriptWriter.h"

#include <windows.h>
#include <psapi.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class TQuietProgress : public IInstallProgress {
public:
  int64_t Position() const override { return pos_; }
  void SetPosition(int64_t position) override { pos_ = position; }
  void ShowStatus(const std::string&) override {}
  void ShowFilename(const std::string&) override {}
  void PollCancel() override {}
  void MarkUpdateInstalled() override {}

private:
  int64_t pos_ = 0;
};

struct TPeak {
  double WorkingSetMB, PrivateMB;
};

TPeak PeakMemory() {
  PROCESS_MEMORY_COUNTERS c{};
  c.cb = sizeof c;
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  return {c.PeakWorkingSetSize / 1048576.0, c.PeakPagefileUsage / 1048576.0};
}

void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// SETUP.1 with one stream of `size` bytes of text-like data, compressed as
// it is made; fills in the file's record.
bool WriteDataFile(const std::string& path, uint64_t size, TScriptFile& file) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  std::string head(kDiskSignature, sizeof kDiskSignature);
  Put32(head, 0);  // the size, written at the end
  head.append(kDataSignature, sizeof kDataSignature);
  std::fwrite(head.data(), 1, head.size(), out);

  z_stream z{};
  deflateInit(&z, 6);
  std::vector<unsigned char> in(65536), buf(65536);
  uint32_t seed = 1, adler = adler32(0, nullptr, 0);
  uint64_t left = size, compressed = 0;
  int flush = Z_NO_FLUSH;
  do {
    size_t n = left < in.size() ? static_cast<size_t>(left) : in.size();
    for (size_t i = 0; i < n; ++i) in[i] = static_cast<unsigned char>('a' + ((seed = seed * 1103515245 + 12345) >> 27));
    adler = adler32(adler, in.data(), static_cast<uInt>(n));
    left -= n;
    flush = left ? Z_NO_FLUSH : Z_FINISH;
    z.next_in = in.data();
    z.avail_in = static_cast<uInt>(n);
    do {
      z.next_out = buf.data();
      z.avail_out = static_cast<uInt>(buf.size());
      deflate(&z, flush);
      size_t made = buf.size() - z.avail_out;
      std::fwrite(buf.data(), 1, made, out);
      compressed += made;
    } while (z.avail_out == 0);
  } while (flush != Z_FINISH);
  deflateEnd(&z);
  const uint64_t total = head.size() + compressed;
  std::string sizeField;
  Put32(sizeField, static_cast<uint32_t>(total));
  std::fseek(out, 8, SEEK_SET);
  std::fwrite(sizeField.data(), 1, 4, out);
  std::fclose(out);
  file.UncompressedSize = static_cast<int32_t>(size);
  file.CompressedSize = static_cast<int32_t>(compressed);
  file.Checksum = adler;
  return total < 0x80000000u;
}

// zlib alone: the stream at `offset` of `dataFile` inflated to `target`
// through buffers of the same size. Returns the seconds, or -1.
double RawInflate(const std::string& dataFile, int64_t offset, const std::string& target) {
  const auto start = std::chrono::steady_clock::now();
  HANDLE in = CreateFileA(dataFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE out = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  bool ok = in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE;
  LARGE_INTEGER at;
  at.QuadPart = offset;
  ok = ok && SetFilePointerEx(in, at, nullptr, FILE_BEGIN);
  z_stream z{};
  ok = ok && inflateInit(&z) == Z_OK;
  std::vector<unsigned char> inBuf(65536), outBuf(65536);
  int rc = Z_OK;
  while (ok && rc != Z_STREAM_END) {
    DWORD got = 0;
    if (z.avail_in == 0) {
      ok = ReadFile(in, inBuf.data(), static_cast<DWORD>(inBuf.size()), &got, nullptr) && got > 0;
      z.next_in = inBuf.data();
      z.avail_in = got;
    }
    z.next_out = outBuf.data();
    z.avail_out = static_cast<uInt>(outBuf.size());
    rc = inflate(&z, Z_NO_FLUSH);
    ok = ok && (rc == Z_OK || rc == Z_STREAM_END);
    DWORD made = static_cast<DWORD>(outBuf.size() - z.avail_out), written = 0;
    ok = ok && WriteFile(out, outBuf.data(), made, &written, nullptr) && written == made;
  }
  inflateEnd(&z);
  if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  DeleteFileA(target.c_str());
  return ok ? seconds : -1;
}

// A small script with one file: enough for Setup to start and show its
// first window.
int WriteScript(const std::string& folder) {
  fixture::TScriptFixture f;
  TScriptHeader& h = f.Script.ScriptHeader;
  h.ProgramName = "Bench Application";
  h.ProgramVerName = "Bench Application 1.0";
  h.DefaultDirName = "Bench";
  h.DefaultGroupName = "Bench Application";
  h.BackColor = 0xFF0000;
  h.MinWinMajor = 4;
  h.MinNTMajor = 4;
  TScriptFile file;
  file.DestName = "{app}\\bench.txt";
  file.UncompressedSize = 5;
  file.CompressedSize = 13;
  f.Script.FileList = {file};
  f.Script.LocationList = {TScriptFileLocation{1, 1, 12}};
  const std::string bytes = f.Build();
  FILE* out = std::fopen((folder + "\\SETUP.0").c_str(), "wb");
  if (!out) return 1;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return std::fclose(out) == 0 && ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "script") return WriteScript(argv[2]);
  const uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 200;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = argc > 2 ? argv[2] : std::string(temp) + "tz-setup-bench";
  const std::string src = folder + "\\src", app = folder + "\\app";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA(src.c_str(), nullptr);
  CreateDirectoryA(app.c_str(), nullptr);

  TSetupScript script;
  TScriptFile file;
  file.DestName = "{app}\\big.bin";
  file.OverwriteMode = 2;
  if (!WriteDataFile(src + "\\SETUP.1", megabytes * 1048576, file)) {
    std::printf("cannot write the data file in %s\n", src.c_str());
    return 1;
  }
  script.FileList = {file};
  script.LocationList = {TScriptFileLocation{1, 1, 12}};
  SourceFolder = src;
  DestFolder = app;

  const TPeak before = PeakMemory();
  TUndoChanges changes;
  TQuietProgress progress;
  TInstallRun run{script, changes, progress, {}};
  const auto start = std::chrono::steady_clock::now();
  InstallFiles(run);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const TPeak after = PeakMemory();

  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA((app + "\\big.bin").c_str(), GetFileExInfoStandard, &data);
  const uint64_t installed = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  std::printf("installed %llu MB (%.1f MB compressed) in %.1f s\n", static_cast<unsigned long long>(installed >> 20),
              file.CompressedSize / 1048576.0, seconds);
  std::printf("peak working set: %.1f MB before the install, %.1f MB after\n", before.WorkingSetMB,
              after.WorkingSetMB);
  std::printf("peak private bytes: %.1f MB before the install, %.1f MB after\n", before.PrivateMB, after.PrivateMB);
  const int64_t streamStart = sizeof kDiskSignature + 4 + sizeof kDataSignature;
  const double raw = RawInflate(src + "\\SETUP.1", streamStart, app + "\\raw.bin");
  std::printf("zlib alone inflating the stream to disk: %.1f s\n", raw);
  std::printf("seconds=%.3f raw=%.3f peak=%.1f\n", seconds, raw, after.WorkingSetMB);
  DeleteFileA((app + "\\big.bin").c_str());
  DeleteFileA((src + "\\SETUP.1").c_str());
  RemoveDirectoryA(app.c_str());
  RemoveDirectoryA(src.c_str());
  RemoveDirectoryA(folder.c_str());
  return installed == megabytes * 1048576 ? 0 : 1;
}
