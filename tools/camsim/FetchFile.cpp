#include "tools/camsim/FetchFile.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

#include "platform/UdpSocket.h"
#include "tools/camsim/HttpServer.h"

namespace camsim {

bool FetchFile(const std::string& host, int port, const std::string& path, std::string* body) {
    in_addr_t address = 0;
    if (!platform::ParseIpv4(host, &address) || port <= 0 || port > 65535) return false;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    timeval tv{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof(tv));
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_addr.s_addr = address;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof(peer)) == 0) {
        const std::string request = "GET " + std::string(path.empty() || path[0] != '/' ? "/" : "") +
                                    path + " HTTP/1.0\r\nHost: " + host + "\r\n\r\n";
        if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
            char buffer[65536];
            ssize_t n;
            while ((n = recv(fd, buffer, sizeof(buffer), 0)) > 0 &&
                   reply.size() < HttpServer::kMaxBody) {
                reply.append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
    close(fd);
    const auto end = reply.find("\r\n\r\n");
    if (reply.compare(0, 12, "HTTP/1.1 200") != 0 && reply.compare(0, 12, "HTTP/1.0 200") != 0) {
        return false;
    }
    if (end == std::string::npos) return false;
    *body = reply.substr(end + 4);
    return true;
}

}  // namespace camsim
