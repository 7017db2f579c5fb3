#include "netcard/NetCardInfo.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/AdapterSource.h"
#include "platform/SystemAdapterSource.h"

namespace orvex {
namespace {

using platform::Adapter;

// Adapter lists handed out one per query; the last one repeats.
class ScriptedAdapters : public platform::AdapterSource {
public:
    explicit ScriptedAdapters(std::vector<std::vector<Adapter>> answers)
        : m_answers(std::move(answers)) {}
    std::vector<Adapter> Adapters() override {
        const std::size_t i = std::min<std::size_t>(m_calls++, m_answers.size() - 1);
        return m_answers[i];
    }
    std::optional<std::vector<std::string>> DnsServers(platform::DWORD index) override {
        if (index == 99) return std::nullopt;  // this adapter's DNS query fails
        for (const Adapter& a : m_answers.back()) {
            if (a.index == index) return a.dnsServers;
        }
        return std::nullopt;
    }

private:
    std::vector<std::vector<Adapter>> m_answers;
    std::atomic<std::size_t> m_calls{0};
};

Adapter MakeAdapter(const std::string& name, platform::DWORD index,
                    std::vector<platform::AdapterAddress> addresses,
                    std::vector<std::string> gateways, std::vector<std::string> dns) {
    return Adapter{name, name + " adapter", index, std::move(addresses), std::move(gateways),
                   std::move(dns)};
}

class NetCardInfoTest : public ::testing::Test {
protected:
    void TearDown() override { platform::AdapterSource::Install(nullptr); }
    std::vector<NetCardItem> List(std::vector<std::vector<Adapter>> answers, int* result) {
        platform::AdapterSource::Install(std::make_shared<ScriptedAdapters>(std::move(answers)));
        std::vector<NetCardItem> list;
        *result = CNetCardInfo().GetNetCardList(list);
        return list;
    }
};

TEST_F(NetCardInfoTest, FirstAddressMaskAndGatewayAndTwoDnsServers) {
    const std::vector<Adapter> adapters = {
        MakeAdapter("eth0", 2,
                    {{"192.168.1.20", "255.255.255.0"}, {"10.1.1.1", "255.0.0.0"}},
                    {"192.168.1.1", "192.168.1.254"}, {"8.8.8.8"}),
        MakeAdapter("eth1", 3, {{"172.16.0.5", "255.255.0.0"}}, {},
                    {"1.1.1.1", "1.0.0.1", "9.9.9.9"}),
        MakeAdapter("wlan0", 4, {{"10.0.0.2", "255.255.255.0"}}, {"10.0.0.1"},
                    {"4.4.4.4", "8.8.4.4"}),
        MakeAdapter("odd", 99, {{"10.5.5.5", "255.255.255.0"}}, {"10.5.5.1"}, {"1.2.3.4"}),
        MakeAdapter("lo", 1, {{"127.0.0.1", "255.0.0.0"}}, {}, {}),
    };
    int result = 0;
    const auto list = List({adapters}, &result);
    EXPECT_EQ(result, 1);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].strDescription, L"eth0 adapter");
    EXPECT_EQ(list[0].strIp, L"192.168.1.20");
    EXPECT_EQ(list[0].strSubMask, L"255.255.255.0");
    EXPECT_EQ(list[0].strGateway, L"192.168.1.1");
    EXPECT_EQ(list[0].strPrimaryDns, L"8.8.8.8");
    EXPECT_EQ(list[0].strSecondaryDns, L"");
    EXPECT_EQ(list[1].strGateway, L"");
    EXPECT_EQ(list[1].strPrimaryDns, L"1.1.1.1");
    EXPECT_EQ(list[1].strSecondaryDns, L"1.0.0.1");
    EXPECT_EQ(list[2].strPrimaryDns, L"4.4.4.4");
    EXPECT_EQ(list[2].strSecondaryDns, L"8.8.4.4");
    // A failed DNS query empties only that adapter's DNS texts.
    EXPECT_EQ(list[3].strIp, L"10.5.5.5");
    EXPECT_EQ(list[3].strPrimaryDns, L"");
    EXPECT_EQ(list[4].strDescription, L"lo adapter");
}

TEST_F(NetCardInfoTest, NoAdapterGivesZeroAndAnEmptyList) {
    int result = -1;
    testing::internal::CaptureStdout();
    const auto list = List({{}}, &result);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "No Network Adapters Found on System.\r\n");
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(list.empty());
}

