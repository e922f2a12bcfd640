// Tests of bin/MAC. FFmpeg's Monkey's Audio decoder is the judge: whatever MAC
// writes must decode to exactly the samples it was given, with every frame
// CRC checked, and the file's own bookkeeping must agree with what it holds.

#include "ape_file.h"
#include "support/test_support.h"
#include "wav_synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace mac_test {
namespace {

namespace fs = std::filesystem;

const std::string kMac = MAC_PROGRAM;
constexpr int kLevels[] = {1000, 2000, 3000, 4000, 5000};

// Frame lengths the encoder uses; inputs longer than these span several frames.
std::size_t frame_blocks(int level)
{
    return level == 5000 ? 73728 * 16 : level == 4000 ? 73728 * 4 : 73728;
}

std::string level_switch(int level)
{
    return "-c" + std::to_string(level);
}

const char* raw_format(int bits)
{
    return bits == 8 ? "u8" : bits == 16 ? "s16le" : "s24le";
}

using sondrel::test::ProcessResult;
using sondrel::test::run;
using TempFolder = sondrel::test::TempDir;

std::string as_text(const std::vector<uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    sondrel::test::writeFile(path, as_text(bytes));
}

std::vector<uint8_t> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> folder_entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Feeds the WAV on standard input, as the converter does.
ProcessResult encode_from_stdin(const std::string& wav, const std::string& ape, int level)
{
    return run({kMac, "-", ape, level_switch(level)}, as_text(read_file(wav)));
}

// Decodes with frame CRCs checked and any decoding error fatal.
ProcessResult decode(const std::string& ape, int bits)
{
    return run({"ffmpeg", "-nostdin", "-v", "error", "-err_detect", "crccheck+explode", "-xerror", "-i", ape,
                        "-f", raw_format(bits), "-"});
}

testing::AssertionResult same_bytes(const std::string& decoded, const std::vector<uint8_t>& expected)
{
    if (decoded.size() != expected.size())
        return testing::AssertionFailure() << "decoded " << decoded.size() << " bytes, expected " << expected.size();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (static_cast<uint8_t>(decoded[i]) != expected[i])
            return testing::AssertionFailure() << "first difference at byte " << i << " of " << expected.size();
    }
    return testing::AssertionSuccess();
}

// Encodes `pcm` wrapped in a plain WAV and expects FFmpeg to give it back.
void expect_round_trip(const TempFolder& folder, const PcmShape& shape, const std::vector<uint8_t>& pcm, int level)
{
    const std::string wav = folder.file("in.wav");
    const std::string ape = folder.file("out.ape");
    write_file(wav, make_wav(shape, pcm));

    const ProcessResult encoded = encode_from_stdin(wav, ape, level);
    ASSERT_EQ(encoded.exitCode, 0) << encoded.err;
    EXPECT_EQ(encoded.err, "");

    const ProcessResult decoded = decode(ape, shape.bits);
    ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
    EXPECT_EQ(decoded.err, "");
    EXPECT_TRUE(same_bytes(decoded.out, pcm));
}

// --- every level, depth and channel count, on music and on edge signals ------

struct RoundTripCase {
    int level;
    int bits;
    int channels;
    Signal signal;
    std::size_t blocks;
};

std::vector<RoundTripCase> round_trip_cases()
{
    std::vector<RoundTripCase> cases;
    for (int level : kLevels) {
        for (int bits : {8, 16, 24}) {
            for (int channels : {1, 2}) {
                // Music runs past the first frame and ends part-way into the next.
                cases.push_back({level, bits, channels, Signal::Music, frame_blocks(level) + 1237});
                cases.push_back({level, bits, channels, Signal::Music, 1});
                cases.push_back({level, bits, channels, Signal::Silence, 3000});
                cases.push_back({level, bits, channels, Signal::Square, 5001});
                cases.push_back({level, bits, channels, Signal::Noise, 4099});
                if (channels == 2)
                    cases.push_back({level, bits, channels, Signal::IdenticalChannels, 6007});
            }
        }
    }
    return cases;
}

std::string round_trip_name(const testing::TestParamInfo<RoundTripCase>& info)
{
    const RoundTripCase& c = info.param;
    return "c" + std::to_string(c.level) + "_" + std::to_string(c.bits) + "bit_" +
           (c.channels == 2 ? "stereo_" : "mono_") + signal_name(c.signal) + "_" + std::to_string(c.blocks);
}

class RoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, FfmpegDecodesExactlyTheInput)
{
    const RoundTripCase& c = GetParam();
    const PcmShape shape{c.bits, c.channels, 44100};
    TempFolder folder;
    expect_round_trip(folder, shape, synthesize(c.signal, shape, c.blocks), c.level);
}

INSTANTIATE_TEST_SUITE_P(AllLevelsDepthsAndSignals, RoundTrip, testing::ValuesIn(round_trip_cases()),
                         round_trip_name);

// --- the WAV streams the encoder must accept --------------------------------

struct InputCase {
    const char* name;
    WavLayout layout;
    bool from_path;           // give the WAV as a file path instead of "-"
    std::size_t stray_bytes;  // bytes of an incomplete block after the audio
};

class InputVariants : public testing::TestWithParam<InputCase> {};

TEST_P(InputVariants, AreEncodedLosslessly)
{
    const InputCase& c = GetParam();
    const PcmShape shape{16, 2, 48000};
    const std::vector<uint8_t> pcm = synthesize(Signal::Music, shape, 20011);
    std::vector<uint8_t> wav = make_wav(shape, pcm, c.layout);
    wav.insert(wav.end(), c.stray_bytes, 0x55);

    TempFolder folder;
    const std::string wav_path = folder.file("in.wav");
    const std::string ape = folder.file("out.ape");
    write_file(wav_path, wav);

    const ProcessResult encoded = c.from_path ? run({kMac, wav_path, ape, "-c2000"})
                                              : encode_from_stdin(wav_path, ape, 2000);
    ASSERT_EQ(encoded.exitCode, 0) << encoded.err;
    const ProcessResult decoded = decode(ape, shape.bits);
    ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
    EXPECT_TRUE(same_bytes(decoded.out, pcm));
}

WavLayout streamed(uint32_t size)
{
    WavLayout layout;
    layout.use_riff_size_override = layout.use_data_size_override = true;
    layout.riff_size_override = layout.data_size_override = size;
    return layout;
}

WavLayout with(std::function<void(WavLayout&)> change)
{
    WavLayout layout;
    change(layout);
    return layout;
}

