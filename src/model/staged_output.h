// Output that appears complete or not at all: the files are written into a
// fresh folder next to the target and renamed into place only once all of
// them are written. Writers that add files beside the one named (a .bin next
// to a .gltf, a .mtl next to an .obj) are covered the same way, except that
// such a companion never replaces a file: where its name is taken, nothing
// is moved into place.
#pragma once

#include <filesystem>
#include <string>

class StagedOutput {
public:
    // Creates the staging folder in target's folder; check Ready().
    explicit StagedOutput(const std::filesystem::path& target);
    // Removes the staging folder with whatever is still in it.
    ~StagedOutput();
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;

    // False (with Error()) when the staging folder could not be created.
    bool Ready() const { return !folder_.empty(); }
    const std::string& Error() const { return error_; }

    // Where the writer puts the target file: its own name, in the staging folder.
    std::string Path() const;
    // Moves every file written into the staging folder next to the target,
    // the target itself last, which replaces what was there. False with the
    // reason when one can't be moved, or when a companion's name is taken
    // beside the target; the target's folder is then as it was.
    bool Commit(std::string& error);

private:
    std::filesystem::path target_;
    std::filesystem::path folder_;
    std::string error_;
};
