#pragma once
// What the router's codes and figures mean: the state of a link, the line's coding and channel
// type, the grades of the noise margin and the attenuation, the distance to the exchange, the
// quota's levels and the lights of the tray. Each code and each threshold is read here and
// nowhere else; the views only choose colours and words for what these say.

#include <optional>
#include <string>

namespace vantrel::core {

// ifOperStatus.
enum class LinkState {
    Up,
    Down,
    Testing, // on a DSL line: training
    Other,   // any other answer (dormant, not present, ... or no number at all)
};
// The state of an ifOperStatus code.
LinkState LinkStateOfCode(long long code);
// The state of a reply as the router gave it: only the exact decimal texts of the codes count
// ("01" is no "1").
LinkState LinkStateOf(const std::string &reply);

// The words of a state: the ADSL page's ("Up", "Training", "Down" for any other) and the
// Interfaces page's ("UP", "DOWN", "TESTING"; nullptr for one it does not show).
const char *LineStatusWord(LinkState state);
const char *InterfaceStatusWord(LinkState state);

// adslLineCoding: exact texts "1" other, "2" dmt, "3" cap; any other reply is qam.
enum class LineCoding { Other, Dmt, Cap, Qam };
LineCoding LineCodingOf(const std::string &reply);
const char *LineCodingName(LineCoding coding);

// adslLineType: exact texts "1" to "5"; anything else is a type the page does not name.
enum class ChannelType {
    NoChannel,
    Fast,
    Interleaved,
    FastOrInterleaved,
    FastAndInterleaved,
    Unknown
};
ChannelType ChannelTypeOf(const std::string &reply);
// The page's word for a type (for Interleaved without its delay); nullptr for Unknown.
const char *ChannelTypeName(ChannelType type);

// How good a figure is, as its colour shows it.
enum class Grade { Good, Fair, Poor };
// Noise margin in tenths of a dB: below 11 dB poor, up to 19 dB fair, above good.
Grade MarginGrade(double tenths);
// Attenuation in tenths of a dB: below 41 dB good, up to 49 dB fair, above poor.
Grade AttenuationGrade(double tenths);
// The line's length from the downstream attenuation (13.81 dB per km); nothing for none.
std::optional<double> DistanceKm(double attenuationTenths);

// The share of the data quota used, as the bar, its scale and the tray show it.
constexpr int QuotaHighPercent = 65;
constexpr int QuotaCriticalPercent = 85;
enum class QuotaLevel { Normal, High, Critical };
QuotaLevel QuotaLevelOf(int percent);

// The three lights of the tray: the WAN link (and the quota level in the third light while it
// is up), or all red and off when the router did not answer.
enum class TrayLights { NoAnswer, Up, UpHigh, UpCritical, Down, Training };
// The lights for a reading of the WAN status (nothing: no answer); nothing for a state that
// leaves the lights as they are.
std::optional<TrayLights> TrayLightsFor(bool answered, LinkState state, QuotaLevel quota);

} // namespace vantrel::core
