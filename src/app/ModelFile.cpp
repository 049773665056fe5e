#include "app/ModelFile.h"

#include "app/AppText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <string>

namespace tavu::app {

ReadStatus ReadModelFile(const QString& path, ModelFileContent& content, QString& error)
{
    const QFileInfo info(path);
    if (!info.exists())
        return ReadStatus::Missing;
    QFile file(path);
    if (info.isDir()) {
        error = QStringLiteral("It is a folder, not a file.");
        return ReadStatus::Failed;
    }
    if (info.size() > MaxModelFileBytes) {
        error = QStringLiteral("The file is larger than %1 MB.").arg(MaxModelFileBytes >> 20);
        return ReadStatus::Failed;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return ReadStatus::Failed;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return ReadStatus::Failed;
    }
    const std::string_view raw(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    content.format.lineEnds = DetectLineEnds(raw);
    const std::string text = EditorTextOfFile(raw);
    const QByteArrayView view(text.data(), static_cast<qsizetype>(text.size()));
    content.format.utf8 = IsValidUtf8(text);
    if (content.format.utf8) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        content.text = decoder.decode(view);
    } else {
        content.text = QString::fromLatin1(view);
    }
    return ReadStatus::Read;
}

namespace {

bool FitsLatin1(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

} // namespace

bool WriteModelFile(const QString& path, const QString& text, ModelFileFormat& format,
                    QString& error)
{
    if (!format.utf8 && !FitsLatin1(text))
        format.utf8 = true;
    QByteArray encoded;
    if (format.utf8) {
        QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::ConvertInitialBom);
        encoded = encoder.encode(text);
    } else {
        encoded = text.toLatin1();
    }
    const std::string bytes = ModelFileText(
        std::string_view(encoded.constData(), static_cast<std::size_t>(encoded.size())),
        format.lineEnds);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    const qint64 size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size) {
        error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace tavu::app
