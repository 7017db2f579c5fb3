#pragma once
#include <string>
#include <vector>

namespace orvextest {

// Real HTTP servers from Debian, started inside the test's private network namespace:
// two cameras' web sides (lighttpd with mod_cgi streaming its replies, so they arrive
// chunked, at 127.0.0.21; busybox httpd, replies without a length up to the close, at
// 127.0.0.22), both running the camera CGI program, and the firmware server (nginx at
// 127.0.0.80: documents on port 808, firmware files on port 80), plus lighttpd serving
// the document from a CGI program, chunked, at 127.0.0.81:808.
class RealServers {
public:
    static constexpr const char* kLighttpdCamera = "127.0.0.21";
    static constexpr const char* kBusyboxCamera = "127.0.0.22";
    static constexpr const char* kFirmwareServer = "127.0.0.80";
    static constexpr const char* kChunkedFirmwareServer = "127.0.0.81";

    // Both cameras start at sys_ver 1.7.15.4 with the login admin / `password`.
    explicit RealServers(const std::string& password);
    ~RealServers();
    RealServers(const RealServers&) = delete;
    RealServers& operator=(const RealServers&) = delete;

    // Starts every server; false with the reason when one does not come up.
    bool Start(std::string* error);
    // A camera's state file (sys_ver, app_version, uid, uploaded-sys_ver, downloaded,
    // last-password ...), read back whole.
    std::string CameraState(const std::string& camera, const std::string& name) const;
    // The firmware file the server offers for `version` ("ORVEXFW <version>" and bytes).
    std::string FirmwareFile(const std::string& version) const;
    const std::string& Dir() const { return m_dir; }

private:
    bool Launch(const std::vector<std::string>& argv, const std::string& address, int port, std::string* error);
    std::string CameraDir(const std::string& camera) const;

    std::string m_dir;
    std::string m_password;
    std::vector<int> m_pids;
};

// Writes a file with these bytes; returns its path.
std::string WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

}  // namespace orvextest
