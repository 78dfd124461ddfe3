// Profile files are kept in memory between reads; every read must still see
// the file as it is on disk, whoever changed it and however.
#include "platform/profile.h"

#include "common/tempdir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace platform;
using testsupport::TempDir;
using testsupport::WriteAll;

namespace {

// Waits until files written before are old enough for their copies in
// memory to be used by the next reads.
void LetFilesSettle() { ::usleep((kProfileSettleMs + 100) * 1000); }

timespec MTime(const std::string& path) {
    struct stat st;
    ::stat(path.c_str(), &st);
    return st.st_mtim;
}

void SetMTime(const std::string& path, timespec mtime) {
    timespec times[2] = {mtime, mtime};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Overwrites the file in place, without a new inode.
void WriteInPlace(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

const std::string kBefore = "[Msg]\r\nk=before\r\n";
const std::string kAfter = "[Msg]\r\nk=after!\r\n";  // the same size

struct Change {
    const char* name;
    std::function<void(const std::string&)> apply;
};

std::vector<Change> Changes() {
    return {
        {"in place, same size, the old modification time put back",
         [](const std::string& p) {
             timespec old = MTime(p);
             WriteInPlace(p, kAfter);
             SetMTime(p, old);
         }},
        {"replaced by another file of the same size and time",
         [](const std::string& p) {
             timespec old = MTime(p);
             WriteAll(p + ".new", kAfter);
             SetMTime(p + ".new", old);
             ASSERT_EQ(std::rename((p + ".new").c_str(), p.c_str()), 0);
         }},
        {"in place, same size, at once", [](const std::string& p) { WriteInPlace(p, kAfter); }},
        {"grown in place", [](const std::string& p) { WriteInPlace(p, kAfter + "x=1\r\n"); }},
        {"removed", [](const std::string& p) { ::unlink(p.c_str()); }},
    };
}

// Reads the file twice (the second read from memory), applies the change
// and expects the next reads to see it.
void ExpectChangeSeen(const Change& c, const std::string& file) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(ProfileString("Msg", "k", "", file), "before");
    ASSERT_EQ(ProfileString("msg", "K", "", file), "before");  // from memory now
    c.apply(file);
    std::string expected = testsupport::Exists(file) ? "after!" : "gone";
    EXPECT_EQ(ProfileString("Msg", "k", "gone", file), expected);
    char buf[32] = {};
    GetPrivateProfileStringA("Msg", "k", "gone", buf, sizeof buf, file.c_str());
    EXPECT_EQ(std::string(buf), expected);
}

// The same with a write first: it edits the file as it is now, not the copy
// of before.
void ExpectChangeWritten(const Change& c, const std::string& file) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(ProfileString("Msg", "k", "", file), "before");
    c.apply(file);
    std::string expected = testsupport::Exists(file) ? "after!" : "gone";
    ASSERT_TRUE(WriteProfileString("Msg", "j", "1", file));
    EXPECT_EQ(ProfileString("Msg", "k", "gone", file), expected);
}

}  // namespace

// A file written just before its reads (its times may not show the next
// change) is kept in memory too, and still every change is seen.
TEST(ProfileCache, AChangeToAFileJustWrittenIsSeenByTheNextRead) {
    TempDir dir;
    for (const Change& c : Changes()) {
        const std::string file = dir.file(std::string(c.name) + ".eng");
        WriteAll(file, kBefore);
        ExpectChangeSeen(c, file);
        WriteAll(file, kBefore);
        ExpectChangeWritten(c, file);
    }
}

