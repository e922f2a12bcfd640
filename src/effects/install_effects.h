// Puts the sound effects into conversions.
#pragma once

namespace sondrel::convert {
class Converter;
}
namespace sondrel::settings {
class SettingsModel;
}

namespace sondrel::effects {

// From now on every file `converter` converts gets the effects that `settings`
// asks for at that moment, on a chain of its own that lives as long as the
// file's stream. `settings` must outlive the converter.
void installEffects(convert::Converter& converter, const settings::SettingsModel& settings);

}  // namespace sondrel::effects
