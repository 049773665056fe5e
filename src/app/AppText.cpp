#include "app/AppText.h"

#include <QStringDecoder>

namespace tavu::app {

bool IsValidUtf8(std::string_view bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString decoded = decoder.decode(QByteArrayView(bytes.data(), bytes.size()));
    return !decoder.hasError();
}

QString FromCore(std::string_view text)
{
    const QByteArrayView bytes(text.data(), static_cast<qsizetype>(text.size()));
    if (IsValidUtf8(text))
        return QString::fromUtf8(bytes);
    return QString::fromLatin1(bytes);
}

QString DisplayText(std::string_view text)
{
    QString s = FromCore(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

std::string ToCore(const QString& text)
{
    return text.toStdString();
}

} // namespace tavu::app
