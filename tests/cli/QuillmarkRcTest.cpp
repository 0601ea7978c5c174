//===- QuillmarkRcTest.cpp - quillmark-rc driven as a program -------------===//
//
// Every test runs the built program in a fresh temporary folder that is
// also its HOME and XDG_CONFIG_HOME, so no stored settings can change the
// defaults it writes.
//
//===----------------------------------------------------------------------===//

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "RcUnderTest.h"

namespace {

struct RunResult {
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;

    QJsonObject json() const { return QJsonDocument::fromJson(Out).object(); }
};

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

QByteArray Example(const char* name) {
    return ReadBytes(QString(QM_EXAMPLES_DIR "/") + name);
}

class QuillmarkRcTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return Dir.filePath(name); }

    void writeBytes(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    RunResult run(const QStringList& args, const QByteArray& input = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", Dir.path());
        env.insert("XDG_CONFIG_HOME", Dir.filePath(".config"));
        env.insert("XDG_DATA_HOME", Dir.filePath(".local/share"));
        env.insert("XDG_STATE_HOME", Dir.filePath(".local/state"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(Dir.path());
        qm::test::StartRc(process, Program, args);
        EXPECT_TRUE(process.waitForStarted());
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(-1));
        RunResult result;
        result.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.Out = process.readAllStandardOutput();
        result.Err = process.readAllStandardError();
        return result;
    }

    QTemporaryDir Dir;
    QString Program = QM_RC_PROGRAM;
};

/// The shipped template's lines ahead of the resource.
QByteArray TemplateHead() {
    const QByteArray shipped = ReadBytes(QM_TEMPLATE_FILE);
    return shipped.left(shipped.indexOf("VS_VERSION_INFO"));
}

/// Example 2 with bytes that are not UTF-8 in a comment line and in values,
/// and without the values the reader cannot give back unchanged.
QByteArray ScriptWithAllHighBytes() {
    QByteArray high;
    for (int b = 0x80; b <= 0xFF; ++b)
        high += static_cast<char>(b);
    QByteArray script = "// " + high + "\r\n// caf\xC3\xA9 \xED\xA0\x80 \xC0\xAF\r\n";
    script += Example("Example2.rc");
    script.replace("\"Example\\0\"", "\"Caf\xE9 \xA9 \xE2\x82\\0\"");
    script.replace("\"\\#1 build\\0\"", "\"" + high + "\\0\"");
    return script;
}

TEST_F(QuillmarkRcTest, HelpAndVersionExitZero) {
    const RunResult version = run({"--version"});
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_TRUE(version.Out.startsWith("quillmark-rc 1.")) << version.Out.constData();
    const RunResult help = run({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Out.contains("\\udcXX")) << "the byte rule is documented";
    const RunResult setHelp = run({"set", "--help"});
    EXPECT_EQ(setHelp.ExitCode, 0);
    EXPECT_TRUE(setHelp.Out.contains("set FILE [EDITS] [--block NAME] [-o OUT]"));
    EXPECT_TRUE(setHelp.Out.contains("--string KEY=VALUE"));
}

TEST_F(QuillmarkRcTest, WrongArgumentsExitTwoAndWriteNothing) {
    const QList<QStringList> wrong = {
        {},
        {"stamp", "x.rc"},
        {"show"},
        {"new", "x.rc", "--bogus"},
        {"new", "x.rc", "--from", "doc.json"},
        {"show", "x.rc", "--debug", "on"},
        {"write", "x.rc"},
        {"write", "x.rc", "--from", "doc.json", "--file-os", "VOS_NT"},
        {"new", "x.rc", "-o", "y.rc"},
    };
    for (const QStringList& args : wrong) {
        const RunResult result = run(args);
        EXPECT_EQ(result.ExitCode, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(result.Err.isEmpty()) << args.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(path("x.rc")) || QFile::exists(path("y.rc")));
    }
}

TEST_F(QuillmarkRcTest, NewWritesExampleOneUnderTheTemplatesCommentLines) {
    // The build tree's program keeps its template beside itself.
    ASSERT_TRUE(TemplateHead().contains("#include <winver.h>\r\n"));
    const RunResult result = run({"new", "x.rc"});
    EXPECT_EQ(result.ExitCode, 0) << result.Err.constData();
    EXPECT_EQ(ReadBytes(path("x.rc")), TemplateHead() + Example("Example1.rc"));
    EXPECT_FALSE(QFile::exists(path(".local/share/quillmark")));
}

TEST_F(QuillmarkRcTest, InstalledCopyTakesTheUsersOwnTemplateCopiedOnFirstUse) {
    QM_SKIP_FOR_WINDOWS_EXE("a Linux install layout");
    // An installed layout: the program in bin/, its defaults in share/.
    ASSERT_TRUE(QDir().mkpath(path("usr/bin")) && QDir().mkpath(path("usr/share/quillmark")));
    Program = path("usr/bin/quillmark-rc");
    ASSERT_TRUE(QFile::copy(QM_RC_PROGRAM, Program));
    const QByteArray body = Example("Example1.rc");
    writeBytes("usr/share/quillmark/Initial.rc", "// shipped\r\n" + body);
    writeBytes("usr/share/quillmark/QuillmarkEX.sh", "path=\n");

    ASSERT_EQ(run({"new", "a.rc"}).ExitCode, 0);
    EXPECT_EQ(ReadBytes(path("a.rc")), "// shipped\r\n" + body);
    const QString mine = path(".local/share/quillmark/Initial.rc");
    EXPECT_EQ(ReadBytes(mine), "// shipped\r\n" + body);
    EXPECT_EQ(ReadBytes(path(".local/share/quillmark/QuillmarkEX.sh")), "path=\n");

    // From then on the user's copy counts, and is never overwritten.
    writeBytes(".local/share/quillmark/Initial.rc", "// mine\r\n" + body);
    ASSERT_EQ(run({"new", "b.rc"}).ExitCode, 0);
    EXPECT_EQ(ReadBytes(path("b.rc")), "// mine\r\n" + body);

    // Without any template, a new document has no comment lines.
    QFile::remove(mine);
    QFile::remove(path("usr/share/quillmark/Initial.rc"));
    ASSERT_EQ(run({"new", "c.rc"}).ExitCode, 0);
    EXPECT_EQ(ReadBytes(path("c.rc")), body);
}

TEST_F(QuillmarkRcTest, WriteTurnsExampleTwoDocumentIntoExampleTwo) {
    const QString document = QM_EXAMPLES_DIR "/Example2.json";
    EXPECT_EQ(run({"write", "a.rc", "--from", document}).ExitCode, 0);
    EXPECT_EQ(ReadBytes(path("a.rc")), Example("Example2.rc"));
    EXPECT_EQ(run({"write", "b.rc", "--from", "-"}, ReadBytes(document)).ExitCode, 0);
    EXPECT_EQ(ReadBytes(path("b.rc")), Example("Example2.rc"));
    // Every member left out takes its new-document value.
    EXPECT_EQ(run({"write", "c.rc", "--from", "-"}, "{}").ExitCode, 0);
    EXPECT_EQ(ReadBytes(path("c.rc")), Example("Example1.rc"));
}

TEST_F(QuillmarkRcTest, ShowReadsBothExamplesWithoutReports) {
    const RunResult one = run({"show", QM_EXAMPLES_DIR "/Example1.rc"});
    ASSERT_EQ(one.ExitCode, 0);
    EXPECT_EQ(one.json()["language"].toString(), " 411  Japanese");
    EXPECT_EQ(one.json()["codePage"].toString(), "1200  Unicode");
    EXPECT_EQ(one.json()["reports"].toArray().size(), 0);
    EXPECT_TRUE(one.json()["error"].isNull());

    const RunResult two = run({"show", QM_EXAMPLES_DIR "/Example2.rc"});
    ASSERT_EQ(two.ExitCode, 0);
    const QJsonObject json = two.json();
    EXPECT_EQ(json["reports"].toArray().size(), 0);
    EXPECT_EQ(json["comIncLines"].toArray().size(), 2);
    EXPECT_EQ(json["fileVersion"].toString(), "2, 1, 0, 15");
    EXPECT_TRUE(json["preRelease"].toBool());
    EXPECT_FALSE(json["debug"].toBool());
    EXPECT_EQ(json["fileOS"].toString(), "VOS__WINDOWS32");
    EXPECT_EQ(json["language"].toString(), " 409  U.S. English");
    EXPECT_EQ(json["codePage"].toString(), "1252  Windows, Multilingual");
    EXPECT_EQ(json["strings"]["Comments"].toString(), "\\0");
    EXPECT_EQ(json["strings"]["ProductVersion"].toString(), "\\#PRODUCT_VERSION_STR");
    // The twelve keys come in script order, not sorted.
    EXPECT_LT(two.Out.indexOf("\"FileVersion\""), two.Out.indexOf("\"Comments\""));
    EXPECT_LT(two.Out.indexOf("\"PrivateBuild\""), two.Out.indexOf("\"SpecialBuild\""));
}

// Several files in one call: show gives an array with each file named, a
// file that can't be read as an entry of its own; check names the file on
// each finding. The exit status is the worst of them.
TEST_F(QuillmarkRcTest, ShowAndCheckTakeSeveralFiles) {
    writeBytes("a.rc", Example("Example2.rc"));
    QByteArray bad = Example("Example2.rc");
    bad.replace("2, 1, 0, 15", "2, 1, 0, 70000");
    writeBytes("b.rc", bad);
    const RunResult shown = run({"show", "a.rc", "none.rc", "b.rc"});
    EXPECT_EQ(shown.ExitCode, 2);
    const QJsonArray documents = QJsonDocument::fromJson(shown.Out).array();
    ASSERT_EQ(documents.size(), 3) << shown.Out.constData();
    EXPECT_EQ(documents[0].toObject()["file"].toString(), "a.rc");
    EXPECT_EQ(documents[0].toObject()["fileVersion"].toString(), "2, 1, 0, 15");
    EXPECT_TRUE(documents[1].toObject()["failure"].toString().startsWith("Can't open none.rc"));
    EXPECT_EQ(documents[2].toObject()["fileVersion"].toString(), "2, 1, 0, 70000");

    const RunResult checked = run({"check", "a.rc", "b.rc"});
    EXPECT_EQ(checked.ExitCode, 1);
    EXPECT_TRUE(checked.Out.startsWith("b.rc: FILEVERSION")) << checked.Out.constData();
}

TEST_F(QuillmarkRcTest, ShowOfAFileThatCannotBeOpenedExitsTwo) {
    const QList<QPair<QString, QByteArray>> cases = {
        {path("none.rc"), ": " + qm::test::NoSuchFile() + "\n"},
        {Dir.path(), ": it is a folder\n"}};
    for (const auto& [missing, why] : cases) {
        const RunResult result = run({"show", missing});
        EXPECT_EQ(result.ExitCode, 2);
        EXPECT_EQ(result.Err, "Can't open " + missing.toUtf8() + why);
        EXPECT_TRUE(result.Out.isEmpty());
    }
}

TEST_F(QuillmarkRcTest, ShowListsReportsAndStillSucceeds) {
    writeBytes("short.rc", "1 VERSIONINFO\r\n  FILEFLAGSMASK 0x3fL\r\nBEGIN\r\n"
                           "  BLOCK \"StringFileInfo\"\r\n  BEGIN\r\n    BLOCK \"04090352\"\r\n");
    const RunResult result = run({"show", "short.rc"});
    EXPECT_EQ(result.ExitCode, 0);
    const QJsonArray reports = result.json()["reports"].toArray();
    ASSERT_EQ(reports.size(), 3);
    EXPECT_EQ(reports[0].toString(), "FILEFLAGSMASK must be VS_FFI_FILEFLAGSMASK");
    EXPECT_EQ(reports[1].toString(), "Unknown CodePage 850");
    EXPECT_EQ(reports[2].toString(), "Can't find END");
    EXPECT_TRUE(result.json()["codePage"].isNull());
    EXPECT_EQ(result.json()["language"].toString(), " 409  U.S. English");
}

TEST_F(QuillmarkRcTest, ConversionErrorExitsOneButShowStillPrintsTheRecord) {
    QByteArray script = Example("Example2.rc");
    script.replace("040904E4", "04Z904E4");
    writeBytes("bad.rc", script);
    const RunResult result = run({"show", "bad.rc"});
    EXPECT_EQ(result.ExitCode, 1);
    const QJsonObject json = result.json();
    EXPECT_FALSE(json["error"].toString().isEmpty());
    EXPECT_EQ(json["fileVersion"].toString(), "2, 1, 0, 15") << "read so far is kept";
    EXPECT_EQ(json["language"].toString(), " 411  Japanese") << "left at its reset value";
    EXPECT_EQ(json["reports"].toArray().size(), 0);

    // A compiler takes any block name, and set edits in place: the name
    // the form can't read is kept as it stands.
    const RunResult set = run({"set", "bad.rc", "--debug", "on", "-o", "out.rc"});
    EXPECT_EQ(set.ExitCode, 0) << set.Err.constData();
    EXPECT_EQ(ReadBytes(path("bad.rc")), script);
    EXPECT_EQ(ReadBytes(path("out.rc")).size(), script.size() + QByteArray("VS_FF_DEBUG|").size());
}

TEST_F(QuillmarkRcTest, ShowThenWriteGivesBackEveryByte) {
    const QByteArray script = ScriptWithAllHighBytes();
    writeBytes("bytes.rc", script);
    const RunResult shown = run({"show", "bytes.rc"});
    ASSERT_EQ(shown.ExitCode, 0);
    EXPECT_TRUE(shown.Out.contains("caf\xC3\xA9 \\udced\\udca0\\udc80")) << "UTF-8 stays as is";
    const RunResult written = run({"write", "copy.rc", "--from", "-"}, shown.Out);
    ASSERT_EQ(written.ExitCode, 0) << written.Err.constData();
    EXPECT_EQ(ReadBytes(path("copy.rc")), script);
}

// A number no row names is kept as written, and write takes it back so.
TEST_F(QuillmarkRcTest, AValueKeptAsWrittenIsWrittenAsWritten) {
    QByteArray script = Example("Example2.rc");
    script.replace("VFT2_UNKNOWN", "3").replace("VFT_DLL", "VFT_APP");
    script.replace("VOS__WINDOWS32", "0x12345");
    writeBytes("kept.rc", script);
    const RunResult shown = run({"show", "kept.rc"});
    ASSERT_EQ(shown.ExitCode, 0);
    const RunResult written = run({"write", "copy.rc", "--from", "-"}, shown.Out);
    ASSERT_EQ(written.ExitCode, 0) << written.Err.constData();
    const QByteArray copy = ReadBytes(path("copy.rc"));
    EXPECT_TRUE(copy.contains("FILEOS            0x12345\r\n")) << copy.constData();
    EXPECT_TRUE(copy.contains("FILESUBTYPE       3\r\n"));
    EXPECT_EQ(run({"write", "out.rc", "--from", "-"}, "{\"fileOS\": \"1 BEGIN\"}").ExitCode, 2);
}

TEST_F(QuillmarkRcTest, WriteWithoutLanguageOrCodePageRowKeepsTheTarget) {
    for (const char* document : {"{\"language\": null}", "{\"codePage\": null}"}) {
        writeBytes("keep.rc", "previous contents");
        const RunResult result = run({"write", "keep.rc", "--from", "-"}, document);
        EXPECT_EQ(result.ExitCode, 1) << document;
        EXPECT_FALSE(result.Err.isEmpty());
        EXPECT_EQ(ReadBytes(path("keep.rc")), "previous contents");
    }
}

TEST_F(QuillmarkRcTest, WriteRefusesDocumentsItCannotWriteFaithfully) {
    const char* documents[] = {
        "not json",
        "[]",
        "{\"language\": \" 409 U.S. English\"}",
        "{\"language\": \"zz\"}",
        "{\"codePage\": 1251000}",
        "{\"fileOS\": \"VOS_BOGUS\"}",
        "{\"fileType\": \"VFT_DRV\", \"fileSubType\": \"VFT2_FONT_RASTER\"}",
        "{\"strings\": {\"Company\": \"x\"}}",
        "{\"fileVerison\": \"1\"}",
        "{\"debug\": \"yes\"}",
        "{\"comIncLines\": [\"a\\nVS_VERSION_INFO VERSIONINFO\"]}",
        "{\"strings\": {\"Comments\": \"a\\r\\nb\"}}",
        "{\"fileVersion\": \"\\ud800\"}",
    };
    for (const char* document : documents) {
        const RunResult result = run({"write", "out.rc", "--from", "-"}, document);
        EXPECT_EQ(result.ExitCode, 2) << document;
        EXPECT_FALSE(result.Err.isEmpty()) << document;
        EXPECT_FALSE(QFile::exists(path("out.rc"))) << document;
    }
    EXPECT_EQ(run({"write", "out.rc", "--from", "none.json"}).Err,
              "Can't open none.json: " + qm::test::NoSuchFile() + "\n");
}

// Keys of their own (Build, GitCommit) go where the twelve go, and back.
TEST_F(QuillmarkRcTest, AnyStringKeyIsWrittenShownAndKept) {
    ASSERT_EQ(
        run({"new", "new.rc", "--string", "GitCommit=abc123", "--string", "Build=7"}).ExitCode, 0);
    const QJsonObject others =
        QJsonDocument::fromJson(run({"show", "new.rc"}).Out).object()["otherStrings"].toObject();
    EXPECT_EQ(others.keys(), (QStringList{"Build", "GitCommit"}));
    EXPECT_EQ(others["GitCommit"], "abc123");
    writeBytes("in.rc", Example("Example2.rc"));
    ASSERT_EQ(run({"set", "in.rc", "--string", "Assembly Version=2.1.0.15"}).ExitCode, 0);
    const RunResult shown = run({"show", "in.rc"});
    ASSERT_EQ(run({"write", "out.rc", "--from", "-"}, shown.Out).ExitCode, 0);
    const QByteArray written = ReadBytes(path("out.rc"));
    EXPECT_TRUE(written.contains("VALUE \"Assembly Version\", \"2.1.0.15\\0\""))
        << written.toStdString();
}

// A script's JSON takes what the options take, and show gives the numbers.
TEST_F(QuillmarkRcTest, WriteTakesTheOptionsFormsAndShowTheVersionParts) {
    const char* document =
        "{\"fileVersion\": \"v2.4.1\", \"language\": \"409\", \"codePage\": 1252}";
    ASSERT_EQ(run({"write", "out.rc", "--from", "-"}, document).ExitCode, 0);
    const QByteArray script = ReadBytes(path("out.rc"));
    EXPECT_TRUE(script.contains("FILEVERSION       2, 4, 1, 0")) << script.toStdString();
    EXPECT_TRUE(script.contains("BLOCK \"040904E4\"")) << script.toStdString();
    EXPECT_TRUE(run({"show", "out.rc"}).Out.contains("\"fileVersionParts\": [2, 4, 1, 0]"));
}

TEST_F(QuillmarkRcTest, SetAppliesEditsAndWritesToOutput) {
    writeBytes("in.rc", Example("Example2.rc"));
    const RunResult result = run({"set",
                                  "in.rc",
                                  "-o",
                                  "out.rc",
                                  "--file-version",
                                  "3, 0, 0, 7",
                                  "--debug",
                                  "on",
                                  "--prerelease",
                                  "off",
                                  "--file-os",
                                  "vos_nt_windows32",
                                  "--file-type",
                                  "VFT_DRV",
                                  "--file-subtype",
                                  "VFT2_DRV_SOUND",
                                  "--language",
                                  "0x40c",
                                  "--code-page",
                                  "1250",
                                  "--string",
                                  "FileVersion=3.0.0.7",
                                  "--string",
                                  "LegalCopyright=\\0",
                                  "--string",
                                  "ProductVersion=",
                                  "--com-inc-line",
                                  "#include <winver.h>"});
    ASSERT_EQ(result.ExitCode, 0) << result.Err.constData();
    EXPECT_EQ(ReadBytes(path("in.rc")), Example("Example2.rc"));
    const QJsonObject json = run({"show", "out.rc"}).json();
    EXPECT_EQ(json["comIncLines"].toArray(), QJsonArray{"#include <winver.h>"});
    EXPECT_EQ(json["fileVersion"].toString(), "3, 0, 0, 7");
    EXPECT_TRUE(json["debug"].toBool());
    EXPECT_FALSE(json["preRelease"].toBool());
    EXPECT_EQ(json["fileOS"].toString(), "VOS_NT_WINDOWS32");
    EXPECT_EQ(json["fileType"].toString(), "VFT_DRV");
    EXPECT_EQ(json["fileSubType"].toString(), "VFT2_DRV_SOUND");
    EXPECT_EQ(json["language"].toString(), " 40C  French");
    EXPECT_EQ(json["codePage"].toString(), "1250  Windows, Latin-2 (Eastern European)");
    const QJsonObject strings = json["strings"].toObject();
    EXPECT_EQ(strings["FileVersion"].toString(), "3.0.0.7");
    EXPECT_EQ(strings["LegalCopyright"].toString(), "\\0");
    EXPECT_EQ(strings["ProductVersion"].toString(), "");
    EXPECT_EQ(strings["CompanyName"].toString(), "Example") << "untouched values stay";
}

TEST_F(QuillmarkRcTest, SetEditsInPlaceAndFileTypeResetsTheSubtype) {
    ASSERT_EQ(run({"new", "x.rc", "--file-type", "VFT_FONT", "--file-subtype", "VFT2_FONT_TRUETYPE",
                   "--language", "409"})
                  .ExitCode,
              0);
    EXPECT_EQ(run({"show", "x.rc"}).json()["fileSubType"].toString(), "VFT2_FONT_TRUETYPE");
    EXPECT_EQ(run({"show", "x.rc"}).json()["language"].toString(), " 409  U.S. English");
    ASSERT_EQ(run({"set", "x.rc", "--file-type", "VFT_DRV"}).ExitCode, 0);
    EXPECT_EQ(run({"show", "x.rc"}).json()["fileSubType"].toString(), "VFT2_UNKNOWN");

    // A VXD's subtype is a number no list names: any text is taken.
    ASSERT_EQ(run({"set", "x.rc", "--file-type", "VFT_VXD", "--file-subtype", "0x1234"}).ExitCode,
              0);
    EXPECT_TRUE(ReadBytes(path("x.rc")).contains("\r\n  FILESUBTYPE       0x1234\r\n"));
}

TEST_F(QuillmarkRcTest, SetRenamesTheTableWithoutNeedingARowForTheOldName) {
    QByteArray script = Example("Example1.rc");
    script.replace("041104B0", "04110352"); // code page 850 is in no row
    writeBytes("cp.rc", script);
    const RunResult mended = run({"set", "cp.rc", "--code-page", "1200"});
    EXPECT_EQ(mended.ExitCode, 0) << mended.Err.constData();
    EXPECT_EQ(ReadBytes(path("cp.rc")), Example("Example1.rc"));
}

TEST_F(QuillmarkRcTest, SetKeepsEverythingItWasNotAskedToChange) {
    const QByteArray example = Example("Example2.rc");
    auto inserted = [&example](const char* before, const QByteArray& text) {
        QByteArray script = example;
        return script.insert(script.indexOf(before), text);
    };
    const struct {
        const char* Name;
        QByteArray Script;
        QByteArray Named;
    } cases[] = {
        {"dialog", example + "IDD_ABOUT DIALOG 0, 0, 100, 50\r\nBEGIN\r\nEND\r\n",
         "  line 35: IDD_ABOUT DIALOG 0, 0, 100, 50\n"},
        {"string table", example + "STRINGTABLE\r\nBEGIN\r\n  1, \"Hello\"\r\nEND\r\n",
         "  line 37: 1, \"Hello\"\n"},
        {"second language",
         inserted("    END\r\n    BLOCK \"VarFileInfo\"",
                  "        BLOCK \"040704E4\"\r\n        BEGIN\r\n"
                  "           VALUE \"CompanyName\",      \"Beispiel\\0\"\r\n        END\r\n"),
         "  line 29: BLOCK \"040704E4\"\n"},
        {"extra key", inserted("        END\r\n", "           VALUE \"Build\", \"7\\0\"\r\n"),
         "  line 28: VALUE \"Build\", \"7\\0\"\n"},
        {"no VERSIONINFO", "int main(void)\n{\n    return 0;\n}\n", "  Can't find VERSIONINFO\n"},
        {"NUL before the header", "// x\r\n" + QByteArray(1, '\0') + example,
         "  the text after the NUL byte at offset 6\n"},
    };
    for (const auto& one : cases) {
        writeBytes("in.rc", one.Script);
        if (one.Script.contains("VERSIONINFO") && !one.Script.contains('\0')) {
            // Edited in place: only the flags change.
            QByteArray expected = one.Script;
            expected.replace("VS_FF_PRERELEASE|", "VS_FF_DEBUG|VS_FF_PRERELEASE|");
            const RunResult set = run({"set", "in.rc", "--debug", "on"});
            EXPECT_EQ(set.ExitCode, 0) << one.Name << ": " << set.Err.constData();
            EXPECT_EQ(ReadBytes(path("in.rc")), expected) << one.Name;
            continue;
        }
        // Nothing a compiler would read as VERSIONINFO: only a whole new
        // document could be written, and only when forced.
        const RunResult refused = run({"set", "in.rc", "--debug", "on"});
        EXPECT_EQ(refused.ExitCode, 1) << one.Name;
        EXPECT_TRUE(refused.Err.contains(one.Named)) << one.Name << ": " << refused.Err.constData();
        EXPECT_TRUE(refused.Err.contains("--force")) << one.Name;
        EXPECT_EQ(ReadBytes(path("in.rc")), one.Script) << one.Name;
        EXPECT_EQ(run({"set", "in.rc", "--debug", "on", "--force"}).ExitCode, 0) << one.Name;
        EXPECT_NE(ReadBytes(path("in.rc")), one.Script) << one.Name;
    }
    EXPECT_EQ(run({"show", "in.rc", "--force"}).ExitCode, 2);
}

TEST_F(QuillmarkRcTest, UnknownNamesAndKeysExitTwoAndWriteNothing) {
    writeBytes("keep.rc", Example("Example2.rc"));
    const QList<QStringList> edits = {
        {"--file-os", "VOS_BOGUS"},
        {"--file-type", "VFT_EXE"},
        {"--file-subtype", "VFT2_DRV_SOUND"}, // not in VFT_DLL's list
        {"--language", "999"},
        {"--language", "zz"},
        {"--code-page", "437"},
        {"--code-page", "12a"},
        {"--debug", "yes"},
        {"--string", "Bad\"Key=x"},
        {"--string", "=x"},
        {"--string", "Comments"},
        {"--string", "Comments=a\nb"},
        {"--string", "Comments=say \"hi\""}, // a lone quote would end the string
    };
    for (const QStringList& edit : edits) {
        const RunResult created = run(QStringList{"new", "new.rc"} + edit);
        EXPECT_EQ(created.ExitCode, 2) << edit.join(' ').toStdString();
        EXPECT_FALSE(created.Err.isEmpty());
        EXPECT_FALSE(QFile::exists(path("new.rc"))) << edit.join(' ').toStdString();
        const RunResult set = run(QStringList{"set", "keep.rc"} + edit);
        EXPECT_EQ(set.ExitCode, 2) << edit.join(' ').toStdString();
        EXPECT_EQ(ReadBytes(path("keep.rc")), Example("Example2.rc"));
    }
    ASSERT_EQ(run({"new", "new.rc", "--string", "Comments=say \"\"hi\"\""}).ExitCode, 0);
    EXPECT_EQ(run({"get", "new.rc", "Comments"}).Out, "say \"hi\"\n");
    EXPECT_EQ(run({"set", "none.rc", "--debug", "on"}).Err,
              "Can't open none.rc: " + qm::test::NoSuchFile() + "\n");
}

} // namespace
