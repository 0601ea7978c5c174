//===- CompiledVersionTest.cpp - Reading back what real compilers made -----===//
//
// Scripts written by the writer are compiled with llvm-rc (and, when the
// mingw-w64 tools are installed, linked into a tiny executable); the
// readers must give back exactly the document, and name every difference
// from a changed one. Hostile variants of the same files must be refused
// with a message, never read out of bounds.
//
//===----------------------------------------------------------------------===//
#include "CompilerSupport.h"

#include <cstring>
#include <filesystem>
#include <fstream>

#include "versioninfo/binary/CompareCompiled.h"
#include "versioninfo/binary/CompiledRecord.h"
#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/binary/ImportScript.h"
#include "versioninfo/binary/PeResources.h"
#include "versioninfo/binary/ResourceFile.h"
#include "versioninfo/document/Lookups.h"
#include "versioninfo/document/VersionCheck.h"
#include "versioninfo/support/BinaryView.h"
#include "versioninfo/support/PagedFile.h"
#include "versioninfo/support/SafeSave.h"

#include <map>

namespace qm {
namespace {

/// Example 2 with what a compiler must unescape: non-ASCII text, doubled
/// quotes, escapes, a backslash that is no escape, and a macro.
VersionRecord CompilableRecord() {
    VersionRecord r = test::Example2Record();
    r.ComIncLines = {"#include <winver.h>", "#define PRODUCT_VERSION_STR \"2.1 beta\""};
    r.StringValues[2] = "\xC2\xA9 2026 Ex\xC3\xA4mple"; // "© 2026 Exämple"
    r.StringValues[3] = "say \"\"hi\"\"\\tC:\\\\dir \\q";
    r.StringValues[10] = "private\\x41\\101";
    return r;
}

std::string FieldsOf(const Findings& findings) {
    std::string fields;
    for (const Finding& f : findings)
        fields += (fields.empty() ? "" : " ") + f.Field;
    return fields;
}

TEST(CompiledVersion, ResFromLlvmRcHoldsExactlyTheDocument) {
    test::TempFolder dir;
    const VersionRecord record = CompilableRecord();
    const std::string res = test::CompileWithLlvmRc(record, dir);
    Expected<CompiledResource> read = ReadCompiledVersion(res);
    ASSERT_TRUE(read) << read.message();
    EXPECT_EQ(read->Format, CompiledFormat::Res);
    const CompiledVersionInfo& info = read->Info;
    EXPECT_EQ(info.Fixed.FileVersionMS, 0x00020001u);
    EXPECT_EQ(info.Fixed.FileVersionLS, 0x0000000Fu);
    EXPECT_EQ(info.Fixed.FileFlags, 0x2Au); // pre-release, private and special build
    ASSERT_EQ(info.Tables.size(), 1u);
    EXPECT_EQ(info.Tables[0].Name, "040904E4");
    ASSERT_EQ(info.Translations.size(), 1u);
    EXPECT_EQ(info.Translations[0].first, 0x409);
    EXPECT_EQ(info.Translations[0].second, 1252);
    std::map<std::string, std::string> strings;
    for (const CompiledString& s : info.Tables[0].Strings)
        strings[s.Key] = s.Value;
    EXPECT_EQ(strings["LegalCopyright"], "\xC2\xA9 2026 Ex\xC3\xA4mple");
    EXPECT_EQ(strings["Comments"], "say \"hi\"\tC:\\dir \\q");
    EXPECT_EQ(strings["PrivateBuild"], "privateAA");
    EXPECT_EQ(strings["ProductVersion"], "2.1 beta");
    EXPECT_EQ(strings["SpecialBuild"], "\\#1 build");

    EXPECT_EQ(FieldsOf(CompareWithCompiled(record, info)), "");
}

TEST(CompiledVersion, VerifyNamesEachDifference) {
    test::TempFolder dir;
    const VersionRecord compiled = CompilableRecord();
    const std::string res = test::CompileWithLlvmRc(compiled, dir);
    Expected<CompiledResource> read = ReadCompiledVersion(res);
    ASSERT_TRUE(read) << read.message();

    VersionRecord form = compiled;
    form.HFileVersion = "2, 1, 0, 16";
    form.FFDebug = true;
    form.FileType = "VFT_APP";
    form.CodePage = test::RowOf(CodePageTable(), "1200  Unicode");
    form.StringValues[4] = "Exemple";    // changed
    form.StringValues[5] = "Trademarks"; // added
    form.StringValues[8] = "";           // left out
    const Findings findings = CompareWithCompiled(form, read->Info);
    EXPECT_EQ(FieldsOf(findings), "FILEVERSION FILEFLAGS FILETYPE StringFileInfo CompanyName "
                                  "LegalTrademarks ProductName Translation");
    EXPECT_EQ(findings[0].Message, "FILEVERSION is 2, 1, 0, 16 in the script but 2, 1, 0, 15 in "
                                   "the compiled resource");
    EXPECT_EQ(findings[4].Message, "The string CompanyName is \"Exemple\" in the script but "
                                   "\"Example\" in the compiled resource");
}

TEST(CompiledVersion, ImportWritesAScriptThatCompilesToTheSameResource) {
    test::TempFolder dir;
    const std::string res = test::CompileWithLlvmRc(CompilableRecord(), dir, "first");
    Expected<CompiledResource> first = ReadCompiledVersion(res);
    ASSERT_TRUE(first) << first.message();

    ImportedRecord imported = RecordFromCompiled(first->Info, {});
    EXPECT_TRUE(imported.Notes.empty());
    EXPECT_EQ(imported.Record.HFileVersion, "2, 1, 0, 15");
    EXPECT_EQ(imported.Record.FileOS, "VOS__WINDOWS32");
    EXPECT_EQ(imported.Record.FileType, "VFT_DLL");
    EXPECT_EQ(RowText(LanguageTable(), imported.Record.LanguageID), " 409  U.S. English");
    EXPECT_EQ(imported.Record.StringValues[3], "say \"\"hi\"\"\\tC:\\\\dir \\\\q");
    EXPECT_EQ(imported.Record.StringValues[11], "\\\\\\#1 build"); // a backslash, kept
    imported.Record.ComIncLines = {"#include <winver.h>"};
    const std::string again = test::CompileWithLlvmRc(imported.Record, dir, "second");
    Expected<CompiledResource> second = ReadCompiledVersion(again);
    ASSERT_TRUE(second) << second.message();
    EXPECT_EQ(FieldsOf(CompareWithCompiled(imported.Record, second->Info)), "");
    ASSERT_EQ(second->Info.Tables.size(), 1u);
    const auto& a = first->Info.Tables[0].Strings;
    const auto& b = second->Info.Tables[0].Strings;
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].Key, b[i].Key);
        EXPECT_EQ(a[i].Value, b[i].Value) << a[i].Key;
    }
}

