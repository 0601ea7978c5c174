//===- DocumentState.h - The document beside the form's values -----*- C++ -*-===//
//
// What a window knows of its document besides the values its controls hold:
// the file it was read from or saved to, where Save As proposes a new one,
// and the form as it was last loaded, started or saved. From these it gives
// the window's caption, the mark of unsaved edits and the name the "Save
// changes to X?" question asks about. Paths are bytes, as the core takes
// them; a window turns them into its own text.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/support/PathParts.h"

#include <string>
#include <string_view>

namespace qm {

/// The file name of a document that has none yet.
inline constexpr std::string_view NewDocumentFile = "<New>";
/// The program's name, as the caption and the message boxes give it.
inline constexpr std::string_view AppTitle = "Quillmark";

class DocumentState {
public:
    /// The document's file; NewDocumentFile for a document without one.
    const std::string& File() const { return File_; }
    /// False for a new document: Save goes to Save As, Save & Compile waits.
    bool Named() const { return File_ != NewDocumentFile; }
    void SetFile(std::string file) { File_ = std::move(file); }

    /// Where Save As proposes a new document: the folder (with its
    /// separator) and the file name; both empty when nothing is proposed.
    const std::string& TargetFolder() const { return TargetFolder_; }
    const std::string& TargetName() const { return TargetName_; }
    void SetTarget(std::string folder, std::string name);

    /// The form as last loaded, started or saved.
    void MarkSaved(VersionRecord form) { Saved_ = std::move(form); }
    const VersionRecord& Saved() const { return Saved_; }
    /// True while `form` differs from what was last loaded, started or saved.
    bool Modified(const VersionRecord& form) const { return form != Saved_; }

    /// "Quillmark - FILE"; for a new document with a proposed target, the
    /// target follows in brackets; " *" marks unsaved edits.
    std::string Caption(bool modified) const;
    /// The name "Save changes to X?" gives: a new document's proposed file
    /// name, else the file's name without its folder.
    std::string NameToAskAbout(PathStyle style) const;

private:
    std::string File_{NewDocumentFile};
    std::string TargetFolder_;
    std::string TargetName_;
    VersionRecord Saved_;
};

} // namespace qm
