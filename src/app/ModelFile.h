#pragma once
// Reading a model file into editor text and writing editor text back, keeping every
// byte: the file's encoding (UTF-8, or one byte per character) and its line ends are
// remembered and used again when the text is saved.

#include "driver/Commands.h"

#include <QString>

namespace tavu::app {

struct ModelFileFormat
{
    LineEndStyle lineEnds;
    bool utf8 = true; // false: one byte per character (Latin-1)
};

enum class ReadStatus
{
    Read,
    Missing, // no such file
    Failed,  // exists but cannot be read; error says why
};

struct ModelFileContent
{
    QString text; // "\n" between lines, no final line end
    ModelFileFormat format;
};

ReadStatus ReadModelFile(const QString& path, ModelFileContent& content, QString& error);

// Writes through a temporary file that replaces the target only when every byte was
// written. format.utf8 becomes true when the text holds characters that one byte each
// cannot hold. Returns false with the system's reason in error.
bool WriteModelFile(const QString& path, const QString& text, ModelFileFormat& format,
                    QString& error);

} // namespace tavu::app
