// A message sink that keeps every message it is shown.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/message_sink.h"

class RecordingSink : public MessageSink {
public:
    void ShowMessage(std::string_view text, std::string_view caption) override {
        shown.emplace_back(std::string(text), std::string(caption));
    }
    std::vector<std::pair<std::string, std::string>> shown;
};
