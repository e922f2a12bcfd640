// Converts rows of the file list: the batch over the checked rows and the
// pipeline of one file, from the decoder through an optional mixer and the
// effects into the writer of the output format.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "audio/engine.h"
#include "convert/command_lines.h"
#include "convert/progress_view.h"
#include "effects/effect_format.h"
#include "settings/settings_model.h"
#include "shell/file_list.h"
#include "shell/user_port.h"

namespace sondrel::convert {

// An error that ends the command; its text is shown to the user.
class ConversionError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Layout of the samples the effect processors receive.
using EffectFormat = effects::EffectFormat;

class Converter {
 public:
  Converter(const audio::Engine& engine, const settings::SettingsModel& settings, FileList& list, UserPort& port,
            ProgressView& progress, std::string programFolder);

  // Where outputs go; mirrors the output folder setting.
  void setOutputFolder(const std::string& folder) { outputFolder_ = folder; }
  const std::string& outputFolder() const { return outputFolder_; }

  // Converts every checked row, in list order, to `format` (1..9).
  void ConvertChecked(int format);
  // Converts one row to `outputPath`.
  void ConvertFile(int row, const std::string& outputPath, int format);
  // The output path of `source` for `format`; throws ConversionError when the
  // output folder cannot be made.
  std::string OutputFileName(const std::string& source, int format);

  // The progress window's Cancel: every row unchecked, the running file stops
  // after its current block.
  void cancel();

  int convertedCount() const { return convertedCount_; }
  const std::vector<std::string>& outputs() const { return outputs_; }
  // Rows whose conversion failed in the last command.
  int failures() const { return failures_; }

  // Where the effects attach (after the writer starts) and where the source's
  // tags are carried into the output (after the file is complete).
  std::function<void(audio::Stream& feed, const EffectFormat& format)> attachEffects;
  std::function<void(int format, const TAudioItem& source, const std::string& outputPath)> transferTags;

 private:
  void lowerTotal();

  const audio::Engine& engine_;
  const settings::SettingsModel& settings_;
  FileList& list_;
  UserPort& port_;
  ProgressView& progress_;
  std::string programFolder_;
  std::string outputFolder_;
  OutputLayout layout_;
  int convertedCount_ = 0;
  int progressBase_ = 0;
  bool cancelRequested_ = false;
  bool endReached_ = false;
  int failures_ = 0;
  std::vector<std::string> outputs_;
};

// Caption of the progress window for a batch of `format`.
std::string batchCaption(int format);

}  // namespace sondrel::convert
