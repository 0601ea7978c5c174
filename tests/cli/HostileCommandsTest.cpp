//===- HostileCommandsTest.cpp - Commands against inputs built to hurt them -===//
//
// Outputs that are the input under another name, parallel edits of one
// file, damaged UTF-16, and names that Windows reserves for devices. Each must give a clear message
// or the sound result, and never cost the user a byte. The suite runs
// against the Windows .exe too.
//
//===----------------------------------------------------------------------===//

#include "CommandFixture.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

namespace {

using qm::test::RunResult;

class HostileCommandsTest : public qm::test::RcCommandTest {
protected:
    void SetUp() override {
        ASSERT_EQ(rc({"new", "app.rc", "--file-version", "1, 2, 3, 4"}).ExitCode, 0);
        Script = readBytes("app.rc");
    }

    void write(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray Script;
};

// compile never replaces its script, whatever the output's spelling; "-"
// is standard output.
TEST_F(HostileCommandsTest, CompileRefusesToWriteOverItsOwnScript) {
    ASSERT_TRUE(QFile::link("app.rc", path("symlink.rc")));
    write("script.res", Script); // a script named like its output
    QStringList outputs = {"app.rc", "./././app.rc", "symlink.rc"};
    if (QProcess::execute("ln", {path("app.rc"), path("hardlink.rc")}) == 0)
        outputs << "hardlink.rc";
    for (const QString& output : outputs) {
        const RunResult refused = rc({"compile", "app.rc", "-o", output});
        EXPECT_EQ(refused.ExitCode, 2) << output.toStdString();
        EXPECT_TRUE(refused.Err.contains("is the script itself")) << refused.Err.toStdString();
        EXPECT_EQ(readBytes("app.rc"), Script) << output.toStdString();
    }
    EXPECT_EQ(rc({"compile", "script.res"}).ExitCode, 2);
    EXPECT_EQ(readBytes("script.res"), Script);

    ASSERT_EQ(rc({"compile", "app.rc", "-o", "app.res"}).ExitCode, 0);
    const RunResult piped = rc({"compile", "app.rc", "-o", "-"});
    EXPECT_EQ(piped.ExitCode, 0);
    EXPECT_EQ(piped.Out, readBytes("app.res"));
    EXPECT_FALSE(QFile::exists(path("-")));
}

// Expressions, blocks and macros nested or expanded past what any script
// holds are refused, naming the line (and the macro), quickly and without
// using up the stack or the memory.
TEST_F(HostileCommandsTest, DeepAndExplodingScriptsAreRefusedByLine) {
    const int at = Script.indexOf("1, 2, 3, 4");
    auto withVersion = [&](const QByteArray& head, const QByteArray& version) {
        QByteArray script = Script;
        return head + script.replace(at, 10, version);
    };
    QByteArray explode = "#define A0 1\n", doubling = "#define B0 1\n";
    for (int i = 1; i <= 24; ++i)
        explode += "#define A" + QByteArray::number(i) + " A" + QByteArray::number(i - 1) + "-A" +
                   QByteArray::number(i - 1) + "\n";
    for (int i = 1; i <= 40; ++i)
        doubling += "#define B" + QByteArray::number(i) + " (B" + QByteArray::number(i - 1) + "+B" +
                    QByteArray::number(i - 1) + ")\n";
    const struct {
        const char* Name;
        QByteArray Bytes;
        const char* Reason;
    } scripts[] = {
        {"parens.rc", withVersion({}, QByteArray(20000, '(') + "1" + QByteArray(20000, ')')),
         "line "},
        {"minus.rc", withVersion({}, QByteArray(100000, '-') + "1"), "line "},
        {"nested.rc", withVersion({}, QByteArray(300, '(') + "1" + QByteArray(300, ')')),
         "nest more than 256 levels"},
        {"blocks.rc",
         withVersion({}, "1, 2, 3, 4\nBEGIN\n" + QByteArray("BLOCK \"b\" BEGIN ").repeated(300) +
                             QByteArray("END ").repeated(300) + "\nEND\n1 RCDATA"),
         "blocks nest more than 256"},
        {"explode.rc", withVersion(explode, "A24, 2, 3, 4"), "A24 expands to more than"},
        {"doubling.rc", doubling + "#if B40\n#endif\n" + Script, "B40 expands to more than"},
    };
    for (const auto& script : scripts) {
        write(script.Name, script.Bytes);
        for (const QStringList& command :
             {QStringList{"compile", script.Name, "-o", "out.res"},
              QStringList{"set", script.Name, "--string", "Comments=\\0x"},
              QStringList{"show", script.Name}}) {
            const RunResult run = rc(command);
            EXPECT_GE(run.ExitCode, 0) << command.join(' ').toStdString(); // no crash
            if (command.front() != "show") {
                EXPECT_EQ(run.ExitCode, 1) << command.join(' ').toStdString();
                EXPECT_TRUE(run.Err.contains(script.Reason)) << run.Err.toStdString();
            }
        }
        EXPECT_EQ(readBytes(script.Name), script.Bytes);
    }
}

// The built-in compiler names what it refuses: a NUL byte anywhere, and a
// code page that is needed (its own option, -c).
TEST_F(HostileCommandsTest, CompileNamesANulByteAndItsCodePageOption) {
    write("nul-early.rc", QByteArray("// x\0y\n", 7) + Script);
    EXPECT_TRUE(rc({"compile", "nul-early.rc", "-o", "out.res"}).Err.contains("NUL byte"));
    write("accented.rc", Script);
    ASSERT_EQ(rc({"set", "accented.rc", "--string", "Comments=\\0caf\u00e9"}).ExitCode, 0);
    const RunResult refused = rc({"compile", "accented.rc", "-o", "out.res"});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_TRUE(refused.Err.contains("(-c 1252 or -c 65001)")) << refused.Err.toStdString();
}

// Parallel jobs bumping one script wait for one another: no bump is lost.
TEST_F(HostileCommandsTest, ParallelBumpsOfOneScriptAllCount) {
    constexpr int Rounds = 10;
    for (int round = 0; round < Rounds; ++round) {
        std::unique_ptr<QProcess> jobs[2];
        for (auto& job : jobs) {
            job = std::make_unique<QProcess>();
            job->setWorkingDirectory(Dir.path());
            qm::test::StartRc(*job, QM_RC_PROGRAM, {"bump", "app.rc"});
        }
        for (auto& job : jobs) {
            ASSERT_TRUE(job->waitForFinished(-1));
            ASSERT_EQ(job->exitCode(), 0) << job->readAllStandardError().toStdString();
        }
    }
    EXPECT_TRUE(readBytes("app.rc").contains("1, 2, 3, " + QByteArray::number(4 + 2 * Rounds)));
}

// A UTF-16 script that is damaged is refused with the reason, by every
// command that reads it.
TEST_F(HostileCommandsTest, DamagedUtf16IsNamed) {
    QByteArray utf16("\xFF\xFE");
    for (const char c : Script)
        utf16 += QByteArray(1, c) + '\0';
    write("odd.rc", utf16 + 'x');
    QByteArray lone = utf16;
    lone.insert(lone.indexOf(QByteArray("F\0I\0L\0E", 7)), QByteArray("\x00\xD8", 2));
    write("lone.rc", lone);
    for (const char* file : {"odd.rc", "lone.rc"})
        for (const QStringList& command : {QStringList{"check", file}, QStringList{"compile", file},
                                           QStringList{"set", file, "--string", "Comments=\\0x"}}) {
            const RunResult run = rc(command);
            EXPECT_EQ(run.ExitCode, 1) << command.join(' ').toStdString();
            EXPECT_TRUE(run.Err.contains(file[0] == 'o' ? "odd number" : "lone surrogate 0xD800"))
                << run.Err.toStdString();
        }
}

// A VALUE that set adds ends like the lines around it, whatever the file's
// first line ends with.
TEST_F(HostileCommandsTest, AnAddedLineTakesItsNeighboursLineEnd) {
    QByteArray mixed = Script;
    const int table = mixed.indexOf("BLOCK", mixed.indexOf("\"StringFileInfo\""));
    ASSERT_GT(table, 0);
    mixed.replace(table, mixed.size() - table, mixed.mid(table).replace("\r\n", "\n"));
    write("mixed.rc", mixed);
    ASSERT_EQ(rc({"set", "mixed.rc", "--string", "Comments=\\0added"}).ExitCode, 0);
    const QByteArray saved = readBytes("mixed.rc");
    EXPECT_TRUE(saved.contains("VALUE \"Comments\", \"added\\0\"\n")) << saved.toStdString();
    EXPECT_FALSE(saved.contains("added\\0\"\r\n"));
}

// A table named with eight characters that are no hexadecimal digits can't
// take a new language: refused, by line, not a crash.
TEST_F(HostileCommandsTest, ATableNameOfOtherCharactersIsNamedWhenRenamed) {
    QByteArray odd = Script;
    const int table = odd.indexOf('"', odd.indexOf("BLOCK", odd.indexOf("\"StringFileInfo\"")));
    ASSERT_GT(table, 0);
    odd.replace(table + 1, 8, "GGGGGGGG");
    write("odd.rc", odd);
    const RunResult set = rc({"set", "odd.rc", "--language", "407"});
    EXPECT_EQ(set.ExitCode, 1);
    EXPECT_TRUE(set.Err.contains("\"GGGGGGGG\" is not eight hexadecimal digits"))
        << set.Err.toStdString();
    EXPECT_EQ(readBytes("odd.rc"), odd);
}

// Windows takes "nul.rc" for its NUL device; the file of that name reads as
// it does elsewhere, and can be edited.
TEST_F(HostileCommandsTest, AScriptNamedLikeADeviceReadsAsTheFileItIs) {
    const QByteArray cut("1 VERSIONINFO\r\nBEGIN\r\nBLOCK \"StringFileInfo\"\r\n\0BEGIN\r\nEND\r\n",
                         58);
    write("nul.rc", cut);
    const RunResult show = rc({"show", "nul.rc"});
    EXPECT_TRUE(show.Out.contains("Can't find END")) << show.Out.toStdString();
    write("con.rc", Script);
    ASSERT_EQ(rc({"set", "con.rc", "--string", "Comments=\\0device"}).ExitCode, 0);
    EXPECT_TRUE(readBytes("con.rc").contains("\"device\\0\""));
}

} // namespace
