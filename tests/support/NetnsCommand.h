#pragma once
#include <string>
#include <vector>

namespace orvextest {

// Runs an `ip` command inside the test's private network namespace; true on success.
bool Ip(const std::string& arguments);

// A site behind an adapter of this computer: a veth pair whose end `adapter` gets
// `adapterCidr` and whose other end `adapter`c carries the cameras' `addresses` (/24 each).
// Both ends are this namespace's, so the cameras' end takes datagrams whose source is
// one of its own addresses, as a separate device would; multicast to the WS-Discovery
// group leaves by `adapter` for programs that do not choose an interface. False on failure.
bool AddCameraSite(const std::string& adapter, const std::string& adapterCidr,
                   const std::vector<std::string>& addresses);

}  // namespace orvextest