TEST(CompiledVersion, ExecutableFromMingwHoldsTheDocument) {
    test::TempFolder dir;
    const VersionRecord record = CompilableRecord();
    const std::string exe = test::BuildTinyExe(record, dir);
    if (exe.empty())
        GTEST_SKIP() << "x86_64-w64-mingw32-windres or -gcc is not installed";
    Expected<CompiledResource> read = ReadCompiledVersion(exe);
    ASSERT_TRUE(read) << read.message();
    EXPECT_EQ(read->Format, CompiledFormat::Pe);
    EXPECT_EQ(read->Language, 0x409);
    EXPECT_EQ(FieldsOf(CompareWithCompiled(record, read->Info)), "");
}

/// The outcome of a read, to compare two readers by.
std::string OutcomeOf(const Expected<std::vector<CompiledResource>>& read) {
    if (!read)
        return "failed: " + read.message();
    std::string outcome;
    for (const CompiledResource& copy : *read) {
        Expected<ImportedScript> script = ScriptOfCompiled(copy.Info, {});
        outcome += std::to_string(copy.Language) + "@" + std::to_string(copy.Offset) + " " +
                   (script ? script->Text : script.message()) + "\n";
    }
    return outcome;
}

Expected<std::vector<CompiledResource>> ReadInPages(const std::string& path) {
    auto file = platform::PositionedFile::OpenRegular(path);
    if (!file)
        return Status::Fail("can't open " + path);
    return ReadExecutableVersions(PagedFileView(*file));
}