// One test, so that the files settle once for all of it.
TEST(ProfileCache, AChangeOnDiskOrOurOwnWriteIsSeenByTheNextRead) {
    const std::vector<Change> changes = Changes();
    TempDir dir;
    auto fileOf = [&](const Change& c) { return dir.file(std::string(c.name) + ".eng"); };
    for (const Change& c : changes) WriteAll(fileOf(c), kBefore);
    LetFilesSettle();
    for (const Change& c : changes) ExpectChangeSeen(c, fileOf(c));

    // Our own writes are read back at once, by every kind of read, also from
    // a file whose copy was in memory.
    const std::string file = dir.file("config.ini");
    WriteAll(file, "[Richieste]\r\nR1=*F|\r\n[Other]\r\nx=1\r\n");
    const std::string repeated = dir.file("repeated.ini");
    std::string many;  // a section of many keys has its keys indexed
    for (int n = 0; n < 20; ++n) many += "f" + std::to_string(n) + "=\r\n";
    WriteAll(repeated, "k=outside\r\n[S]\r\nk=first\r\nK=second\r\nbare\r\n" + many +
                           "bare=x\r\nk=last\r\n[s]\r\nk=third\r\nlate=x\r\n");
    LetFilesSettle();
    ASSERT_EQ(ProfileString("Richieste", "R1", "", file), "*F|");
    ASSERT_EQ(ProfileString("Richieste", "R1", "", file), "*F|");
    ASSERT_TRUE(WriteProfileString("Richieste", "R1", "&L|", file));
    EXPECT_EQ(ProfileString("Richieste", "R1", "", file), "&L|");
    ASSERT_TRUE(WriteProfileString("Richieste", "R2", "*G|plu.txt", file));
    EXPECT_EQ(ProfileSection("Richieste", file).size(), 2u);
    ASSERT_TRUE(DeleteProfileKey("Other", "x", file));
    EXPECT_FALSE(ProfileHasKey("Other", "x", file));
    ASSERT_NE(WritePrivateProfileSectionA("Other", "y=2\0", file.c_str()), 0);
    EXPECT_EQ(ProfileInt("Other", "y", 0, file), 2);
    {
        ProfileBatch batch(file);
        ASSERT_TRUE(WriteProfileString("Richieste", "R1", "*Q|", file));
        EXPECT_EQ(ProfileString("Richieste", "R1", "", file), "*Q|");
        ASSERT_TRUE(batch.Commit());
    }
    EXPECT_EQ(ProfileString("Richieste", "R1", "", file), "*Q|");

    // The first of repeated sections and keys wins from memory as from disk.
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        EXPECT_EQ(ProfileString("S", "k", "", repeated), "first");
        EXPECT_EQ(ProfileString("S", "late", "none", repeated), "none");
        EXPECT_EQ(ProfileString("s", "f19", "none", repeated), "");
        EXPECT_FALSE(ProfileHasKey("S", "bare", repeated));
        EXPECT_EQ(ProfileString("", "k", "none", repeated), "none");
    }
}

// Batched writes find a name's first section however the lines before it moved.
TEST(ProfileCache, ABatchOfWritesKeepsFindingTheFirstSectionOfAName) {
    TempDir dir;
    const std::string file = dir.file("batch.ini");
    struct Write {
        const char* section;
        const char* key;  // nullptr: the section is deleted
        const char* value;  // nullptr: the key is deleted
    };
    const struct {
        const char* name;
        std::vector<Write> writes;
        std::string expected;
    } cases[] = {
        {"a key erased before it", {{"A", "k", "2"}, {"B", "x", nullptr}, {"A", "k", "3"}},
         "[B]\r\n[A]\r\nk=3\r\n[A]\r\nk=9\r\n"},
        {"a key inserted before it", {{"A", "k", "2"}, {"B", "y", "1"}, {"a", "k", "3"}},
         "[B]\r\nx=1\r\ny=1\r\n[A]\r\nk=3\r\n[A]\r\nk=9\r\n"},
        {"its own section deleted", {{"A", "k", "2"}, {"A", nullptr, nullptr}, {"A", "k", "3"}},
         "[B]\r\nx=1\r\n[A]\r\nk=3\r\n"},
        {"the section before it deleted", {{"A", "k", "2"}, {"B", nullptr, nullptr}, {"A", "j", "4"}},
         "[A]\r\nk=2\r\nj=4\r\n[A]\r\nk=9\r\n"},
    };
    for (const auto& c : cases) {
        for (bool readFirst : {false, true}) {  // the batch takes the lines of the copy read
            SCOPED_TRACE(c.name + std::string(readFirst ? ", read first" : ""));
            WriteAll(file, "[B]\r\nx=1\r\n[A]\r\nk=1\r\n[A]\r\nk=9\r\n");
            if (readFirst) {
                ASSERT_EQ(ProfileString("a", "K", "", file), "1");
            }
            ProfileBatch batch(file);
            for (const Write& w : c.writes)
                EXPECT_NE(WritePrivateProfileStringA(w.section, w.key, w.value, file.c_str()), 0);
            ASSERT_TRUE(batch.Commit());
            EXPECT_EQ(testsupport::ReadAll(file), c.expected);
        }
    }
}

// An opening reads its file once: a change on disk shows after it ends, a
// write through this layer at once; ProfileBytes gives the bytes as read.
TEST(ProfileCache, AnOpeningReadsItsFileOnce) {
    TempDir dir;
    const std::string file = dir.file("o.ini");
    const std::string mark = "\xEF\xBB\xBF";
    WriteAll(file, mark + kBefore);
    {
        ProfileOpening opening(file);
        ASSERT_EQ(ProfileString("Msg", "k", "", file), "before");
        WriteInPlace(file, mark + kAfter);
        EXPECT_EQ(ProfileString("Msg", "k", "", file), "before");
        EXPECT_EQ(*ProfileBytes(file), mark + kBefore);
        ASSERT_TRUE(WriteProfileString("Msg", "j", "1", file));
        EXPECT_EQ(ProfileString("Msg", "k", "", file), "after!");
        EXPECT_EQ(*ProfileBytes(file), mark + kAfter + "j=1\r\n");
    }
    WriteInPlace(file, mark + kBefore);
    EXPECT_EQ(ProfileString("Msg", "k", "", file), "before");
    EXPECT_EQ(ProfileBytes(dir.file("none.ini")), nullptr);
}
