#include "support/test_environment.h"

#include <cstdlib>

void UseBuiltModules() { setenv("TESSAVIEW_MODULE_DIR", TESSA_BUILD_MODULE_DIR, 0); }
