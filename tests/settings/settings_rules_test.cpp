// The rules that tie settings together: rebuilt lists, radio groups, enabling,
// the disc image name, value labels, presets, page defaults, and what the
// settings tell the program around them.
#include "settings_fixture.h"

#include "settings/value_labels.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace sondrel::settings::test {
namespace {

TEST_F(SettingsTest, Mp3BitRateListsFollowTheSampleRate) {
  struct Case {
    int sampleIndex;
    std::size_t items;
    const char* cbr;
    const char* minimum;
    const char* maximum;
    const char* last;
  };
  const Case cases[] = {
      {0, 8, "40 kbps", "32 kbps", "48 kbps", "64 kbps"},     {1, 8, "40 kbps", "32 kbps", "48 kbps", "64 kbps"},
      {2, 14, "128 kbps", "112 kbps", "144 kbps", "160 kbps"}, {3, 14, "128 kbps", "112 kbps", "144 kbps", "160 kbps"},
      {4, 18, "128 kbps", "112 kbps", "144 kbps", "320 kbps"}, {6, 18, "128 kbps", "112 kbps", "144 kbps", "320 kbps"},
  };
  auto model = fresh();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sampleIndex);
    model->setList("mp3cbrbitratecom", 2);  // whatever was chosen before is replaced
    model->setList("mp3samplecom", c.sampleIndex);
    for (const char* list : {"mp3cbrbitratecom", "mp3minbitratecom", "mp3maxbitratecom"}) {
      ASSERT_EQ(model->items(list).size(), c.items) << list;
      EXPECT_EQ(model->items(list).front(), "8 kbps");
      EXPECT_EQ(model->items(list).back(), c.last);
    }
    EXPECT_EQ(model->selectedItem("mp3cbrbitratecom"), c.cbr);
    EXPECT_EQ(model->selectedItem("mp3minbitratecom"), c.minimum);
    EXPECT_EQ(model->selectedItem("mp3maxbitratecom"), c.maximum);
  }
}

TEST_F(SettingsTest, LoadingBuildsTheMp3ListForTheStoredRateBeforeApplyingTheIndex) {
  writeSettings("[mp3]\nsample=0\ncbrvalue=7\nminvbr=0\nmaxvbr=5\n");
  const auto model = loaded();
  EXPECT_EQ(model->items("mp3cbrbitratecom").size(), 8u);
  EXPECT_EQ(model->selectedItem("mp3cbrbitratecom"), "64 kbps");
  EXPECT_EQ(model->selectedItem("mp3minbitratecom"), "8 kbps");
  EXPECT_EQ(model->selectedItem("mp3maxbitratecom"), "48 kbps");
}

TEST_F(SettingsTest, Mp3EnablingRules) {
  struct Case {
    const char* click;
    bool abr;
    bool presetList, cbrList, vbrLists, quality, abrBox, abrValue;
  };
  const Case cases[] = {
      {"cmp3preset", false, true, false, false, false, false, false},
      {"cmp3cbr", false, false, true, false, false, false, false},
      {"cmp3vbr", false, false, false, true, true, true, false},
      {"cmp3vbr", true, false, false, true, false, true, true},  // ABR takes the place of the quality
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.click) + (c.abr ? " with ABR" : ""));
    auto model = fresh();
    model->setCheck(c.click, true);
    if (c.abr) model->setCheck("cmp3abr", true);
    EXPECT_EQ(model->enabled("mp3presetcom"), c.presetList);
    EXPECT_EQ(model->enabled("mp3cbrbitratecom"), c.cbrList);
    EXPECT_EQ(model->enabled("mp3minbitratecom"), c.vbrLists);
    EXPECT_EQ(model->enabled("mp3maxbitratecom"), c.vbrLists);
    EXPECT_EQ(model->enabled("mp3qualitycom"), c.quality);
    EXPECT_EQ(model->enabled("cmp3abr"), c.abrBox);
    EXPECT_EQ(model->enabled("emp3abr"), c.abrValue);
    EXPECT_EQ(model->check("cmp3preset") + model->check("cmp3cbr") + model->check("cmp3vbr"), 1);
  }
}

TEST_F(SettingsTest, LeavingVbrClearsAbr) {
  auto model = fresh();
  model->setCheck("cmp3vbr", true);
  model->setCheck("cmp3abr", true);
  model->setCheck("cmp3cbr", true);
  EXPECT_FALSE(model->check("cmp3vbr"));
  EXPECT_FALSE(model->check("cmp3abr"));
  EXPECT_FALSE(model->enabled("emp3abr"));
  // A stored ABR without VBR cannot be used either.
  writeSettings("[mp3]\npreset=0\ncbr=1\nabr=1\n");
  EXPECT_FALSE(loaded()->check("cmp3abr"));
}

