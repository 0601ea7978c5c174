//===- test_compilebatchfile.cpp - Batch file line, log test, time stamps -===//

#include "app/FileStamp.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace qm;
namespace fs = std::filesystem;

namespace {

class TempFolder {
public:
    TempFolder() { EXPECT_TRUE(Dir.isValid()); }
    std::string path(const std::string& name = "") const {
        return Dir.path().toStdString() + "/" + name;
    }

private:
    QTemporaryDir Dir;
};

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

/// Runs `script` under /bin/sh in `folder` and returns what it printed.
std::string RunShell(const std::string& script, const std::string& folder) {
    QProcess shell;
    shell.setWorkingDirectory(QString::fromStdString(folder));
    shell.start("/bin/sh", {"-c", QString::fromStdString(script)});
    EXPECT_TRUE(shell.waitForFinished());
    return shell.readAllStandardOutput().toStdString();
}

const fs::file_time_type LongAgo = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);

} // namespace

TEST(app_compile_batchfile, FirstLineIsPlainWhenSafeAndNeverRunsAnythingInTheShell) {
    EXPECT_EQ(*BatchFirstLine("/usr/bin", PathStyle::Posix), "path=/usr/bin");
    EXPECT_EQ(*BatchFirstLine("", PathStyle::Posix), "path=");
    EXPECT_EQ(*BatchFirstLine("/tmp/x;rm -rf ~", PathStyle::Posix), "path='/tmp/x;rm -rf ~'");

    TempFolder temp;
    const std::string hostile =
        "/tmp/x;touch semi pwned`touch tick`$(touch dollar)&touch amp|touch bar 'q\" ~:~/h";
    auto line = BatchFirstLine(hostile, PathStyle::Posix);
    ASSERT_TRUE(line);
    EXPECT_EQ(RunShell(*line + "\nprintf %s \"$path\"", temp.path()), hostile);
    EXPECT_TRUE(fs::is_empty(temp.path())) << "the first line ran a command";
}

TEST(app_compile_batchfile, ALineBreakIsRefusedAndAFirstLineSpanningLinesIsReplacedWhole) {
    for (PathStyle style : {PathStyle::Posix, PathStyle::Windows})
        for (std::string_view bad :
             {std::string_view("/a\nb"), std::string_view("/a\rb"), std::string_view("/a\0b", 4)})
            EXPECT_FALSE(BatchFirstLine(bad, style)) << bad;

    TempFolder temp;
    const std::string batch = temp.path("QuillmarkEX.sh");
    const std::string rest = "# it's the user's\necho \"ran:$path\"\n";
    // A folder that names a command after a line break, as an earlier
    // version wrote it: quoted, so one shell line over two file lines.
    const std::string damaged = "path='/x\ntouch pwned #'\n" + rest;
    WriteBytes(batch, damaged);
    Lines lines;
    Status refused = UpdateBatchFile(batch, "/y\ntouch pwned #", lines);
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.message().find("line break"), std::string::npos) << refused.message();
    EXPECT_EQ(ReadBytes(batch), damaged);

    ASSERT_TRUE(UpdateBatchFile(batch, temp.path(), lines));
    const std::string mended = "path=" + temp.path() + "\n" + rest;
    EXPECT_EQ(ReadBytes(batch), mended);
    EXPECT_EQ(RunShell("sh QuillmarkEX.sh", temp.path()), "ran:" + temp.path() + "\n");
    EXPECT_FALSE(fs::exists(temp.path("pwned")));
    // A comment's quote is no quote: the first line ends at its line break.
    WriteBytes(batch, "path=/old # it's\n" + rest);
    ASSERT_TRUE(UpdateBatchFile(batch, temp.path(), lines));
    EXPECT_EQ(ReadBytes(batch), mended);
}

TEST(app_compile_batchfile, WindowsFirstLineRefusesWhatCmdWouldActOn) {
    EXPECT_EQ(*BatchFirstLine("C:\\PROGRA~1\\BORLAND\\BIN", PathStyle::Windows),
              "path=C:\\PROGRA~1\\BORLAND\\BIN");
    EXPECT_EQ(*BatchFirstLine("C:\\Program Files (x86)\\Bin", PathStyle::Windows),
              "path=C:\\Program Files (x86)\\Bin");
    for (const char* bad : {"C:\\a&calc", "C:\\a|b", "C:\\a>b", "C:\\a<b", "C:\\a^b", "C:\\%x%",
                            "C:\\a!b", "C:\\\"q\"", "C:\\a\r\nb"}) {
        auto line = BatchFirstLine(bad, PathStyle::Windows);
        EXPECT_FALSE(line) << "accepted: " << bad;
    }
}

