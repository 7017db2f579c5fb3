#include "tools/camsim/HttpServer.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/UdpSocket.h"

namespace camsim {
namespace {

constexpr std::size_t kMaxHeader = 64 * 1024;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string TrimBlanks(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return "";
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// A query value as CGI programs read it: %XX is the byte, '+' a space.
std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out.push_back(' ');
        } else if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
                   HexDigit(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace

std::map<std::string, std::string> HttpRequest::QueryValues() const {
    std::map<std::string, std::string> values;
    std::size_t i = 0;
    while (i <= query.size()) {
        const std::size_t amp = query.find('&', i);
        const std::string pair =
            query.substr(i, amp == std::string::npos ? std::string::npos : amp - i);
        const auto eq = pair.find('=');
        if (!pair.empty()) {
            values[Unescape(pair.substr(0, eq))] =
                eq == std::string::npos ? "" : Unescape(pair.substr(eq + 1));
        }
        if (amp == std::string::npos) break;
        i = amp + 1;
    }
    return values;
}

bool HttpConnection::Send(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

void HttpConnection::Reset() {
    linger hard{1, 0};
    setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof(hard));
    shutdown(m_fd, SHUT_RD);
}

void HttpConnection::WaitForClose(const std::atomic<bool>& stop) {
    char byte;
    while (!stop) {
        pollfd pfd{m_fd, POLLIN, 0};
        if (poll(&pfd, 1, 50) > 0 && recv(m_fd, &byte, 1, MSG_DONTWAIT) <= 0) return;
    }
}

HttpServer::~HttpServer() {
    Stop();
}

bool HttpServer::Start(const std::string& ip, int port, Handler handler, std::string* error) {
    std::lock_guard<std::mutex> life(m_lifeLock);
    in_addr_t address = 0;
    if (!platform::ParseIpv4(ip, &address)) {
        *error = "not an IPv4 address: " + ip;
        return false;
    }
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = address;
    local.sin_port = htons(static_cast<std::uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 || listen(fd, 64) != 0) {
        *error =
            "cannot listen on " + ip + ":" + std::to_string(port) + ": " + std::strerror(errno);
        close(fd);
        return false;
    }
    m_handler = std::move(handler);
    m_stop = false;
    m_listenFd = fd;
    m_wakeFd = eventfd(0, EFD_CLOEXEC);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
    return true;
}

void HttpServer::Stop() {
    std::lock_guard<std::mutex> life(m_lifeLock);
    if (m_listenFd < 0) return;
    m_stop = true;
    const std::uint64_t one = 1;
    if (write(m_wakeFd, &one, sizeof(one)) < 0) {
        // the accept loop also polls with a time-out
    }
    m_acceptThread.join();
    close(m_listenFd);  // from here on, connections are refused
    close(m_wakeFd);
    m_listenFd = -1;
    m_wakeFd = -1;
    std::vector<Worker> workers;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (int fd : m_openFds) shutdown(fd, SHUT_RDWR);
        workers.swap(m_connections);
    }
    for (Worker& w : workers) w.thread.join();
}

void HttpServer::AcceptLoop() {
    while (!m_stop) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        if (poll(fds, 2, 200) <= 0 || !(fds[0].revents & POLLIN)) continue;
        const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard<std::mutex> guard(m_lock);
        // Join the connections that have finished, so a long run does not pile them up.
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            if (*it->done) {
                it->thread.join();
                it = m_connections.erase(it);
            } else {
                ++it;
            }
        }
        m_openFds.push_back(fd);
        auto done = std::make_shared<std::atomic<bool>>(false);
        m_connections.push_back(Worker{std::thread([this, fd, done] {
                                           Serve(fd);
                                           *done = true;
                                       }),
                                       done});
    }
}

bool HttpServer::ReadBody(int fd, std::string& data, std::size_t want) {
    if (m_bodyRate != 0) {
        // A small window, so that the sender waits on the camera, not on its own buffers.
        const int small = 64 * 1024;
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof(small));
    }
    m_bodyBytes += static_cast<long long>(std::min(data.size(), want));
    data.reserve(want);
    std::vector<char> buffer(256 * 1024);
    const auto start = std::chrono::steady_clock::now();
    while (data.size() < want && !m_stop) {
        std::size_t chunk = buffer.size();
        if (const unsigned rate = m_bodyRate) {
            // No faster than the rate: the bytes so far are due no earlier than now.
            std::this_thread::sleep_until(
                start +
                std::chrono::microseconds(static_cast<long long>(data.size()) * 1000000 / rate));
            chunk = std::min<std::size_t>(chunk, rate / 8 + 1);
        }
        const ssize_t n = recv(fd, buffer.data(), std::min(chunk, want - data.size()), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.append(buffer.data(), static_cast<std::size_t>(n));
        m_bodyBytes += n;
    }
    return data.size() >= want;
}

void HttpServer::Serve(int fd) {
    std::string data;
    HttpRequest request;
    std::size_t headerEnd = std::string::npos;
    char buffer[4096];
    while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos && data.size() < kMaxHeader) {
        const ssize_t n = recv(fd, buffer, sizeof(buffer), 0);
        if (n <= 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    bool complete = headerEnd != std::string::npos;
    if (complete) {
        request.rawHeader = data.substr(0, headerEnd + 4);
        const std::string firstLine = data.substr(0, data.find("\r\n"));
        const auto sp1 = firstLine.find(' ');
        const auto sp2 = firstLine.find(' ', sp1 + 1);
        request.method = firstLine.substr(0, sp1);
        request.target = firstLine.substr(sp1 + 1, sp2 - sp1 - 1);
        const auto q = request.target.find('?');
        request.path = request.target.substr(0, q);
        request.query = q == std::string::npos ? "" : request.target.substr(q + 1);
        std::size_t at = data.find("\r\n") + 2;
        while (at < headerEnd) {
            const auto end = data.find("\r\n", at);
            const std::string line = data.substr(at, end - at);
            const auto colon = line.find(':');
            if (colon != std::string::npos) {
                request.headers[Lower(TrimBlanks(line.substr(0, colon)))] =
                    TrimBlanks(line.substr(colon + 1));
            }
            at = end + 2;
        }
        const auto length = request.headers.find("content-length");
        const std::size_t bodyLen = length == request.headers.end()
                                        ? 0
                                        : std::strtoull(length->second.c_str(), nullptr, 10);
        data.erase(0, headerEnd + 4);
        complete = bodyLen <= kMaxBody && ReadBody(fd, data, bodyLen);
        request.body = data.substr(0, bodyLen);
    }
    if (complete) {
        HttpConnection connection(fd);
        m_handler(request, connection);
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_openFds.erase(std::remove(m_openFds.begin(), m_openFds.end(), fd), m_openFds.end());
    close(fd);
}

}  // namespace camsim
