//===- SafeSavePosixTest.cpp - Saving under failures POSIX can inject -------===//
//
// Failures are injected for real: a file-size limit in a forked child makes
// the write come up short. Modes and symbolic links are POSIX matters too.
//
//===----------------------------------------------------------------------===//
#include "SafeSaveFixture.h"

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm {
namespace {

namespace fs = std::filesystem;

using SafeSave = test::SafeSaveFixture;

TEST_F(SafeSave, KeepsThePermissionsOfTheReplacedFile) {
    ASSERT_TRUE(SaveFileSafely(Target, "old"));
    ASSERT_EQ(chmod(Target.c_str(), 0640), 0);
    ASSERT_TRUE(SaveFileSafely(Target, "new"));
    struct stat info {};
    ASSERT_EQ(stat(Target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(SafeSave, WritesThroughASymbolicLinkAndKeepsIt) {
    const std::string real = Dir + "/real.rc";
    ASSERT_TRUE(SaveFileSafely(real, "old"));
    ASSERT_EQ(symlink(real.c_str(), Target.c_str()), 0);
    ASSERT_TRUE(SaveFileSafely(Target, "new"));
    EXPECT_TRUE(fs::is_symlink(Target));
    EXPECT_EQ(*LoadFile(real), "new");
}

TEST_F(SafeSave, AShortWriteKeepsTheOldFileByteIdentical) {
    const std::string old = "VS_VERSION_INFO     VERSIONINFO\r\n\x01\xFF old contents\r\n";
    ASSERT_TRUE(SaveFileSafely(Target, old));

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Beyond the limit a write fails with EFBIG instead of killing us.
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {8192, 8192};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(3);
        Status status = SaveFileSafely(Target, std::string(4 << 20, 'x'));
        if (status.ok())
            _exit(1);
        _exit(status.message().find(Target) != std::string::npos ? 0 : 2);
    }
    int waitStatus = 0;
    ASSERT_EQ(waitpid(child, &waitStatus, 0), child);
    ASSERT_TRUE(WIFEXITED(waitStatus));
    EXPECT_EQ(WEXITSTATUS(waitStatus), 0) << "1: reported success, 2: message lacks the path";
    EXPECT_EQ(*LoadFile(Target), old);
    EXPECT_EQ(Entries(), std::vector<std::string>{"script.rc"});
}

} // namespace
} // namespace qm
