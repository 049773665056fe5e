#pragma once
// Texts between the core (std::string, UTF-8, CR LF between lines) and the widgets.

#include <QString>
#include <string>
#include <string_view>

namespace tavu::app {

// A core text as Qt text: UTF-8 when it is valid UTF-8, otherwise each byte one
// character (so a Latin-1 character such as the rotation sign 248 shows as itself).
QString FromCore(std::string_view text);

// A core text for display: also CR LF made a plain line break.
QString DisplayText(std::string_view text);

// A widget text for the core, in UTF-8.
std::string ToCore(const QString& text);

// True when the bytes are valid UTF-8.
bool IsValidUtf8(std::string_view bytes);

} // namespace tavu::app
