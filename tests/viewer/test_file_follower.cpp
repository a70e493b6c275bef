// The window's file follower on its own: one signal for a burst of writes,
// once they pause; one for a file replaced by rename, after which writes in
// place are seen again; none for a file no longer followed.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <string>

#include "app/shell/file_follower.h"
#include "support/temp_dir.h"

namespace {

TEST(FileFollower, OneSignalPerPausedChangeWhetherWrittenInPlaceOrReplaced) {
    const TempDir dir;
    const std::string path = dir.File("model.bin");
    ASSERT_TRUE(WriteFile(path, "first"));
    FileFollower follower;
    QSignalSpy changed(&follower, &FileFollower::changed);
    EXPECT_TRUE(follower.Follow(QString::fromStdString(path)));
    EXPECT_EQ(follower.File(), QString::fromStdString(std::filesystem::absolute(path).string()));
    EXPECT_FALSE(follower.Follow(QString::fromStdString(path)));  // followed already

    // Three writes in a row, in place: one signal, a quarter second after them.
    QElapsedTimer clock;
    clock.start();
    for (const char* text : {"a", "ab", "abc"}) ASSERT_TRUE(WriteFile(path, text));
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_GE(clock.elapsed(), 200);  // a coarse timer may fire a little early, never this early
    QTest::qWait(600);
    EXPECT_EQ(changed.count(), 1);

    // Replaced by rename, as exporters save: seen, and so are writes in place to the new file.
    for (const bool renamed : {true, false}) {
        SCOPED_TRACE(renamed ? "replaced by rename" : "written in place after that");
        changed.clear();
        if (renamed) {
            ASSERT_TRUE(WriteFile(path + ".tmp", "second"));
            std::filesystem::rename(path + ".tmp", path);
        } else {
            ASSERT_TRUE(WriteFile(path, "third"));
        }
        ASSERT_TRUE(changed.wait(5000));
        QTest::qWait(400);
        EXPECT_EQ(changed.count(), 1);
    }

    // Followed no more: a change goes unnoticed.
    EXPECT_TRUE(follower.Follow(QString()));
    EXPECT_TRUE(follower.File().isEmpty());
    changed.clear();
    ASSERT_TRUE(WriteFile(path, "later"));
    QTest::qWait(600);
    EXPECT_EQ(changed.count(), 0);
}

}  // namespace
