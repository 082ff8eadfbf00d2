#include "core/linemib.h"

#include <algorithm>
#include <map>

namespace vantrel::core {

namespace {

using Index = std::int64_t;
using Combine = FigureSource::Combine;
using namespace lineoid;

std::string columnAt(const char *columnOid, Index index) {
    return std::string(columnOid) + "." + std::to_string(index);
}

// The figures' sources, gathered family by family in the order they are preferred.
class Planner {
public:
    Planner(const Discovery &d) : line_(*d.line), channels_(d.channels) {}

    // A figure of the line itself.
    void Line(LineFigure f, const MibColumn &c, const Decode &d,
              const std::string &more = std::string()) {
        add(f, {{c.At(line_, more)}, d});
    }
    // A figure of the channels, read at the channels' indexes and, as some agents keep it, at
    // the line's own.
    void Channels(LineFigure f, const MibColumn &c, const Decode &d, Combine combine,
                  const std::string &more = std::string()) {
        std::vector<std::string> oids;
        for (Index ch : channels_)
            oids.push_back(c.At(ch, more));
        if (!oids.empty())
            add(f, {oids, d, combine});
        add(f, {{c.At(line_, more)}, d, combine});
    }
    // The interface speed of the channels, then of the line.
    void Speed(LineFigure f) {
        for (const std::vector<Index> &where : {channels_, std::vector<Index>{line_}}) {
            std::vector<std::string> speed, high;
            for (Index i : where) {
                speed.push_back(columnAt(DiscoveryOid::IfSpeed, i));
                high.push_back(columnAt(DiscoveryOid::IfHighSpeed, i));
            }
            if (!where.empty()) {
                add(f, {speed, decode::IfSpeed});
                add(f, {high, decode::IfHighSpeed});
            }
        }
    }

    void Adsl() {
        Channels(LineFigure::DownRate, AdslAtucChanCurrTxRate, decode::Rate, Combine::Max);
        Channels(LineFigure::UpRate, AdslAturChanCurrTxRate, decode::Rate, Combine::Max);
        Line(LineFigure::DownAttainableRate, AdslAturCurrAttainableRate, decode::Rate);
        Line(LineFigure::UpAttainableRate, AdslAtucCurrAttainableRate, decode::Rate);
        Line(LineFigure::DownMargin, AdslAturCurrSnrMgn, decode::AdslMargin);
        Line(LineFigure::UpMargin, AdslAtucCurrSnrMgn, decode::AdslMargin);
        Line(LineFigure::DownAttenuation, AdslAturCurrAtn, decode::AdslAttenuation);
        Line(LineFigure::UpAttenuation, AdslAtucCurrAtn, decode::AdslAttenuation);
        Line(LineFigure::DownPower, AdslAtucCurrOutputPwr, decode::AdslPower);
        Line(LineFigure::UpPower, AdslAturCurrOutputPwr, decode::AdslPower);
        Channels(LineFigure::DownDelay, AdslAtucChanInterleaveDelay, decode::Delay, Combine::Max);
        Channels(LineFigure::UpDelay, AdslAturChanInterleaveDelay, decode::Delay, Combine::Max);
        Line(LineFigure::LineCoding, AdslLineCoding, decode::LineCoding);
        Line(LineFigure::ChannelType, AdslLineType, decode::LineType);
        Line(LineFigure::LossOfFramingSeconds, AdslAturPerfLofs, decode::Count);
        Line(LineFigure::LossOfSignalSeconds, AdslAturPerfLoss, decode::Count);
        Line(LineFigure::LossOfPowerSeconds, AdslAturPerfLprs, decode::Count);
        Line(LineFigure::ErroredSeconds, AdslAturPerfESs, decode::Count);
        Line(LineFigure::CurrentDayErroredSeconds, AdslAturPerfCurr1DayESs, decode::Count);
        Line(LineFigure::PreviousDayErroredSeconds, AdslAturPerfPrev1DayESs, decode::Count);
        Channels(LineFigure::DownCorrectedBlocks, AdslAturChanCorrectedBlks, decode::Count,
                 Combine::Sum);
        Channels(LineFigure::DownUncorrectedBlocks, AdslAturChanUncorrectBlks, decode::Count,
                 Combine::Sum);
        Channels(LineFigure::UpCorrectedBlocks, AdslAtucChanCorrectedBlks, decode::Count,
                 Combine::Sum);
        Channels(LineFigure::UpUncorrectedBlocks, AdslAtucChanUncorrectBlks, decode::Count,
                 Combine::Sum);
    }

