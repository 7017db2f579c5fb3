#include "cgi/HttpRequest.h"

#include <cwchar>

#include "platform/LocalTime.h"

namespace orvex {
namespace {

std::string HostLine(const std::string& host, int port) {
    return "Host: " + host + ":" + std::to_string(port) + "\r\n";
}

}  // namespace

std::string HttpRequest::CgiGet(const std::string& path, const std::string& host, int port) {
    return "GET " + path + " HTTP/1.1\r\n" + HostLine(host, port) + "Connection:Close\r\n\r\n";
}

std::string HttpRequest::Download(int kind, const std::string& path, const std::string& host,
                                  int port) {
    switch (kind) {
        case 4:
        case 6:
            return CgiGet(path, host, port);
        case 5:
            return "GET " + path +
                   " HTTP/1.1\r\nAccept: */*\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.00; "
                   "Windows 98)\r\n" +
                   HostLine(host, port) + "Cache-Control: no-cache\r\n\r\n";
        case 7:
        case 8:
            return "GET " + path + " HTTP/1.1\r\n" + HostLine(host, port) +
                   "Accept: text/html, */*\r\nUser-Agent: Mozilla/3.0 (compatible; Indy "
                   "Library)\r\n\r\n";
        default:
            return "";
    }
}

std::string HttpRequest::UploadHeader(const std::string& path, const std::string& stamp,
                                      long long contentLength, const std::string& host, int port,
                                      const std::string& checksum) {
    return "POST " + path + " HTTP/1.0\r\nConnection: keep-alive\r\n" +
           "Content-Type: multipart/form-data; boundary=--------" + stamp + "\r\n" +
           "Content-Length: " + std::to_string(contentLength) + "\r\n" + HostLine(host, port) +
           "Content-Md5: " + checksum + "\r\n" +
           "Accept: image/gif, image/jpeg, image/pjpeg, image/pjpeg, "
           "application/x-shockwave-flash, */*\r\n"
           "Accept-Encoding: gzip,deflate\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n";
}

std::string HttpRequest::UploadPartHeader(const std::string& stamp, const std::string& fileName) {
    return "----------" + stamp + "\r\n" +
           "Content-Disposition: form-data; name=\"file\"; filename=\"" + fileName + "\"\r\n" +
           "Content-Type: application/x-zip-compressed\r\n" +
           "Content-Transfer-Encoding: binary\r\n\r\n";
}

std::string HttpRequest::UploadTrailer(const std::string& stamp) {
    return "\r\n----------" + stamp + "--\r\n";
}

std::wstring HttpRequest::BoundaryStamp() {
    const platform::LocalTime t = platform::LocalTime::Now();
    wchar_t stamp[64];
    std::swprintf(stamp, 64, L"%02d%02d%02d%02d%02d%02d%d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.milliseconds);
    return stamp;
}

}  // namespace orvex
