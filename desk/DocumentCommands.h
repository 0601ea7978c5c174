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
#include "desk/SaveChoice.h"
#include "desk/ScriptSource.h"
#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/support/PathParts.h"
#include "versioninfo/support/Status.h"
#include "versioninfo/support/Text.h"

#include <optional>
#include <string>
#include <vector>

namespace qm {

enum class BoxKind { Information, Error };

/// Where the document's texts come from, which decides how a window shows
/// their bytes.
enum class TextOrigin {
    NewDocument, ///< nothing read yet
    Script,      ///< a script's own bytes
    Utf16Script, ///< a UTF-16 script, whose texts the record holds as UTF-8
    Compiled,    ///< a compiled resource's strings, as UTF-8
};

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
    /// Where the texts of the records shown from now on come from; `bytes`
    /// are the script's, for Script. Told before the record is shown.
    virtual void TakeTextOrigin(TextOrigin origin, const std::string* bytes) = 0;
    /// Before a write: false, with the reason shown, stops it. A window
    /// whose texts no longer fit the source's encoding says why the edit in
    /// place can't keep its bytes (`refusedInPlace`).
    virtual bool PrepareToWrite(std::string& refusedInPlace) {
        (void)refusedInPlace;
        return true;
    }
    /// After a write, the file written is the document's source.
    virtual void ScriptWritten() {}
    /// While a file is read or written.
    virtual void ShowBusy(bool busy) { (void)busy; }
    /// The document's bytes as a question quotes them, in the program's
    /// text (a script's value, a line the layout would lose).
    virtual std::string Shown(const std::string& bytes) { return bytes; }
};

/// The settings the commands use.
struct DocumentSettings {
    NewDocumentDefaults Defaults;
    bool UseInitialRC = false;
    /// Without UseInitialRC, a new document still takes the template's
    /// comment and include lines: the compiler knows no VS_, VOS_ or VFT_
    /// name without winver.h.
    bool TemplateIncludeLines = false;
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
    /// A new document holding `record`, imported from a compiled resource,
    /// which proposes `folder` and `name` as its target. It counts as
    /// unsaved.
    void Import(const VersionRecord& record, const std::string& folder, const std::string& name);

    const DocumentState& Document() const { return Doc; }
    /// The script the document was read from or last saved to, if any.
    const std::optional<ScriptSource>& Source() const { return Source_; }
    /// Names the document's file; the caption and Save & Compile follow.
    void SetFileName(const std::string& name);
    /// Reads the script at `path` as the document's file, without the
    /// question (a drop asks it first). A file that can't be read leaves
    /// the document as it was, its name included.
    void ReadNamedFile(const std::string& path);
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
    /// Loads and reads the script at `path`, busy; a file that can't be
    /// loaded or is refused is reported, and false leaves all as it was.
    bool LoadScript(const std::string& path, std::string& bytes, ReadResult& read);
    ReadOutcome ReadScript(const std::string& path);
    void ClearDocument();
    void MarkUnmodified();
    void ShowImage();
    std::optional<EditedScript> BytesToSave(const VersionRecord& record,
                                            const std::string& refusedInPlace);
    void ShowError(const std::string& message);

    DocumentView& View;
    std::string TemplatePath;
    PathStyle Style;
    DocumentSettings Settings;
    DocumentState Doc;
    Lines Image;
    std::optional<ScriptSource> Source_;
};

/// The numbered listing File Image shows of `lines`; a line longer than
/// 4096 bytes is cut, with the number of bytes left out.
Lines NumberedImage(const Lines& lines);

} // namespace qm
