// A cabinet build with MS-ZIP, through the cabinet writer (writer) or
// through the library's calls alone with the least callbacks, on the C
// runtime's buffered files (raw).
//   CabBench writer|raw CABINET FOLDER
#include <fcntl.h>
#include <windows.h>
#include <fci.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "BenchKit.h"
#include "Cabinet.h"

namespace {

// ---- the library alone

FNFCIALLOC(RawAlloc) { return HeapAlloc(GetProcessHeap(), 0, cb); }
FNFCIFREE(RawFree) { HeapFree(GetProcessHeap(), 0, memory); }
// Buffered by the C runtime: the library reads and writes its temporary
// files in small pieces.
FILE* Stream(INT_PTR hf) { return reinterpret_cast<FILE*>(hf); }
FNFCIOPEN(RawOpen) {
  const char* mode = (oflag & _O_CREAT) ? "w+b" : (oflag & (_O_RDWR | _O_WRONLY)) ? "r+b" : "rb";
  FILE* f = std::fopen(pszFile, mode);
  if (!f) *err = errno;
  if (f) std::setvbuf(f, nullptr, _IOFBF, 1 << 16);
  (void)pmode;
  (void)pv;
  return f ? reinterpret_cast<INT_PTR>(f) : -1;
}
FNFCIREAD(RawRead) {
  size_t n = std::fread(memory, 1, cb, Stream(hf));
  if (n < cb && std::ferror(Stream(hf))) *err = EIO;
  (void)pv;
  return static_cast<UINT>(n);
}
FNFCIWRITE(RawWrite) {
  size_t n = std::fwrite(memory, 1, cb, Stream(hf));
  if (n < cb) *err = EIO;
  (void)pv;
  return static_cast<UINT>(n);
}
FNFCICLOSE(RawClose) {
  std::fclose(Stream(hf));
  (void)err;
  (void)pv;
  return 0;
}
FNFCISEEK(RawSeek) {
  (void)err;
  (void)pv;
  if (std::fseek(Stream(hf), dist, seektype) != 0) return -1;
  return std::ftell(Stream(hf));
}
FNFCIDELETE(RawDelete) {
  (void)err;
  (void)pv;
  DeleteFileA(pszFile);
  return 0;
}
FNFCIGETTEMPFILE(RawTemp) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  char name[MAX_PATH];
  if (!GetTempFileNameA(dir, "cab", 0, name) || std::strlen(name) >= static_cast<size_t>(cbTempName)) return FALSE;
  std::strcpy(pszTempName, name);
  (void)pv;
  return TRUE;
}
FNFCIFILEPLACED(RawPlaced) {
  (void)pccab; (void)pszFile; (void)cbFile; (void)fContinuation; (void)pv;
  return 0;
}
FNFCIGETNEXTCABINET(RawNext) {
  (void)pccab; (void)cbPrevCab; (void)pv;
  return FALSE;
}
FNFCISTATUS(RawStatus) {
  (void)typeStatus; (void)cb1; (void)cb2; (void)pv;
  return 0;
}
FNFCIGETOPENINFO(RawOpenInfo) {
  WIN32_FILE_ATTRIBUTE_DATA fa;
  FILE* f = GetFileAttributesExA(pszName, GetFileExInfoStandard, &fa) ? std::fopen(pszName, "rb") : nullptr;
  if (!f) {
    *err = ENOENT;
    return -1;
  }
  std::setvbuf(f, nullptr, _IOFBF, 1 << 16);
  FileTimeToDosDateTime(&fa.ftLastWriteTime, pdate, ptime);
  *pattribs = static_cast<USHORT>(fa.dwFileAttributes & 0x27);
  (void)pv;
  return reinterpret_cast<INT_PTR>(f);
}

bool Raw(const std::string& cabinet, const std::vector<std::string>& files, const std::vector<std::string>& names) {
  CCAB cab{};
  cab.cb = 0x7FFFFFFF;
  cab.cbFolderThresh = 900000;
  size_t cut = cabinet.find_last_of('\\');
  std::strcpy(cab.szCabPath, cabinet.substr(0, cut + 1).c_str());
  std::strcpy(cab.szCab, cabinet.substr(cut + 1).c_str());
  ERF erf{};
  HFCI fci = FCICreate(&erf, RawPlaced, RawAlloc, RawFree, RawOpen, RawRead, RawWrite, RawClose, RawSeek, RawDelete,
                       RawTemp, &cab, nullptr);
  if (!fci) return false;
  bool ok = true;
  for (size_t i = 0; ok && i < files.size(); ++i)
    ok = FCIAddFile(fci, const_cast<char*>(files[i].c_str()), const_cast<char*>(names[i].c_str()), FALSE, RawNext,
                    RawStatus, RawOpenInfo, tcompTYPE_MSZIP) != FALSE;
  ok = ok && FCIFlushCabinet(fci, FALSE, RawNext, RawStatus) != FALSE;
  FCIDestroy(fci);
  return ok;
}

bool Writer(const std::string& cabinet, const std::vector<std::string>& files, const std::vector<std::string>& names) {
  TComponent owner(nullptr);
  TCabinetWriter writer(&owner);
  writer.FileHandler = new TStreamCabinetFileHandler(&owner);
  try {
    writer.Open(cabinet, "", 0x7FFFFFFF, 900000, 0);
    for (size_t i = 0; i < files.size(); ++i) writer.AddFile(files[i], names[i], false, CompressionMSZip());
    writer.FlushCabinet(false);
    writer.Close();
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: CabBench writer|raw CABINET FOLDER\n");
    return 2;
  }
  std::string mode = argv[1], cabinet = argv[2], root = argv[3];
  std::vector<std::string> files, names;
  bench::ListFiles(root, files);
  for (const std::string& f : files) names.push_back(f.substr(root.size() + 1));
  DeleteFileA(cabinet.c_str());
  double cpu0 = bench::CpuSeconds(), t0 = bench::Now();
  bool ok = mode == "raw" ? Raw(cabinet, files, names) : Writer(cabinet, files, names);
  double t1 = bench::Now(), cpu1 = bench::CpuSeconds();
  bench::Report(t1 - t0, cpu1 - cpu0,
                "files=" + std::to_string(files.size()) + " out=" + std::to_string(bench::FileSize(cabinet)));
  return ok ? 0 : 1;
}
