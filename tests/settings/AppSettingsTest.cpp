//===- AppSettingsTest.cpp - Loading, storing and converting settings ----===//
#include "SettingsTestSupport.h"

#include "versioninfo/document/Lookups.h"
#include "versioninfo/document/Tables.h"

#include <QDir>
#include <QSettings>

using namespace qm;
using qm::test::SampleEntries;
using qm::test::SettingsFileTest;

namespace {

AppSettings Loaded() {
    AppSettings settings;
    const Status status = LoadSettings(settings);
    EXPECT_TRUE(status.ok()) << status.message();
    return settings;
}

AppSettings BuiltInDefaults() {
    AppSettings d;
    d.FontName = QStringLiteral("FixedSys");
    d.FontSize = 9;
    d.UseInitialRC = false;
    d.DefaultFILEOS = QStringLiteral("VOS_DOS_WINDOWS32");
    d.DefaultLanguageID = 1041;
    d.DefaultCodePage = 1200;
    d.MinimizeWindow = false;
    d.UseBatchFile = true;
    d.CompilerPath = QStringLiteral("C:\\Program Files\\Borland\\Delphi 2.0\\Bin");
    d.CompilerCmdLine32 = QStringLiteral("Brcc32 -v -32");
    d.CompilerCmdLine16 = QStringLiteral("Brcc32 -v -16");
    return d;
}

QString StoredText(const QString& path, const char* name) {
    QSettings raw(path, QSettings::IniFormat);
    return raw.value(QStringLiteral("Settings/") + QLatin1String(name)).toString();
}

} // namespace

TEST(AppSettingsLocation, DefaultStoreIsTheUserConfigFile) {
    SetSettingsStoreFile(QString());
    const QString expected = QDir(qEnvironmentVariable("XDG_CONFIG_HOME"))
                                 .filePath(QStringLiteral("Harrowgate/Quillmark.conf"));
    EXPECT_EQ(QFileInfo(SettingsStoreLocation()).absoluteFilePath(),
              QFileInfo(expected).absoluteFilePath());
}

TEST_F(SettingsFileTest, MissingStoreGivesDefaultsAndCreatesNothing) {
    EXPECT_EQ(Loaded(), BuiltInDefaults());
    EXPECT_EQ(BuiltInAppSettings(), BuiltInDefaults());
    EXPECT_FALSE(QFileInfo::exists(Path()));
}

TEST_F(SettingsFileTest, LlvmRcOnThePathGivesTheCompilerDefaults) {
    SetCompilerProbe([] {
        CompilerProbe probe;
        probe.LlvmRc = QStringLiteral("/opt/llvm/bin/llvm-rc");
        probe.WinverFolder = QStringLiteral("/usr/share/mingw-w64/include");
        return probe;
    });
    AppSettings expected = BuiltInDefaults();
    expected.CompilerPath = QStringLiteral("/opt/llvm/bin");
    expected.CompilerCmdLine32 =
        QStringLiteral("llvm-rc /C 65001 /I /usr/share/mingw-w64/include --");
    EXPECT_EQ(Loaded(), expected);

    // Without the headers the command goes without its include folder; a
    // stored value always wins over the probe.
    SetCompilerProbe([] {
        CompilerProbe probe;
        probe.LlvmRc = QStringLiteral("/usr/bin/llvm-rc");
        return probe;
    });
    WriteRaw("[Settings]\nCompilerPath=/tools\n");
    expected.CompilerPath = QStringLiteral("/tools");
    expected.CompilerCmdLine32 = QStringLiteral("llvm-rc /C 65001 --");
    EXPECT_EQ(Loaded(), expected);
}

// With no compiler at all the built-in one is the default; a windres keeps
// the table's defaults.
TEST_F(SettingsFileTest, NoCompilerGivesTheBuiltInOne) {
    CompilerProbe probe;
    probe.BuiltIn = QStringLiteral("/opt/quillmark/bin/quillmark-rc");
    SetCompilerProbe([probe] { return probe; });
    AppSettings expected = BuiltInDefaults();
    expected.CompilerPath = QStringLiteral("/opt/quillmark/bin");
    expected.CompilerCmdLine32 = QStringLiteral("quillmark-rc compile --codepage 65001 --");
    EXPECT_EQ(Loaded(), expected);

    probe.Windres = true;
    SetCompilerProbe([probe] { return probe; });
    EXPECT_EQ(Loaded(), BuiltInDefaults());
}

