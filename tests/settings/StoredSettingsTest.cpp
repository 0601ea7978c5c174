//===- StoredSettingsTest.cpp - quillmark-rc's reader agrees with QSettings ===//
//
// The command line reads the settings file without Qt. Each file here is
// read both ways, and every row must come out the same: stored or not,
// text or another type, and the same text.
//
//===----------------------------------------------------------------------===//
#include "settings/StoredSettings.h"
#include "settings/SettingsIni.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace qm;

namespace {

/// Every row as QSettings reads it from the file's "Settings" group.
std::vector<std::optional<StoredValue>> QtRows(const QString& path) {
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(QLatin1String(SettingsGroupName));
    std::vector<std::optional<StoredValue>> rows;
    for (const SettingRow& row : SettingRows) {
        const QString name = QLatin1String(row.Name);
        if (!settings.contains(name)) {
            rows.emplace_back();
            continue;
        }
        const QVariant value = settings.value(name);
        if (value.typeId() == QMetaType::QString)
            rows.push_back(StoredValue{true, value.toString().toStdString()});
        else
            rows.push_back(StoredValue{});
    }
    return rows;
}

std::vector<std::optional<StoredValue>> OurRows(const QByteArray& bytes) {
    const std::string text = bytes.toStdString();
    SettingsIni file(text);
    std::vector<std::optional<StoredValue>> rows;
    for (const SettingRow& row : SettingRows)
        rows.push_back(file.value(std::string(SettingsGroupName) + '/' + row.Name));
    return rows;
}

class StoredSettingsTest : public ::testing::Test {
protected:
    void ExpectSameAsQt(const QByteArray& bytes) {
        // A fresh name each time: QSettings caches files by name.
        const QString path = Dir.filePath(QString("s%1.conf").arg(++Files));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const auto qt = QtRows(path);
        const auto ours = OurRows(bytes);
        for (std::size_t i = 0; i < SettingRows.size(); ++i) {
            ASSERT_EQ(ours[i].has_value(), qt[i].has_value()) << SettingRows[i].Name << " in:\n"
                                                              << bytes.constData();
            if (qt[i]) {
                EXPECT_EQ(ours[i]->IsText, qt[i]->IsText) << SettingRows[i].Name << " in:\n"
                                                          << bytes.constData();
                EXPECT_EQ(ours[i]->Text, qt[i]->Text) << SettingRows[i].Name << " in:\n"
                                                      << bytes.constData();
            }
        }
    }

    QTemporaryDir Dir;
    int Files = 0;
};

TEST_F(StoredSettingsTest, FilesWrittenByHandReadAsQSettingsReadsThem) {
    const QByteArray files[] = {
        "[Settings]\nDefaultFILEOS=vos_nt\nDefaultLanguageID=0x409\nDefaultCodePage=1252\n",
        "[Settings]\r\nFontName = \"Dejavu, Sans\" \r\nCompilerPath=C:\\\\Tools\\\\llvm\r\n"
        "CompilerCmdLine32=llvm-rc /I \\\"x y\\\"\r\n",
        "[Settings]\nFontName=a, b\nFontSize=12\n",
        "[Settings]\nFontSize=@Size(1 2)\nFontName=@String(x, y)\nDefaultFILEOS=@@at\n"
        "CompilerPath=@Size(1)\nCompilerCmdLine16=@Invalid()\nCompilerCmdLine32=@ByteArray(ab)\n",
        "; comment\n[Settings]\nFontName=abc ; trailing\n;FontSize=3\nUseBatchFile=\"0;1\"\n",
        "[General]\nSettings/FontSize=12\nSettings\\FontName=x\n[settings]\nFontSize=1\n",
        "[Settings/Deep]\nA=1\n[Settings]\nCompilerPath=c\nUseBatchFile=0\nDefaultFILEOS=d\n",
        "FontName=top\n[Settings]\nSub\\Key=1\n[%General]\nFontSize=3\n",
        "[%53ettings]\nDefault%46ILEOS=VOS_NT\n[Settings]\n//MinimizeWindow/=1\n",
        "[Settings]\nFontName=Caf\xC3\xA9 \\x00e9 \\xd83d\\xde00 \\101\\t\\q\n",
        "[Settings]\nFontName=one\nFontName=two\n[Other]\nFontName=three\n[Settings]\nFontSize=7\n",
        "[Settings]\nFontName=abc\\\ndef\nFontSize=\"multi\nline\"\nCompilerPath=\n",
        "  [ Settings ]  \n\tFontName\t=\t x  \t\nFontSize=\"\" \nUseInitialRC=\" 1 \"\n",
        "[Settings\nFontName=broken section\n[Settings]\nno equals here\nFontSize=5\n",
    };
    for (const QByteArray& bytes : files)
        ExpectSameAsQt(bytes);
}

TEST_F(StoredSettingsTest, RandomFilesReadAsQSettingsReadsThem) {
    const char* const pieces[] = {"[Settings]\n",
                                  "[General]\n",
                                  "[Settings/M]\n",
                                  "FontName",
                                  "FontSize",
                                  "Settings/CompilerPath",
                                  "=",
                                  " ",
                                  "\t",
                                  "\"",
                                  ",",
                                  ";",
                                  "\\",
                                  "\\x41",
                                  "\\n",
                                  "@",
                                  "\\\n",
                                  "\\x",
                                  "\\0",
                                  "%U0041",
                                  "%",
                                  "]",
                                  "[",
                                  "@Size(1 2)",
                                  "@String(",
                                  ")",
                                  "a",
                                  "%41",
                                  "\n",
                                  "\r\n",
                                  "\xC3\xA9"};
    std::mt19937 random(5);
    for (int i = 0; i < 500; ++i) {
        QByteArray bytes = "[Settings]\n";
        for (int n = random() % 30; n > 0; --n)
            bytes += pieces[random() % std::size(pieces)];
        ExpectSameAsQt(bytes);
    }
}

} // namespace
