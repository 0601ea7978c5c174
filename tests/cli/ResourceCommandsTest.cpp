//===- ResourceCommandsTest.cpp - compile and stamp as a program -----------===//
//
// Executables are built here with the MinGW-w64 toolchain and with lld-link
// from llvm-rc's .res, stamped, run under wine, and their version read back
// through Windows' own GetFileVersionInfo by a small program built here.
//
//===----------------------------------------------------------------------===//
#include "CommandFixture.h"

#include "versioninfo/binary/PeResources.h"
#include "versioninfo/binary/VersionInfoBlock.h"

#include <QStandardPaths>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <map>
#include <tuple>

namespace {

using qm::test::RunResult;

constexpr const char* Script = R"(#include <winver.h>
1 VERSIONINFO
FILEVERSION 1,2,3,4
PRODUCTVERSION 1,2,0,0
FILEFLAGSMASK VS_FFI_FILEFLAGSMASK
FILEOS VOS_NT_WINDOWS32
FILETYPE VFT_APP
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904B0"
    BEGIN
      VALUE "CompanyName", "Example"
      VALUE "FileVersion", "1.2.3.4"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200
  END
END
2 RCDATA { "payload", 1, 2 }
STRINGTABLE { 7, "seven" }
)";

constexpr const char* ReadVersion = R"(#include <windows.h>
#include <stdio.h>
int main(int argc, char** argv) {
    DWORD handle = 0, size = GetFileVersionInfoSizeA(argv[1], &handle);
    char* info = size ? (char*)malloc(size) : 0;
    VS_FIXEDFILEINFO* fixed; WORD* pair; char* value; UINT length; char key[128];
    if (!info || !GetFileVersionInfoA(argv[1], 0, size, info) ||
        !VerQueryValueA(info, "\\", (void**)&fixed, &length) ||
        !VerQueryValueA(info, "\\VarFileInfo\\Translation", (void**)&pair, &length))
        return 2;
    snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\FileVersion", pair[0], pair[1]);
    printf("%u.%u.%u.%u %s\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
           HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS),
           VerQueryValueA(info, key, (void**)&value, &length) ? value : "-");
    return 0;
}
)";

using ResourceKey = std::tuple<std::uint32_t, std::uint32_t, std::uint16_t>;

/// Every resource but the version resource, by type, name and language.
std::map<ResourceKey, std::string> OtherResources(const QByteArray& pe) {
    std::map<ResourceKey, std::string> resources;
    const auto entries = qm::ParsePeResources(std::string_view(pe.constData(), pe.size()));
    EXPECT_TRUE(entries) << entries.message();
    for (const qm::ResourceEntry& entry : entries ? *entries : std::vector<qm::ResourceEntry>())
        if (entry.Type.Number != qm::VersionResourceType)
            resources[{entry.Type.Number, entry.Name.Number, entry.Language}] =
                std::string(entry.Data);
    return resources;
}

