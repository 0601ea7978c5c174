//===- ScriptSource.h - Saving a document over the script it came from -*- C++ -*-===//
//
// A document read from a file keeps that file's bytes, so that a save can
// change only what the form changed and leave every other byte as it was.
// Where that edit is refused, a save may still write the program's own
// layout, after the window has asked: the question is formed here, with
// what the layout would lose and whether the result would compile, so both
// windows ask the same.
//
// Paths and texts are bytes, as the core takes them.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/script/ScriptEdit.h"
#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/support/Status.h"

#include <functional>
#include <string>
#include <vector>

namespace qm {

/// The file a document was read from, as it was read or last written.
struct ScriptSource {
    std::string Path;
    std::string Bytes;
    VersionRecord Record; ///< the form as it showed the file
    /// What a save in the program's layout would drop of it.
    std::vector<std::string> Losses;
    /// True when the file is exactly what the layout writes of its record:
    /// the program's own script, which a save writes in that layout again.
    bool OwnLayout = false;
};

/// What writing the layout over `bytes`, read as `read`, would lose; a
/// UTF-16 script first of all loses its encoding.
std::vector<std::string> LossesOfLayout(const std::string& bytes, const ReadResult& read);

/// The source of `bytes`, read as `read` and shown as `record`.
ScriptSource SourceOfScript(std::string path, std::string bytes, const VersionRecord& record,
                            const ReadResult& read);

/// How a script at `path` is read: its own headers from beside it, as a
/// compiler reads them.
PreprocessOptions PreprocessForScript(const std::string& path);

/// `source` with the changes from its record to `record` made where they
/// stand. Fails with "PATH can't be saved in place: WHY".
Expected<EditedScript> EditSourceInPlace(const ScriptSource& source, const VersionRecord& record);

/// What a save writes, decided before anything is written.
struct SavePlan {
    /// Set: write this, no question needed.
    std::optional<EditedScript> Ready;
    /// Otherwise the layout, if the user agrees to lose `Losses`; `Why`
    /// says why the edit in place was refused (empty when it wasn't tried).
    std::string Layout;
    std::string Why;
    std::vector<std::string> Losses;
    /// Set when not even the layout can be formed; nothing can be saved.
    Status Error = Status::Ok();
};

/// The plan for saving `record` to `target`: over `source` when the
/// document came from a file that isn't in the program's own layout; else
/// the layout, asking first when `target` is another file that holds more
/// than the form shows.
/// A window that knows the edit in place can't keep the file's bytes (its
/// text no longer fits the file's encoding) passes the reason as
/// `refusedInPlace`.
SavePlan PlanSave(const std::string& target, const ScriptSource* source,
                  const VersionRecord& record, const NewDocumentDefaults& defaults,
                  const std::string& refusedInPlace = {});

/// The question before writing the layout over `file`: why the edit in
/// place was refused, what is lost (each through `shown`, the window's
/// display of script bytes, at most twelve), and whether the result would
/// compile. Lines joined with "\n"; the window's No is the default.
std::string LayoutQuestion(const SavePlan& plan, const std::string& file,
                           const std::function<std::string(const std::string&)>& shown);

/// Writes `edited` to `path` while holding it against other edits, with the
/// headers the edit reaches, or none of them. Refuses when `path` is the
/// file of `source` and another program changed it since it was read.
Status SaveOverSource(const std::string& path, const ScriptSource* source,
                      const EditedScript& edited);

} // namespace qm
