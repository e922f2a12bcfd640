#include "shell/cue_tracks.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sondrel {
namespace {

std::optional<int64_t> decimal(std::string_view digits) {
  // Nine digits cannot overflow, and no real index time needs more.
  if (digits.empty() || digits.size() > 9) return std::nullopt;
  int64_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

std::optional<int32_t> CueSeconds(std::string_view time) {
  const size_t colon = time.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::string_view afterMinutes = time.substr(colon + 1);
  const auto minutes = decimal(time.substr(0, colon));
  const auto seconds = decimal(afterMinutes.substr(0, afterMinutes.find(':')));
  if (!minutes || !seconds) return std::nullopt;
  const int64_t total = *minutes * 60 + *seconds;
  if (total > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(total);
}

int64_t WholeSeconds(double duration) {
  if (!std::isfinite(duration) || duration <= 0) return 0;
  // Far beyond any track time, and small enough to count in milliseconds.
  constexpr double kLongest = 1e12;
  // To the millisecond first, as the length column counts.
  return std::llround(std::min(duration, kLongest) * 1000.0) / 1000;
}

bool endsAtNextTrack(const CueSheetSlot& slot, size_t i, CueVariant variant) {
  if (i + 1 >= slot.tracks.size()) return false;
  if (variant == CueVariant::Embedded || slot.singleFile) return true;
  return slot.tracks[i + 1].trackFile == slot.tracks[i].trackFile;
}

TrackSpanResult trackSpan(const CueSheetSlot& slot, size_t i, CueVariant variant, int64_t fileSeconds) {
  TrackSpanResult result;
  const CueTrack& track = slot.tracks.at(i);
  const auto start = CueSeconds(track.trackIndex01);
  if (!start) {
    result.badTime = track.trackIndex01;
    return result;
  }
  int64_t end = fileSeconds;
  if (endsAtNextTrack(slot, i, variant)) {
    const CueTrack& next = slot.tracks[i + 1];
    const std::string& mark =
        variant == CueVariant::Embedded && !next.trackIndex00.empty() ? next.trackIndex00 : next.trackIndex01;
    const auto nextStart = CueSeconds(mark);
    if (!nextStart) {
      result.badTime = mark;
      return result;
    }
    end = *nextStart;
  }
  const int64_t length = std::clamp<int64_t>(end - *start, 0, std::numeric_limits<int32_t>::max());
  result.span = TrackSpan{*start, static_cast<int32_t>(length)};
  return result;
}

}  // namespace sondrel
