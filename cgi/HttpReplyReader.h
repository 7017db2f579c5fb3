#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "cgi/ChunkedBody.h"
#include "cgi/HttpHead.h"

namespace orvex {

// Reads one HTTP reply from a connected socket: the header whole, then the body as its
// framing says (Content-Length bytes, chunks up to the last one, or up to the peer's
// close), handing the body to a sink. The one reader of the three exchanges.
// Thread safety: runs on the exchange's thread; the abort flag may be set from any thread
// (the owner also shuts the socket down, which wakes the wait at once).
class HttpReplyReader {
public:
    // Outcomes; the positive ones are the transport's result codes.
    enum Outcome : int {
        kComplete = 0,
        kNoReply = 8,       // time-out (or abort) before the reply was whole
        kAborted = 12,      // aborted after the header had arrived
        kCut = 13,          // receive error, or the peer closed before the end
        kBadReply = 14,     // no header end, no status line, bad length or chunk framing
        kSinkRefused = -2,  // the sink refused body bytes (its own failure)
    };
    using Sink = ChunkedBody::Sink;

    HttpReplyReader(int socket, const std::atomic<std::uint8_t>& abort)
        : m_socket(socket), m_abort(abort) {}

    // Waits at most `timeoutSeconds` clock seconds: from the start, or since the last byte
    // when `idle` is set. A header that arrived with some body bytes but neither a length,
    // nor chunks, nor a close is complete when the time is up (traced).
    int Read(int timeoutSeconds, bool idle, const Sink& sink);

    const HttpHead& Head() const { return m_head; }
    // The final reply's header text, through its empty line (interim 1xx replies dropped).
    const std::string& HeadText() const { return m_headText; }
    long long BodyBytes() const { return m_body; }

private:
    // Takes header bytes; kMore while the header is incomplete, else an outcome.
    int TakeHeaderBytes(const char* data, std::size_t size, const Sink& sink);
    // Takes body bytes; -1 while the body goes on, else an outcome.
    int TakeBodyBytes(const char* data, std::size_t size, const Sink& sink);
    int AtTimeOut();
    int AtClose() const;
    bool CloseDelimited() const {
        return !m_head.chunked && m_head.contentLength < 0 && !m_head.Bodyless();
    }

    static constexpr int kMore = -1;
    int m_socket;
    const std::atomic<std::uint8_t>& m_abort;
    HttpHead m_head;
    std::string m_headText;
    bool m_headDone = false;
    ChunkedBody m_chunks;
    long long m_body = 0;
};

}  // namespace orvex
