// The recent-files list: newest first, each file once, ten at most.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "viewer/recent_files.h"

namespace {

TEST(RecentFiles, NewestFirstEachOnceTenAtMost) {
    std::vector<std::string> list;
    AddRecentFile(list, "/a.bin");
    AddRecentFile(list, "/b.xml");
    EXPECT_EQ(list, (std::vector<std::string>{"/b.xml", "/a.bin"}));
    // Opened again, a file moves to the front and is not listed twice.
    AddRecentFile(list, "/a.bin");
    EXPECT_EQ(list, (std::vector<std::string>{"/a.bin", "/b.xml"}));

    for (int i = 0; i < 12; ++i) AddRecentFile(list, "/m" + std::to_string(i) + ".ply");
    ASSERT_EQ(list.size(), 10u);
    EXPECT_EQ(list.front(), "/m11.ply");
    EXPECT_EQ(list.back(), "/m2.ply");

    DropRecentFile(list, "/m5.ply");
    EXPECT_EQ(list.size(), 9u);
    EXPECT_EQ(std::count(list.begin(), list.end(), "/m5.ply"), 0);
    DropRecentFile(list, "/not-listed.bin");
    EXPECT_EQ(list.size(), 9u);
}

}  // namespace
