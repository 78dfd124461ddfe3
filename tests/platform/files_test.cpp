#include "platform/files.h"

#include "common/tempdir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "common/child_process.h"

using namespace platform;
using testsupport::ReadAll;
using testsupport::TempDir;
using testsupport::WriteAll;

TEST(Files, JoinPath) {
    struct Case {
        const char* a;
        const char* b;
        const char* expected;
    } cases[] = {
        {"/base", "Cassa1", "/base/Cassa1"},
        {"/base/", "Cassa1", "/base/Cassa1"},
        {"/base", "/Cassa1", "/base/Cassa1"},
        {"/base", "Cassa1\\Cassa.txt", "/base/Cassa1/Cassa.txt"},
        {"", "x.txt", "x.txt"},
        {"/base", "", "/base"},
        {"/", "etc", "/etc"},
    };
    for (const Case& c : cases) EXPECT_EQ(JoinPath(c.a, c.b), c.expected) << c.a << " + " << c.b;
}

TEST(Files, ResolvePathFallsBackToCaseInsensitiveMatch) {
    TempDir dir;
    ASSERT_TRUE(MakeDir(dir.file("Cassa1")));
    WriteAll(dir.file("Cassa1/PLU.txt"), "x");
    const std::string base = dir.path() + "/";
    struct Case {
        std::string in;
        std::string expected;
    } cases[] = {
        {base + "Cassa1/PLU.txt", base + "Cassa1/PLU.txt"},     // exact
        {base + "CASSA1/plu.TXT", base + "Cassa1/PLU.txt"},     // every component
        {base + "cassa1/New.txt", base + "Cassa1/New.txt"},     // new file in an existing folder
        {base + "nope/plu.txt", base + "nope/plu.txt"},         // nothing below a missing folder
        {base + "cassa1", base + "Cassa1"},
    };
    for (const Case& c : cases) EXPECT_EQ(ResolvePath(c.in), c.expected) << c.in;
    EXPECT_TRUE(FileExists(base + "cassa1/plu.txt"));
    EXPECT_FALSE(FileExists(base + "cassa1"));
    EXPECT_TRUE(DirExists(base + "CASSA1"));
    EXPECT_EQ(FileSize(base + "CASSA1/Plu.txt"), 1);
    EXPECT_EQ(FileSize(base + "missing"), -1);
}

TEST(Files, WholeFileHelpers) {
    TempDir dir;
    std::string f = dir.file("a/b/c.txt");
    EXPECT_FALSE(WriteFile(f, "x"));  // the folder is not there
    ASSERT_TRUE(MakeDir(dir.file("a/b")));
    EXPECT_TRUE(MakeDir(dir.file("A/B")));  // exists already, in another case
    std::string bytes("one\0two\r\n", 9);
    ASSERT_TRUE(WriteFile(f, bytes));
    EXPECT_EQ(ReadAll(f), bytes);
    ASSERT_TRUE(AppendFile(f, "3"));
    ASSERT_TRUE(AppendFile(dir.file("new.log"), "n"));
    EXPECT_EQ(ReadAll(dir.file("new.log")), "n");
    std::string back;
    ASSERT_TRUE(ReadFile(dir.file("A/B/C.TXT"), back));
    EXPECT_EQ(back, bytes + "3");
    EXPECT_FALSE(ReadFile(dir.file("missing"), back));

    chmod(f.c_str(), 0640);
    ASSERT_TRUE(WriteFile(f, "new"));
    struct stat st;
    ASSERT_EQ(stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);  // replacing keeps the permissions

    ASSERT_TRUE(CopyFileTo(f, dir.file("copy.txt")));
    EXPECT_EQ(ReadAll(dir.file("copy.txt")), "new");
    ASSERT_TRUE(RenameFile(dir.file("COPY.txt"), dir.file("moved.txt")));
    EXPECT_EQ(ReadAll(dir.file("moved.txt")), "new");
    EXPECT_TRUE(RemoveFile(dir.file("MOVED.TXT")));
    EXPECT_FALSE(testsupport::Exists(dir.file("moved.txt")));
    EXPECT_TRUE(RemoveFile(dir.file("moved.txt")));  // already gone
}

