// Conversions end to end: real encoders write the files, FFmpeg judges them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

#include "convert/converter.h"
#include "convert/naming.h"
#include "shell/decoders.h"
#include "support/recording_port.h"
#include "support/test_support.h"

using namespace sondrel;
using namespace sondrel::convert;
using sondrel::test::fixture;
namespace fs = std::filesystem;

namespace {

class RecordingProgress : public ProgressView {
 public:
  void setCaption(const std::string& c) override { caption = c; }
  void setFileLabel(const std::string& t) override { labels.push_back(t); }
  void setFileProgress(int p) override {
    file = p;
    if (onProgress) onProgress();
  }
  void setTotalProgress(int p) override { total = std::clamp(p, 0, maximum); }
  int totalMaximum() const override { return maximum; }
  void setTotalMaximum(int m) override { maximum = m; }
  bool isShowing() const override { return shown; }
  void showProgress() override { shown = true; }
  std::string caption;
  std::vector<std::string> labels;
  int file = 0, total = 0, maximum = 0;
  bool shown = false;
  std::function<void()> onProgress;
};

struct ConvertFixture : ::testing::Test {
  test::TempDir dir;
  audio::Engine engine;
  test::RecordingPort port;
  FileList list{engine, port};
  settings::SettingsModel settings{dir.path() / "qorv", dir.path().string() + "/music/"};
  RecordingProgress progress;
  std::string outDir = dir.path().string() + "/out/";
  std::unique_ptr<Converter> converter = makeConverter(test::buildDir().string() + "/");

