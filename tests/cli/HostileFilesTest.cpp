//===- HostileFilesTest.cpp - quillmark-rc against files built to hurt it -===//
//
// Huge files and lines, NUL bytes, CR-only line ends, bytes that are not
// UTF-8, folders and impossible paths given as files, files that vanish,
// garbage settings, and writes that fail half way. Each must give a clear
// message or the documented result, and must never cost the user a byte of
// an existing file.
//
// The program is started with fork/exec rather than QProcess so that its
// arguments are passed as raw bytes and a file-size limit can be set on it
// alone. Big inputs are generated in a temporary folder at run time.
//
//===----------------------------------------------------------------------===//

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct RunResult {
    int ExitCode = -1;
    std::string Out;
    std::string Err;

    const QJsonObject json() const {
        return QJsonDocument::fromJson(QByteArray::fromStdString(Out)).object();
    }
};

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::string Example(const char* name) {
    return ReadBytes(fs::path(QM_EXAMPLES_DIR) / name);
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

/// Example 2 without its one value that a save rewrites ("\\#1 build" is read
/// back as the bare marker form), so that it saves back byte for byte.
std::string StableExample() {
    return ReplaceAll(Example("Example2.rc"), "\"\\#1 build\\0\"", "\"#1 build\\0\"");
}

/// A JSON string member decoded back to bytes by the program's byte rule.
std::string Bytes(const QJsonValue& value) {
    std::string bytes;
    const QString text = value.toString();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit >= 0xDC80 && unit <= 0xDCFF)
            bytes += static_cast<char>(unit - 0xDC00);
        else if (QChar::isHighSurrogate(unit) && i + 1 < text.size())
            bytes += text.mid(i++, 2).toStdString();
        else
            bytes += QString(QChar(unit)).toStdString();
    }
    return bytes;
}

/// Bytes 0x01 to 0xFF without CR and LF, after `lead`.
std::string EveryLineByte(const std::string& lead) {
    std::string bytes = lead;
    for (int b = 1; b <= 0xFF; ++b)
        if (b != '\r' && b != '\n')
            bytes += static_cast<char>(b);
    return bytes;
}

class CliHostile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qm-hostile-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Dir = pattern;
        fs::create_directories(Dir / ".config");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(Dir, ignored);
    }

    fs::path path(const std::string& name) const { return Dir / name; }

    /// Runs quillmark-rc with `args` as given, in the test folder, which is
    /// also its home. `fileSizeLimit` caps the size of files it may write.
    RunResult run(const std::vector<std::string>& args, const std::string& input = {},
                  rlim_t fileSizeLimit = RLIM_INFINITY) {
        std::vector<std::string> env = {"HOME=" + Dir.string(),
                                        "XDG_CONFIG_HOME=" + (Dir / ".config").string(),
                                        "PATH=/usr/bin:/bin"};
        if (const char* asan = std::getenv("ASAN_OPTIONS"))
            env.push_back(std::string("ASAN_OPTIONS=") + asan);
        std::vector<char*> argv{const_cast<char*>(Program.c_str())};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        int in[2], out[2], err[2];
        if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0)
            return {};
        const std::string dir = Dir.string();
        const pid_t child = fork();
        if (child == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            dup2(err[1], 2);
            for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
                close(fd);
            if (!OutputFile.empty()) {
                const int file = open(OutputFile.c_str(), O_WRONLY);
                if (file < 0 || dup2(file, 1) < 0)
                    _exit(126);
                close(file);
            }
            if (chdir(dir.c_str()) != 0)
                _exit(126);
            alarm(60); // a program that hangs fails its test instead of stalling the suite
            // The program itself must turn a file-size overrun into an
            // error (EFBIG) rather than be killed by the signal.
            signal(SIGXFSZ, SIG_DFL);
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            if (fileSizeLimit != RLIM_INFINITY && setrlimit(RLIMIT_FSIZE, &limit) != 0)
                _exit(126);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        close(err[1]);
        if (!input.empty() && write(in[1], input.data(), input.size()) < 0)
            ADD_FAILURE() << "cannot feed standard input";
        close(in[1]);

        RunResult result;
        Drain(out[0], err[0], result);
        int status = 0;
        waitpid(child, &status, 0);
        result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return result;
    }

    /// Names of the files in the test folder, the settings folder aside.
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Dir))
            if (entry.path().filename() != ".config")
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path Dir;
    std::string Program = QM_RC_PROGRAM;
    /// Where the program's standard output goes instead of the pipe, if set.
    std::string OutputFile;