TEST(app_compile_batchfile, UnchangedFolderLeavesTheFileUntouched) {
    TempFolder temp;
    const std::string batch = temp.path("QuillmarkEX.sh");
    const std::string bytes = "path=" + temp.path() + "\n# own line\r\nrun \"$@\"";
    WriteBytes(batch, bytes);
    fs::last_write_time(batch, LongAgo);

    Lines image{"stale"};
    ASSERT_TRUE(UpdateBatchFile(batch, temp.path(), image));
    EXPECT_EQ(ReadBytes(batch), bytes);
    EXPECT_EQ(fs::last_write_time(batch), LongAgo);
    EXPECT_EQ(image, (Lines{"path=" + temp.path(), "# own line", "run \"$@\""}));
}

TEST(app_compile_batchfile, ChangedFolderRewritesOnlyTheFirstLine) {
    TempFolder temp;
    const std::string tail = "\n# own line\r\n\r\nexec \"$@\" \xE9\n";
    for (const std::string name : {"QuillmarkEX.sh", "QuillmarkEX.bat"}) {
        const std::string batch = temp.path(name);
        const std::string eol = name == "QuillmarkEX.bat" ? "\r\n" : "\n";
        WriteBytes(batch, "path=/old/folder" + eol + "keep" + tail);
        fs::permissions(batch, fs::perms::owner_all | fs::perms::group_read);

        Lines image;
        ASSERT_TRUE(UpdateBatchFile(batch, temp.path(), image));
        EXPECT_EQ(ReadBytes(batch), "path=" + temp.path() + eol + "keep" + tail);
        EXPECT_EQ(fs::status(batch).permissions(), fs::perms::owner_all | fs::perms::group_read);
        EXPECT_EQ(image.front(), "path=" + temp.path());
    }
}

TEST(app_compile_batchfile, ACommentAfterAnOperatorEndsTheFirstLine) {
    // The shell reads "#" after ";" as a comment: its apostrophe opens no quote.
    TempFolder temp;
    const std::string batch = temp.path("QuillmarkEX.sh");
    const std::string tail = "\n# the shipped script's comment, isn't it\nexec \"$@\"\n";
    for (const char* first :
         {"path=/usr/bin;# don't edit", "path=/usr/bin&&# don't", "true|# it's"}) {
        WriteBytes(batch, first + tail);
        Lines image;
        ASSERT_TRUE(UpdateBatchFile(batch, temp.path(), image)) << first;
        EXPECT_EQ(ReadBytes(batch), "path=" + temp.path() + tail) << first;
    }
}

TEST(app_compile_batchfile, AHereDocumentOnTheFirstLineIsRefused) {
    // Replacing its line would run the document's body as commands.
    TempFolder temp;
    const std::string batch = temp.path("QuillmarkEX.sh");
    const std::string bytes = "cat <<EOF\nrm -rf ~\nEOF\nexec \"$@\"\n";
    WriteBytes(batch, bytes);
    Lines image;
    Status refused = UpdateBatchFile(batch, temp.path(), image);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.message().find("\"cat <<EOF\", opens a here-document"), std::string::npos)
        << refused.message();
    EXPECT_EQ(ReadBytes(batch), bytes);
    // A here-string stays on its line and is replaced as any line is.
    WriteBytes(batch, "cat <<< x\nexec\n");
    ASSERT_TRUE(UpdateBatchFile(batch, temp.path(), image));
    EXPECT_EQ(ReadBytes(batch), "path=" + temp.path() + "\nexec\n");
}

