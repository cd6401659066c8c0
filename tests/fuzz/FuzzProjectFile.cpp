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

  // The Wizard stops only at an unknown kind; the Studio also at a number
  // that is none, and neither shows more than one box for it.
  TProjectSettingsTarget wizard, first;
  bool wizardLoaded = LoadProjectFile(file, "x.tpj", wizard, TProjectFrontEnd::Wizard);
  bool studioLoaded = Load(file, first);
  Expect(wizardLoaded || !studioLoaded);
  Expect(wizard.Messages.size() <= 2 && first.Messages.size() <= 2);
  if (!studioLoaded) return 0;
  TSettingsValues values;
  values.Values = first.Values;
  SaveProjectFile(file, "x.tpj", values);
  TProjectSettingsTarget second;
  Expect(Load(file, second));
  Expect(second.Values == first.Values);
  return 0;
}
