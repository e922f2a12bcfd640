// FAAC: encodes a WAV stream into AAC-LC with FFmpeg's encoder, taking the
// command line the converter writes for the FAAC encoder:
//
//   FAAC [--mpeg-vers 2|4] [-q <quality> | -b <kbps>] [-c <hz>] -o <out> <in | ->
//
// .aac gets a bare ADTS stream, .mp4/.m4a/.m4b the MP4 container. Exit status
// 0 on success; otherwise 1 with one line on standard error, and no output
// file left behind (an older file of the same name stays as it was).

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "aac_encoder.h"
#include "adts_writer.h"
#include "command_line.h"
#include "common/file_io.h"
#include "mp4_writer.h"
#include "pcm_to_float.h"
#include "wav_stream.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

using namespace sondrel::faac;
using sondrel::tools::FileDescriptor;
using sondrel::tools::openInput;
using sondrel::tools::PendingFile;

std::unique_ptr<PacketSink> openSink(const Options& options, const AacEncoder& encoder, int fd) {
  const Container container = containerFor(options.outputPath);
  if (container == Container::Adts)
    return std::make_unique<AdtsWriter>(fd, encoder.context(), options.mpegVersion, options.outputPath);
  // MP4 declares MPEG-4 AAC by its nature; --mpeg-vers only marks ADTS streams.
  return std::make_unique<Mp4Writer>(fd, encoder.context(), container, options.outputPath);
}

void encode(const Options& options) {
  FileDescriptor input = openInput(options.inputPath, options.inputPath);
  WavStreamReader reader(input.get());
  const PcmFormat& format = reader.format();
  AacEncoder encoder(format, options);

  // Only now, with an input worth encoding, does an output come into being.
  PendingFile output(options.outputPath, options.outputPath);
  const std::unique_ptr<PacketSink> sink = openSink(options, encoder, output.fd());

  const size_t frameSize = static_cast<size_t>(encoder.frameSize());
  std::vector<uint8_t> pcm(frameSize * format.bytesPerFrame());
  for (;;) {
    const size_t frames = reader.readFrames(pcm.data(), frameSize);
    if (frames == 0) break;
    pcmToFloatPlanes(pcm.data(), frames, format, encoder.framePlanes());
    encoder.encodeFrame(static_cast<int>(frames), *sink);
  }
  encoder.finish(*sink);
  sink->finish();
  output.commit();
}

}  // namespace

int main(int argc, char** argv) {
  // FFmpeg's notes (average quantiser, brand advice) would bury the one line
  // that matters; its errors reach the user through our message anyway.
  av_log_set_level(AV_LOG_QUIET);
  try {
    encode(parseCommandLine(std::vector<std::string>(argv + 1, argv + argc)));
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "FAAC: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "FAAC: unexpected internal error\n");
  }
  return 1;
}
