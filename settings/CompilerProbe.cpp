//===- CompilerProbe.cpp - A resource compiler that works here, by default ===//

#include "settings/CompilerProbe.h"

#include "platform/System.h"
#include "settings/AppSettings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace qm {

namespace {

std::function<CompilerProbe()>& ProbeOverride() {
    static std::function<CompilerProbe()> probe;
    return probe;
}

/// Where Debian's mingw-w64 packages put the Windows headers, the shared
/// copy first. None holds a blank, which would split the command's words.
const char* const HeaderFolders[] = {
    "/usr/share/mingw-w64/include",
    "/usr/x86_64-w64-mingw32/include",
    "/usr/i686-w64-mingw32/include",
};

} // namespace

CompilerProbe ProbeThisMachine() {
    CompilerProbe probe;
    // Windows keeps the classic compiler's defaults: nothing is probed.
    if (platform::RunsOnWindows())
        return probe;
    probe.LlvmRc = QStandardPaths::findExecutable(QStringLiteral("llvm-rc"));
    for (const char* windres :
         {"windres", "x86_64-w64-mingw32-windres", "i686-w64-mingw32-windres"})
        probe.Windres =
            probe.Windres || !QStandardPaths::findExecutable(QLatin1String(windres)).isEmpty();
    // The companion installed beside the program comes first.
    probe.BuiltIn = QStandardPaths::findExecutable(QStringLiteral("quillmark-rc"),
                                                   {QCoreApplication::applicationDirPath()});
    if (probe.BuiltIn.isEmpty())
        probe.BuiltIn = QStandardPaths::findExecutable(QStringLiteral("quillmark-rc"));
    for (const char* folder : HeaderFolders) {
        if (QFileInfo(QLatin1String(folder) + QStringLiteral("/winver.h")).isFile()) {
            probe.WinverFolder = QLatin1String(folder);
            break;
        }
    }
    return probe;
}

CompilerProbe CurrentCompilerProbe() {
    return ProbeOverride() ? ProbeOverride()() : ProbeThisMachine();
}

void SetCompilerProbe(std::function<CompilerProbe()> probe) {
    ProbeOverride() = std::move(probe);
}

bool CompilerNeedsWinverInclude(const AppSettings& settings) {
    const QString program =
        settings.CompilerCmdLine32.trimmed().section(QLatin1Char(' '), 0, 0).toLower();
    const QString name = program.section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1);
    return name.contains(QLatin1String("llvm-rc")) || name.contains(QLatin1String("windres"));
}

void ApplyCompilerProbe(const CompilerProbe& probe, AppSettings& settings) {
    if (probe.LlvmRc.isEmpty()) {
        // No compiler at all: the built-in one, through the same batch file.
        if (!probe.Windres && !probe.BuiltIn.isEmpty()) {
            settings.CompilerPath = QFileInfo(probe.BuiltIn).absolutePath();
            settings.CompilerCmdLine32 = QStringLiteral("quillmark-rc compile --codepage 65001 --");
        }
        return;
    }
    settings.CompilerPath = QFileInfo(probe.LlvmRc).absolutePath();
    // /C 65001: the script is UTF-8 (llvm-rc takes only ASCII otherwise).
    // "--" ends the options, so a script path such as /usr/... is no option.
    // No /V: its token dump would bury the verdict of the run.
    QString command = QStringLiteral("llvm-rc /C 65001");
    if (!probe.WinverFolder.isEmpty())
        command += QStringLiteral(" /I ") + probe.WinverFolder;
    settings.CompilerCmdLine32 = command + QStringLiteral(" --");
}

} // namespace qm
