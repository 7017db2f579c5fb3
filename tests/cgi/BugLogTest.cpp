#include "cgi/BugLog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/ModulePath.h"

namespace orvex {
namespace {

bool IsTimePrefix(const std::string& text) {
    const std::string shape = "<0000-00-00 00:00:00>:";
    if (text.size() != shape.size()) return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == '0' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

class BugLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(mkdtemp(m_dir), nullptr);
        platform::ModulePath::OverrideDirectory(m_dir);
    }
    void TearDown() override {
        platform::ModulePath::OverrideDirectory("");
        unlink(Path().c_str());
        rmdir(m_dir);
    }
    std::string Path() const { return std::string(m_dir) + "/BugLog.txt"; }
    std::string Contents() const {
        std::ifstream in(Path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // The fault record of the CGI layer: four calls, two lines.
    void WriteFault(int line, std::uint32_t code) {
        WriteBugLog(".\\CgiOper.cpp", true, false);
        WriteBugLog("  line:", false, false);
        WriteBugLog(std::to_string(line).c_str(), false, true);
        WriteBugLog(GetExceptionName(code), true, true);
    }

    char m_dir[32] = "/tmp/orvex-buglog-XXXXXX";
};

TEST_F(BugLogTest, EmptyTextWritesNothingAndCreatesNoFile) {
    EXPECT_FALSE(WriteBugLog("", true, true));
    EXPECT_FALSE(WriteBugLog(nullptr, true, true));
    struct stat st;
    EXPECT_NE(stat(Path().c_str(), &st), 0);
}

TEST_F(BugLogTest, TwoFaultsASecondApartAppendFourPrefixedLines) {
    WriteFault(340, 0xC0000005);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    WriteFault(376, 0xC0000094);
    // Each line: "<YYYY-MM-DD hh:mm:ss>:" then its text and CR LF.
    const std::vector<std::string> texts = {".\\CgiOper.cpp  line:340", "Memory access exception",
                                            ".\\CgiOper.cpp  line:376", "Unknown eception"};
    const std::string contents = Contents();
    std::size_t at = 0;
    for (const std::string& text : texts) {
        ASSERT_TRUE(IsTimePrefix(contents.substr(at, 22))) << contents;
        at += 22;
        EXPECT_EQ(contents.substr(at, text.size() + 2), text + "\r\n");
        at += text.size() + 2;
    }
    EXPECT_EQ(at, contents.size());
}

TEST_F(BugLogTest, LongTextIsCutAt1024BytesAndUnwritableFileIsNoFailure) {
    const std::string text(5000, 'z');
    EXPECT_TRUE(WriteBugLog(text.c_str(), false, false));
    EXPECT_EQ(Contents(), std::string(1024, 'z'));
    platform::ModulePath::OverrideDirectory("/nonexistent/dir");
    EXPECT_TRUE(WriteBugLog("lost", true, true));
}

TEST(ExceptionName, EveryListedCodeAndTheRest) {
    EXPECT_STREQ(GetExceptionName(0x80000001), "Guard page");
    EXPECT_STREQ(GetExceptionName(0x80000003), "Breakpoint");
    EXPECT_STREQ(GetExceptionName(0xC0000005), "Memory access exception");
    EXPECT_STREQ(GetExceptionName(0xC0000008), "Invalid handle");
    EXPECT_STREQ(GetExceptionName(0xC000001D), "Illegal instruction");
    EXPECT_STREQ(GetExceptionName(0xC0000025), "Noncontinuable exception");
    EXPECT_STREQ(GetExceptionName(0xC000008C), "Array bounds exceeded");
    EXPECT_STREQ(GetExceptionName(0xC000008E), "Float divide by zero");
    EXPECT_STREQ(GetExceptionName(0xC00000FD), "Stack overflow");
    EXPECT_STREQ(GetExceptionName(0xC0000094), "Unknown eception");
    EXPECT_STREQ(GetExceptionName(0), "Unknown eception");
}

}  // namespace
}  // namespace orvex
