// Byte sources and sinks: what the format readers take and give, free of
// any file system, so they build and run on any host.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class IByteSource {
public:
  virtual ~IByteSource() = default;
  // Reads up to `size` bytes; fewer only at the end of the data. Raises on
  // an input/output error.
  virtual size_t Read(void* buffer, size_t size) = 0;
  // Moves to `position` (beyond the end is allowed; reads there give 0).
  virtual void Seek(uint64_t position) = 0;
  virtual uint64_t Position() const = 0;
  virtual uint64_t Size() const = 0;
  // Bytes from the position to the end.
  uint64_t Left() const { return Position() < Size() ? Size() - Position() : 0; }
};

class IByteSink {
public:
  virtual ~IByteSink() = default;
  // Takes all `size` bytes or raises.
  virtual void Write(const void* buffer, size_t size) = 0;
};

// A source over bytes held elsewhere; the bytes must outlive it.
class TMemorySource : public IByteSource {
public:
  explicit TMemorySource(std::string_view bytes) : bytes_(bytes) {}
  size_t Read(void* buffer, size_t size) override;
  void Seek(uint64_t position) override { pos_ = position; }
  uint64_t Position() const override { return pos_; }
  uint64_t Size() const override { return bytes_.size(); }

private:
  std::string_view bytes_;
  uint64_t pos_ = 0;
};

// A sink that appends to a string.
class TStringSink : public IByteSink {
public:
  void Write(const void* buffer, size_t size) override {
    Bytes.append(static_cast<const char*>(buffer), size);
  }
  std::string Bytes;
};

// Little-endian fields.
inline uint32_t GetUInt32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline int32_t GetInt32(const uint8_t* p) { return static_cast<int32_t>(GetUInt32(p)); }
