#pragma once
// Where a discovered DSL line keeps each of its figures, and how a reply becomes a typed value.
// A figure has sources in order of preference (the ADSL-LINE-MIB at the line's own index and the
// channel tables at the channels' indexes, the VDSL2-LINE-MIB, the HDSL2-SHDSL-LINE-MIB, and
// last the interface speed); the first source that answers gives it. A reply outside the range
// its object allows, or one of the MIB's "unknown" values, is not reported: an empty optional,
// never a 0.

#include "core/discovery.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::core {

// A column of a table indexed by ifIndex (and, for some, more arcs).
struct MibColumn {
    const char *entry;
    int column;
    // entry.column.index[.more]
    std::string At(std::int64_t index, const std::string &more = std::string()) const;
};

// The objects the line figures come from.
namespace lineoid {
// ADSL-LINE-MIB (RFC 2662)
constexpr const char *AdslLineEntry = "1.3.6.1.2.1.10.94.1.1.1.1";
constexpr const char *AdslAtucPhysEntry = "1.3.6.1.2.1.10.94.1.1.2.1";
constexpr const char *AdslAturPhysEntry = "1.3.6.1.2.1.10.94.1.1.3.1";
constexpr const char *AdslAtucChanEntry = "1.3.6.1.2.1.10.94.1.1.4.1";
constexpr const char *AdslAturChanEntry = "1.3.6.1.2.1.10.94.1.1.5.1";
constexpr const char *AdslAturPerfDataEntry = "1.3.6.1.2.1.10.94.1.1.7.1";
constexpr const char *AdslAtucChanPerfDataEntry = "1.3.6.1.2.1.10.94.1.1.10.1";
constexpr const char *AdslAturChanPerfDataEntry = "1.3.6.1.2.1.10.94.1.1.11.1";
constexpr MibColumn AdslLineCoding{AdslLineEntry, 1};
constexpr MibColumn AdslLineType{AdslLineEntry, 2};
constexpr MibColumn AdslAtucCurrSnrMgn{AdslAtucPhysEntry, 4};
constexpr MibColumn AdslAtucCurrAtn{AdslAtucPhysEntry, 5};
constexpr MibColumn AdslAtucCurrOutputPwr{AdslAtucPhysEntry, 7};
constexpr MibColumn AdslAtucCurrAttainableRate{AdslAtucPhysEntry, 8};
constexpr MibColumn AdslAturCurrSnrMgn{AdslAturPhysEntry, 4};
constexpr MibColumn AdslAturCurrAtn{AdslAturPhysEntry, 5};
constexpr MibColumn AdslAturCurrOutputPwr{AdslAturPhysEntry, 7};
constexpr MibColumn AdslAturCurrAttainableRate{AdslAturPhysEntry, 8};
constexpr MibColumn AdslAtucChanInterleaveDelay{AdslAtucChanEntry, 1};
constexpr MibColumn AdslAtucChanCurrTxRate{AdslAtucChanEntry, 2};
constexpr MibColumn AdslAturChanInterleaveDelay{AdslAturChanEntry, 1};
constexpr MibColumn AdslAturChanCurrTxRate{AdslAturChanEntry, 2};
constexpr MibColumn AdslAturPerfLofs{AdslAturPerfDataEntry, 1};
constexpr MibColumn AdslAturPerfLoss{AdslAturPerfDataEntry, 2};
constexpr MibColumn AdslAturPerfLprs{AdslAturPerfDataEntry, 3};
constexpr MibColumn AdslAturPerfESs{AdslAturPerfDataEntry, 4};
constexpr MibColumn AdslAturPerfCurr1DayESs{AdslAturPerfDataEntry, 16};
constexpr MibColumn AdslAturPerfPrev1DayESs{AdslAturPerfDataEntry, 21};
constexpr MibColumn AdslAtucChanCorrectedBlks{AdslAtucChanPerfDataEntry, 3};
constexpr MibColumn AdslAtucChanUncorrectBlks{AdslAtucChanPerfDataEntry, 4};
constexpr MibColumn AdslAturChanCorrectedBlks{AdslAturChanPerfDataEntry, 3};
constexpr MibColumn AdslAturChanUncorrectBlks{AdslAturChanPerfDataEntry, 4};

// VDSL2-LINE-MIB (RFC 5650). The band table is indexed by line and band, the channel status
// table by channel (or line) and the unit whose receiver the row describes.
constexpr const char *Xdsl2LineEntry = "1.3.6.1.2.1.10.251.1.1.1.1";
constexpr const char *Xdsl2LineBandEntry = "1.3.6.1.2.1.10.251.1.1.2.1";
constexpr const char *Xdsl2ChannelStatusEntry = "1.3.6.1.2.1.10.251.1.2.2.1";
constexpr MibColumn Xdsl2LineStatusAttainableRateDs{Xdsl2LineEntry, 20};
constexpr MibColumn Xdsl2LineStatusAttainableRateUs{Xdsl2LineEntry, 21};
constexpr MibColumn Xdsl2LineStatusActAtpDs{Xdsl2LineEntry, 24};
constexpr MibColumn Xdsl2LineStatusActAtpUs{Xdsl2LineEntry, 25};
constexpr MibColumn Xdsl2LineBandStatusLnAtten{Xdsl2LineBandEntry, 2};
constexpr MibColumn Xdsl2LineBandStatusSnrMargin{Xdsl2LineBandEntry, 4};
constexpr MibColumn Xdsl2ChStatusActDataRate{Xdsl2ChannelStatusEntry, 2};
constexpr MibColumn Xdsl2ChStatusActDelay{Xdsl2ChannelStatusEntry, 4};
constexpr int Xdsl2BandUpstream = 1; // the whole direction
constexpr int Xdsl2BandDownstream = 2;
constexpr int Xdsl2BandUs0 = 3;
constexpr int Xdsl2BandDs1 = 4;
constexpr int Xdsl2BandUs1 = 5;
constexpr int Xdsl2UnitXtuc = 1; // the exchange's receiver: upstream
constexpr int Xdsl2UnitXtur = 2; // the modem's receiver: downstream

// HDSL2-SHDSL-LINE-MIB (RFC 4319). Endpoints are indexed by line, unit, side and wire pair.
constexpr const char *Hdsl2ShdslSpanStatusEntry = "1.3.6.1.2.1.10.48.1.2.1";
constexpr const char *Hdsl2ShdslEndpointCurrEntry = "1.3.6.1.2.1.10.48.1.5.1";
constexpr MibColumn Hdsl2ShdslStatusMaxAttainableLineRate{Hdsl2ShdslSpanStatusEntry, 2};
constexpr MibColumn Hdsl2ShdslStatusActualLineRate{Hdsl2ShdslSpanStatusEntry, 3};
constexpr MibColumn Hdsl2ShdslEndpointCurrAtn{Hdsl2ShdslEndpointCurrEntry, 1};
constexpr MibColumn Hdsl2ShdslEndpointCurrSnrMgn{Hdsl2ShdslEndpointCurrEntry, 2};
constexpr MibColumn Hdsl2ShdslEndpointES{Hdsl2ShdslEndpointCurrEntry, 4};
constexpr MibColumn Hdsl2ShdslEndpointCurr1DayES{Hdsl2ShdslEndpointCurrEntry, 16};
// The modem's network side and the exchange's customer side, first wire pair.
constexpr const char *ShdslModemEndpoint = "2.1.1";
constexpr const char *ShdslExchangeEndpoint = "1.2.1";
// ifSpeed, ifHighSpeed and ifOperStatus: the columns of DiscoveryOid.
} // namespace lineoid

