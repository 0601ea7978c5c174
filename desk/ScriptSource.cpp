//===- ScriptSource.cpp - Saving a document over the script it came from -===//

#include "desk/ScriptSource.h"

#include "platform/EditLock.h"
#include "platform/Files.h"
#include "versioninfo/script/LossCheck.h"
#include "versioninfo/script/ScriptModel.h"
#include "versioninfo/script/ScriptWriter.h"
#include "versioninfo/support/SafeSave.h"

namespace qm {

std::vector<std::string> LossesOfLayout(const std::string& bytes, const ReadResult& read) {
    std::vector<std::string> losses = WhatWritingBackLoses(bytes, read);
    if (read.Utf16)
        losses.insert(losses.begin(), "its UTF-16 encoding: the script is saved as UTF-8");
    return losses;
}

ScriptSource SourceOfScript(std::string path, std::string bytes, const VersionRecord& record,
                            const ReadResult& read) {
    ScriptSource source{std::move(path), std::move(bytes), record, {}, false};
    source.Losses = LossesOfLayout(source.Bytes, read);
    const Expected<Lines> layout = FormScript(record);
    source.OwnLayout = !read.Utf16 && layout && JoinCrLf(*layout) == source.Bytes;
    return source;
}

PreprocessOptions PreprocessForScript(const std::string& path) {
    PreprocessOptions options;
    options.ScriptPath = path;
    options.ReadIncludes = true;
    return options;
}

Expected<EditedScript> EditSourceInPlace(const ScriptSource& source, const VersionRecord& record) {
    ScriptEdits edits = EditsBetween(source.Record, record);
    // The form has no say in how a missing option is placed.
    edits.ForceOption.clear();
    Expected<EditedScript> edited =
        EditScriptBytes(source.Bytes, edits, PreprocessForScript(source.Path));
    if (!edited)
        return Status::Fail(source.Path + " can't be saved in place: " + edited.message());
    return edited;
}

namespace {

/// What the layout would lose of the file at `target`, which the document
/// was not read from; nothing when there is no such file to lose.
std::vector<std::string> LossesOfReplacing(const std::string& target,
                                           const NewDocumentDefaults& defaults) {
    const LoadedFile bytes = LoadFile(target);
    if (!bytes)
        return {}; // no file yet, or one the write itself will report
    const ReadResult read = ReadScriptText(*bytes, defaults, true, PreprocessForScript(target));
    return LossesOfLayout(*bytes, read);
}

} // namespace

SavePlan PlanSave(const std::string& target, const ScriptSource* source,
                  const VersionRecord& record, const NewDocumentDefaults& defaults,
                  const std::string& refusedInPlace) {
    SavePlan plan;
    const Expected<Lines> lines = FormScript(record);
    if (lines)
        plan.Layout = JoinCrLf(*lines);
    if (source && !source->OwnLayout) {
        plan.Why = refusedInPlace;
        if (plan.Why.empty()) {
            Expected<EditedScript> edited = EditSourceInPlace(*source, record);
            if (edited) {
                plan.Ready = std::move(*edited);
                return plan;
            }
            plan.Why = edited.message();
        }
        if (!lines)
            plan.Error = Status::Fail(plan.Why + "\n" + lines.message());
        plan.Losses = source->Losses;
        return plan;
    }
    if (!lines) {
        plan.Error = Status::Fail(lines.message());
        return plan;
    }
    if (!source)
        plan.Losses = LossesOfReplacing(target, defaults);
    if (plan.Losses.empty())
        plan.Ready = EditedScript{plan.Layout, {}, {}};
    return plan;
}

std::string LayoutQuestion(const SavePlan& plan, const std::string& file,
                           const std::function<std::string(const std::string&)>& shown) {
    constexpr std::size_t Shown = 12;
    std::string text;
    if (!plan.Why.empty())
        text += plan.Why + "\n\n";
    if (plan.Losses.empty())
        text += "Saving in Quillmark's layout rewrites the whole of " + file +
                " in the form's order and spelling.";
    else
        text += "Saving writes only what the form shows. " + file +
                " holds more, which would be lost:\n";
    for (std::size_t i = 0; i < plan.Losses.size() && i < Shown; ++i)
        text += "\n  " + shown(plan.Losses[i]);
    if (plan.Losses.size() > Shown)
        text += "\n  ... and " + std::to_string(plan.Losses.size() - Shown) + " more";
    // The layout keeps the comment and include lines, which may open an #if
    // whose #endif stood after the block.
    if (Expected<VersionScript> model = ParseVersionScript(plan.Layout); !model)
        text += "\n\nThe saved script would not compile: " + model.message();
    text += "\n\nReplace it all the same?";
    return text;
}

Status SaveOverSource(const std::string& path, const ScriptSource* source,
                      const EditedScript& edited) {
    const Expected<platform::EditLock> lock = platform::LockForEdit(path);
    if (!lock)
        return Status::Io("Can't wait for the other edit of " + path + ": " + lock.message());
    // A change another program made since the read would be lost.
    if (source && platform::SameFile(path, source->Path))
        if (const LoadedFile now = LoadFile(path); now && *now != source->Bytes)
            return Status::Fail(path +
                                " was changed by another program after it was opened, so it "
                                "was not saved: saving would lose that change. Open it again, "
                                "or save the form under another name.");
    // Headers the edit reaches (where a version is #defined) are written
    // with it, or none of them.
    return SaveEditedScript(path, edited);
}

} // namespace qm
