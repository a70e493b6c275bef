// The environment every test program sets up before its tests run.
#pragma once

// Points the program's module loader at the build tree's modules (test
// programs are not installed beside them), unless TESSAVIEW_MODULE_DIR is
// set already. Programs the tests start inherit it.
void UseBuiltModules();
