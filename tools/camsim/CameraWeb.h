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
    // A set request moved the camera: its web side listens at the new address and port from
    // now on (a camera that is restarting comes back there). False when it cannot listen.
    bool MoveTo(const std::string& ip, std::uint16_t port);
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

    // "ORVEXFW <version>\n" at the start of a firmware file names its version.
    static std::string VersionOfFirmware(const std::string& bytes, const std::string& current);

private:
    void Handle(const HttpRequest& request, HttpConnection& connection);
    std::string Answer(const HttpRequest& request, bool* restart, bool* webUi,
                       std::string* newVersion);
    void Reply(HttpConnection& connection, const std::string& body, const WebFaults& faults);
    void BeginRestart(bool webUi, const std::string& newVersion);
    // A SOAP call to its ONVIF device service, answered and its changes taken.
    void AnswerOnvif(const HttpRequest& request, HttpConnection& connection);
    bool WaitClock(unsigned ms);  // false when stopped meanwhile

    std::mutex m_lock;
    CameraConfig m_config;
    ChangeListener m_listener;
    std::vector<Upload> m_uploads;
    std::vector<std::string> m_requests;
    std::vector<platform::DWORD> m_requestTimes;
    HttpServer m_server;
    OnvifService m_onvif;
    std::mutex m_restartLock;  // guards m_restartThread
    std::thread m_restartThread;
    std::atomic<bool> m_restarting{false};
    std::atomic<bool> m_up{false};
    platform::ManualResetEvent m_stopped;
};

// GET http://host:port/path with a plain HTTP/1.0 request; the body of a 200 reply.
bool FetchFile(const std::string& host, int port, const std::string& path, std::string* body);

}  // namespace camsim
