#include "tools/orvexctl/ScanCommand.h"

#include <cstdio>
#include <iostream>

#include "discovery/CameraExport.h"
#include "discovery/DiscoveryCodec.h"
#include "fleet/AdapterScan.h"
#include "fleet/CameraReport.h"
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

}  // namespace

int RunScan(const Arguments& args) {
    std::vector<std::string> binds;
    bool all = false;
    long seconds = 5;
    bool events = false;
    Format format = Format::kText;
    ReportOutput output;
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
    orvex::AdapterScan scan(sources, observer);
    scan.Start();
    // Ctrl-C ends the search early: the cameras found so far are still reported.
    const bool allFailed =
        scan.WaitAllFailed(static_cast<int>(seconds * 1000), &StopSignals::Flag());
    scan.Stop();
    for (const orvex::ScanFailure& failure : scan.Failures()) {
        std::cerr << "orvexctl: " << orvex::AdapterScan::Describe(sources[failure.source], failure)
                  << std::endl;
    }

    const auto cameras = scan.Cameras();
    std::string out;
    if (format == Format::kCsv) out = orvex::CameraReport::Csv(cameras, sources);
    if (format == Format::kJson) out = orvex::CameraReport::Json(cameras, sources, scan.Failures());
    if (format == Format::kText) out = TextList(cameras, sources);
    const bool written = output.Write(out);
    return StopSignals::ExitStatus(allFailed || !written ? 1 : 0);
}

}  // namespace orvexctl
