#include "tools/camsim/EventLog.h"
#include "tools/camsim/CameraWeb.h"
#include "tools/camsim/FetchFile.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <sstream>

#include "platform/Clock.h"
#include "platform/UdpSocket.h"

namespace camsim {
namespace {

const char* const kReplyHeader =
    "HTTP/1.1 200 OK\r\n"
    "Server: Orvex-Camsim/1.0 (virtual IP camera)\r\n"
    "Content-Type: text/plain\r\n"
    "Cache-Control: no-cache, no-store, must-revalidate\r\n"
    "Pragma: no-cache\r\n"
    "Connection: close\r\n";

std::string Var(const std::string& name, const std::string& value) {
    return "var " + name + "=\"" + value + "\";\r\n";
}

// The next version: the last number of the current one plus one.
std::string BumpVersion(const std::string& version) {
    const auto dot = version.rfind('.');
    const std::string head = dot == std::string::npos ? "" : version.substr(0, dot + 1);
    const long last = std::strtol(version.c_str() + (dot == std::string::npos ? 0 : dot + 1), nullptr, 10);
    return head + std::to_string(last + 1);
}

// The file of a multipart/form-data body, checked against the boundary of its header.
bool TakeMultipartFile(const HttpRequest& request, std::string* fileName, std::string* bytes) {
    const auto type = request.headers.find("content-type");
    if (type == request.headers.end()) return false;
    const auto at = type->second.find("boundary=");
    if (at == std::string::npos) return false;
    const std::string delimiter = "--" + type->second.substr(at + 9);
    const std::string& body = request.body;
    if (body.compare(0, delimiter.size() + 2, delimiter + "\r\n") != 0) return false;
    const auto headersEnd = body.find("\r\n\r\n");
    if (headersEnd == std::string::npos) return false;
    const std::string partHeaders = body.substr(0, headersEnd);
    const auto name = partHeaders.find("filename=\"");
    if (name == std::string::npos) return false;
    *fileName = partHeaders.substr(name + 10, partHeaders.find('"', name + 10) - name - 10);
    const std::string closing = "\r\n" + delimiter + "--\r\n";
    if (body.size() < headersEnd + 4 + closing.size() ||
        body.compare(body.size() - closing.size(), closing.size(), closing) != 0) {
        return false;
    }
    *bytes = body.substr(headersEnd + 4, body.size() - closing.size() - headersEnd - 4);
    return !bytes->empty();
}

// Each field `change` gives replaces the one in `into`.
void Merge(OnvifService::Answer::Network& into, const OnvifService::Answer::Network& change) {
    for (auto [to, from] : {std::pair{&into.ip, &change.ip}, std::pair{&into.mask, &change.mask},
                            std::pair{&into.gateway, &change.gateway}, std::pair{&into.dns1, &change.dns1},
                            std::pair{&into.dns2, &change.dns2}}) {
        if (*from) *to = *from;
    }
    if (change.netMode) into.netMode = change.netMode;
}

void Take(CameraConfig& camera, const OnvifService::Answer::Network& n) {
    for (auto [to, from] : {std::pair{&camera.ip, &n.ip}, std::pair{&camera.mask, &n.mask},
                            std::pair{&camera.gateway, &n.gateway}, std::pair{&camera.dns1, &n.dns1},
                            std::pair{&camera.dns2, &n.dns2}}) {
        if (*from) *to = **from;
    }
    if (n.netMode) camera.netMode = static_cast<std::uint8_t>(*n.netMode);
}

}  // namespace

CameraWeb::CameraWeb(const CameraConfig& config, ChangeListener listener)
    : m_config(config), m_listener(std::move(listener)) {}

CameraWeb::~CameraWeb() { Stop(); }

bool CameraWeb::Start(std::string* error) {
    CameraConfig config = Config();
    m_stopped.Reset();
    m_server.SetBodyRate(config.faults.uploadRate);
    if (!m_server.Start(config.ip, config.port,
                        [this](const HttpRequest& r, HttpConnection& c) { Handle(r, c); }, error)) {
        return false;
    }
    m_up = true;
    return true;
}

void CameraWeb::Stop() {
    m_stopped.Set();
    std::thread restart;
    {
        std::lock_guard<std::mutex> guard(m_restartLock);
        restart.swap(m_restartThread);
    }
    if (restart.joinable()) restart.join();
    m_server.Stop();
    m_up = false;
}

bool CameraWeb::MoveTo(const CameraConfig& now) {
    const std::string ip = now.ip;
    const std::uint16_t port = now.port;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_config.mask = now.mask;
        m_config.gateway = now.gateway;
        m_config.dns1 = now.dns1;
        m_config.dns2 = now.dns2;
        m_config.netMode = now.netMode;
        if (m_config.ip == ip && m_config.port == port) return true;
        m_config.ip = ip;
        m_config.port = port;
    }
    if (!m_up) return true;
    m_server.Stop();
    std::string error;
    const bool listening = m_server.Start(
        ip, port, [this](const HttpRequest& r, HttpConnection& c) { Handle(r, c); }, &error);
    m_up = listening;
    return listening;
}

