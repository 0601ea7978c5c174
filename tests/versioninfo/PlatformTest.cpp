//===- PlatformTest.cpp - The platform layer's file operations -------------===//
//
// The same contracts on every system; the Windows build runs them under wine
// against the *_win32.cpp sources.
//
//===----------------------------------------------------------------------===//
#include "LogHold.h"
#include "TestSupport.h"

#include "platform/Files.h"
#include "platform/LogLock.h"
#include "platform/ShortPath.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace qm {
namespace {

namespace fs = std::filesystem;

using PlatformFiles = test::TempFolderTest;

void WriteAndClose(const Expected<std::FILE*>& file, const char* text) {
    ASSERT_TRUE(file) << file.message();
    std::fputs(text, *file);
    EXPECT_EQ(std::fclose(*file), 0);
}

TEST_F(PlatformFiles, CreateExclusiveNeverOpensAnExistingFile) {
    const std::string path = Dir + "/new.txt";
    WriteAndClose(platform::CreateExclusive(path), "first");
    EXPECT_EQ(platform::CreateExclusive(path).kind(), ErrorKind::Refused);
    EXPECT_EQ(*LoadFile(path), "first");
}

TEST_F(PlatformFiles, OpenExistingForUpdateNeitherCreatesNorTruncates) {
    const std::string path = Dir + "/file.txt";
    EXPECT_EQ(platform::OpenExistingForUpdate(path).kind(), ErrorKind::Io);
    EXPECT_FALSE(fs::exists(path));
    WriteAndClose(platform::CreateExclusive(path), "kept");
    Expected<std::FILE*> file = platform::OpenExistingForUpdate(path);
    ASSERT_TRUE(file);
    std::fclose(*file);
    EXPECT_EQ(*LoadFile(path), "kept");
}

TEST_F(PlatformFiles, RenameOverReplacesTheTarget) {
    const std::string from = Dir + "/from.txt";
    const std::string to = Dir + "/to.txt";
    WriteAndClose(platform::CreateExclusive(from), "new");
    WriteAndClose(platform::CreateExclusive(to), "old");
    ASSERT_TRUE(platform::RenameOver(platform::NativePath(from), platform::NativePath(to)));
    EXPECT_EQ(*LoadFile(to), "new");
    EXPECT_FALSE(fs::exists(from));
    EXPECT_FALSE(platform::RenameOver(platform::NativePath(from), platform::NativePath(to)));
}

TEST_F(PlatformFiles, ShortPathNamesTheSameFolderOrNothing) {
    EXPECT_EQ(platform::ShortPath(Dir + "/missing"), "");
    EXPECT_EQ(platform::ShortPath(""), "");
    const std::string folder = Dir + "/A folder with a long name";
    ASSERT_TRUE(fs::create_directory(folder));
    const std::string shortForm = platform::ShortPath(folder);
    ASSERT_FALSE(shortForm.empty());
    EXPECT_TRUE(fs::equivalent(platform::NativePath(shortForm), platform::NativePath(folder)))
        << shortForm;
}

// The log is shown only once the run has let go of it; until then, and for
// anything but a regular file, there is nothing to show.
TEST_F(PlatformFiles, ReadReleasedLogWaitsForTheRunToLetGo) {
    const std::string log = Dir + "/Quillmark.log";
    EXPECT_FALSE(platform::ReadReleasedLog(log));
    EXPECT_FALSE(platform::ReadReleasedLog(Dir));
    {
        test::LogHold run(log);
        ASSERT_TRUE(run.Held());
        run.Write("compiling\r\n");
        EXPECT_FALSE(platform::ReadReleasedLog(log));
        run.Write("done\r\n");
    }
    EXPECT_EQ(platform::ReadReleasedLog(log), std::optional<std::string>("compiling\r\ndone\r\n"));
}

} // namespace
} // namespace qm
