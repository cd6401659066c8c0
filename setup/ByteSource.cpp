#include "ByteSource.h"

#include <cstring>

size_t TMemorySource::Read(void* buffer, size_t size) {
  if (pos_ >= bytes_.size()) return 0;
  size_t n = static_cast<size_t>(bytes_.size() - pos_);
  if (n > size) n = size;
  if (n) std::memcpy(buffer, bytes_.data() + pos_, n);
  pos_ += n;
  return n;
}
