// What the viewer's logic needs from the program around it: message boxes,
// the open-file dialog, repainting, quitting and progress for long loads.
// The window implements it with the toolkit; a headless run and the tests
// implement it without one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/message_sink.h"

class ViewerShell : public MessageSink {
public:
    // A question with Yes and No; true for Yes.
    virtual bool AskYesNo(std::string_view text, std::string_view caption) = 0;
    // The path the user picked, or nothing when the dialog was cancelled.
    virtual std::optional<std::string> OpenFileDialog() = 0;
    // The modal About box.
    virtual void ShowAbout() = 0;
    // Every key and drag, in one window (Help > Controls).
    virtual void ShowControls() = 0;
    // A model file was opened and is shown (the window lists it among the recent files).
    virtual void ModelOpened(std::string_view /*path*/) {}
    // The picture changed: draw a frame soon (never draws at once).
    virtual void Repaint() = 0;
    // Ends the program: tear the scene down with the context current, exit with 0.
    virtual void Quit() = 0;

    // A load of total bytes begins; what names the file.
    virtual void BeginProgress(std::string_view what, std::uint64_t total) = 0;
    // done bytes of the load are read; false when the user cancelled it.
    virtual bool UpdateProgress(std::uint64_t done) = 0;
    virtual void EndProgress() = 0;
};
