// A stream: a source delivered in one sample layout, addressed in bytes of
// that layout, with sample processors called in place on every block read and
// syncs that fire inside the read that reaches them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "audio/sample_format.h"
#include "audio/source.h"

namespace sondrel::audio {

// Called in place on each block read, in the stream's own layout.
using Processor = std::function<void(void* data, size_t bytes)>;
using SyncCallback = std::function<void()>;
// Receives each block after the processors (an encoder fed by the stream).
using Sink = std::function<void(const void* data, size_t bytes)>;

enum class SyncKind {
  Position,       // once the read reaches a byte position
  End,            // when the source ends
};

class Stream {
 public:
  Stream(std::unique_ptr<Source> source, SampleFormat format);
  ~Stream();
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  SampleFormat format() const { return format_; }
  int rate() const { return info_.rate; }
  int channels() const { return info_.channels; }
  int sourceBits() const { return info_.sourceBits; }
  int blockAlign() const { return info_.channels * bytesPerSample(format_); }

  // Length in bytes of this stream's layout; -1 when unknown.
  int64_t length() const;
  double bytesToSeconds(int64_t bytes) const;
  // Whole frames only: the byte position of the frame that starts the second.
  int64_t secondsToBytes(double seconds) const;

  int64_t position() const { return position_; }
  // Seeks so that the next byte read is the one at `bytes` (rounded down to a
  // whole frame). Clears the end state.
  bool setPosition(int64_t bytes);
  // True once a read has met the end of the source.
  bool ended() const { return ended_; }

  // Reads up to `bytes` (whole frames) into `out`, runs the processors on the
  // block and fires the syncs it reaches. A read stops short at a position
  // sync, so that the sync fires exactly at its byte. Returns 0 at the end.
  size_t read(void* out, size_t bytes);

  // Peak levels of the next `seconds` of the stream (consumes them), per
  // channel, on a 0..1 scale.
  std::vector<float> readLevels(double seconds);

  int addProcessor(Processor processor);
  void removeProcessor(int id);
  int addSink(Sink sink);
  void removeSink(int id);
  // `mixTime` marks syncs that must run as the data is produced rather than
  // when it is heard; for decoding streams both run inside read().
  int addSync(SyncKind kind, int64_t bytePosition, SyncCallback callback, bool mixTime = false,
              bool oneTime = false);
  void removeSync(int id);

 private:
  struct ProcessorSlot {
    int id;
    Processor fn;
  };
  struct SyncSlot {
    int id;
    SyncKind kind;
    int64_t position;
    SyncCallback fn;
    bool mixTime;
    bool oneTime;
  };
  int64_t nextSyncAfter(int64_t position) const;
  void firePositionSyncs(int64_t reached);
  void fireEndSyncs();
  void fire(const std::vector<int>& due);

  std::unique_ptr<Source> source_;
  SourceInfo info_;
  SampleFormat format_;
  int64_t position_ = 0;
  bool ended_ = false;
  std::vector<float> scratch_;
  std::vector<ProcessorSlot> processors_;
  std::vector<std::pair<int, Sink>> sinks_;
  std::vector<SyncSlot> syncs_;
  int nextId_ = 1;
};

}  // namespace sondrel::audio
