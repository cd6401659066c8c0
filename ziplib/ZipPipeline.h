// Compression of entry data on worker threads. A file is cut into pieces
// of up to kPieceInput bytes; each piece of a deflated entry is primed with
// the 32 KB before it and all but the last end on a byte boundary, so the
// pieces joined are one deflate stream. Pieces come back in the order they
// were handed in, whichever thread did them. Small pieces travel in
// batches, so that a thread is woken once for many small files. No Win32
// here.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "ZipFormat.h"

namespace zipfmt {

constexpr size_t kPieceInput = 1u << 20;
constexpr size_t kPieceDictionary = 32768;

struct TPiece {
  // In: the bytes, the level (0 stores), the bytes before them in the file
  // (deflate only), and whether the entry ends with this piece. With Load
  // set, the pipeline's loader fills Input on the worker thread first; it
  // sets Failed, FailCode and FailText when it cannot.
  bool Load = false;
  std::string Path;
  uint64_t ExpectedSize = 0;
  uint64_t ExpectedTime = 0;  // last-write time as listed, in the system's units
  bool Failed = false;
  int32_t FailCode = 0;
  std::string FailText;
  RawBytes Input;
  RawBytes Dictionary;
  int Level = 9;
  bool Last = true;
  // Out: the entry data of this piece, and the CRC-32 and size of Input.
  RawBytes Output;
  uint32_t Crc = 0;
  uint32_t InputSize = 0;
  bool Ok = true;
  // Free for the caller: which entry the piece belongs to.
  size_t Tag = 0;
  // What the pipeline counts it as while it waits.
  size_t Weight = 0;
};

// Compresses one piece with the given stream. Input and Output keep their
// buffers, so that the caller can use them again.
void CompressPiece(TDeflater& deflater, TPiece& piece);

// Fills a piece's Input from its Path; false when it cannot (the piece
// says why).
using TPieceLoader = std::function<bool(TPiece&)>;

class TPiecePipeline {
public:
  // With no threads the pieces are done in Take, on the caller's thread.
  TPiecePipeline(unsigned threads, TPieceLoader loader = {});
  ~TPiecePipeline();  // pieces not taken are dropped; the threads end
  TPiecePipeline(const TPiecePipeline&) = delete;
  TPiecePipeline& operator=(const TPiecePipeline&) = delete;

  void Submit(std::unique_ptr<TPiece> piece);
  // The oldest piece not yet taken, once it is done; null when none is left.
  std::unique_ptr<TPiece> Take();
  size_t Waiting() const { return waiting_; }           // handed in, not taken
  size_t WaitingBytes() const { return waitingBytes_; }  // their input, or its expected size

  // The threads worth starting on this machine.
  static unsigned DefaultThreads();

private:
  // Pieces done together by one thread.
  struct TBatch {
    std::vector<std::unique_ptr<TPiece>> Pieces;
    size_t Weight = 0;
    size_t Next = 0;  // the next to take
    bool Done = false;
  };
  void Seal();
  void Work();
  void Do(TDeflater& deflater, TPiece& piece);

  std::mutex mutex_;
  std::condition_variable work_;  // a batch to do, or stopping
  std::condition_variable done_;  // a batch is done
  std::shared_ptr<TBatch> open_;               // still taking pieces
  std::deque<std::shared_ptr<TBatch>> order_;  // sealed, not all taken
  std::deque<std::shared_ptr<TBatch>> todo_;   // sealed, not started
  bool stopping_ = false;
  std::vector<std::thread> threads_;
  TPieceLoader loader_;
  TDeflater inline_;
  size_t waiting_ = 0, waitingBytes_ = 0;
};

}  // namespace zipfmt
