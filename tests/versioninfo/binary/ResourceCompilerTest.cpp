//===- ResourceCompilerTest.cpp - A written script compiles with llvm-rc ---===//
//
// The script must be acceptable to a real resource compiler, with the
// symbolic names coming from the comment/include lines. llvm-rc's verbose
// output lists the values it compiled, which is what is checked here.
//
//===----------------------------------------------------------------------===//
#include "TestSupport.h"

#include "versioninfo/script/ScriptWriter.h"

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace qm {
namespace {

struct RunResult {
    int ExitCode = -1;
    std::string Output;
};

RunResult RunCommand(const std::string& command) {
    RunResult result;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.Output.append(buffer, got);
    const int status = pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(ResourceCompiler, WrittenScriptCompilesWithItsValues) {
    const std::string compiler = QM_LLVM_RC;
    ASSERT_FALSE(compiler.empty()) << "llvm-rc was not found; the set-up installs it (llvm)";

    char pattern[] = "/tmp/qm-rc-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;

    VersionRecord r = NewDocument({});
    r.ComIncLines = {"// Built by the tests", "#include <winver.h>",
                     "#define PRODUCT_VERSION_STR \"3.0\""};
    r.HFileVersion = "3, 2, 1, 0";
    r.HProductVersion = "3, 0, 0, 0";
    r.FFDebug = r.FFPatched = true;
    r.FileOS = "VOS_NT_WINDOWS32";
    r.FileType = "VFT_DRV";
    r.FileSubType = "VFT2_DRV_SOUND";
    r.LanguageID = test::RowOf(LanguageTable(), " 407  German");
    r.CodePage = test::RowOf(CodePageTable(), "1252  Windows, Multilingual");
    r.StringValues[4] = "Acme";
    r.StringValues[7] = "\\#PRODUCT_VERSION_STR";
    r.StringValues[10] = "nightly";

    ASSERT_TRUE(WriteScript(r, dir + "/script.rc"));
    RunResult run = RunCommand("'" + compiler + "' /V /I " + QM_WINVER_INCLUDE_DIR + " /FO '" +
                               dir + "/script.res' '" + dir + "/script.rc'");
    EXPECT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_TRUE(std::filesystem::exists(dir + "/script.res"));

    // VS_FF_DEBUG|VS_FF_PATCHED|VS_FF_PRIVATEBUILD = 1|4|8; VOS_NT_WINDOWS32
    // = 0x40004; VFT_DRV = 3; VFT2_DRV_SOUND = 9; language 0x407 = 1031.
    for (const char* expected :
         {"Fixed: FILEVERSION: 3 2 1 0", "Fixed: PRODUCTVERSION: 3 0 0 0",
          "Fixed: FILEFLAGSMASK: 63", "Fixed: FILEFLAGS: 13", "Fixed: FILEOS: 262148",
          "Fixed: FILETYPE: 3", "Fixed: FILESUBTYPE: 9", "Start of block (name: \"040704E4\")",
          "\"CompanyName\" => \"Acme\\0\"", "\"ProductVersion\" => \"3.0\"",
          "\"PrivateBuild\" => \"nightly\\0\"", "\"Translation\" => 1031, 1252"})
        EXPECT_NE(run.Output.find(expected), std::string::npos) << expected << "\n" << run.Output;
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace qm
