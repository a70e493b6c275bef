// A ViewerShell for tests: records every request and answers from a script.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/viewer_shell.h"

struct ShownMessage {
    std::string text;
    std::string caption;
};

class ScriptedShell : public ViewerShell {
public:
    // Answers, taken in order; an empty script answers No / cancels.
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<std::string>> dialogAnswers;
    // UpdateProgress answers false (cancel) from this call on (1-based); 0: never.
    int cancelAtUpdate = 0;

    std::vector<ShownMessage> messages;
    std::vector<ShownMessage> questions;
    int dialogs = 0;
    int abouts = 0;
    int controls = 0;
    int repaints = 0;
    int quits = 0;
    int progressBegins = 0;
    int progressUpdates = 0;
    int progressEnds = 0;
    std::uint64_t progressTotal = 0;
    std::uint64_t progressDone = 0;

    void ShowMessage(std::string_view text, std::string_view caption) override {
        messages.push_back({std::string(text), std::string(caption)});
    }
    bool AskYesNo(std::string_view text, std::string_view caption) override {
        questions.push_back({std::string(text), std::string(caption)});
        if (yesNoAnswers.empty()) return false;
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    std::optional<std::string> OpenFileDialog() override {
        ++dialogs;
        if (dialogAnswers.empty()) return std::nullopt;
        auto answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer;
    }
    void ShowAbout() override { ++abouts; }
    void ShowControls() override { ++controls; }
    void Repaint() override { ++repaints; }
    void Quit() override { ++quits; }
    void BeginProgress(std::string_view, std::uint64_t total) override {
        ++progressBegins;
        progressTotal = total;
    }
    bool UpdateProgress(std::uint64_t done) override {
        ++progressUpdates;
        progressDone = done;
        return cancelAtUpdate == 0 || progressUpdates < cancelAtUpdate;
    }
    void EndProgress() override { ++progressEnds; }
};
