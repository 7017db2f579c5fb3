#include "tools/orvexctl/CgiCommand.h"

#include <cstdio>
#include <iostream>
#include <iterator>
#include <vector>

#include "cgi/CgiOper.h"
#include "platform/CodePage.h"
#include "upgrade/JsonHandle.h"

namespace orvexctl {
namespace {

constexpr const char* kCgiUsage =
    "cgi takes: exec URL | values URL KEY... | upload URL FILE | download URL [--kind 4..8]"
    " (each with [--timeout SECONDS])";
constexpr int kFirmwareBufferSize = 512;

std::string Narrow(const std::wstring& text) {
    return platform::CodePage::WideToOem(text);
}

void PrintResult(int nResult, int contentLen) {
    std::printf("nResult=%d\ncontentLen=%d\n", nResult, contentLen);
}

// The status of a reply that was not 2xx, so that a 404 or a 500 can be told apart.
void PrintHttpStatus(const orvex::CCgiSock& sock) {
    const int status = sock.m_nHttpStatus;
    if (status > 299) std::printf("httpStatus=%d\n", status);
}

void PrintText(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (!text.empty() && text.back() != '\n') std::fputc('\n', stdout);
}

}  // namespace

int RunCgi(const Arguments& all) {
    if (all.size() < 2) return BadArguments(kCgiUsage);
    const std::string verb = all[0];
    const std::string url = all[1];
    std::vector<std::string> rest;
    long timeout = 5;
    long kind = 8;
    for (std::size_t i = 2; i < all.size(); ++i) {
        if (all[i] == "--timeout" || all[i] == "--kind") {
            if (i + 1 >= all.size()) return BadArguments(all[i] + " needs a value");
            const bool isKind = all[i] == "--kind";
            if (isKind && verb != "download") return BadArguments("--kind is for download only");
            if (!ParseInteger(all[i + 1], isKind ? 4 : 1, isKind ? 8 : 3600,
                              isKind ? &kind : &timeout)) {
                return BadArguments(all[i] +
                                    (isKind ? " takes 4 to 8" : " takes 1 to 3600 seconds") +
                                    ", got '" + all[i + 1] + "'");
            }
            ++i;
        } else {
            rest.push_back(all[i]);
        }
    }
    orvex::CCgiOper oper;
    int nResult = 1;
    int contentLen = 0;
    const int seconds = static_cast<int>(timeout);
    if (verb == "exec") {
        if (!rest.empty()) return BadArguments("exec takes only a URL");
        const orvex::BOOL ok = oper.ExecCgiCmd(url.c_str(), seconds, &nResult, &contentLen);
        PrintResult(nResult, contentLen);
        PrintHttpStatus(oper.Sock());
        PrintText(oper.Sock().m_strRecv);
        return ok ? 0 : 1;
    }
    if (verb == "values") {
        if (rest.empty()) return BadArguments("values needs at least one KEY");
        std::vector<std::wstring> keys, values;
        for (const std::string& key : rest) keys.push_back(platform::CodePage::AnsiToWide(key));
        const orvex::BOOL ok =
            oper.GetCgiValues(url.c_str(), seconds, keys, values, &nResult, &contentLen);
        PrintResult(nResult, contentLen);
        PrintHttpStatus(oper.Sock());
        for (std::size_t i = 0; i < values.size(); ++i) {
            std::printf("%s=%s\n", rest[i].c_str(), OneLine(Narrow(values[i])).c_str());
        }
        return ok ? 0 : 1;
    }
    if (verb == "upload") {
        if (rest.size() != 1) return BadArguments("upload takes a URL and one FILE");
        const orvex::BOOL ok =
            oper.UpgradeFile(url.c_str(), seconds, platform::CodePage::AnsiToWide(rest[0]), L"",
                             &nResult, &contentLen);
        PrintResult(nResult, contentLen);
        PrintHttpStatus(oper.Sock());
        PrintText(oper.Sock().m_strRecv);
        return ok ? 0 : 1;
    }
    if (verb == "download") {
        if (!rest.empty()) return BadArguments("download takes a URL and --kind");
        // As the engine asks the firmware server: into a 512-byte buffer that keeps its zero.
        char buffer[kFirmwareBufferSize] = {};
        const orvex::BOOL ok =
            oper.DownloadFile(static_cast<int>(kind), url.c_str(), seconds, 1, L"", buffer,
                              kFirmwareBufferSize - 1, &nResult, &contentLen);
        PrintResult(nResult, contentLen);
        PrintHttpStatus(oper.Sock());
        PrintText(buffer);
        return ok ? 0 : 1;
    }
    return BadArguments("unknown cgi operation '" + verb + "'; " + kCgiUsage);
}

int RunFirmwareDoc(const Arguments& args) {
    if (args.size() > 1) return BadArguments("firmware-doc takes at most one TEXT");
    std::string text;
    if (args.empty()) {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        text = args[0];
    }
    std::wstring name, server, file;
    orvex::CJsonHandle json;
    const orvex::BOOL ok =
        json.ParseFirmwareInfo(platform::CodePage::AnsiToWide(text), name, server, file);
    PrintResult(ok ? 0 : 1, static_cast<int>(text.size()));
    std::printf("name=%s\ndownload_server=%s\ndownload_file=%s\n", OneLine(Narrow(name)).c_str(),
                OneLine(Narrow(server)).c_str(), OneLine(Narrow(file)).c_str());
    return ok ? 0 : 1;
}

}  // namespace orvexctl
