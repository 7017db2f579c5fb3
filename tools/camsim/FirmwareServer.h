#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "tools/camsim/HttpServer.h"

namespace camsim {

// The firmware server: GET /firmware/<version>/cn on port 808 answers the JSON document
// naming the newest firmware; GET /files/<name>.bin on the file port serves that firmware.
// Thread-safe.
class FirmwareServer {
public:
    struct Settings {
        std::string ip = "127.0.0.80";
        int documentPort = 808;
        int filePort = 80;
        std::string latest = "1.7.15.9";
        bool fail = false;          // answers 500 with a text that is no document
        bool badDocument = false;   // answers a document the reader refuses
        bool sameVersion = false;   // names the version it was asked about
        bool unquotedNames = false; // writes member names without quotes
        std::string downloadServer; // empty: its own address
    };

    explicit FirmwareServer(const Settings& settings) : m_settings(settings) {}
    ~FirmwareServer();

    bool Start(std::string* error);
    void Stop();
    void Change(const Settings& settings);
    Settings Current();
    std::vector<std::string> Requests();
    // The document it answers for a camera at `version`.
    std::string Document(const std::string& version);

private:
    void HandleDocument(const HttpRequest& request, HttpConnection& connection);
    void HandleFile(const HttpRequest& request, HttpConnection& connection);

    std::mutex m_lock;
    Settings m_settings;
    std::vector<std::string> m_requests;
    HttpServer m_documents;
    HttpServer m_files;
};

}  // namespace camsim
