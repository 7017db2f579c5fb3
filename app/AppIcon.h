#pragma once
#include <QIcon>

namespace orvex {

// The application icon (resource 128): a camera drawn in a few shapes.
QIcon AppIcon();

}  // namespace orvex
