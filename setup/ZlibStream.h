// The zlib driver: inflates one stream through a read and a write procedure
// and computes the Adler-32 of what it wrote.
#pragma once
#include "ByteSource.h"
#include "Exception.h"

#include <cstddef>
#include <cstdint>
#include <string>

class EZlibError : public Exception {
public:
  using Exception::Exception;
};
// The compressed data is corrupted.
class EZlibDataError : public EZlibError {
public:
  EZlibDataError() : EZlibError("zlib: Compressed data is corrupted") {}
};
// Any other zlib failure.
class EZlibInternalError : public EZlibError {
public:
  explicit EZlibInternalError(int code);
};
// The general out-of-memory error.
class EOutOfMemory : public Exception {
public:
  EOutOfMemory() : Exception("Out of memory") {}
};

// Puts up to `size` bytes into `buffer`; returns how many, 0 at the end.
using TInflateReadProc = size_t (*)(void* buffer, size_t size, void* user);
// Takes up to `count` bytes; returns how many it took.
using TInflateWriteProc = size_t (*)(const void* buffer, size_t count, void* user);

constexpr size_t kInflateBufferSize = 32000;

// Inflates until the stream ends or the input is used up. Returns false when
// the write procedure took fewer bytes than offered (`adler` then unset).
bool InflateStream(TInflateReadProc read, TInflateWriteProc write, void* user, uint32_t& adler);

// Inflates at most `inputLimit` bytes of `source` into `dest` (appended),
// writing at most `outputLimit` bytes; false when more output came.
bool InflateBuffer(IByteSource& source, uint64_t inputLimit, uint32_t& adler, std::string& dest,
                   size_t outputLimit);

// The most that `streamSize` bytes of a zlib stream can inflate to: deflate
// codes at best 258 bytes in 2 bits, 1032 bytes for each byte of input.
constexpr uint64_t MaxInflatedSize(uint64_t streamSize) { return streamSize * 1032; }

// Adler-32 as zlib defines it, continuing from `adler` (start with 1).
uint32_t Adler32(uint32_t adler, const void* data, size_t size);
