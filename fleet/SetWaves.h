#pragma once
#include <string>
#include <vector>

#include "fleet/SetPlanner.h"

namespace orvex {

class AddressPool;

// Orders the jobs of a set so that no two cameras ever share an address: a camera moving
// onto an address other cameras of the batch hold waits for them to leave it, and cameras
// that would take each other's addresses (a swap, a circle) go round through a free
// address of the target subnet, taken from the pool, as a step of their own.
class SetWaves {
public:
    // Fills each job's waitsFor, wave and steps (a temporary step stands just before the
    // camera's final one). False with a message when no free address is left for a circle.
    static bool Assign(std::vector<SetJob>& jobs, AddressPool& pool, std::string* error);

private:
    // Splits job `c` in two: a move to a free address, then from there to its new one.
    static bool Split(std::vector<SetJob>& jobs, std::size_t c, AddressPool& pool,
                      std::string* error);
};

}  // namespace orvex
