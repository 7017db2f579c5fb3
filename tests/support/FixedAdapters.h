#pragma once
#include <string>
#include <vector>

#include "platform/AdapterSource.h"

namespace orvextest {

// The computer's adapters as a test sets them.
class FixedAdapters : public platform::AdapterSource {
public:
    explicit FixedAdapters(std::vector<platform::Adapter> adapters) : m_adapters(std::move(adapters)) {}
    std::vector<platform::Adapter> Adapters() override { return m_adapters; }

private:
    std::vector<platform::Adapter> m_adapters;
};

// An adapter with one address in a /24, gateway 192.168.1.1 and two DNS servers.
inline platform::Adapter MakeAdapter(const std::string& name, const std::string& ip, platform::DWORD index) {
    return platform::Adapter{name, name, index, {{ip, "255.255.255.0"}}, {"192.168.1.1"},
                             {"8.8.8.8", "8.8.4.4"}};
}

}  // namespace orvextest
