#pragma once

#include <QIcon>

namespace tavu::app {

// The program's icon: a small frame on two supports, drawn at 16 and 32 pixels.
QIcon AppIcon();

} // namespace tavu::app
