#include "tools/orvexctl/JournalCommand.h"

#include <cstdint>
#include <cstdio>
#include <iostream>

#include "fleet/CameraReport.h"
#include "fleet/ChangeJournal.h"
#include "fleet/IsoTime.h"
#include "fleet/JournalPairs.h"
#include "fleet/JournalReader.h"
#include "fleet/JournalUndo.h"
#include "fleet/JsonText.h"
#include "fleet/ReportHeader.h"
#include "fleet/SetPlanner.h"
#include "tools/orvexctl/ReportOutput.h"
#include "tools/orvexctl/ReportStream.h"

namespace orvexctl {
namespace {

struct JournalOptions {
    Format format = Format::kText;
    ReportOutput output;
    std::string mac;
    std::int64_t since = INT64_MIN, until = INT64_MAX;
    std::string planBefore;
};

// A value as one line of text: control characters written as escapes (\n, \x1b), so
// that no journal entry can start a line of its own or reach the terminal as a command.
std::string Escaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        char code[8];
        if (c == '\n' || c == '\r' || c == '\t') {
            out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(code, sizeof(code), "\\x%02x", c);
            out += code;
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            // A C1 control character (U+0080..U+009F), which terminals obey too.
            std::snprintf(code, sizeof(code), "\\u%04x", static_cast<unsigned char>(text[++i]));
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string Field(const Json::Value& entry, const char* key) {
    const Json::Value& v = entry.isObject() ? entry[key] : Json::Value::nullSingleton();
    if (v.isString()) return v.asString();
    if (v.isNull() || v.isObject() || v.isArray()) return "";
    return v.asString();
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

int Parse(const Arguments& args, JournalOptions* o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string error;
        const std::string& arg = args[i];
        if (TakeFormatOption(args, i, &o->format, &error) || o->output.TakeOption(args, i, &error)) {
            if (!error.empty()) return BadArguments(error);
            continue;
        }
        if (arg != "--mac" && arg != "--since" && arg != "--until" && arg != "--plan-before")
            return BadArguments("unknown option '" + arg + "' for journal");
        if (i + 1 >= args.size() || args[i + 1].empty()) return BadArguments(arg + " needs a value");
        const std::string& value = args[++i];
        if (arg == "--mac") {
            o->mac = orvex::SetPlanner::NormalMac(value);
            if (o->mac.empty()) return BadArguments("--mac takes a MAC address, got '" + value + "'");
        } else if (arg == "--plan-before") {
            o->planBefore = value;
        } else {
            std::int64_t t = 0;
            if (!orvex::IsoTime::Parse(value, &t))
                return BadArguments(arg + " takes a time like 2026-12-10 or 2026-12-10T09:30:00Z, got '" +
                                    value + "'");
            // A day alone as --until takes in the whole of that day.
            if (arg == "--until" && orvex::IsoTime::IsDate(value)) t += 24 * 3600 - 1;
            (arg == "--since" ? o->since : o->until) = t;
        }
    }
    if (!o->planBefore.empty() && o->output.ToFile())
        return BadArguments("--plan-before FILE writes the plan there; give no --output");
    return 0;
}

bool Chosen(const JournalOptions& o, const Json::Value& change) {
    if (!o.mac.empty() && Field(change, "mac") != o.mac) return false;
    if (o.since == INT64_MIN && o.until == INT64_MAX) return true;
    std::int64_t t = 0;
    if (!orvex::IsoTime::Parse(Field(change, "time"), &t)) return false;
    return t >= o.since && t <= o.until;
}

int WritePlan(const JournalOptions& o, const orvex::JournalUndo& undo) {
    if (undo.FirmwareChanges() > 0)
        std::cerr << "orvexctl: " << undo.FirmwareChanges()
                  << " firmware change(s) cannot be put back by a plan; they are left out"
                  << std::endl;
    if (undo.Empty()) {
        std::cerr << "orvexctl: the journal shows no setting changed by the changes chosen"
                  << std::endl;
        return 1;
    }
    std::string text, error;
    const bool csv = o.planBefore.size() > 4 && o.planBefore.compare(o.planBefore.size() - 4, 4, ".csv") == 0;
    if (!csv) {
        text = undo.Json();
    } else if (!undo.Csv(&text, &error)) {
        return BadArguments(error);
    }
    ReportStream plan(o.planBefore);
    plan.Add(text);
    return plan.End() ? 0 : 1;
}

}  // namespace

int RunJournal(const Arguments& args) {
    JournalOptions o;
    if (const int bad = Parse(args, &o)) return bad;
    const std::string path = orvex::ChangeJournal::DefaultPath();
    orvex::JournalReader reader;
    std::string error;
    if (!reader.Open(path, &error)) {
        std::cerr << "orvexctl: " << error << std::endl;
        return 1;
    }
    ReportStream out(o.planBefore.empty() ? o.output.Path() : "");
    orvex::JournalUndo undo;
    std::size_t listed = 0;
    if (o.planBefore.empty() && o.format == Format::kCsv)
        out.Add("time,program,action,adapter,mac,ip,change,result,result_text\r\n");
    if (o.planBefore.empty() && o.format == Format::kJson) {
        // The report's head, then its entries as they are read.
        std::string head = orvex::JsonText(orvex::ReportHeader::Begin("journal"), false);
        head.pop_back();
        out.Add(head + ",\"entries\":[");
    }
    orvex::JournalPairs pairs([&](const Json::Value& change) {
        const bool chosen = Chosen(o, change);
        if (!o.planBefore.empty()) {
            undo.Add(change, chosen);
            return;
        }
        if (!chosen) return;
        if (o.format == Format::kJson) {
            out.Add((listed++ ? ",\n  " : "\n  ") + orvex::JsonText(change, false));
            return;
        }
        std::vector<std::string> cells = {Field(change, "time"),   Field(change, "program"),
                                          Field(change, "action"), Field(change, "adapter"),
                                          Field(change, "mac"),    Field(change, "ip"),
                                          What(change),            Field(change, "result"),
                                          Field(change, "result_text")};
        for (std::string& cell : cells) cell = Escaped(cell);
        if (o.format == Format::kCsv) {
            out.Add(orvex::CameraReport::CsvRow(cells));
        } else {
            out.Add(cells[0] + "  " + cells[1] + "  " + cells[2] + "  " + cells[4] + "  " +
                    cells[5] + "  " + cells[6] + "  " + cells[7] + "\n");
        }
        ++listed;
    });
    Json::Value entry;
    while (reader.Next(&entry)) pairs.Add(std::move(entry));
    pairs.Finish();
    if (reader.Skipped() > 0)
        std::cerr << "orvexctl: " << path << ": " << reader.Skipped()
                  << " line(s) skipped: not journal entries" << std::endl;
    if (!reader.Error().empty()) {
        std::cerr << "orvexctl: " << reader.Error() << std::endl;
        out.End();
        return 1;
    }
    if (!o.planBefore.empty()) return WritePlan(o, undo);
    if (o.format == Format::kJson) out.Add(listed ? "\n]}\n" : "]}\n");
    return out.End() ? 0 : 1;
}

}  // namespace orvexctl