// An executable read in pages answers exactly as the loaded file does,
// whole, cut short or damaged, and holds only the pages it needed however
// large the file is.
TEST(CompiledVersion, ExecutableReadInPagesAgreesWithTheLoadedFile) {
    test::TempFolder dir;
    std::string exe = test::BuildTinyExe(CompilableRecord(), dir);
    if (exe.empty())
        GTEST_SKIP() << "x86_64-w64-mingw32-windres or -gcc is not installed";
    const std::string path = dir / "variant.exe";
    const auto expectSameOutcome = [&](std::string_view bytes) {
        ASSERT_TRUE(SaveFileSafely(path, std::string(bytes)));
        EXPECT_EQ(OutcomeOf(ReadInPages(path)), OutcomeOf(ReadCompiledVersions(bytes)))
            << bytes.size() << " bytes";
    };
    expectSameOutcome(exe);
    for (std::size_t size = 2; size < exe.size(); size += 1 + size / 64)
        expectSameOutcome(std::string_view(exe).substr(0, size));
    for (std::size_t at = 2; at < std::min<std::size_t>(exe.size(), 1024); at += 3) {
        const char saved = exe[at];
        exe[at] = '\xFF';
        expectSameOutcome(exe);
        exe[at] = saved;
    }

    ASSERT_TRUE(SaveFileSafely(path, exe));
    std::filesystem::resize_file(path, std::uint64_t(200) << 20);
    auto file = platform::PositionedFile::OpenRegular(path);
    ASSERT_TRUE(file);
    const PagedFileView view(*file);
    ASSERT_TRUE(ReadExecutableVersions(view));
    EXPECT_LT(view.BytesHeld(), 64u << 10);
}

/// Every prefix and every single-byte change of a real file is read or
/// refused with a message; under the sanitizers, never out of bounds.
void ExpectCleanOnDamage(std::string bytes) {
    for (std::size_t size = 0; size <= bytes.size(); size += 1 + size / 512) {
        Expected<CompiledResource> read =
            ReadCompiledVersion(std::string_view(bytes).substr(0, size));
        if (!read) {
            EXPECT_FALSE(read.message().empty());
        }
    }
    for (std::size_t at = 0; at < std::min<std::size_t>(bytes.size(), 4096); ++at) {
        const char saved = bytes[at];
        for (char value : {'\x00', '\xFF', '\x7F'}) {
            bytes[at] = value;
            Expected<CompiledResource> read = ReadCompiledVersion(bytes);
            if (read)
                (void)CompareWithCompiled(VersionRecord(), read->Info);
        }
        bytes[at] = saved;
    }
}

TEST(VersionCheck, LlvmRcRefusesWhatTheCheckReports) {
    test::TempFolder dir;
    VersionRecord r = test::Example2Record();
    r.ComIncLines = {"#include <winver.h>"};
    r.StringValues[7] = "2.1";
    r.HFileVersion = "2, 1, 70000, 15";
    r.StringValues[0] = "2.1.70000.15";
    ASSERT_TRUE(WriteScript(r, dir / "big.rc"));
    const test::CommandRun run =
        test::RunCommand(std::string("'") + QM_LLVM_RC + "' /I " + QM_WINVER_INCLUDE_DIR +
                         " /FO '" + dir / "big.res" + "' '" + dir / "big.rc" + "'");
    EXPECT_NE(run.ExitCode, 0);
    EXPECT_NE(run.Output.find("does not fit in 16 bits"), std::string::npos) << run.Output;
    const Findings findings = CheckDocument(r);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].Field, "FILEVERSION");
}

