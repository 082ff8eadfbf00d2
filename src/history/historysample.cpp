#include "history/historysample.h"

#include <QStringList>
#include <algorithm>

namespace vantrel::history {

using core::AdslRow;

namespace {

const std::array<LineFigureInfo, LineFigureCount> kFigures = {{
    {LineFigure::DownRate, AdslRow::DownRate, "dn_rate", "down_rate_kbps", 1000, "kbit/s"},
    {LineFigure::UpRate, AdslRow::UpRate, "up_rate", "up_rate_kbps", 1000, "kbit/s"},
    {LineFigure::DownMargin, AdslRow::DownMargin, "dn_margin", "down_margin_db", 10, "dB"},
    {LineFigure::UpMargin, AdslRow::UpMargin, "up_margin", "up_margin_db", 10, "dB"},
    {LineFigure::DownAttenuation, AdslRow::DownAttenuation, "dn_atten", "down_attenuation_db", 10,
     "dB"},
    {LineFigure::UpAttenuation, AdslRow::UpAttenuation, "up_atten", "up_attenuation_db", 10, "dB"},
    {LineFigure::DownPower, AdslRow::DownPower, "dn_power", "down_power_dbm", 10, "dBm"},
    {LineFigure::UpPower, AdslRow::UpPower, "up_power", "up_power_dbm", 10, "dBm"},
    {LineFigure::LossOfFraming, AdslRow::LossOfFraming, "lofs", "loss_of_framing_s", 1, ""},
    {LineFigure::LossOfSignal, AdslRow::LossOfSignal, "loss", "loss_of_signal_s", 1, ""},
    {LineFigure::LossOfPower, AdslRow::LossOfPower, "lprs", "loss_of_power_s", 1, ""},
    {LineFigure::ErroredSeconds, AdslRow::ErroredSeconds, "es", "errored_s", 1, ""},
    {LineFigure::ErroredToday, AdslRow::CurrentDayErrored, "es_day", "errored_s_today", 1, ""},
    {LineFigure::ErroredYesterday, AdslRow::PreviousDayErrored, "es_prev", "errored_s_yesterday", 1,
     ""},
    {LineFigure::DownCorrected, AdslRow::DownCorrected, "dn_corr", "down_corrected_blocks", 1, ""},
    {LineFigure::DownUncorrected, AdslRow::DownUncorrected, "dn_uncorr", "down_uncorrected_blocks",
     1, ""},
    {LineFigure::UpCorrected, AdslRow::UpCorrected, "up_corr", "up_corrected_blocks", 1, ""},
    {LineFigure::UpUncorrected, AdslRow::UpUncorrected, "up_uncorr", "up_uncorrected_blocks", 1,
     ""},
}};

} // namespace

const std::array<LineFigureInfo, LineFigureCount> &LineFigures() {
    return kFigures;
}

const LineFigureInfo &FigureInfo(LineFigure figure) {
    return kFigures[std::size_t(figure)];
}

std::optional<double> LineSample::Value(LineFigure f) const {
    const std::optional<double> &v = Figure(f);
    if (!v)
        return std::nullopt;
    return *v / FigureInfo(f).divisor;
}

bool LineSample::HasFigures() const {
    for (const auto &f : figures)
        if (f)
            return true;
    return false;
}

QString DurationText(qint64 seconds) {
    const qint64 s = std::max<qint64>(seconds, 0);
    const qint64 parts[] = {s / 86400, s / 3600 % 24, s / 60 % 60, s % 60};
    const char *units[] = {" d", " h", " min", " s"};
    QStringList words;
    for (int i = 0; i < 4; ++i)
        if (parts[i] != 0)
            words << QString::number(parts[i]) + QLatin1String(units[i]);
    return words.isEmpty() ? QStringLiteral("0 s") : words.join(QLatin1Char(' '));
}

} // namespace vantrel::history
