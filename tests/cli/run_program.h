// Runs a program as a child process and collects what it wrote.
#pragma once

#include <string>
#include <vector>

struct ProgramResult {
    int status = -1;  // exit status; 128 + signal number when killed
    std::string out;  // standard output
    std::string err;  // standard error
};

// args[0] is the program's path. workDir empty: the test's own directory.
ProgramResult RunProgram(const std::vector<std::string>& args, const std::string& workDir = {});
