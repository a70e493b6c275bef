// Every key and drag the window answers, in the words Help > Controls
// shows them: one list, so that the help names what the window does.
#pragma once

#include <span>
#include <string_view>

struct ControlHelp {
    std::string_view input;   // the key, keys or drag
    std::string_view action;  // what it does
};

std::span<const ControlHelp> ControlsHelp();
