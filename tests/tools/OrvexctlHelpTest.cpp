// orvexctl as command-line tools are used: help for every command from one table that the
// parsers, the manual page and the shell completion agree with; completion driven through
// bash itself; progress without escape sequences off a terminal or with NO_COLOR; --quiet
// and --verbose.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <cctype>
#include <set>
#include <sstream>

#include "tests/support/ProcessRunner.h"
#include "tools/orvexctl/CommandHelp.h"
#include "tools/orvexctl/CommandTable.h"

namespace {

using orvextest::RunProcess;
using orvextest::ToolPath;
using orvexctl::CommandTable;

std::string Source(const std::string& path) {
    std::ifstream in(std::string(ORVEX_SOURCE_DIR) + "/" + path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The "--option" literals of a source file.
std::set<std::string> Literals(const std::string& path) {
    std::set<std::string> found;
    const std::string text = Source(path);
    // "--" and a lower-case letter, then letters, digits and dashes up to the closing quote
    // (std::regex is avoided: GCC 12 warns inside it under the sanitizers).
    for (auto at = text.find("\"--"); at != std::string::npos; at = text.find("\"--", at + 1)) {
        std::size_t end = at + 3;
        if (end >= text.size() || text[end] < 'a' || text[end] > 'z') continue;
        while (end < text.size() && (std::islower(static_cast<unsigned char>(text[end])) ||
                                     std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '-'))
            ++end;
        if (end < text.size() && text[end] == '"') found.insert(text.substr(at + 1, end - at - 1));
    }
    return found;
}

// The parser files of each command, and the shared ones whose options it takes.
const std::map<std::string, std::vector<std::string>> kParsers = {
    {"scan", {"ScanCommand.cpp"}},       {"cgi", {"CgiCommand.cpp"}},
    {"upgrade", {"UpgradeCommand.cpp"}}, {"set-uid", {"SetUidCommand.cpp"}},
    {"set", {"SetArguments.cpp"}},       {"journal", {"JournalCommand.cpp"}},
    {"onvif", {"OnvifCommand.cpp"}}};
const std::set<std::string> kShared = {"--format", "--output", "--password", "--password-file"};

TEST(OrvexctlHelp, TheOptionTableAgreesWithTheParsersTheHelpTheManualAndTheCompletion) {
    const std::string manual = Source("man/orvexctl.1");
    const std::string bash = orvexctl::CommandHelp::Completion("bash");
    const std::string zsh = orvexctl::CommandHelp::Completion("zsh");
    for (const auto& [command, files] : kParsers) {
        const orvexctl::CommandEntry* entry = CommandTable::Find(command);
        ASSERT_NE(entry, nullptr) << command;
        std::set<std::string> parsed;
        for (const std::string& file : files) {
            for (const std::string& o : Literals("tools/orvexctl/" + file)) parsed.insert(o);
        }
        parsed.erase("--help");
        std::set<std::string> listed;
        for (const orvexctl::OptionEntry& o : entry->options) listed.insert(o.name);
        for (const std::string& o : parsed) EXPECT_EQ(listed.count(o), 1u) << command << " parses " << o << " but its help does not name it";
        const auto help = RunProcess(ToolPath("ORVEXCTL"), {command, "--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out, orvexctl::CommandHelp::Of(command));
        EXPECT_EQ(RunProcess(ToolPath("ORVEXCTL"), {"help", command}).out, help.out);
        for (const std::string& o : listed) {
            EXPECT_TRUE(parsed.count(o) || kShared.count(o)) << command << " lists " << o << " that its parser does not take";
            std::string escaped;
            for (const char c : o) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
            EXPECT_NE(manual.find(escaped), std::string::npos) << "orvexctl(1) does not name " << o;
            EXPECT_NE(help.out.find("  " + o), std::string::npos) << command << " --help lacks " << o;
            EXPECT_TRUE(bash.find(" " + o) != std::string::npos || bash.find("\"" + o) != std::string::npos) << "bash completion lacks " << o;
            EXPECT_NE(zsh.find("'*" + o + "["), std::string::npos) << "zsh completion lacks " << o;
        }
    }
    const auto list = RunProcess(ToolPath("ORVEXCTL"), {"--help"});
    EXPECT_EQ(list.status, 0);
    for (const orvexctl::CommandEntry& c : CommandTable::Commands()) EXPECT_NE(list.out.find("  " + c.name + " "), std::string::npos);
    EXPECT_NE(list.out.find("orvexctl help COMMAND"), std::string::npos);
    EXPECT_EQ(RunProcess(ToolPath("ORVEXCTL"), {"help", "frobnicate"}).status, 2);
}

TEST(OrvexctlHelp, BashCompletesCommandsOptionsValuesAndFirmwareFiles) {
    char dir[] = "/tmp/orvex-completion-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string script = std::string(dir) + "/orvexctl";
    const auto written = RunProcess(ToolPath("ORVEXCTL"), {"completion", "bash"});
    ASSERT_EQ(written.status, 0);
    std::ofstream(script) << written.out;
    std::ofstream(std::string(dir) + "/fw.bin") << "x";
    std::ofstream(std::string(dir) + "/notes.txt") << "x";
    const auto complete = [&](const std::string& words, int cword) {
        const auto r = RunProcess("/bin/bash", {"-c", "cd " + std::string(dir) + " && source " + script +
                                                          " && complete -p orvexctl && COMP_WORDS=(" + words +
                                                          ") && COMP_CWORD=" + std::to_string(cword) +
                                                          " && _orvexctl && echo \"${COMPREPLY[*]}\""});
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    };
    EXPECT_NE(complete("orvexctl s", 1).find("complete -F _orvexctl orvexctl\nscan set-uid set\n"), std::string::npos)
        << complete("orvexctl s", 1);
    EXPECT_NE(complete("orvexctl set --ip-r", 2).find("\n--ip-range\n"), std::string::npos);
    EXPECT_NE(complete("orvexctl scan --format ''", 3).find("\ntext csv json\n"), std::string::npos);
    EXPECT_NE(complete("orvexctl set --dhcp ''", 3).find("\non off\n"), std::string::npos);
    EXPECT_NE(complete("orvexctl scan --bind ''", 3).find("127.0.0.1"), std::string::npos);  // a local address
    const std::string firmware = complete("orvexctl upgrade --system ''", 3);
    EXPECT_NE(firmware.find("fw.bin"), std::string::npos) << firmware;
    EXPECT_EQ(firmware.find("notes.txt"), std::string::npos) << firmware;
    EXPECT_NE(complete("orvexctl onvif ''", 2).find("info time-sync reboot"), std::string::npos);
    RunProcess("/bin/rm", {"-rf", dir});
}

TEST(OrvexctlHelp, ProgressIsPlainOffATerminalOrWithNoColorAndQuietOrVerboseOnRequest) {
    setenv("ORVEX_PASSWORD", "x", 1);
    setenv("ORVEX_TIME_SCALE", "20", 1);
    // Nobody answers at this address: the run fails at once, after its progress lines.
    const std::vector<std::string> upgrade = {"upgrade", "--host", "127.0.0.99:8099", "--smart", "--host",
                                              "127.0.0.98:8098"};
    const auto terminal = orvextest::RunOnTerminal(ToolPath("ORVEXCTL"), upgrade, "\x01", "");
    EXPECT_NE(terminal.out.find("\033["), std::string::npos) << "a terminal redraws in place";
    setenv("NO_COLOR", "1", 1);
    const auto noColor = orvextest::RunOnTerminal(ToolPath("ORVEXCTL"), upgrade, "\x01", "");
    unsetenv("NO_COLOR");
    EXPECT_EQ(noColor.out.find('\033'), std::string::npos) << noColor.out;
    EXPECT_NE(noColor.out.find("status 7"), std::string::npos) << noColor.out;
    const auto piped = RunProcess(ToolPath("ORVEXCTL"), upgrade);
    EXPECT_EQ(piped.out.find('\033'), std::string::npos);
    EXPECT_NE(piped.out.find("status"), std::string::npos);

    std::vector<std::string> quiet = upgrade;
    quiet.push_back("--quiet");
    const auto quietRun = RunProcess(ToolPath("ORVEXCTL"), quiet);
    EXPECT_EQ(quietRun.status, piped.status);
    EXPECT_EQ(quietRun.out.find("status -1"), std::string::npos) << quietRun.out;  // no progress
    EXPECT_NE(quietRun.out.find("failed"), std::string::npos) << quietRun.out;     // the report stays
    std::vector<std::string> verbose = upgrade;
    verbose.insert(verbose.begin() + 1, "--verbose");
    EXPECT_NE(RunProcess(ToolPath("ORVEXCTL"), verbose).err.find("trace: "), std::string::npos);
    unsetenv("ORVEX_PASSWORD");
}

}  // namespace