class StampTest : public qm::test::RcCommandTest {
protected:
    void SetUp() override {
        for (const char* tool : {"x86_64-w64-mingw32-gcc", "x86_64-w64-mingw32-windres", "wine"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                GTEST_SKIP() << tool << " is not installed";
        if (!*QM_LLVM_RC)
            GTEST_SKIP() << "llvm-rc is not installed";
        write("app.rc", Script);
        write("main.c", "int main(void) { return 0; }\n");
        write("fvi.c", ReadVersion);
        build({QM_LLVM_RC, "/C", "65001", "/I", "/usr/share/mingw-w64/include", "/FO", "app.res",
               "app.rc"});
        build({"x86_64-w64-mingw32-windres", "app.res", "-O", "coff", "-o", "app.o"});
        build({"x86_64-w64-mingw32-gcc", "-o", "mingw.exe", "main.c", "app.o"});
        build({"x86_64-w64-mingw32-gcc", "-o", "fvi.exe", "fvi.c", "-lversion"});
    }

    void write(const QString& name, const QByteArray& text) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    void build(const QStringList& command) {
        const RunResult made = run(command.front(), command.mid(1));
        ASSERT_EQ(made.ExitCode, 0) << command.join(' ').toStdString() << made.Err.toStdString();
    }

    RunResult wine(const QStringList& args) {
        qputenv("WINEDEBUG", "-all");
        qputenv("WINEDLLOVERRIDES", "mscoree,mshtml="); // no offer to fetch Mono or Gecko
        if (qEnvironmentVariableIsEmpty("WINEPREFIX"))
            qputenv("WINEPREFIX", QM_WINE_PREFIX);
        return run("wine", args);
    }

    /// Links `resources` (a .res file or an object) into OUT with lld-link,
    /// for x64 or x86 (a PE32 file); false when lld-link or clang is missing.
    bool LinkWithLld(const QString& resources, const QString& out, const QString& machine = "x64") {
        if (QStandardPaths::findExecutable("lld-link").isEmpty() ||
            QStandardPaths::findExecutable("clang").isEmpty())
            return false;
        write("entry.c", "int entry(void) { return 0; }\n");
        const QString target = machine == "x86" ? "i686-pc-windows-msvc" : "x86_64-pc-windows-msvc";
        build({"clang", "--target=" + target, "-c", "entry.c", "-o", "entry.obj"});
        build({"lld-link", "/machine:" + machine, "/entry:entry", "/subsystem:console",
               "/nodefaultlib", "entry.obj", resources, "/out:" + out});
        return true;
    }

    /// Stamps `exe`, runs the result (unless it is a 32-bit program, which
    /// a 64-bit wine may not run) and reads its version through Windows.
    void ExpectStampedAndRunning(const QString& exe, bool runs = true) {
        const QString stamped = "stamped-" + exe;
        const RunResult stamp = rc({"stamp", exe, "-o", stamped, "--file-version", "7.6.5.4",
                                    "--string", "FileVersion=\\07.6.5.4"});
        ASSERT_EQ(stamp.ExitCode, 0) << stamp.Err.toStdString();
        EXPECT_EQ(OtherResources(readBytes(stamped)), OtherResources(readBytes(exe)));
        if (runs) {
            EXPECT_EQ(wine({stamped}).ExitCode, 0);
        }
        EXPECT_EQ(wine({"fvi.exe", stamped}).Out.trimmed(), "7.6.5.4 7.6.5.4");
        EXPECT_EQ(rc({"get", stamped, "FileVersion"}).Out, "7.6.5.4\n");
        const RunResult verify = rc({"verify", "stamped.rc", stamped});
        EXPECT_EQ(verify.ExitCode, 0) << verify.Out.toStdString() << verify.Err.toStdString();
    }
};

TEST_F(StampTest, StampedExecutablesRunAndWindowsReadsTheNewVersion) {
    ASSERT_TRUE(QFile::copy(path("app.rc"), path("stamped.rc")));
    ASSERT_EQ(
        rc({"set", "stamped.rc", "--file-version", "7.6.5.4", "--string", "FileVersion=\\07.6.5.4"})
            .ExitCode,
        0);
    ExpectStampedAndRunning("mingw.exe");

    // lld-link takes llvm-rc's .res as it is.
    if (LinkWithLld("app.res", "lld.exe"))
        ExpectStampedAndRunning("lld.exe");
    if (LinkWithLld("app.res", "lld32.exe", "x86"))
        ExpectStampedAndRunning("lld32.exe", false);
}

// The built-in compiler's object links with MinGW's ld and with lld-link.
TEST_F(StampTest, CompiledObjectsLinkWithLdAndLldLink) {
    QByteArray versionOnly(Script);
    versionOnly.truncate(versionOnly.indexOf("2 RCDATA"));
    write("version.rc", versionOnly);
    const RunResult compiled = rc({"compile", "-c", "65001", "version.rc", "-o", "version.o"});
    ASSERT_EQ(compiled.ExitCode, 0) << compiled.Err.toStdString();
    build({"x86_64-w64-mingw32-gcc", "-o", "linked.exe", "main.c", "version.o"});
    EXPECT_EQ(rc({"verify", "version.rc", "linked.exe"}).ExitCode, 0);
    if (LinkWithLld("version.o", "lld.exe")) {
        EXPECT_EQ(rc({"verify", "version.rc", "lld.exe"}).ExitCode, 0);
    }
    // lld-link links x86 with /safeseh unless told otherwise, which every
    // object must declare it meets.
    ASSERT_EQ(
        rc({"compile", "-c", "65001", "--machine", "x86", "version.rc", "-o", "v32.o"}).ExitCode,
        0);
    if (LinkWithLld("v32.o", "lld32.exe", "x86")) {
        EXPECT_EQ(rc({"verify", "version.rc", "lld32.exe"}).ExitCode, 0);
    }
}

/// The outline of the version resource `file` holds in `language`.
std::vector<std::string> OutlineOf(const QByteArray& pe, std::uint16_t language = 0x409) {
    const auto entries = qm::ParsePeResources(std::string_view(pe.constData(), pe.size()));
    for (const qm::ResourceEntry& entry : entries ? *entries : std::vector<qm::ResourceEntry>())
        if (entry.Type.Number == qm::VersionResourceType && entry.Language == language)
            if (auto outline = qm::VersionInfoOutline(entry.Data))
                return *outline;
    return {};
}

std::vector<std::string> Changed(const std::vector<std::string>& from,
                                 const std::vector<std::string>& to) {
    std::vector<std::string> lines;
    std::set_symmetric_difference(from.begin(), from.end(), to.begin(), to.end(),
                                  std::back_inserter(lines));
    return lines;
}

// What no script can carry (a binary string, a block of its own, a file
// date) is kept by an edit: the stamp changes only the fields asked for.
TEST_F(StampTest, AnEditKeepsWhatNoScriptCarries) {
    write("odd.rc", "1 VERSIONINFO\nFILEVERSION 1,0,0,0\nBEGIN\n BLOCK \"StringFileInfo\"\n BEGIN\n"
                    "  BLOCK \"040904B0\"\n  BEGIN\n   VALUE \"Blob\", 1, 2\n"
                    "   VALUE \"FileVersion\", \"1.0\"\n  END\n END\n"
                    " BLOCK \"Extra\"\n BEGIN\n  VALUE \"x\", \"y\"\n END\nEND\n");
    build({QM_LLVM_RC, "/FO", "odd.res", "odd.rc"});
    if (!LinkWithLld("odd.res", "odd.exe"))
        GTEST_SKIP() << "lld-link or clang is not installed";
    const QByteArray before = readBytes("odd.exe");
    const RunResult stamped = rc({"stamp", "odd.exe", "--file-version", "2.0.0.0"});
    ASSERT_EQ(stamped.ExitCode, 0) << stamped.Err.toStdString();
    const QByteArray after = readBytes("odd.exe");
    EXPECT_EQ(after.size(), before.size());
    const std::vector<std::string> changed = Changed(OutlineOf(before), OutlineOf(after));
    ASSERT_EQ(changed.size(), 4u); // the fixed information and FileVersion, before and after
    EXPECT_TRUE(QString::fromStdString(changed[2]).endsWith("FileVersion text 1.0"));
    EXPECT_EQ(rc({"get", "odd.exe", "fileVersion"}).Out, "2, 0, 0, 0\n");
}

// A stamp grows a file only by what must move. The copy is rewritten where
// it lies while the padding after it holds it, so other sections keep their
// places (here .reloc after .rsrc, as MinGW lays it out). A copy the file
// lacks adds a section of the directory and the new data alone, the other
// resources staying where they are: wine's cmd.exe once grew by its whole
// resource section (+776 KB).
TEST_F(StampTest, StampingMovesOnlyWhatMust) {
    const QByteArray mingw = readBytes("mingw.exe");
    ASSERT_EQ(rc({"stamp", "mingw.exe", "-o", "same.exe", "--file-version", "1.2.3.5"}).ExitCode,
              0);
    const QByteArray same = readBytes("same.exe");
    EXPECT_EQ(same.size(), mingw.size());
    int differing = 0;
    for (int i = 0; i < mingw.size(); ++i)
        differing += mingw[i] != same[i];
    EXPECT_LE(differing, 16) << "the version words, the string and the checksum";
    EXPECT_EQ(wine({"fvi.exe", "same.exe"}).Out.trimmed(), "1.2.3.5 1.2.3.5");

    QByteArray others(Script);
    write("others.rc", others.mid(others.indexOf("2 RCDATA")));
    build({QM_LLVM_RC, "/FO", "others.res", "others.rc"});
    build({"x86_64-w64-mingw32-windres", "others.res", "-O", "coff", "-o", "others.o"});
    build({"x86_64-w64-mingw32-gcc", "-o", "others.exe", "main.c", "others.o"});
    const QByteArray unversioned = readBytes("others.exe");
    ASSERT_EQ(rc({"stamp", "others.exe", "--from", "app.res"}).ExitCode, 0);
    EXPECT_LE(readBytes("others.exe").size() - unversioned.size(), 1024); // 0.7 KB, aligned
    EXPECT_EQ(OtherResources(readBytes("others.exe")), OtherResources(unversioned));
    EXPECT_EQ(wine({"fvi.exe", "others.exe"}).Out.trimmed(), "1.2.3.4 1.2.3.4");
    EXPECT_EQ(wine({"others.exe"}).ExitCode, 0);

    // Wine maps its own programs from its own copies, so this one is read
    // back here only.
    const QString cmd = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/cmd.exe";
    if (!QFile::exists(cmd))
        GTEST_SKIP() << cmd.toStdString() << " is not installed";
    ASSERT_TRUE(QFile::copy(cmd, path("cmd.exe")));
    ASSERT_EQ(rc({"stamp", "cmd.exe", "--from", "app.res"}).ExitCode, 0);
    EXPECT_LE(readBytes("cmd.exe").size() - QFileInfo(cmd).size(), 2 * 4096);
    EXPECT_EQ(rc({"get", "cmd.exe", "FileVersion"}).Out, "1.2.3.4\n");
}

// goversioninfo's versioninfo.json, as a Go project keeps it, becomes a
// script, a resource.syso that MinGW's ld links with nothing of Go's, and
// a stamp. A member of the wrong kind is named.
TEST_F(StampTest, GoVersionInfoJsonBecomesAScriptASysoAndAStamp) {
    write("versioninfo.json", R"({
  "FixedFileInfo": {
    "FileVersion": {"Major": 2, "Minor": 4, "Patch": 1, "Build": 0},
    "ProductVersion": {"Major": 2, "Minor": 4, "Patch": 1},
    "FileFlagsMask": "3f", "FileFlags ": "00", "FileOS": "040004", "FileType": "01"
  },
  "StringFileInfo": {"CompanyName": "Harbor Tools", "FileVersion": "2.4.1.0",
                     "Comments": "", "GitCommit": "abc1234"},
  "VarFileInfo": {"Translation": {"LangID": "0409", "CharsetID": "04B0"}},
  "IconPath": "", "ManifestPath": ""
})");
    ASSERT_EQ(rc({"write", "go.rc", "--from", "versioninfo.json"}).ExitCode, 0);
    const RunResult syso = rc({"compile", "go.rc", "--coff", "-o", "resource.syso"});
    ASSERT_EQ(syso.ExitCode, 0) << syso.Err.toStdString();
    write("entry.c", "int entry(void) { return 0; }\n");
    build({"x86_64-w64-mingw32-gcc", "-c", "entry.c", "-o", "entry.o"});
    build({"x86_64-w64-mingw32-ld", "--entry=entry", "-o", "go.exe", "entry.o", "resource.syso"});
    EXPECT_EQ(rc({"get", "go.exe", "GitCommit"}).Out, "abc1234\n");
    EXPECT_EQ(rc({"get", "go.exe", "Comments"}).ExitCode, 1) << "an empty text is left out";
    EXPECT_EQ(rc({"verify", "go.rc", "go.exe"}).ExitCode, 0);
    EXPECT_EQ(wine({"fvi.exe", "go.exe"}).Out.trimmed(), "2.4.1.0 2.4.1.0");

    ASSERT_EQ(rc({"stamp", "mingw.exe", "--from", "versioninfo.json"}).ExitCode, 0);
    EXPECT_EQ(rc({"get", "mingw.exe", "productVersion"}).Out, "2, 4, 1, 0\n");

    write("bad.json", R"({"FixedFileInfo": {"FileVersion": {"Major": 70000}}})");
    const RunResult bad = rc({"write", "bad.rc", "--from", "bad.json"});
    EXPECT_EQ(bad.ExitCode, 2);
    EXPECT_TRUE(bad.Err.contains("FixedFileInfo.FileVersion.Major")) << bad.Err.toStdString();
}

// A project cross-built with MinGW gets its version from the package: by
// windres from its own script (other resources kept), and by compile --coff
// from a new one.
TEST_F(StampTest, TheCMakePackageGivesACrossBuiltProgramItsVersion) {
    if (QStandardPaths::findExecutable("cmake").isEmpty() ||
        QStandardPaths::findExecutable("ninja").isEmpty())
        GTEST_SKIP() << "cmake or ninja is not installed";
    ASSERT_TRUE(QDir(path("")).mkdir("project"));
    write("project/main.c", "int main(void) { return 0; }\n");
    write("project/CMakeLists.txt", R"(cmake_minimum_required(VERSION 3.21)
project(tide VERSION 2.4.1 LANGUAGES C)
find_package(Quillmark 1 REQUIRED)
add_executable(tide main.c)
quillmark_version_resource(TARGET tide VERSION ${PROJECT_VERSION} COMPANY "Harbor Tools"
                           DESCRIPTION "Tide tables" STRINGS "GitCommit=abc1234" ${SCRIPT})
)");
    ASSERT_TRUE(QFile::copy(path("app.rc"), path("project/app.rc")));
    for (const QString& variant : {QString("coff"), QString("windres")}) {
        SCOPED_TRACE(variant.toStdString());
        const bool windres = variant == "windres";
        const QString out = "build-" + variant;
        build({"cmake", "-S", "project", "-B", out, "-G", "Ninja",
               "-DCMAKE_TOOLCHAIN_FILE=" QM_MINGW_TOOLCHAIN, "-DQuillmark_DIR=" QM_PACKAGE_DIR,
               windres ? "-DSCRIPT=SCRIPT;app.rc" : "-DSCRIPT=BUILTIN_COMPILER"});
        build({"cmake", "--build", out});
        const QString exe = out + "/tide.exe";
        EXPECT_EQ(rc({"get", exe, "CompanyName"}).Out, "Harbor Tools\n");
        EXPECT_EQ(rc({"get", exe, "GitCommit"}).Out, "abc1234\n");
        // A new script's string is the version as given; an old one's follows in its own form.
        EXPECT_EQ(wine({"fvi.exe", exe}).Out.trimmed(),
                  windres ? "2.4.1.0 2.4.1.0" : "2.4.1.0 2.4.1");
        EXPECT_EQ(OtherResources(readBytes(exe)).size(), windres ? 2u : 0u);
    }
    EXPECT_EQ(readBytes("project/app.rc"), QByteArray(Script)) << "the source is never written";
}

// A signed file is refused, whole; --force stamps it and drops the
// signature. A file without a version resource gets one.
TEST_F(StampTest, SignedFilesAreRefusedAndBareFilesGetAVersion) {
    QByteArray pe = readBytes("mingw.exe");
    const qint32 peAt = *reinterpret_cast<const qint32*>(pe.constData() + 0x3C);
    const int security = peAt + 24 + 112 + 4 * 8; // PE32+: the fifth data directory
    const QByteArray certificate(16, '\x01');
    const qint32 at = pe.size(), size = certificate.size();
    pe.replace(security, 4, QByteArray(reinterpret_cast<const char*>(&at), 4));
    pe.replace(security + 4, 4, QByteArray(reinterpret_cast<const char*>(&size), 4));
    write("signed.exe", pe + certificate);
    const QByteArray before = readBytes("signed.exe");
    const RunResult refused = rc({"stamp", "signed.exe", "--file-version", "2.0.0.0"});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_TRUE(refused.Err.contains("signed")) << refused.Err.toStdString();
    EXPECT_EQ(readBytes("signed.exe"), before);
    ASSERT_EQ(rc({"stamp", "signed.exe", "--file-version", "2.0.0.0", "--force"}).ExitCode, 0);
    EXPECT_FALSE(readBytes("signed.exe").endsWith(certificate));
    // The FileVersion string followed the fixed version it agreed with.
    EXPECT_EQ(wine({"fvi.exe", "signed.exe"}).Out.trimmed(), "2.0.0.0 2.0.0.0");

    build({"x86_64-w64-mingw32-gcc", "-o", "bare.exe", "main.c"});
    ASSERT_EQ(rc({"stamp", "bare.exe", "--from", "app.res"}).ExitCode, 0);
    EXPECT_EQ(wine({"fvi.exe", "bare.exe"}).Out.trimmed(), "1.2.3.4 1.2.3.4");
    EXPECT_EQ(wine({"bare.exe"}).ExitCode, 0);
}

} // namespace
