// MAC: encodes a WAV stream into a Monkey's Audio (.ape) file.
//
//   MAC <input.wav | -> <output.ape> -c<1000|2000|3000|4000|5000>
//
// Exit status 0 on success; otherwise 1 with a single line on stderr, and no
// output file is left behind.

#include "ape_writer.h"
#include "command_line.h"
#include "compression_level.h"
#include "file_io.h"
#include "frame_encoder.h"
#include "wav_reader.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

void encode(const mac::Options& options)
{
    const mac::CompressionLevel level = mac::compression_level(options.level);
    mac::FileDescriptor input = mac::open_input(options.input);
    mac::WavReader reader(input.get());
    const mac::PcmFormat format = reader.format();

    mac::ApeWriter writer(options.output, format, level);
    mac::FrameEncoder frame_encoder(level, format);

    std::vector<uint8_t> pcm(level.blocks_per_frame * format.block_bytes());
    std::vector<uint8_t> frame;
    for (;;) {
        const std::size_t blocks = reader.read_blocks(pcm.data(), level.blocks_per_frame);
        if (blocks == 0)
            break;
        frame.clear();
        frame_encoder.encode(pcm.data(), blocks, frame);
        writer.add_frame(frame, blocks);
    }
    writer.finish();
}

} // namespace

int main(int argc, char** argv)
{
    try {
        encode(mac::parse_command_line(std::vector<std::string>(argv + 1, argv + argc)));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "MAC: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "MAC: unexpected internal error\n");
    }
    return 1;
}
