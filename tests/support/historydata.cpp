#include "historydata.h"

#include "history/historystore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <cmath>
#include <random>

using namespace vantrel::core;
using namespace vantrel::history;

GeneratedHistory GenerateHistory(qint64 end, int days, int stepSecs, bool drops, unsigned seed) {
    GeneratedHistory h;
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const qint64 start = end - qint64(days) * 86400;
    const qint64 storm = start + qint64(days) * 86400 * 6 / 10;
    const qint64 restart = start + qint64(days) * 86400 * 3 / 10 + 3 * 3600;
    const qint64 offFrom = start + qint64(days) * 86400 * 8 / 10 + 2 * 3600; // program not run
    const qint64 offTo = offFrom + 6 * 3600;
    qint64 boot = start - 20 * 86400;
    double errored = 120, framing = 3, signal = 1, power = 0, corrected = 1.5e6, uncorrected = 2000,
           upCorrected = 3e4, upUncorrected = 40;
    qint64 downUntil = 0;
    qint64 nextDrop = start + 2 * 86400 + 7 * 3600;
    bool runStart = true;
    bool restarted = false;
    for (qint64 t = start; t < end; t += stepSecs) {
        if (t >= offFrom && t < offTo) {
            runStart = true;
            continue;
        }
        if (!restarted && t >= restart) {
            // The router restarts and says nothing for three minutes.
            restarted = true;
            boot = t + 180;
            h.events.push_back({t + 60, LineEventKind::Restart, EventSource::Recorder,
                                QStringLiteral("Router restarted")});
            errored = framing = signal = power = corrected = uncorrected = upCorrected =
                upUncorrected = 0;
        }
        if (t < boot) {
            runStart = true;
            continue;
        }
        LineSample s;
        s.time = t;
        s.uptime = (t - boot) * 100;
        if (drops && t >= nextDrop && downUntil == 0) {
            downUntil = t + 120 + qint64(uniform(random) * 1100);
            h.events.push_back({t, LineEventKind::Drop, EventSource::Recorder, QString()});
            ++h.drops;
        }
        if (downUntil != 0 && t < downUntil) {
            s.link = 2;
            s.runStart = true;
            runStart = true;
            h.samples.push_back(s);
            continue;
        }
        if (downUntil != 0) {
            h.events.push_back({t, LineEventKind::Return, EventSource::Recorder, QString()});
            downUntil = 0;
            nextDrop = t + 3 * 86400 + qint64(uniform(random) * 3 * 86400);
        }
        s.link = 1;
        s.runStart = runStart;
        runStart = false;
        const QTime local = QDateTime::fromSecsSinceEpoch(t).time();
        const double hour = local.hour() + local.minute() / 60.0;
        // The margin sinks by up to 3.5 dB between six and eleven in the evening.
        const double evening =
            hour >= 18 && hour < 23 ? std::sin((hour - 18) / 5 * 3.14159265358979) : 0;
        const bool afterStorm = t >= storm;
        const double margin = (afterStorm ? 10.5 : 8.5) - 3.5 * evening + 0.3 * noise(random);
        s.Figure(LineFigure::DownMargin) = std::round(margin * 10);
        s.Figure(LineFigure::UpMargin) = std::round(120 + 4 * noise(random));
        s.Figure(LineFigure::DownAttenuation) = afterStorm ? 425 : 409;
        s.Figure(LineFigure::UpAttenuation) = afterStorm ? 262 : 250;
        s.Figure(LineFigure::DownPower) = 190;
        s.Figure(LineFigure::UpPower) = 121;
        s.Figure(LineFigure::DownRate) = afterStorm ? 6016000 : 8128000;
        s.Figure(LineFigure::UpRate) = afterStorm ? 800000 : 832000;
        const double scale = stepSecs / 60.0;
        errored += scale * (evening * 3 * uniform(random) + (uniform(random) < 0.02 ? 1 : 0));
        framing += uniform(random) < 0.002 * scale ? 1 : 0;
        signal += uniform(random) < 0.001 * scale ? 1 : 0;
        power += uniform(random) < 0.0002 * scale ? 1 : 0;
        corrected += scale * (40 + 400 * evening) * uniform(random);
        uncorrected += scale * (evening * 6 * uniform(random));
        upCorrected += scale * 3 * uniform(random);
        upUncorrected += uniform(random) < 0.01 * scale ? 1 : 0;
        s.Figure(LineFigure::ErroredSeconds) = std::floor(errored);
        s.Figure(LineFigure::ErroredToday) = std::floor(std::fmod(errored, 500));
        s.Figure(LineFigure::ErroredYesterday) = 250;
        s.Figure(LineFigure::LossOfFraming) = framing;
        s.Figure(LineFigure::LossOfSignal) = signal;
        s.Figure(LineFigure::LossOfPower) = power;
        s.Figure(LineFigure::DownCorrected) = std::floor(corrected);
        s.Figure(LineFigure::DownUncorrected) = std::floor(uncorrected);
        s.Figure(LineFigure::UpCorrected) = std::floor(upCorrected);
        s.Figure(LineFigure::UpUncorrected) = upUncorrected;
        h.samples.push_back(s);
    }
    return h;
}

bool WriteHistory(const QString &path, const GeneratedHistory &history, qint64 now,
                  QString *error) {
    HistoryStore store(path);
    const HistoryStore::OpenResult opened = store.Open(QDateTime::fromSecsSinceEpoch(now));
    if (!opened.ok) {
        if (error != nullptr)
            *error = opened.error;
        return false;
    }
    // A day at a time, with the upkeep the program does as time goes by.
    const std::size_t chunk = 1440;
    std::size_t event = 0;
    for (std::size_t i = 0; i < history.samples.size(); i += chunk) {
        const auto first = history.samples.begin() + std::ptrdiff_t(i);
        const auto last =
            history.samples.begin() + std::ptrdiff_t(std::min(history.samples.size(), i + chunk));
        if (store.AppendAll({first, last}) != HistoryStore::Status::Ok) {
            if (error != nullptr)
                *error = store.LastError();
            return false;
        }
        const qint64 until = (last - 1)->time;
        for (; event < history.events.size() && history.events[event].time <= until; ++event)
            store.AddEvent(history.events[event]);
        while (store.Maintain(until, 50000)) {
        }
    }
    for (; event < history.events.size(); ++event)
        store.AddEvent(history.events[event]);
    while (store.Maintain(now, 50000)) {
    }
    return true;
}

double ResidentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

bool WaitFor(const std::function<bool()> &done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}
