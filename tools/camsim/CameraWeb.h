#pragma once
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ManualResetEvent.h"
#include "tools/camsim/OnvifService.h"
#include "tools/camsim/CameraConfig.h"
#include "tools/camsim/HttpServer.h"

namespace camsim {

// The web side of one virtual camera: get_status.cgi, set_factory_param.cgi, the two
// multipart firmware uploads and auto_download_file.cgi, with the reply style of real
// cameras (var name="value"; lines behind a header of more than 164 bytes), its faults,
// and a restart after accepted firmware. Thread-safe.
class CameraWeb {
public:
    struct Upload {
        std::string cgi;  // "upgrade_firmware.cgi" or "upgrade_htmls.cgi"
        std::string fileName;
        std::string bytes;
        std::string rawHeader;
    };
    // Told whenever the camera goes down or comes back (with its address, port, version).
    using ChangeListener = std::function<void(const CameraConfig& now, bool up)>;

    CameraWeb(const CameraConfig& config, ChangeListener listener);
    ~CameraWeb();
    CameraWeb(const CameraWeb&) = delete;
    CameraWeb& operator=(const CameraWeb&) = delete;

    bool Start(std::string* error);
    void Stop();

    CameraConfig Config();
    // A set request gave the camera new network settings (those of `now`): its web side
    // listens at the new address and port from now on (a camera that is restarting comes
    // back there) and its device service shows them. False when it cannot listen.
    bool MoveTo(const CameraConfig& now);
    void SetFaults(const WebFaults& faults);
    void SetCredentials(const std::string& user, const std::string& password);
    bool Up();
    std::vector<Upload> Uploads();
    // Request body bytes this camera has received, uploads cut short included.
    long long BodyBytesReceived() const { return m_server.BodyBytesReceived(); }
    // Every request target (path and query) in arrival order, and when each arrived (the
    // clock's milliseconds, on the scaled clock).
    std::vector<std::string> Requests();
    std::vector<platform::DWORD> RequestTimes();
    // UsernameTokens with the password in plain text its device service has received.
    int PlaintextPasswordsSeen() const { return m_onvif.PlaintextPasswordsSeen(); }

    // "ORVEXFW <version>\n" at the start of a firmware file names its version.
    static std::string VersionOfFirmware(const std::string& bytes, const std::string& current);

private:
    void Handle(const HttpRequest& request, HttpConnection& connection);
    std::string Answer(const HttpRequest& request, bool* restart, bool* webUi,
                       std::string* newVersion);
    void Reply(HttpConnection& connection, const std::string& body, const WebFaults& faults);
    // Goes down and comes back (after its restart time, with its new version), taking the
    // network settings that wait for it; `moveOnly` comes back at once, only moved.
    void BeginRestart(bool webUi, const std::string& newVersion, bool moveOnly = false);
    // A SOAP call to its ONVIF device service, answered and its changes taken.
    void AnswerOnvif(const HttpRequest& request, HttpConnection& connection);
    bool WaitClock(unsigned ms);  // false when stopped meanwhile

    std::mutex m_lock;
    CameraConfig m_config;
    ChangeListener m_listener;
    OnvifService::Answer::Network m_pendingNetwork;  // taken at the next restart
    std::vector<Upload> m_uploads;
    std::vector<std::string> m_requests;
    std::vector<platform::DWORD> m_requestTimes;
    HttpServer m_server;
    OnvifService m_onvif;
    std::mutex m_restartLock;  // guards m_restartThread
    std::thread m_restartThread;
    std::atomic<bool> m_restarting{false};
    std::atomic<bool> m_up{false};
    std::atomic<bool> m_leaving{false};  // moving to a new address: the old one is gone
    platform::ManualResetEvent m_stopped;
};

}  // namespace camsim