TEST_F(NetCardInfoTest, SizingFollowsTheTwoCallConvention) {
    platform::AdapterSource::Install(std::make_shared<ScriptedAdapters>(std::vector<std::vector<Adapter>>{
        {MakeAdapter("a", 2, {{"10.0.0.1", "255.0.0.0"}}, {}, {}),
         MakeAdapter("b", 3, {{"10.0.0.2", "255.0.0.0"}}, {}, {})}}));
    platform::DWORD needed = 0;
    EXPECT_EQ(CNetCardInfo::FillNetCardDetails(nullptr, 0, &needed), 122u);
    EXPECT_EQ(needed, 2 * sizeof(NetCardDetail));
    std::vector<NetCardDetail> one(1);
    EXPECT_EQ(CNetCardInfo::FillNetCardDetails(one.data(), sizeof(NetCardDetail), &needed), 122u);
    EXPECT_TRUE(one[0].strDescription.empty());  // nothing filled when too small
    std::vector<NetCardDetail> two(2);
    EXPECT_EQ(CNetCardInfo::FillNetCardDetails(two.data(), needed, &needed), 0u);
    EXPECT_EQ(two[1].strDescription, L"b adapter");
    EXPECT_EQ(two[1].dwIndex, 3u);
    ASSERT_EQ(two[1].vecGateway.size(), 1u);  // the embedded first element, empty
    EXPECT_EQ(two[1].vecGateway[0], L"");
}

TEST_F(NetCardInfoTest, AdapterCountChangingBetweenTheTwoCallsKeepsTheFirstCount) {
    const Adapter a = MakeAdapter("a", 2, {{"10.0.0.1", "255.0.0.0"}}, {"10.0.0.254"}, {"1.1.1.1"});
    const Adapter b = MakeAdapter("b", 3, {{"10.0.0.2", "255.0.0.0"}}, {}, {});
    const Adapter c = MakeAdapter("c", 4, {{"10.0.0.3", "255.0.0.0"}}, {}, {});
    int result = 0;
    // Sizing sees two adapters, filling sees three: two entries, none filled.
    auto more = List({{a, b}, {a, b}, {a, b, c}}, &result);
    ASSERT_EQ(more.size(), 2u);
    EXPECT_EQ(more[0].strIp, L"");
    EXPECT_EQ(more[1].strDescription, L"");
    // Sizing sees three, filling sees one: three entries, the first filled.
    auto fewer = List({{a, b, c}, {a, b, c}, {a}}, &result);
    ASSERT_EQ(fewer.size(), 3u);
    EXPECT_EQ(fewer[0].strIp, L"10.0.0.1");
    EXPECT_EQ(fewer[0].strGateway, L"10.0.0.254");
    EXPECT_EQ(fewer[1].strDescription, L"");
    EXPECT_EQ(fewer[2].strIp, L"");
}

TEST(SystemAdapterSource, ReadsDefaultRoutesAndNameServers) {
    const std::string routes =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\n"
        "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\n"
        "eth0\t0001A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\n"
        "wlan0\t00000000\tFE00000A\t0003\t0\t0\t600\t00000000\n"
        "tun0\t00000000\t00000000\t0001\t0\t0\t0\t00000000\n";
    const auto parsed = platform::SystemAdapterSource::ParseDefaultRoutes(routes);
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[0], (std::pair<std::string, std::string>{"eth0", "192.168.1.1"}));
    EXPECT_EQ(parsed[1], (std::pair<std::string, std::string>{"wlan0", "10.0.0.254"}));

    const auto servers = platform::SystemAdapterSource::ParseNameServers(
        "# generated\nsearch lan\nnameserver 192.168.1.1\nnameserver ::1\n"
        "nameserver   8.8.8.8  # comment\noptions edns0\nnameserver\n");
    EXPECT_EQ(servers, (std::vector<std::string>{"192.168.1.1", "8.8.8.8"}));
}

TEST(SystemAdapterSource, PrivateNamespaceListsOnlyLoopback) {
    platform::SystemAdapterSource source;
    const auto adapters = source.Adapters();
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(adapters[0].name, "lo");
    ASSERT_FALSE(adapters[0].addresses.empty());
    EXPECT_EQ(adapters[0].addresses[0].ip, "127.0.0.1");
    EXPECT_EQ(adapters[0].addresses[0].mask, "255.0.0.0");
}

}  // namespace
}  // namespace orvex
