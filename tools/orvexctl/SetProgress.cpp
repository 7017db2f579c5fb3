#include "tools/orvexctl/SetProgress.h"

#include <unistd.h>

#include <iostream>

#include "fleet/SetReport.h"
#include "platform/CodePage.h"

namespace orvexctl {

SetProgress::SetProgress(const SetArguments& a, const std::vector<orvex::SetJob>& jobs,
                         std::vector<std::string> adapters)
    : m_adapters(std::move(adapters)),
      m_journal("orvexctl",
                [](const std::string& message) {
                    std::cerr << "orvexctl: " << message << "; the changes go on unrecorded" << std::endl;
                }),
      m_ids(jobs.size()) {
    std::vector<std::string> labels;
    for (const orvex::SetJob& job : jobs) labels.push_back(orvex::MacText(job.camera.record) + " " + job.before.ip);
    std::FILE* out = !a.output.ToFile() && a.format == Format::kCsv ? stderr : stdout;
    m_show = a.output.ToFile() || a.format != Format::kJson;
    if (a.output.ToFile()) ReportOutput::StandardOutputIsProgressOnly();
    m_progress = std::make_unique<UpgradeProgress>(labels, out, FancyTerminal(fileno(out)));
}

std::string SetProgress::Report(const SetArguments& a, const std::vector<orvex::SetOutcome>& outcomes) {
    if (a.format == Format::kJson) return orvex::SetReport::Json(outcomes);
    if (a.format == Format::kCsv) return orvex::SetReport::Csv(outcomes);
    return orvex::SetReport::Text(outcomes);
}

orvex::BatchSet::Progress SetProgress::Callback() {
    return [this](std::size_t index, orvex::BatchSet::Step step, orvex::SetOutcome& o) { Step(index, step, o); };
}

void SetProgress::Step(std::size_t index, orvex::BatchSet::Step step, orvex::SetOutcome& o) {
    using Step = orvex::BatchSet::Step;
    std::string why;
    if (step == Step::kSending) {
        // On record before anything leaves: a run killed now still shows the change.
        m_ids[index] = orvex::ChangeJournal::NewId();
        const std::string adapter = index < m_adapters.size() ? m_adapters[index] : "";
        const bool written = m_journal.Append(orvex::SetReport::SentEntry(o, adapter, m_ids[index]), &why);
        o.journal = written ? "written" : "not written: " + why;
    }
    if (step == Step::kEnded && !m_ids[index].empty() &&
        !m_journal.Append(orvex::SetReport::ResultEntry(o, m_ids[index]), &why) && o.journal == "written") {
        o.journal = "not written: " + why + " (its result)";
    }
    if (!m_show) return;
    const std::wstring text = step == Step::kSending     ? L"sending the set request"
                              : step == Step::kVerifying ? L"set, waiting for the camera to show it"
                                                         : platform::CodePage::Utf8ToWide(o.verification);
    m_progress->Update(index, static_cast<int>(step) + 1, text, 0, 0, step == Step::kEnded);
}

}  // namespace orvexctl
