// The texts around the change journal: names kept as their bytes, the times its options
// take, and the pairing of what was sent with how it ended.
#include <gtest/gtest.h>
#include <json/json.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "fleet/CameraName.h"
#include "fleet/IsoTime.h"
#include "fleet/JournalPairs.h"
#include "fleet/JournalReader.h"

namespace {

using orvex::CameraName;

TEST(CameraNameTest, BytesOfAnotherCodePageAreKeptAndReadableSeparately) {
    const std::string gbk = "\xCD\xA3\xB3\xB5";
    EXPECT_FALSE(CameraName::IsUtf8(gbk));
    EXPECT_TRUE(CameraName::IsUtf8("\xE5\x81\x9C Caf\xC3\xA9"));
    EXPECT_TRUE(CameraName::IsUtf8(CameraName::Readable(gbk)));
    EXPECT_EQ(CameraName::HexUnlessUtf8(gbk), "cda3b3b5");
    EXPECT_EQ(CameraName::HexUnlessUtf8("plain"), "");
    std::string bytes;
    ASSERT_TRUE(CameraName::FromHex("CDa3b3B5", &bytes));
    EXPECT_EQ(bytes, gbk);
    for (const char* bad : {"c", "zz", "cd a3"}) EXPECT_FALSE(CameraName::FromHex(bad, &bytes)) << bad;

    EXPECT_EQ(CameraName::WhyNotSendable("Gate 1"), "");
    EXPECT_EQ(CameraName::WhyNotSendable(gbk), "");
    EXPECT_EQ(CameraName::WhyNotSendable(std::string("a\0b", 3)),
              "the name holds a control character (0x00)");
    EXPECT_NE(CameraName::WhyNotSendable("\tGate").find("(0x09)"), std::string::npos);
    EXPECT_NE(CameraName::WhyNotSendable("Gate ").find("white space"), std::string::npos);
    EXPECT_EQ(CameraName::WhyNotSendable(std::string(79, 'n')), "");
    EXPECT_NE(CameraName::WhyNotSendable(std::string(80, 'n')).find("79 bytes"), std::string::npos);
}

TEST(IsoTimeTest, DatesTimesAndZonesAsTheJournalAndItsOptionsWriteThem) {
    std::int64_t t = 0;
    ASSERT_TRUE(orvex::IsoTime::Parse("2026-12-10T10:18:33Z", &t));
    EXPECT_EQ(t, 1796897913);
    std::int64_t same = 0;
    ASSERT_TRUE(orvex::IsoTime::Parse("2026-12-10T11:18:33+01:00", &same));
    EXPECT_EQ(same, t);
    ASSERT_TRUE(orvex::IsoTime::Parse("2026-12-10 10:18:33", &same));
    EXPECT_EQ(same, t);
    ASSERT_TRUE(orvex::IsoTime::Parse("2026-12-10", &same));
    EXPECT_EQ(t - same, 10 * 3600 + 18 * 60 + 33);
    EXPECT_TRUE(orvex::IsoTime::IsDate("2026-12-10"));
    EXPECT_FALSE(orvex::IsoTime::IsDate("2026-12-10T00:00"));
    for (const char* bad : {"yesterday", "2026-13-01", "2026-04-31", "2026-12-10T25:00",
                            "2026-12-10T10:18:33Zjunk", "2026-12-10T10", "26-12-10", ""})
        EXPECT_FALSE(orvex::IsoTime::Parse(bad, &t)) << bad;
}

Json::Value Entry(const char* phase, const char* id, const char* mac, const char* result = "") {
    Json::Value e(Json::objectValue);
    e["time"] = "2026-12-10T10:00:00Z";
    e["action"] = "set";
    e["mac"] = mac;
    if (*phase) e["phase"] = phase;
    if (*id) e["id"] = id;
    if (*result) e["result"] = result;
    return e;
}

TEST(JournalPairsTest, EachChangeOnceWithItsResultAndTheUnansweredAtTheEnd) {
    std::vector<Json::Value> changes;
    orvex::JournalPairs pairs([&](const Json::Value& change) { changes.push_back(change); });
    pairs.Add(Entry("sent", "a", "M1"));
    pairs.Add(Entry("sent", "b", "M2"));
    pairs.Add(Entry("", "", "M3", "success"));         // one piece, as older entries are
    pairs.Add(Entry("result", "b", "M2", "verified"));
    pairs.Add(Entry("result", "zz", "M4", "failed"));  // its "sent" rotated away long ago
    pairs.Add(Entry("sent", "c", "M5"));
    pairs.Finish();
    ASSERT_EQ(changes.size(), 5u);
    EXPECT_EQ(changes[0]["mac"], "M3");
    EXPECT_EQ(changes[1]["mac"], "M2");
    EXPECT_EQ(changes[1]["result"], "verified");
    EXPECT_FALSE(changes[1].isMember("phase"));
    EXPECT_EQ(changes[2]["mac"], "M4");
    EXPECT_EQ(changes[3]["mac"], "M1");  // killed before its result: in the order sent
    EXPECT_EQ(changes[3]["result"], orvex::JournalPairs::kNoResult);
    EXPECT_EQ(changes[4]["mac"], "M5");
    EXPECT_EQ(changes[4]["result"], orvex::JournalPairs::kNoResult);
}

// Lines cut across the reader's blocks, a line longer than any entry (dropped whole, not
// read as the entries its tail might look like), and a last line without its line end.
TEST(JournalReaderTest, LongLinesAreSkippedWholeAndEntriesAcrossBlocksReadWhole) {
    char dir[] = "/tmp/orvex-journal-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/journal.jsonl";
    const auto entry = [](int n, std::size_t pad) {
        return "{\"time\":\"2026-01-01T10:00:00Z\",\"n\":" + std::to_string(n) + ",\"pad\":\"" +
               std::string(pad, 'p') + "\"}";
    };
    {
        std::ofstream out(path, std::ios::binary);
        out << entry(1, 70000) << "\n";  // across the first block's end
        // Two MiB of one line whose tail reads as an entry of its own.
        out << std::string(2 * 1024 * 1024, 'x') << entry(99, 0) << "\n";
        out << entry(2, 10) << "\n\n" << entry(3, 10);  // the last without its line end
    }
    orvex::JournalReader reader;
    std::string error;
    ASSERT_TRUE(reader.Open(path, &error)) << error;
    std::vector<int> read;
    for (Json::Value e; reader.Next(&e);) read.push_back(e["n"].asInt());
    EXPECT_EQ(read, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(reader.Skipped(), 1u);
    EXPECT_TRUE(reader.Error().empty()) << reader.Error();
    std::remove(path.c_str());
    rmdir(dir);
}

}  // namespace
