#include "shell/embedded_cue.h"

#include <algorithm>

#include "shell/cue_text.h"

#if SONDREL_HAS_APE_TAG
#include "formats/ape_tag.h"
#include "formats/text_encoding.h"
#endif

namespace sondrel {

#if SONDREL_HAS_APE_TAG

bool canReadEmbeddedCue() { return true; }

EmbeddedCue readEmbeddedCue(const std::string& path) {
  EmbeddedCue cue;
  TAPETag tag;
  if (!tag.Read(path) || !tag.Present() || tag.Version() != 2000) return cue;
  for (const auto& item : tag.Items()) {
    if (!equalsIgnoreCase(item.name, "Cuesheet")) continue;
    // The first item of the name counts, as with any tag field. Several
    // values are separated by zero bytes; the first is the sheet.
    const auto end = std::find(item.stored.begin(), item.stored.end(), uint8_t{0});
    const bool hasText = std::any_of(item.stored.begin(), end, [](uint8_t b) { return b > ' '; });
    if (!hasText) return cue;
    if (static_cast<size_t>(end - item.stored.begin()) > kMaxCueSheetBytes) {
      cue.state = EmbeddedCueState::TooLarge;
      return cue;
    }
    cue.state = EmbeddedCueState::Sheet;
    cue.text.assign(item.stored.begin(), end);
    return cue;
  }
  return cue;
}

#else

bool canReadEmbeddedCue() { return false; }

EmbeddedCue readEmbeddedCue(const std::string&) { return {}; }

#endif

}  // namespace sondrel
