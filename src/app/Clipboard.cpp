#include "app/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace tavu::app {

void CopyTextToClipboard(const QString& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text, QClipboard::Clipboard);
}

} // namespace tavu::app
