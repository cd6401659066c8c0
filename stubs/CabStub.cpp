// The cabinet extractor: the cabinet behind the program goes through the
// system's cabinet library (FDI). Without arguments it extracts in a
// window; with "/d" it decompresses every file, writes nothing and says
// whether the cabinet is sound.
#include <windows.h>
#include <fcntl.h>
#include <fdi.h>

#include <cstdlib>

#include "ExtractDialog.h"
#include "StubTexts.h"

const char* const kStubName = STUB_NAME;

namespace {

class TCabJob;

// What an FDI file handle stands for: the cabinet (this program, from
// where the cabinet starts) or a file being written.
struct TFdiFile {
  THandleGuard File;
  uint64_t Base = 0;
  TCabJob* Job = nullptr;  // set for files being written
};

class TCabJob : public IExtractJob {
public:
  ~TCabJob() override {
    if (fdi_) FDIDestroy(fdi_);
  }
  bool Open(TSelfFile& self, std::string& problem);
  const std::vector<TListedFile>& Files() const override { return files_; }
  TJobResult Extract(const std::vector<bool>& chosen, TWriteSpace& space, IProgress& progress, std::string& failed,
                     bool& encrypted) override;
  // Decompresses every file and throws the bytes away.
  bool Check(std::string& problem);

private:
  enum class TMode { List, Write, Check };
  bool Copy(TMode mode);
  std::string ErrorText() const;
  INT_PTR Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION n);
  UINT Write(const void* p, UINT n);

  static FNALLOC(Alloc) { return std::malloc(cb); }
  static FNFREE(Free) { std::free(pv); }
  static FNOPEN(OpenFile);
  static FNREAD(Read);
  static FNWRITE(WriteFile);
  static FNCLOSE(Close);
  static FNSEEK(Seek);
  static FNFDINOTIFY(NotifyProc) { return static_cast<TCabJob*>(pfdin->pv)->Notify(fdint, pfdin); }

  static inline std::string selfPath_;
  static inline uint64_t base_ = 0;
  HFDI fdi_ = nullptr;
  ERF erf_{};
  std::vector<TListedFile> files_;
  std::string unsafe_;
  // During a copy.
  TMode mode_ = TMode::List;
  size_t index_ = 0;
  const std::vector<bool>* chosen_ = nullptr;
  TWriteSpace* space_ = nullptr;
  IProgress* progress_ = nullptr;
  uint64_t fileBytes_ = 0;
  bool stopped_ = false, writeFailed_ = false;
};

// ---- FDI's file calls

