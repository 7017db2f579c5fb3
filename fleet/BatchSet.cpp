#include "fleet/BatchSet.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>

#include "discovery/DiscoveryCodec.h"
#include "fleet/BatchRunner.h"
#include "fleet/WaveGate.h"
#include "platform/CodePage.h"
#include "resources/StringTable.h"

namespace orvex {
namespace {

using Clock = std::chrono::steady_clock;
using platform::CodePage;

Clock::duration Seconds(double s) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
}

bool Stopping(const SetOptions& o) {
    return o.stop && o.stop->load() != 0;
}

// Sends the request made of `base` until its set reply comes; true when the camera took it.
bool SendAndAwaitReply(const SetJob& job, const DeviceRecord& base, const SetOptions& options,
                       AdapterScan& scan, SetOutcome& outcome, unsigned long* replyMark) {
    DeviceRecord block = base;
    job.after.WriteChanges(job.before, block);
    CodePage::WriteField(block.szUser, sizeof(block.szUser), CodePage::AnsiToWide(options.user));
    CodePage::WriteField(block.szPassword, sizeof(block.szPassword),
                         CodePage::AnsiToWide(options.password));
    const std::string mac = MacText(job.camera.record);
    CameraSightings& sightings = scan.Sightings();
    const unsigned long mark = sightings.Mark();
    const auto deadline = Clock::now() + Seconds(options.replySeconds);
    auto nextSend = Clock::now();
    for (;;) {
        int code = 0;
        if (sightings.SetReplySince(mac, mark, &code, replyMark)) {
            outcome.replied = true;
            outcome.result = code;
            outcome.resultText = BatchSet::ResultText(code);
            return code == kSetSuccess;
        }
        const auto now = Clock::now();
        if (Stopping(options)) {
            outcome.interrupted = true;
            outcome.resultText = "stopped before the camera answered";
            return false;
        }
        if (now >= deadline) break;
        if (now >= nextSend) {
            if (!scan.SendSetRequest(job.camera.source, block)) {
                outcome.resultText = "the search from this camera's adapter is not running";
                return false;
            }
            outcome.sent = true;
            nextSend = now + std::chrono::seconds(1);
        }
        sightings.WaitNews(sightings.Mark(), std::chrono::milliseconds(50));
    }
    char text[96];
    std::snprintf(text, sizeof(text), "no set reply within %g s", options.replySeconds);
    outcome.resultText = text;
    return false;
}

}  // namespace

std::string BatchSet::ResultText(int code) {
    const int id = SetResultTextId(code);
    if (id != 0) return CodePage::WideToUtf8(LoadStringText(id, kLanguageEnglish));
    return "unknown result " + CodeText(code);
}

std::string BatchSet::CodeText(int code) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%X", static_cast<unsigned>(code));
    return text;
}

std::vector<SetOutcome> BatchSet::Run(const std::vector<SetJob>& jobs, const SetOptions& options,
                                      int parallel, AdapterScan& scan, const Progress& progress) {
    std::vector<SetOutcome> outcomes(jobs.size());
    std::mutex progressLock;
    const auto tell = [&](std::size_t i, Step step) {
        std::lock_guard<std::mutex> guard(progressLock);
        if (progress) progress(i, step, outcomes[i]);
    };
    const auto finish = [&](std::size_t i) { tell(i, Step::kEnded); };
    int lastWave = 0;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        outcomes[i].job = jobs[i];
        if (jobs[i].missing) {
            outcomes[i].verification = SetOutcome::kMissing;
            outcomes[i].resultText = "no search found it";
            finish(i);
            continue;
        }
        scan.Sightings().Watch(MacText(jobs[i].camera.record));
        if (jobs[i].Moves()) scan.Sightings().WatchAddress(jobs[i].after.ip);
        if (jobs[i].Unchanged()) {
            outcomes[i].verification = SetOutcome::kUnchanged;
            finish(i);
        }
        lastWave = std::max(lastWave, jobs[i].wave);
    }
    for (int wave = 0; wave <= lastWave && !Stopping(options); ++wave) {
        std::vector<std::size_t> members;
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            if (jobs[i].wave == wave && !jobs[i].Unchanged() && !jobs[i].missing)
                members.push_back(i);
        }
        const std::vector<std::size_t> asked = members;
        WaveGate::Pass(jobs, outcomes, members, scan, options);
        for (std::size_t i : asked) {
            if (std::find(members.begin(), members.end(), i) == members.end()) finish(i);
        }
        if (Stopping(options)) break;
        std::vector<unsigned long> replyMarks(jobs.size(), 0);
        std::vector<Clock::time_point> verifyBy(jobs.size()), started(jobs.size()),
            shownSince(jobs.size());
        std::vector<char> verifying(jobs.size(), 0);  // each worker writes only its own slots
        const auto took = [&](std::size_t i) {
            outcomes[i].seconds = std::chrono::duration<double>(Clock::now() - started[i]).count();
        };
        BatchRunner::Run(members.size(), parallel, options.stop, [&](std::size_t k) {
            const std::size_t i = members[k];
            started[i] = Clock::now();
            tell(i, Step::kSending);
            // A camera's later step starts from the block it showed after the earlier one.
            const int previous = jobs[i].previousStep;
            const DeviceRecord& base =
                previous >= 0 ? outcomes[previous].seenRecord : jobs[i].camera.record;
            if (SendAndAwaitReply(jobs[i], base, options, scan, outcomes[i], &replyMarks[i])) {
                verifyBy[i] = Clock::now() + Seconds(options.verifySeconds);
                verifying[i] = 1;
                tell(i, Step::kVerifying);
                return;
            }
            outcomes[i].verification = SetOutcome::kFailed;
            took(i);
            finish(i);
        });
        // Searches go on meanwhile; every camera that took its settings has to show them,
        // alone on its address for the settle time.
        std::size_t open = 0;
        for (std::size_t i : members) open += verifying[i] ? 1 : 0;
        while (open > 0) {
            const unsigned long mark = scan.Sightings().Mark();
            for (std::size_t i : members) {
                if (!verifying[i]) continue;
                SetOutcome& o = outcomes[i];
                DeviceRecord record;
                if (scan.Sightings().SeenSince(MacText(jobs[i].camera.record), replyMarks[i],
                                               &record)) {
                    if (!o.seen || !o.seenAfter.Shows(jobs[i].after)) shownSince[i] = Clock::now();
                    o.seen = true;
                    o.seenAfter = NetSettings::Of(record);
                    o.seenRecord = record;
                }
                const bool shows = o.seen && o.seenAfter.Shows(jobs[i].after);
                const std::string shared =
                    jobs[i].Moves() ? WaveGate::Occupied(jobs, jobs[i], replyMarks[i], scan, true)
                                    : "";
                const bool settled =
                    shows && Clock::now() - shownSince[i] >= Seconds(options.settleSeconds);
                const bool stop = Stopping(options);
                if (shared.empty() && !settled && !stop && Clock::now() < verifyBy[i]) continue;
                const bool verified = shows && shared.empty();
                o.verification = verified ? SetOutcome::kVerified : SetOutcome::kNotVerified;
                if (!shared.empty()) o.resultText = shared;
                o.interrupted = !verified && stop;
                verifying[i] = 0;
                --open;
                took(i);
                finish(i);
            }
            if (open > 0) scan.Sightings().WaitNews(mark, std::chrono::milliseconds(100));
        }
    }
    return outcomes;
}

}  // namespace orvex
