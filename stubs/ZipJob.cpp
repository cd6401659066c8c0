#include "ZipJob.h"

#include <algorithm>

#include "StubTexts.h"

bool TZipJob::Open(TSelfFile& self, std::string& problem) {
  self_ = &self;
  sfx::TZipContents c = sfx::ReadZipContents(self);
  switch (c.Problem) {
    case sfx::TZipProblem::None: break;
    case sfx::TZipProblem::Directory: {
      uint64_t start = sfx::AppendedDataStart(self);
      // Nothing (or only the settings block) behind the program.
      bool nothing = start == 0 || self.Size() - start <= 256;
      problem = nothing ? stubtext::kNoArchive : stubtext::Damaged(c.Detail);
      return false;
    }
    case sfx::TZipProblem::Name: problem = stubtext::UnsafeName(c.Detail); return false;
    case sfx::TZipProblem::Method: problem = stubtext::Unsupported(c.Detail); return false;
  }
  for (sfx::TZipItem& item : c.Items) {
    // Names made on DOS, OS/2 or Windows are in the OEM code page.
    int host = item.Entry.VersionMadeBy >> 8;
    if (host == 0 || host == 6 || host == 11) {
      std::string ansi = OemToAnsi(item.Path);
      bool folder = false;
      if (sfx::SafePath(ansi, item.Path, folder) != sfx::TNameProblem::None) {
        problem = stubtext::UnsafeName(item.Entry.Name);
        return false;
      }
    }
    TListedFile f;
    f.Path = item.Path;
    f.Size = item.Entry.Size;
    f.DosDate = item.Entry.Time.Date;
    f.DosTime = item.Entry.Time.Time;
    f.Folder = item.Folder;
    files_.push_back(f);
  }
  items_ = std::move(c.Items);
  if (std::none_of(files_.begin(), files_.end(), [](const TListedFile& f) { return !f.Folder; })) {
    problem = stubtext::kNoFiles;
    return false;
  }
  return true;
}

bool TZipJob::NeedsPassword(const std::vector<bool>& chosen) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (chosen[i] && !items_[i].Folder && items_[i].Encrypted()) return true;
  return false;
}

bool TZipJob::PasswordFits(const std::vector<bool>& chosen, const std::string& password) {
  for (size_t i = 0; i < items_.size(); ++i)
    if (chosen[i] && !items_[i].Folder && items_[i].Encrypted() && !sfx::PasswordFits(*self_, items_[i].Entry, password))
      return false;
  return true;
}

bool TZipJob::Prepare(const std::vector<bool>& chosen, IAsk& ask) {
  if (!NeedsPassword(chosen)) return true;
  for (;;) {
    std::string password;
    if (!ask.Password(password)) return false;
    if (PasswordFits(chosen, password)) {
      password_ = password;
      return true;
    }
    ask.WrongPassword();
  }
}

sfx::TDataResult TZipJob::Decode(size_t i, sfx::IOutput& out, IProgress* progress) {
  auto step = [progress](uint64_t n) { return progress ? progress->Step(n) : true; };
  return sfx::ExtractEntry(*self_, items_[i].Entry, password_, out, step);
}

TJobResult TZipJob::Extract(const std::vector<bool>& chosen, TWriteSpace& space, IProgress& progress,
                            std::string& failed, bool& encrypted) {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (!chosen[i]) continue;
    const TListedFile& f = files_[i];
    failed = f.Path;
    encrypted = items_[i].Encrypted();
    progress.BeginFile(f);
    if (f.Folder) {
      if (!space.MakeFolder(f.Path)) return TJobResult::WriteFailed;
      continue;
    }
    if (!space.BeginFile(f.Path)) return TJobResult::WriteFailed;
    switch (Decode(i, space, &progress)) {
      case sfx::TDataResult::Ok: break;
      case sfx::TDataResult::Stopped: return TJobResult::Stopped;
      case sfx::TDataResult::WriteFailed: return TJobResult::WriteFailed;
      default: return TJobResult::Damaged;
    }
    if (!space.EndFile(f.DosDate, f.DosTime)) return TJobResult::WriteFailed;
  }
  return TJobResult::Done;
}
