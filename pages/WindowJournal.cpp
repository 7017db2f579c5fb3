#include "pages/WindowJournal.h"

#include "discovery/DiscoveryCodec.h"
#include "fleet/BatchSet.h"
#include "fleet/NetSettings.h"
#include "fleet/SetReport.h"
#include "fleet/UpgradeReport.h"
#include "pages/WindowSiteLock.h"
#include "platform/CodePage.h"
#include "resources/Resource.h"
#include "ui/UiLanguage.h"
#include "ui/UiServices.h"
#include "upgrade/UpgradeHandle.h"

namespace orvex {

using platform::CodePage;

WindowJournal& WindowJournal::Instance() {
    static WindowJournal journal;
    return journal;
}

WindowJournal::WindowJournal()
    : m_journal("orvex", [this](const std::string& message) {
          if (m_closing || !UiServices::Current()) return;
          UiServices::Current()->MessageBox(
              UiLanguage::Load(IDS_JOURNAL_FAILED) + L"\n" + CodePage::Utf8ToWide(message),
              UiLanguage::Load(IDS_PROMPT), BoxIcon::kWarning);
      }) {}

WindowJournal::~WindowJournal() {
    m_closing = true;
    Flush();
}

void WindowJournal::Flush() {
    for (auto& [mac, pending] : m_pending) {
        if (!pending.written) Write(pending, "no reply", 0);
        WindowSiteLock::Instance().Give("set " + mac);
    }
    m_pending.clear();
}

void WindowJournal::SetSent(const DeviceRecord& camera, const DeviceRecord& block,
                            const std::wstring& adapter) {
    const std::string mac = MacText(camera);
    const Json::Value entry = SetReport::SetRequestEntry(
        mac, NetSettings::Of(camera), NetSettings::Of(block), CodePage::WideToUtf8(adapter));
    const auto earlier = m_pending.find(mac);
    if (earlier != m_pending.end()) {
        if (earlier->second.entry == entry) {
            // Sent again: one change; once answered, no longer awaited.
            if (earlier->second.written) WindowSiteLock::Instance().Give("set " + mac);
            return;
        }
        if (!earlier->second.written) Write(earlier->second, "no reply", 0);
        m_pending.erase(earlier);
    }
    const std::string id = ChangeJournal::NewId();
    Json::Value sent = entry;
    sent["phase"] = "sent";
    sent["id"] = id;
    m_journal.Append(sent);
    m_pending[mac] = {entry, id, std::chrono::steady_clock::now()};
}

void WindowJournal::SetReplied(const DeviceRecord& block, int code) {
    const auto pending = m_pending.find(MacText(block));
    if (pending == m_pending.end() || pending->second.written) return;
    Write(pending->second, code == kSetSuccess ? "success" : "failed", code);
    pending->second.written = true;
    WindowSiteLock::Instance().Give("set " + pending->first);
}

void WindowJournal::Expire() {
    const auto now = std::chrono::steady_clock::now();
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (now - it->second.sent < kReplyWait) {
            ++it;
            continue;
        }
        if (!it->second.written) Write(it->second, "no reply", 0);
        WindowSiteLock::Instance().Give("set " + it->first);
        it = m_pending.erase(it);
    }
}

void WindowJournal::Write(Pending& pending, const char* result, int code) {
    Json::Value entry(Json::objectValue);
    entry["action"] = "set";
    entry["phase"] = "result";
    entry["id"] = pending.id;
    entry["mac"] = pending.entry["mac"];
    entry["result"] = result;
    entry["result_code"] = code != 0 ? BatchSet::CodeText(code) : "";
    entry["result_text"] = code != 0 ? BatchSet::ResultText(code) : "";
    m_journal.Append(entry);
}

std::string WindowJournal::UpgradeStarted(const DeviceRecord& camera, const std::string& firmware,
                                          const FirmwareFile* file) {
    const std::string id = ChangeJournal::NewId();
    Json::Value entry(Json::objectValue);
    entry["action"] = "upgrade";
    entry["phase"] = "sent";
    entry["id"] = id;
    entry["mac"] = MacText(camera);
    entry["ip"] = NetSettings::Of(camera).ip;
    entry["firmware"]["file"] = firmware;
    if (file) UpgradeReport::AddFirmwareFile(entry, *file);
    m_journal.Append(entry);
    return id;
}

void WindowJournal::Upgrade(const DeviceRecord& camera, const std::string& firmware,
                            const std::string& expected, int status, const std::wstring& text,
                            const std::string& id, const std::string& url) {
    Json::Value entry(Json::objectValue);
    entry["action"] = "upgrade";
    entry["phase"] = "result";
    entry["id"] = id;
    entry["mac"] = MacText(camera);
    entry["ip"] = NetSettings::Of(camera).ip;
    entry["firmware"]["file"] = firmware;
    entry["firmware"]["before"] =
        CodePage::WideToUtf8(CodePage::FieldToWide(camera.szVersion, sizeof(camera.szVersion)));
    entry["firmware"]["after"] = expected;
    if (!url.empty()) entry["firmware"]["url"] = url;
    entry["result"] = status == kStatusComplete ? "completed" : "failed";
    entry["result_text"] = CodePage::WideToUtf8(text);
    m_journal.Append(entry);
}

}  // namespace orvex
