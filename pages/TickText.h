#pragma once
#include <memory>
#include <string>

#include "platform/Message.h"
#include "platform/WindowRegistry.h"

namespace orvex {

// A tick's line of text on its way to the window that shows it (message kMsgTickText).
// Posts the line; when the window is gone the line is dropped.
void PostTickText(platform::HWND window, int status, const std::wstring& text);
// The receiver takes the line over.
std::unique_ptr<std::wstring> TakeTickText(const platform::Message& msg);
// Frees the line of a kMsgTickText left queued when its window went away.
void DeleteTickText(const platform::Message& msg);

}  // namespace orvex
