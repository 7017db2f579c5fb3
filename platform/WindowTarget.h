#pragma once
#include "platform/Message.h"

namespace platform {

// Receiver of the messages addressed to one window handle. OnPost must not block;
// OnSend runs the message synchronously (marshalled to the window's own thread).
class WindowTarget {
public:
    virtual ~WindowTarget() = default;
    virtual void OnPost(const Message& msg) = 0;
    virtual LRESULT OnSend(const Message& msg) = 0;
    // Called once the handle is gone: a target releases anybody waiting on it.
    virtual void OnUnregistered() {}
};

}  // namespace platform
