//===- SaveInPlaceTest.cpp - The window saves real scripts where they stand -===//
//
// Each script of tests/data/realworld is opened in the window, one string
// and the file version are changed, and it is saved, by Save and by Save
// As to a new name. The saved script must compile with llvm-rc; its
// version resource may differ from the original's only in the two edited
// fields; every other resource must be the same bytes; and the file must
// be the original outside the two edited tokens. The window's own scripts
// save to exactly their bytes.
//
//===----------------------------------------------------------------------===//

#include "AppTestSupport.h"

#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/binary/ResourceFile.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/script/ScriptModel.h"
#include "versioninfo/support/Unicode.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstring>

using namespace qm;
using namespace qm::test;

namespace {

const std::string NewVersion = "9, 8, 7, 6";

std::string TextOf(const std::string& bytes) {
    const std::optional<std::string> utf8 = Utf8OfUtf16Script(bytes);
    return utf8 ? *utf8 : bytes;
}

/// What llvm-rc makes of a script's text, or "" when it refuses it. UTF-16
/// scripts are compiled from their text, which llvm-rc reads as UTF-8.
std::string Compiled(const QString& folder, const std::string& bytes) {
    const std::string text = TextOf(bytes);
    WriteBytes(folder + "/compiled.rc", text);
    QFile::remove(folder + "/compiled.res");
    QProcess rc;
    rc.setWorkingDirectory(folder);
    rc.start(QM_LLVM_RC, {"/C", IsWellFormedUtf8(text) ? "65001" : "1252", "/I",
                          "/usr/share/mingw-w64/include", "/FO", "compiled.res", "compiled.rc"});
    rc.waitForFinished(-1);
    return rc.exitCode() == 0 ? ReadBytes(folder + "/compiled.res") : std::string();
}

bool IsVersion(const ResourceEntry& entry) {
    return entry.Type.IsNumber && entry.Type.Number == VersionResourceType;
}

/// Every resource but the version resources, as bytes.
std::vector<std::string> OtherResources(const std::string& res) {
    std::vector<std::string> others;
    const Expected<std::vector<ResourceEntry>> entries = ParseResFile(res);
    for (const ResourceEntry& entry : *entries)
        if (!IsVersion(entry))
            others.push_back(std::to_string(entry.Type.Number) + entry.Type.Text + "/" +
                             std::to_string(entry.Name.Number) + entry.Name.Text + "/" +
                             std::to_string(entry.Language) + ":" + std::string(entry.Data));
    return others;
}

/// The first string of the first table that the form shows as one quoted
/// text and that is no version string: the one the test edits.
int EditedKey(const TFormMain& window) {
    for (int k = 0; k < StringKeyCount; ++k) {
        const QString text = Ui(window).StringEdits[k]->text();
        if (k != Index(StringKey::FileVersion) && k != Index(StringKey::ProductVersion) &&
            !text.isEmpty() && !text.startsWith("\\#"))
            return k;
    }
    return -1;
}

} // namespace

class SaveInPlaceTest : public QObject {
    Q_OBJECT

private slots:
    void realWorldScriptsSaveOnlyTheirEdits_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("saveAs");
        for (const QString& name : QDir(QM_REALWORLD_DIR).entryList({"*.rc"}, QDir::Files)) {
            QTest::newRow(qPrintable(name + " Save")) << name << false;
            QTest::newRow(qPrintable(name + " Save As")) << name << true;
        }
    }
    void realWorldScriptsSaveOnlyTheirEdits() {
        QFETCH(QString, script);
        QFETCH(bool, saveAs);
        Sandbox sandbox;
        for (const QString& name : QDir(QM_REALWORLD_DIR).entryList(QDir::Files))
            QVERIFY(QFile::copy(QM_REALWORLD_DIR "/" + name, sandbox.Path(name)));
        const std::string original = ReadBytes(sandbox.Path(script));
        const std::string before = Compiled(sandbox.Path("."), original);
        QVERIFY2(!before.empty(), "llvm-rc compiles the original");

        auto window = sandbox.MakeWindow({sandbox.Path(script)});
        // A script of wide strings alone (L"...") shows no string the test
        // can edit as text: only its version changes.
        const int key = EditedKey(*window);
        if (key >= 0)
            Ui(*window).StringEdits[key]->setText(Ui(*window).StringEdits[key]->text() +
                                                  " (edited)");
        Ui(*window).cedHFileVersion->setText(QString::fromStdString(NewVersion));
        sandbox.Prompts->RepliesTo["Save"] = false; // a refusal to save in place stands
        const QString target = sandbox.Path(saveAs ? "saved-as.rc" : script);
        if (saveAs) {
            sandbox.Prompts->Choose(target);
            Ui(*window).cbtnSaveAs->click();
        } else {
            window->SaveClick();
        }
        // A version spelled with macros that PRODUCTVERSION shares can't be
        // changed alone: the box says so, and nothing is written.
        const QStringList sharedDefines = {"function_macros.rc",  "header_macros.rc",
                                           "included_version.rc", "macros.rc",
                                           "memory_flags.rc",     "two_languages.rc"};
        if (sharedDefines.contains(script)) {
            QVERIFY(sandbox.Prompts->TextsCaptioned("Save").join(' ').contains("PRODUCTVERSION"));
            QCOMPARE(ReadBytes(sandbox.Path(script)), original);
            return;
        }
        QVERIFY2(sandbox.Prompts->TextsCaptioned("Save").isEmpty(),
                 qPrintable(sandbox.Prompts->TextsCaptioned("Save").join('\n')));
        const std::string saved = ReadBytes(target);
        ExpectOnlyTheEditedTokensChanged(original, saved, key);
        if (!saveAs)
            QCOMPARE(ReadBytes(sandbox.Path(script)), saved);

        const std::string after = Compiled(sandbox.Path("."), saved);
        QVERIFY2(!after.empty(), "llvm-rc compiles the saved script");
        QCOMPARE(OtherResources(after), OtherResources(before));
        ExpectVersionsDifferInTheEditsAlone(before, after, key);
    }

    // The window's own scripts, the examples among them, keep their bytes.
    void ownScriptsSaveToTheirOwnBytes_data() {
        QTest::addColumn<QString>("example");
        QTest::newRow("Example1") << "Example1.rc";
        QTest::newRow("Example2") << "Example2.rc";
    }
    void ownScriptsSaveToTheirOwnBytes() {
        QFETCH(QString, example);
        Sandbox sandbox;
        const std::string bytes = ReadBytes(QM_EXAMPLES_DIR "/" + example);
        WriteBytes(sandbox.Path(example), bytes);
        auto window = sandbox.MakeWindow({sandbox.Path(example)});
        sandbox.Prompts->Choose(sandbox.Path("copy.rc"));
        Ui(*window).cbtnSaveAs->click();
        window->SaveClick();
        QCOMPARE(ReadBytes(sandbox.Path("copy.rc")), bytes);
    }

