#pragma once
#include <string>
#include <utility>
#include <vector>

#include "fleet/SetPlanner.h"

namespace orvex {

// A plan for `set`: one row per camera keyed by MAC, in CSV (a header row naming the
// columns) or JSON (an array of objects, or an object whose "cameras" holds one). A column
// or key that is present sets its field, an empty cell included; one that is absent keeps
// the camera's value. What `scan --format csv|json` writes is a plan as it stands: the
// columns a set cannot change (mode, uid, version, adapter ...) are read and left alone.
// `name_hex` gives a name's bytes (a name in a camera's own code page) over its text;
// `ip_now` is the address the camera is to answer from (a plan for another site sends
// nothing). A row with protocol onvif and `host` names an ONVIF camera by its device
// service (its MAC may be left out); a scan's ONVIF row without a host is left alone. A
// plan that names no camera, or a column given twice, is refused, and so is one that gives
// an address to a native and to an ONVIF camera (MixedPlanCheck).
class SetPlanFile {
public:
    // False with "FILE: line N: ..." naming the column or key at fault.
    static bool Read(const std::string& path, std::vector<SetRequestRow>* rows, std::string* error);
    static bool Parse(const std::string& text, const std::string& name,
                      std::vector<SetRequestRow>* rows, std::string* error);

private:
    static bool ParseCsv(const std::string& text, const std::string& name,
                         std::vector<SetRequestRow>* rows, std::string* error);
    static bool ParseJson(const std::string& text, const std::string& name,
                          std::vector<SetRequestRow>* rows, std::string* error);
    using Cells = std::vector<std::pair<std::string, std::string>>;
    // Sets the row's fields from its columns or keys; false with a message and the key.
    static bool Fill(const Cells& cells, SetRequestRow* row, std::string* key,
                     std::string* error);
    static bool NotEmpty(const std::vector<SetRequestRow>& rows, const std::string& name,
                         std::string* error);
    // Sets one field of the change from its column or key; false with a message.
    static bool SetField(const std::string& key, const std::string& value, SetRequestRow* row,
                         std::string* error);
};

}  // namespace orvex
