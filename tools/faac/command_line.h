// The FAAC command line the converter writes:
//
//   FAAC [--mpeg-vers 2|4] [-q <quality> | -b <kbps>] [-c <hz>] -o <out> <in | ->
//
// The converter keeps FAAC's angle brackets in the values ("-q <100>"); they
// are accepted with or without them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sondrel::faac {

enum class RateControl {
  Quality,         // -q: variable bit rate at a constant quantiser quality
  AverageBitRate,  // -b: a target number of kilobits per second
};

struct Options {
  RateControl rateControl = RateControl::Quality;
  int quality = 100;    // FAAC's quality in percent, 100 being its default
  int averageKbps = 0;  // for the whole stream, all channels together
  int cutoffHz = 0;     // 0 lets the encoder choose the bandwidth
  int mpegVersion = 4;
  std::string outputPath;
  std::string inputPath;  // "-" is standard input
};

// Throws Failure naming the first thing it cannot accept.
Options parseCommandLine(const std::vector<std::string>& arguments);

enum class Container {
  Adts,  // a bare AAC stream, .aac (and any name it does not know)
  Mp4,   // .mp4
  Ipod,  // .m4a, .m4b: the same MP4 container with the brand iTunes expects
};

// The container is chosen by the output name's extension, as FAAC does.
Container containerFor(const std::string& outputPath);

}  // namespace sondrel::faac