// The figures of a line. Units: rates in bit/s, margins and attenuation in tenths of a dB,
// power in tenths of a dBm, delays in milliseconds, the rest as counts or enumerations.
enum class LineFigure {
    DownRate,
    UpRate,
    DownAttainableRate,
    UpAttainableRate,
    DownMargin, // measured by the modem
    UpMargin,   // measured by the exchange
    DownAttenuation,
    UpAttenuation,
    DownPower, // sent by the exchange
    UpPower,   // sent by the modem
    DownDelay, // interleaving
    UpDelay,
    LineCoding,  // adslLineCoding: 1 other, 2 dmt, 3 cap, 4 qam
    ChannelType, // adslLineType: 1 noChannel, 2 fast, 3 interleaved, 4 fast or interleaved, 5 both
    LinkStatus,  // ifOperStatus of the line, else of the WAN
    LossOfFramingSeconds,
    LossOfSignalSeconds,
    LossOfPowerSeconds,
    ErroredSeconds,
    CurrentDayErroredSeconds,
    PreviousDayErroredSeconds,
    DownCorrectedBlocks,
    DownUncorrectedBlocks,
    UpCorrectedBlocks,
    UpUncorrectedBlocks,
};
constexpr std::size_t LineFigureCount = std::size_t(LineFigure::UpUncorrectedBlocks) + 1;

