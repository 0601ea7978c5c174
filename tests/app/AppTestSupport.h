//===- AppTestSupport.h - A main window in a sandbox, with scripted boxes -===//
//
// Each window under test gets its own temporary program folder and settings
// file, and answers (controls/Modals.h), installed while the sandbox lives,
// that record every box and answer every file dialog from a queue (an empty
// queue cancels).
//
//===----------------------------------------------------------------------===//
#pragma once

#include "MainControls.h"
#include "app/Main.h"
#include "controls/Modals.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>
#include <string>

namespace qm::test {

struct ShownMessage {
    QString Caption;
    QString Text;
    MessageIcon Icon;
};

/// A file dialog as it stood when it was run.
struct DialogSeen {
    QString ObjectName;
    QString InitialDir;
    QString FileName;
    bool ReadOnlyChecked = false;
};

class ScriptedPrompts final : public ModalAnswers {
public:
    using Answer = DialogAnswer;

    void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                     MessageIcon icon) override;
    DialogAnswer RunFileDialog(const FileDialogRun& run) override;
    /// Shown as a message; answered by RepliesTo its caption, else from
    /// Replies, else Yes.
    bool AskToGoOn(QWidget* parent, const QString& caption, const QString& text) override;
    /// Recorded in SaveQuestions; answered from SaveChoices, else Discard.
    SaveChoice AskToSaveChanges(QWidget*, const QString&, const QString& text) override {
        SaveQuestions.append(text);
        return SaveChoices.isEmpty() ? SaveChoice::Discard : SaveChoices.takeFirst();
    }

    void Choose(const QString& fileName, bool readOnly = false) {
        Answers.append(Answer{true, fileName, readOnly});
    }
    void Cancel() { Answers.append(Answer{}); }

    /// The texts of the boxes with `caption`, in the order shown.
    QStringList TextsCaptioned(const QString& caption) const;

    QList<ShownMessage> Messages;
    QList<DialogSeen> Dialogs;
    QList<Answer> Answers;
    QList<bool> Replies;
    QMap<QString, bool> RepliesTo;
    QStringList SaveQuestions;
    QList<SaveChoice> SaveChoices;
};

/// A program folder and a settings file of its own, removed afterwards.
class Sandbox {
public:
    Sandbox();
    ~Sandbox();

    /// The program folder, ending in "/".
    QString ProgramDir() const;
    /// A path inside the sandbox (outside the program folder).
    QString Path(const QString& name) const;

    /// Writes the settings the next window loads; values not given are
    /// missing from the store and load as their defaults. FontName is set to
    /// a real font unless given, so the options dialog does not come up.
    void WriteSettings(const QMap<QString, QVariant>& values = {});

    /// A window on this sandbox, created with `arguments` on its command line.
    std::unique_ptr<TFormMain> MakeWindow(const QStringList& arguments = {});

    std::shared_ptr<ScriptedPrompts> Prompts = std::make_shared<ScriptedPrompts>();

private:
    QTemporaryDir Dir;
};

void WriteBytes(const QString& path, const std::string& bytes);
std::string ReadBytes(const QString& path);

/// A script in the writer's own layout with the given string value for
/// FileVersion and a comment line, for round trips.
std::string ScriptBytes(const std::string& fileVersionValue = "1.2.3.4",
                        const std::string& blockName = "040904E4");

/// The source copy of the shipped template.
QString ShippedTemplatePath();

} // namespace qm::test