CameraConfig CameraWeb::Config() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_config;
}

void CameraWeb::SetFaults(const WebFaults& faults) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_config.faults = faults;
    m_server.SetBodyRate(faults.uploadRate);
}

void CameraWeb::SetCredentials(const std::string& user, const std::string& password) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_config.user = user;
    m_config.password = password;
}

bool CameraWeb::Up() { return m_up; }

std::vector<CameraWeb::Upload> CameraWeb::Uploads() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_uploads;
}

std::vector<std::string> CameraWeb::Requests() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

std::vector<platform::DWORD> CameraWeb::RequestTimes() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requestTimes;
}

std::string CameraWeb::VersionOfFirmware(const std::string& bytes, const std::string& current) {
    if (bytes.compare(0, 8, "ORVEXFW ") == 0) {
        const auto end = bytes.find('\n');
        if (end != std::string::npos && end > 8 && end < 40) return bytes.substr(8, end - 8);
    }
    return BumpVersion(current);
}

bool CameraWeb::WaitClock(unsigned ms) {
    return !m_stopped.Wait(static_cast<platform::DWORD>(ms));
}

void CameraWeb::Handle(const HttpRequest& request, HttpConnection& connection) {
    WebFaults faults;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_requests.push_back(request.target);
        m_requestTimes.push_back(platform::Clock::TickCount());
        faults = m_config.faults;
        EventLog::Write("web " + m_config.ip + ":" + std::to_string(m_config.port) + " " + request.path);
    }
    if (faults.neverReply) {
        connection.WaitForClose(m_server.Stopping());
        return;
    }
    if (m_leaving) {  // it has taken a new address: nothing answers at the old one
        connection.Reset();
        return;
    }
    if (faults.slowReplyMs > 0 && !WaitClock(faults.slowReplyMs)) return;
    if (request.path == OnvifService::kPath && request.method == "POST" && Config().onvif.enabled) {
        AnswerOnvif(request, connection);
        return;
    }
    bool restart = false;
    bool webUi = false;
    std::string newVersion;
    const std::string body = Answer(request, &restart, &webUi, &newVersion);
    Reply(connection, body, faults);
    if (restart) BeginRestart(webUi, newVersion);
}

std::string CameraWeb::Answer(const HttpRequest& request, bool* restart, bool* webUi,
                              std::string* newVersion) {
    const auto query = request.QueryValues();
    auto value = [&](const char* key) {
        const auto it = query.find(key);
        return it == query.end() ? std::string() : it->second;
    };
    CameraConfig config = Config();
    const bool known = request.path == "/get_status.cgi" ||
                       request.path == "/set_factory_param.cgi" ||
                       request.path == "/upgrade_firmware.cgi" ||
                       request.path == "/upgrade_htmls.cgi" ||
                       request.path == "/auto_download_file.cgi";
    if (!known) return Var("result", "error: no such page");
    if (value("user") != config.user || value("pwd") != config.password) {
        return Var("result", "Auth Failed");
    }
    if (request.path == "/get_status.cgi") {
        return (config.faults.omitSysVer ? "" : Var("sys_ver", config.version)) +
               Var("app_version", config.appVersion) +
               Var("params_md5", config.paramsMd5) + Var("oem_id", config.oemId) +
               Var("deviceid", config.uid);
    }
    if (request.path == "/set_factory_param.cgi") {
        std::lock_guard<std::mutex> guard(m_lock);
        m_config.uid = value("deviceid");
        return Var("result", "ok");
    }
    if (request.path == "/auto_download_file.cgi") {
        std::string bytes;
        if (config.faults.refuseDownload ||
            !FetchFile(value("server"), std::atoi(value("port").c_str()), value("file"), &bytes) ||
            bytes.empty()) {
            return Var("result", "failed");
        }
        *newVersion = VersionOfFirmware(bytes, config.version);
        *restart = true;
        return Var("result", "ok");
    }
    // The two uploads.
    Upload upload;
    upload.cgi = request.path.substr(1);
    upload.rawHeader = request.rawHeader;
    if (request.method != "POST" || config.faults.refuseUpload ||
        !TakeMultipartFile(request, &upload.fileName, &upload.bytes)) {
        return Var("result", "failed");
    }
    *webUi = upload.cgi == "upgrade_htmls.cgi";
    *newVersion = VersionOfFirmware(upload.bytes, *webUi ? config.appVersion : config.version);
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_uploads.push_back(upload);
    }
    *restart = true;
    return Var("result", "ok");
}

