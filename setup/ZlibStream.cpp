#include "ZlibStream.h"

#include "StrFmt.h"

#include <zlib.h>

#include <cstdlib>
#include <memory>

EZlibInternalError::EZlibInternalError(int code) : EZlibError(Format("zlib: Internal error. Code %d", code)) {}

namespace {

// The interface version the stream record is laid out for.
const char kZlibVersion[] = "1.1.2";
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(z_stream) == 56, "zlib stream record of the 32-bit program");
#endif

voidpf ZAlloc(voidpf, uInt items, uInt size) {
  if (size && items > SIZE_MAX / size) return Z_NULL;
  return std::malloc(static_cast<size_t>(items) * size);  // no memory: Z_NULL, zlib reports it
}

void ZFree(voidpf, voidpf address) { std::free(address); }

void Check(int result) {
  if (result == Z_MEM_ERROR) throw EOutOfMemory();
  if (result != Z_OK && result != Z_STREAM_END) throw EZlibInternalError(result);
}

// Ends the zlib stream however the driver is left.
class TInflateGuard {
public:
  explicit TInflateGuard(z_stream& strm) : strm_(strm) {}
  ~TInflateGuard() { if (active_) inflateEnd(&strm_); }
  void End() {
    active_ = false;
    Check(inflateEnd(&strm_));
  }
  void Abandon() { active_ = false; inflateEnd(&strm_); }

private:
  z_stream& strm_;
  bool active_ = true;
};

}  // namespace

uint32_t Adler32(uint32_t adler, const void* data, size_t size) {
  const Bytef* p = static_cast<const Bytef*>(data);
  while (size > 0) {
    uInt n = size > 0x40000000 ? 0x40000000 : static_cast<uInt>(size);
    adler = static_cast<uint32_t>(adler32(adler, p, n));
    p += n;
    size -= n;
  }
  return adler;
}

bool InflateStream(TInflateReadProc read, TInflateWriteProc write, void* user, uint32_t& adler) {
  std::unique_ptr<Bytef[]> inBuf(new (std::nothrow) Bytef[kInflateBufferSize]);
  std::unique_ptr<Bytef[]> outBuf(new (std::nothrow) Bytef[kInflateBufferSize]);
  if (!inBuf || !outBuf) throw EOutOfMemory();

  z_stream strm{};
  strm.zalloc = ZAlloc;
  strm.zfree = ZFree;
  Check(inflateInit_(&strm, kZlibVersion, static_cast<int>(sizeof(z_stream))));
  TInflateGuard guard(strm);

  uint32_t sum = 1;
  bool inputEnded = false;
  for (;;) {
    if (strm.avail_in == 0 && !inputEnded) {
      size_t got = read(inBuf.get(), kInflateBufferSize, user);
      if (got > kInflateBufferSize) got = kInflateBufferSize;
      if (got == 0)
        inputEnded = true;  // zlib may still hold output: drain it below
      strm.next_in = inBuf.get();
      strm.avail_in = static_cast<uInt>(got);
    }
    strm.next_out = outBuf.get();
    strm.avail_out = kInflateBufferSize;
    int result = inflate(&strm, Z_PARTIAL_FLUSH);
    if (result == Z_DATA_ERROR) throw EZlibDataError();
    if (result == Z_MEM_ERROR) throw EOutOfMemory();
    // Z_BUF_ERROR: no progress was possible, which only happens once the
    // input has run out.
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) throw EZlibInternalError(result);

    size_t produced = kInflateBufferSize - strm.avail_out;
    if (produced > 0) {
      if (write(outBuf.get(), produced, user) < produced) {
        guard.Abandon();
        return false;
      }
      sum = Adler32(sum, outBuf.get(), produced);
    }
    if (result == Z_STREAM_END) break;  // bytes after the stream are not read
    if (inputEnded && (produced == 0 || result == Z_BUF_ERROR)) break;
    if (result == Z_BUF_ERROR && !inputEnded && strm.avail_in != 0) throw EZlibInternalError(result);
  }
  adler = sum;
  guard.End();
  return true;
}

namespace {

struct TInflateBuffers {
  IByteSource* Source;
  uint64_t InputLeft;
  std::string* Dest;
  size_t OutputLeft;
};

size_t BufferRead(void* buffer, size_t size, void* user) {
  auto& b = *static_cast<TInflateBuffers*>(user);
  size_t n = b.InputLeft < size ? static_cast<size_t>(b.InputLeft) : size;
  if (n == 0) return 0;
  size_t got = b.Source->Read(buffer, n);
  b.InputLeft -= got;
  if (got < n) b.InputLeft = 0;  // the source ended early: no more input
  return got;
}

size_t BufferWrite(const void* buffer, size_t count, void* user) {
  auto& b = *static_cast<TInflateBuffers*>(user);
  if (count > b.OutputLeft) count = b.OutputLeft;
  b.Dest->append(static_cast<const char*>(buffer), count);
  b.OutputLeft -= count;
  return count;
}

}  // namespace

bool InflateBuffer(IByteSource& source, uint64_t inputLimit, uint32_t& adler, std::string& dest,
                   size_t outputLimit) {
  TInflateBuffers b{&source, inputLimit, &dest, outputLimit};
  return InflateStream(BufferRead, BufferWrite, &b, adler);
}
