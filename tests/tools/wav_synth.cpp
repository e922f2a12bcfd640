#include "wav_synth.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <stdexcept>

namespace mac_test {

namespace {

// A small deterministic generator, so every run and machine sees the same input.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    double uniform() { return static_cast<double>(next() >> 11) / 9007199254740992.0; } // [0, 1)

private:
    uint64_t state_;
};

int32_t full_scale_max(int bits) { return (1 << (bits - 1)) - 1; }
int32_t full_scale_min(int bits) { return -(1 << (bits - 1)); }

void put_sample(std::vector<uint8_t>& out, int bits, int32_t value)
{
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

// One channel of a chord progression: each note has harmonics falling off
// with order, an attack and a decay, and sits a little differently in each
// channel so the two are related but not equal.
double music_at(std::size_t i, uint32_t rate, int channel)
{
    static const double kChords[4][3] = {
        {220.00, 261.63, 329.63}, {174.61, 220.00, 261.63}, {196.00, 246.94, 293.66}, {164.81, 207.65, 246.94}};
    const double t = static_cast<double>(i) / rate;
    const int chord = static_cast<int>(t / 2.0) % 4;
    const double note_time = std::fmod(t, 0.5);
    const double envelope = std::min(1.0, note_time * 200.0) * std::exp(-note_time * 5.0);
    double value = 0;
    for (int n = 0; n < 3; ++n) {
        const double pan = channel == 0 ? 0.5 + 0.2 * (n - 1) : 0.5 - 0.2 * (n - 1);
        for (int h = 1; h <= 6; ++h) {
            const double frequency = kChords[chord][n] * h;
            if (frequency >= rate / 2.0)
                break;
            value += pan * std::sin(2 * std::numbers::pi * frequency * t + n + channel * 0.3) / (h * std::sqrt(h));
        }
    }
    return 0.3 * value * (0.6 + 0.4 * envelope);
}

} // namespace

std::string signal_name(Signal signal)
{
    switch (signal) {
    case Signal::Music: return "Music";
    case Signal::Silence: return "Silence";
    case Signal::Square: return "Square";
    case Signal::Noise: return "Noise";
    case Signal::IdenticalChannels: return "IdenticalChannels";
    }
    return "Unknown";
}

std::vector<uint8_t> synthesize(Signal signal, const PcmSpec& spec, std::size_t blocks)
{
    std::vector<uint8_t> pcm;
    pcm.reserve(blocks * spec.block_bytes());
    Random random(0x5eed1234u + static_cast<uint64_t>(signal) * 977 + spec.bits * 31 + spec.channels);
    const int32_t high = full_scale_max(spec.bits);
    const int32_t low = full_scale_min(spec.bits);
    const double scale = 0.8 * high;

    for (std::size_t i = 0; i < blocks; ++i) {
        int32_t values[2] = {};
        for (int c = 0; c < spec.channels; ++c) {
            switch (signal) {
            case Signal::Music:
            case Signal::IdenticalChannels: {
                // A noise floor of a few steps, as a real recording has.
                const double noise = (random.uniform() - 0.5) * (spec.bits == 8 ? 1.0 : 4.0);
                values[c] = static_cast<int32_t>(std::lround(music_at(i, spec.rate, c) * scale + noise));
                break;
            }
            case Signal::Silence: values[c] = 0; break;
            case Signal::Square: values[c] = ((i / 50 + c) % 2) ? high : low; break;
            case Signal::Noise:
                values[c] = low + static_cast<int32_t>(random.next() % (static_cast<uint64_t>(high) - low + 1));
                break;
            }
            values[c] = std::max(low, std::min(high, values[c]));
        }
        if (signal == Signal::IdenticalChannels)
            values[1] = values[0];
        for (int c = 0; c < spec.channels; ++c)
            put_sample(pcm, spec.bits, values[c]);
    }
    return pcm;
}

namespace {

void put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put_tag(std::vector<uint8_t>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(tag[i]));
}

} // namespace

std::vector<uint8_t> make_wav(const PcmSpec& spec, const std::vector<uint8_t>& pcm, const WavLayout& layout)
{
    const int bits = layout.header_bits ? layout.header_bits : spec.bits;
    const int channels = layout.header_channels ? layout.header_channels : spec.channels;
    const uint32_t rate = layout.header_rate ? layout.header_rate : spec.rate;
    const uint16_t block_align = static_cast<uint16_t>(channels * ((bits + 7) / 8));

    std::vector<uint8_t> body;
    put_tag(body, "WAVE");
    if (layout.chunks_before_data) {
        put_tag(body, "junk");
        put32(body, 3);
        body.insert(body.end(), {1, 2, 3, 0}); // odd size, so a pad byte follows
    }
    put_tag(body, "fmt ");
    if (layout.extensible) {
        put32(body, 40);
        put16(body, 0xFFFE);
    } else {
        put32(body, 16);
        put16(body, layout.format_tag);
    }
    put16(body, static_cast<uint16_t>(channels));
    put32(body, rate);
    put32(body, rate * block_align);
    put16(body, block_align);
    put16(body, static_cast<uint16_t>(bits));
    if (layout.extensible) {
        put16(body, 22);
        put16(body, static_cast<uint16_t>(bits));
        put32(body, channels == 2 ? 3 : 4);
        put16(body, layout.format_tag);
        body.insert(body.end(), {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    }
    if (layout.chunks_before_data) {
        put_tag(body, "fact");
        put32(body, 4);
        put32(body, static_cast<uint32_t>(pcm.size() / spec.block_bytes()));
    }
    put_tag(body, "data");
    put32(body, layout.use_data_size_override ? layout.data_size_override : static_cast<uint32_t>(pcm.size()));
    body.insert(body.end(), pcm.begin(), pcm.end());
    if (layout.chunk_after_data) {
        if (pcm.size() & 1)
            body.push_back(0);
        put_tag(body, "LIST");
        put32(body, 8);
        body.insert(body.end(), {'I', 'N', 'F', 'O', 'a', 'b', 'c', 'd'});
    }

    std::vector<uint8_t> wav;
    put_tag(wav, "RIFF");
    put32(wav, layout.use_riff_size_override ? layout.riff_size_override : static_cast<uint32_t>(body.size()));
    wav.insert(wav.end(), body.begin(), body.end());
    return wav;
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace mac_test
