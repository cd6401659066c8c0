// The script loader over any bytes. Mode byte bit 0 clear: the rest is a
// script as it stands. Set: the rest describes a header and blocks that get
// right checks, so that the size checks, the record decoders and inflate
// see arbitrary contents. Counts and sizes are taken as they come; blocks
// are made while input lasts, and a text too large to make is only claimed.
#include "FuzzInput.h"
#include "ScriptFormat.h"
#include "ScriptWriter.h"
#include "ZlibStream.h"

#include <map>

namespace {

using namespace fixture;

// Texts up to this size are made in full; larger ones are only claimed.
constexpr int32_t kLargestMadeText = 65536;

class TAssembler {
public:
  explicit TAssembler(TFuzzInput& in) : in_(in) {}

  std::string Script() {
    std::string headerBytes = in_.Bytes(kScriptHeaderSize);
    headerBytes.resize(kScriptHeaderSize, '\0');
    TScriptHeader h = DecodeScriptHeader(reinterpret_cast<const uint8_t*>(headerBytes.data()));
    std::string s(kScriptSignature, sizeof kScriptSignature);
    s += Block(EncodeHeader(h));
    for (int32_t size : {h.LicenseSize, h.InfoBeforeSize, h.InfoAfterSize}) {
      if (size <= 0) continue;
      s += size <= kLargestMadeText ? Block(Data(static_cast<size_t>(size))) : Claim(size);
    }
    const std::pair<int32_t, size_t> lists[] = {
        {h.FolderCount, kScriptFolderSize},       {h.FileCount, kScriptFileSize},
        {h.FileCount, kScriptFileLocationSize},   {h.IconCount, kScriptIconSize},
        {h.IniEntryCount, kScriptIniEntrySize},   {h.RegistryEntryCount, kScriptRegEntrySize},
        {h.UninstallDeleteCount, kScriptUninstallDeleteSize}, {h.RunEntryCount, kScriptRunEntrySize}};
    // Each block takes input, so the lists end when the input does.
    for (auto [count, size] : lists)
      for (int32_t i = 0; i < count && in_.Left() > 0; ++i) s += Block(Data(size));
    return s;
  }

private:
  // `size` bytes: some from the input, zeros after them.
  std::string Data(size_t size) {
    std::string data = in_.Bytes(in_.UInt16() % (size + 1));
    data.resize(size, '\0');
    return data;
  }

  // A block holding `data`: raw, deflated, or the input's own bytes as a
  // zlib stream; perhaps damaged.
  std::string Block(const std::string& data) {
    uint8_t kind = in_.Byte();
    TBlockOptions o;
    o.Compressed = (kind & 3) != 0;
    if ((kind & 3) == 2) o.StreamOverride = in_.Bytes(in_.UInt16() % 1024);
    else if (o.Compressed) o.StreamOverride = Deflated(data, (kind >> 5) + 1);
    if (kind & 4) o.JunkAfterStream = in_.Bytes(in_.Byte() % 16);
    if (kind & 8) o.SizeDelta = static_cast<int8_t>(in_.Byte());
    if (kind & 16) o.TruncateBy = in_.Byte();
    return CheckedBlock(data, o);
  }

  // A block whose header claims `size` bytes and right checks over its own
  // fields; its data is what the input gives (raw, or as a zlib stream).
  std::string Claim(int32_t size) {
    uint8_t kind = in_.Byte();
    std::string body = in_.Bytes(in_.UInt16());
    if (kind & 2) body = Deflated(body, 9);
    int32_t stored = kind & 1 ? -1 : static_cast<int32_t>(body.size());
    if (kind & 4) stored = static_cast<int32_t>(in_.UInt32());
    std::string fields = Int32(stored) + Int32(size) + UInt32(in_.UInt32());
    return UInt32(Adler(fields)) + fields + body;
  }

  // Deflating is the slow part, and the same data comes again and again.
  static const std::string& Deflated(const std::string& data, int level) {
    static std::map<std::pair<std::string, int>, std::string> cache;
    static size_t cached = 0;
    if (cached > (16u << 20)) {
      cache.clear();
      cached = 0;
    }
    std::string& stream = cache[{data, level}];
    if (stream.empty()) {
      stream = Deflate(data, level);
      cached += data.size() + stream.size();
    }
    return stream;
  }

  TFuzzInput& in_;
};

void Expect(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TFuzzInput in(data, size);
  std::string bytes = in.Byte() & 1 ? TAssembler(in).Script() : in.Rest();
  TMemorySource src(bytes);
  try {
    if (!ReadScriptSignature(src)) return 0;
    TSetupScript script;
    script.ScriptHeader = ReadScriptHeader(src);
    const TScriptHeader& h = script.ScriptHeader;
    CheckWindowsVersion(h, {TPlatform::Windows, 4, 0});
    CheckWindowsVersion(h, {TPlatform::NT, 4, 0});
    ReadScriptBody(src, script);
    // A loaded script holds what its header says, and no more than the bytes.
    Expect(script.LicenseText.size() == static_cast<size_t>(h.LicenseSize > 0 ? h.LicenseSize : 0));
    Expect(script.InfoAfterText.size() == static_cast<size_t>(h.InfoAfterSize > 0 ? h.InfoAfterSize : 0));
    Expect(script.FileList.size() == script.LocationList.size());
    Expect(script.RunList.size() == static_cast<size_t>(h.RunEntryCount > 0 ? h.RunEntryCount : 0));
    Expect(src.Position() <= bytes.size());
    for (const TScriptRegEntry& r : script.RegistryList) {
      Expect(r.ValueBinary().size() <= 252);
      Expect(r.ValueString().size() <= 256);
    }
  } catch (const EZlibError&) {
  }
  return 0;
}
