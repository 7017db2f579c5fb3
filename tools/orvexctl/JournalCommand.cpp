#include "tools/orvexctl/JournalCommand.h"

#include <iostream>

#include "fleet/CameraReport.h"
#include "fleet/ChangeJournal.h"
#include "fleet/JsonText.h"
#include "fleet/SetPlanner.h"
#include "tools/orvexctl/ReportOutput.h"

namespace orvexctl {
namespace {

std::string Field(const Json::Value& entry, const char* key) {
    const Json::Value& v = entry[key];
    return v.isString() ? v.asString() : v.isNull() ? "" : v.toStyledString();
}

// "ip: a -> b; name: x -> y", or the firmware versions of an upgrade.
std::string What(const Json::Value& entry) {
    std::string text;
    const Json::Value& changes = entry["changes"];
    if (changes.isObject()) {
        for (const std::string& key : changes.getMemberNames()) {
            text += (text.empty() ? "" : "; ") + key + ": " + Field(changes[key], "old") + " -> " +
                    Field(changes[key], "new");
        }
    }
    const Json::Value& firmware = entry["firmware"];
    if (firmware.isObject()) {
        text = "firmware: " + Field(firmware, "before") + " -> " + Field(firmware, "after");
    }
    return text;
}

}  // namespace

int RunJournal(const Arguments& args) {
    Format format = Format::kText;
    ReportOutput output;
    std::string mac;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string error;
        if (TakeFormatOption(args, i, &format, &error) || output.TakeOption(args, i, &error)) {
            if (!error.empty()) return BadArguments(error);
        } else if (args[i] == "--mac" && i + 1 < args.size()) {
            mac = orvex::SetPlanner::NormalMac(args[++i]);
            if (mac.empty())
                return BadArguments("--mac takes a MAC address, got '" + args[i] + "'");
        } else {
            return BadArguments("unknown option '" + args[i] + "' for journal");
        }
    }
    const std::string path = orvex::ChangeJournal::DefaultPath();
    std::vector<Json::Value> entries;
    std::size_t skipped = 0;
    std::string error;
    if (!orvex::ChangeJournal::ReadAll(path, &entries, &skipped, &error)) {
        std::cerr << "orvexctl: " << error << std::endl;
        return 1;
    }
    if (skipped > 0)
        std::cerr << "orvexctl: " << path << ": " << skipped << " line(s) are not journal entries"
                  << std::endl;
    std::string out = format == Format::kCsv
                          ? "time,program,action,adapter,mac,ip,change,result,result_text\r\n"
                          : "";
    Json::Value list(Json::arrayValue);
    for (const Json::Value& e : entries) {
        if (!mac.empty() && Field(e, "mac") != mac) continue;
        const std::vector<std::string> cells = {Field(e, "time"),
                                                Field(e, "program"),
                                                Field(e, "action"),
                                                Field(e, "adapter"),
                                                Field(e, "mac"),
                                                Field(e, "ip"),
                                                What(e),
                                                Field(e, "result"),
                                                Field(e, "result_text")};
        if (format == Format::kJson) list.append(e);
        if (format == Format::kCsv) out += orvex::CameraReport::CsvRow(cells);
        if (format == Format::kText) {
            out += cells[0] + "  " + cells[1] + "  " + cells[2] + "  " + cells[4] + "  " +
                   cells[5] + "  " + cells[6] + "  " + cells[7] + "\n";
        }
    }
    if (format == Format::kJson) out = orvex::JsonText(list);
    return output.Write(out) ? 0 : 1;
}

}  // namespace orvexctl
