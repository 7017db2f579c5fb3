// The change journal keeps every change however a run ends: written before the request
// leaves (a killed run included), never glued to a torn line, rolled back on a full disk,
// rotated when large; orvexctl journal reads whatever it finds without aborting, pairs
// what was sent with how it ended, and writes the plan that undoes a change.
#include <gtest/gtest.h>
#include <json/json.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "tests/support/ParseJson.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/RealServers.h"
#include "tests/tools/SetSite.h"

namespace {

using orvextest::ParseJson;
using orvextest::ReadFile;
using orvextest::RunProcess;
using orvextest::SetSite;
using orvextest::SiteCamera;
using orvextest::SiteMac;
using orvextest::ToolPath;

// A journal line as orvexctl writes one, padded with `pad` so that lines can fill a file
// to the byte.
std::string EntryLine(const std::string& time, const std::string& name, std::size_t pad = 0) {
    return "{\"time\":\"" + time + "\",\"program\":\"orvexctl\",\"action\":\"set\",\"mac\":\"" +
           SiteMac(9) + "\",\"ip\":\"127.0.0.99\",\"changes\":{\"name\":{\"old\":\"" + name +
           "\",\"new\":\"x\"}},\"result\":\"verified\",\"pad\":\"" + std::string(pad, 'p') +
           "\"}\n";
}

class Journal : public SetSite {
protected:
    orvextest::ProcessResult List(std::vector<std::string> args) {
        args.insert(args.begin(), "journal");
        return RunProcess(ToolPath("ORVEXCTL"), args);
    }
    void WriteJournal(const std::string& text) {
        mkdir((dir + "/orvex").c_str(), 0700);
        std::ofstream(JournalPath(), std::ios::binary) << text;
    }
};

TEST_F(Journal, AKilledRunLeavesTheSentEntryOfTheCameraItChanged) {
    camsim::CameraConfig slow = SiteCamera(1, "127.0.0.11");
    slow.setFaults.restartMs = 10000;  // ten seconds before it shows the change
    fleet.AddCamera(slow);
    Start();
    const auto run = Set({"--mac", SiteMac(1), "--name", "moved"}, [&](int pid) {
        for (int i = 0; i < 1000 && !Asked(1); ++i) usleep(10 * 1000);
        usleep(300 * 1000);
        kill(pid, SIGKILL);
    });
    EXPECT_EQ(run.status, -1);
    const auto entries = SetSite::Journal();
    ASSERT_EQ(entries.size(), 1u) << ReadFile(JournalPath());
    EXPECT_EQ(entries[0]["phase"].asString(), "sent");
    EXPECT_EQ(entries[0]["mac"].asString(), SiteMac(1));
    EXPECT_FALSE(entries[0]["id"].asString().empty());
    EXPECT_EQ(entries[0]["changes"]["name"]["new"].asString(), "moved");
    struct stat file {}, folder {};
    ASSERT_EQ(stat(JournalPath().c_str(), &file), 0);
    ASSERT_EQ(stat((dir + "/orvex").c_str(), &folder), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    const auto listed = List({});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("no result (run ended)"), std::string::npos) << listed.out;
}

TEST_F(Journal, TornAndHostileLinesAreSkippedOrEscapedAndNewEntriesStayWhole) {
    fleet.AddCamera(SiteCamera(1, "127.0.0.11"));
    Start();
    const std::string set = "\"action\":\"set\",\"mac\":\"" + SiteMac(9) + "\"";
    WriteJournal("{\"time\":\"2026-01-01T10:00:00Z\"," + set +
                 ",\"changes\":{\"name\":{\"old\":\"a\\u001b[2Jb\",\"new\":\"x\\ny\"}}}\n" +
                 "{\"time\":\"2026-01-02T10:00:00Z\"," + set + ",\"changes\":5}\n" +
                 "{\"time\":\"2026-01-02T11:00:00Z\"," + set + ",\"changes\":{\"ip\":5}}\n" +
                 "{\"time\":\"2026-01-03T10:00:00Z\"," + set + ",\"firmware\":\"text\"}\n" +
                 "[1,2]\n{\"time\":5,\"mac\":{\"x\":1}}\n{\"time\":\"2026-");
    const auto run = Set({"--mac", SiteMac(1), "--name", "after the tear"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines;
    std::ifstream in(JournalPath());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 9u) << ReadFile(JournalPath());
    EXPECT_EQ(lines[6], "{\"time\":\"2026-");
    EXPECT_EQ(ParseJson(lines[7])["phase"].asString(), "sent");
    EXPECT_EQ(ParseJson(lines[8])["phase"].asString(), "result");

    for (const std::string format : {"text", "csv", "json"}) {
        const auto listed = List({"--format", format});
        EXPECT_EQ(listed.status, 0) << format << listed.err;
        EXPECT_NE(listed.err.find("3 line(s) skipped: not journal entries"), std::string::npos)
            << listed.err;
        EXPECT_EQ(listed.out.find('\x1b'), std::string::npos) << format;
        EXPECT_NE(listed.out.find("after the tear"), std::string::npos) << listed.out;
        if (format == "json") {
            EXPECT_EQ(ParseJson(listed.out)["entries"].size(), 5u) << listed.out;
            continue;
        }
        EXPECT_NE(listed.out.find("a\\x1b[2Jb -> x\\ny"), std::string::npos) << listed.out;
        // One line per change (and the header): no value can start a line of its own.
        EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'),
                  format == "csv" ? 6 : 5)
            << listed.out;
    }
    const auto since = List({"--since", "2026-01-02", "--until", "2026-01-02T10:30:00Z",
                             "--format", "csv"});
    EXPECT_EQ(since.status, 0) << since.err;
    EXPECT_EQ(std::count(since.out.begin(), since.out.end(), '\n'), 2) << since.out;
    EXPECT_NE(since.out.find("2026-01-02T10:00:00Z"), std::string::npos) << since.out;
    EXPECT_EQ(List({"--since", "yesterday"}).status, 2);
}

TEST_F(Journal, AJournalPathThatIsNotAFileIsAnErrorNotSilence) {
    mkdir((dir + "/orvex").c_str(), 0700);
    mkdir(JournalPath().c_str(), 0700);
    const auto listed = List({});
    EXPECT_EQ(listed.status, 1);
    EXPECT_NE(listed.err.find(JournalPath() + ": Is a directory"), std::string::npos)
        << listed.err;
}

TEST_F(Journal, AFullDiskRollsBackTheCutEntryAndTheReportSaysItWasNotWritten) {
    fleet.AddCamera(SiteCamera(1, "127.0.0.11"));
    Start();
    // Two pages of journal, all but 100 bytes full, on a file system of two pages.
    const std::string time = "2026-01-01T10:00:00Z";
    const std::size_t line = EntryLine(time, "a").size();
    std::string before;
    while (before.size() + 2 * line < 8092) before += EntryLine(time, "a");
    before += EntryLine(time, "a", 8092 - before.size() - line);
    ASSERT_EQ(before.size(), 8092u);
    orvextest::WriteFile(dir + "/before.jsonl", before);
    const std::string disk = dir + "/disk";
    mkdir(disk.c_str(), 0700);
    const std::string script =
        "mount -t tmpfs -o size=8k tmpfs " + disk + " || exit 99\n" +
        "mkdir -m 700 " + disk + "/orvex && cp " + dir + "/before.jsonl " + disk +
        "/orvex/journal.jsonl\n" + "XDG_STATE_HOME=" + disk + " XDG_RUNTIME_DIR=" + dir +
        " \"$@\" >" + dir + "/report.json 2>" + dir + "/err\n" + "echo $? >" + dir +
        "/status\ncp " + disk + "/orvex/journal.jsonl " + dir + "/after.jsonl\n";
    orvextest::WriteFile(dir + "/full.sh", script);
    std::vector<std::string> args;
    if (geteuid() != 0) args.push_back("--map-root-user");
    args.insert(args.end(), {"--mount", "sh", dir + "/full.sh", ToolPath("ORVEXCTL")});
    const auto set = SetArgs({"--mac", SiteMac(1), "--name", "disk full", "--format", "json"});
    args.insert(args.end(), set.begin(), set.end());
    const auto shell = RunProcess("/usr/bin/unshare", args);
    if (shell.status == 99) GTEST_SKIP() << "no tmpfs can be mounted here: " << shell.err;
    ASSERT_EQ(shell.status, 0) << shell.err;
    EXPECT_EQ(ReadFile(dir + "/status"), "0\n") << ReadFile(dir + "/err");
    EXPECT_EQ(fleet.Camera(0).name, "disk full");  // the change went on
    const std::string after = ReadFile(dir + "/after.jsonl");
    EXPECT_TRUE(after == before) << "nothing torn may be left behind; the file ends: "
                                 << after.substr(after.size() > 300 ? after.size() - 300 : 0);
    const Json::Value rows = ParseJson(ReadFile(dir + "/report.json"))["results"];
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]["journal"].asString().rfind("not written: ", 0), 0u) << rows[0];
    EXPECT_NE(ReadFile(dir + "/err").find("cannot write the change journal"), std::string::npos);
}

