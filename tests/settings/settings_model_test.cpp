// Loading, saving and first-run defaults of the settings, and what hostile
// settings files do to them.
#include "settings_fixture.h"

#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace sondrel::settings::test {
namespace {

TEST_F(SettingsTest, FirstRunShowsTheDefaults) {
  const auto model = loaded();
  EXPECT_TRUE(model->check("cnorm"));
  EXPECT_EQ(model->number("spinnorm"), 94);
  EXPECT_EQ(model->selectedItem("cueformatcom"), "APE");
  EXPECT_EQ(model->text("ecuename"), "CDImage.ape");
  EXPECT_TRUE(model->check("coverwrite"));
  EXPECT_TRUE(model->check("copen"));
  EXPECT_TRUE(model->check("ctag"));
  EXPECT_EQ(model->selectedItem("cpartcom"), "Convert Select Part");
  EXPECT_EQ(model->selectedItem("playmodecom"), "Play next song after end playing");
  EXPECT_EQ(model->text("efolder"), musicFolder_);
  EXPECT_EQ(model->selectedItem("cdefaultformatcom"), "MP3");
  EXPECT_EQ(model->selectedItem("skincom"), "darkglass");
  EXPECT_EQ(model->selectedItem("mp3cbrbitratecom"), "128 kbps");
  EXPECT_EQ(model->selectedItem("mp3minbitratecom"), "112 kbps");
  EXPECT_EQ(model->selectedItem("mp3maxbitratecom"), "144 kbps");
  EXPECT_EQ(model->selectedItem("oggnorbitratecom"), "128 kbps");
  EXPECT_EQ(model->selectedItem("mpcsamplecom"), "44100Hz");
  EXPECT_EQ(model->selectedItem("mpcpresetcom"), "standard high quality<delfault> (142~184 kbps)");
  EXPECT_EQ(model->slider("baroggquality"), 275);
  EXPECT_EQ(model->list("wmacbrbitratecom"), 0);
  EXPECT_EQ(model->list("wmaqualitycom"), -1);  // CBR: the quality list stays empty
  EXPECT_EQ(host_.outputFolders, std::vector<std::string>{musicFolder_});
  EXPECT_TRUE(host_.soundFonts.empty());
  EXPECT_TRUE(host_.notices.empty());
  // Nothing is written by loading.
  EXPECT_FALSE(std::filesystem::exists(dataFolder_ / "qorv.ini"));
}

TEST_F(SettingsTest, SkinListHoldsTheStyleSheetsOfTheSkinFolderSorted) {
  const auto model = fresh();
  EXPECT_EQ(model->items("skincom"),
            (std::vector<std::string>{"beijing", "darkglass", "macos2", "pulsar", "tv-b", "vista"}));
}

// Every stored setting away from its default (within the rules), saved and
// loaded into a new model, comes back as it was.
TEST_F(SettingsTest, SaveThenLoadRestoresEveryKey) {
  const std::map<std::string, int> chosen = {
      {"mp3samplecom", 0},  // 8000 Hz: an 8-item bit-rate list must exist before the index is applied
      {"mp3cbrbitratecom", 7}, {"mp3minbitratecom", 0}, {"mp3maxbitratecom", 6},
      {"wmasamplecom", 6}, {"wmacodeccom", 0}, {"wmacbrbitratecom", 2}, {"cueformatcom", 5},
      {"skincom", 3}, {"equcom", 10}, {"cmp3vbr", 1}, {"cwmacbr", 1}, {"coggaverage", 1},
      {"cwpks", 1}, {"cmpccustomset", 1}, {"caacabr", 1}};
  const std::set<std::string> radioLosers = {"cmp3preset", "cmp3cbr", "cwmavbr", "coggquality",
                                             "cwpbs", "cmpcpreset", "caacvbr"};
  auto model = fresh();
  for (const ControlDef& d : controls()) {
    if (!d.stored() || radioLosers.count(d.name)) continue;
    const auto pick = chosen.find(d.name);
    switch (d.kind) {
      case Kind::List: {
        const int last = static_cast<int>(model->items(d.name).size()) - 1;
        model->setList(d.name, pick != chosen.end() ? pick->second : (d.defaultValue == 0 ? last : 0));
        break;
      }
      case Kind::Check: model->setCheck(d.name, pick != chosen.end() ? pick->second != 0 : d.defaultValue == 0); break;
      case Kind::Slider: model->setSlider(d.name, d.defaultValue == d.maximum ? d.minimum : d.maximum); break;
      case Kind::Number: model->setNumber(d.name, d.defaultValue == d.maximum ? d.minimum : d.maximum); break;
      case Kind::Text: break;
    }
  }
  ASSERT_TRUE(model->setText("efolder", temp_.path().string() + "/out put/"));
  ASSERT_TRUE(model->setText("esf2", "/no/such/font.sf2"));
  ASSERT_TRUE(model->setText("ecuename", " Disc \"1\" = B\xC3\xB6rk.flac "));
  const auto before = snapshot(*model);

  // At their default stay only the radio buttons that were off and lost to
  // their group's choice, and what WMA needs to offer bit rates at all.
  const std::set<std::string> expectedAtDefault = {"cmp3cbr", "cwmavbr", "cwmacbr", "wmacodeccom", "wmaqualitycom"};
  const auto defaults = snapshot(*fresh());
  std::set<std::string> unchanged;
  for (const ControlDef& d : controls())
    if (d.stored() && before.at(d.name) == defaults.at(d.name)) unchanged.insert(d.name);
  EXPECT_EQ(unchanged, expectedAtDefault);

  ASSERT_TRUE(model->save().ok);
  EXPECT_EQ(snapshot(*loaded()), before);
}

TEST_F(SettingsTest, SavedFileHasTheSectionsKeysAndEncodingsOfTheFormat) {
  auto model = fresh();
  model->setCheck("cnorm", false);
  ASSERT_TRUE(model->save().ok);
  const IniFile saved = IniFile::parse(savedText());
  std::vector<std::string> sections;
  for (const auto& s : saved.sections()) sections.push_back(s.name);
  EXPECT_EQ(sections, (std::vector<std::string>{"output", "misc", "dsp", "equ", "wave", "mp3", "wma", "ogg", "ape",
                                                "flac", "falc", "wavpack", "mpc", "aac", "cue"}));
  // Every stored setting has its key where the format puts it, and nothing else is written.
  std::size_t keys = 0;
  for (const ControlDef& d : controls()) {
    if (!d.stored()) continue;
    ++keys;
    EXPECT_TRUE(saved.value(d.section, d.key)) << d.section << '/' << d.key;
  }
  std::size_t written = 0;
  for (const auto& s : saved.sections()) written += s.entries.size();
  EXPECT_EQ(written, keys);
  EXPECT_EQ(saved.value("dsp", "normalize"), "0");
  EXPECT_EQ(saved.value("output", "overwrite"), "1");
  EXPECT_EQ(saved.value("misc", "skin"), "1");
  EXPECT_EQ(saved.value("cue", "cuename"), "CDImage.ape");
  EXPECT_EQ(saved.sections()[9].entries.size(), 2u);  // flac: sample, bit
  EXPECT_EQ(saved.value("falc", "channel"), "1");
  EXPECT_EQ(saved.value("falc", "level"), "2");
  EXPECT_EQ(saved.value("equ", "eq1"), std::nullopt);
}

TEST_F(SettingsTest, FileWithOnlyTheFlacSectionRestoresChannelAndLevelToTheirDefaults) {
  writeSettings("[flac]\nsample=2\nbit=0\nchannel=0\nlevel=0\n");
  const auto model = loaded();
  EXPECT_EQ(model->list("flacsamplecom"), 2);
  EXPECT_EQ(model->list("flacbitcom"), 0);
  EXPECT_EQ(model->list("flacchannelcom"), 1);
  EXPECT_EQ(model->list("flaclevelcom"), 2);
}

TEST_F(SettingsTest, StoredIndexOutsideItsListReadsAsNoSelection) {
  writeSettings("[mp3]\nsample=0\ncbrvalue=11\nminvbr=3\n[misc]\nskin=9\n[equ]\nequpreset=40\n[wave]\nsample=-1\n");
  auto model = loaded();
  EXPECT_EQ(model->items("mp3cbrbitratecom").size(), 8u);
  EXPECT_EQ(model->list("mp3cbrbitratecom"), -1);
  EXPECT_EQ(model->selectedItem("mp3cbrbitratecom"), "");
  EXPECT_EQ(model->selectedItem("mp3minbitratecom"), "32 kbps");
  EXPECT_EQ(model->list("skincom"), -1);
  EXPECT_EQ(model->list("equcom"), -1);
  EXPECT_EQ(model->slider("eq1"), 0);
  EXPECT_EQ(model->list("wavsamplecom"), -1);
  ASSERT_TRUE(model->save().ok);
  const IniFile saved = IniFile::parse(savedText());
  EXPECT_EQ(saved.value("mp3", "cbrvalue"), "-1");
  EXPECT_EQ(saved.value("misc", "skin"), "-1");
}

TEST_F(SettingsTest, UnknownKeysAndSectionsSurviveASave) {
  writeSettings("[DSP]\nNORMALIZE=0\nfuture=1\n[plugins]\nx = y \n[Mp3]\nSample=2\n");
  auto model = loaded();
  EXPECT_FALSE(model->check("cnorm"));
  EXPECT_EQ(model->list("mp3samplecom"), 2);
  ASSERT_TRUE(model->save().ok);
  const std::string text = savedText();
  const IniFile saved = IniFile::parse(text);
  EXPECT_EQ(saved.value("dsp", "future"), "1");
  EXPECT_EQ(saved.value("plugins", "x"), "y");
  EXPECT_EQ(saved.value("mp3", "sample"), "2");
  EXPECT_EQ(text.find("NORMALIZE"), std::string::npos);
  EXPECT_NE(text.find("[dsp]\nnormalize=0\n"), std::string::npos);
  EXPECT_EQ(saved.sections().back().name, "plugins");
}

TEST_F(SettingsTest, ChangeWithoutSavingLastsOnlyForThisRun) {
  auto first = loaded();
  first->setCheck("cnorm", false);
  ASSERT_TRUE(first->save().ok);
  first->setCheck("cnorm", true);  // changed, closed with "&Ok"
  EXPECT_TRUE(first->check("cnorm"));
  EXPECT_FALSE(loaded()->check("cnorm"));  // the next run
}

TEST_F(SettingsTest, SaveIntoAFolderThatCannotBeWrittenTellsWhereAndLosesNothing) {
  sondrel::test::writeFile(temp_.file("Documents"), "a file where the folder should be");
  auto model = fresh();
  model->setNumber("spinnorm", 50);
  const SaveResult result = model->save();
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find((dataFolder_ / "qorv.ini").string()), std::string::npos) << result.message;
  EXPECT_EQ(model->number("spinnorm"), 50);
}

