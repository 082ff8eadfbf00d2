#pragma once
// Every object the program asks the router for, named once. The queries build their requests
// from these names; a page's statistics name only the object number under their group.

#include <string>

namespace vantrel::core::oid {

// MIB-II (RFC 1213) and its groups.
inline const std::string Mib2 = "1.3.6.1.2.1";
inline const std::string System = Mib2 + ".1";
inline const std::string Interfaces = Mib2 + ".2";
inline const std::string Ip = Mib2 + ".4";
inline const std::string Icmp = Mib2 + ".5";
inline const std::string Tcp = Mib2 + ".6";
inline const std::string Udp = Mib2 + ".7";
inline const std::string Snmp = Mib2 + ".11";

inline const std::string SysDescr = System + ".1.0";
inline const std::string SysUpTime = System + ".3.0";

inline const std::string IfNumber = Interfaces + ".1.0";
// ifTable's entry; a column of row r is IfEntry + "." + column + "." + r.
inline const std::string IfEntry = Interfaces + ".2.1";
enum class IfColumn {
    Index = 1,
    Descr = 2,
    Mtu = 4,
    OperStatus = 8,
    InOctets = 10,
    InErrors = 14,
    InUnknownProtos = 15,
    OutOctets = 16,
    OutErrors = 20,
    OutQLen = 21,
};
std::string IfCell(IfColumn column, const std::string &row);

inline const std::string IpAddrTable = Ip + ".20";
inline const std::string IpAdEntAddr = IpAddrTable + ".1.1";
inline const std::string IpAdEntIfIndex = IpAddrTable + ".1.2";
inline const std::string IpRouteTable = Ip + ".21";
inline const std::string IpNetToMediaTable = Ip + ".22";

inline const std::string UdpLocalAddress = Udp + ".5.1.1";
inline const std::string UdpLocalPort = Udp + ".5.1.2";

// A scalar of a group: its object number with the instance ".0".
std::string Scalar(const std::string &group, int object);

// ADSL-LINE-MIB (RFC 2662). The line's objects are read at the fixed row LineRow.
inline const std::string AdslLine = Mib2 + ".10.94.1.1";
inline const std::string AdslLineRow = "2";
std::string AdslObject(const char *column); // AdslLine + "." + column + "." + AdslLineRow
inline const char AdslLineCoding[] = "1.1.1";
inline const char AdslLineType[] = "1.1.2";
inline const char AdslAtucCurrSnrMgn[] = "2.1.4";
inline const char AdslAtucCurrAtn[] = "2.1.5";
inline const char AdslAtucCurrOutputPwr[] = "2.1.7";
inline const char AdslAturCurrSnrMgn[] = "3.1.4";
inline const char AdslAturCurrAtn[] = "3.1.5";
inline const char AdslAturCurrOutputPwr[] = "3.1.7";
inline const char AdslAtucChanInterleaveDelay[] = "4.1.1";
inline const char AdslAtucChanCurrTxRate[] = "4.1.2";
inline const char AdslAturChanCurrTxRate[] = "5.1.2";
inline const char AdslAturPerfLofs[] = "7.1.1";
inline const char AdslAturPerfLoss[] = "7.1.2";
inline const char AdslAturPerfLprs[] = "7.1.3";
inline const char AdslAturPerfESs[] = "7.1.4";
inline const char AdslAturPerfCurr1DayESs[] = "7.1.16";
inline const char AdslAturPerfPrev1DayESs[] = "7.1.21";
inline const char AdslAtucChanCorrectedBlks[] = "10.1.3";
inline const char AdslAtucChanUncorrectBlks[] = "10.1.4";
inline const char AdslAturChanCorrectedBlks[] = "11.1.3";
inline const char AdslAturChanUncorrectBlks[] = "11.1.4";

// The router maker's private objects.
inline const std::string Maker = "1.3.6.1.4.1.763.3";
inline const std::string MakerFirmware = Maker + ".1.2.0";
inline const std::string MakerFirmwareSuffix = Maker + ".1.3.0";
inline const std::string MakerBuild = Maker + ".1.4.0";
inline const std::string MakerAnnex = Maker + ".1.5.0";
inline const std::string MakerModulation = Maker + ".2.2.2";

} // namespace vantrel::core::oid