TEST_F(Journal, ALargeJournalIsRotatedAndBothFilesAreRead) {
    fleet.AddCamera(SiteCamera(1, "127.0.0.11"));
    Start();
    std::string old;
    while (old.size() <= 1024 * 1024) old += EntryLine("2026-01-01T10:00:00Z", "old", 800);
    WriteJournal(old);
    setenv("ORVEX_JOURNAL_MAX_MB", "1", 1);
    const auto run = Set({"--mac", SiteMac(1), "--name", "rotated", "--format", "json"});
    unsetenv("ORVEX_JOURNAL_MAX_MB");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ParseJson(run.out)["results"][0]["journal"].asString(), "written");
    EXPECT_EQ(ReadFile(dir + "/orvex/journal.1.jsonl"), old);
    EXPECT_EQ(SetSite::Journal().size(), 2u);
    const auto listed = List({"--format", "json"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const Json::Value all = ParseJson(listed.out)["entries"];
    ASSERT_EQ(all.size(), static_cast<Json::ArrayIndex>(std::count(old.begin(), old.end(), '\n') + 1));
    EXPECT_EQ(all[all.size() - 1]["changes"]["name"]["new"].asString(), "rotated");
}

TEST_F(Journal, ThePlanBeforeAChangeUndoesIt) {
    fleet.AddCamera(SiteCamera(1, "127.0.0.11"));
    fleet.AddCamera(SiteCamera(2, "127.0.0.12"));
    Start();
    ASSERT_EQ(Set({"--mac", SiteMac(1), "--ip", "127.0.0.60", "--name", "one"}).status, 0);
    ASSERT_EQ(Set({"--mac", SiteMac(1), "--name", "two"}).status, 0);
    ASSERT_EQ(Set({"--mac", SiteMac(2), "--port", "8080"}).status, 0);
    const auto listed = List({"--format", "json"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const Json::Value changes = ParseJson(listed.out)["entries"];
    ASSERT_EQ(changes.size(), 3u) << listed.out;  // each sent entry paired with its result
    for (const Json::Value& change : changes)
        EXPECT_EQ(change["result"].asString(), "verified") << change;

    const auto undo = List({"--mac", SiteMac(1), "--plan-before", dir + "/undo.json"});
    ASSERT_EQ(undo.status, 0) << undo.err;
    const auto dry = Set({"--plan", dir + "/undo.json", "--dry-run"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    EXPECT_NE(dry.out.find("ip: 127.0.0.60 -> 127.0.0.11"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("name: two -> Cam 1"), std::string::npos) << dry.out;
    ASSERT_EQ(Set({"--plan", dir + "/undo.json"}).status, 0);
    EXPECT_EQ(fleet.Camera(0).ip, "127.0.0.11");
    EXPECT_EQ(fleet.Camera(0).name, "Cam 1");
    EXPECT_EQ(fleet.Camera(1).port, 8080);  // not selected, not undone
}

}  // namespace
