#include "tests/support/RealServers.h"

#include <arpa/inet.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#ifndef ORVEX_SOURCE_DIR
#error "ORVEX_SOURCE_DIR must name the source tree"
#endif

namespace orvextest {
namespace {

const char* const kCommands[] = {"get_status", "set_factory_param", "upgrade_firmware", "upgrade_htmls",
                                 "auto_download_file"};

bool Listening(const std::string& address, int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, address.c_str(), &peer.sin_addr);
    const bool up = connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof(peer)) == 0;
    close(fd);
    return up;
}

std::string Source(const std::string& name) {
    return ReadFile(std::string(ORVEX_SOURCE_DIR) + "/tests/tools/realservers/" + name);
}

}  // namespace

std::string WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

RealServers::RealServers(const std::string& password) : m_password(password) {
    char pattern[] = "/tmp/orvex-realservers-XXXXXX";
    m_dir = mkdtemp(pattern);
    chmod(m_dir.c_str(), 0755);  // nginx workers read their files as another user
}

RealServers::~RealServers() {
    for (const int pid : m_pids) kill(pid, SIGTERM);
    for (const int pid : m_pids) waitpid(pid, nullptr, 0);
    const std::string remove = "rm -rf '" + m_dir + "'";
    if (std::system(remove.c_str()) != 0) {
        // a left-over temporary folder is harmless
    }
}

std::string RealServers::CameraDir(const std::string& camera) const {
    return m_dir + (camera == kLighttpdCamera ? "/lighttpd-camera" : "/busybox-camera");
}

std::string RealServers::CameraState(const std::string& camera, const std::string& name) const {
    return ReadFile(CameraDir(camera) + "/state/" + name);
}

std::string RealServers::FirmwareFile(const std::string& version) const {
    std::string bytes = "ORVEXFW " + version + "\n";
    for (int i = 0; i < 300000; ++i) bytes.push_back(static_cast<char>((i * 7 + 3) & 0xFF));
    return bytes;
}

bool RealServers::Launch(const std::vector<std::string>& argv, const std::string& address, int port,
                         std::string* error) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    m_pids.push_back(pid);
    for (int i = 0; i < 500; ++i) {
        if (Listening(address, port)) return true;
        if (waitpid(pid, nullptr, WNOHANG) == pid) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    *error = argv[0] + " did not listen on " + address + ":" + std::to_string(port) + " (is it installed?)";
    return false;
}

bool RealServers::Start(std::string* error) {
    const std::string camera = Source("camera.cgi");
    for (const char* address : {kLighttpdCamera, kBusyboxCamera}) {
        const std::string dir = CameraDir(address);
        mkdir(dir.c_str(), 0755);
        mkdir((dir + "/state").c_str(), 0755);
        for (const char* command : kCommands) chmod(WriteFile(dir + "/" + command + ".cgi", camera).c_str(), 0755);
        WriteFile(dir + "/state/login", "admin\n" + m_password);
        WriteFile(dir + "/state/sys_ver", "1.7.15.4");
        WriteFile(dir + "/state/app_version", "1.7.15.1");
    }
    WriteFile(CameraDir(kBusyboxCamera) + "/httpd.conf", "*.cgi:/usr/bin/perl\n");
    WriteFile(m_dir + "/camera-lighttpd.conf",
              "server.modules = (\"mod_cgi\")\nserver.document-root = \"" + CameraDir(kLighttpdCamera) +
                  "\"\nserver.bind = \"" + kLighttpdCamera + "\"\nserver.port = 80\n"
                  "server.errorlog = \"" + m_dir + "/camera-lighttpd.log\"\n"
                  "cgi.assign = (\".cgi\" => \"/usr/bin/perl\")\nserver.max-request-size = 65536\n"
                  "server.stream-response-body = 2\n");

    // The firmware server: documents on 808, files on 80; one version known.
    const std::string fw = m_dir + "/firmware";
    for (const char* sub : {"", "/doc", "/doc/firmware", "/doc/firmware/1.7.15.4", "/files", "/files/files"}) {
        mkdir((fw + sub).c_str(), 0755);
    }
    WriteFile(fw + "/doc/firmware/1.7.15.4/cn",
              std::string("{\"name\":\"1.7.15.9\",\"download_server\":\"") + kFirmwareServer +
                  "\",\"download_file\":\"files/system-1.7.15.9.bin\"}");
    WriteFile(fw + "/files/files/system-1.7.15.9.bin", FirmwareFile("1.7.15.9"));
    WriteFile(m_dir + "/nginx.conf",
              "daemon off;\nworker_processes 1;\npid " + m_dir + "/nginx.pid;\nerror_log " + m_dir +
                  "/nginx.log;\nevents { worker_connections 64; }\nhttp {\n  access_log off;\n"
                  "  client_body_temp_path " + m_dir + ";\n  default_type application/json;\n"
                  "  server { listen " + kFirmwareServer + ":808; root " + fw + "/doc; }\n"
                  "  server { listen " + kFirmwareServer + ":80; root " + fw + "/files; }\n}\n");
    const std::string chunked = m_dir + "/chunked-firmware";
    mkdir(chunked.c_str(), 0755);
    WriteFile(chunked + "/firmware.cgi", Source("firmware.cgi"));
    WriteFile(m_dir + "/firmware-lighttpd.conf",
              "server.modules = (\"mod_cgi\", \"mod_rewrite\")\nserver.document-root = \"" + chunked +
                  "\"\nserver.bind = \"" + kChunkedFirmwareServer + "\"\nserver.port = 808\n"
                  "server.errorlog = \"" + m_dir + "/firmware-lighttpd.log\"\n"
                  "cgi.assign = (\".cgi\" => \"/usr/bin/perl\")\nserver.stream-response-body = 2\n"
                  "url.rewrite-once = (\"^/firmware/([^/]*)/cn$\" => \"/firmware.cgi?version=$1\")\n");

    return Launch({"lighttpd", "-D", "-f", m_dir + "/camera-lighttpd.conf"}, kLighttpdCamera, 80, error) &&
           Launch({"busybox", "httpd", "-f", "-p", std::string(kBusyboxCamera) + ":80", "-h", CameraDir(kBusyboxCamera),
                   "-c", CameraDir(kBusyboxCamera) + "/httpd.conf"},
                  kBusyboxCamera, 80, error) &&
           Launch({"nginx", "-c", m_dir + "/nginx.conf", "-e", m_dir + "/nginx.log"}, kFirmwareServer, 808, error) &&
           Launch({"lighttpd", "-D", "-f", m_dir + "/firmware-lighttpd.conf"}, kChunkedFirmwareServer, 808, error);
}

}  // namespace orvextest
