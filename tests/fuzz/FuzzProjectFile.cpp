// Project files over any bytes, read as the Studio and as the Wizard read
// them. A file read to its end must come back the same after it is saved
// and read again.
#include "ProjectFile.h"

namespace {

void Expect(bool condition) {
  if (!condition) __builtin_trap();
}

// One file held in memory.
class TOneFile : public IProjectFileAccess {
public:
  std::string Bytes;
  TFileResult ReadAll(const std::string&, std::string& bytes) override {
    bytes = Bytes;
    return {};
  }
  TFileResult WriteAll(const std::string&, const std::string& bytes) override {
    Bytes = bytes;
    return {};
  }
};

// Reads `file` as the Studio does; false when the load did not complete.
bool Load(TOneFile& file, TProjectSettingsTarget& target) {
  try {
    return LoadProjectFile(file, "x.tpj", target, TProjectFrontEnd::Studio);
  } catch (const EConvertError&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TOneFile file;
  file.Bytes.assign(reinterpret_cast<const char*>(data), size);

  TProjectRecord rec = ParseProjectFile(file.Bytes);
  Expect(rec.Stop != TProjectStop::FileError);
  for (const TProjectLine& l : rec.Lines)
    Expect(l.Text.find_first_of("\r\n") == std::string::npos && l.Line >= 0);

  TProjectSettingsTarget wizard;
  Expect(LoadProjectFile(file, "x.tpj", wizard, TProjectFrontEnd::Wizard) ==
         (rec.Stop != TProjectStop::UnknownKind));

  TProjectSettingsTarget first;
  if (!Load(file, first)) return 0;
  Expect(rec.Stop == TProjectStop::Complete);
  TSettingsValues values;
  values.Values = first.Values;
  SaveProjectFile(file, "x.tpj", values);
  TProjectSettingsTarget second;
  Expect(Load(file, second));
  Expect(second.Values == first.Values);
  return 0;
}