TEST_F(SettingsFileTest, StoredTextsAreReadByTheirRowKind) {
    WriteRaw(
        "[Settings]\nFontName=\nFontSize=0X10\nUseInitialRC=2\nDefaultLanguageID=12abc\n"
        "DefaultCodePage=$4B0\nMinimizeWindow=256\nUseBatchFile=\nCompilerPath=\" D:\\\\x \"\n");
    AppSettings expected = BuiltInDefaults();
    expected.FontName = QString(); // an existing empty value is not missing
    expected.FontSize = 16;
    expected.UseInitialRC = true;      // 2 has a low bit set
    expected.DefaultLanguageID = 1041; // not a number: default
    expected.DefaultCodePage = 1200;
    expected.MinimizeWindow = false; // 256 has none of the low eight bits
    expected.UseBatchFile = true;    // empty: default
    expected.CompilerPath = QStringLiteral(" D:\\x ");
    EXPECT_EQ(Loaded(), expected);
}

TEST_F(SettingsFileTest, WrongTypedValueStopsTheLoadAtItsRow) {
    WriteRaw("[Settings]\nFontName=Courier\nFontSize=12\nUseInitialRC=@Size(1 2)\n"
             "DefaultFILEOS=VOS_NT\nCompilerPath=C:\\\\Bin\n");
    AppSettings settings;
    const Status status = LoadSettings(settings);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.message().find("'UseInitialRC'"), std::string::npos) << status.message();
    AppSettings expected;
    expected.FontName = QStringLiteral("Courier");
    expected.FontSize = 12;
    EXPECT_EQ(settings, expected); // the failing row and every later one untouched
}

TEST_F(SettingsFileTest, StoreThenLoadKeepsEveryRow) {
    OptionEntries e = SampleEntries();
    e.FontSize = QStringLiteral(" $10");
    e.LanguageRow = 44; // "100C  Swiss French"
    e.CodePageRow = 0;  // "   0  7-bit ASCII"
    e.DefaultFILEOS = QString();
    e.CompilerPath = QStringLiteral("  C:\\Program Files\\A, B;#=x  ");
    e.CompilerCmdLine32 = QStringLiteral("@Variant(x) \"q\" \xC4rger");
    const AppSettings before = TheAppSettings();
    ASSERT_TRUE(StoreSettings(e).ok());
    EXPECT_EQ(TheAppSettings(), before);

    EXPECT_EQ(StoredText(Path(), "FontSize"), QStringLiteral("16"));
    EXPECT_EQ(StoredText(Path(), "DefaultLanguageID"), QStringLiteral("4108"));
    EXPECT_EQ(StoredText(Path(), "DefaultCodePage"), QStringLiteral("0"));
    EXPECT_EQ(StoredText(Path(), "UseInitialRC"), QStringLiteral("1"));
    EXPECT_EQ(StoredText(Path(), "UseBatchFile"), QStringLiteral("0"));

    const AppSettings loaded = Loaded();
    const Expected<AppSettings> converted = ConvertEntries(e);
    ASSERT_TRUE(converted.ok());
    EXPECT_EQ(loaded, *converted);
    EXPECT_EQ(loaded.CompilerPath, e.CompilerPath);
    EXPECT_EQ(loaded.CompilerCmdLine32, e.CompilerCmdLine32);
    const NewDocumentDefaults defaults = NewDocumentDefaultsFrom(loaded);
    EXPECT_EQ(SelectContaining(LanguageTable(), LanguageIDText(defaults.LanguageID), NoRow), 44);
    EXPECT_EQ(SelectContaining(CodePageTable(), CodePageText(defaults.CodePage), NoRow), 0);
}