private:
    static void Drain(int outFd, int errFd, RunResult& result) {
        pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
        std::string* sinks[2] = {&result.Out, &result.Err};
        int open = 2;
        char buffer[1 << 16];
        while (open > 0) {
            if (poll(fds, 2, -1) < 0)
                break;
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                    continue;
                const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
                if (got > 0) {
                    sinks[i]->append(buffer, static_cast<size_t>(got));
                } else {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
    }
};

// --- Size -------------------------------------------------------------------

TEST_F(CliHostile, LargestScriptIsReadWhole) {
    // Example 2, then lines after its END that the reader passes over, up to
    // just under the 64 MB cap.
    std::string script = Example("Example2.rc");
    const std::string filler = "// " + std::string(93, 'f') + "\r\n";
    script.reserve(64u << 20);
    while (script.size() + filler.size() <= (64u << 20))
        script += filler;
    WriteBytes(path("big.rc"), script);
    script.clear();
    script.shrink_to_fit();

    const RunResult big = run({"show", "big.rc"});
    const RunResult small = run({"show", std::string(QM_EXAMPLES_DIR) + "/Example2.rc"});
    ASSERT_EQ(big.ExitCode, 0) << big.Err;
    EXPECT_EQ(big.json(), small.json());
}

TEST_F(CliHostile, TenMegabyteLineSurvivesShowAndSet) {
    const std::string huge(10u << 20, 'w');

    // One line and no line end: a single comment line and no header.
    WriteBytes(path("line.rc"), huge);
    const RunResult line = run({"show", "line.rc"});
    ASSERT_EQ(line.ExitCode, 0) << line.Err;
    const QJsonObject lineDoc = line.json();
    ASSERT_EQ(lineDoc["comIncLines"].toArray().size(), 1);
    EXPECT_EQ(Bytes(lineDoc["comIncLines"][0]), huge);
    EXPECT_EQ(lineDoc["reports"].toArray(), QJsonArray{"Can't find VERSIONINFO"});

    // The same line as a value: set edits another field and keeps it whole.
    WriteBytes(path("value.rc"),
               ReplaceAll(Example("Example2.rc"), "\"Example\\0\"", "\"" + huge + "\\0\""));
    ASSERT_EQ(run({"set", "value.rc", "--file-version", "9, 9, 9, 9"}).ExitCode, 0);
    const RunResult value = run({"show", "value.rc"});
    ASSERT_EQ(value.ExitCode, 0) << value.Err;
    const QJsonObject valueDoc = value.json();
    EXPECT_EQ(Bytes(valueDoc["strings"]["CompanyName"]), huge);
    EXPECT_EQ(valueDoc["fileVersion"].toString(), "9, 9, 9, 9");
}

// --- Bytes ------------------------------------------------------------------

TEST_F(CliHostile, NulByteEndsTheText) {
    const std::string example = Example("Example2.rc");
    const size_t cut = example.find("           VALUE \"CompanyName\"");
    WriteBytes(path("nul.rc"), example.substr(0, cut) + '\0' + example.substr(cut));
    const RunResult nul = run({"show", "nul.rc"});
    ASSERT_EQ(nul.ExitCode, 0) << nul.Err;
    const QJsonObject doc = nul.json();
    EXPECT_EQ(doc["strings"]["FileDescription"].toString(), "Sample library");
    EXPECT_EQ(doc["strings"]["CompanyName"].toString(), ""); // after the NUL: never read
    EXPECT_EQ(doc["reports"].toArray(), QJsonArray{"Can't find END"});

    // A NUL before the header: nothing of the script is seen.
    WriteBytes(path("early.rc"), std::string("// a\0b\r\n", 8) + example);
    const RunResult early = run({"show", "early.rc"});
    ASSERT_EQ(early.ExitCode, 0);
    EXPECT_EQ(early.json()["comIncLines"].toArray(), QJsonArray{"// a"});
    EXPECT_EQ(early.json()["reports"].toArray(), QJsonArray{"Can't find VERSIONINFO"});
}

TEST_F(CliHostile, EveryLineEndReadsTheSame) {
    const std::string crlf = StableExample();
    WriteBytes(path("crlf.rc"), crlf);
    const QJsonObject expected = run({"show", "crlf.rc"}).json();
    std::string mixed = crlf;
    for (size_t at = mixed.find("\r\n"), n = 0; at != std::string::npos;
         at = mixed.find("\r\n", at), ++n)
        mixed.erase(n % 2 ? at : at + 1, 1); // alternately a lone LF and a lone CR
    const std::vector<std::pair<std::string, std::string>> variants = {
        {"cr.rc", ReplaceAll(crlf, "\r\n", "\r")},
        {"lf.rc", ReplaceAll(crlf, "\r\n", "\n")},
        {"mixed.rc", mixed},
    };
    for (const auto& [name, bytes] : variants) {
        WriteBytes(path(name), bytes);
        const RunResult shown = run({"show", name});
        EXPECT_EQ(shown.ExitCode, 0) << name;
        EXPECT_EQ(shown.json(), expected) << name;
    }
    // set edits in place: the line ends stay as they were.
    ASSERT_EQ(run({"set", "cr.rc", "--debug", "off"}).ExitCode, 0);
    EXPECT_EQ(ReadBytes(path("cr.rc")), ReplaceAll(crlf, "\r\n", "\r"));
}

TEST_F(CliHostile, EveryByteButLineEndsSurvivesShowWriteAndSet) {
    // Each byte 0x01..0xFF other than CR and LF, in a comment line and in a
    // value. The value ends in 0xFF: a byte above 0x7F is no blank, so the
    // writer must not trim it. 0x7F..0xFF also make the text invalid UTF-8.
    const std::string comment = EveryLineByte("// ");
    const std::string value = EveryLineByte("A");
    const std::string script =
        comment + "\r\n" + ReplaceAll(StableExample(), "\"Example\\0\"", "\"" + value + "\\0\"");
    WriteBytes(path("bytes.rc"), script);

    // A quote among them ends the string, which a compiler then refuses;
    // the lines are read all the same.
    const RunResult shown = run({"show", "bytes.rc"});
    ASSERT_EQ(shown.ExitCode, 0) << shown.Err;
    const QJsonArray reports = shown.json()["reports"].toArray();
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].toString().startsWith("A resource compiler would refuse the script"));
    EXPECT_EQ(Bytes(shown.json()["comIncLines"][0]), comment);
    EXPECT_EQ(Bytes(shown.json()["strings"]["CompanyName"]), value);

    // show then write gives the file back byte for byte.
    ASSERT_EQ(run({"write", "copy.rc", "--from", "-"}, shown.Out).ExitCode, 0);
    EXPECT_EQ(ReadBytes(path("copy.rc")), script);

    // The same bytes given to set as raw arguments reach the file unchanged
    // (but a quote, which would end the string for a compiler).
    const std::string unquoted = ReplaceAll(value, "\"", "");
    const RunResult set =
        run({"set", std::string(QM_EXAMPLES_DIR) + "/Example2.rc", "-o", "set.rc", "--com-inc-line",
             comment, "--string", "Comments=" + unquoted, "--string", "InternalName=\x01\xA0\xFF"});
    ASSERT_EQ(set.ExitCode, 0) << set.Err;
    const std::string written = ReadBytes(path("set.rc"));
    EXPECT_EQ(written.substr(0, comment.size() + 2), comment + "\r\n");
    EXPECT_NE(written.find("\"" + unquoted + "\\0\""), std::string::npos);
    EXPECT_NE(run({"set", std::string(QM_EXAMPLES_DIR) + "/Example2.rc", "-o", "quoted.rc",
                   "--string", "Comments=" + value})
                  .ExitCode,
              0);
    EXPECT_NE(written.find("\"\x01\xA0\xFF\\0\"\r\n"), std::string::npos);
}

