// Output that appears complete or not at all. Each file is written unnamed
// (O_TMPFILE) in the target's folder and linked into place only once every
// file is written, checked and flushed to disk; where the file system has no
// unnamed files, under a hidden temporary name beside the target instead.
// Writers that add files beside the one named (a .bin next to a .gltf, a .mtl
// next to an .obj) are covered the same way, except that such a companion
// never replaces a file: where its name is taken, nothing is moved into place.
//
// What can be left behind: nothing on a failure, a SIGINT, SIGTERM or SIGHUP
// (while a RemoveStagedFilesOnSignal lives). After a SIGKILL or a power cut:
// nothing where unnamed files are supported, except within the few system
// calls that link the complete target under a hidden name and rename it over
// the target (a complete file named .tessa-*), or that put the companions in
// place just before (complete new companions without their target); with
// named staging, the hidden files written so far.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/file_descriptor.h"
#include "mesh/load_result.h"

// How files are staged: unnamed where the file system allows (the default),
// or named, which is what a file system without unnamed files gets.
enum class Staging { Unnamed, Named };

// One file being written. Every write is checked: after the first that fails
// or comes up short, the file holds the failure and the output is refused.
// Writes straight to path, without staging (callers that must not leave a
// partial file use WriteModel): fill hands the file's bytes to the put it is
// given, and the file is then flushed to disk. False with the reason when the
// file can't be created or fill or a write fails.
bool WriteStraightTo(const std::string& path, const std::function<bool(const BytePut&)>& fill, std::string& error);

class StagedFile {
public:
    // Writes all of bytes at the current position and moves past them.
    bool Write(std::span<const std::uint8_t> bytes);
    bool Seek(std::uint64_t position);
    std::uint64_t Tell() const { return position_; }
    // The bytes written so far: the end of the furthest write.
    std::uint64_t Size() const { return end_; }
    // Why a write failed, naming the file; empty while none has.
    std::string Failure() const;

private:
    friend class StagedOutput;
    StagedFile(std::string name, int fd, std::string tempPath);

    std::string name_;  // the name it will have, beside the target
    FileDescriptor fd_;
    std::string tempPath_;  // named staging only: where it is until it moves
    std::uint64_t position_ = 0;
    std::uint64_t end_ = 0;
    int error_ = 0;  // errno of the first failed write
    int slot_ = -1;  // named staging: its place in the signal handler's table
};

class StagedOutput {
public:
    // Nothing is created until the first Open.
    explicit StagedOutput(const std::filesystem::path& target, Staging staging = Staging::Unnamed);
    // Removes what was staged and not moved into place.
    ~StagedOutput();
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;

    struct Opened {
        StagedFile* file = nullptr;  // owned by the StagedOutput
        std::string reason;          // why not, when file is null
    };
    // A fresh, empty file to be written as path: the target, or a file in its
    // folder. Opening a name again starts that file over.
    Opened Open(const std::filesystem::path& path);

    // Why a file named name can't be written beside the target: its name is
    // taken (by anything, a link to nothing too). Empty when it is free.
    std::string CompanionTaken(const std::string& name) const;

    // Checks every file (each write, then its size on disk), flushes it to
    // disk, moves the companions into place without replacing anything, then
    // the target, which replaces what was there and keeps that file's mode,
    // and flushes the folder. Returns why not; the target's folder is then as
    // it was. Empty on success.
    std::string Commit();

private:
    std::string Finish(StagedFile& file) const;
    std::string TakenReason(const std::string& name) const;
    void Discard(StagedFile& file) const;

    std::filesystem::path target_;
    std::filesystem::path folder_;
    FileDescriptor folderFd_;
    int folderError_ = 0;
    Staging staging_;
    std::vector<std::unique_ptr<StagedFile>> files_;
};

// While one lives, SIGINT, SIGTERM and SIGHUP first remove every file staged
// under a temporary name, then end the program as the signal would have.
// Unnamed files need nothing: the system removes them with the process.
class RemoveStagedFilesOnSignal {
public:
    RemoveStagedFilesOnSignal();
    ~RemoveStagedFilesOnSignal();
    RemoveStagedFilesOnSignal(const RemoveStagedFilesOnSignal&) = delete;
    RemoveStagedFilesOnSignal& operator=(const RemoveStagedFilesOnSignal&) = delete;

private:
    struct Previous;
    std::unique_ptr<Previous> previous_;
};