  std::unique_ptr<Converter> makeConverter(const std::string& programFolder) {
    auto c = std::make_unique<Converter>(engine, settings, list, port, progress, programFolder);
    c->setOutputFolder(outDir);
    return c;
  }
  std::string copy(const std::string& name, const std::string& as) {
    const std::string to = dir.file(as);
    fs::copy_file(fixture(name), to, fs::copy_options::overwrite_existing);
    return to;
  }
};

double probeDuration(const std::string& path) { return std::atof(test::ffprobeStream(path, "duration").c_str()); }

// Correlation of two mono renderings, for "the output is the source's sound".
double correlation(const std::string& a, const std::string& b) {
  auto decode = [](const std::string& path) {
    auto r = test::run({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-ac", "1", "-ar", "8000", "-f", "f32le", "-"});
    std::vector<float> v(r.out.size() / 4);
    std::memcpy(v.data(), r.out.data(), v.size() * 4);
    return v;
  };
  const auto x = decode(a), y = decode(b);
  double best = 0;
  // Encoders add a little delay; look over a few milliseconds.
  for (int lag = 0; lag < 40; ++lag) {
    double xy = 0, xx = 0, yy = 0;
    const size_t n = std::min(x.size(), y.size() > static_cast<size_t>(lag) ? y.size() - lag : 0);
    for (size_t i = 0; i < n; ++i) {
      xy += x[i] * y[i + lag];
      xx += x[i] * x[i];
      yy += y[i + lag] * y[i + lag];
    }
    if (xx > 0 && yy > 0) best = std::max(best, xy / std::sqrt(xx * yy));
  }
  return best;
}

struct FormatCase {
  int format;
  const char* source;
  const char* codec;
  const char* extension;
};

class EveryFormat : public ConvertFixture, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(EveryFormat, WritesAPlayableFileOfTheSettingsLayout) {
  const auto& c = GetParam();
  list.addFile(fixture(c.source));
  ASSERT_EQ(list.rowCount(), 1);
  converter->ConvertChecked(c.format);
  ASSERT_TRUE(port.errors.empty()) << port.errors.front();
  const std::string out = outDir + fs::path(c.source).stem().string() + c.extension;
  ASSERT_TRUE(fs::exists(out)) << out;
  EXPECT_EQ(test::ffprobeStream(out, "codec_name"), c.codec);
  EXPECT_EQ(test::ffprobeStream(out, "sample_rate"), "44100");
  EXPECT_EQ(test::ffprobeStream(out, "channels"), "2");
  // Within one 19200-byte block (of 16-bit stereo) of the source's length, plus
  // what the codec pads to its frames. Counted by decoding: FFmpeg's probe
  // misreads the length of Musepack files.
  const double decodedSeconds = static_cast<double>(test::ffmpegDecode(out, "s16le").size()) / 4 / 44100;
  EXPECT_NEAR(decodedSeconds, list.row(0).item->duration, 19200.0 / 4 / 44100 + 0.06) << out;
  EXPECT_GT(correlation(fixture(c.source), out), 0.9);
  EXPECT_EQ(progress.total, progress.maximum);
  EXPECT_EQ(progress.caption, batchCaption(c.format));
  EXPECT_EQ(port.status[0], "Converting");
}

INSTANTIATE_TEST_SUITE_P(
    Formats, EveryFormat,
    ::testing::Values(FormatCase{kWav, "lossless.flac", "pcm_s16le", ".wav"},
                      FormatCase{kMp3, "s16_22050_1.wav", "mp3", ".mp3"},
                      FormatCase{kWma, "lossless.flac", "wmav2", ".wma"},
                      FormatCase{kOgg, "hires.flac", "vorbis", ".ogg"},
                      FormatCase{kApe, "lossless.flac", "ape", ".ape"},
                      FormatCase{kFlac, "cbr.mp3", "flac", ".flac"},
                      FormatCase{kWavPack, "lossless.flac", "wavpack", ".wv"},
                      FormatCase{kMpc, "lossless.flac", "musepack8", ".mpc"},
                      FormatCase{kAac, "vorbis.ogg", "aac", ".aac"}),
    [](const auto& info) { return std::string(info.param.extension + 1); });

TEST_F(ConvertFixture, MixerOnlyWhenLayoutChangesAndAlwaysForWma) {
  std::vector<int> bits;
  converter->attachEffects = [&](audio::Stream&, const EffectFormat& f) { bits.push_back(f.bits); };
  list.addFile(fixture("lossless.flac"));
  converter->ConvertChecked(kMp3);   // 44100 stereo to 44100 stereo: the decoder's float samples
  converter->ConvertChecked(kWma);   // through a 16-bit mixer all the same
  settings.setList("wavsamplecom", 3);  // 22050 Hz
  settings.setList("wavchannelcom", 0); // mono
  converter->ConvertChecked(kWav);
  EXPECT_EQ(bits, (std::vector<int>{32, 16, 16}));
  const std::string wav = outDir + "lossless.wav";
  EXPECT_EQ(test::ffprobeStream(wav, "sample_rate"), "22050");
  EXPECT_EQ(test::ffprobeStream(wav, "channels"), "1");
  EXPECT_GT(correlation(fixture("lossless.flac"), wav), 0.9);
}

TEST_F(ConvertFixture, TwentyFourBitWavFromFloatKeepsTheSamples) {
  settings.setList("wavsamplecom", 6);  // 48000 Hz, as the source
  settings.setList("wavbitcom", 2);     // 24 bit
  list.addFile(fixture("hires.flac"));
  converter->ConvertChecked(kWav);
  const std::string out = outDir + "hires.wav";
  EXPECT_EQ(test::ffprobeStream(out, "bits_per_sample"), "24");
  EXPECT_EQ(test::ffmpegDecode(out, "s24le"), test::ffmpegDecode(fixture("hires.flac"), "s24le"));
}

TEST_F(ConvertFixture, CueTrackRowConvertsOnlyItsStretch) {
  FileRow row;
  row.caption = "AC/DC: Track?";
  row.item = std::make_unique<TAudioItem>();
  row.item->rowKind = RowKind::CueTrack;
  row.item->decoder = kDecoderFLAC;
  row.item->fileName = fixture("sweep20.flac");
  row.item->sampleRate = 44100;
  row.item->channels = 2;
  row.item->trackStart = 5;
  row.item->trackLength = 7;
  list.appendRow(std::move(row));
  converter->ConvertChecked(kWav);
  const std::string out = outDir + "AC_DC_ Track_.wav";
  ASSERT_TRUE(fs::exists(out));
  const auto whole = test::ffmpegDecode(fixture("sweep20.flac"), "s16le");
  const auto part = test::ffmpegDecode(out, "s16le");
  ASSERT_EQ(part.size(), 7u * 44100 * 4);
  EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin() + 5 * 44100 * 4));
  // Through a mixer (mono output) the stretch is exact too.
  settings.setList("wavchannelcom", 0);
  list.setChecked(0, true);
  list.listClicked();
  converter->ConvertChecked(kWav);
  EXPECT_EQ(test::ffprobeStream(out, "channels"), "1");
  EXPECT_NEAR(probeDuration(out), 7.0, 1e-3);
}

TEST_F(ConvertFixture, FailuresAreReportedAndTheBatchGoesOn) {
  // A program folder without encoders.
  test::TempDir empty;
  auto missing = makeConverter(empty.path().string() + "/");
  list.addFile(fixture("lossless.flac"));
  missing->ConvertChecked(kMp3);
  missing->ConvertChecked(kApe);
  EXPECT_EQ(port.errors, (std::vector<std::string>{"Couldn't useMP3 Encoder", "Couldn't use Encoder"}));
  EXPECT_EQ(progress.maximum, 0);

  // An encoder that quits after the first block: the error, then the next row.
  test::TempDir fake;
  fs::create_directory(fake.path() / "bin");
  test::writeFile((fake.path() / "bin/lame").string(), "#!/bin/sh\nhead -c 100 > /dev/null\nexit 1\n");
  fs::permissions(fake.path() / "bin/lame", fs::perms::owner_all);
  auto quitting = makeConverter(fake.path().string() + "/");
  list.addFile(fixture("cbr.mp3"));
  port.errors.clear();
  quitting->ConvertChecked(kMp3);
  EXPECT_EQ(port.errors, (std::vector<std::string>{"Encoder Write Data Error", "Encoder Write Data Error"}));
  EXPECT_EQ(quitting->convertedCount(), 0);
}

TEST_F(ConvertFixture, CommandChecksBeforeStarting) {
  converter->ConvertChecked(kWav);
  EXPECT_EQ(port.infos, (std::vector<std::string>{"Please add audio file to list!"}));
  list.addFile(copy("lossless.flac", "a.flac"));
  list.selectNone();
  converter->ConvertChecked(kWav);
  EXPECT_EQ(port.infos.back(), "Please select audio files to convert!");
  list.selectAll();
  test::writeFile(dir.file("blocker"), "x");
  converter->setOutputFolder(dir.file("blocker") + "/sub");
  converter->ConvertChecked(kWav);
  EXPECT_EQ(port.errors.back(), "Cannot create " + dir.file("blocker") + "/sub");
}

TEST_F(ConvertFixture, MissingSourceStopsTheBatch) {
  list.addFile(copy("lossless.flac", "a.flac"));
  list.addFile(copy("cbr.mp3", "b.mp3"));
  list.addFile(copy("vbr.mp3", "c.mp3"));
  fs::remove(dir.file("b.mp3"));
  converter->ConvertChecked(kWav);
  EXPECT_EQ(port.errors, (std::vector<std::string>{"Not Find " + dir.file("b.mp3")}));
  EXPECT_TRUE(fs::exists(outDir + "a.wav"));
  EXPECT_FALSE(fs::exists(outDir + "c.wav"));
}

TEST_F(ConvertFixture, CancelDuringTheSecondFile) {
  list.addFile(copy("sweep20.flac", "a.flac"));
  list.addFile(copy("sweep20.wv", "b.wv"));
  list.addFile(copy("sweep20.mp3", "c.mp3"));
  progress.onProgress = [&] {
    if (progress.labels.size() == 2 && progress.file >= 30) converter->cancel();
  };
  converter->ConvertChecked(kWav);
  EXPECT_EQ(port.status[0], "User Cancel Converting");
  EXPECT_TRUE(fs::exists(outDir + "a.wav"));
  ASSERT_TRUE(fs::exists(outDir + "b.wav"));  // the partial second file stays
  EXPECT_LT(probeDuration(outDir + "b.wav"), 19.0);
  EXPECT_FALSE(fs::exists(outDir + "c.wav"));
  for (int i = 0; i < list.rowCount(); ++i) EXPECT_FALSE(list.row(i).checked);
}

TEST_F(ConvertFixture, AFullDiskEndsTheFileWithAnErrorAndKeepsEarlierOutputs) {
  list.addFile(copy("lossless.flac", "a.flac"));
  list.addFile(copy("cbr.mp3", "b.mp3"));
  // The second output lands on a device that is always full.
  fs::create_directories(outDir);
  fs::create_symlink("/dev/full", outDir + "b.wav");
  converter->ConvertChecked(kWav);
  EXPECT_EQ(port.errors, (std::vector<std::string>{"Encoder Write Data Error"}));
  EXPECT_EQ(converter->outputs(), (std::vector<std::string>{outDir + "a.wav"}));
  EXPECT_EQ(test::ffmpegDecode(outDir + "a.wav", "s16le"), test::ffmpegDecode(fixture("lossless.flac"), "s16le"));
}

TEST_F(ConvertFixture, HostileNamesAreNeverInterpreted) {
  for (const char* name : {"a b \"c\".flac", "$(touch pwned).flac", "`touch pwned2`.flac", "-rf.flac", "Ünïcødé ß.flac"})
    list.addFile(copy("lossless.flac", name));
  fs::current_path(dir.path());
  converter->ConvertChecked(kMp3);
  EXPECT_TRUE(port.errors.empty());
  EXPECT_EQ(converter->outputs().size(), 5u);
  for (const auto& out : converter->outputs()) EXPECT_EQ(test::ffprobeStream(out, "codec_name"), "mp3") << out;
  EXPECT_FALSE(fs::exists(dir.file("pwned")));
  EXPECT_FALSE(fs::exists(dir.file("pwned2")));
}

}  // namespace
