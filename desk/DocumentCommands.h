//===- DocumentCommands.h - New, Open, Save and Save As, without a toolkit -*- C++ -*-===//
//
// The document commands of a window whose controls hold the document: New
// (from the template when the settings say so), Open (read-only: the file
// becomes the template of a new document that proposes it as its target),
// the command line's file, Save in place and Save As, and the question
// before a changed document is set aside. The window gives a DocumentView:
// its controls as a record, its pages, its caption, its boxes and its file
// dialogs. Paths and texts are bytes.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "desk/DocumentState.h"
#include "desk/ScriptSource.h"
#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/support/PathParts.h"
#include "versioninfo/support/Status.h"
#include "versioninfo/support/Text.h"

#include <optional>
#include <string>
#include <vector>

namespace qm {

enum class BoxKind { Information, Error };
enum class SaveChoice { Save, Discard, Cancel };

/// A file the user chose in the open dialog.
struct OpenChoice {
    std::string Path;
    bool ReadOnly = false; ///< the dialog's read-only check box
};

/// What a window shows of its document, and asks of its user.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    /// The document as the controls hold it.
    virtual VersionRecord FormRecord() = 0;
    /// Puts `record` into the controls, the subtype list rebuilt for its type.
    virtual void ShowRecord(const VersionRecord& record) = 0;
    /// The File Image page: the numbered listing; empty lines clear it.
    virtual void ShowListing(const Lines& listing) = 0;
    virtual void ClearCompilerPage() = 0;
    /// The caption; Save & Compile and "32" are usable for a named document.
    virtual void ShowCaption(const std::string& caption, bool named) = 0;
    virtual void ShowBox(const std::string& caption, const std::string& text, BoxKind kind) = 0;
    /// A Yes/No question whose default is No.
    virtual bool AskToGoOn(const std::string& caption, const std::string& text) = 0;
    virtual SaveChoice AskToSaveChanges(const std::string& text) = 0;
    /// The open dialog, proposing "*.rc" with the read-only box unticked.
    virtual std::optional<OpenChoice> ChooseFileToOpen() = 0;
    /// The save dialog, starting in `folder` (may be empty) with `name`.
    virtual std::optional<std::string> ChooseFileToSave(const std::string& folder,
                                                        const std::string& name) = 0;
    /// The record's texts are UTF-8 (a UTF-16 script's), or else the
    /// script's own bytes; told before each ShowRecord.
    virtual void SetTextsUtf8(bool utf8) = 0;
};

/// The settings the commands use.
struct DocumentSettings {
    NewDocumentDefaults Defaults;
    bool UseInitialRC = false;
};

class DocumentCommands {
public:
    DocumentCommands(DocumentView& view, std::string templatePath, PathStyle style);

    void SetSettings(const DocumentSettings& settings) { Settings = settings; }

    /// New: the new-document values, or the template's when the settings
    /// say so; never named, never with a target, never the template's
    /// listing. A changed document is asked about first.
    void New();
    /// The New that runs at start-up, with nothing to ask about.
    void StartNew();
    /// The program's arguments: a file to read, or the target of a new
    /// document (a .dpr's or .exe's name with ".rc").
    void ReadCommandLine(const std::vector<std::string>& arguments);
    void Open();
    /// Saves in place a named document; a new one goes to Save As. False
    /// when it was not saved.
    bool Save();
    bool SaveAs();
    /// Before the document is set aside (New, Open, closing): with changes,
    /// asks "Save changes to X?". False to stay as it is.
    bool MaySetAside();
    /// The caption again, after any edit in the controls.
    void FormChanged();

    const DocumentState& Document() const { return Doc; }
    /// The script text last read or written.
    const Lines& ImageLines() const { return Image; }
    /// Writes the form to the document's file; false, with the error
    /// shown, when it fails or the user stopped.
    bool WriteScript();
    /// The version check before a save: a save asks about what a compiler
    /// refuses, Save & Compile (`compiling`) also about version strings at
    /// odds. The comma form of a dotted version goes into the form when the
    /// user goes on. False when the user stops.
    bool CheckVersions(bool compiling);

private:
    struct ReadOutcome {
        bool Opened = false;
        Status Stop = Status::Ok();
    };
    ReadOutcome ReadScript(const std::string& path);
    void ReadNamedFile(const std::string& path);
    void ClearDocument();
    void SetFileName(const std::string& name);
    void MarkUnmodified();
    void ShowImage();
    std::optional<EditedScript> BytesToSave(const VersionRecord& record);
    void ShowError(const std::string& message);

    DocumentView& View;
    std::string TemplatePath;
    PathStyle Style;
    DocumentSettings Settings;
    DocumentState Doc;
    Lines Image;
    std::optional<ScriptSource> Source;
};

/// The numbered listing File Image shows of `lines`; a line longer than
/// 4096 bytes is cut, with the number of bytes left out.
Lines NumberedImage(const Lines& lines);

} // namespace qm