    void Xdsl2() {
        const std::string down = std::to_string(Xdsl2UnitXtur), up = std::to_string(Xdsl2UnitXtuc);
        Channels(LineFigure::DownRate, Xdsl2ChStatusActDataRate, decode::Rate, Combine::Max, down);
        Channels(LineFigure::UpRate, Xdsl2ChStatusActDataRate, decode::Rate, Combine::Max, up);
        Line(LineFigure::DownAttainableRate, Xdsl2LineStatusAttainableRateDs, decode::Rate);
        Line(LineFigure::UpAttainableRate, Xdsl2LineStatusAttainableRateUs, decode::Rate);
        // The whole direction's row, else the first band of it: agents that measure per band
        // often leave the whole direction "unavailable".
        for (int band : {Xdsl2BandDownstream, Xdsl2BandDs1}) {
            Line(LineFigure::DownMargin, Xdsl2LineBandStatusSnrMargin, decode::Xdsl2Margin,
                 std::to_string(band));
            Line(LineFigure::DownAttenuation, Xdsl2LineBandStatusLnAtten, decode::Xdsl2Attenuation,
                 std::to_string(band));
        }
        for (int band : {Xdsl2BandUpstream, Xdsl2BandUs1}) {
            Line(LineFigure::UpMargin, Xdsl2LineBandStatusSnrMargin, decode::Xdsl2Margin,
                 std::to_string(band));
            Line(LineFigure::UpAttenuation, Xdsl2LineBandStatusLnAtten, decode::Xdsl2Attenuation,
                 std::to_string(band));
        }
        Line(LineFigure::DownPower, Xdsl2LineStatusActAtpDs, decode::Xdsl2Power);
        Line(LineFigure::UpPower, Xdsl2LineStatusActAtpUs, decode::Xdsl2Power);
        Channels(LineFigure::DownDelay, Xdsl2ChStatusActDelay, decode::Delay, Combine::Max, down);
        Channels(LineFigure::UpDelay, Xdsl2ChStatusActDelay, decode::Delay, Combine::Max, up);
    }

    // The span's rate serves both directions: a G.SHDSL line is symmetric.
    void Shdsl() {
        for (LineFigure f : {LineFigure::DownRate, LineFigure::UpRate})
            Line(f, Hdsl2ShdslStatusActualLineRate, decode::Rate);
        for (LineFigure f : {LineFigure::DownAttainableRate, LineFigure::UpAttainableRate})
            Line(f, Hdsl2ShdslStatusMaxAttainableLineRate, decode::Rate);
        Line(LineFigure::DownMargin, Hdsl2ShdslEndpointCurrSnrMgn, decode::ShdslDecibel,
             ShdslModemEndpoint);
        Line(LineFigure::UpMargin, Hdsl2ShdslEndpointCurrSnrMgn, decode::ShdslDecibel,
             ShdslExchangeEndpoint);
        Line(LineFigure::DownAttenuation, Hdsl2ShdslEndpointCurrAtn, decode::ShdslDecibel,
             ShdslModemEndpoint);
        Line(LineFigure::UpAttenuation, Hdsl2ShdslEndpointCurrAtn, decode::ShdslDecibel,
             ShdslExchangeEndpoint);
        Line(LineFigure::ErroredSeconds, Hdsl2ShdslEndpointES, decode::Count, ShdslModemEndpoint);
        Line(LineFigure::CurrentDayErroredSeconds, Hdsl2ShdslEndpointCurr1DayES, decode::Count,
             ShdslModemEndpoint);
    }

    void add(LineFigure f, FigureSource source) { sources_[f].push_back(std::move(source)); }

