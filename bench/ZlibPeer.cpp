// The zlib peer: every file of the folders read into memory first, then
// deflated there one after the other on one thread, at the given level,
// with the raw deflate settings of a zip entry.
//   ZlibPeer LEVEL FOLDER...
#include <zlib.h>

#include <cstdlib>

#include "BenchKit.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: ZlibPeer LEVEL FOLDER...\n");
    return 2;
  }
  int level = std::atoi(argv[1]);
  std::vector<std::string> files;
  for (int i = 2; i < argc; ++i) bench::ListFiles(argv[i], files);
  std::vector<std::vector<unsigned char>> data(files.size());
  double r0 = bench::Now();
  for (size_t i = 0; i < files.size(); ++i)
    if (!bench::ReadWhole(files[i], data[i])) {
      std::fprintf(stderr, "cannot read %s\n", files[i].c_str());
      return 1;
    }

  double readSeconds = bench::Now() - r0;
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return 1;
  std::vector<unsigned char> out;
  uint64_t in = 0, packed = 0;
  double cpu0 = bench::CpuSeconds(), t0 = bench::Now();
  for (const auto& d : data) {
    deflateReset(&z);
    out.resize(deflateBound(&z, static_cast<uLong>(d.size())));
    z.next_in = const_cast<Bytef*>(d.data());
    z.avail_in = static_cast<uInt>(d.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) return 1;
    in += d.size();
    packed += z.total_out;
  }
  double t1 = bench::Now(), cpu1 = bench::CpuSeconds();
  deflateEnd(&z);
  bench::Report(t1 - t0, cpu1 - cpu0,
                "files=" + std::to_string(files.size()) + " in=" + std::to_string(in) + " out=" + std::to_string(packed) +
                    " read=" + std::to_string(readSeconds));
  return 0;
}
