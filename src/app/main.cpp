// Tessaview: a viewer for triangle-mesh models.
#include "app/shell/run_viewer.h"

int main(int argc, char** argv) { return RunViewer(argc, argv); }
