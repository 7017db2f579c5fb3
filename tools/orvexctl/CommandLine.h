#pragma once
#include <string>
#include <vector>

namespace orvexctl {

constexpr int kExitBadArguments = 2;

// Prints "orvexctl: message" on standard error and returns exit status 2.
int BadArguments(const std::string& message);
// A whole decimal number within [low, high]; false otherwise.
bool ParseInteger(const std::string& text, long low, long high, long* value);
// Dotted IPv4 text (four numbers 0..255).
bool IsIpv4(const std::string& text);
// Control characters replaced by '?', so one value stays on one output line.
std::string OneLine(const std::string& text);

using Arguments = std::vector<std::string>;

// --quiet: only errors and the final report (no progress); set once, before a command runs.
void SetQuiet(bool quiet);
bool Quiet();
// Whether progress may redraw itself on `out`: a terminal, without NO_COLOR or TERM=dumb.
bool FancyTerminal(int fd);

// The output formats of scan, upgrade and set-uid.
enum class Format { kText, kCsv, kJson };
// Takes "--format text|csv|json" at args[i] (advancing i); false when args[i] is another
// option; a bad value leaves a message in *error.
bool TakeFormatOption(const Arguments& args, std::size_t& i, Format* format, std::string* error);

}  // namespace orvexctl
