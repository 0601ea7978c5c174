//===- SafeSaveTest.cpp - Saving never loses the previous file -------------===//
//
// Failures are injected for real: a file-size limit in a forked child makes
// the write come up short, and paths that no user (root included) can
// write to stand in for permission errors.
//
//===----------------------------------------------------------------------===//
#include "TestSupport.h"

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm {
namespace {

namespace fs = std::filesystem;

class SafeSave : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qm-save-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Dir = pattern;
        Target = Dir + "/script.rc";
    }
    void TearDown() override {
        chmod(Target.c_str(), 0644);
        fs::remove_all(Dir);
    }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    void ExpectFailureNaming(const Status& status, const std::string& path) {
        EXPECT_FALSE(status.ok());
        EXPECT_NE(status.message().find(path), std::string::npos) << status.message();
    }

    std::string Dir;
    std::string Target;
};

TEST_F(SafeSave, CreatesAndReplacesLeavingNoTemporaryFile) {
    ASSERT_TRUE(SaveFileSafely(Target, "first\r\n"));
    EXPECT_EQ(*LoadFile(Target), "first\r\n");
    ASSERT_TRUE(SaveFileSafely(Target, std::string("second\0third", 12)));
    EXPECT_EQ(*LoadFile(Target), std::string("second\0third", 12));
    ASSERT_TRUE(SaveFileSafely(Target, ""));
    EXPECT_EQ(*LoadFile(Target), "");
    EXPECT_EQ(Entries(), std::vector<std::string>{"script.rc"});
}

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

TEST_F(SafeSave, RefusesAReadOnlyTarget) {
    ASSERT_TRUE(SaveFileSafely(Target, "keep me"));
    ASSERT_EQ(chmod(Target.c_str(), 0444), 0);
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
