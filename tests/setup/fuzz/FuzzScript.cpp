// The script loader over any bytes. Mode byte 0: the rest is a script as it
// stands. Mode 1: the rest describes blocks that get right checks, so that
// the record decoders and inflate see arbitrary contents.
#include "FuzzInput.h"
#include "ScriptFormat.h"
#include "ScriptWriter.h"
#include "ZlibStream.h"

namespace {

// A block of exactly `size` bytes from the input: raw, deflated, or the
// input's own bytes as a zlib stream.
std::string MakeBlock(TFuzzInput& in, size_t size) {
  uint8_t kind = in.Byte();
  std::string data = in.Bytes(in.UInt16() % (size + 1));
  data.resize(size, '\0');
  fixture::TBlockOptions o;
  o.Compressed = (kind & 3) != 0;
  if ((kind & 3) == 2) o.StreamOverride = in.Bytes(in.UInt16() % 512);
  if (kind & 4) o.JunkAfterStream = in.Bytes(in.Byte() % 16);
  if (kind & 8) o.SizeDelta = static_cast<int8_t>(in.Byte());
  if (kind & 16) o.TruncateBy = in.Byte();
  return fixture::CheckedBlock(data, o);
}

std::string Assemble(TFuzzInput& in) {
  std::string headerBytes = in.Bytes(kScriptHeaderSize);
  headerBytes.resize(kScriptHeaderSize, '\0');
  TScriptHeader h = DecodeScriptHeader(reinterpret_cast<const uint8_t*>(headerBytes.data()));
  // Keep the work small: few records, short texts (negative values stay).
  for (int32_t* count : {&h.FolderCount, &h.FileCount, &h.IconCount, &h.IniEntryCount, &h.RegistryEntryCount,
                         &h.UninstallDeleteCount, &h.RunEntryCount})
    if (*count > 0) *count %= 4;
  for (int32_t* size : {&h.LicenseSize, &h.InfoBeforeSize, &h.InfoAfterSize})
    if (*size > 0) *size %= 3000;
  std::string s(kScriptSignature, sizeof kScriptSignature);
  s += fixture::CheckedBlock(fixture::EncodeHeader(h));
  for (int32_t size : {h.LicenseSize, h.InfoBeforeSize, h.InfoAfterSize})
    if (size > 0) s += MakeBlock(in, static_cast<size_t>(size));
  const std::pair<int32_t, size_t> lists[] = {
      {h.FolderCount, kScriptFolderSize},       {h.FileCount, kScriptFileSize},
      {h.FileCount, kScriptFileLocationSize},   {h.IconCount, kScriptIconSize},
      {h.IniEntryCount, kScriptIniEntrySize},   {h.RegistryEntryCount, kScriptRegEntrySize},
      {h.UninstallDeleteCount, kScriptUninstallDeleteSize}, {h.RunEntryCount, kScriptRunEntrySize}};
  for (auto [count, size] : lists)
    for (int32_t i = 0; i < count; ++i) s += MakeBlock(in, size);
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TFuzzInput in(data, size);
  std::string bytes = in.Byte() & 1 ? Assemble(in) : in.Rest();
  TMemorySource src(bytes);
  try {
    if (!ReadScriptSignature(src)) return 0;
    TSetupScript script;
    script.ScriptHeader = ReadScriptHeader(src);
    CheckWindowsVersion(script.ScriptHeader, {TPlatform::Windows, 4, 0});
    CheckWindowsVersion(script.ScriptHeader, {TPlatform::NT, 4, 0});
    ReadScriptBody(src, script);
    for (const TScriptRegEntry& r : script.RegistryList) {
      r.ValueBinary();
      r.ValueString();
    }
  } catch (const EZlibError&) {
  }
  return 0;
}
