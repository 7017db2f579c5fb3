#pragma once
#include <QIcon>

namespace orvex {

// The application icon (resource 128), the one the desktop entry names.
QIcon AppIcon();

}  // namespace orvex
