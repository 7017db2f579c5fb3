#pragma once
#include <string>

namespace orvex {

// Text put into the XML the ONVIF code writes by hand (SOAP bodies, WS-Discovery messages).
class XmlText {
public:
    // `text` with & < > " escaped, safe as element content and in a quoted attribute.
    static std::string Escaped(const std::string& text);
};

}  // namespace orvex
