// The zip behind a stub, as the Windows and the console stubs read it.
#pragma once
#include <string>
#include <vector>

#include "ExtractJob.h"
#include "SFXArchive.h"
#include "StubKit.h"

class TZipJob : public IExtractJob {
public:
  // Reads the zip in `self`. On failure `problem` holds the text to show.
  bool Open(TSelfFile& self, std::string& problem);
  const std::vector<TListedFile>& Files() const override { return files_; }
  const std::vector<sfx::TZipItem>& Items() const { return items_; }

  bool NeedsPassword(const std::vector<bool>& chosen) const;
  // Whether the password opens every chosen encrypted entry.
  bool PasswordFits(const std::vector<bool>& chosen, const std::string& password);
  void SetPassword(const std::string& password) { password_ = password; }

  bool Prepare(const std::vector<bool>& chosen, IAsk& ask) override;
  TJobResult Extract(const std::vector<bool>& chosen, TWriteSpace& space, IProgress& progress, std::string& failed,
                     bool& encrypted) override;
  // Decodes one entry into `out`.
  sfx::TDataResult Decode(size_t i, sfx::IOutput& out, IProgress* progress);

private:
  TSelfFile* self_ = nullptr;
  std::vector<sfx::TZipItem> items_;
  std::vector<TListedFile> files_;
  std::string password_;
};
