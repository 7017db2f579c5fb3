#pragma once
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace camsim {

// One request as the server read it. `raw` holds the header bytes exactly as received.
struct HttpRequest {
    std::string method;
    std::string target;  // path and query as sent
    std::string path;
    std::string query;                           // text after '?', not decoded
    std::map<std::string, std::string> headers;  // names in lower case
    std::string rawHeader;
    std::string body;
    // The query's key=value pairs split at '&' (a later key wins).
    std::map<std::string, std::string> QueryValues() const;
};

// The connection a handler answers on.
class HttpConnection {
public:
    explicit HttpConnection(int fd) : m_fd(fd) {}
    bool Send(const std::string& bytes);
    // Ends the connection with a reset instead of an orderly close.
    void Reset();
    // Waits until the client closes or `stop` is set (a reply that never comes).
    void WaitForClose(const std::atomic<bool>& stop);
    int Descriptor() const { return m_fd; }

private:
    int m_fd;
};

// A small threaded HTTP/1.x server on one address and port: one thread per connection,
// one request per connection. Thread-safe.
class HttpServer {
public:
    using Handler = std::function<void(const HttpRequest&, HttpConnection&)>;

    HttpServer() = default;
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    bool Start(const std::string& ip, int port, Handler handler, std::string* error);
    // Refuses new connections, ends open ones and joins every thread.
    void Stop();
    bool Running() const { return m_listenFd.load() >= 0; }
    const std::atomic<bool>& Stopping() const { return m_stop; }
    // Reads request bodies at most this fast (bytes a second; 0: as fast as they come).
    void SetBodyRate(unsigned bytesPerSecond) { m_bodyRate = bytesPerSecond; }
    // Request body bytes received so far, complete bodies or not.
    long long BodyBytesReceived() const { return m_bodyBytes; }
    // Bodies larger than this are refused (the connection is closed).
    static constexpr std::size_t kMaxBody = 64 * 1024 * 1024;

private:
    void AcceptLoop();
    void Serve(int fd);
    // Reads until `want` body bytes are in `data`; false on an early end.
    bool ReadBody(int fd, std::string& data, std::size_t want);

    std::mutex m_lifeLock;  // Start and Stop may come from different threads (a restart)
    Handler m_handler;
    std::atomic<int> m_listenFd{-1};
    int m_wakeFd = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<unsigned> m_bodyRate{0};
    std::atomic<long long> m_bodyBytes{0};
    std::thread m_acceptThread;
    std::mutex m_lock;
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Worker> m_connections;
    std::vector<int> m_openFds;
};

}  // namespace camsim