FNOPEN(TCabJob::OpenFile) {
  (void)oflag;
  (void)pmode;
  // FDI opens only the cabinet, and that is this program.
  if (lstrcmpiA(pszFile, selfPath_.c_str()) != 0) return -1;
  auto* f = new TFdiFile;
  f->File.Reset(CreateFileA(pszFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  f->Base = base_;
  if (!f->File.Valid() || !MovePointer(f->File.Get(), static_cast<int64_t>(base_), FILE_BEGIN)) {
    delete f;
    return -1;
  }
  return reinterpret_cast<INT_PTR>(f);
}

FNREAD(TCabJob::Read) {
  auto* f = reinterpret_cast<TFdiFile*>(hf);
  DWORD got = 0;
  return f->Job || !::ReadFile(f->File.Get(), pv, cb, &got, nullptr) ? static_cast<UINT>(-1) : got;
}

FNWRITE(TCabJob::WriteFile) {
  auto* f = reinterpret_cast<TFdiFile*>(hf);
  return f->Job ? f->Job->Write(pv, cb) : static_cast<UINT>(-1);
}

FNCLOSE(TCabJob::Close) {
  delete reinterpret_cast<TFdiFile*>(hf);
  return 0;
}

FNSEEK(TCabJob::Seek) {
  auto* f = reinterpret_cast<TFdiFile*>(hf);
  if (f->Job) return -1;
  int64_t d = dist + (seektype == SEEK_SET ? static_cast<int64_t>(f->Base) : 0);
  DWORD how = seektype == SEEK_SET ? FILE_BEGIN : seektype == SEEK_END ? FILE_END : FILE_CURRENT;
  uint64_t now = 0;
  if (!MovePointer(f->File.Get(), d, how, &now) || now < f->Base) return -1;
  return static_cast<LONG>(now - f->Base);
}

// ---- the cabinet

bool TCabJob::Open(TSelfFile& self, std::string& problem) {
  selfPath_ = self.Path();
  base_ = sfx::AppendedDataStart(self);
  problem = stubtext::kNoArchive;
  if (base_ == 0 || base_ >= self.Size()) return false;
  fdi_ = FDICreate(Alloc, Free, OpenFile, Read, WriteFile, Close, Seek, cpuUNKNOWN, &erf_);
  if (!fdi_) return false;
  INT_PTR hf = OpenFile(selfPath_.data(), _O_RDONLY | _O_BINARY, 0);
  if (hf == -1) return false;
  FDICABINETINFO info{};
  bool isCab = FDIIsCabinet(fdi_, hf, &info);
  Close(hf);
  if (!isCab) {
    problem = stubtext::Damaged("It is not a cabinet.");
    return false;
  }
  if (info.hasprev || info.hasnext) {
    problem = stubtext::Damaged("It is one part of a cabinet set.");
    return false;
  }
  if (!Copy(TMode::List)) {
    problem = stubtext::Damaged(ErrorText());
    return false;
  }
  if (!unsafe_.empty()) {
    problem = stubtext::UnsafeName(unsafe_);
    return false;
  }
  if (files_.empty()) {
    problem = stubtext::kNoFiles;
    return false;
  }
  return true;
}

bool TCabJob::Copy(TMode mode) {
  mode_ = mode;
  index_ = 0;
  stopped_ = writeFailed_ = false;
  std::string folder = selfPath_.substr(0, selfPath_.find_last_of('\\') + 1);
  std::string name = selfPath_.substr(folder.size());
  return FDICopy(fdi_, name.data(), folder.data(), 0, NotifyProc, nullptr, this);
}

std::string TCabJob::ErrorText() const {
  switch (erf_.erfOper) {
    case FDIERROR_CORRUPT_CABINET: return "Its data is damaged.";
    case FDIERROR_BAD_COMPR_TYPE: return "It is packed in a way this program cannot unpack.";
    case FDIERROR_MDI_FAIL: return "Its data cannot be decompressed.";
    case FDIERROR_ALLOC_FAIL: return "There is not enough memory.";
    case FDIERROR_NOT_A_CABINET:
    case FDIERROR_UNKNOWN_CABINET_VERSION: return "It is not a cabinet.";
    default: return "The cabinet library reports error " + std::to_string(erf_.erfOper) + ".";
  }
}

INT_PTR TCabJob::Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION n) {
  switch (type) {
    case fdintCOPY_FILE: {
      size_t i = index_++;
      if (mode_ == TMode::List) {
        TListedFile f;
        bool folder = false;
        if (sfx::SafePath(n->psz1, f.Path, folder) != sfx::TNameProblem::None || folder) {
          if (unsafe_.empty()) unsafe_ = n->psz1;
        }
        f.Size = static_cast<uint32_t>(n->cb);
        f.DosDate = n->date;
        f.DosTime = n->time;
        files_.push_back(f);
        return 0;
      }
      if (i >= files_.size()) return -1;  // not the cabinet that was listed
      auto* out = new TFdiFile;
      out->Job = this;
      fileBytes_ = 0;
      if (mode_ == TMode::Write) {
        if (!(*chosen_)[i]) {
          delete out;
          return 0;
        }
        progress_->BeginFile(files_[i]);
        if (!space_->BeginFile(files_[i].Path)) {
          writeFailed_ = true;
          delete out;
          return -1;
        }
      }
      return reinterpret_cast<INT_PTR>(out);
    }
    case fdintCLOSE_FILE_INFO: {
      delete reinterpret_cast<TFdiFile*>(n->hf);
      if (mode_ == TMode::Write && !space_->EndFile(n->date, n->time)) {
        writeFailed_ = true;
        return FALSE;
      }
      return TRUE;
    }
    case fdintNEXT_CABINET: return -1;
    default: return 0;
  }
}

UINT TCabJob::Write(const void* p, UINT n) {
  fileBytes_ += n;
  if (mode_ != TMode::Write) return n;
  if (!space_->Write(static_cast<const uint8_t*>(p), n)) {
    writeFailed_ = true;
    return static_cast<UINT>(-1);
  }
  if (!progress_->Step(fileBytes_)) {
    stopped_ = true;
    return static_cast<UINT>(-1);
  }
  return n;
}

TJobResult TCabJob::Extract(const std::vector<bool>& chosen, TWriteSpace& space, IProgress& progress,
                            std::string& failed, bool& encrypted) {
  chosen_ = &chosen;
  space_ = &space;
  progress_ = &progress;
  encrypted = false;
  bool ok = Copy(TMode::Write);
  failed = index_ > 0 && index_ <= files_.size() ? files_[index_ - 1].Path : std::string();
  if (stopped_) return TJobResult::Stopped;
  if (writeFailed_) return TJobResult::WriteFailed;
  return ok && index_ == files_.size() ? TJobResult::Done : TJobResult::Damaged;
}

bool TCabJob::Check(std::string& problem) {
  if (Copy(TMode::Check) && index_ == files_.size()) return true;
  problem = stubtext::Damaged(ErrorText());
  return false;
}

int Run() {
  TSelfFile self;
  TCabJob job;
  std::string problem;
  if (!self.Open()) {
    StubBox(nullptr, stubtext::kNoArchive, stubtext::kCabCaption, MB_OK | MB_ICONSTOP);
    return seFailed;
  }
  std::string args = sfx::ArgumentsOf(GetCommandLineA(), self.Path());
  bool test = args == "/d" || args == "/D";
  if (!test && !args.empty()) {
    StubBox(nullptr, stubtext::UnknownOption(args, "/d"), stubtext::kCabCaption, MB_OK | MB_ICONEXCLAMATION);
    return seFailed;
  }
  if (!job.Open(self, problem)) {
    StubBox(nullptr, problem, stubtext::kCabCaption, MB_OK | MB_ICONSTOP);
    return seFailed;
  }
  if (test) {
    bool sound = job.Check(problem);
    StubBox(nullptr, sound ? stubtext::Sound(job.Files().size()) : problem, stubtext::kCabCaption,
            MB_OK | (sound ? MB_ICONINFORMATION : MB_ICONSTOP));
    return sound ? seDone : seFailed;
  }
  TDialogSettings s;
  s.Caption = stubtext::kCabCaption;
  s.Folder = CurrentFolder();
  return RunExtractDialog(s, job);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return WindowStubMain(Run); }
