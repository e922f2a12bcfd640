#include "audio/midi_timing.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace sondrel::audio {
namespace {

constexpr std::streamoff kMaxMidiBytes = 64LL * 1024 * 1024;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  bool has(size_t n) const { return static_cast<size_t>(end_ - p_) >= n; }
  size_t left() const { return static_cast<size_t>(end_ - p_); }
  uint32_t be(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | *p_++;
    return v;
  }
  bool varLen(uint32_t& v) {
    v = 0;
    for (int i = 0; i < 4; ++i) {
      if (!has(1)) return false;
      const uint8_t b = *p_++;
      v = (v << 7) | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
    return false;
  }
  uint8_t byte() { return *p_++; }
  void skip(size_t n) { p_ += n; }
  const uint8_t* here() const { return p_; }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

// Data bytes that follow a channel status byte.
int dataBytes(uint8_t status) {
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 1;
    default: return 2;
  }
}

}  // namespace

std::optional<MidiTiming> MidiTiming::read(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  const std::streamoff size = in.tellg();
  if (size < 14 || size > kMaxMidiBytes) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
  return parse(bytes);
}

std::optional<MidiTiming> MidiTiming::parse(const std::vector<uint8_t>& bytes) {
  size_t offset = 0;
  // RIFF-wrapped MIDI (.rmi) carries the file in its "data" chunk.
  if (bytes.size() >= 20 && std::equal(bytes.begin(), bytes.begin() + 4, "RIFF") &&
      std::equal(bytes.begin() + 8, bytes.begin() + 12, "RMID")) {
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
      const uint32_t size = bytes[pos + 4] | bytes[pos + 5] << 8 | bytes[pos + 6] << 16 | static_cast<uint32_t>(bytes[pos + 7]) << 24;
      if (std::equal(bytes.begin() + pos, bytes.begin() + pos + 4, "data")) {
        offset = pos + 8;
        break;
      }
      pos += 8 + size + (size & 1);
    }
    if (offset == 0) return std::nullopt;
  }
  Reader r(bytes.data() + offset, bytes.size() - offset);
  if (!r.has(14) || !std::equal(r.here(), r.here() + 4, "MThd")) return std::nullopt;
  r.skip(4);
  const uint32_t headerSize = r.be(4);
  if (headerSize < 6 || !r.has(headerSize)) return std::nullopt;
  r.be(2);  // format
  const uint32_t trackCount = r.be(2);
  const uint32_t division = r.be(2);
  r.skip(headerSize - 6);
  if (division == 0 || (division & 0x8000)) return std::nullopt;  // SMPTE timing is not used by real files

  MidiTiming timing;
  timing.division_ = static_cast<int>(division);
  for (uint32_t t = 0; t < trackCount && r.has(8); ++t) {
    const bool isTrack = std::equal(r.here(), r.here() + 4, "MTrk");
    r.skip(4);
    const uint32_t length = r.be(4);
    if (length > r.left()) return std::nullopt;
    if (!isTrack) {
      r.skip(length);
      continue;
    }
    Reader tr(r.here(), length);
    r.skip(length);
    int64_t tick = 0;
    uint8_t running = 0;
    while (tr.has(1)) {
      uint32_t delta = 0;
      if (!tr.varLen(delta)) break;
      tick += delta;
      if (!tr.has(1)) break;
      uint8_t status = tr.byte();
      if (status == 0xFF) {
        if (!tr.has(1)) break;
        const uint8_t type = tr.byte();
        uint32_t len = 0;
        if (!tr.varLen(len) || !tr.has(len)) break;
        if (type == 0x51 && len == 3) timing.tempos_.push_back({tick, tr.be(3)});
        else tr.skip(len);
        timing.lastTick_ = std::max(timing.lastTick_, tick);
        if (type == 0x2F) break;
        continue;
      }
      if (status == 0xF0 || status == 0xF7) {
        uint32_t len = 0;
        if (!tr.varLen(len) || !tr.has(len)) break;
        tr.skip(len);
        continue;
      }
      int need = 0;
      if (status & 0x80) {
        running = status;
        need = dataBytes(status);
      } else {
        if (!running) break;
        need = dataBytes(running) - 1;  // this byte was the first data byte
      }
      if (!tr.has(static_cast<size_t>(need))) break;
      tr.skip(static_cast<size_t>(need));
      timing.lastTick_ = std::max(timing.lastTick_, tick);
    }
  }
  std::stable_sort(timing.tempos_.begin(), timing.tempos_.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  return timing;
}

double MidiTiming::secondsAt(int64_t tick) const {
  double seconds = 0.0;
  int64_t at = 0;
  uint32_t tempo = 500000;  // 120 beats per minute until told otherwise
  for (const auto& change : tempos_) {
    if (change.tick >= tick) break;
    seconds += static_cast<double>(change.tick - at) * tempo / (1e6 * division_);
    at = change.tick;
    tempo = change.microsPerQuarter;
  }
  return seconds + static_cast<double>(tick - at) * tempo / (1e6 * division_);
}

int64_t MidiTiming::tickAt(double seconds) const {
  double elapsed = 0.0;
  int64_t at = 0;
  uint32_t tempo = 500000;
  for (const auto& change : tempos_) {
    const double span = static_cast<double>(change.tick - at) * tempo / (1e6 * division_);
    if (elapsed + span > seconds) break;
    elapsed += span;
    at = change.tick;
    tempo = change.microsPerQuarter;
  }
  if (tempo == 0) return at;
  return at + static_cast<int64_t>((seconds - elapsed) * 1e6 * division_ / tempo);
}

}  // namespace sondrel::audio
