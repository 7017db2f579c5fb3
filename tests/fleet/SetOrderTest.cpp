// What a set may hand out and in which order: addresses and masks that would cut a camera
// off, and orders of moves (chains, swaps, circles, shared factory addresses) in which no
// two cameras ever share an address, whatever order the moves of one wave land in.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "fleet/AddressPool.h"
#include "fleet/AddressRange.h"
#include "fleet/AddressRules.h"
#include "fleet/SetPlanner.h"
#include "platform/TextUtil.h"

namespace {

using orvex::AddressRules;
using orvex::SetJob;
using orvex::SetPlanner;
using orvex::SetRequestRow;

std::uint32_t V(const char* text) {
    std::uint32_t value = 0;
    EXPECT_TRUE(orvex::AddressRange::Parse(text, &value)) << text;
    return value;
}

TEST(AddressRulesTest, EachAddressThatCutsACameraOffHasItsReason) {
    const std::uint32_t slash24 = V("255.255.255.0");
    const std::uint32_t lan = V("192.168.1.20");
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"0.0.0.0", "is the unspecified address"},
        {"255.255.255.255", "is the broadcast address"},
        {"224.0.0.251", "is a multicast address"},
        {"239.255.255.250", "is a multicast address"},
        {"240.0.0.1", "is a reserved (class E) address"},
        {"127.0.0.5", "is a loopback address"},
        {"169.254.3.4", "is a link-local address"},
        {"192.168.1.0", "is the network address of 192.168.1.0/24"},
        {"192.168.1.255", "is the broadcast address of 192.168.1.0/24"},
        {"192.168.1.20", "is the adapter's own address"},
        {"192.168.1.21", ""},
        {"10.1.2.3", ""},
        {"223.255.255.254", ""},
    };
    for (const auto& [ip, why] : cases)
        EXPECT_EQ(AddressRules::WhyNotUsable(V(ip), slash24, lan), why) << ip;
    // On an adapter of its own kind, loopback and link-local addresses are the site's.
    EXPECT_EQ(AddressRules::WhyNotUsable(V("127.0.0.5"), V("255.0.0.0"), V("127.0.0.1")), "");
    EXPECT_EQ(AddressRules::WhyNotUsable(V("169.254.3.4"), V("255.255.0.0"), V("169.254.0.9")), "");
    EXPECT_EQ(AddressRules::WhyNotUsable(V("10.0.0.6"), V("255.255.255.252"), 0), "");
    EXPECT_EQ(AddressRules::WhyNotUsable(V("10.0.0.7"), V("255.255.255.252"), 0),
              "is the broadcast address of 10.0.0.4/30");  // .5 and .6 are its hosts
    EXPECT_EQ(AddressRules::WhyNotUsable(V("10.0.0.7"), V("255.255.255.248"), 0),
              "is the broadcast address of 10.0.0.0/29");

    EXPECT_EQ(AddressRules::WhyNotMask(V("0.0.0.0")), "is /0; a camera's mask is /1 to /30");
    EXPECT_EQ(AddressRules::WhyNotMask(V("128.0.0.0")), "");
    EXPECT_EQ(AddressRules::WhyNotMask(V("255.255.255.252")), "");
    EXPECT_EQ(AddressRules::WhyNotMask(V("255.255.255.254")), "is /31; a camera's mask is /1 to /30");
    EXPECT_EQ(AddressRules::WhyNotMask(V("255.255.255.255")), "is /32; a camera's mask is /1 to /30");
}

TEST(AddressPoolTest, ATemporaryAddressIsTheHighestFreeHostOfTheSubnet) {
    orvex::AddressPool pool;
    pool.SetAdapter(V("10.0.0.254"));
    pool.Take(V("10.0.0.253"));
    std::uint32_t free = 0;
    ASSERT_TRUE(pool.TakeTemporary(V("10.0.0.9"), V("255.255.255.0"), &free));
    EXPECT_EQ(orvex::AddressRange::Dotted(free), "10.0.0.252");
    ASSERT_TRUE(pool.TakeTemporary(V("10.0.0.9"), V("255.255.255.0"), &free));
    EXPECT_EQ(orvex::AddressRange::Dotted(free), "10.0.0.251");  // not the one handed out
    orvex::AddressPool full;
    full.Take(V("10.0.0.5"));
    full.Take(V("10.0.0.6"));
    EXPECT_FALSE(full.TakeTemporary(V("10.0.0.5"), V("255.255.255.252"), &free));
}

orvex::ScannedCamera Camera(std::uint8_t id, const std::string& ip) {
    orvex::ScannedCamera c;
    const std::uint8_t mac[6] = {0x02, 0x4F, 0x52, 0, 1, id};
    std::copy(mac, mac + 6, c.record.abyMac);
    platform::PutFieldString(c.record.szIp, ip);
    platform::PutFieldString(c.record.szSubMask, "255.255.255.0");
    platform::PutFieldString(c.record.szGateway, "10.0.0.1");
    c.record.wPort = 80;
    return c;
}

