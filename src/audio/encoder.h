// Encoders fed by a stream: every block read from the stream, after its
// processors, goes to the encoder. A WAV file written by us, or an encoder
// program that reads a WAV stream on its standard input.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "audio/stream.h"

namespace sondrel::audio {

class Encoder {
 public:
  virtual ~Encoder() = default;
  // True while the encoder takes data.
  virtual bool active() = 0;
  // Ends the output; true when the file is complete.
  virtual bool stop() = 0;
};

// Writes the stream into a WAV file; float samples become `floatBits`-bit
// integers. Null when the file cannot be made.
std::unique_ptr<Encoder> startWavFile(Stream& stream, const std::string& path, int floatBits);

// Starts the program of `commandLine` (split into arguments here, never run
// through a shell) and feeds it a WAV stream. Null when it cannot be started.
std::unique_ptr<Encoder> startProgram(Stream& stream, const std::string& commandLine, int floatBits);

// Splits a command line into arguments: blanks separate them, double quotes
// group and are dropped.
std::vector<std::string> splitCommandLine(const std::string& commandLine);

}  // namespace sondrel::audio
