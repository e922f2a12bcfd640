// Decodes a file to float through the engine and throws the samples away, so
// that a script can time it against FFmpeg's own command-line decoder.
#include <cstdio>
#include <vector>

#include "shell/decoders.h"
#include "shell/list_texts.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_decode FILE\n");
    return 2;
  }
  sondrel::audio::Engine engine;
  const std::string path = argv[1];
  auto stream = sondrel::createStream(engine, sondrel::decoderForExtension(sondrel::ExtensionOf(path)), path,
                                      sondrel::OpenPurpose::Conversion);
  if (!stream) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 1;
  }
  std::vector<unsigned char> block(19200);
  long long total = 0;
  while (size_t got = stream->read(block.data(), block.size())) total += static_cast<long long>(got);
  std::printf("%lld bytes\n", total);
  return 0;
}