TEST_F(SettingsFileTest, StoreKeepsOtherValuesOfTheFile) {
    WriteRaw("[General]\nOther=kept\n\n[Settings]\nFontName=Old\nUnknown=also kept\n");
    ASSERT_TRUE(StoreSettings(SampleEntries()).ok());
    QSettings raw(Path(), QSettings::IniFormat);
    EXPECT_EQ(raw.value("Other").toString(), QStringLiteral("kept"));
    EXPECT_EQ(raw.value("Settings/Unknown").toString(), QStringLiteral("also kept"));
    EXPECT_EQ(raw.value("Settings/FontName").toString(), QStringLiteral("Courier New"));
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Quillmark.conf")});
}

TEST_F(SettingsFileTest, ConversionErrorKeepsEarlierRowsWrittenAndLaterRowsAsTheyWere) {
    ASSERT_TRUE(StoreSettings(SampleEntries()).ok());
    const AppSettings old = Loaded();

    OptionEntries next = SampleEntries();
    next.FontName = QStringLiteral("Lucida");
    next.FontSize = QStringLiteral("abc");
    next.UseInitialRC = false;
    Status status = StoreSettings(next);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.message().find("'abc'"), std::string::npos) << status.message();
    AppSettings expected = old;
    expected.FontName = QStringLiteral("Lucida");
    EXPECT_EQ(Loaded(), expected);

    // No code page row: rows 1 to 5 are written, 6 on keep their values.
    next.FontSize = QStringLiteral("10");
    next.LanguageRow = 0;
    next.CodePageRow = 12; // outside the table counts as none
    next.UseBatchFile = true;
    status = StoreSettings(next);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.message().find("DefaultCodePage"), std::string::npos) << status.message();
    expected.FontSize = 10;
    expected.UseInitialRC = false;
    expected.DefaultLanguageID = 0x401;
    EXPECT_EQ(Loaded(), expected);
}

TEST(AppSettingsConversion, EveryTableRowComesBackAsItself) {
    OptionEntries e = SampleEntries();
    for (int row = 0; row < static_cast<int>(LanguageTable().size()); ++row) {
        e.LanguageRow = row;
        const Expected<AppSettings> s = ConvertEntries(e);
        ASSERT_TRUE(s.ok());
        EXPECT_EQ(LanguageRowOf(s->DefaultLanguageID), row);
    }
    for (int row = 0; row < static_cast<int>(CodePageTable().size()); ++row) {
        e.CodePageRow = row;
        const Expected<AppSettings> s = ConvertEntries(e);
        ASSERT_TRUE(s.ok());
        EXPECT_EQ(FindContaining(CodePageTable(), CodePageText(s->DefaultCodePage)), row);
    }
    e.LanguageRow = NoRow;
    EXPECT_FALSE(ConvertEntries(e).ok());
}

TEST(AppSettingsConversion, TheEntriesShowingSettingsConvertBackToThem) {
    const Expected<AppSettings> sample = ConvertEntries(SampleEntries());
    ASSERT_TRUE(sample.ok());
    const Expected<AppSettings> shown = ConvertEntries(EntriesShowing(*sample));
    ASSERT_TRUE(shown.ok()) << shown.message();
    EXPECT_EQ(*shown, *sample);

    AppSettings unlisted = *sample;
    unlisted.DefaultCodePage = 437; // no row shows it
    EXPECT_EQ(EntriesShowing(unlisted).CodePageRow, NoRow);
}

TEST(AppSettingsConversion, NewDocumentTakesTheThreeDefaults) {
    AppSettings s = BuiltInDefaults();
    VersionRecord doc = NewDocument(NewDocumentDefaultsFrom(s));
    EXPECT_EQ(doc.FileOS, "VOS_DOS_WINDOWS32");
    EXPECT_EQ(RowText(LanguageTable(), doc.LanguageID), " 411  Japanese");
    EXPECT_EQ(RowText(CodePageTable(), doc.CodePage), "1200  Unicode");

    s.DefaultFILEOS = QStringLiteral("vos_nt");
    s.DefaultLanguageID = 0x409;
    s.DefaultCodePage = 437; // no row holds "437"
    doc = NewDocument(NewDocumentDefaultsFrom(s));
    EXPECT_EQ(doc.FileOS, "VOS_NT");
    EXPECT_EQ(RowText(LanguageTable(), doc.LanguageID), " 409  U.S. English");
    EXPECT_EQ(doc.CodePage, NoRow);
}
