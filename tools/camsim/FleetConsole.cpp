#include "tools/camsim/FleetConsole.h"

#include <sstream>

#include "discovery/DeviceRecord.h"
#include "platform/TextUtil.h"
#include "platform/UdpSocket.h"

namespace camsim {
namespace {

constexpr const char* kHelp =
    "commands: list | mute N | unmute N | rename N NAME | move N IP | spread MS | quit";

bool CameraNumber(CameraFleet& fleet, std::istringstream& words, std::size_t* index) {
    long number = 0;
    if (!(words >> number) || number < 1 || static_cast<std::size_t>(number) > fleet.CameraCount()) {
        return false;
    }
    *index = static_cast<std::size_t>(number - 1);
    return true;
}

}  // namespace

std::string RunFleetCommand(CameraFleet& fleet, const std::string& line, bool* quit) {
    std::istringstream words(line);
    std::string verb;
    if (!(words >> verb)) return "";
    std::size_t index = 0;
    if (verb == "quit" || verb == "exit") {
        *quit = true;
        return "bye";
    }
    if (verb == "help") return kHelp;
    if (verb == "list") {
        std::ostringstream out;
        for (std::size_t i = 0; i < fleet.CameraCount(); ++i) {
            const CameraConfig c = fleet.Camera(i);
            const orvex::DeviceRecord r = fleet.Record(i);
            out << (i + 1) << "\t" << c.ip << "\t" << c.port << "\t" << orvex::MacText(r) << "\t"
                << c.name << "\t" << c.version << (i + 1 < fleet.CameraCount() ? "\n" : "");
        }
        return out.str();
    }
    if (verb == "spread") {
        long ms = -1;
        if (!(words >> ms) || ms < 0 || ms > 60000) return "error: spread takes 0..60000 ms";
        fleet.SetReplySpread(static_cast<unsigned>(ms));
        return "ok";
    }
    if (verb != "mute" && verb != "unmute" && verb != "rename" && verb != "move") {
        return std::string("error: unknown command '") + verb + "'; " + kHelp;
    }
    if (!CameraNumber(fleet, words, &index)) return "error: no camera with that number";
    if (verb == "mute" || verb == "unmute") {
        fleet.SetMuted(index, verb == "mute");
        return "ok";
    }
    std::string rest;
    std::getline(words, rest);
    rest = platform::Trim(rest);
    if (verb == "rename") {
        if (rest.empty()) return "error: rename takes a name";
        fleet.SetName(index, rest);
        return "ok";
    }
    in_addr_t ignored = 0;
    if (!platform::ParseIpv4(rest, &ignored)) return "error: move takes an IPv4 address";
    fleet.SetAddress(index, rest);
    return "ok";
}

}  // namespace camsim
