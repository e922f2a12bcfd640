#include "audio/stream.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sondrel::audio {

Stream::Stream(std::unique_ptr<Source> source, SampleFormat format)
    : source_(std::move(source)), info_(source_->info()), format_(format) {}

Stream::~Stream() = default;

int64_t Stream::length() const { return info_.frames < 0 ? -1 : info_.frames * blockAlign(); }

double Stream::bytesToSeconds(int64_t bytes) const {
  if (info_.rate <= 0 || blockAlign() <= 0) return 0.0;
  return static_cast<double>(bytes / blockAlign()) / info_.rate;
}

int64_t Stream::secondsToBytes(double seconds) const {
  if (seconds <= 0.0 || !std::isfinite(seconds)) return 0;
  // A hair of tolerance keeps whole-second positions from falling one frame
  // short through floating-point error.
  const double frames = std::floor(seconds * info_.rate + 1e-6);
  if (frames > static_cast<double>(std::numeric_limits<int64_t>::max() / 16)) return -1;
  return static_cast<int64_t>(frames) * blockAlign();
}

bool Stream::setPosition(int64_t bytes) {
  if (bytes < 0) return false;
  const int64_t frame = bytes / blockAlign();
  if (!source_->seekFrame(frame)) return false;
  position_ = frame * blockAlign();
  ended_ = false;
  return true;
}

int64_t Stream::nextSyncAfter(int64_t position) const {
  int64_t next = std::numeric_limits<int64_t>::max();
  for (const auto& s : syncs_)
    if (s.kind == SyncKind::Position && s.position > position) next = std::min(next, s.position);
  return next;
}

size_t Stream::read(void* out, size_t bytes) {
  const int align = blockAlign();
  if (align <= 0 || ended_) return 0;
  size_t frames = bytes / static_cast<size_t>(align);
  // Stop at the next position sync so that it fires at its exact byte.
  const int64_t syncAt = nextSyncAfter(position_);
  if (syncAt != std::numeric_limits<int64_t>::max()) {
    const int64_t untilSync = (syncAt - position_ + align - 1) / align;
    frames = std::min<size_t>(frames, static_cast<size_t>(untilSync));
  }
  if (frames == 0) return 0;
  const size_t samples = frames * static_cast<size_t>(info_.channels);
  float* target = format_ == SampleFormat::F32 ? static_cast<float*>(out) : nullptr;
  if (!target) {
    scratch_.resize(samples);
    target = scratch_.data();
  }
  size_t got = 0;
  while (got < frames) {
    size_t n = source_->readFrames(target + got * info_.channels, frames - got);
    if (n == 0) break;
    got += n;
  }
  if (got > 0) {
    const size_t gotBytes = got * static_cast<size_t>(align);
    if (format_ != SampleFormat::F32) convertFromFloat(target, got * info_.channels, format_, out);
    for (auto& p : processors_) p.fn(out, gotBytes);
    for (auto& s : sinks_) s.second(out, gotBytes);
    position_ += static_cast<int64_t>(gotBytes);
    firePositionSyncs(position_);
  }
  if (got < frames) {
    ended_ = true;
    fireEndSyncs();
  }
  return got * static_cast<size_t>(align);
}

void Stream::firePositionSyncs(int64_t reached) {
  // Callbacks may add or remove syncs, so collect first.
  // Reads stop at sync positions, so a sync is due exactly when a read ends on it.
  std::vector<int> due;
  for (const auto& s : syncs_)
    if (s.kind == SyncKind::Position && s.position == reached) due.push_back(s.id);
  fire(due);
}

void Stream::fire(const std::vector<int>& due) {
  // Callbacks may add or remove syncs, so look each one up again.
  for (int id : due) {
    auto it = std::find_if(syncs_.begin(), syncs_.end(), [id](const SyncSlot& s) { return s.id == id; });
    if (it == syncs_.end()) continue;
    SyncCallback fn = it->fn;
    if (it->oneTime) syncs_.erase(it);
    fn();
  }
}

void Stream::fireEndSyncs() {
  std::vector<int> due;
  for (const auto& s : syncs_)
    if (s.kind == SyncKind::End) due.push_back(s.id);
  fire(due);
}

std::vector<float> Stream::readLevels(double seconds) {
  std::vector<float> peaks(static_cast<size_t>(std::max(info_.channels, 0)), 0.0f);
  int64_t want = secondsToBytes(seconds);
  if (want <= 0 || peaks.empty()) return peaks;
  std::vector<uint8_t> block(static_cast<size_t>(std::min<int64_t>(want, 1 << 16)) + blockAlign());
  while (want > 0) {
    size_t got = read(block.data(), static_cast<size_t>(std::min<int64_t>(want, static_cast<int64_t>(block.size()))));
    if (got == 0) break;
    want -= static_cast<int64_t>(got);
    const size_t count = got / static_cast<size_t>(bytesPerSample(format_));
    for (size_t i = 0; i < count; ++i) {
      float v = 0.0f;
      switch (format_) {
        case SampleFormat::U8: v = std::abs((block[i] - 128) / 128.0f); break;
        case SampleFormat::S16: v = std::abs(reinterpret_cast<const int16_t*>(block.data())[i] / 32768.0f); break;
        case SampleFormat::F32: v = std::abs(reinterpret_cast<const float*>(block.data())[i]); break;
      }
      float& peak = peaks[i % peaks.size()];
      peak = std::max(peak, v);
    }
  }
  return peaks;
}

int Stream::addProcessor(Processor processor) {
  const int id = nextId_++;
  processors_.push_back({id, std::move(processor)});
  return id;
}

void Stream::removeProcessor(int id) {
  std::erase_if(processors_, [id](const ProcessorSlot& p) { return p.id == id; });
}

int Stream::addSink(Sink sink) {
  const int id = nextId_++;
  sinks_.emplace_back(id, std::move(sink));
  return id;
}

void Stream::removeSink(int id) {
  std::erase_if(sinks_, [id](const auto& s) { return s.first == id; });
}

int Stream::addSync(SyncKind kind, int64_t bytePosition, SyncCallback callback, bool mixTime, bool oneTime) {
  const int id = nextId_++;
  const int align = std::max(blockAlign(), 1);
  syncs_.push_back({id, kind, bytePosition / align * align, std::move(callback), mixTime, oneTime});
  return id;
}

void Stream::removeSync(int id) {
  std::erase_if(syncs_, [id](const SyncSlot& s) { return s.id == id; });
}

}  // namespace sondrel::audio
