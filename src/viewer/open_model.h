// The open-model flow: a model file read, checked and swapped in as the
// shown model, with the texture group following it; read ahead on another
// thread; and read again after it changed on disk.
#pragma once

#include <future>
#include <string>

#include "mesh/mesh.h"
#include "formats/model_format.h"
#include "viewer/viewer_shell.h"
#include "viewer/viewer_state.h"

// Opens a model file as the Open command does after its dialog: the loader
// is chosen by the format rule (formats/model_format.h); a file of no known
// format asks whether to read it as BIN. A file that can't be loaded is
// reported and the previous model stays. Either way the camera is reset, the
// texture group follows the model and a repaint is requested. A model that
// loads becomes viewer.modelPath (read in viewer.modelFormat), not fitted. Returns the
// load's outcome (cancelled when the user declined or stopped it).
LoadResult OpenModel(Viewer& viewer, const std::string& path, ViewerShell& shell);

// A model file read on another thread while the program does other work
// (a snapshot makes its GL context meanwhile). Only formats with a reader of
// their own that needs no GL are read ahead (BIN): not those whose textures
// load while they are read (texturesWhileReading: XML), nor those the
// import library reads in a forked process, which must not be forked while
// another thread makes the GL context.
class ModelReadAhead {
public:
    // Starts reading path when its format (by the format rule, or BIN for a
    // name no reader claims, as a snapshot answers) can be read ahead.
    ModelReadAhead(const std::string& path, const ReadOptions& options);
    // The open flow of OpenModel, with the model read ahead when it is that
    // path in that format, else read as OpenModel reads it.
    LoadResult Open(Viewer& viewer, ViewerShell& shell);

private:
    struct Read {
        LoadResult result;
        Mesh mesh;
    };
    std::string path_;
    ModelFormat format_ = ModelFormat::Unknown;
    std::future<Read> pending_;
};

// Reads the shown model's file again, in the format it was opened in (no
// question asked), after it changed on disk. The camera, the model's turns,
// the options and the texture mode stay; Fit is applied again if it was on.
// Only the texture group follows the model when Model's Own is checked and
// the new model has no texture of its own. A file that can't be read, or a
// half-written one, leaves the shown model as it was: the result says why
// and nothing is reported through the shell's message box.
LoadResult ReloadModel(Viewer& viewer, ViewerShell& shell);
