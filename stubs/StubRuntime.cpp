// The stubs are built without exceptions. The few places where the
// standard library would throw (no memory, a length past its limit) end the
// program instead, so that the exception runtime is not linked in and the
// stubs stay small.
#include <windows.h>

#include <cstdlib>
#include <new>

namespace {
[[noreturn]] void OutOfMemory() {
  FatalAppExitA(0, "Not enough memory to extract the archive.");
  ExitProcess(3);
}
}  // namespace

namespace std {
void __throw_bad_alloc() { OutOfMemory(); }
void __throw_bad_array_new_length() { OutOfMemory(); }
void __throw_length_error(const char*) { OutOfMemory(); }
void __throw_logic_error(const char*) { OutOfMemory(); }
void __throw_out_of_range_fmt(const char*, ...) { OutOfMemory(); }
void __throw_bad_function_call() { OutOfMemory(); }
}  // namespace std

void* operator new(size_t n) {
  if (void* p = std::malloc(n ? n : 1)) return p;
  OutOfMemory();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

// The stubs only read zips. The zip format code they share with the zip
// library also holds its compressor, which they never call; these keep
// zlib's compressor out of the programs.
#include <zlib.h>

extern "C" {
int ZEXPORT deflateInit2_(z_streamp, int, int, int, int, int, const char*, int) { return Z_STREAM_ERROR; }
int ZEXPORT deflate(z_streamp, int) { return Z_STREAM_ERROR; }
int ZEXPORT deflateEnd(z_streamp) { return Z_STREAM_ERROR; }
}