void CameraWeb::Reply(HttpConnection& connection, const std::string& body,
                      const WebFaults& faults) {
    std::string header = kReplyHeader;
    if (!faults.noContentLength) {
        header += faults.lowercaseLength ? "Content-length: " : "Content-Length: ";
        header += std::to_string(body.size() + (faults.cutReply ? 100 : 0)) + "\r\n";
    }
    header += "\r\n";
    if (faults.resetMidBody) {
        connection.Send(header + body.substr(0, body.size() / 2));
        connection.Reset();
        return;
    }
    connection.Send(header + body);
}

void CameraWeb::AnswerOnvif(const HttpRequest& request, HttpConnection& connection) {
    const OnvifService::Answer a = m_onvif.Handle(request, Config());
    std::string head = "HTTP/1.1 " + std::to_string(a.status) + (a.status == 200 ? " OK" : " Error") +
                       "\r\nContent-Type: application/soap+xml; charset=utf-8\r\nContent-Length: " +
                       std::to_string(a.body.size()) + "\r\nConnection: close\r\n";
    for (const std::string& h : a.headers) head += h + "\r\n";
    std::string version;
    bool moves = false;
    bool changed = false;
    CameraConfig now;
    {
        // Taken before the reply leaves: the next request already sees the change.
        std::lock_guard<std::mutex> guard(m_lock);
        if (a.clockSet) m_config.onvif.clockOffset = a.clockOffset;
        if (!a.ntpServer.empty()) m_config.onvif.ntpServer = a.ntpServer;
        version = m_config.version;
        if (a.networkSet && m_config.onvif.rebootNeeded) {
            Merge(m_pendingNetwork, a.network);
        } else if (a.networkSet) {
            // All but a new address at once; that one once the reply has left.
            OnvifService::Answer::Network rest = a.network;
            if (rest.ip && *rest.ip != m_config.ip) {
                m_pendingNetwork.ip = rest.ip;
                moves = true;
            }
            rest.ip.reset();
            Take(m_config, rest);
            changed = true;
            now = m_config;
        }
    }
    if (moves) m_leaving = true;
    connection.Send(head + "\r\n" + a.body);
    if (changed && m_listener) m_listener(now, true);
    if (a.reboot) {
        BeginRestart(false, version);
    } else if (moves) {
        BeginRestart(false, version, true);
    }
}

void CameraWeb::BeginRestart(bool webUi, const std::string& newVersion, bool moveOnly) {
    if (m_restarting.exchange(true)) return;
    std::lock_guard<std::mutex> guard(m_restartLock);
    if (m_stopped.IsSet()) {
        m_restarting = false;
        return;
    }
    if (m_restartThread.joinable()) m_restartThread.join();  // finished: m_restarting was clear
    m_restartThread = std::thread([this, webUi, newVersion, moveOnly] {
        // Let the reply leave before the camera goes down.
        if (!moveOnly) platform::Clock::Sleep(20);
        m_server.Stop();
        m_up = false;
        CameraConfig now = Config();
        if (m_listener) m_listener(now, false);
        if (!moveOnly && (!WaitClock(now.faults.restartMs) || now.faults.neverComesBack)) {
            m_restarting = false;
            return;
        }
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (!moveOnly) {
                if (!m_config.faults.keepVersion) (webUi ? m_config.appVersion : m_config.version) = newVersion;
                if (!m_config.faults.newIp.empty()) m_config.ip = m_config.faults.newIp;
                if (m_config.faults.newPort != 0) {
                    m_config.port = static_cast<std::uint16_t>(m_config.faults.newPort);
                }
            }
            Take(m_config, m_pendingNetwork);
            m_pendingNetwork = {};
            now = m_config;
        }
        m_leaving = false;
        std::string error;
        if (m_server.Start(now.ip, now.port,
                           [this](const HttpRequest& r, HttpConnection& c) { Handle(r, c); },
                           &error)) {
            m_up = true;
            if (m_listener) m_listener(now, true);
        }
        m_restarting = false;
    });
}

}  // namespace camsim
