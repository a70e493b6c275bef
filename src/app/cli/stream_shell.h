// The ViewerShell of a run without a window: every message the window would
// show in a box is written to a stream as "caption: text", and counted, so
// that the run can fail when anything could not be loaded.
#pragma once

#include <ostream>

#include "viewer/viewer_shell.h"

class StreamShell : public ViewerShell {
public:
    explicit StreamShell(std::ostream& err) : err_(err) {}

    // Messages shown so far (every one of them reports a problem).
    int Messages() const { return messages_; }

    void ShowMessage(std::string_view text, std::string_view caption) override;
    // Written as "warning: text" and not counted: the picture shows the
    // model without what the warning names, as the window does.
    void ShowWarning(std::string_view text, std::string_view caption) override;
    // Nobody is there to answer: Yes, so that a model with an unknown
    // extension is read as BIN (a file that isn't one is then refused).
    bool AskYesNo(std::string_view text, std::string_view caption) override;
    std::optional<std::string> OpenFileDialog() override { return std::nullopt; }
    void ShowAbout() override {}
    void ShowControls() override {}
    void Repaint() override {}
    void Quit() override {}
    void BeginProgress(std::string_view, std::uint64_t) override {}
    bool UpdateProgress(std::uint64_t) override { return true; }
    void EndProgress() override {}

private:
    std::ostream& err_;
    int messages_ = 0;
};
