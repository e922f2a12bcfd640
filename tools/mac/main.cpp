// MAC: encodes a WAV stream into a Monkey's Audio (.ape) file.
//
//   MAC <input.wav | -> <output.ape> -c<1000|2000|3000|4000|5000>
//
// Exit status 0 on success; otherwise 1 with a single line on stderr, and no
// output file is left behind.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "ape_writer.h"
#include "command_line.h"
#include "common/file_io.h"
#include "compression_level.h"
#include "frame_encoder.h"
#include "wav_reader.h"

namespace {

using namespace sondrel::mac;
using sondrel::tools::FileDescriptor;
using sondrel::tools::openInput;

void encode(const Options& options) {
  const CompressionLevel level = compressionLevel(options.level);
  FileDescriptor input = openInput(options.input, "input '" + options.input + "'");
  WavReader reader(input.get());
  const PcmFormat format = reader.format();

  ApeWriter writer(options.output, format, level);
  FrameEncoder frameEncoder(level, format);

  std::vector<uint8_t> pcm(level.blocksPerFrame * format.blockBytes());
  std::vector<uint8_t> frame;
  for (;;) {
    const std::size_t blocks = reader.readBlocks(pcm.data(), level.blocksPerFrame);
    if (blocks == 0) break;
    frame.clear();
    frameEncoder.encode(pcm.data(), blocks, frame);
    writer.addFrame(frame, blocks);
  }
  writer.finish();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    encode(parseCommandLine(std::vector<std::string>(argv + 1, argv + argc)));
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "MAC: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "MAC: unexpected internal error\n");
  }
  return 1;
}