SetRequestRow To(std::uint8_t id, const std::string& ip) {
    SetRequestRow row(orvex::MacText(Camera(id, "").record), {}, "row " + std::to_string(id));
    row.change.ip = ip;
    return row;
}

// Plays the jobs wave by wave: within a wave the moves may land in any order, so each
// must go to an address that no other camera holds when the wave starts and that no
// other move of the wave takes. Returns where each camera ends ("" and a failure if not).
std::map<std::string, std::string> Play(const std::vector<orvex::ScannedCamera>& scanned,
                                        const std::vector<SetJob>& jobs) {
    std::map<std::string, std::string> at;  // MAC -> address
    for (const auto& c : scanned) at[orvex::MacText(c.record)] = platform::FieldString(c.record.szIp);
    int last = 0;
    for (const SetJob& job : jobs) last = std::max(last, job.wave);
    for (int wave = 0; wave <= last; ++wave) {
        std::set<std::string> targets;
        for (const SetJob& job : jobs) {
            if (job.wave != wave || job.Unchanged()) continue;
            const std::string mac = orvex::MacText(job.camera.record);
            EXPECT_EQ(at[mac], job.before.ip) << mac << " starts a step from elsewhere";
            for (const auto& [other, ip] : at) {
                EXPECT_FALSE(other != mac && ip == job.after.ip)
                    << mac << " moves onto " << ip << ", still held by " << other;
            }
            EXPECT_TRUE(targets.insert(job.after.ip).second) << job.after.ip << " twice in a wave";
            for (std::size_t w : job.waitsFor) EXPECT_LT(jobs[w].wave, wave);
        }
        for (const SetJob& job : jobs) {
            if (job.wave == wave) at[orvex::MacText(job.camera.record)] = job.after.ip;
        }
    }
    return at;
}

TEST(SetOrderTest, ChainsSwapsAndCirclesEndWhereAskedWithoutEverSharingAnAddress) {
    const std::vector<orvex::ScannedCamera> scanned = {
        Camera(1, "10.0.0.11"), Camera(2, "10.0.0.12"), Camera(3, "10.0.0.13"),  // a circle
        Camera(4, "10.0.0.14"), Camera(5, "10.0.0.15"),                          // a swap
        Camera(6, "10.0.0.16"), Camera(7, "10.0.0.17"), Camera(8, "10.0.0.18"),  // a chain
        Camera(9, "10.0.0.19")};                                                 // stays
    SetPlanner planner(scanned, {{"10.0.0.2", "255.255.255.0", "lan"}});
    std::vector<SetJob> jobs;
    std::vector<std::string> notes;
    std::string error;
    ASSERT_TRUE(planner.Plan({To(1, "10.0.0.12"), To(2, "10.0.0.13"), To(3, "10.0.0.11"),
                              To(4, "10.0.0.15"), To(5, "10.0.0.14"), To(6, "10.0.0.17"),
                              To(7, "10.0.0.18"), To(8, "10.0.0.30")},
                             "", &jobs, &notes, &error))
        << error;
    ASSERT_EQ(jobs.size(), 10u);  // the circle and the swap each gain a temporary step
    std::set<std::string> temporary;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (jobs[i].step != SetJob::kTemporary) continue;
        temporary.insert(jobs[i].after.ip);
        ASSERT_LT(i + 1, jobs.size());
        EXPECT_EQ(jobs[i + 1].previousStep, static_cast<int>(i));  // its final step follows
        EXPECT_EQ(jobs[i + 1].before.ip, jobs[i].after.ip);
    }
    // Free addresses from the top of the subnet, one for each circle.
    EXPECT_EQ(temporary, (std::set<std::string>{"10.0.0.253", "10.0.0.254"}));
    const auto end = Play(scanned, jobs);
    const std::map<std::uint8_t, std::string> wanted = {
        {1, "10.0.0.12"}, {2, "10.0.0.13"}, {3, "10.0.0.11"}, {4, "10.0.0.15"}, {5, "10.0.0.14"},
        {6, "10.0.0.17"}, {7, "10.0.0.18"}, {8, "10.0.0.30"}, {9, "10.0.0.19"}};
    for (const auto& [id, ip] : wanted) EXPECT_EQ(end.at(orvex::MacText(Camera(id, "").record)), ip);
}

TEST(SetOrderTest, CamerasLeavingOneFactoryAddressAllGoBeforeAnotherTakesIt) {
    const std::vector<orvex::ScannedCamera> scanned = {Camera(1, "10.0.0.9"), Camera(2, "10.0.0.9"),
                                                       Camera(3, "10.0.0.20")};
    SetPlanner planner(scanned, {});
    std::vector<SetJob> jobs;
    std::vector<std::string> notes;
    std::string error;
    ASSERT_TRUE(planner.Plan({To(1, "10.0.0.30"), To(2, "10.0.0.31"), To(3, "10.0.0.9")}, "",
                             &jobs, &notes, &error))
        << error;
    EXPECT_EQ(jobs[2].waitsFor.size(), 2u);
    Play(scanned, jobs);
}

}  // namespace
