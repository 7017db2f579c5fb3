#pragma once

namespace orvex {

// Window classes of the trace viewers, tried in this order.
inline constexpr const char* kTraceWinClass = "TraceWin TRACE Window";
inline constexpr const char* kMfxTraceClass = "MfxTraceWindow";
// The copy-data tag of a trace: the bytes "twin" in memory order.
inline constexpr unsigned kTraceTag = 0x6E697774;

// Formats a diagnostic text (at most 1023 characters) and hands it to a running trace
// viewer; with none running it does nothing. Safe from any thread.
void TraceMsg(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Also writes every trace to standard error from now on ("trace: ..."), for orvexctl
// --verbose.
void SetTraceEcho(bool echo);

}  // namespace orvex
