//===- Prompts.h - Message boxes and file dialogs, as one seam ----*- C++ -*-===//
//
// Everything the window asks or tells the user in a modal box goes through
// Prompts. The real implementation shows the boxes and runs the dialogs;
// tests put in one that answers from a script and records what was shown.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <QString>

#include <memory>

class QWidget;

namespace qm {

class TFileDlgPlus;

enum class MessageIcon { Information, Warning, Critical };

class Prompts {
public:
    virtual ~Prompts() = default;

    /// A modal box with one OK button; returns when it is closed.
    virtual void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                             MessageIcon icon) = 0;

    /// A question with the choice to go on (Yes) or stop (No, the
    /// default). True to go on. Without a screen of its own a Prompts shows
    /// the text as a warning and goes on.
    virtual bool AskToGoOn(QWidget* parent, const QString& caption, const QString& text) {
        ShowMessage(parent, caption, text, MessageIcon::Warning);
        return true;
    }

    /// Runs `dialog` with the settings it holds. True when the user
    /// confirmed a file; the dialog then holds the answer (FileName,
    /// ReadOnlyChecked). A cancel leaves the dialog as it was.
    virtual bool RunFileDialog(TFileDlgPlus& dialog) = 0;
};

/// The real boxes (QMessageBox) and dialogs (TFileDlgPlus::Execute).
std::shared_ptr<Prompts> MakeScreenPrompts();

} // namespace qm
