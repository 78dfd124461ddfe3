// A file replaced piece by piece: the old file stays whole until Commit, and
// nothing of a dropped or failed replacement is left in the folder.
#include "platform/files.h"

#include "common/tempdir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

using namespace platform;
using testsupport::ReadAll;
using testsupport::TempDir;
using testsupport::WriteAll;

namespace {

size_t EntriesIn(const std::string& folder) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

}  // namespace

TEST(FileReplacement, TheOldFileStaysUntilCommitAndNothingElseIsLeft) {
    TempDir dir;
    const std::string file = dir.file("Clienti.txt");
    WriteAll(file, "old\r\n");
    ::chmod(file.c_str(), 0640);
    {
        FileReplacement r(file);
        ASSERT_TRUE(r.Write("new 1\r\n"));
        ASSERT_TRUE(r.Write(std::string("new 2\r\n")));
        EXPECT_EQ(ReadAll(file), "old\r\n");  // not yet
        ASSERT_TRUE(r.Commit());
        EXPECT_FALSE(r.Commit());  // once only
    }
    EXPECT_EQ(ReadAll(file), "new 1\r\nnew 2\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);  // the file's own permissions kept
    EXPECT_EQ(EntriesIn(dir.path()), 1u);

    {
        FileReplacement dropped(file);
        ASSERT_TRUE(dropped.Write("half"));
    }
    EXPECT_EQ(ReadAll(file), "new 1\r\nnew 2\r\n");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);

    // A folder that is not there: every step fails and says why.
    FileReplacement nowhere(dir.file("missing/Clienti.txt"));
    errno = 0;
    EXPECT_FALSE(nowhere.Write("x"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(nowhere.Commit());
    EXPECT_EQ(errno, ENOENT);
}
