//===- BuiltInCompilerTest.cpp - The built-in compiler against llvm-rc ----===//
//
// Every script is compiled by both: where both compile it, the .res files
// must be the same bytes; where the built-in compiler refuses, it must say
// why. The scripts are the real-world corpus and the forms a compiler
// treats specially (escapes, wide strings, joined strings, long numbers,
// names, languages, code pages).
//
//===----------------------------------------------------------------------===//
#include "CompilerSupport.h"

#include "versioninfo/binary/ResCompiler.h"
#include "versioninfo/support/SafeSave.h"
#include "versioninfo/support/Unicode.h"

#include <filesystem>

namespace qm {
namespace {

using test::RunCommand;
using test::TempFolder;

/// What llvm-rc makes of `script` in `codePage`, or nothing when it refuses.
std::optional<std::string> LlvmRc(const std::string& script, int codePage, const TempFolder& dir) {
    const std::string rc = dir / "in.rc", res = dir / "in.res";
    EXPECT_TRUE(SaveFileSafely(rc, script));
    std::filesystem::remove(res);
    const test::CommandRun run =
        RunCommand(std::string("'") + QM_LLVM_RC + "' /C " + std::to_string(codePage) + " /I " +
                   QM_WINVER_INCLUDE_DIR + " /FO '" + res + "' -- '" + rc + "'");
    Expected<std::string> bytes = LoadFile(res);
    return run.ExitCode == 0 && bytes ? std::optional<std::string>(*bytes) : std::nullopt;
}

/// Compares the two on `script`; true when both compiled it alike.
/// A UTF-16 script is given to llvm-rc as its UTF-8 copy, which it reads.
bool ExpectSameAsLlvmRc(const std::string& script, int codePage, const std::string& label,
                        const TempFolder& dir, const std::string& path = {}) {
    ResCompileOptions options;
    options.CodePage = static_cast<ScriptCodePage>(codePage);
    options.Preprocess.ScriptPath = path;
    const Expected<std::string> ours = CompileVersionResource(script, options);
    const std::optional<std::string> utf8 = Utf8OfUtf16Script(script);
    const std::optional<std::string> theirs =
        LlvmRc(utf8 ? *utf8 : script, utf8 ? 65001 : codePage, dir);
    if (!ours) {
        EXPECT_FALSE(ours.message().empty()) << label;
        return false;
    }
    EXPECT_TRUE(theirs) << label << ": llvm-rc refuses what the built-in compiler takes";
    EXPECT_TRUE(theirs && *theirs == *ours) << label << ": the .res files differ";
    return theirs && *theirs == *ours;
}

std::string Version(const std::string& body) {
    return "1 VERSIONINFO\nBEGIN\n" + body + "\nEND\n";
}

TEST(BuiltInCompiler, CompilesEveryFormAsLlvmRcDoes) {
    if (!*QM_LLVM_RC)
        GTEST_SKIP() << "llvm-rc is not installed";
    const TempFolder dir;
    const std::string scripts[] = {
        Version(R"( VALUE "a", "x\ty\n\\z\q\a\101\x41\x4g", "say ""hi""", "\""")"),
        Version(R"( VALUE "a", L"x\ty\q\x263A\1234567\x", L"\0777\777777")"),
        Version(" VALUE \"a\", \"caf\xC3\xA9\", L\"\xE2\x82\xAC\", \"\xF0\x9F\x98\x80\""),
        Version(R"( VALUE "a", "\xe9\351", "tab\T\A\N\R", "\8\9")"),
        "#define VER 2,0,0,1\n#define VSTR \"2.0.0.1\"\n1 VERSIONINFO\nFILEVERSION VER\n"
        "BEGIN\n BLOCK \"StringFileInfo\"\n BEGIN\n  BLOCK \"000004b0\"\n  BEGIN\n"
        "   VALUE \"FileVersion\", VSTR \"\\0\"\n   VALUE \"Empty\", \"\"\n"
        "   VALUE \"Nul\", \"\\0\"\n  END\n END\nEND\n",
        "#include <winver.h>\nLANGUAGE 7, 1\nvs_version_info VERSIONINFO\nFILEVERSION "
        "1,2,3\nPRODUCTVERSION 1\n"
        "FILEFLAGSMASK 0x3fL\nFILEFLAGS VS_FF_DEBUG|VS_FF_PRERELEASE\nFILEOS VOS_NT_WINDOWS32\n"
        "FILETYPE VFT_DRV\nFILESUBTYPE VFT2_DRV_SOUND\n{\n BLOCK \"StringFileInfo\" { BLOCK "
        "\"040704b0\" { VALUE \"CompanyName\", \"X\\0\" } }\n BLOCK \"VarFileInfo\" { VALUE "
        "\"Translation\", 0x407, 1200, 0x409, 1252 }\n}\n",
        "MyRes VERSIONINFO\nBEGIN\n BLOCK \"A\"\n BEGIN\n  BLOCK \"B\"\n  BEGIN\n   VALUE \"n\", "
        "1L, 2, 0xFFFF, 0xFFFFFFFFL, 010\n  END\n END\n BLOCK \"C\"\n BEGIN\n END\n VALUE "
        "\"k\", \"v\"\nEND\n",
        "1 VERSIONINFO\nFILEVERSION 1+1, 2-1, 3|4, -1&0xFF\nFILEFLAGS NOT 1 | 3\nFILEOS (1 | 2) "
        "+ 3\nFILETYPE ~0\nBEGIN\nEND\n",
        "LANGUAGE 0x19, 0x01\n65535 VERSIONINFO\nBEGIN\n VALUE L\"key\\x41\", L\"w\" \"n\" "
        "L\"w\"\nEND\nLANGUAGE 9, 1\n",
    };
    int same = 0, compiled = 0;
    for (int codePage : {0, 1252, 65001}) {
        for (std::size_t i = 0; i < std::size(scripts); ++i) {
            const std::string label =
                "script " + std::to_string(i) + ", code page " + std::to_string(codePage);
            same += ExpectSameAsLlvmRc(scripts[i], codePage, label, dir);
            ResCompileOptions options;
            options.CodePage = static_cast<ScriptCodePage>(codePage);
            compiled += CompileVersionResource(scripts[i], options).ok();
        }
    }
    EXPECT_EQ(same, compiled);
    EXPECT_GE(same, 22);
}

// Where llvm-rc reads past a string's end (a trailing backslash) or drops a
// string that is not UTF-8 in code page 65001, the built-in compiler refuses.
TEST(BuiltInCompiler, RefusesByNameWhatItCannotCompileExactly) {
    const auto refusal = [](const std::string& script, ScriptCodePage codePage) {
        ResCompileOptions options;
        options.CodePage = codePage;
        Expected<std::string> res = CompileVersionResource(script, options);
        EXPECT_FALSE(res) << script;
        return res ? std::string() : res.message();
    };
    EXPECT_NE(refusal(Version(R"( VALUE "a", "x\")"), ScriptCodePage::Utf8).find("backslash"),
              std::string::npos);
    EXPECT_NE(refusal(Version(" VALUE \"a\", \"caf\xE9\""), ScriptCodePage::Utf8).find("UTF-8"),
              std::string::npos);
    EXPECT_NE(refusal(Version(" VALUE \"a\", \"caf\xC3\xA9\""), ScriptCodePage::AsciiOnly)
                  .find("no code page"),
              std::string::npos);
    EXPECT_NE(refusal("#include \"version.h\"\n1 VERSIONINFO\nFILEVERSION VER_MAJOR,0,0,0\n"
                      "BEGIN\nEND\n",
                      ScriptCodePage::Utf8)
                  .find("\"version.h\" is not found"),
              std::string::npos);
    EXPECT_NE(refusal("1 VERSIONINFO\nBEGIN\n#ifdef _WIN64\n VALUE \"a\", \"64\"\n#endif\nEND\n",
                      ScriptCodePage::Utf8)
                  .find("_WIN64"),
              std::string::npos);
    EXPECT_NE(refusal("1 ICON app.ico\n" + Version(""), ScriptCodePage::Utf8).find("ICON"),
              std::string::npos);
    EXPECT_NE(refusal(Version(R"( VALUE "a", 70000)"), ScriptCodePage::Utf8).find("16 bits"),
              std::string::npos);
    EXPECT_NE(refusal(Version(R"( VALUE "a", 1 | 2)"), ScriptCodePage::Utf8).find("plain"),
              std::string::npos);
}

// The headers a script includes decide what its names are, as the
// preprocessor decides: VS_VERSION_INFO is 1 only where winver.h (or a
// header of the project) makes it a number. Function-like macros, # and
// ## expand as C's. A header's other resources and a missing header are
// refused by name.
TEST(BuiltInCompiler, HeadersAndMacrosDecideAsThePreprocessorDoes) {
    if (!*QM_LLVM_RC)
        GTEST_SKIP() << "llvm-rc is not installed";
    const TempFolder dir;
    ASSERT_TRUE(SaveFileSafely(dir / "two.h", "#define VS_VERSION_INFO 2\n#define VER_MINOR 7\n"));
    ASSERT_TRUE(SaveFileSafely(dir / "extra.rc", "STRINGTABLE\nBEGIN\n 1 \"x\"\nEND\n"));
    const std::string version = "VS_VERSION_INFO VERSIONINFO\nFILEVERSION 1,2,0,0\nBEGIN\nEND\n";
    const std::string table = "1 VERSIONINFO\nBEGIN\n BLOCK \"StringFileInfo\"\n BEGIN\n  BLOCK "
                              "\"040904b0\"\n  BEGIN\n   VALUE \"FileVersion\", ";
    const std::string tableEnd = "\n  END\n END\nEND\n";
    const std::string compiled[] = {
        version,
        "#include <winver.h>\n" + version,
        "#include <winver.h>\n#include \"two.h\"\nVS_VERSION_INFO VERSIONINFO\nFILEVERSION "
        "1,VER_MINOR,0,0\nBEGIN\nEND\n",
        "#include <winver.h>\n#undef VS_VERSION_INFO\n" + version,
        "#define STR2(x) #x\n#define STR(x) STR2(x)\n#define V 3\n" + table + "STR(V) \".0\"" +
            tableEnd,
        "#define CAT(a, b) a##b\n#define PART(...) __VA_ARGS__\n1 VERSIONINFO\nFILEVERSION "
        "CAT(1, 2), PART(3, 4), 5\nBEGIN\nEND\n",
    };
    for (const std::string& script : compiled)
        EXPECT_TRUE(ExpectSameAsLlvmRc(script, 65001, script, dir, dir / "in.rc"));
    const std::pair<std::string, const char*> refused[] = {
        {"#include \"extra.rc\"\n" + version, "STRINGTABLE"},
        {"#include \"missing.h\"\n" + version, "\"missing.h\" is not found"},
    };
    for (const auto& [script, reason] : refused) {
        ResCompileOptions options;
        options.Preprocess.ScriptPath = dir / "in.rc";
        const Expected<std::string> res = CompileVersionResource(script, options);
        EXPECT_FALSE(res);
        EXPECT_NE(res.message().find(reason), std::string::npos) << res.message();
    }
}

// The scripts in the styles people write: each compiles to llvm-rc's bytes
// or is refused with the reason.
TEST(BuiltInCompiler, CompilesTheRealWorldCorpusAsLlvmRcDoes) {
    if (!*QM_LLVM_RC)
        GTEST_SKIP() << "llvm-rc is not installed";
    const TempFolder dir;
    // Its headers and icons, where llvm-rc looks for them: beside the script.
    for (const auto& entry : std::filesystem::directory_iterator(QM_REALWORLD_DIR))
        std::filesystem::copy(entry.path(), dir / entry.path().filename().string());
    int same = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QM_REALWORLD_DIR)) {
        if (entry.path().extension() != ".rc")
            continue;
        const std::string script = *LoadFile(entry.path().string());
        const int codePage = IsWellFormedUtf8(script) ? 65001 : 1252;
        const std::string name = entry.path().filename().string();
        same += ExpectSameAsLlvmRc(script, codePage, name, dir, dir / name);
    }
    EXPECT_GE(same, 20);
}

} // namespace
} // namespace qm