// A value goes into a script only in the script's own encoding: converted
// where that is exact, refused, naming the argument, where it is not; never
// a U+FFFD for what was given, never two encodings in one file.
TEST_F(CliHostile, AValueTheScriptsEncodingCantHoldIsRefused) {
    const std::string script = StableExample();
    std::string utf16 = "\xFF\xFE";
    for (const char c : script)
        utf16 += std::string(1, c) + '\0';
    WriteBytes(path("u16.rc"), utf16);
    WriteBytes(path("latin1.rc"), "// caf\xE9\r\n" + script);
    WriteBytes(path("ascii.rc"), script);
    const struct {
        const char* File;
        const char* Value;
        int Exit;
        std::string Written;
    } cases[] = {
        {"u16.rc", "Comments=\\0\xE9t\xE9", 2, {}},
        {"u16.rc", "Comments=\\0\xC3\xA9t\xC3\xA9", 0, std::string("\xE9\0t\0\xE9\0", 6)},
        {"latin1.rc", "Comments=\\0\xC3\xA9t\xC3\xA9", 0, "\"\xE9t\xE9\\0\""},
        {"latin1.rc", "Comments=\\0\xE2\x82\xAC", 2, {}},
        {"ascii.rc", "Comments=\\0\xE9", 0, "\"\xE9\\0\""},
    };
    for (const auto& c : cases) {
        const std::string before = ReadBytes(path(c.File));
        const RunResult set = run({"set", c.File, "--string", c.Value});
        EXPECT_EQ(set.ExitCode, c.Exit) << c.Value << set.Err;
        if (c.Exit) {
            EXPECT_NE(set.Err.find("--string Comments="), std::string::npos) << set.Err;
            EXPECT_EQ(ReadBytes(path(c.File)), before);
        } else {
            EXPECT_NE(ReadBytes(path(c.File)).find(c.Written), std::string::npos) << c.Value;
        }
    }
}

