#pragma once
#include <string>

#include "tools/camsim/CameraFleet.h"

namespace camsim {

// Commands typed to a running fleet, one per line:
//   list | mute N | unmute N | rename N NAME | move N IP | spread MS | help | quit
// Cameras are numbered from 1. Returns the answer to print; sets *quit for "quit".
std::string RunFleetCommand(CameraFleet& fleet, const std::string& line, bool* quit);

}  // namespace camsim
