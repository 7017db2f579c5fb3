#pragma once
#include <string>

namespace orvex {

// The requests the CGI client sends, byte for byte. Every HTTP/1.1 request names its
// host ("Host: host:port"), which servers require; the other lines are the cameras' own.
class HttpRequest {
public:
    // The camera command GET of a text exchange.
    static std::string CgiGet(const std::string& path, const std::string& host, int port);
    // The GET of a download of `kind` 4..8; empty for any other kind.
    static std::string Download(int kind, const std::string& path, const std::string& host,
                                int port);
    // The multipart upload: its request header, the form part's header and the trailer.
    static std::string UploadHeader(const std::string& path, const std::string& stamp,
                                    long long contentLength, const std::string& host, int port,
                                    const std::string& checksum);
    static std::string UploadPartHeader(const std::string& stamp, const std::string& fileName);
    static std::string UploadTrailer(const std::string& stamp);
    // The boundary's variable part: "%04d%02d%02d%02d%02d%02d%d" of the local time with
    // its milliseconds.
    static std::wstring BoundaryStamp();
};

}  // namespace orvex
