//===- AppTestSupport.cpp - A main window in a sandbox --------------------===//

#include "AppTestSupport.h"

#include "controls/DlgsPlus.h"
#include "settings/AppSettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace qm::test {

void ScriptedPrompts::ShowMessage(QWidget*, const QString& caption, const QString& text,
                                  MessageIcon icon) {
    Messages.append({caption, text, icon});
}

bool ScriptedPrompts::AskToGoOn(QWidget* parent, const QString& caption, const QString& text) {
    ShowMessage(parent, caption, text, MessageIcon::Warning);
    if (const auto given = RepliesTo.find(caption); given != RepliesTo.end())
        return *given;
    return Replies.isEmpty() ? true : Replies.takeFirst();
}

DialogAnswer ScriptedPrompts::RunFileDialog(const FileDialogRun& run) {
    Dialogs.append({run.ObjectName, run.InitialDir, run.FileName, run.ReadOnlyChecked});
    return Answers.isEmpty() ? Answer{} : Answers.takeFirst();
}

QStringList ScriptedPrompts::TextsCaptioned(const QString& caption) const {
    QStringList texts;
    for (const ShownMessage& message : Messages)
        if (message.Caption == caption)
            texts.append(message.Text);
    return texts;
}

Sandbox::Sandbox() {
    Modals::SetAnswers(Prompts);
    QDir(Dir.path()).mkpath(QStringLiteral("bin"));
    WriteSettings();
}

Sandbox::~Sandbox() {
    Modals::SetAnswers(nullptr);
    SetSettingsStoreFile(QString());
}

QString Sandbox::ProgramDir() const {
    return Dir.path() + QStringLiteral("/bin/");
}

QString Sandbox::Path(const QString& name) const {
    return Dir.path() + QLatin1Char('/') + name;
}

void Sandbox::WriteSettings(const QMap<QString, QVariant>& values) {
    const QString file = Path(QStringLiteral("settings.ini"));
    QFile::remove(file);
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("Settings"));
        if (!values.contains(QStringLiteral("FontName")))
            settings.setValue(QStringLiteral("FontName"), QStringLiteral("DejaVu Sans Mono"));
        for (auto it = values.begin(); it != values.end(); ++it)
            settings.setValue(it.key(), it.value());
    }
    SetSettingsStoreFile(file);
}

std::unique_ptr<TFormMain> Sandbox::MakeWindow(const QStringList& arguments) {
    // The settings record is process-wide; a load that stops part-way must
    // not find the previous test's values in it.
    TheAppSettings() = AppSettings{};
    FormMainSetup setup;
    setup.ProgramDir = ProgramDir();
    setup.Arguments = arguments;
    return std::make_unique<TFormMain>(setup);
}

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::string ScriptBytes(const std::string& fileVersionValue, const std::string& blockName) {
    return "// test script\r\n"
           "#include <winver.h>\r\n"
           "VS_VERSION_INFO     VERSIONINFO\r\n"
           "  FILEVERSION       2, 1, 0, 15\r\n"
           "  PRODUCTVERSION    2, 1, 0, 0\r\n"
           "  FILEFLAGSMASK     VS_FFI_FILEFLAGSMASK\r\n"
           "  FILEFLAGS         VS_FF_DEBUG\r\n"
           "  FILEOS            VOS__WINDOWS32\r\n"
           "  FILETYPE          VFT_DRV\r\n"
           "  FILESUBTYPE       VFT2_DRV_SOUND\r\n"
           "BEGIN\r\n"
           "    BLOCK \"StringFileInfo\"\r\n"
           "    BEGIN\r\n"
           "        BLOCK \"" +
           blockName +
           "\"\r\n"
           "        BEGIN\r\n"
           "           VALUE \"FileVersion\",      \"" +
           fileVersionValue +
           "\\0\"\r\n"
           "           VALUE \"FileDescription\",  \"Test driver\\0\"\r\n"
           "//         VALUE \"LegalCopyright\",   \"\\0\"\r\n"
           "//         VALUE \"Comments\",         \"\\0\"\r\n"
           "           VALUE \"CompanyName\",      \"Example\\0\"\r\n"
           "//         VALUE \"LegalTrademarks\",  \"\\0\"\r\n"
           "//         VALUE \"OriginalFilename\", \"\\0\"\r\n"
           "           VALUE \"ProductVersion\",   PRODUCT_VERSION_STR\r\n"
           "//         VALUE \"ProductName\",      \"\\0\"\r\n"
           "//         VALUE \"InternalName\",     \"\\0\"\r\n"
           "//         VALUE \"PrivateBuild\",     \"\\0\"\r\n"
           "//         VALUE \"SpecialBuild\",     \"\\0\"\r\n"
           "        END\r\n"
           "    END\r\n"
           "    BLOCK \"VarFileInfo\"\r\n"
           "    BEGIN\r\n"
           "        VALUE \"Translation\", 0x0409, 1252\r\n"
           "    END\r\n"
           "END\r\n";
}

QString ShippedTemplatePath() {
    return QStringLiteral(QM_APP_SOURCE_DIR "/Initial.rc");
}

} // namespace qm::test
