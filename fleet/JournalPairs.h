#pragma once
#include <json/json.h>

#include <functional>
#include <list>
#include <map>
#include <string>

namespace orvex {

// Turns journal entries, in the order written, into one entry per change: a "sent" entry
// with the "result" entry of the same id (its result fields taken over), an entry of
// one piece as it stands. A change whose result never came (the run was killed) is given
// the result "no result (run ended)" at the end. Only changes awaiting their result are
// held, and at most a bounded number of them.
class JournalPairs {
public:
    static constexpr const char* kNoResult = "no result (run ended)";
    using Emit = std::function<void(const Json::Value& change)>;

    explicit JournalPairs(Emit emit) : m_emit(std::move(emit)) {}
    void Add(Json::Value entry);
    // Emits the changes still awaiting a result.
    void Finish();

private:
    void EmitUnanswered(std::list<Json::Value>::iterator it);

    Emit m_emit;
    std::list<Json::Value> m_waiting;  // in the order sent
    std::map<std::string, std::list<Json::Value>::iterator> m_byId;
};

}  // namespace orvex