TEST(Files, RecordFileByteExact) {
    TempDir dir;
    std::string f = dir.file("rec.txt");
    RecordFile rf;
    ASSERT_FALSE(rf.Open(f, 6, false));  // missing, not created
    ASSERT_TRUE(rf.Open(f, 6));
    EXPECT_EQ(rf.Count(), 0);
    std::string rec;
    EXPECT_FALSE(rf.Read(1, rec));
    EXPECT_TRUE(rf.Write(1, "abc"));          // padded
    EXPECT_TRUE(rf.Write(2, "123456789"));    // cut
    EXPECT_TRUE(rf.Write(4, "four\r\n"));      // past the end: record 3 becomes blanks
    EXPECT_FALSE(rf.Write(0, "zero"));
    EXPECT_EQ(rf.Count(), 4);
    EXPECT_EQ(ReadAll(f), "abc   123456      four\r\n");
    ASSERT_TRUE(rf.Read(2, rec));
    EXPECT_EQ(rec, "123456");
    EXPECT_FALSE(rf.Read(5, rec));
    EXPECT_TRUE(rf.Write(1, "ABCDEF"));
    EXPECT_TRUE(rf.Truncate(2));
    rf.Close();
    EXPECT_EQ(ReadAll(f), "ABCDEF123456");

    // A short last record is not counted but reads padded with blanks.
    WriteAll(f, "ABCDEF12");
    ASSERT_TRUE(rf.Open(dir.file("REC.TXT"), 6));
    EXPECT_EQ(rf.Count(), 1);
    ASSERT_TRUE(rf.Read(2, rec));
    EXPECT_EQ(rec, "12    ");
    EXPECT_TRUE(rf.Write(3, "x"));
    EXPECT_EQ(ReadAll(f), "ABCDEF12    x     ");
}

// One holder at a time; the next one learns who holds it; no stale file keeps a folder held.
TEST(Files, FolderLockHasOneHolderAtATime) {
    TempDir dir;
    std::string holder;
    FolderLock first, second;
    ASSERT_EQ(first.Hold(dir.path(), "4242 ecrprog /r:**", holder), FolderLock::Result::Held);
    EXPECT_EQ(second.Hold(dir.path(), "4343 ecrprog", holder), FolderLock::Result::Busy);
    EXPECT_EQ(holder, "4242 ecrprog /r:**");
    EXPECT_FALSE(second.IsHeld());
    first.Release();
    EXPECT_EQ(second.Hold(dir.path(), "4343", holder), FolderLock::Result::Held);
    // The new holder's words replace the old ones whole.
    EXPECT_EQ(ReadAll(dir.file(kFolderLockFile)), "4343");
    EXPECT_EQ(first.Hold(dir.file("missing"), "x", holder), FolderLock::Result::Failed);
}

// A lock file this user cannot write still takes and holds the lock (as root the other user is nobody).
TEST(Files, FolderLockHoldsForAUserWhoCannotWriteItsFile) {
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    const std::string me = "pid " + std::to_string(::getpid()) + ": ecrprog /r:**";
    FolderLock mine;
    std::string holder;
    ASSERT_EQ(mine.Hold(dir.path(), me, holder), FolderLock::Result::Held);
    ASSERT_EQ(::chmod(dir.file(kFolderLockFile).c_str(), 0444), 0);
    // The other user's Hold in a child: result*2 (+1 if the holder seen differs), 10 if EACCES.
    auto asOther = [](const std::string& folder, const std::string& expectHolder, const int* ready = nullptr,
                      const int* done = nullptr) {
        return childtest::Start([=] {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 99;
            FolderLock other;
            std::string seen;
            const FolderLock::Result r = other.Hold(folder, "pid 1: other", seen);
            if (r == FolderLock::Result::Failed) return 10 + (errno == EACCES ? 0 : 1);
            char c = 0;
            if (ready && (::write(ready[1], &c, 1) != 1 || ::read(done[0], &c, 1) != 1)) return 98;
            return static_cast<int>(r) * 2 + (seen == expectHolder ? 0 : 1);
        });
    };
    // Held here: the other user is refused, told who holds it.
    EXPECT_EQ(childtest::Wait(asOther(dir.path(), me)), static_cast<int>(FolderLock::Result::Busy) * 2);
    mine.Release();
    // Held by the other user read-only: refused here, the old holder's words not named.
    int ready[2], done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    const pid_t child = asOther(dir.path(), "", ready, done);
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(mine.Hold(dir.path(), me, holder), FolderLock::Result::Busy);
    EXPECT_EQ(holder, "");
    ASSERT_EQ(::write(done[1], &c, 1), 1);
    EXPECT_EQ(childtest::Wait(child), static_cast<int>(FolderLock::Result::Held) * 2);
    for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
    // A folder the other user may not write, without a lock file: no lock.
    const std::string closed = dir.file("closed");
    ASSERT_EQ(::mkdir(closed.c_str(), 0555), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chmod(closed.c_str(), 0755), 0);
    }
    EXPECT_EQ(childtest::Wait(asOther(closed, "")), 10);
}