TEST(app_compile_batchfile, AMissingFolderGivesAnEmptyAssignment) {
    TempFolder temp;
    WriteBytes(temp.path("file"), "x");
    EXPECT_EQ(ShortPath(temp.path()), temp.path());
    EXPECT_EQ(ShortPath(temp.path("file")), "");

    const std::string batch = temp.path("QuillmarkEX.sh");
    WriteBytes(batch, "path=/usr/bin\nrest\n");
    Lines image;
    ASSERT_TRUE(UpdateBatchFile(batch, temp.path("no such folder"), image));
    EXPECT_EQ(ReadBytes(batch), "path=\nrest\n");
}

TEST(app_compile_batchfile, MissingAndEmptyBatchFilesAreErrorsAndNothingIsWritten) {
    TempFolder temp;
    Lines image;
    const std::string missing = temp.path("QuillmarkEX.sh");
    Status status = UpdateBatchFile(missing, temp.path(), image);
    ASSERT_FALSE(status);
    EXPECT_NE(status.message().find(missing), std::string::npos) << status.message();
    EXPECT_FALSE(fs::exists(missing));

    const std::string empty = temp.path("empty.sh");
    WriteBytes(empty, "");
    fs::last_write_time(empty, LongAgo);
    status = UpdateBatchFile(empty, temp.path(), image);
    ASSERT_FALSE(status);
    EXPECT_NE(status.message().find(empty), std::string::npos) << status.message();
    EXPECT_EQ(fs::file_size(empty), 0u);
    EXPECT_EQ(fs::last_write_time(empty), LongAgo);
    auto entries = fs::directory_iterator(temp.path());
    EXPECT_EQ(std::distance(fs::begin(entries), fs::end(entries)), 1) << "a stray file was left";
}

TEST(app_compile_batchfile, ALogStillHeldByTheRunIsNotLoaded) {
    TempFolder temp;
    const std::string log = temp.path(LogFileName);
    EXPECT_FALSE(LoadFinishedLog(log));

    int run = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(run, 0);
    ASSERT_EQ(::flock(run, LOCK_EX), 0);
    ASSERT_EQ(::write(run, "partial\n", 8), 8);
    EXPECT_FALSE(LoadFinishedLog(log));

    ASSERT_EQ(::write(run, "done\n", 5), 5);
    ::close(run);
    auto loaded = LoadFinishedLog(log);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, "partial\ndone\n");

    fs::create_directory(temp.path("folder.log"));
    EXPECT_FALSE(LoadFinishedLog(temp.path("folder.log")));
}

TEST(app_compile_batchfile, StampsAreInTwoSecondStepsAndMidnightShowsTheDateAlone) {
    const QLocale c = QLocale::c();
    const QDate day(2024, 3, 5);
    const QString date = c.toString(day, QLocale::ShortFormat);
    EXPECT_EQ(FormatFileStamp(QDateTime(day, QTime(13, 45, 27, 999)), c),
              date + ' ' + c.toString(QTime(13, 45, 26), QLocale::LongFormat));
    EXPECT_EQ(FormatFileStamp(QDateTime(day, QTime(13, 45, 26)), c),
              date + ' ' + c.toString(QTime(13, 45, 26), QLocale::LongFormat));
    EXPECT_EQ(FormatFileStamp(QDateTime(day, QTime(0, 0)), c), date);
    EXPECT_EQ(FormatFileStamp(QDateTime(day, QTime(0, 0, 1, 500)), c), date);
    EXPECT_EQ(FormatFileStamp(QDateTime(day, QTime(0, 0, 2)), c),
              date + ' ' + c.toString(QTime(0, 0, 2), QLocale::LongFormat));
    // The locale decides the forms.
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_TRUE(FormatFileStamp(QDateTime(day, QTime(15, 0)), us).startsWith("3/5/24 3:00:00"));
}

TEST(app_compile_batchfile, FileStampOfMissingFilesAndFolders) {
    TempFolder temp;
    EXPECT_EQ(FileStampText(temp.path("App.res")), NotFoundStamp);
    EXPECT_EQ(FileStampText(temp.path()), NotFoundStamp);

    const std::string script = temp.path("App.rc");
    WriteBytes(script, "x");
    QDateTime when(QDate(2023, 7, 1), QTime(9, 30, 15));
    QFile file(QString::fromStdString(script));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(FileStampText(script, QLocale::c()), FormatFileStamp(when, QLocale::c()));
    EXPECT_TRUE(FileStampText(script, QLocale::c()).contains("09:30:14"));
}
