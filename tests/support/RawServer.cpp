#include "tests/support/RawServer.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace orvextest {

RawServer::RawServer(Script script) : m_script(std::move(script)) {
    m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_listen, reinterpret_cast<sockaddr*>(&local), sizeof(local));
    listen(m_listen, 16);
    socklen_t len = sizeof(local);
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&local), &len);
    m_port = ntohs(local.sin_port);
    m_acceptThread = std::thread([this] { Accept(); });
}

RawServer::~RawServer() {
    m_stop = true;
    m_acceptThread.join();
    close(m_listen);
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        threads.swap(m_threads);
    }
    for (auto& t : threads) t.join();
}

std::string RawServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void RawServer::Accept() {
    while (!m_stop) {
        pollfd pfd{m_listen, POLLIN, 0};
        if (poll(&pfd, 1, 20) <= 0) continue;
        const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard<std::mutex> guard(m_lock);
        m_threads.emplace_back([this, fd] {
            m_script(fd, *this);
            close(fd);
        });
    }
}

bool RawServer::SendText(int fd, const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::string RawServer::ReadHeader(int fd) {
    std::string data;
    char c;
    while (data.size() < 65536 && recv(fd, &c, 1, 0) == 1) {
        data.push_back(c);
        if (data.size() >= 4 && data.compare(data.size() - 4, 4, "\r\n\r\n") == 0) return data;
    }
    return "";
}

std::string RawServer::ReadRequest(int fd) {
    std::string data = ReadHeader(fd);
    const auto at = data.find("Content-Length: ");
    if (at == std::string::npos) return data;
    const long long length = std::atoll(data.c_str() + at + 16);
    char buffer[65536];
    long long got = 0;
    while (got < length) {
        const ssize_t n = recv(fd, buffer, sizeof(buffer), 0);
        if (n <= 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
        got += n;
    }
    return data;
}

std::string RawServer::Reply(const std::string& body, const std::string& extraHeaders,
                             bool withLength) {
    std::string reply =
        "HTTP/1.1 200 OK\r\nServer: test server with a header long enough for the client\r\n"
        "Content-Type: text/plain\r\nCache-Control: no-cache\r\nConnection: close\r\n" +
        extraHeaders;
    if (withLength) reply += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return reply + "\r\n" + body;
}

void RawServer::Record(const std::string& bytes) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_recorded.push_back(bytes);
}

std::vector<std::string> RawServer::Recorded() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_recorded;
}

bool WaitForRecord(RawServer& server) {
    for (int i = 0; i < 5000; ++i) {
        if (!server.Recorded().empty()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

}  // namespace orvextest
