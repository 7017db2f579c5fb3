#include "tools/orvexctl/ScanCommand.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <thread>

#include "discovery/CameraExport.h"
#include "discovery/DiscoveryCodec.h"
#include "fleet/AdapterScan.h"
#include "fleet/AddressRange.h"
#include "fleet/CameraReport.h"
#include "fleet/OnvifBatch.h"
#include "onvif/OnvifDiscovery.h"
#include "platform/TextUtil.h"
#include "tools/orvexctl/ReportOutput.h"
#include "tools/orvexctl/StopSignals.h"

namespace orvexctl {
namespace {

void PrintEvent(const orvex::DiscoveryOutcome& outcome, std::size_t listed,
                const std::string& via) {
    switch (outcome.kind) {
        case orvex::DiscoveryOutcome::kCameraReply: {
            const orvex::DeviceRecord& r = outcome.record;
            std::printf("found %s %u %s %s %s%s\n", OneLine(platform::FieldString(r.szIp)).c_str(),
                        static_cast<unsigned>(r.wPort), orvex::MacText(r).c_str(),
                        orvex::ModelLetter(r.nMode),
                        OneLine(platform::FieldString(r.szName)).c_str(), via.c_str());
            break;
        }
        case orvex::DiscoveryOutcome::kSweep:
            std::printf("sweep %zu%s\n", listed, via.c_str());
            break;
        case orvex::DiscoveryOutcome::kSetReply:
            std::printf("set-reply 0x%X%s\n", static_cast<unsigned>(outcome.code), via.c_str());
            break;
        case orvex::DiscoveryOutcome::kSendFailed:
        case orvex::DiscoveryOutcome::kSearchFailed:
            std::printf("error %d%s\n", outcome.code, via.c_str());
            break;
        case orvex::DiscoveryOutcome::kNone:
            return;
    }
    std::fflush(stdout);
}

// The text format: the export lines, and with several sources where each camera answered.
std::string TextList(const std::vector<orvex::ScannedCamera>& cameras,
                     const std::vector<orvex::ScanSource>& sources) {
    std::vector<orvex::DeviceRecord> records;
    for (const auto& camera : cameras) records.push_back(camera.record);
    std::string text = orvex::FormatExportLines(records);
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        if (cameras[i].sharedMac) {
            text += "\r\n" + std::to_string(i + 1) + "\tMAC " + orvex::MacText(cameras[i].record) +
                    " is also shown by another camera in the list\r\n";
        }
    }
    if (sources.size() < 2 || cameras.empty()) return text;
    text += "\r\n";
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        const orvex::ScanSource& source = sources[cameras[i].source];
        text += std::to_string(i + 1) + "\t" + source.ip +
                (source.name.empty() ? "" : " (" + source.name + ")") + "\t" +
                (cameras[i].otherSubnet ? "other subnet" : "same subnet") + "\r\n";
    }
    return text;
}

// The ONVIF cameras, after the native list: one line each.
std::string OnvifText(const std::vector<orvex::OnvifCamera>& cameras,
                      const std::vector<orvex::ScanSource>& sources) {
    std::string text;
    for (const orvex::OnvifCamera& c : cameras) {
        text += "ONVIF\t" + c.ip + "\t" + std::to_string(c.port) + "\t" + OneLine(c.name) + "\t" +
                OneLine(c.hardware) + "\t" + c.endpoint +
                (sources.size() > 1 ? "\t" + sources[c.source].ip : "") +
                (c.xaddrIp.empty() ? "" : "\t(names " + c.xaddrIp + ")") + "\r\n";
    }
    return text;
}

struct Protocols {
    bool native = true;
    bool onvif = true;
};

}  // namespace

