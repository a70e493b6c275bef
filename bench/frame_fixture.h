// A headless 800 x 600 context with the viewer set up as the window sets it
// up, the given model opened through the viewer's open flow, and the bare
// draw of the same mesh with the same state for comparison.
#pragma once

#include <memory>
#include <string>

class HeadlessContext;
struct Viewer;

class FrameFixture {
public:
    // Null with error filled when there is no context or the model fails.
    static std::unique_ptr<FrameFixture> Create(const std::string& modelPath, std::string& error);
    ~FrameFixture();
    FrameFixture(const FrameFixture&) = delete;
    FrameFixture& operator=(const FrameFixture&) = delete;

    // The viewer's frame, then glFinish so that the drawing itself is timed.
    void ViewerFrame();
    // Prepares the bare loop's state: the frame's matrices, texture and
    // coordinate generation, and the client arrays, set once.
    void BeginBareFrames();
    // glClear and the one glDrawElements of the mesh, then glFinish.
    void BareFrame();
    void EndBareFrames();

private:
    FrameFixture();
    std::unique_ptr<HeadlessContext> context_;
    std::unique_ptr<Viewer> viewer_;
};