TEST_F(SettingsTest, OggEnablingRule) {
  auto model = fresh();
  EXPECT_TRUE(model->enabled("baroggquality"));
  EXPECT_FALSE(model->enabled("oggnorbitratecom"));
  model->setCheck("coggaverage", true);
  EXPECT_FALSE(model->check("coggquality"));
  EXPECT_FALSE(model->enabled("baroggquality"));
  for (const char* list : {"oggnorbitratecom", "oggminbitratecom", "oggmaxbitratecom"}) EXPECT_TRUE(model->enabled(list));
  model->setCheck("coggquality", true);
  EXPECT_TRUE(model->enabled("baroggquality"));
  EXPECT_FALSE(model->enabled("oggmaxbitratecom"));
}

TEST_F(SettingsTest, CueFormatRenamesTheImageAndRulesTheApeTagOption) {
  struct Case {
    int format;
    int aacFormat;
    const char* before;
    const char* after;
    bool apeTag;
  };
  const Case cases[] = {
      {3, 0, "CDImage.ape", "CDImage.ogg", false}, {0, 0, "CDImage.ape", "CDImage.wav", false},
      {2, 0, "CDImage.ape", "CDImage.wma", false}, {1, 0, "CDImage.ape", "CDImage.mp3", true},
      {5, 0, "CDImage.ape", "CDImage.flac", true}, {6, 0, "CDImage.ape", "CDImage.wv", true},
      {7, 0, "CDImage.ape", "CDImage.mpc", true},  {8, 0, "CDImage.ape", "CDImage.aac", true},
      {8, 2, "CDImage.ape", "CDImage.m4a", false}, {8, 3, "CDImage.ape", "CDImage.m4b", false},
      {4, 0, "CDImage", "CDImage.ape", true},      {4, 0, "my.disc/CDImage", "my.disc/CDImage.ape", true},
      {5, 0, "a.b.wav", "a.b.flac", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.format) + " " + c.before);
    auto model = fresh();
    model->setList("aacformatcom", c.aacFormat);
    model->setList("cueformatcom", 1);
    model->setCheck("ccueape2", true);
    ASSERT_TRUE(model->setText("ecuename", c.before));
    model->setList("cueformatcom", c.format);
    EXPECT_EQ(model->text("ecuename"), c.after);
    EXPECT_EQ(model->enabled("ccueape2"), c.apeTag);
    EXPECT_EQ(model->check("ccueape2"), c.apeTag);
  }
}

TEST(ValueLabels, FollowTheirSliders) {
  struct Case {
    const char* slider;
    int position;
    char point;
    const char* text;
  };
  const Case cases[] = {
      {"barlowcut", 1234, '.', "low Cut:12.34%"}, {"barlowcut", 1234, ',', "low Cut:12,34%"},
      {"barhighcut", 5000, '.', "HighCut:50%"},   {"barhighcut", 10000, '.', "HighCut:100%"},
      {"barlowcut", 1, '.', "low Cut:0.01%"},     {"barbandlowcut", 2000, '.', "low Cut:2000 hz"},
      {"barbandhighcut", 8000, '.', "High Cut:8000 hz"}, {"baroggquality", 275, '.', "Value:2.75"},
      {"baroggquality", -200, '.', "Value:-2"},   {"barwpbs", 239, '.', "Value:23.9"},
      {"barwpks", 9600, '.', "Value:9600"},       {"barmpcquality", 500, '.', "Quality:5"},
      {"baraacquality", 100, '.', "Quality:100"}, {"baraacabr", 128, '.', "Bitrate:128 kbps"},
      {"baraacbandwith", 16000, '.', "Value:16000 hz"}, {"barskinhue", 10, '.', ""},
  };
  for (const Case& c : cases) EXPECT_EQ(valueLabelText(c.slider, c.position, c.point), c.text) << c.slider;
}

TEST_F(SettingsTest, EqualizerPresetSetsTheBandsAndIsNeverReadFromTheFile) {
  auto model = fresh();
  model->setList("equcom", 10);  // Loudness
  EXPECT_EQ(model->slider("eq1"), -90);
  EXPECT_EQ(model->slider("eq5"), 0);
  EXPECT_EQ(model->slider("eq10"), -90);
  EXPECT_TRUE(std::count(host_.changes.begin(), host_.changes.end(), "eq1"));

  writeSettings("[equ]\nequpreset=4\neq1=50\neq2=50\n");
  const auto stored = loaded();
  const int fullBass[] = {-50, -50, -50, -30, -10, 10, 30, 50, 50, 50};
  for (int band = 0; band < 10; ++band) EXPECT_EQ(stored->slider("eq" + std::to_string(band + 1)), fullBass[band]);
}

