#pragma once
#include <cstddef>
#include <functional>
#include <string>

namespace orvex {

// Decodes a body sent with "Transfer-Encoding: chunked" as it arrives, in pieces of any
// size. Memory stays bounded: a chunk-size line longer than 1 KiB is an error.
class ChunkedBody {
public:
    enum class State { kMore, kDone, kError };
    // Receives the decoded bytes; false stops the decoding (the sink's own failure).
    using Sink = std::function<bool(const char* data, std::size_t size)>;

    // Feeds the next received bytes; kDone once the last (zero-size) chunk has arrived.
    // A refusing sink leaves the state kMore and sets SinkRefused().
    State Feed(const char* data, std::size_t size, const Sink& sink);
    bool SinkRefused() const { return m_sinkRefused; }

private:
    enum class Step { kSizeLine, kData, kDataEnd };
    bool TakeSizeLine();

    State m_state = State::kMore;
    Step m_step = Step::kSizeLine;
    std::string m_line;
    unsigned long long m_left = 0;
    bool m_sinkRefused = false;
};

}  // namespace orvex
