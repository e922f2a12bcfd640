#include "wav_synth.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sondrel::test {

namespace {

// A small deterministic generator, so every run and machine sees the same input.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  double uniform() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }  // [0, 1)

 private:
  uint64_t state_;
};

int32_t fullScaleMax(int bits) { return (1 << (bits - 1)) - 1; }
int32_t fullScaleMin(int bits) { return -(1 << (bits - 1)); }

void putSample(std::vector<uint8_t>& out, int bits, int32_t value) {
  switch (bits) {
    case 8: out.push_back(static_cast<uint8_t>(value + 128)); break;
    case 16:
      out.push_back(static_cast<uint8_t>(value));
      out.push_back(static_cast<uint8_t>(value >> 8));
      break;
    default:
      out.push_back(static_cast<uint8_t>(value));
      out.push_back(static_cast<uint8_t>(value >> 8));
      out.push_back(static_cast<uint8_t>(value >> 16));
      break;
  }
}

// Plucked strings (Karplus-Strong) on a four-chord progression, softened by a
// low-pass and given some room by two feedback combs per channel: the pitch
// periods, decays and reverberation that recorded music has, and that the
// longer filters of the higher levels are there to exploit. Peak at 1.0.
std::array<std::vector<double>, 2> renderMusic(std::size_t blocks, uint32_t rate, Random& random) {
  static const double kChords[4][4] = {{110.00, 220.00, 261.63, 329.63},
                                       {87.31, 174.61, 220.00, 261.63},
                                       {98.00, 196.00, 246.94, 293.66},
                                       {82.41, 164.81, 207.65, 246.94}};
  std::array<std::vector<double>, 2> out{std::vector<double>(blocks), std::vector<double>(blocks)};
  const std::size_t beat = rate / 2;
  const std::size_t ring = 2 * static_cast<std::size_t>(rate);
  for (std::size_t start = 0, beatNumber = 0; start < blocks; start += beat, ++beatNumber) {
    const double* chord = kChords[(beatNumber / 4) % 4];
    for (int n = 0; n < 4; ++n) {
      std::vector<double> string(static_cast<std::size_t>(rate / chord[n]));
      for (double& v : string) v = 2 * random.uniform() - 1;
      const double pan = 0.15 * (n - 1.5);
      std::size_t pos = 0;
      for (std::size_t i = start; i < std::min(blocks, start + ring); ++i) {
        const double x = string[pos];
        const std::size_t next = pos + 1 == string.size() ? 0 : pos + 1;
        string[pos] = 0.4985 * (x + string[next]);
        pos = next;
        out[0][i] += x * (0.5 + pan);
        out[1][i] += x * (0.5 - pan);
      }
    }
  }
  double peak = 1e-9;
  for (int c = 0; c < 2; ++c) {
    std::vector<double> comb1(1557 + 23 * c), comb2(1617 + 31 * c);
    double smooth = 0;
    for (std::size_t i = 0; i < blocks; ++i) {
      smooth = 0.6 * smooth + 0.4 * out[c][i];
      double& a = comb1[i % comb1.size()];
      double& b = comb2[i % comb2.size()];
      const double wet = a + b;
      a = smooth + 0.7 * a;
      b = smooth + 0.7 * b;
      out[c][i] = smooth + 0.25 * wet;
      peak = std::max(peak, std::fabs(out[c][i]));
    }
  }
  for (auto& channel : out)
    for (double& v : channel) v /= peak;
  return out;
}

}  // namespace

std::string signalName(Signal signal) {
  switch (signal) {
    case Signal::Music: return "Music";
    case Signal::Silence: return "Silence";
    case Signal::Square: return "Square";
    case Signal::Noise: return "Noise";
    case Signal::IdenticalChannels: return "IdenticalChannels";
  }
  return "Unknown";
}