// Files no one should have to read: the settings that can be used are, the
// rest take their defaults, and the next save writes a clean file.
struct HostileFile {
  const char* name;
  std::string text;
  std::map<std::string, std::string> expected;  // control -> state (stateOf)
};

std::string randomBytes(std::size_t count) {
  std::mt19937 random(20240501);
  std::string bytes(count, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

TEST_F(SettingsTest, HostileFilesGiveDefaultsWhereValuesCannotBeUsed) {
  const std::string musicState = '"' + musicFolder_ + '"';
  const std::vector<HostileFile> cases = {
      {"binary garbage", randomBytes(256 * 1024), {{"cnorm", "on"}, {"spinnorm", "94"}, {"efolder", musicState}}},
      {"garbage around good lines",
       randomBytes(5000) + "\n[dsp]\nnormvalue=50\n" + randomBytes(5000) + "\n[cue]\ngrapvalue=7\n",
       {{"spinnorm", "50"}, {"ecuegrap", "7"}}},
      {"ten megabyte line",
       "[output]\noutfolder=" + std::string(10 * 1024 * 1024, 'a') + "\n[dsp]\nnormvalue=50\n",
       {{"efolder", musicState}, {"spinnorm", "50"}}},
      {"folder longer than its edit allows",
       "[output]\noutfolder=/" + std::string(300, 'a') + "/\n",
       {{"efolder", musicState}}},
      {"duplicate sections and keys",
       "[dsp]\nnormvalue=10\nnormvalue=20\n[misc]\nskin=2\n[DSP]\nnormvalue=30\nlowpass=1\n",
       {{"spinnorm", "10"}, {"clowpass", "on"}, {"skincom", "2 of [beijing] [darkglass] [macos2] [pulsar] [tv-b] [vista]"}}},
      {"invalid UTF-8",
       "[output]\noutfolder=/music/\xC3\x28/\n[cue]\ncuename=\xFF\xFE.ape\n[misc]\nsf2=ok.sf2\n",
       {{"efolder", musicState}, {"ecuename", "\"CDImage.ape\""}, {"esf2", "\"ok.sf2\""}}},
      {"negative and huge numbers",
       "[dsp]\nnormvalue=-5\nlowpassvalue=99999999999\nhighpassvalue=-2147483648\nbandhighvalue=2147483647\n"
       "[misc]\noutformat=2147483647\nskinhue=-1\n[wave]\nsample=-7\n[output]\noverwrite=-1\nopenfloder=0x0\n",
       {{"spinnorm", "0"}, {"barlowcut", "5000"}, {"barhighcut", "0"}, {"barbandhighcut", "10000"},
        {"cdefaultformatcom", "-1 of [WAV] [MP3] [WMA] [OGG] [APE] [FLAC] [WAVPACK] [MPC] [AAC/MP4] [Cue]"},
        {"barskinhue", "0"}, {"coverwrite", "on"}, {"copen", "off"}}},
      {"words where numbers belong",
       "[dsp]\nnormalize=yes\nnormvalue=fifty\n[mp3]\nsample=5.0\n",
       {{"cnorm", "on"}, {"spinnorm", "94"}, {"mp3samplecom", "5 of [8000Hz] [11025Hz] [16000Hz] [22050Hz] [32000Hz] [44100Hz] [48000Hz]"}}},
  };
  for (const HostileFile& c : cases) {
    SCOPED_TRACE(c.name);
    writeSettings(c.text);
    auto model = loaded();
    const auto states = snapshot(*model);
    for (const auto& [name, state] : c.expected) EXPECT_EQ(states.at(name), state) << name;

    ASSERT_TRUE(model->save().ok);
    const std::string text = savedText();
    const IniFile clean = IniFile::parse(text);
    EXPECT_EQ(clean.serialize(), text);  // nothing in it that reading would drop
    for (unsigned char ch : text) ASSERT_TRUE(ch == '\n' || ch >= 0x20) << int(ch);
    EXPECT_EQ(snapshot(*loaded()), states);
  }
}

}  // namespace
}  // namespace sondrel::settings::test