    std::vector<FigurePlan> Plan() const {
        std::vector<FigurePlan> plan;
        for (const auto &[figure, sources] : sources_)
            plan.push_back({figure, sources});
        return plan;
    }

private:
    Index line_;
    std::vector<Index> channels_;
    std::map<LineFigure, std::vector<FigureSource>> sources_;
};

} // namespace

std::string MibColumn::At(std::int64_t index, const std::string &more) const {
    return std::string(entry) + "." + std::to_string(column) + "." + std::to_string(index) +
           (more.empty() ? std::string() : "." + more);
}

const char *LineFigureName(LineFigure figure) {
    static const char *const names[LineFigureCount] = {
        "DownRate",
        "UpRate",
        "DownAttainableRate",
        "UpAttainableRate",
        "DownMargin",
        "UpMargin",
        "DownAttenuation",
        "UpAttenuation",
        "DownPower",
        "UpPower",
        "DownDelay",
        "UpDelay",
        "LineCoding",
        "ChannelType",
        "LinkStatus",
        "LossOfFramingSeconds",
        "LossOfSignalSeconds",
        "LossOfPowerSeconds",
        "ErroredSeconds",
        "CurrentDayErroredSeconds",
        "PreviousDayErroredSeconds",
        "DownCorrectedBlocks",
        "DownUncorrectedBlocks",
        "UpCorrectedBlocks",
        "UpUncorrectedBlocks",
    };
    return names[std::size_t(figure)];
}

std::optional<std::int64_t> DecodeReply(const Decode &decode, const std::string &reply) {
    std::size_t i = reply.size() > 0 && reply[0] == '-' ? 1 : 0;
    if (i >= reply.size() || reply.size() - i > 12)
        return std::nullopt;
    std::int64_t v = 0;
    for (; i < reply.size(); ++i) {
        if (reply[i] < '0' || reply[i] > '9')
            return std::nullopt;
        v = v * 10 + (reply[i] - '0');
    }
    if (reply[0] == '-')
        v = -v;
    if (v < decode.min || v > decode.max)
        return std::nullopt;
    return v * decode.factor;
}

std::vector<FigurePlan> LinePlan(const Discovery &discovery) {
    std::vector<FigurePlan> plan;
    if (discovery.line) {
        Planner p(discovery);
        switch (discovery.lineKind) {
        case LineKind::Shdsl:
            p.Shdsl();
            p.Speed(LineFigure::DownRate);
            p.Speed(LineFigure::UpRate);
            break;
        case LineKind::Vdsl:
        case LineKind::Vdsl2:
            p.Xdsl2();
            p.Adsl();
            // An asymmetric line's interface speed is taken as its downstream rate.
            p.Speed(LineFigure::DownRate);
            break;
        default:
            p.Adsl();
            p.Xdsl2();
            p.Speed(LineFigure::DownRate);
            break;
        }
        plan = p.Plan();
    }
    if (const auto link = discovery.LinkInterface()) {
        const FigureSource status{{columnAt(DiscoveryOid::IfOperStatus, *link)},
                                  decode::OperStatus};
        const auto at = std::find_if(plan.begin(), plan.end(), [](const FigurePlan &f) {
            return f.figure > LineFigure::LinkStatus;
        });
        plan.insert(at, FigurePlan{LineFigure::LinkStatus, {status}});
    }
    return plan;
}

LineFigures ReadLine(const std::vector<FigurePlan> &plan, const LineGet &get) {
    std::map<std::string, std::optional<std::string>> asked;
    auto reply = [&](const std::string &oid) -> const std::optional<std::string> & {
        auto it = asked.find(oid);
        if (it == asked.end())
            it = asked.emplace(oid, get(oid)).first;
        return it->second;
    };
    LineFigures figures;
    figures.source.fill(-1);
    for (const FigurePlan &f : plan) {
        for (std::size_t s = 0; s < f.sources.size(); ++s) {
            const FigureSource &source = f.sources[s];
            std::optional<std::int64_t> value;
            for (const std::string &oid : source.oids) {
                const auto &text = reply(oid);
                const auto v = text ? DecodeReply(source.decode, *text) : std::nullopt;
                if (!v)
                    continue;
                if (!value)
                    value = v;
                else if (source.combine == Combine::Sum)
                    *value += *v;
                else
                    value = std::max(*value, *v);
            }
            if (value) {
                figures.values[std::size_t(f.figure)] = value;
                figures.source[std::size_t(f.figure)] = int(s);
                break;
            }
        }
    }
    return figures;
}

std::vector<FigurePlan> NarrowPlan(const std::vector<FigurePlan> &plan, const LineFigures &read) {
    if (std::none_of(read.values.begin(), read.values.end(),
                     [](const std::optional<std::int64_t> &v) { return v.has_value(); }))
        return plan;
    std::vector<FigurePlan> narrow;
    for (const FigurePlan &f : plan) {
        const int s = read.source[std::size_t(f.figure)];
        if (s >= 0 && std::size_t(s) < f.sources.size())
            narrow.push_back({f.figure, {f.sources[std::size_t(s)]}});
    }
    return narrow;
}

} // namespace vantrel::core