INSTANTIATE_TEST_SUITE_P(
    Wav, InputVariants,
    testing::Values(InputCase{"StreamedSizesZero", streamed(0), false, 0},
                    InputCase{"StreamedSizesAllOnes", streamed(0xFFFFFFFFu), false, 0},
                    InputCase{"StreamedWithIncompleteLastBlock", streamed(0), false, 3},
                    InputCase{"UnknownChunksBeforeData", with([](WavLayout& l) { l.chunks_before_data = true; }),
                              false, 0},
                    InputCase{"ChunkAfterData", with([](WavLayout& l) { l.chunk_after_data = true; }), false, 0},
                    InputCase{"ExtensiblePcm", with([](WavLayout& l) { l.extensible = true; }), false, 0},
                    InputCase{"FilePathInsteadOfStdin", WavLayout{}, true, 0}),
    [](const testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

// --- what FFmpeg's prober reads from the header ------------------------------

struct ProbeCase {
    uint32_t rate;
    int bits;
    int channels;
    std::size_t blocks;
};

std::map<std::string, std::string> probe(const std::string& path)
{
    const ProcessResult result = run({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                                              "stream=sample_rate,channels,duration_ts,duration", "-of",
                                              "default=noprint_wrappers=1", path});
    std::map<std::string, std::string> fields;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        if (equals != std::string::npos)
            fields[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return fields;
}

class Probe : public testing::TestWithParam<ProbeCase> {};

TEST_P(Probe, ReportsRateChannelsAndDuration)
{
    const ProbeCase& c = GetParam();
    const PcmShape shape{c.bits, c.channels, c.rate};
    TempFolder folder;
    const std::string wav = folder.file("in.wav");
    const std::string ape = folder.file("out.ape");
    write_file(wav, make_wav(shape, synthesize(Signal::Music, shape, c.blocks)));
    ASSERT_EQ(encode_from_stdin(wav, ape, 3000).exitCode, 0);

    auto fields = probe(ape);
    EXPECT_EQ(fields["sample_rate"], std::to_string(c.rate));
    EXPECT_EQ(fields["channels"], std::to_string(c.channels));
    EXPECT_EQ(fields["duration_ts"], std::to_string(c.blocks));
    EXPECT_NEAR(std::stod(fields["duration"]), static_cast<double>(c.blocks) / c.rate, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Rates, Probe,
                         testing::Values(ProbeCase{8000, 16, 1, 8000 * 3 + 7}, ProbeCase{22050, 8, 2, 22050 + 1},
                                         ProbeCase{44100, 24, 2, 44100 * 2 + 3}, ProbeCase{96000, 16, 2, 96000},
                                         ProbeCase{192000, 24, 1, 192000 + 5}),
                         [](const testing::TestParamInfo<ProbeCase>& info) {
                             return std::to_string(info.param.rate) + "Hz_" + std::to_string(info.param.bits) +
                                    "bit_" + std::to_string(info.param.channels) + "ch";
                         });

// --- the file's own bookkeeping: header, seek table and MD5 -----------------

struct LayoutCase {
    int level;
    PcmShape shape;
    std::size_t blocks;
};

std::string md5_hex(const std::vector<uint8_t>& bytes, const TempFolder& folder)
{
    const std::string path = folder.file("md5-input");
    write_file(path, bytes);
    const ProcessResult result = run({"md5sum", path});
    return result.out.substr(0, 32);
}

std::string hex(const std::array<uint8_t, 16>& bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

class FileLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(FileLayout, HeaderSeekTableAndMd5DescribeTheFrames)
{
    const LayoutCase& c = GetParam();
    TempFolder folder;
    const std::string wav = folder.file("in.wav");
    const std::string ape = folder.file("out.ape");
    write_file(wav, make_wav(c.shape, synthesize(Signal::Music, c.shape, c.blocks)));
    ASSERT_EQ(encode_from_stdin(wav, ape, c.level).exitCode, 0);

    const std::vector<uint8_t> file = read_file(ape);
    const ApeLayout a = read_ape_layout(file);
    EXPECT_EQ(a.magic, "MAC ");
    EXPECT_EQ(a.version, 3990);
    EXPECT_EQ(a.compression_level, c.level);
    EXPECT_EQ(a.bits, c.shape.bits);
    EXPECT_EQ(a.channels, c.shape.channels);
    EXPECT_EQ(a.sample_rate, c.shape.rate);

    ASSERT_GT(a.blocks_per_frame, 0u);
    const std::size_t frames = (c.blocks + a.blocks_per_frame - 1) / a.blocks_per_frame;
    EXPECT_EQ(a.total_frames, frames);
    EXPECT_EQ(a.final_frame_blocks, c.blocks - (frames - 1) * a.blocks_per_frame);
    ASSERT_EQ(a.seek_table.size(), frames);

    const uint32_t first_frame = a.descriptor_bytes + a.header_bytes + a.seek_table_bytes + a.wav_header_bytes;
    EXPECT_EQ(a.seek_table.front(), first_frame);
    for (std::size_t i = 1; i < a.seek_table.size(); ++i)
        EXPECT_LT(a.seek_table[i - 1], a.seek_table[i]);
    EXPECT_LT(a.seek_table.back(), file.size());
    EXPECT_EQ(first_frame + a.frame_data_bytes + a.wav_tail_bytes, file.size());

    // The MD5 covers the frame data, then the header, then the seek table.
    std::vector<uint8_t> covered(file.begin() + first_frame, file.begin() + first_frame + a.frame_data_bytes);
    const auto header = file.begin() + a.descriptor_bytes;
    covered.insert(covered.end(), header, header + a.header_bytes + a.seek_table_bytes);
    EXPECT_EQ(hex(a.md5), md5_hex(covered, folder));
}

INSTANTIATE_TEST_SUITE_P(Levels, FileLayout,
                         testing::Values(LayoutCase{1000, {16, 2, 44100}, 73728 * 3 + 5},
                                         LayoutCase{2000, {8, 1, 8000}, 73728},
                                         LayoutCase{4000, {24, 2, 48000}, 73728 * 4 + 1},
                                         LayoutCase{5000, {16, 1, 22050}, 1000}),
                         [](const testing::TestParamInfo<LayoutCase>& info) {
                             return "c" + std::to_string(info.param.level) + "_" + std::to_string(info.param.blocks);
                         });

// --- higher levels pay off ---------------------------------------------------

TEST(Compression, HigherLevelsAreNeverLargerOnMusic)
{
    const PcmShape shape{16, 2, 44100};
    TempFolder folder;
    const std::string wav = folder.file("in.wav");
    write_file(wav, make_wav(shape, synthesize(Signal::Music, shape, 44100 * 8)));

    std::uintmax_t previous = 0;
    for (int level : kLevels) {
        const std::string ape = folder.file("out" + std::to_string(level) + ".ape");
        ASSERT_EQ(encode_from_stdin(wav, ape, level).exitCode, 0);
        const std::uintmax_t size = fs::file_size(ape);
        if (previous != 0) {
            EXPECT_LE(size, previous) << "level " << level;
        }
        previous = size;
    }
}

// --- failures: one line on stderr, non-zero exit, no output left behind -----

enum class OutputPlace { Fresh, AlreadyThere, InMissingFolder, IsAFolder };

struct FailureCase {
    const char* name;
    std::function<std::vector<uint8_t>()> input;
    std::vector<std::string> trailing_args = {"-c2000"};
    OutputPlace output = OutputPlace::Fresh;
    bool input_missing = false;
};

std::vector<uint8_t> music_wav(const WavLayout& layout)
{
    const PcmShape shape{16, 2, 44100};
    return make_wav(shape, synthesize(Signal::Music, shape, 1000), layout);
}

std::vector<uint8_t> first_bytes(std::vector<uint8_t> bytes, std::size_t count)
{
    bytes.resize(count);
    return bytes;
}

class Failures : public testing::TestWithParam<FailureCase> {};

TEST_P(Failures, ExitNonZeroWithOneLineAndNoOutput)
{
    const FailureCase& c = GetParam();
    TempFolder folder;
    const std::string wav = folder.file("in.wav");
    write_file(wav, c.input());

    std::string output = folder.file("out.ape");
    if (c.output == OutputPlace::InMissingFolder)
        output = folder.file("missing/out.ape");
    if (c.output == OutputPlace::IsAFolder)
        output = folder.path().string();
    const std::vector<uint8_t> earlier = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    if (c.output == OutputPlace::AlreadyThere)
        write_file(output, earlier);
    const std::vector<std::string> before = folder_entries(folder.path());

    std::vector<std::string> args = {kMac, c.input_missing ? folder.file("absent.wav") : "-", output};
    args.insert(args.end(), c.trailing_args.begin(), c.trailing_args.end());
    const ProcessResult result = run(args, as_text(read_file(wav)));

    EXPECT_NE(result.exitCode, 0);
    EXPECT_EQ(result.err.rfind("MAC: ", 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_EQ(result.err.back(), '\n');
    EXPECT_EQ(folder_entries(folder.path()), before);
    if (c.output == OutputPlace::AlreadyThere) {
        EXPECT_EQ(read_file(output), earlier);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Failures,
    testing::Values(
        FailureCase{"NotAWav", [] { return std::vector<uint8_t>(200, 'x'); }},
        FailureCase{"FloatSamples", [] { return music_wav(with([](WavLayout& l) { l.format_tag = 3; l.header_bits = 32; })); }},
        FailureCase{"ThirtyTwoBitIntegers", [] { return music_wav(with([](WavLayout& l) { l.header_bits = 32; })); }},
        FailureCase{"ThreeChannels", [] { return music_wav(with([](WavLayout& l) { l.header_channels = 3; })); }},
        FailureCase{"RateTooLow", [] { return music_wav(with([](WavLayout& l) { l.header_rate = 4000; })); }},
        FailureCase{"RateTooHigh", [] { return music_wav(with([](WavLayout& l) { l.header_rate = 384000; })); }},
        FailureCase{"HeaderCutShort", [] { return first_bytes(music_wav({}), 30); }},
        FailureCase{"NoDataChunk", [] { return first_bytes(music_wav({}), 36); }},
        FailureCase{"NoSamples", [] { return first_bytes(music_wav(streamed(0)), 44); }},
        FailureCase{"ExistingOutputKept", [] { return std::vector<uint8_t>(64, 0); }, {"-c2000"},
                    OutputPlace::AlreadyThere},
        FailureCase{"LevelNotAThousand", [] { return music_wav({}); }, {"-c2500"}},
        FailureCase{"LevelTooHigh", [] { return music_wav({}); }, {"-c6000"}},
        FailureCase{"LevelMissing", [] { return music_wav({}); }, {}},
        FailureCase{"ExtraArgument", [] { return music_wav({}); }, {"-c2000", "-v"}},
        FailureCase{"OutputFolderMissing", [] { return music_wav({}); }, {"-c2000"}, OutputPlace::InMissingFolder},
        FailureCase{"OutputIsAFolder", [] { return music_wav({}); }, {"-c2000"}, OutputPlace::IsAFolder},
        FailureCase{"InputFileMissing", [] { return music_wav({}); }, {"-c2000"}, OutputPlace::Fresh, true}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace mac_test
