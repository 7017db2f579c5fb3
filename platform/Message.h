#pragma once
#include "platform/Types.h"

namespace platform {

// One posted message: its id and its two parameters.
struct Message {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

}  // namespace platform