TEST_F(CliHostile, TrailingHighBytesAreNotBlanks) {
    // 0xA0 and 0xFF would be "blanks" to a signed comparison with 32.
    std::string script = "// ends in nbsp\xA0\r\n" + Example("Example2.rc");
    script = ReplaceAll(script, "\"Sample\\0\"", "\"Sample\xA0\xFF\\0\"");
    WriteBytes(path("high.rc"), script);
    ASSERT_EQ(run({"set", "high.rc", "--debug", "on"}).ExitCode, 0);
    const std::string written = ReadBytes(path("high.rc"));
    EXPECT_EQ(written.rfind("// ends in nbsp\xA0\r\n", 0), 0u);
    EXPECT_NE(written.find("\"Sample\xA0\xFF\\0\"\r\n"), std::string::npos);
}

// --- Paths ------------------------------------------------------------------

TEST_F(CliHostile, FolderGivenAsTheFileIsRefusedByName) {
    fs::create_directory(path("folder.rc"));
    const RunResult show = run({"show", "folder.rc"});
    EXPECT_EQ(show.ExitCode, 2);
    EXPECT_EQ(show.Err, "Can't open folder.rc: it is a folder\n");
    EXPECT_TRUE(show.Out.empty());

    EXPECT_EQ(run({"set", "folder.rc", "--debug", "on"}).ExitCode, 2);
    const RunResult write = run({"new", "folder.rc"});
    EXPECT_EQ(write.ExitCode, 1);
    EXPECT_NE(write.Err.find("folder.rc"), std::string::npos) << write.Err;
    EXPECT_TRUE(fs::is_directory(path("folder.rc")));
    EXPECT_TRUE(fs::is_empty(path("folder.rc")));
}

