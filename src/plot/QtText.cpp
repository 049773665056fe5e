#include "plot/QtText.h"

#include <QStringDecoder>

namespace tavu::plot {

QString FromBytes(std::string_view bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const auto data = QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString text = utf8(data);
    if (utf8.hasError())
        return QString::fromLatin1(data);
    return text;
}

std::string ToBytes(const QString& text)
{
    return text.toStdString();
}

} // namespace tavu::plot
