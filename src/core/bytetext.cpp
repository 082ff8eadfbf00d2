#include "core/bytetext.h"

#include <QStringDecoder>

namespace vantrel::core {

QString RouterText(const std::string &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

std::string UserBytes(const QString &text, const std::string &original) {
    if (!original.empty() && RouterText(original) == text)
        return original;
    return text.toStdString();
}

} // namespace vantrel::core