TEST_F(CliHostile, PathUnderARegularFileFailsAndTouchesNothing) {
    // Root cannot create anything under a regular file either.
    const std::string example = Example("Example2.rc");
    WriteBytes(path("plain.rc"), example);

    const RunResult show = run({"show", "plain.rc/inner.rc"});
    EXPECT_EQ(show.ExitCode, 2);
    EXPECT_EQ(show.Err, "Can't open plain.rc/inner.rc: Not a directory\n");

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"set", "plain.rc", "--debug", "on", "-o", "plain.rc/out.rc"},
          std::vector<std::string>{"new", "plain.rc/new.rc"},
          std::vector<std::string>{"set", "plain.rc", "-o", "/dev/full"}}) {
        const RunResult failed = run(args);
        EXPECT_EQ(failed.ExitCode, 1) << args.back();
        EXPECT_NE(failed.Err.find(args.back()), std::string::npos) << failed.Err;
    }
    EXPECT_EQ(ReadBytes(path("plain.rc")), example);
    EXPECT_EQ(files(), std::vector<std::string>{"plain.rc"});
}

TEST_F(CliHostile, FileThatVanishedBeforeTheReadIsReportedNotCrashedOn) {
    // The name is still there (a link) but the file behind it has gone, as
    // when a file is deleted between the check and the read.
    WriteBytes(path("gone.rc"), Example("Example2.rc"));
    fs::create_symlink(path("gone.rc"), path("link.rc"));
    fs::remove(path("gone.rc"));

    const RunResult show = run({"show", "link.rc"});
    EXPECT_EQ(show.ExitCode, 2);
    EXPECT_EQ(show.Err, "Can't open link.rc: No such file or directory\n");
    const RunResult set = run({"set", "link.rc", "--debug", "on"});
    EXPECT_EQ(set.ExitCode, 2);
    EXPECT_FALSE(fs::exists(path("gone.rc")));
}

TEST_F(CliHostile, SaveThroughADanglingLinkWritesTheFileItNames) {
    fs::create_directory(path("real"));
    fs::create_symlink("real/app.rc", path("link.rc"));
    const RunResult created = run({"new", "link.rc"});
    EXPECT_EQ(created.ExitCode, 0) << created.Err;
    EXPECT_TRUE(fs::is_symlink(path("link.rc")));
    ASSERT_EQ(run({"new", "plain.rc"}).ExitCode, 0);
    EXPECT_EQ(ReadBytes(path("real/app.rc")), ReadBytes(path("plain.rc")));
}

// --- Streams and devices ----------------------------------------------------

TEST_F(CliHostile, StreamsAreReadUpToTheCapAndBigFilesAreRefused) {
    // A pipe, as the shell's <(...) gives: read to its end.
    const RunResult piped = run({"show", "/dev/stdin"}, StableExample());
    EXPECT_EQ(piped.ExitCode, 0) << piped.Err;
    EXPECT_EQ(Bytes(piped.json()["strings"].toObject()["CompanyName"]), "Example");

    // An endless device stops at the cap instead of taking all memory.
    const RunResult zero = run({"show", "/dev/zero"});
    EXPECT_EQ(zero.ExitCode, 2);
    EXPECT_EQ(zero.Err, "Can't open /dev/zero: it is larger than 64 MB, too large for a script\n");
    const RunResult json = run({"write", "out.rc", "--from", "/dev/zero"});
    EXPECT_EQ(json.ExitCode, 2);
    EXPECT_NE(json.Err.find("too large"), std::string::npos) << json.Err;

    // A regular file over the cap is refused before it is read (sparse, so
    // it costs no disk).
    { std::ofstream big(path("big.rc"), std::ios::binary); }
    fs::resize_file(path("big.rc"), (64u << 20) + 1);
    const RunResult set = run({"set", "big.rc", "--debug", "on"});
    EXPECT_EQ(set.ExitCode, 2);
    EXPECT_NE(set.Err.find("too large"), std::string::npos) << set.Err;
    EXPECT_EQ(fs::file_size(path("big.rc")), (64u << 20) + 1);
}

