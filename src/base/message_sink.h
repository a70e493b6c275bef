// Where the loaders tell the user about a problem: a modal box in the
// window, standard error in headless mode, a recording in tests.
#pragma once

#include <string_view>

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // One message with its caption (the loaders use the caption "Error").
    virtual void ShowMessage(std::string_view text, std::string_view caption) = 0;
    // Something left out of what is shown (a texture that didn't load, a
    // file the model refers to that was not read): the window shows it as
    // any message; a headless run reports it and goes on.
    virtual void ShowWarning(std::string_view text, std::string_view caption) { ShowMessage(text, caption); }
};
