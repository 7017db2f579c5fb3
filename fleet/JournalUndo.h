#pragma once
#include <json/json.h>

#include <map>
#include <string>
#include <vector>

namespace orvex {

// The plan that puts back the settings the journal shows cameras had before the changes
// chosen (a scan report's form, for `set --plan`): per camera, each field as it was before
// the earliest chosen change of it, and `ip_now`, the address the journal last shows the
// camera at, so that the plan sends nothing to a camera that has moved on since.
class JournalUndo {
public:
    // Every change of the journal, in order (paired: see JournalPairs); `chosen` when it is
    // one to undo.
    void Add(const Json::Value& change, bool chosen);
    bool Empty() const;
    // Firmware changes among those chosen: a plan cannot put them back.
    std::size_t FirmwareChanges() const { return m_firmware; }
    // {"cameras": [...]}.
    std::string Json() const;
    // CSV with a header row; false when the cameras' changes differ in their fields (an
    // empty cell would clear a field): JSON holds those.
    bool Csv(std::string* text, std::string* error) const;

private:
    struct Camera {
        std::string ipNow;
        std::map<std::string, std::string> before;  // field -> value before the changes
    };
    std::map<std::string, Camera> m_cameras;  // by MAC
    std::vector<std::string> m_order;        // MACs in the order first chosen
    std::size_t m_firmware = 0;
};

}  // namespace orvex
