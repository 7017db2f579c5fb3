#pragma once
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvextest {

// A TCP server on 127.0.0.1 whose every connection runs a script written by the test,
// for replies no well-behaved server would give. Thread-safe.
class RawServer {
public:
    using Script = std::function<void(int fd, RawServer& server)>;

    explicit RawServer(Script script);
    ~RawServer();
    int Port() const { return m_port; }
    std::string Url(const std::string& path) const;
    bool Stopping() const { return m_stop; }

    // Helpers for scripts.
    static bool SendText(int fd, const std::string& text);
    // Reads the request header (through the empty line); empty on failure.
    static std::string ReadHeader(int fd);
    // Reads a whole request: header, then Content-Length body bytes.
    static std::string ReadRequest(int fd);
    // Sends "HTTP/1.1 200 OK" with a header block of the given extra lines and the body.
    static std::string Reply(const std::string& body, const std::string& extraHeaders = "",
                             bool withLength = true);

    void Record(const std::string& bytes);
    std::vector<std::string> Recorded();

private:
    void Accept();
    Script m_script;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_acceptThread;
    std::mutex m_lock;
    std::vector<std::thread> m_threads;
    std::vector<std::string> m_recorded;
};

// Waits up to 5 s for the server to record something.
bool WaitForRecord(RawServer& server);

}  // namespace orvextest
