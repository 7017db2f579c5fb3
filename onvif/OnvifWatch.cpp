#include "onvif/OnvifWatch.h"

#include <cctype>
#include <cstring>

#include "discovery/DiscoveryCodec.h"
#include "platform/TextUtil.h"

namespace orvex {

OnvifWatch::~OnvifWatch() {
    Stop();
}

DeviceRecord OnvifWatch::RecordOf(const OnvifCamera& camera) {
    DeviceRecord r{};  // every byte zero but what follows
    platform::PutFieldString(r.szIp, camera.ip);
    platform::PutFieldString(r.szName, camera.name);  // UTF-8, as a camera's name is read
    r.wPort = static_cast<std::uint16_t>(camera.port);
    std::string mac = camera.mac;
    for (char& c : mac) c = c == '-' ? ':' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!ParseMacText(mac, r.abyMac)) std::memset(r.abyMac, 0, sizeof(r.abyMac));  // no MacAddress scope
    r.nMode = kModeOnvif;
    r.bAlive = 1;
    return r;
}

bool OnvifWatch::Start(const std::string& adapterIp, const std::string& mask, Found found) {
    Stop();
    m_stop = 0;
    try {
        m_thread = std::thread([this, adapterIp, mask, found = std::move(found)] {
            while (m_stop == 0) {
                OnvifDiscovery::Options options;
                options.sources = {{adapterIp, mask, ""}};
                options.seconds = 2;
                OnvifDiscovery discovery(options);
                std::string error;
                discovery.Run(&m_stop, &error);
                if (m_stop != 0) break;
                for (const OnvifCamera& camera : discovery.Cameras()) found(RecordOf(camera));
            }
        });
    } catch (const std::system_error&) {
        return false;  // the system refused a thread: the list shows native cameras only
    }
    return true;
}

void OnvifWatch::Stop() {
    m_stop = 1;
    if (m_thread.joinable()) m_thread.join();
}

}  // namespace orvex