TEST_F(CliHostile, EveryCommandFailsWhenItsOutputCannotBeWritten) {
    WriteBytes(path("app.rc"), StableExample());
    const std::string compiled = std::string(QM_FUZZ_CORPUS_DIR) + "/compiled/";
    OutputFile = "/dev/full";
    for (const std::vector<std::string>& args : {std::vector<std::string>{"show", "app.rc"},
                                                 {"show", compiled + "example2.res"},
                                                 {"show", compiled + "example2-pe64.exe"},
                                                 {"bump", "app.rc"}}) {
        const RunResult result = run(args);
        EXPECT_EQ(result.ExitCode, 1) << args[0] << ' ' << args[1];
        EXPECT_NE(result.Err.find("standard output"), std::string::npos) << result.Err;
    }
}

TEST_F(CliHostile, SixteenBitResFilesAreNamedAsSuch) {
    // RT_VERSION (0xFF, 16), name 1 (0xFF, 1), flags, size: the Windows 3.x layout.
    WriteBytes(path("old.res"), std::string("\xFF\x10\x00\xFF\x01\x00\x30\x10\x04\x00\x00\x00"
                                            "abcd",
                                            16));
    for (const char* command : {"show", "check"}) {
        const RunResult result = run({command, "old.res"});
        EXPECT_EQ(result.ExitCode, 1) << command;
        EXPECT_NE(result.Err.find("16-bit resource file"), std::string::npos) << result.Err;
        EXPECT_TRUE(result.Out.empty()) << command;
    }
}

TEST_F(CliHostile, AFileWithOtherNamesIsWrittenInPlace) {
    WriteBytes(path("app.rc"), StableExample());
    fs::create_hard_link(path("app.rc"), path("alias.rc"));
    ASSERT_EQ(run({"set", "app.rc", "--debug", "on"}).ExitCode, 0);
    EXPECT_EQ(ReadBytes(path("alias.rc")), ReadBytes(path("app.rc")));
    EXPECT_NE(ReadBytes(path("alias.rc")), StableExample());
    EXPECT_EQ(files(), (std::vector<std::string>{"alias.rc", "app.rc"})); // no temporary left
}

TEST_F(CliHostile, NewRefusesATemplateItCannotRead) {
    // An installed copy: the program in bin/, the user's template a FIFO.
    const fs::path bin = Dir / "usr" / "bin";
    fs::create_directories(bin);
    fs::copy_file(QM_RC_PROGRAM, bin / "quillmark-rc");
    fs::create_directories(Dir / ".local" / "share" / "quillmark");
    ASSERT_EQ(mkfifo((Dir / ".local/share/quillmark/Initial.rc").c_str(), 0600), 0);
    const std::string saved = Program;
    Program = (bin / "quillmark-rc").string();
    const RunResult made = run({"new", "a.rc"});
    Program = saved;
    EXPECT_EQ(made.ExitCode, 1);
    EXPECT_NE(made.Err.find("Initial.rc: it is not a regular file"), std::string::npos) << made.Err;
    EXPECT_FALSE(fs::exists(path("a.rc")));
}

// --- Settings ---------------------------------------------------------------

class CliHostileSettings : public CliHostile {
protected:
    fs::path settingsFile() const { return Dir / ".config" / "Harrowgate" / "Quillmark.conf"; }
    void writeSettings(const std::string& bytes) {
        fs::create_directories(settingsFile().parent_path());
        WriteBytes(settingsFile(), bytes);
    }
};

