#pragma once
#include "upgrade/UpgradeRecords.h"

namespace orvex {

class CameraLookup;
class CUpgradeHandle;

// The tick's step that follows a camera with a dynamic address through its restart:
// when the camera list (or another lookup) shows the camera's MAC at another address or port, the owner's
// login takes them and the engine's login is replaced whole. Runs on the tick thread.
void RefreshCameraAddress(CameraLogin& ownerLogin, CUpgradeHandle& engine, CameraLookup* cameras);

}  // namespace orvex
