//===- CompileCommandTest.cpp - Forming the compiler's command line ------===//

#include "desk/CompileCommand.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qm;
using Words = std::vector<std::string>;

namespace {

CompileInputs WindowsExample() {
    CompileInputs in;
    in.ProgramDir = "C:\\Tools\\";
    in.BatchPath = "C:\\Tools\\QuillmarkEX.bat";
    in.CompilerPath = "C:\\RC\\Bin";
    in.CommandText = "Brcc32 -v -32";
    in.ScriptPath = "D:\\Work\\App.rc";
    return in;
}

CompileInputs LinuxSetup() {
    CompileInputs in;
    in.ProgramDir = "/opt/quillmark/bin/";
    in.BatchPath = "/opt/quillmark/bin/QuillmarkEX.sh";
    in.CompilerPath = "/usr/bin";
    in.CommandText = "llvm-rc /V /C 65001 /I /usr/share/mingw-w64/include --";
    in.ScriptPath = "/home/ann/work/App.rc";
    return in;
}

/// Splits a Windows command line the way CommandLineToArgvW does, so the
/// quoting is checked against the reader rather than against itself.
Words ParseWindowsCommandLine(const std::string& line) {
    Words argv;
    std::size_t i = 0;
    std::string program;
    if (i < line.size() && line[i] == '"') {
        std::size_t close = line.find('"', i + 1);
        program = line.substr(i + 1, close - i - 1);
        i = close + 1;
    } else {
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            program += line[i++];
    }
    argv.push_back(program);
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        std::string arg;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            std::size_t slashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2) {
                    arg += '"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    arg += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(slashes, '\\');
                if (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t')))
                    arg += line[i++];
            }
        }
        argv.push_back(arg);
    }
    return argv;
}

/// True when every character cmd.exe acts on stands inside double quotes.
bool CmdMetaCharsAreQuoted(const std::string& line) {
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && std::string("&|<>^()").find(c) != std::string::npos)
            return false;
    }
    return true;
}

Words Argv(const CompileCommand& command) {
    Words argv{command.Program};
    argv.insert(argv.end(), command.Arguments.begin(), command.Arguments.end());
    return argv;
}

} // namespace

TEST(app_compile_command, TheWindowsExampleInBothModes) {
    auto batch = FormBatchCommand(WindowsExample(), PathStyle::Windows);
    ASSERT_TRUE(batch) << batch.message();
    EXPECT_EQ(batch->Text, "C:\\Tools\\QuillmarkEX.bat C:\\Tools\\ Brcc32 -v -32 App.rc");
    EXPECT_EQ(batch->WorkingDir, "D:\\Work");
    EXPECT_EQ(Argv(*batch), (Words{"C:\\Tools\\QuillmarkEX.bat", "C:\\Tools\\", "Brcc32", "-v",
                                   "-32", "App.rc"}));
    auto batchLine = FormWindowsCommandLine(Argv(*batch));
    ASSERT_TRUE(batchLine) << batchLine.message();
    EXPECT_EQ(*batchLine, batch->Text); // nothing here needs quotes

    auto direct = FormDirectCommand(WindowsExample(), PathStyle::Windows);
    ASSERT_TRUE(direct) << direct.message();
    EXPECT_EQ(direct->Text, "C:\\RC\\Bin\\Brcc32 -v -32 D:\\Work\\App.rc");
    EXPECT_EQ(direct->WorkingDir, "D:\\Work");
    EXPECT_EQ(Argv(*direct), (Words{"C:\\RC\\Bin\\Brcc32", "-v", "-32", "D:\\Work\\App.rc"}));
}

TEST(app_compile_command, ABatchRunInANetworkFolderIsRefusedByName) {
    // cmd.exe would run the batch file in C:\\Windows instead.
    CompileInputs in = WindowsExample();
    in.ScriptPath = "\\\\server\\share\\App.rc";
    auto batch = FormBatchCommand(in, PathStyle::Windows);
    ASSERT_FALSE(batch);
    EXPECT_NE(batch.message().find("network folder \\\\server\\share"), std::string::npos)
        << batch.message();
    EXPECT_TRUE(FormDirectCommand(in, PathStyle::Windows)); // a direct start is fine
}

TEST(app_compile_command, TheExampleWithThisSystemsPaths) {
    auto batch = FormBatchCommand(LinuxSetup(), PathStyle::Posix);
    ASSERT_TRUE(batch) << batch.message();
    EXPECT_EQ(batch->Text, "/opt/quillmark/bin/QuillmarkEX.sh /opt/quillmark/bin/ llvm-rc /V /C "
                           "65001 /I /usr/share/mingw-w64/include -- App.rc");
    EXPECT_EQ(batch->WorkingDir, "/home/ann/work");
    // The script's first line is the folder assignment, so the shell is named.
    EXPECT_EQ(Argv(*batch), (Words{"/bin/sh", "/opt/quillmark/bin/QuillmarkEX.sh",
                                   "/opt/quillmark/bin/", "llvm-rc", "/V", "/C", "65001", "/I",
                                   "/usr/share/mingw-w64/include", "--", "App.rc"}));

    auto direct = FormDirectCommand(LinuxSetup(), PathStyle::Posix);
    ASSERT_TRUE(direct) << direct.message();
    EXPECT_EQ(direct->Text, "/usr/bin/llvm-rc /V /C 65001 /I /usr/share/mingw-w64/include -- "
                            "/home/ann/work/App.rc");
    EXPECT_EQ(Argv(*direct),
              (Words{"/usr/bin/llvm-rc", "/V", "/C", "65001", "/I", "/usr/share/mingw-w64/include",
                     "--", "/home/ann/work/App.rc"}));
}

