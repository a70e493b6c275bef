// Main of the tests without GL or a window.
#include <gtest/gtest.h>

#include "support/test_environment.h"

int main(int argc, char** argv) {
    UseBuiltModules();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
