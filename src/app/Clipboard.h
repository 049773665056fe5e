#pragma once

#include <QString>

namespace tavu::app {

// Places the text on the clipboard as plain text.
void CopyTextToClipboard(const QString& text);

} // namespace tavu::app