TEST_F(SettingsTest, SoundFontLoadsWhenPickedOrStoredButNotWhenTyped) {
  const std::string font = temp_.file("piano.sf2");
  sondrel::test::writeFile(font, "RIFF");
  auto model = fresh();
  ASSERT_TRUE(model->setText("esf2", font));
  EXPECT_TRUE(host_.soundFonts.empty());
  EXPECT_TRUE(model->pickSoundFont(font));
  EXPECT_EQ(host_.soundFonts, std::vector<std::string>{font});

  host_.soundFonts.clear();
  host_.soundFontLoads = false;  // a file the synthesizer refuses changes nothing
  EXPECT_FALSE(model->pickSoundFont(temp_.file("broken.sf2")));
  EXPECT_EQ(model->text("esf2"), temp_.file("broken.sf2"));

  host_.soundFonts.clear();
  writeSettings("[misc]\nsf2=" + font + "\n");
  loaded();
  EXPECT_EQ(host_.soundFonts, std::vector<std::string>{font});

  host_.soundFonts.clear();
  writeSettings("[misc]\nsf2=" + temp_.file("missing.sf2") + "\n");
  loaded();
  EXPECT_TRUE(host_.soundFonts.empty());
}

TEST_F(SettingsTest, OutputFolderIsMirroredOnEveryChange) {
  writeSettings("[output]\noutfolder=/srv/converted/\n");
  auto model = loaded();
  model->setText("efolder", "/tmp/x/");
  model->restorePageDefaults(kOutputPage);
  EXPECT_EQ(host_.outputFolders, (std::vector<std::string>{"/srv/converted/", "/tmp/x/", musicFolder_}));
}

TEST_F(SettingsTest, SkinAndHueReachTheHost) {
  auto model = fresh();
  model->setList("skincom", 2);
  model->setSlider("barskinhue", 120);
  model->restorePageDefaults(kMiscPage);
  EXPECT_EQ(host_.skins, (std::vector<std::pair<std::string, int>>{{"macos2", 0}, {"macos2", 120}, {"darkglass", 0}}));
  EXPECT_EQ(model->slider("barskinhue"), 0);
}

TEST_F(SettingsTest, DefaultButtonRestoresOnlyTheActivePage) {
  auto model = fresh();
  const auto defaults = snapshot(*model);
  model->setList("mp3samplecom", 0);  // 8 rates
  model->setCheck("cmp3vbr", true);
  model->setCheck("cmp3abr", true);
  model->setNumber("emp3abr", 300);
  model->setCheck("cmp3crc", true);
  model->setCheck("coggaverage", true);
  model->setList("cueformatcom", 3);
  model->restorePageDefaults(kMp3Page);
  const auto after = snapshot(*model);
  for (const ControlDef& d : controls()) {
    if (d.page != kMp3Page) continue;
    EXPECT_EQ(after.at(d.name), defaults.at(d.name)) << d.name;
  }
  EXPECT_TRUE(model->check("coggaverage"));
  EXPECT_TRUE(model->enabled("mp3presetcom"));
  EXPECT_FALSE(model->enabled("mp3minbitratecom"));

  // The disc image page: the APE format can carry the cue sheet again.
  model->restorePageDefaults(kCuePage);
  EXPECT_EQ(model->text("ecuename"), "CDImage.ape");
  EXPECT_TRUE(model->enabled("ccueape2"));

  model->setList("equcom", 6);
  model->setCheck("ceq", true);
  model->restorePageDefaults(kEqualizerPage);
  model->restorePageDefaults(kOggPage);
  EXPECT_EQ(snapshot(*model), defaults);
}

TEST_F(SettingsTest, WmaPageDefaultsRebuildItsLists) {
  auto model = fresh();
  model->setList("wmacodeccom", 1);
  ASSERT_TRUE(model->items("wmacbrbitratecom").empty());
  model->restorePageDefaults(kWmaPage);
  EXPECT_FALSE(model->items("wmacbrbitratecom").empty());
  EXPECT_EQ(model->list("wmacbrbitratecom"), 0);
}

TEST_F(SettingsTest, RangesAndTextLimitsHold) {
  auto model = fresh();
  model->setSlider("baroggquality", -500);
  EXPECT_EQ(model->slider("baroggquality"), -200);
  model->setNumber("ecuegrap", 11);
  EXPECT_EQ(model->number("ecuegrap"), 10);
  model->setList("namecom", 2);
  EXPECT_EQ(model->list("namecom"), -1);
  // A line break would end the settings line and start another.
  EXPECT_FALSE(model->setText("ecuename", "a.ape\n[misc]\nskin=3"));
  EXPECT_FALSE(model->setText("ecuename", "bad\xC3"));
  EXPECT_FALSE(model->setText("efolder", "/" + std::string(255, 'a')));
  EXPECT_TRUE(model->setText("efolder", std::string(255, 'a')));
  EXPECT_EQ(model->text("ecuename"), "CDImage.ape");
  EXPECT_THROW(model->check("nosuchcontrol"), std::invalid_argument);
  EXPECT_THROW(model->list("cnorm"), std::invalid_argument);
}

}  // namespace
}  // namespace sondrel::settings::test
