#include "onvif/HttpExchange.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "cgi/HttpReplyReader.h"
#include "cgi/TcpStream.h"

namespace orvex {

HttpExchange::Reply HttpExchange::Send(const std::string& host, int port, const std::string& method,
                                       const std::string& path, const std::vector<std::string>& headers,
                                       const std::string& body, int timeoutSeconds) {
    Reply reply;
    TcpStream stream;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    if (!TcpStream::Resolve(host.c_str(), &to.sin_addr)) {
        reply.code = 9;
        return reply;
    }
    if (!stream.Open()) {
        reply.code = 5;
        return reply;
    }
    stream.SetTimeouts(timeoutSeconds);
    if (connect(stream.Fd(), reinterpret_cast<const sockaddr*>(&to), sizeof(to)) != 0) {
        reply.code = 7;
        return reply;
    }
    std::string request = method + " " + path + " HTTP/1.1\r\nHost: " + host +
                          (port == 80 ? "" : ":" + std::to_string(port)) + "\r\n";
    for (const std::string& header : headers) request += header + "\r\n";
    request += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    if (!stream.SendAll(request.data(), request.size())) {
        reply.code = 11;
        return reply;
    }
    const std::atomic<std::uint8_t> never{0};
    HttpReplyReader reader(stream.Fd(), never);
    const int outcome = reader.Read(timeoutSeconds, false, [&](const char* data, std::size_t size) {
        if (reply.body.size() + size > kMaxBody) return false;
        reply.body.append(data, size);
        return true;
    });
    reply.code = outcome == HttpReplyReader::kSinkRefused ? 14 : outcome;
    reply.status = reader.Head().status;
    reply.head = reader.HeadText();
    return reply;
}

}  // namespace orvex