// The RT_VERSION entry of an executable's root resource directory, by
// the section table: its ID field's offset, or 0.
std::size_t VersionTypeEntry(const std::string& exe) {
    const std::size_t rsrc = exe.find(std::string(".rsrc\0\0\0", 8));
    if (rsrc == std::string::npos)
        return 0;
    auto u32 = [&exe](std::size_t at) {
        std::uint32_t v = 0;
        std::memcpy(&v, exe.data() + at, 4);
        return v;
    };
    const std::size_t root = u32(rsrc + 20); // PointerToRawData
    const std::size_t entries =
        static_cast<unsigned char>(exe[root + 12]) + static_cast<unsigned char>(exe[root + 14]);
    for (std::size_t i = 0; i < entries; ++i)
        if (u32(root + 16 + i * 8) == VersionResourceType)
            return root + 16 + i * 8;
    return 0;
}

TEST(CompiledVersion, NamesOfAnyLengthAndFullTypeIdsAreRead) {
    // llvm-rc and windres take a resource named with 300 characters.
    test::TempFolder dir;
    ASSERT_TRUE(WriteScript(CompilableRecord(), dir / "long.rc"));
    {
        std::ofstream script(dir / "long.rc", std::ios::app | std::ios::binary);
        script << std::string(300, 'N') << " RCDATA { 1 }\r\n";
    }
    const test::CommandRun run =
        test::RunCommand(std::string("'") + QM_LLVM_RC + "' /C 65001 /I " + QM_WINVER_INCLUDE_DIR +
                         " /FO '" + dir / "long.res" + "' '" + dir / "long.rc" + "'");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    Expected<std::string> res = LoadFile(dir / "long.res");
    ASSERT_TRUE(res);
    Expected<CompiledResource> read = ReadCompiledVersion(*res);
    EXPECT_TRUE(read) << read.message();

    std::string exe = test::BuildTinyExe(CompilableRecord(), dir);
    if (exe.empty())
        GTEST_SKIP() << "x86_64-w64-mingw32-windres or -gcc is not installed";
    // Type IDs are 31 bits in an executable: 0x10010 is no RT_VERSION.
    const std::size_t entry = VersionTypeEntry(exe);
    ASSERT_NE(entry, 0u);
    exe[entry + 2] = '\x01';
    read = ReadCompiledVersion(exe);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.message(), "The file holds no version resource");
}

TEST(CompiledVersion, DamagedFilesAreRefusedCleanly) {
    test::TempFolder dir;
    std::string res = test::CompileWithLlvmRc(CompilableRecord(), dir);
    ASSERT_FALSE(res.empty());
    ExpectCleanOnDamage(res);
    const std::string exe = test::BuildTinyExe(CompilableRecord(), dir);
    if (!exe.empty())
        ExpectCleanOnDamage(exe);

    // The version entry (after the 32-byte marker) claims more data than
    // the file holds; a block claims more than its parent.
    std::string tooLong = res;
    tooLong[32] = tooLong[33] = tooLong[34] = '\xF0';
    Expected<CompiledResource> read = ReadCompiledVersion(tooLong);
    ASSERT_FALSE(read);
    EXPECT_NE(read.message().find("at offset 0x20 claims"), std::string::npos) << read.message();

    Expected<std::vector<ResourceEntry>> entries = ParseResFile(res);
    ASSERT_TRUE(entries);
    const std::size_t block = (*entries)[0].Offset;
    std::string blockTooLong = res;
    blockTooLong[block] = '\xFF';
    blockTooLong[block + 1] = '\x7F';
    read = ReadCompiledVersion(blockTooLong);
    ASSERT_FALSE(read);
    EXPECT_NE(read.message().find("The block at offset " + HexOffset(block)), std::string::npos)
        << read.message();
}

} // namespace
} // namespace qm
