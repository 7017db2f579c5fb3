#include "tools/camsim/FirmwareServer.h"

namespace camsim {
namespace {

std::string Response(const char* status, const std::string& type, const std::string& body) {
    return std::string("HTTP/1.1 ") + status + "\r\nServer: Orvex-Camsim firmware server\r\n" +
           "Content-Type: " + type + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace

FirmwareServer::~FirmwareServer() { Stop(); }

bool FirmwareServer::Start(std::string* error) {
    const Settings s = Current();
    if (!m_documents.Start(s.ip, s.documentPort,
                           [this](const HttpRequest& r, HttpConnection& c) { HandleDocument(r, c); },
                           error)) {
        return false;
    }
    if (!m_files.Start(s.ip, s.filePort,
                       [this](const HttpRequest& r, HttpConnection& c) { HandleFile(r, c); }, error)) {
        m_documents.Stop();
        return false;
    }
    return true;
}

void FirmwareServer::Stop() {
    m_documents.Stop();
    m_files.Stop();
}

void FirmwareServer::Change(const Settings& settings) {
    std::lock_guard<std::mutex> guard(m_lock);
    const std::string ip = m_settings.ip;
    m_settings = settings;
    m_settings.ip = ip;  // the listening address stays
}

FirmwareServer::Settings FirmwareServer::Current() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_settings;
}

std::vector<std::string> FirmwareServer::Requests() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

std::string FirmwareServer::Document(const std::string& version) {
    const Settings s = Current();
    const std::string name = s.sameVersion ? version : s.latest;
    const std::string server = s.downloadServer.empty() ? s.ip : s.downloadServer;
    if (s.badDocument) return "{name: " + name + ", download_server: " + server + "}";
    const auto member = [&](const char* key) {
        return s.unquotedNames ? std::string(key) : "\"" + std::string(key) + "\"";
    };
    return "{" + member("name") + ":\"" + name + "\"," + member("download_server") + ":\"" +
           server + "\"," + member("download_file") + ":\"files/" + name + ".bin\"}";
}

void FirmwareServer::HandleDocument(const HttpRequest& request, HttpConnection& connection) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_requests.push_back(request.rawHeader);
    }
    const std::string prefix = "/firmware/";
    const auto end = request.path.rfind("/cn");
    if (Current().fail || request.path.compare(0, prefix.size(), prefix) != 0 ||
        end == std::string::npos || end + 3 != request.path.size() || end < prefix.size()) {
        connection.Send(Response("500 Internal Server Error", "text/plain", "server error"));
        return;
    }
    const std::string version = request.path.substr(prefix.size(), end - prefix.size());
    connection.Send(Response("200 OK", "application/json", Document(version)));
}

void FirmwareServer::HandleFile(const HttpRequest& request, HttpConnection& connection) {
    const std::string prefix = "/files/";
    const std::string suffix = ".bin";
    const std::string& p = request.path;
    if (p.compare(0, prefix.size(), prefix) != 0 || p.size() <= prefix.size() + suffix.size() ||
        p.compare(p.size() - suffix.size(), suffix.size(), suffix) != 0) {
        connection.Send(Response("404 Not Found", "text/plain", "no such file"));
        return;
    }
    const std::string name = p.substr(prefix.size(), p.size() - prefix.size() - suffix.size());
    std::string firmware = "ORVEXFW " + name + "\n";
    firmware.append(64 * 1024, '\x5A');
    connection.Send(Response("200 OK", "application/octet-stream", firmware));
}

}  // namespace camsim
