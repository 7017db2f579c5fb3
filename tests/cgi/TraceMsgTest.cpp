#include "cgi/TraceMsg.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "platform/CopyDataChannel.h"
#include "platform/ModulePath.h"

namespace orvex {
namespace {

using platform::CopyDataListener;
using std::chrono::milliseconds;

std::string NextText(CopyDataListener& listener) {
    auto record = listener.Receive(milliseconds(1000));
    if (!record) return "<nothing>";
    EXPECT_EQ(record->dwData, kTraceTag);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&record->dwData), 4), "twin");
    return record->data;
}

TEST(TraceMsg, ReachesTheViewerOfEitherClassAndTheFirstClassWins) {
    CopyDataListener mfx;
    ASSERT_TRUE(mfx.Open(kMfxTraceClass));
    TraceMsg("\r\n---SendCgiCmd_UpgradeFile---end---bRet=%d---m_nRetVal=%d---", 1, 0);
    EXPECT_EQ(NextText(mfx), "\r\n---SendCgiCmd_UpgradeFile---end---bRet=1---m_nRetVal=0---");

    CopyDataListener traceWin;
    ASSERT_TRUE(traceWin.Open(kTraceWinClass));
    TraceMsg("\n SetBindIPAddr ip=%s", "127.0.0.1");
    EXPECT_EQ(NextText(traceWin), "\n SetBindIPAddr ip=127.0.0.1");
    EXPECT_FALSE(mfx.Receive(milliseconds(100)).has_value());

    // A second viewer cannot claim a class that is taken.
    CopyDataListener second;
    EXPECT_FALSE(second.Open(kTraceWinClass));
}

TEST(TraceMsg, TextIsCutAt1023CharactersAndCarriesNoTerminator) {
    CopyDataListener viewer;
    ASSERT_TRUE(viewer.Open(kTraceWinClass));
    const std::string longText(3000, 'x');
    TraceMsg("%s", longText.c_str());
    EXPECT_EQ(NextText(viewer), std::string(1023, 'x'));
    TraceMsg("%s", "");
    EXPECT_EQ(NextText(viewer), "");
    TraceMsg("\r\n---\xC1\xAC\xBD\xD3%s---", "GBK");  // GBK bytes pass untouched
    EXPECT_EQ(NextText(viewer), "\r\n---\xC1\xAC\xBD\xD3GBK---");
}

TEST(TraceMsg, WithoutAViewerNothingHappensAndNothingIsWritten) {
    char dir[] = "/tmp/orvex-trace-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    platform::ModulePath::OverrideDirectory(dir);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i) TraceMsg("\n select error %d", i);
    EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(500));
    platform::ModulePath::OverrideDirectory("");
    DIR* d = opendir(dir);
    int entries = 0;
    while (dirent* e = readdir(d)) entries += std::string(e->d_name) != "." && std::string(e->d_name) != "..";
    closedir(d);
    rmdir(dir);
    EXPECT_EQ(entries, 0);
}

}  // namespace
}  // namespace orvex
