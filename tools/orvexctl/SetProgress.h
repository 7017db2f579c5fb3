#pragma once
#include <memory>
#include <string>
#include <vector>

#include "fleet/BatchSet.h"
#include "fleet/ChangeJournal.h"
#include "tools/orvexctl/SetArguments.h"
#include "tools/orvexctl/UpgradeProgress.h"

namespace orvexctl {

// What a set shows and records while it runs, native or ONVIF alike: each change in the
// change journal (before its request leaves, and its result), and progress as upgrade
// shows it (on standard output with text or with a report file, on standard error with
// CSV; a JSON report on standard output stands alone).
class SetProgress {
public:
    // `adapters`: the adapter each job's camera is reached through ("" when unknown).
    SetProgress(const SetArguments& arguments, const std::vector<orvex::SetJob>& jobs,
                std::vector<std::string> adapters);
    // Told by the batch at each step of each camera.
    orvex::BatchSet::Progress Callback();
    void Finish() { m_progress->Finish(); }
    // The report in the format asked for.
    static std::string Report(const SetArguments& arguments, const std::vector<orvex::SetOutcome>& outcomes);

private:
    void Step(std::size_t index, orvex::BatchSet::Step step, orvex::SetOutcome& outcome);

    std::vector<std::string> m_adapters;
    orvex::ChangeJournal m_journal;
    std::vector<std::string> m_ids;  // of each change's journal entries
    bool m_show = false;
    std::unique_ptr<UpgradeProgress> m_progress;
};

}  // namespace orvexctl
