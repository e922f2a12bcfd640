#include "convert/converter.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "audio/encoder.h"
#include "audio/mixer.h"
#include "audio/wma_writer.h"
#include "convert/naming.h"
#include "shell/decoders.h"
#include "shell/folders.h"
#include "shell/list_texts.h"

namespace sondrel::convert {
namespace {

constexpr size_t kBlockBytes = 19200;

const char* encoderName(int format) {
  static constexpr const char* kNames[] = {"", "WAVE", "MP3", "WMA", "OGG", "", "FLAC", "WavPack", "MPC", "AAC/MP4"};
  return format >= 1 && format <= 9 ? kNames[format] : "";
}

audio::SampleFormat mixerLayout(int bits) {
  if (bits == 8) return audio::SampleFormat::U8;
  if (bits == 16) return audio::SampleFormat::S16;
  return audio::SampleFormat::F32;
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

std::string batchCaption(int format) {
  static constexpr const char* kKinds[] = {"",    "WAV",     "MP3", "WMA", "OGG",
                                           "APE", "FLAC",    "WavPack", "MPC", "AAC/MP4/M4A/M4B"};
  return format >= 1 && format <= 9 ? std::string("Convert Audio Files to ") + kKinds[format] + " Files" : "";
}

Converter::Converter(const audio::Engine& engine, const settings::SettingsModel& settings, FileList& list,
                     UserPort& port, ProgressView& progress, std::string programFolder)
    : engine_(engine),
      settings_(settings),
      list_(list),
      port_(port),
      progress_(progress),
      programFolder_(std::move(programFolder)),
      outputFolder_(settings.text("efolder")) {}

std::string Converter::OutputFileName(const std::string& source, int format) {
  outputFolder_ = AddSlash(outputFolder_);
  const std::string ext = formatExtension(format, settings_.list("mpcformatcom"), settings_.list("aacformatcom"));
  if (ext.empty()) return {};
  std::string result = UniqueOutputName(outputFolder_, source, ext, convertedCount_, settings_.check("coverwrite"),
                                        settings_.list("namecom") == 1);
  std::error_code ec;
  if (!std::filesystem::is_directory(outputFolder_, ec) && !ForceFolder(outputFolder_))
    throw ConversionError("Cannot create " + outputFolder_);
  return result;
}

void Converter::cancel() {
  for (int i = 0; i < list_.rowCount(); ++i) list_.setChecked(i, false);
  cancelRequested_ = true;
}

void Converter::lowerTotal() {
  progress_.setTotalMaximum(progress_.totalMaximum() - 100);
  ++failures_;
}

void Converter::ConvertChecked(int format) {
  if (list_.rowCount() == 0) {
    port_.showInfo("Please add audio file to list!");
    return;
  }
  if (list_.checkedCount() == 0) {
    port_.showInfo("Please select audio files to convert!");
    return;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(outputFolder_, ec) && !ForceFolder(outputFolder_)) {
    port_.showError("Cannot create " + outputFolder_);
    return;
  }
  convertedCount_ = 0;
  progressBase_ = 0;
  failures_ = 0;
  outputs_.clear();
  port_.setStatus(0, "Converting");
  progress_.setTotalProgress(0);
  progress_.setTotalMaximum(list_.checkedCount() * 100);
  progress_.setCaption(batchCaption(format));
  const int rows = list_.rowCount();
  try {
    for (int i = 0; i < rows && i < list_.rowCount(); ++i) {
      const FileRow& row = list_.row(i);
      if (!row.checked || !row.item) continue;
      const std::string path = row.item->fileName;
      if (!fileExists(path)) {
        port_.showError("Not Find " + path);
        ++failures_;
        return;
      }
      const std::string source = row.item->rowKind == RowKind::CueTrack ? ReplaceBadChars(row.caption) : path;
      const std::string output = OutputFileName(source, format);
      progress_.setFileLabel("Convert File:" + FileNameOf(path));
      if (!progress_.isShowing()) progress_.showProgress();
      ConvertFile(i, output, format);
    }
  } catch (const ConversionError& e) {
    port_.showError(e.what());
    ++failures_;
  }
}

void Converter::ConvertFile(int rowIndex, const std::string& outputPath, int format) {
  const TAudioItem item = *list_.row(rowIndex).item;
  cancelRequested_ = false;
  endReached_ = false;
  const bool isCueTrack = item.rowKind == RowKind::CueTrack;

  auto source = createStream(engine_, item.decoder, item.fileName, OpenPurpose::Conversion);
  if (!source) {
    lowerTotal();
    port_.showError("Error creating stream!");
    return;
  }
  audio::Stream* sourceStream = source.get();
  const int64_t length = source->length();

  // The writer's layout, and its command line or WMA file.
  SetOutputFormat(settings_, format, layout_);
  const std::string commandLine = CommandLineFor(format, settings_, programFolder_, outputPath);
  std::unique_ptr<audio::WmaWriter> wma;
  if (format == kWma) {
    const bool vbr = settings_.check("cwmavbr");
    const std::string rateText = settings_.selectedItem(vbr ? "wmaqualitycom" : "wmacbrbitratecom");
    if (rateText.empty()) throw ConversionError("'' is not a valid integer value");
    const int number = std::atoi(rateText.c_str() + rateText.find_first_of("0123456789"));
    wma = audio::WmaWriter::open(outputPath, layout_.rate, layout_.channels, vbr ? number : number * 1000);
  }

  // The stretch of a cue track: seek to its start, stop at its end.
  int64_t partStart = 0, partEnd = 0;
  if (isCueTrack) {
    const TrackLimits limits = applyTrackLimits(*source, item);
    partStart = limits.start;
    partEnd = limits.end;
    source->addSync(audio::SyncKind::Position, partEnd, [this] { endReached_ = true; });
  }
  // The source's position, kept by a processor so that it stays known when a
  // mixer owns (and at its end frees) the source.
  int64_t sourcePosition = source->position();
  source->addProcessor([&sourcePosition](void*, size_t bytes) { sourcePosition += static_cast<int64_t>(bytes); });

  // The feed: the source itself, or a mixer when rate or channels change, and
  // always for WMA.
  std::unique_ptr<audio::Stream> feed;
  const bool needMixer = item.sampleRate != layout_.rate || item.channels != layout_.channels || format == kWma;
  if (needMixer) {
    auto mixer = std::make_unique<audio::MixerSource>(layout_.rate, layout_.channels);
    const int64_t trackFrames = isCueTrack ? (partEnd - partStart) / source->blockAlign() : -1;
    if (!mixer->addInput(std::move(source), 0, trackFrames)) {
      lowerTotal();
      port_.showError("Error creating stream!");
      return;
    }
    feed = std::make_unique<audio::Stream>(std::move(mixer), mixerLayout(layout_.bits));
  } else {
    feed = std::move(source);
  }
  const EffectFormat effectFormat{feed->format() == audio::SampleFormat::F32 ? 32 : audio::formatBits(feed->format()),
                                  layout_.rate, layout_.channels};

  std::unique_ptr<audio::Encoder> encoder;
  if (format == kWav) encoder = audio::startWavFile(*feed, outputPath, layout_.bits);
  else if (format != kWma && !commandLine.empty()) encoder = audio::startProgram(*feed, commandLine, layout_.bits);
  if (format == kWma ? !wma : !encoder) {
    lowerTotal();
    port_.showError(std::string("Couldn't use") + encoderName(format) + " Encoder");
    return;
  }
  if (attachEffects) attachEffects(*feed, effectFormat);

  std::vector<uint8_t> buffer(kBlockBytes);
  while (!feed->ended()) {
    const size_t n = feed->read(buffer.data(), buffer.size());
    if (wma) {
      if (n > 0 && !wma->write(buffer.data(), n, feed->format())) {
        port_.showError("Encoder Write Data Error");
        ++failures_;
        return;
      }
    } else if (!encoder->active()) {
      port_.showError("Encoder Write Data Error");
      ++failures_;
      return;
    }
    if (cancelRequested_) {
      port_.setStatus(0, "User Cancel Converting");
      break;
    }
    int64_t percent = 0;
    if (isCueTrack) percent = partEnd > partStart ? 100 * (sourcePosition - partStart) / (partEnd - partStart) : 100;
    else percent = length > 0 ? sourcePosition * 100 / length : 100;
    percent = std::clamp<int64_t>(percent, 0, 100);
    progress_.setFileProgress(static_cast<int>(percent));
    progress_.setTotalProgress(progressBase_ + static_cast<int>(percent));
    if (endReached_) break;
    port_.processEvents();
  }
  if (!cancelRequested_) {
    progress_.setFileProgress(100);
    progress_.setTotalProgress(progressBase_ + 100);
  }
  // A writer that cannot finish its file (a full disk, an encoder that fails
  // at the end) is reported rather than counted as done.
  const bool complete = wma ? wma->close() : encoder->stop();
  encoder.reset();
  feed.reset();
  if (!complete && !cancelRequested_) {
    port_.showError("Encoder Write Data Error");
    ++failures_;
    return;
  }
  ++convertedCount_;
  progressBase_ = convertedCount_ * 100;
  progress_.setTotalProgress(progressBase_);
  outputs_.push_back(outputPath);
  if (transferTags) transferTags(format, item, outputPath);
}

}  // namespace sondrel::convert