TEST(app_compile_command, AHostileScriptNameStaysOneArgumentAndUnquotedInTheText) {
    CompileInputs in = LinuxSetup();
    in.ScriptPath = "/home/ann/my work/a b;rm -rf ~ $(x) `y` & 'q'.rc";
    auto batch = FormBatchCommand(in, PathStyle::Posix);
    ASSERT_TRUE(batch);
    EXPECT_EQ(batch->Arguments.back(), "a b;rm -rf ~ $(x) `y` & 'q'.rc");
    EXPECT_EQ(batch->WorkingDir, "/home/ann/my work");
    auto direct = FormDirectCommand(in, PathStyle::Posix);
    ASSERT_TRUE(direct);
    EXPECT_EQ(direct->Arguments.back(), in.ScriptPath);
    EXPECT_EQ(direct->Text,
              "/usr/bin/llvm-rc /V /C 65001 /I /usr/share/mingw-w64/include -- " + in.ScriptPath);
}

TEST(app_compile_command, CommandWordsAreSplitAtAnyBlank) {
    EXPECT_EQ(SplitCommandWords("  Brcc32\t-v \x01 -32  "), (Words{"Brcc32", "-v", "-32"}));
    EXPECT_EQ(SplitCommandWords("\xE9t\xE9 x"), (Words{"\xE9t\xE9", "x"}));
    EXPECT_TRUE(SplitCommandWords(" \t ").empty());

    CompileInputs in = LinuxSetup();
    in.CommandText = "   ";
    EXPECT_FALSE(FormBatchCommand(in, PathStyle::Posix));
    EXPECT_FALSE(FormDirectCommand(in, PathStyle::Posix));
}

TEST(app_compile_command, WindowsQuotingRoundTripsAndKeepsCmdCharactersQuoted) {
    const Words argv{"C:\\Program Files\\Quillmark\\QuillmarkEX.bat",
                     "C:\\Program Files\\Quillmark\\",
                     "Brcc32",
                     "-v",
                     "a&calc.rc",
                     "x|y<z>w^v(1).rc",
                     "tab\there.rc",
                     "caf\xE9.rc",
                     "D:\\plain\\path#1$+@?*.rc"};
    auto line = FormWindowsCommandLine(argv);
    ASSERT_TRUE(line) << line.message();
    EXPECT_EQ(ParseWindowsCommandLine(*line), argv) << *line;
    EXPECT_TRUE(CmdMetaCharsAreQuoted(*line)) << *line;
    // Only what needs quotes gets them; a trailing backslash run is doubled
    // so it doesn't escape the closing quote.
    EXPECT_NE(line->find(" \"C:\\Program Files\\Quillmark\\\\\" Brcc32 -v \"a&calc.rc\" "),
              std::string::npos)
        << *line;
    EXPECT_NE(line->find(" D:\\plain\\path#1$+@?*.rc"), std::string::npos) << *line;
}

TEST(app_compile_command, WindowsRefusesWhatCmdWouldExpandOrWindowsWouldChange) {
    const Words refused{"100%.rc", "wow!.rc", "say\"hi\".rc",
                        "a\rb.rc", "a\nb.rc", std::string("a\0b.rc", 7),
                        "ends.",   "ends "};
    for (const std::string& bad : refused) {
        auto line = FormWindowsCommandLine(Words{"C:\\Tools\\QuillmarkEX.bat", bad});
        EXPECT_FALSE(line) << "accepted: " << bad;
        if (!line && bad.find('\0') == std::string::npos) {
            EXPECT_NE(line.message().find(bad), std::string::npos) << line.message();
        }
    }
}

TEST(app_compile_command, WindowsRefusesALineOverTheLimit) {
    const std::string program = "C:\\T\\QuillmarkEX.bat"; // 20 characters
    std::string name(WindowsCommandLineLimit - program.size() - 1, 'a');
    auto fits = FormWindowsCommandLine(Words{program, name});
    ASSERT_TRUE(fits) << fits.message();
    EXPECT_EQ(fits->size(), WindowsCommandLineLimit);
    auto over = FormWindowsCommandLine(Words{program, name + "a"});
    ASSERT_FALSE(over);
    EXPECT_NE(over.message().find("8191"), std::string::npos) << over.message();
}
