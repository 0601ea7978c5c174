//===- SettingsTestSupport.h - A private settings store per test --*- C++ -*-===//
#pragma once

#include "settings/AppSettings.h"
#include "settings/CompilerProbe.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qm::test {

/// A complete, valid set of entries that differs from every default.
inline OptionEntries SampleEntries() {
    OptionEntries e;
    e.FontName = QStringLiteral("Courier New");
    e.FontSize = QStringLiteral("12");
    e.UseInitialRC = true;
    e.DefaultFILEOS = QStringLiteral("VOS_NT_WINDOWS32");
    e.LanguageRow = 8; // " 409  U.S. English"
    e.CodePageRow = 7; // "1252  Windows, Multilingual"
    e.MinimizeWindow = true;
    e.UseBatchFile = false;
    e.CompilerPath = QStringLiteral("C:\\Tools\\Bin");
    e.CompilerCmdLine32 = QStringLiteral("rc -r");
    e.CompilerCmdLine16 = QStringLiteral("rc16 -r");
    return e;
}

/// Points the store at Quillmark.conf in a fresh temporary folder. The
/// machine's compiler is not looked at: the defaults are the table's.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        SetSettingsStoreFile(Path());
        SetCompilerProbe([] { return CompilerProbe{}; });
    }
    void TearDown() override {
        SetSettingsStoreFile(QString());
        SetCompilerProbe(nullptr);
    }

    QString Path() const { return Dir.filePath(QStringLiteral("Quillmark.conf")); }

    void WriteRaw(const QByteArray& bytes) const {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QByteArray ReadRaw() const {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir Dir;
};

} // namespace qm::test
