#include "command_line.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "common/failure.h"

namespace sondrel::faac {

using tools::Failure;

namespace {

std::string_view withoutAngleBrackets(std::string_view text) {
  if (text.size() >= 2 && text.front() == '<' && text.back() == '>') return text.substr(1, text.size() - 2);
  return text;
}

int integerValue(const std::string& option, const std::string& text, int low, int high) {
  const std::string_view digits = withoutAngleBrackets(text);
  int value = 0;
  auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc{} || stop != digits.data() + digits.size())
    throw Failure("the value of " + option + " is not a whole number: " + text);
  if (value < low || value > high)
    throw Failure("the value of " + option + " must lie between " + std::to_string(low) + " and " +
                  std::to_string(high) + ": " + text);
  return value;
}

}  // namespace

Options parseCommandLine(const std::vector<std::string>& arguments) {
  Options options;
  bool outputGiven = false;
  bool inputGiven = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool takesValue =
        argument == "-q" || argument == "-b" || argument == "-c" || argument == "-o" || argument == "--mpeg-vers";
    if (takesValue && i + 1 >= arguments.size()) throw Failure(argument + " needs a value");
    if (argument == "-q") {
      // Taken up to FAAC's own 5000; the encoder narrows it to the range its scale can use.
      options.quality = integerValue(argument, arguments[++i], 1, 5000);
      options.rateControl = RateControl::Quality;
    } else if (argument == "-b") {
      options.averageKbps = integerValue(argument, arguments[++i], 1, 10000);
      options.rateControl = RateControl::AverageBitRate;
    } else if (argument == "-c") {
      options.cutoffHz = integerValue(argument, arguments[++i], 1, 1000000);
    } else if (argument == "--mpeg-vers") {
      options.mpegVersion = integerValue(argument, arguments[++i], 2, 4);
      if (options.mpegVersion == 3) throw Failure("--mpeg-vers takes 2 or 4, not 3");
    } else if (argument == "-o") {
      options.outputPath = arguments[++i];
      outputGiven = true;
    } else if (argument == "-" || !argument.starts_with('-')) {
      if (inputGiven) throw Failure("only one input can be encoded at a time: " + argument);
      options.inputPath = argument;
      inputGiven = true;
    } else {
      throw Failure("unknown switch " + argument);
    }
  }
  if (!outputGiven || options.outputPath.empty()) throw Failure("no output file given (-o <file>)");
  if (!inputGiven) throw Failure("no input given (a file, or - for standard input)");
  return options;
}

Container containerFor(const std::string& outputPath) {
  std::string extension = std::filesystem::path(outputPath).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  if (extension == ".mp4") return Container::Mp4;
  if (extension == ".m4a" || extension == ".m4b") return Container::Ipod;
  return Container::Adts;
}

}  // namespace sondrel::faac
