//===- VersionCommandsTest.cpp - check, import, verify and bump as a program -===//
//
// The compiled files come from llvm-rc, run on scripts quillmark-rc wrote.
//
//===----------------------------------------------------------------------===//

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "CommandFixture.h"

namespace {

using qm::test::RunResult;

class VersionCommandsTest : public qm::test::RcCommandTest {};

TEST_F(VersionCommandsTest, CheckPrintsFindingsAndSetTakesTheDottedForm) {
    copyExample("Example2.rc");
    RunResult check = rc({"check", "Example2.rc"});
    EXPECT_EQ(check.ExitCode, 0);
    EXPECT_TRUE(check.Out.isEmpty()) << check.Out.toStdString();

    // set will not write what a compiler refuses.
    const QByteArray before = readBytes("Example2.rc");
    // Nor a version text that can't be a version resource's, which the
    // message names with the forms it takes.
    for (const auto& [text, says] :
         {std::pair{"1, 2, 70000, 0", "part 3 \"70000\" is not a number of 0 to 65535"},
          {"1.2.3.4.5", "has 5 parts"},
          {"v2.4.1-3-gabc1234", "commit count"},
          {"1.2.3+build.7", "build metadata"}}) {
        const RunResult refused = rc({"set", "Example2.rc", "--product-version", text});
        EXPECT_EQ(refused.ExitCode, 2) << text;
        EXPECT_TRUE(refused.Err.contains(says) && refused.Err.contains("v1.2.3"))
            << refused.Err.toStdString();
    }
    EXPECT_EQ(readBytes("Example2.rc"), before);
    ASSERT_EQ(rc({"set", "Example2.rc", "--product-version", "v2.1.0"}).ExitCode, 0);
    EXPECT_TRUE(readBytes("Example2.rc").contains("  PRODUCTVERSION    2, 1, 0, 0\r\n"));
    // The FileVersion string that agreed follows, and says so; --no-strings
    // keeps it.
    const QByteArray unset = readBytes("Example2.rc");
    ASSERT_EQ(rc({"set", "Example2.rc", "--file-version", "1.2.3", "--no-strings"}).ExitCode, 0);
    EXPECT_TRUE(readBytes("Example2.rc").contains("\"2.1.0.15\\0\""));
    QFile original(path("Example2.rc"));
    ASSERT_TRUE(original.open(QIODevice::WriteOnly));
    original.write(unset);
    original.close();
    const RunResult set = rc({"set", "Example2.rc", "--file-version", "1.2.3-beta"});
    ASSERT_EQ(set.ExitCode, 0);
    EXPECT_TRUE(set.Err.contains("FileVersion follows FILEVERSION: \"2.1.0.15\" -> \"1.2.3.0\""))
        << set.Err.toStdString();
    EXPECT_TRUE(readBytes("Example2.rc").contains("  FILEVERSION       1, 2, 3, 0\r\n"));
    QByteArray wrapped = readBytes("Example2.rc");
    wrapped.replace("PRODUCTVERSION    2, 1, 0, 0", "PRODUCTVERSION    1, 2, 70000, 0");
    QFile file(path("Example2.rc"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(wrapped);
    file.close();
    check = rc({"check", "Example2.rc"});
    EXPECT_EQ(check.ExitCode, 1);
    EXPECT_EQ(check.Out.toStdString(),
              "PRODUCTVERSION: PRODUCTVERSION part 3 is 70000, which does not fit in 16 bits "
              "(0 to 65535)\n");
    EXPECT_EQ(rc({"check", "missing.rc"}).ExitCode, 2);
}

TEST_F(VersionCommandsTest, ShowImportAndVerifyReadTheCompiledResource) {
    compile("app", {"--string", "CompanyName=Ex\xC3\xA4mple"});

    const RunResult show = rc({"show", "app.res"});
    ASSERT_EQ(show.ExitCode, 0) << show.Err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(show.Out).object();
    EXPECT_EQ(json["fileVersion"].toString(), "2, 1, 0, 15");
    EXPECT_EQ(json["strings"].toObject()["CompanyName"].toString(), QString("Ex\u00e4mple"));
    const QJsonObject compiled = json["compiled"].toObject();
    EXPECT_EQ(compiled["format"].toString(), "res");
    EXPECT_EQ(compiled["stringTables"]
                  .toArray()[0]
                  .toObject()["strings"]
                  .toObject()["ProductVersion"]
                  .toString(),
              "2.1");
    // The JSON of a compiled file is a document `write` takes back.
    QFile jsonFile(path("app.json"));
    ASSERT_TRUE(jsonFile.open(QIODevice::WriteOnly));
    jsonFile.write(show.Out);
    jsonFile.close();
    EXPECT_EQ(rc({"write", "fromjson.rc", "--from", "app.json"}).ExitCode, 0);

    EXPECT_EQ(rc({"verify", "app.rc", "app.res"}).ExitCode, 0);
    const RunResult imported = rc({"import", "app.res", "-o", "imported.rc"});
    ASSERT_EQ(imported.ExitCode, 0) << imported.Err.toStdString();
    EXPECT_EQ(rc({"verify", "imported.rc", "app.res"}).ExitCode, 0);
    EXPECT_EQ(rc({"import", "app.res"}).ExitCode, 2);
    // Never over the input, another .res or an executable.
    for (const char* out : {"app.res", "other.RES", "app.exe"})
        EXPECT_EQ(rc({"import", "app.res", "-o", out}).ExitCode, 2) << out;
    EXPECT_EQ(readBytes("app.res").left(4), QByteArray(4, '\0'));
    EXPECT_EQ(rc({"verify", "app.res", "app.res"}).ExitCode, 2);
    // set would replace the compiled file with an empty script.
    EXPECT_EQ(rc({"set", "app.res", "--file-version", "1.2.3"}).ExitCode, 2);
    EXPECT_EQ(readBytes("app.res").left(4), QByteArray(4, '\0'));
    EXPECT_EQ(rc({"import", "app.rc", "-o", "x.rc"}).ExitCode, 2);

    ASSERT_EQ(rc({"set", "app.rc", "--file-version", "2.1.0.16", "--string", "Comments="}).ExitCode,
              0);
    const RunResult differ = rc({"verify", "app.rc", "app.res"});
    EXPECT_EQ(differ.ExitCode, 1);
    EXPECT_EQ(differ.Out.toStdString(),
              "FILEVERSION: FILEVERSION is 2, 1, 0, 16 in the script but 2, 1, 0, 15 in the "
              "compiled resource\n"
              "FileVersion: The string FileVersion is \"2.1.0.16\" in the script but "
              "\"2.1.0.15\" in the compiled resource\n"
              "Comments: The string Comments is compiled as \"\" but the script leaves it out\n");

    // A partial .res, as a failed compiler run can leave it.
    const QByteArray res = readBytes("app.res");
    QFile cut(path("cut.res"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(res.left(res.size() / 2));
    cut.close();
    const RunResult partial = rc({"verify", "app.rc", "cut.res"});
    EXPECT_EQ(partial.ExitCode, 1);
    EXPECT_TRUE(partial.Err.contains("cut.res: ")) << partial.Err.toStdString();
}

TEST_F(VersionCommandsTest, BumpIncrementsOnePartAndRefusesWhatItCannot) {
    copyExample("Example2.rc");
    RunResult bump = rc({"bump", "Example2.rc", "--part", "patch"});
    ASSERT_EQ(bump.ExitCode, 0) << bump.Err.toStdString();
    EXPECT_EQ(bump.Out.toStdString(), "FILEVERSION 2, 1, 1, 0\nPRODUCTVERSION 2, 1, 1, 0\n");
    EXPECT_TRUE(bump.Err.contains("ProductVersion is written bare"));
    const QByteArray script = readBytes("Example2.rc");
    EXPECT_TRUE(script.contains("VALUE \"FileVersion\",      \"2.1.1.0\\0\""));
    EXPECT_TRUE(script.contains("PRODUCT_VERSION_STR"));

    EXPECT_EQ(rc({"bump", "Example2.rc"}).Out.toStdString(),
              "FILEVERSION 2, 1, 1, 1\nPRODUCTVERSION 2, 1, 1, 1\n"); // build by default
    EXPECT_EQ(rc({"bump", "Example2.rc", "--part", "micro"}).ExitCode, 2);
    EXPECT_EQ(rc({"check", "Example2.rc", "--part", "build"}).ExitCode, 2);

    ASSERT_EQ(rc({"set", "Example2.rc", "--file-version", "1, 2, 3, 65535"}).ExitCode, 0);
    const QByteArray before = readBytes("Example2.rc");
    bump = rc({"bump", "Example2.rc"});
    EXPECT_EQ(bump.ExitCode, 1);
    EXPECT_TRUE(bump.Err.contains("already 65535")) << bump.Err.toStdString();
    EXPECT_EQ(readBytes("Example2.rc"), before);

    // Another resource is kept as it stands: bump edits in place.
    QFile extra(path("Example2.rc"));
    ASSERT_TRUE(extra.open(QIODevice::Append));
    extra.write("STRINGTABLE\r\nBEGIN\r\n  1, \"kept\"\r\nEND\r\n");
    extra.close();
    bump = rc({"bump", "Example2.rc", "--part", "major"});
    EXPECT_EQ(bump.ExitCode, 0) << bump.Err.toStdString();
    EXPECT_TRUE(
        readBytes("Example2.rc").endsWith("STRINGTABLE\r\nBEGIN\r\n  1, \"kept\"\r\nEND\r\n"));
}

} // namespace

namespace {

// The corpus of real-world styles (tests/data/realworld), through the
// program: show, verify and bump on each, against what llvm-rc makes.
class RealWorldCommandsTest : public VersionCommandsTest {
protected:
    void SetUp() override {
        for (const QString& name : QDir(QM_REALWORLD_DIR).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(QM_REALWORLD_DIR "/" + name, path(name)));
    }

    // llvm-rc reads no UTF-16 (Windows' rc.exe does): such a script is
    // compiled from its UTF-8 text; a script that is not UTF-8 is 1252.
    QJsonObject shownCompiled(const QString& script, const QString& res) {
        QByteArray bytes = readBytes(script);
        QString source = script;
        if (bytes.startsWith("\xFF\xFE")) {
            source = script + ".utf8.rc";
            QFile out(path(source));
            EXPECT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                         (bytes.size() - 2) / 2)
                          .toUtf8());
            out.close();
            bytes = readBytes(source);
        }
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = utf8.decode(bytes);
        const QString codePage = utf8.hasError() ? "1252" : "65001";
        const RunResult compiled = run(
            QM_LLVM_RC, {"/C", codePage, "/I", "/usr/share/mingw-w64/include", "/FO", res, source});
        EXPECT_EQ(compiled.ExitCode, 0) << script.toStdString() << compiled.Out.toStdString();
        return QJsonDocument::fromJson(rc({"show", res}).Out).object();
    }
};

// The compiled member without the members a bump changes.
QJsonObject WithoutVersions(QJsonObject compiled) {
    QJsonArray tables = compiled["stringTables"].toArray();
    for (int t = 0; t < tables.size(); ++t) {
        QJsonObject table = tables[t].toObject();
        QJsonObject strings = table["strings"].toObject();
        strings.remove("FileVersion");
        strings.remove("ProductVersion");
        table["strings"] = strings;
        tables[t] = table;
    }
    compiled["stringTables"] = tables;
    return compiled;
}

TEST_F(RealWorldCommandsTest, ShowVerifyAndBumpAgreeWithLlvmRc) {
    int bumped = 0;
    for (const QString& script : QDir(Dir.path()).entryList({"*.rc"}, QDir::Files)) {
        const std::string name = script.toStdString();
        const QJsonObject before = shownCompiled(script, "before.res");
        const QJsonObject res = before["compiled"].toObject();
        const QJsonObject shown = QJsonDocument::fromJson(rc({"show", script}).Out).object();
        const QJsonObject model = shown["compiled"].toObject();
        if (model["undetermined"].toObject().isEmpty()) {
            for (const char* member :
                 {"fileFlags", "fileOS", "fileType", "stringTables", "translations"})
                EXPECT_EQ(model[member], res[member]) << name << ": " << member;
        }
        const RunResult verify = rc({"verify", script, "before.res"});
        EXPECT_EQ(verify.ExitCode, 0) << name << ": " << verify.Out.toStdString();
        // import keeps every table and pair: its script verifies too.
        ASSERT_EQ(rc({"import", "before.res", "-o", "imported.rc"}).ExitCode, 0) << name;
        const RunResult reimported = rc({"verify", "imported.rc", "before.res"});
        EXPECT_EQ(reimported.ExitCode, 0) << name << ": " << reimported.Out.toStdString();

        // Versions spelled with macros are bumped in the #defines they live in.
        const RunResult bump = rc({"bump", script, "--part", "minor"});
        ASSERT_EQ(bump.ExitCode, 0) << name << ": " << bump.Err.toStdString();
        if (script.contains("macros")) {
            EXPECT_TRUE(bump.Err.contains("_MINOR")) << bump.Err.toStdString();
        }
        ++bumped;
        const QJsonObject after = shownCompiled(script, "after.res");
        EXPECT_EQ(rc({"verify", script, "after.res"}).ExitCode, 0) << name;
        EXPECT_EQ(WithoutVersions(after["compiled"].toObject()), WithoutVersions(res)) << name;
        EXPECT_NE(after["fileVersion"], before["fileVersion"]) << name;
    }
    EXPECT_GE(bumped, 24);
}

TEST_F(RealWorldCommandsTest, AShortenedVersionStringIsANoteUnlessStrict) {
    // "4.00" and "4.0" for 4, 0, 1381, 318, as many products show them.
    const RunResult check = rc({"check", "resources_first.rc"});
    EXPECT_EQ(check.ExitCode, 0) << check.Out.toStdString();
    EXPECT_EQ(check.Out.toStdString(),
              "FileVersion: note: The string FileVersion \"4.00\" shows the first 2 parts of "
              "FILEVERSION 4, 0, 1381, 318\n"
              "ProductVersion: note: The string ProductVersion \"4.0\" shows the first 2 parts "
              "of PRODUCTVERSION 4, 0, 1381, 318\n");
    EXPECT_EQ(rc({"check", "resources_first.rc", "--strict"}).ExitCode, 1);
    // A string that truly disagrees still fails.
    EXPECT_EQ(rc({"set", "resources_first.rc", "--string", "FileVersion=4.1"}).ExitCode, 0);
    EXPECT_EQ(rc({"check", "resources_first.rc"}).ExitCode, 1);
}

// What each command makes of the strings llvm-rc compiles with the given
// switches (it defines _WIN64 itself, for its x64 target).
TEST_F(RealWorldCommandsTest, EditsReachTheBranchAndEveryCopyTheCompilerBuilds) {
    auto compiledStrings = [&](const QString& script, const QStringList& switches,
                               const QString& language = "409") {
        EXPECT_EQ(run(QM_LLVM_RC, QStringList{"/C", "65001", "/I", "/usr/share/mingw-w64/include"} +
                                      switches + QStringList{"/FO", "out.res", script})
                      .ExitCode,
                  0);
        const RunResult shown = rc({"show", "out.res", "--resource-language", language});
        return QJsonDocument::fromJson(shown.Out).object()["strings"].toObject();
    };
    const QByteArray platform = readBytes("platform_strings.rc");
    // A name no file defines stops the compiler: no header is missing here.
    EXPECT_EQ(rc({"set", "platform_strings.rc", "--file-version", "VER_UNDEFINED"}).ExitCode, 1);
    // A VALUE added to a table whose #ifdef nothing settles is refused by name.
    const RunResult unsettled = rc({"set", "platform_strings.rc", "--string", "Comments=x"});
    EXPECT_EQ(unsettled.ExitCode, 1);
    EXPECT_TRUE(unsettled.Err.contains("-D or -U _WIN64")) << unsettled.Err.toStdString();
    EXPECT_EQ(readBytes("platform_strings.rc"), platform);
    // Settled, the edit lands where the compiler looks.
    ASSERT_EQ(rc({"set", "platform_strings.rc", "-D", "_WIN64", "--string", "FileDescription=Tool"})
                  .ExitCode,
              0);
    EXPECT_EQ(compiledStrings("platform_strings.rc", {})["FileDescription"], "Tool");
    ASSERT_EQ(rc({"set", "platform_strings.rc", "-U", "_WIN64", "--string", "Comments=x"}).ExitCode,
              0);
    EXPECT_EQ(compiledStrings("platform_strings.rc", {"/U", "_WIN64"})["Comments"], "x");

    // Two copies: a bump reaches both, a set with --resource-language one.
    ASSERT_EQ(rc({"bump", "two_languages.rc", "--part", "build"}).ExitCode, 0);
    ASSERT_EQ(
        rc({"set", "two_languages.rc", "--resource-language", "411", "--string", "Comments=ja"})
            .ExitCode,
        0);
    const QJsonObject japanese = compiledStrings("two_languages.rc", {}, "411");
    EXPECT_EQ(japanese["FileVersion"], "2.1.0.8");
    EXPECT_EQ(japanese["Comments"], "ja");
    EXPECT_EQ(compiledStrings("two_languages.rc", {})["FileVersion"], "2.1.0.8");
    EXPECT_EQ(compiledStrings("two_languages.rc", {})["Comments"], ""); // the form's empty field
    EXPECT_EQ(rc({"verify", "two_languages.rc", "out.res"}).ExitCode, 0);

    // Memory flags are compiled as llvm-rc compiles them.
    ASSERT_EQ(rc({"compile", "memory_flags.rc", "-U", "GCC_WINDRES", "-o", "ours.res"}).ExitCode,
              0);
    compiledStrings("memory_flags.rc", {"/U", "GCC_WINDRES"});
    EXPECT_EQ(readBytes("ours.res"), readBytes("out.res"));
}

TEST_F(RealWorldCommandsTest, GetPrintsOneValueOrFailsWithTheReason) {
    shownCompiled("platform_strings.rc", "platform.res");
    for (const char* file : {"platform_strings.rc", "platform.res"}) {
        EXPECT_EQ(rc({"get", file, "FileVersion"}).Out, "4.2.0.0\n");
        EXPECT_EQ(rc({"get", file, "fileVersion", "--parts"}).Out, "4 2 0 0\n");
        EXPECT_EQ(rc({"get", file, "FILEOS"}).Out, "0x00040004\n");
        const RunResult absent = rc({"get", file, "Comments"});
        EXPECT_EQ(absent.ExitCode, 1);
        EXPECT_TRUE(absent.Out.isEmpty());
    }
    // What the script leaves to the compiler's definitions is no value.
    const RunResult open = rc({"get", "platform_strings.rc", "FileDescription"});
    EXPECT_EQ(open.ExitCode, 1);
    EXPECT_TRUE(open.Err.contains("_WIN64")) << open.Err.toStdString();
    const RunResult settled = rc({"get", "platform_strings.rc", "-D", "_WIN64", "FileDescription"});
    EXPECT_EQ(settled.Out, "Example tool (64-bit)\n") << settled.Err.toStdString();
    EXPECT_EQ(rc({"get", "platform.res", "fileOS", "--parts"}).ExitCode, 2);
}

TEST_F(RealWorldCommandsTest, ShowPicksTheLanguageCopyWindowsWouldAndListsTheOthers) {
    // German first, then U.S. English: Windows on an English system shows the second.
    QByteArray script = readBytes("neutral.rc");
    const QByteArray block = script.mid(script.indexOf("1 VERSIONINFO"));
    script.replace(script.indexOf("1 VERSIONINFO"), block.size(),
                   "LANGUAGE 7, 1\r\n" + QByteArray(block).replace("Neutral Ltd", "Beispiel") +
                       "LANGUAGE 9, 1\r\n" + block);
    QFile file(path("two.rc"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(script);
    file.close();
    const QJsonObject shown = shownCompiled("two.rc", "two.res");
    const QJsonObject compiled = shown["compiled"].toObject();
    EXPECT_EQ(compiled["resourceLanguage"].toInt(), 0x409);
    EXPECT_EQ(compiled["otherLanguages"].toArray(), QJsonArray{0x407});
    EXPECT_EQ(shown["strings"].toObject()["CompanyName"].toString(), "Neutral Ltd");
    const RunResult german = rc({"show", "two.res", "--resource-language", "407"});
    EXPECT_EQ(QJsonDocument::fromJson(german.Out).object()["strings"].toObject()["CompanyName"],
              "Beispiel");
    EXPECT_EQ(rc({"show", "two.res", "--resource-language", "40c"}).ExitCode, 2);
}

} // namespace
