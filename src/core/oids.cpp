#include "core/oids.h"

namespace vantrel::core::oid {

std::string IfCell(IfColumn column, const std::string &row) {
    return IfEntry + "." + std::to_string(int(column)) + "." + row;
}

std::string Scalar(const std::string &group, int object) {
    return group + "." + std::to_string(object) + ".0";
}

std::string AdslObject(const char *column) {
    return AdslLine + "." + column + "." + AdslLineRow;
}

} // namespace vantrel::core::oid
