#pragma once
#include <string>

namespace platform {

// The directory of the running executable, without a trailing slash. Tests may point it
// elsewhere so that files written "beside the program" land in a scratch directory.
class ModulePath {
public:
    static std::string Directory();
    static void OverrideDirectory(const std::string& directory);  // empty: the real one
};

}  // namespace platform
