#pragma once
#include <map>
#include <string>
#include <vector>

#include "fleet/BatchSet.h"
#include "fleet/OnvifSetCameras.h"

namespace orvex {

// Sets ONVIF cameras' network settings through their device services, wave by wave as the
// planner ordered them: the new DNS and gateway, then the interface (with the reboot the
// device asks for), then the camera's device service is read again where it is to be,
// until it names the same MAC with the settings it was sent (verified) or the verify time
// passes (not verified). A camera whose wave waits for one not verified is not started.
// Outcomes come back in the order of the jobs, in the form of a native set's.
class OnvifBatchSet {
public:
    // The cameras by MAC ("AA:BB:..."), as OnvifSetCameras read them.
    using Cameras = std::map<std::string, OnvifSetCamera>;

    static std::vector<SetOutcome> Run(const std::vector<SetJob>& jobs, const Cameras& cameras,
                                       const OnvifLogin& login, const SetOptions& options, int parallel,
                                       const BatchSet::Progress& progress);
    static SetOutcome RunOne(const SetJob& job, const OnvifSetCamera& camera, const OnvifLogin& login,
                             const SetOptions& options, const BatchSet::Progress& progress, std::size_t index);
};

}  // namespace orvex
