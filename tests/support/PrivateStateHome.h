#pragma once
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace orvextest {

// Points XDG_STATE_HOME (and XDG_RUNTIME_DIR, below it) at a fresh folder for the life of
// the object, so that a test's change journal and site locks never land in the folders of
// whoever runs the tests.
class PrivateStateHome {
public:
    PrivateStateHome() {
        char folder[] = "/tmp/orvex-state-XXXXXX";
        if (mkdtemp(folder)) {
            m_path = folder;
            setenv("XDG_STATE_HOME", folder, 1);
            setenv("XDG_RUNTIME_DIR", (m_path + "/run").c_str(), 1);
        }
    }
    ~PrivateStateHome() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    PrivateStateHome(const PrivateStateHome&) = delete;
    PrivateStateHome& operator=(const PrivateStateHome&) = delete;

private:
    std::string m_path;
};

}  // namespace orvextest
