#pragma once
#include <chrono>
#include <optional>
#include <string>

#include "platform/Types.h"

namespace platform {

// The copy-data message to a window of a given class. A "window of class X" is a Unix
// datagram socket in the abstract namespace named exactly X; one datagram carries
// dwData (4 bytes little-endian), cbData (4 bytes little-endian) and the cbData bytes.
class CopyDataChannel {
public:
    // Sends synchronously; false when no window of that class exists.
    static bool Send(const std::string& className, DWORD dwData, const void* data, DWORD cbData);
};

// The receiving window of one class. Not shared between threads.
class CopyDataListener {
public:
    struct Record {
        DWORD dwData = 0;
        std::string data;
    };

    CopyDataListener() = default;
    ~CopyDataListener();
    CopyDataListener(const CopyDataListener&) = delete;
    CopyDataListener& operator=(const CopyDataListener&) = delete;

    // Claims the class name; false when another window holds it or the socket fails.
    bool Open(const std::string& className);
    void Close();
    // The next record, or nullopt after the real-time time-out (or a malformed datagram).
    std::optional<Record> Receive(std::chrono::milliseconds timeout);

private:
    int m_fd = -1;
};

}  // namespace platform
