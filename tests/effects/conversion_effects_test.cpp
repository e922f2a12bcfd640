// Effects in real conversions: the converter with the effects installed writes
// WAV files, FFmpeg reads them back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "convert/converter.h"
#include "convert/naming.h"
#include "convert/progress_view.h"
#include "effect_samples.h"
#include "effects/install_effects.h"
#include "effects/pass_filters.h"
#include "support/recording_port.h"
#include "support/test_support.h"

using namespace sondrel;
namespace fs = std::filesystem;

namespace {

class SilentProgress : public convert::ProgressView {
 public:
  void setCaption(const std::string&) override {}
  void setFileLabel(const std::string&) override {}
  void setFileProgress(int) override {}
  void setTotalProgress(int) override {}
  int totalMaximum() const override { return maximum; }
  void setTotalMaximum(int m) override { maximum = m; }
  bool isShowing() const override { return true; }
  void showProgress() override {}
  int maximum = 0;
};

struct EffectConversion : ::testing::Test {
  test::TempDir dir;
  audio::Engine engine;
  test::RecordingPort port;
  FileList list{engine, port};
  settings::SettingsModel settings{dir.path() / "qorv", dir.path().string() + "/music/"};
  SilentProgress progress;
  convert::Converter converter{engine, settings, list, port, progress, test::buildDir().string() + "/"};

  EffectConversion() { effects::installEffects(converter, settings); }

  // A 44100 Hz stereo 16-bit WAV made by FFmpeg: 440 Hz left, 660 Hz right.
  std::string source(double amplitude, int seconds) {
    const std::string path = dir.file("quiet.wav");
    const std::string a = std::to_string(amplitude);
    const auto r = test::run({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                              "aevalsrc=" + a + "*sin(2*PI*440*t)|" + a + "*sin(2*PI*660*t):s=44100:d=" +
                                  std::to_string(seconds),
                              "-c:a", "pcm_s16le", path});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return path;
  }

  // Converts the list's only row to WAV in its own folder; the output's samples.
  std::vector<double> convert(const std::string& folder) {
    converter.setOutputFolder(dir.file(folder) + "/");
    list.setChecked(0, true);
    converter.ConvertChecked(convert::kWav);
    EXPECT_TRUE(port.errors.empty()) << port.errors.front();
    return samplesOf(dir.file(folder) + "/quiet.wav");
  }

  static std::vector<double> samplesOf(const std::string& path) {
    const auto bytes = test::ffmpegDecode(path, "s16le");
    std::vector<std::byte> raw(bytes.size());
    std::memcpy(raw.data(), bytes.data(), bytes.size());
    return test::unpack(16, raw);
  }
};

double peakOf(const std::vector<double>& v, size_t from) {
  double peak = 0;
  for (size_t i = from; i < v.size(); ++i) peak = std::max(peak, std::abs(v[i]));
  return peak;
}

double rmsOf(const std::vector<double>& v) {
  double sum = 0;
  for (double x : v) sum += x * x;
  return std::sqrt(sum / static_cast<double>(v.size()));
}

// A first run's settings normalize: a source peaking at a quarter of full
// scale comes out peaking at 94 % once the gain has risen (1.0 per second).
TEST_F(EffectConversion, DefaultSettingsNormalizeToTheLevel) {
  ASSERT_TRUE(settings.check("cnorm"));
  list.addFile(source(0.25, 6));
  const auto out = convert("out");
  const size_t lastTwoSeconds = out.size() - 2 * 44100 * 2;
  EXPECT_NEAR(peakOf(out, lastTwoSeconds) / 32768, 0.94, 0.002);
  // At the start the gain is still near 1.
  EXPECT_LT(peakOf(std::vector<double>(out.begin(), out.begin() + 4410 * 2), 0) / 32768, 0.3);
}

// Gain at -6 raises the level by 6 dB, with the equalizer on or off.
class GainConversion : public EffectConversion, public ::testing::WithParamInterface<bool> {};

TEST_P(GainConversion, MinusSixRaisesTheLevelBySixDecibels) {
  settings.setCheck("cnorm", false);
  settings.setCheck("ceq", GetParam());
  settings.setSlider("bargain", -6);
  const std::string path = source(0.25, 2);
  list.addFile(path);
  const auto out = convert("out");
  EXPECT_NEAR(20 * std::log10(rmsOf(out) / rmsOf(samplesOf(path))), 6.0, 0.02);
}

INSTANTIATE_TEST_SUITE_P(Equalizer, GainConversion, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "EqualizerOn" : "EqualizerOff"; });

// Through a 16-bit mixer (WAV at 22050 Hz) every filter rounds to whole
// samples, so the order shows: the output is low pass, then high pass, then
// band pass of what the mixer delivers.
TEST_F(EffectConversion, FiltersRunLowThenHighThenBandPass) {
  settings.setCheck("cnorm", false);
  settings.setList("wavsamplecom", 3);  // 22050 Hz: a 16-bit mixer feeds the writer
  list.addFile(source(0.5, 2));
  const auto mixed = convert("plain");

  settings.setCheck("clowpass", true);
  settings.setSlider("barlowcut", 5000);
  settings.setCheck("chighpass", true);
  settings.setSlider("barhighcut", 300);
  settings.setCheck("cbandpass", true);
  settings.setSlider("barbandlowcut", 200);
  settings.setSlider("barbandhighcut", 4000);
  const auto filtered = convert("filtered");

  const effects::EffectFormat f{16, 22050, 2};
  auto inOrder = [&](std::initializer_list<int> order) {
    auto bytes = test::pack(16, mixed);
    for (int which : order) {
      if (which == 0) effects::PassFilter(effects::PassKind::Low, f).process(bytes.data(), bytes.size(), 5000);
      if (which == 1) effects::PassFilter(effects::PassKind::High, f).process(bytes.data(), bytes.size(), 300);
      if (which == 2) effects::BandPassFilter(f).process(bytes.data(), bytes.size(), 200, 4000);
    }
    return test::unpack(16, bytes);
  };
  ASSERT_EQ(filtered.size(), mixed.size());
  EXPECT_TRUE(filtered == inOrder({0, 1, 2}));
  // The orders differ, so the comparison above means something.
  EXPECT_FALSE(filtered == inOrder({1, 0, 2}));
  EXPECT_FALSE(filtered == inOrder({2, 1, 0}));
}

}  // namespace
