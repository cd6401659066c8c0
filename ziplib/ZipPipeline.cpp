#include "ZipPipeline.h"

#include <algorithm>

namespace zipfmt {

namespace {
// A batch is sealed at this many pieces or bytes.
constexpr size_t kBatchPieces = 64;
constexpr size_t kBatchBytes = kPieceInput;
}  // namespace

void CompressPiece(TDeflater& deflater, TPiece& piece) {
  piece.InputSize = static_cast<uint32_t>(piece.Input.size());
  piece.Crc = Crc32(0, piece.Input.data(), piece.Input.size());
  piece.Output.clear();
  if (piece.Level <= 0) {
    piece.Output.swap(piece.Input);
  } else {
    piece.Ok = deflater.Begin(piece.Level, piece.Dictionary.data(), piece.Dictionary.size()) &&
               deflater.Deflate(piece.Input.data(), piece.Input.size(),
                                piece.Last ? TDeflater::Finish : TDeflater::SyncFlush, piece.Output);
  }
}

TPiecePipeline::TPiecePipeline(unsigned threads, TPieceLoader loader) : loader_(std::move(loader)) {
  for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

TPiecePipeline::~TPiecePipeline() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    todo_.clear();
  }
  work_.notify_all();
  for (std::thread& t : threads_) t.join();
}

unsigned TPiecePipeline::DefaultThreads() {
  unsigned n = std::thread::hardware_concurrency();
  return n <= 1 ? 0 : std::min(n, 8u);
}

void TPiecePipeline::Do(TDeflater& deflater, TPiece& piece) {
  if (piece.Load) {
    piece.Input.clear();
    if (!loader_ || !loader_(piece)) {
      piece.Failed = true;
      piece.Output.clear();
      return;
    }
  }
  CompressPiece(deflater, piece);
}

void TPiecePipeline::Submit(std::unique_ptr<TPiece> piece) {
  size_t weight = piece->Load ? static_cast<size_t>(piece->ExpectedSize) : piece->Input.size();
  piece->Weight = weight;
  ++waiting_;
  waitingBytes_ += weight;
  if (!open_) open_ = std::make_shared<TBatch>();
  open_->Weight += weight;
  open_->Pieces.push_back(std::move(piece));
  if (open_->Pieces.size() >= kBatchPieces || open_->Weight >= kBatchBytes) Seal();
}

void TPiecePipeline::Seal() {
  if (!open_) return;
  std::shared_ptr<TBatch> batch = std::move(open_);
  open_.reset();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    order_.push_back(batch);
    if (!threads_.empty()) todo_.push_back(batch);
  }
  if (!threads_.empty()) work_.notify_one();
}

std::unique_ptr<TPiece> TPiecePipeline::Take() {
  std::shared_ptr<TBatch> batch;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (order_.empty()) {
      lock.unlock();
      Seal();
      lock.lock();
      if (order_.empty()) return nullptr;
    }
    batch = order_.front();
    if (!threads_.empty()) done_.wait(lock, [&] { return batch->Done; });
  }
  if (threads_.empty() && !batch->Done) {
    for (auto& p : batch->Pieces) Do(inline_, *p);
    batch->Done = true;
  }
  std::unique_ptr<TPiece> piece = std::move(batch->Pieces[batch->Next++]);
  if (batch->Next == batch->Pieces.size()) {
    std::lock_guard<std::mutex> lock(mutex_);
    order_.pop_front();
  }
  --waiting_;
  waitingBytes_ -= piece->Weight;
  return piece;
}

void TPiecePipeline::Work() {
  TDeflater deflater;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_.wait(lock, [&] { return stopping_ || !todo_.empty(); });
    if (stopping_) return;
    std::shared_ptr<TBatch> batch = todo_.front();
    todo_.pop_front();
    lock.unlock();
    for (auto& p : batch->Pieces) Do(deflater, *p);
    lock.lock();
    batch->Done = true;
    done_.notify_one();
  }
}

}  // namespace zipfmt