private:
    // The saved text is the original outside the tokens of the two fields:
    // it begins with what stands before the first, holds what stands
    // between them, and ends with what stands after the second.
    static void ExpectOnlyTheEditedTokensChanged(const std::string& original,
                                                 const std::string& saved, int key) {
        QCOMPARE(Utf8OfUtf16Script(saved).has_value(), Utf8OfUtf16Script(original).has_value());
        const std::string text = TextOf(original), now = TextOf(saved);
        const Expected<VersionScript> model = ParseVersionScript(text);
        QVERIFY(model);
        ScriptSpan first = model->FindFixed("FILEVERSION")->ValueSpan, second{};
        second = {text.size(), text.size()};
        for (const ValueStatement& value : model->Tables.front().Values)
            if (key >= 0 && value.Key == StringKeys()[key])
                second = value.ValueSpan;
        QVERIFY(second.Begin >= first.End);
        const std::string head = text.substr(0, first.Begin);
        const std::string middle = text.substr(first.End, second.Begin - first.End);
        const std::string tail = text.substr(second.End);
        QVERIFY2(now.compare(0, head.size(), head) == 0, "the bytes before the version changed");
        QVERIFY2(now.size() >= head.size() + middle.size() + tail.size(), "bytes are missing");
        QVERIFY2(now.compare(now.size() - tail.size(), tail.size(), tail) == 0,
                 "the bytes after the string changed");
        QVERIFY2(now.find(middle, head.size()) != std::string::npos,
                 "the bytes between the edits changed");
    }

    static void ExpectVersionsDifferInTheEditsAlone(const std::string& before,
                                                    const std::string& after, int key) {
        const Expected<CompiledResource> old = ReadCompiledVersion(before);
        const Expected<CompiledResource> now = ReadCompiledVersion(after);
        QVERIFY(old && now);
        FixedFileInfo expected = old->Info.Fixed;
        expected.FileVersionMS = (9u << 16) | 8u;
        expected.FileVersionLS = (7u << 16) | 6u;
        QCOMPARE(std::memcmp(&now->Info.Fixed, &expected, sizeof expected), 0);
        QCOMPARE(now->Info.Translations, old->Info.Translations);
        QCOMPARE(now->Info.Tables.size(), old->Info.Tables.size());
        for (std::size_t t = 0; t < old->Info.Tables.size(); ++t) {
            std::vector<CompiledString> strings = old->Info.Tables[t].Strings;
            for (CompiledString& string : strings)
                if (t == 0 && key >= 0 && string.Key == StringKeys()[key])
                    string.Value += " (edited)";
            QCOMPARE(now->Info.Tables[t].Strings.size(), strings.size());
            for (std::size_t i = 0; i < strings.size(); ++i) {
                QCOMPARE(now->Info.Tables[t].Strings[i].Key, strings[i].Key);
                QCOMPARE(now->Info.Tables[t].Strings[i].Value, strings[i].Value);
            }
        }
    }
};

QTEST_MAIN(SaveInPlaceTest)
#include "SaveInPlaceTest.moc"
