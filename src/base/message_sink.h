// Where the loaders tell the user about a problem: a modal box in the
// window, standard error in headless mode, a recording in tests.
#pragma once

#include <string_view>

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // One message with its caption (the loaders use the caption "Error").
    virtual void ShowMessage(std::string_view text, std::string_view caption) = 0;
};
