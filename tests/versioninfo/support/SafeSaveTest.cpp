//===- SafeSaveTest.cpp - Saving never loses the previous file -------------===//
//
// What holds on every platform; SafeSavePosixTest.cpp adds the failures that
// only POSIX can inject (a file-size limit, modes, symbolic links).
//
//===----------------------------------------------------------------------===//
#include "SafeSaveFixture.h"

#include "platform/Files.h"
#include "platform/Process.h"

#include <filesystem>

namespace qm {
namespace {

namespace fs = std::filesystem;

using SafeSave = test::SafeSaveFixture;

TEST_F(SafeSave, CreatesAndReplacesLeavingNoTemporaryFile) {
    ASSERT_TRUE(SaveFileSafely(Target, "first\r\n"));
    EXPECT_EQ(*LoadFile(Target), "first\r\n");
    ASSERT_TRUE(SaveFileSafely(Target, std::string("second\0third", 12)));
    EXPECT_EQ(*LoadFile(Target), std::string("second\0third", 12));
    ASSERT_TRUE(SaveFileSafely(Target, ""));
    EXPECT_EQ(*LoadFile(Target), "");
    EXPECT_EQ(Entries(), std::vector<std::string>{"script.rc"});
}

// The temporary file is created exclusively: a file that already has its
// name (another program's, or one left by a crash) is neither reused nor
// overwritten. Copies left by a writer that is gone are cleared by the
// next save; the name says what they are and whose they were.
TEST_F(SafeSave, NeverTakesOverATemporaryNameAndClearsThoseOfEndedWriters) {
    ASSERT_TRUE(SaveFileSafely(Target, "old"));
    const std::string own =
        ".script.rc.quillmark-save-" + std::to_string(platform::CurrentProcessId()) + ".tmp";
    const std::string ended = ".script.rc.quillmark-save-99999999.tmp";
    const std::string other = ".other.rc.quillmark-save-99999999.tmp";
    for (const std::string& name : {own, ended, other})
        ASSERT_TRUE(SaveFileSafely(Dir + "/" + name, "not ours"));
    ASSERT_TRUE(SaveFileSafely(Target, "new"));
    EXPECT_EQ(*LoadFile(Target), "new");
    EXPECT_EQ(*LoadFile(Dir + "/" + own), "not ours");
    EXPECT_EQ(Entries(), (std::vector<std::string>{other, own, "script.rc"}));
}

TEST_F(SafeSave, RefusesAReadOnlyTarget) {
    ASSERT_TRUE(SaveFileSafely(Target, "keep me"));
    fs::permissions(Target,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ExpectFailureNaming(SaveFileSafely(Target, "replacement"), Target);
    EXPECT_EQ(*LoadFile(Target), "keep me");
    EXPECT_EQ(Entries(), std::vector<std::string>{"script.rc"});
}

TEST_F(SafeSave, FailsForPathsThatCannotExist) {
    const std::string missing = Dir + "/no/such/folder/x.rc";
    ExpectFailureNaming(SaveFileSafely(missing, "x"), missing);

    // A regular file cannot hold a folder, whatever the user's rights.
    ASSERT_TRUE(SaveFileSafely(Target, "plain"));
    const std::string underFile = Target + "/x.rc";
    ExpectFailureNaming(SaveFileSafely(underFile, "x"), underFile);

    fs::create_directory(Dir + "/folder");
    ExpectFailureNaming(SaveFileSafely(Dir + "/folder", "x"), Dir + "/folder");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"folder", "script.rc"}));
    EXPECT_EQ(*LoadFile(Target), "plain");
}

// Path bytes are the system's: on Windows ANSI code page bytes, which the
// standard library alone would take for UTF-8.
TEST_F(SafeSave, SavesAndLoadsUnderANonAsciiName) {
    const fs::path wide = fs::u8path(u8"caf\u00e9 \u20ac.rc");
    const std::string name = platform::PathBytes(wide);
    if (platform::NativePath(name) != wide)
        GTEST_SKIP() << "the system's code page holds no e-acute or euro sign";
    const std::string path = Dir + "/" + name;
    ASSERT_TRUE(SaveFileSafely(path, "x"));
    ASSERT_TRUE(SaveFileSafely(path, "y"));
    EXPECT_EQ(*LoadFile(path), "y");
    EXPECT_TRUE(fs::is_regular_file(fs::path(Dir) / wide));
    EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(SafeSave, LoadFileNamesWhatCannotBeRead) {
    Expected<std::string> missing = LoadFile(Dir + "/absent.rc");
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.message().find(Dir + "/absent.rc"), std::string::npos);
    Expected<std::string> folder = LoadFile(Dir);
    EXPECT_FALSE(folder.ok());
    EXPECT_NE(folder.message().find(Dir), std::string::npos);
}

} // namespace
} // namespace qm