TEST_F(CliHostileSettings, GarbageSettingsFileGivesTheBuiltInDefaults) {
    std::mt19937 random(8);
    std::string garbage = "[Settings]\nDefaultLanguageID=\xFF\xFE\x01\nDefaultCodePage=12abc\n"
                          "DefaultFILEOS\n=\n[[[\n\\\n@Variant(\\0\\0\n";
    for (int i = 0; i < 20000; ++i)
        garbage += static_cast<char>(random() % 256);
    garbage += "\n[Settings\nFontSize=" + std::string(100000, '9') + "\n";
    writeSettings(garbage);

    const RunResult created = run({"new", "x.rc"});
    EXPECT_EQ(created.ExitCode, 0) << created.Err;
    // The template's comment lines, then the built-in new document.
    const std::string written = ReadBytes(path("x.rc"));
    const std::string example = Example("Example1.rc");
    ASSERT_GE(written.size(), example.size());
    EXPECT_EQ(written.substr(written.size() - example.size()), example);
    const RunResult shown = run({"show", std::string(QM_EXAMPLES_DIR) + "/Example2.rc"});
    EXPECT_EQ(shown.ExitCode, 0);
    EXPECT_EQ(shown.json()["language"].toString(), " 409  U.S. English");
    EXPECT_EQ(ReadBytes(settingsFile()), garbage); // only ever read
}

// QSettings opens a file as it is constructed, the organisation's fallback
// file included: a FIFO at either place must never stall a command.
TEST_F(CliHostileSettings, AFifoWhereTheSettingsLiveDoesNotHang) {
    fs::create_directories(settingsFile().parent_path());
    for (const fs::path& fifo :
         {settingsFile(), settingsFile().parent_path().parent_path() / "Harrowgate.conf"}) {
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        const RunResult shown = run({"show", std::string(QM_EXAMPLES_DIR) + "/Example2.rc"});
        EXPECT_EQ(shown.ExitCode, 0) << fifo << shown.Err; // alarm() would end a hang with -1
        fs::remove(fifo);
    }
}

TEST_F(CliHostileSettings, WrongTypedSettingIsNamedAndLaterRowsFallBack) {
    const std::string settings = "[Settings]\nDefaultFILEOS=VOS_NT\n"
                                 "DefaultLanguageID=@Size(1 2)\nDefaultCodePage=1252\n";
    writeSettings(settings);
    const RunResult created = run({"new", "x.rc"});
    EXPECT_EQ(created.ExitCode, 0) << created.Err;
    EXPECT_NE(created.Err.find("'DefaultLanguageID'"), std::string::npos) << created.Err;
    const std::string written = ReadBytes(path("x.rc"));
    EXPECT_NE(written.find("FILEOS            VOS_NT\r\n"), std::string::npos); // read before
    EXPECT_NE(written.find("BLOCK \"041104B0\""), std::string::npos); // built-in from there on
    EXPECT_EQ(ReadBytes(settingsFile()), settings);
}

// --- Failing writes ---------------------------------------------------------

TEST_F(CliHostile, WriteCutShortKeepsTheOldScriptAndLeavesNoTemporaryFile) {
    // A script larger than the file-size limit: the new text cannot be
    // written whole, so the old one must survive untouched.
    const std::string example = Example("Example2.rc");
    const std::string old = "// " + std::string(1 << 14, ';') + "\r\n" + example;
    WriteBytes(path("keep.rc"), old);
    const std::string big(8000, 'b');
    const RunResult set = run({"set", "keep.rc", "--string", "Comments=" + big}, {}, 4096);
    EXPECT_EQ(set.ExitCode, 1);
    EXPECT_NE(set.Err.find("keep.rc"), std::string::npos) << set.Err;
    EXPECT_EQ(ReadBytes(path("keep.rc")), old);
    EXPECT_EQ(files(), std::vector<std::string>{"keep.rc"});
}

} // namespace
