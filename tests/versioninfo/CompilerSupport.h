//===- CompilerSupport.h - Real compilers for the compiled-resource tests -*- C++ -*-===//
//
// The readers of compiled resources are tested on what real compilers make:
// llvm-rc for .res files, and the mingw-w64 windres and gcc for a tiny
// executable when they are installed.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "TestSupport.h"

#include "versioninfo/script/ScriptWriter.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace qm::test {

struct CommandRun {
    int ExitCode = -1;
    std::string Output;
};

inline CommandRun RunCommand(const std::string& command) {
    CommandRun result;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.Output.append(buffer, got);
    const int status = pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

/// A temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/qm-compiled-XXXXXX";
        Path = mkdtemp(pattern) ? pattern : "";
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!Path.empty())
            std::filesystem::remove_all(Path, ignored);
    }
    std::string operator/(const std::string& name) const { return Path + "/" + name; }

private:
    std::string Path;
};

inline bool HaveProgram(const std::string& name) {
    return RunCommand("command -v " + name).ExitCode == 0;
}

/// Writes `record` to DIR/NAME.rc and compiles it with llvm-rc as UTF-8;
/// gives the .res file's bytes, or "" (with a test failure) when it fails.
inline std::string CompileWithLlvmRc(const VersionRecord& record, const TempFolder& dir,
                                     const std::string& name = "script") {
    EXPECT_TRUE(WriteScript(record, dir / (name + ".rc")));
    const CommandRun run =
        RunCommand(std::string("'") + QM_LLVM_RC + "' /C 65001 /I " + QM_WINVER_INCLUDE_DIR +
                   " /FO '" + dir / (name + ".res") + "' '" + dir / (name + ".rc") + "'");
    EXPECT_EQ(run.ExitCode, 0) << run.Output;
    Expected<std::string> bytes = LoadFile(dir / (name + ".res"));
    return run.ExitCode == 0 && bytes ? *bytes : std::string();
}

/// Builds DIR/app.exe from `record` with windres and the mingw-w64 gcc;
/// "" when those tools are missing (the caller skips).
inline std::string BuildTinyExe(const VersionRecord& record, const TempFolder& dir) {
    if (!HaveProgram("x86_64-w64-mingw32-windres") || !HaveProgram("x86_64-w64-mingw32-gcc"))
        return "";
    EXPECT_TRUE(WriteScript(record, dir / "app.rc"));
    FILE* source = std::fopen((dir / "main.c").c_str(), "w");
    std::fputs("int main(void) { return 0; }\n", source);
    std::fclose(source);
    const CommandRun res = RunCommand("cd '" + dir / "" + "' && x86_64-w64-mingw32-windres " +
                                      "-c 65001 -O coff -o app.o app.rc");
    EXPECT_EQ(res.ExitCode, 0) << res.Output;
    const CommandRun link = RunCommand("cd '" + dir / "" + "' && x86_64-w64-mingw32-gcc -s " +
                                       "-o app.exe main.c app.o");
    EXPECT_EQ(link.ExitCode, 0) << link.Output;
    Expected<std::string> bytes = LoadFile(dir / "app.exe");
    return bytes ? *bytes : std::string();
}

} // namespace qm::test
