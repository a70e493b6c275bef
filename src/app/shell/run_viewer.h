// Runs the windowed viewer until its window is closed; returns the exit status.
#pragma once

int RunViewer(int& argc, char** argv);
