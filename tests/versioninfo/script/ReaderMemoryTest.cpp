//===- ReaderMemoryTest.cpp - Reading stays within ten times the input ----===//
//
// Each read runs in a forked child whose address space is capped at what
// it already uses plus ten times the input: running out of memory there
// shows as a read that failed. Sanitizer builds reserve address space of
// their own, so the test is left to the plain build.
//
//===----------------------------------------------------------------------===//
#include "TestSupport.h"

#include "versioninfo/script/ScriptReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define QM_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_SANITIZED 1
#endif
#endif

namespace qm {
namespace {

std::size_t AddressSpaceInUse() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Exit 0: read; 1: the read failed (memory ran out); 2: refused by design.
// The window keeps the listing of lines (`keepImage`); quillmark-rc does not.
int ReadUnderCap(const std::string& bytes, bool keepImage) {
    const pid_t child = fork();
    if (child == 0) {
        const rlim_t cap = AddressSpaceInUse() + 10 * bytes.size() + (8u << 20);
        const rlimit limit{cap, cap};
        if (setrlimit(RLIMIT_AS, &limit) != 0)
            _exit(3);
        const ReadResult read = ReadScriptText(bytes, {}, keepImage);
        _exit(read.Refused ? 2 : read.ConversionError ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ReaderMemory, AnyInputIsReadWithinTenTimesItsSize) {
#ifdef QM_SANITIZED
    GTEST_SKIP() << "the sanitizers reserve address space of their own";
#endif
    const std::string script = test::ReadExample("Example2.rc");
    const std::size_t size = 16u << 20;
    auto repeated = [&](const std::string& line) {
        std::string bytes;
        bytes.reserve(size + script.size());
        while (bytes.size() < size)
            bytes += line;
        return bytes + script;
    };
    // Comment lines as short as a script may hold them, one long line, a
    // string value of megabytes: all read. Line breaks alone, or lines of
    // two bytes: refused before they cost the reader many times their size.
    std::string bigValue = script;
    bigValue.insert(bigValue.find("\"Example\\0\"") + 1, std::string(size, 'v'));
    for (const bool keepImage : {false, true}) {
        EXPECT_EQ(ReadUnderCap(repeated("// 34567890\n"), keepImage), 0) << keepImage;
        EXPECT_EQ(ReadUnderCap("// " + std::string(size, 'x') + "\n" + script, keepImage), 0);
        EXPECT_EQ(ReadUnderCap(bigValue, keepImage), 0) << keepImage;
        EXPECT_EQ(ReadUnderCap(repeated("\n"), keepImage), 2) << keepImage;
        EXPECT_EQ(ReadUnderCap(repeated("//\n"), keepImage), 2) << keepImage;
    }
    // The preprocessor's part: macros defined by the thousand, a macro of
    // many numbers used everywhere, and one that doubles at every level.
    std::string defines;
    for (int i = 0; defines.size() < size; ++i)
        defines += "#define M" + std::to_string(1000000 + i) + " 1\n";
    std::string explode = "#define A0 1\n";
    for (int i = 1; i <= 24; ++i)
        explode += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " A" +
                   std::to_string(i - 1) + "\n";
    EXPECT_EQ(ReadUnderCap(defines + script, false), 0);
    EXPECT_EQ(ReadUnderCap("#define A 1,2,3,4,5,6,7,8\n" + repeated("A A A A A A A\n"), false), 0);
    EXPECT_EQ(ReadUnderCap(explode + "A24\n" + script, false), 0);
}

} // namespace
} // namespace qm
