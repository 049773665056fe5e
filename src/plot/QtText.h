#pragma once
// Texts between the core (std::string, UTF-8 or 8-bit) and Qt.

#include <QString>
#include <string>
#include <string_view>

namespace tavu::plot {

// UTF-8 when the bytes are valid UTF-8, otherwise each byte as a Latin-1 character, so
// a model file written in an 8-bit code page still prints its characters.
QString FromBytes(std::string_view bytes);

// The text of a widget for the core.
std::string ToBytes(const QString& text);

} // namespace tavu::plot
