#pragma once

#include <QByteArray>
#include <QImage>

namespace vantrel::version {

// Decodes a JPEG file held in memory with libjpeg, into an RGB image. A null image for data
// that is not a JPEG libjpeg can read (empty, truncated header, corrupt, CMYK) or whose
// picture is larger than maxPixels; never a crash or an exit.
QImage DecodeJpeg(const QByteArray &data, qint64 maxPixels = 4096 * 4096);

} // namespace vantrel::version