int RunScan(const Arguments& args) {
    std::vector<std::string> binds;
    bool all = false;
    long seconds = 5;
    bool events = false;
    Format format = Format::kText;
    ReportOutput output;
    Protocols protocols;
    orvex::OnvifDiscovery::Options onvif;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string error;
        if (TakeFormatOption(args, i, &format, &error) || output.TakeOption(args, i, &error)) {
            if (!error.empty()) return BadArguments(error);
        } else if (arg == "--bind" || arg == "--seconds") {
            if (i + 1 >= args.size()) return BadArguments(arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--bind") {
                if (!IsIpv4(value)) {
                    return BadArguments("--bind takes an IPv4 address in dotted form, got '" +
                                        value + "'");
                }
                binds.push_back(value);
            } else if (!ParseInteger(value, 1, 86400, &seconds)) {
                return BadArguments("--seconds takes a whole number from 1 to 86400, got '" +
                                    value + "'");
            }
        } else if (arg == "--protocol" || arg == "--host" || arg == "--probe-range" || arg == "--ttl") {
            if (i + 1 >= args.size()) return BadArguments(arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--protocol") {
                if (value != "native" && value != "onvif" && value != "all")
                    return BadArguments("--protocol takes native, onvif or all, got '" + value + "'");
                protocols = {value != "onvif", value != "native"};
            } else if (arg == "--host") {
                orvex::OnvifTarget checked;
                if (!orvex::OnvifTarget::Parse(value, &checked))
                    return BadArguments("--host takes an IPv4 address (and :PORT), got '" + value + "'");
                onvif.hosts.push_back(value);
            } else if (arg == "--probe-range") {
                const auto dash = value.find('-');
                if (dash == std::string::npos || !orvex::AddressRange::Parse(value.substr(0, dash), &onvif.rangeFirst) ||
                    !orvex::AddressRange::Parse(value.substr(dash + 1), &onvif.rangeLast) ||
                    onvif.rangeLast < onvif.rangeFirst || onvif.rangeLast - onvif.rangeFirst > 65535)
                    return BadArguments("--probe-range takes FIRST-LAST (at most 65536 addresses), got '" +
                                        value + "'");
            } else {
                long ttl = 1;
                if (!ParseInteger(value, 1, 255, &ttl)) return BadArguments("--ttl takes 1 to 255, got '" + value + "'");
                onvif.ttl = static_cast<int>(ttl);
            }
        } else if (arg == "--all") {
            all = true;
        } else if (arg == "--events") {
            events = true;
        } else {
            return BadArguments("unknown option '" + arg + "' for scan");
        }
    }
    if (binds.empty() && !all) {
        return BadArguments("scan needs --bind ADDR (a local address to search from) or --all");
    }
    if (!binds.empty() && all) return BadArguments("scan takes --bind or --all, not both");
    if (events && format == Format::kJson)
        return BadArguments("--events goes with text or CSV output");

    const std::vector<orvex::ScanSource> sources =
        all ? orvex::AdapterScan::AllAdapters() : orvex::AdapterScan::ForAddresses(binds);
    if (sources.empty()) {
        std::cerr << "orvexctl: no adapter has an IPv4 address to search from" << std::endl;
        return 1;
    }
    orvex::AdapterScan::Observer observer;
    if (events) {
        observer = [&sources](std::size_t source, const orvex::DiscoveryOutcome& outcome,
                              std::size_t listed) {
            PrintEvent(outcome, listed, sources.size() > 1 ? " via " + sources[source].ip : "");
        };
    }
    if ((!onvif.hosts.empty() || onvif.rangeFirst != 0) && !protocols.onvif)
        return BadArguments("--host and --probe-range probe for ONVIF cameras: not with --protocol native");
    // ONVIF discovery on a thread of its own for the same time as the native search.
    onvif.sources = sources;
    onvif.seconds = static_cast<double>(seconds);
    orvex::OnvifDiscovery discovery(onvif);
    bool onvifSent = true;
    std::string onvifError;
    std::thread onvifThread;
    if (protocols.onvif) {
        onvifThread = std::thread([&] { onvifSent = discovery.Run(&StopSignals::Flag(), &onvifError); });
    }
    orvex::AdapterScan scan(sources, observer);
    bool nativeFailed = false;
    if (protocols.native) {
        scan.Start();
        // Ctrl-C ends the search early: the cameras found so far are still reported.
        nativeFailed = scan.WaitAllFailed(static_cast<int>(seconds * 1000), &StopSignals::Flag());
        scan.Stop();
    }
    if (onvifThread.joinable()) onvifThread.join();
    std::vector<orvex::ScanFailure> failures = protocols.native ? scan.Failures() : std::vector<orvex::ScanFailure>{};
    for (const orvex::ScanFailure& failure : failures) {
        std::cerr << "orvexctl: " << orvex::AdapterScan::Describe(sources[failure.source], failure)
                  << std::endl;
    }
    // An adapter that cannot search is said once, whichever protocol found it out.
    for (const orvex::ScanFailure& failure : discovery.Failures()) {
        const bool said = std::any_of(failures.begin(), failures.end(), [&](const orvex::ScanFailure& f) {
            return f.source == failure.source;
        });
        if (!said)
            std::cerr << "orvexctl: ONVIF: " << orvex::AdapterScan::Describe(sources[failure.source], failure)
                      << std::endl;
    }
    if (protocols.onvif && !protocols.native && !onvifSent) std::cerr << "orvexctl: " << onvifError << std::endl;
    for (const auto& [why, count] : discovery.Dropped()) {
        std::cerr << "orvexctl: ONVIF: " << count << " message(s) dropped: " << why << std::endl;
    }
    if (!protocols.native) failures = discovery.Failures();

    const auto cameras = protocols.native ? scan.Cameras() : std::vector<orvex::ScannedCamera>{};
    const auto found = discovery.Cameras();
    std::string out;
    if (format == Format::kCsv) out = orvex::CameraReport::Csv(cameras, sources, found);
    if (format == Format::kJson) out = orvex::CameraReport::Json(cameras, sources, failures, found);
    if (format == Format::kText) out = TextList(cameras, sources) + OnvifText(found, sources);
    const bool written = output.Write(out);
    const bool failed = (!protocols.native || nativeFailed) && (!protocols.onvif || !onvifSent);
    return StopSignals::ExitStatus(failed || !written ? 1 : 0);
}

}  // namespace orvexctl