// The figure's name as a word ("DownRate"), for logs, exports and the Debug page.
const char *LineFigureName(LineFigure figure);

// How a reply becomes a value: a decimal number within [min, max], times factor. Anything else
// (an empty reply, text, a value out of range such as 0x7FFFFFFF) is not reported.
struct Decode {
    std::int64_t min;
    std::int64_t max;
    std::int64_t factor;
};
namespace decode {
constexpr Decode Rate{0, 4294967294LL, 1};              // Gauge32 bit/s; all ones is no rate
constexpr Decode IfSpeed{1, 4294967294LL, 1};           // 0: unknown; all ones: see ifHighSpeed
constexpr Decode IfHighSpeed{1, 4294967295LL, 1000000}; // Mbit/s
constexpr Decode AdslMargin{-640, 640, 1};
constexpr Decode AdslAttenuation{0, 630, 1};
constexpr Decode AdslPower{-310, 310, 1};
constexpr Decode Xdsl2Attenuation{0, 1270, 1}; // 0x7FFFFFFE unavailable, 0x7FFFFFFF out of range
constexpr Decode Xdsl2Margin{-640, 630, 1};
constexpr Decode Xdsl2Power{-310, 310, 1};
constexpr Decode ShdslDecibel{-127, 128, 10}; // whole dB
constexpr Decode Delay{0, 8176, 1};           // no DSL standard allows a longer interleaving delay
constexpr Decode Count{0, 4294967295LL, 1};
constexpr Decode LineCoding{1, 4, 1};
constexpr Decode LineType{1, 5, 1};
constexpr Decode OperStatus{1, 7, 1};
} // namespace decode

std::optional<std::int64_t> DecodeReply(const Decode &decode, const std::string &reply);

// One source of a figure: the objects (one per channel, or one) and how their replies combine.
struct FigureSource {
    enum class Combine { Max, Sum };
    std::vector<std::string> oids;
    Decode decode;
    Combine combine = Combine::Max;
};

struct FigurePlan {
    LineFigure figure;
    std::vector<FigureSource> sources; // in order of preference
};

// What to read for each figure of the discovered line. Figures no source can give are left out.
std::vector<FigurePlan> LinePlan(const Discovery &discovery);

struct LineFigures {
    std::array<std::optional<std::int64_t>, LineFigureCount> values;
    std::array<int, LineFigureCount> source{}; // which of the plan's sources gave it; -1: none
    std::optional<std::int64_t> Get(LineFigure figure) const { return values[std::size_t(figure)]; }
};

// One GET: the value text when the agent answered with a value, nothing otherwise (no answer,
// or an error answer such as noSuchName).
using LineGet = std::function<std::optional<std::string>(const std::string &oid)>;

// Reads the plan: source after source until one gives the figure, each object asked once.
LineFigures ReadLine(const std::vector<FigurePlan> &plan, const LineGet &get);

// The plan later refreshes need once a read has shown where this router keeps its figures:
// each figure from the source that gave it, figures that nothing gave left out. A read that
// gave nothing at all (the router did not answer) changes nothing. Plan afresh after discovery.
std::vector<FigurePlan> NarrowPlan(const std::vector<FigurePlan> &plan, const LineFigures &read);

} // namespace vantrel::core
