// bench/upload: SendCgiCmd_UpgradeFile posting a 16 MB file to a loopback server, side by
// side with curl -F posting the same file to the same server; then the text exchange
// (get_status.cgi) against lighttpd running the camera CGI program, side by side with curl.
// Prints both and the ratios.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "cgi/CgiOper.h"
#include "cgi/CgiSock.h"
#include "platform/NetworkIsolation.h"
#include "tests/support/RealServers.h"
#include "tools/camsim/HttpServer.h"

namespace {

constexpr std::size_t kFileSize = 16 * 1024 * 1024;
constexpr int kRounds = 7;
constexpr int kTextRounds = 200;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// curl's own measure of the transfer, in seconds; negative when curl failed. With a
// path, a multipart upload of that file; without, a GET.
double CurlSeconds(const std::string& url, const std::string& path) {
    const std::string command = "curl -sf -o /dev/null -H 'Expect:' -w '%{time_total}' " +
                                (path.empty() ? std::string() : "-F 'file=@" + path + "' ") + "'" + url + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char out[64] = {};
    const std::size_t n = std::fread(out, 1, sizeof(out) - 1, pipe);
    const int status = pclose(pipe);
    if (status != 0 || n == 0) return -1;
    return std::strtod(out, nullptr);
}

// get_status.cgi through the engine's text exchange and through curl, against lighttpd.
bool TextExchange() {
    orvextest::RealServers servers("pw");
    std::string error;
    if (!servers.Start(&error)) {
        std::fprintf(stderr, "upload: %s\n", error.c_str());
        return false;
    }
    orvextest::WriteFile(servers.Dir() + "/lighttpd-camera/state/no-pause", "");
    const std::string url = std::string("http://") + orvextest::RealServers::kLighttpdCamera +
                            "/get_status.cgi?user=admin&pwd=pw&loginuse=admin&loginpas=pw";
    std::vector<double> ours, curl;
    orvex::CCgiOper oper;
    for (int round = 0; round < kTextRounds; ++round) {
        std::vector<std::wstring> values;
        int result = 0, length = 0;
        const auto start = std::chrono::steady_clock::now();
        const bool ok = oper.GetCgiValues(url.c_str(), 5, {L"sys_ver", L"app_version"}, values, &result, &length);
        ours.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        const double curlSeconds = CurlSeconds(url, "");
        if (!ok || values.size() != 2 || curlSeconds <= 0) {
            std::fprintf(stderr, "upload: get_status.cgi failed (%d)\n", result);
            return false;
        }
        curl.push_back(curlSeconds);
    }
    std::printf("get_status.cgi from lighttpd (mod_cgi, chunked reply), median of %d calls\n", kTextRounds);
    std::printf("%-28s %8.2f ms\n", "GetCgiValues", Median(ours) * 1000);
    std::printf("%-28s %8.2f ms\n", "curl", Median(curl) * 1000);
    std::printf("ratio (ours / curl): %.2f\n", Median(ours) / Median(curl));
    return true;
}

}  // namespace

int main() {
    if (!platform::FirstRealAdapterUp().empty()) {
        std::fprintf(stderr, "upload: run me through tests/support/run-isolated.sh\n");
        return 1;
    }
    const std::string path = "/tmp/orvex-upload-bench-" + std::to_string(getpid()) + ".bin";
    {
        std::string bytes(kFileSize, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 2654435761u >> 24);
        std::ofstream(path, std::ios::binary) << bytes;
    }
    camsim::HttpServer server;
    std::size_t received = 0;
    std::string error;
    if (!server.Start("127.0.0.1", 18080,
                      [&](const camsim::HttpRequest& request, camsim::HttpConnection& connection) {
                          received = request.body.size();
                          const std::string body = "var result=\"ok\";\r\n";
                          connection.Send("HTTP/1.1 200 OK\r\nServer: upload benchmark sink (replies like a camera) with a long "
                                          "enough header line\r\nContent-Type: text/plain\r\nConnection: "
                                          "close\r\nContent-Length: " +
                                          std::to_string(body.size()) + "\r\n\r\n" + body);
                      },
                      &error)) {
        std::fprintf(stderr, "upload: %s\n", error.c_str());
        return 1;
    }
    const std::string url = "http://127.0.0.1:18080/upgrade_firmware.cgi?user=admin&pwd=";
    std::vector<double> ours, curl;
    for (int round = 0; round < kRounds; ++round) {
        orvex::CCgiSock sock;
        const auto start = std::chrono::steady_clock::now();
        const orvex::BOOL ok = sock.SendCgiCmd_UpgradeFile(url.c_str(), 5, std::wstring(path.begin(), path.end()), L"");
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!ok || sock.m_nRetVal != 0 || received < kFileSize) {
            std::fprintf(stderr, "upload: SendCgiCmd_UpgradeFile failed with %d\n", sock.m_nRetVal);
            return 1;
        }
        ours.push_back(seconds);
        const double curlSeconds = CurlSeconds(url, path);
        if (curlSeconds <= 0) {
            std::fprintf(stderr, "upload: curl failed (is it installed?)\n");
            return 1;
        }
        curl.push_back(curlSeconds);
    }
    server.Stop();
    unlink(path.c_str());
    const double mb = static_cast<double>(kFileSize) / (1024.0 * 1024.0);
    const double oursMs = Median(ours) * 1000;
    const double curlMs = Median(curl) * 1000;
    std::printf("16 MB multipart upload to a loopback server, median of %d rounds\n", kRounds);
    std::printf("%-28s %8.1f ms  %8.1f MB/s\n", "SendCgiCmd_UpgradeFile", oursMs, mb / Median(ours));
    std::printf("%-28s %8.1f ms  %8.1f MB/s\n", "curl -F", curlMs, mb / Median(curl));
    std::printf("ratio (ours / curl): %.2f\n", oursMs / curlMs);
    return TextExchange() ? 0 : 1;
}