std::vector<uint8_t> synthesize(Signal signal, const PcmShape& shape, std::size_t blocks) {
  std::vector<uint8_t> pcm;
  pcm.reserve(blocks * shape.blockBytes());
  Random random(0x5eed1234u + static_cast<uint64_t>(signal) * 977 + shape.bits * 31 + shape.channels);
  const int32_t high = fullScaleMax(shape.bits);
  const int32_t low = fullScaleMin(shape.bits);
  const double scale = 0.8 * high;

  std::array<std::vector<double>, 2> music;
  if (signal == Signal::Music || signal == Signal::IdenticalChannels) music = renderMusic(blocks, shape.rate, random);

  for (std::size_t i = 0; i < blocks; ++i) {
    int32_t values[2] = {};
    for (int c = 0; c < shape.channels; ++c) {
      switch (signal) {
        case Signal::Music:
        case Signal::IdenticalChannels:
          // Rounded with a little dither, as a recording's converter would.
          values[c] = static_cast<int32_t>(std::lround(music[c][i] * scale + random.uniform() - 0.5));
          break;
        case Signal::Silence: values[c] = 0; break;
        case Signal::Square: values[c] = ((i / 50 + c) % 2) ? high : low; break;
        case Signal::Noise:
          values[c] = low + static_cast<int32_t>(random.next() % (static_cast<uint64_t>(high) - low + 1));
          break;
      }
      values[c] = std::max(low, std::min(high, values[c]));
    }
    if (signal == Signal::IdenticalChannels) values[1] = values[0];
    for (int c = 0; c < shape.channels; ++c) putSample(pcm, shape.bits, values[c]);
  }
  return pcm;
}

namespace {

void put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

}  // namespace

std::vector<uint8_t> makeWav(const PcmShape& shape, const std::vector<uint8_t>& pcm, const WavLayout& layout) {
  const int bits = layout.headerBits ? layout.headerBits : shape.bits;
  const int channels = layout.headerChannels ? layout.headerChannels : shape.channels;
  const uint32_t rate = layout.headerRate ? layout.headerRate : shape.rate;
  const uint16_t blockAlign = static_cast<uint16_t>(channels * ((bits + 7) / 8));

  std::vector<uint8_t> body;
  putTag(body, "WAVE");
  if (layout.chunksBeforeData) {
    putTag(body, "junk");
    put32(body, 3);
    body.insert(body.end(), {1, 2, 3, 0});  // odd size, so a pad byte follows
  }
  putTag(body, "fmt ");
  if (layout.extensible) {
    put32(body, 40);
    put16(body, 0xFFFE);
  } else {
    put32(body, 16);
    put16(body, layout.formatTag);
  }
  put16(body, static_cast<uint16_t>(channels));
  put32(body, rate);
  put32(body, rate * blockAlign);
  put16(body, blockAlign);
  put16(body, static_cast<uint16_t>(bits));
  if (layout.extensible) {
    put16(body, 22);
    put16(body, static_cast<uint16_t>(bits));
    put32(body, channels == 2 ? 3 : 4);
    put16(body, layout.formatTag);
    body.insert(body.end(), {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
  }
  if (layout.chunksBeforeData) {
    putTag(body, "fact");
    put32(body, 4);
    put32(body, static_cast<uint32_t>(pcm.size() / shape.blockBytes()));
  }
  putTag(body, "data");
  put32(body, layout.useDataSizeOverride ? layout.dataSizeOverride : static_cast<uint32_t>(pcm.size()));
  body.insert(body.end(), pcm.begin(), pcm.end());
  if (layout.chunkAfterData) {
    if (pcm.size() & 1) body.push_back(0);
    putTag(body, "LIST");
    put32(body, 8);
    body.insert(body.end(), {'I', 'N', 'F', 'O', 'a', 'b', 'c', 'd'});
  }

  std::vector<uint8_t> wav;
  putTag(wav, "RIFF");
  put32(wav, layout.useRiffSizeOverride ? layout.riffSizeOverride : static_cast<uint32_t>(body.size()));
  wav.insert(wav.end(), body.begin(), body.end());
  return wav;
}

}  // namespace sondrel::test
