// A large mixed site: 500 ONVIF cameras behind two adapters of this computer, 250 on each,
// their replies spread over half a second. Every camera is listed once, by the adapter
// it stands behind, on every scan of 2 s.
#include <gtest/gtest.h>
#include <json/json.h>

#include <map>
#include <set>

#include "tests/support/NetnsCommand.h"
#include "tests/support/ParseJson.h"
#include "tests/support/ProcessRunner.h"
#include "tools/camsim/OnvifResponder.h"

namespace {

using orvextest::ParseJson;
using orvextest::RunProcess;
using orvextest::ToolPath;

constexpr int kPerSite = 250;

// The cameras of site `site` (1 or 2): 10.<site>0.0.1 to .250.
std::vector<camsim::CameraConfig> SiteCameras(int site) {
    std::vector<camsim::CameraConfig> cameras;
    for (int n = 1; n <= kPerSite; ++n) {
        camsim::CameraConfig c;
        c.ip = "10." + std::to_string(site * 10) + ".0." + std::to_string(n);
        c.mask = "255.255.255.0";
        c.port = 80;
        c.mac = {0x02, 0x4F, 0x52, 0x0F, static_cast<std::uint8_t>(site), static_cast<std::uint8_t>(n)};
        c.name = "Site " + std::to_string(site) + " cam " + std::to_string(n);
        c.onvif.enabled = true;
        c.onvif.maxDelayMs = 500;
        cameras.push_back(c);
    }
    return cameras;
}

std::vector<std::string> Addresses(const std::vector<camsim::CameraConfig>& cameras) {
    std::vector<std::string> out;
    for (const auto& c : cameras) out.push_back(c.ip);
    return out;
}

TEST(OnvifTwoAdapters, FiveHundredCamerasEachListedOnceByItsAdapterOnEveryScan) {
    const auto first = SiteCameras(1);
    const auto second = SiteCameras(2);
    ASSERT_TRUE(orvextest::AddCameraSite("s1", "10.10.0.254/24", Addresses(first)));
    ASSERT_TRUE(orvextest::AddCameraSite("s2", "10.20.0.254/24", Addresses(second)));
    // Each site's cameras hear only the probes that reach their side of the link.
    camsim::OnvifResponder site1, site2;
    std::string error;
    ASSERT_TRUE(site1.Start(first, first[0].ip, &error, {}, "s1c")) << error;
    ASSERT_TRUE(site2.Start(second, second[0].ip, &error, {}, "s2c")) << error;

    for (int scan = 0; scan < 10; ++scan) {
        const auto r = RunProcess(ToolPath("ORVEXCTL"), {"scan", "--bind", "10.10.0.254", "--bind", "10.20.0.254",
                                                         "--protocol", "onvif", "--seconds", "2", "--format", "json"});
        ASSERT_EQ(r.status, 0) << r.err;
        const Json::Value rows = ParseJson(r.out)["cameras"];
        std::set<std::string> endpoints;
        std::map<std::string, int> byAdapter;
        int misplaced = 0;
        for (const Json::Value& row : rows) {
            endpoints.insert(row["endpoint"].asString());
            ++byAdapter[row["adapter"].asString()];
            // A camera of 10.10.0.x behind the first adapter, of 10.20.0.x behind the second.
            misplaced += row["ip"].asString().substr(0, 6) != row["adapter_ip"].asString().substr(0, 6) ||
                         row["other_subnet"].asBool();
        }
        EXPECT_EQ(rows.size(), 2u * kPerSite) << "scan " << scan;
        EXPECT_EQ(endpoints.size(), 2u * kPerSite) << "scan " << scan;
        EXPECT_EQ(byAdapter["s1"], kPerSite) << "scan " << scan;
        EXPECT_EQ(byAdapter["s2"], kPerSite) << "scan " << scan;
        EXPECT_EQ(misplaced, 0) << "scan " << scan;
    }
    EXPECT_EQ(site1.ProbesHeard(), 30u);  // three a scan, each only from its own adapter
    EXPECT_EQ(site2.ProbesHeard(), 30u);
    site1.Stop();
    site2.Stop();
    orvextest::Ip("link del s1");
    orvextest::Ip("link del s2");
}

}  // namespace
