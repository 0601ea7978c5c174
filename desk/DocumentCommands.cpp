//===- DocumentCommands.cpp - New, Open, Save and Save As, without a toolkit ===//

#include "desk/DocumentCommands.h"

#include "desk/VersionQuestion.h"
#include "platform/Files.h"
#include "settings/AppFiles.h"
#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/script/ScriptWriter.h"
#include "versioninfo/support/SafeSave.h"
#include "versioninfo/support/Unicode.h"

#include <filesystem>
#include <functional>
#include <system_error>

namespace qm {

namespace {

bool IsFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(platform::NativePath(path), error);
}

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(platform::NativePath(path), error);
}

/// Runs its action when it goes out of scope, however the scope is left: a
/// read that throws must still leave the document named as it should be.
class OnExit {
public:
    explicit OnExit(std::function<void()> action) : Action(std::move(action)) {}
    ~OnExit() { Action(); }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    std::function<void()> Action;
};

/// The lines File Image lists for a script's bytes (UTF-16 as its text).
Lines ListingOf(const std::string& bytes) {
    const std::optional<std::string> utf8 = Utf8OfUtf16Script(bytes);
    return SplitLines(utf8 ? *utf8 : bytes);
}

} // namespace

Lines NumberedImage(const Lines& lines) {
    // The page is a listing to read, not to edit: a line of megabytes would
    // only cost seconds of layout and a great deal of memory, so it is cut.
    constexpr std::size_t ShownLineBytes = 4096;
    Lines listing = NumberedListing(lines);
    for (std::string& line : listing)
        if (line.size() > ShownLineBytes) {
            const std::size_t left = line.size() - ShownLineBytes;
            line.resize(ShownLineBytes);
            line += " ... (" + std::to_string(left) + " more bytes not shown)";
        }
    return listing;
}

DocumentCommands::DocumentCommands(DocumentView& view, std::string templatePath, PathStyle style)
    : View(view), TemplatePath(std::move(templatePath)), Style(style) {}

void DocumentCommands::ShowError(const std::string& message) {
    View.ShowBox(std::string(AppTitle), message, BoxKind::Error);
}

void DocumentCommands::SetFileName(const std::string& name) {
    Doc.SetFile(name);
    View.ShowCaption(Doc.Caption(Doc.Modified(View.FormRecord())), Doc.Named());
}

void DocumentCommands::FormChanged() {
    View.ShowCaption(Doc.Caption(Doc.Modified(View.FormRecord())), Doc.Named());
}

void DocumentCommands::MarkUnmodified() {
    Doc.MarkSaved(View.FormRecord());
    FormChanged();
}

void DocumentCommands::ShowImage() {
    View.ShowListing(NumberedImage(Image));
}

void DocumentCommands::ClearDocument() {
    Source_.reset();
    View.TakeTextOrigin(TextOrigin::NewDocument, nullptr);
    View.ShowRecord(NewDocument(Settings.Defaults));
    View.ShowListing({});
    View.ClearCompilerPage();
}

bool DocumentCommands::LoadScript(const std::string& path, std::string& bytes, ReadResult& read) {
    View.ShowBusy(true);
    const OnExit idle([this] { View.ShowBusy(false); });
    LoadedFile loaded = LoadFile(path);
    if (!loaded) {
        // A file turned away for its kind or size says why; for any other
        // failure the name is enough.
        View.ShowBox("Open", loaded.Refused ? loaded.message() : "Can't open " + path,
                     BoxKind::Information);
        return false;
    }
    read = ReadScriptText(*loaded, Settings.Defaults, true, PreprocessForScript(path));
    if (read.Refused) {
        View.ShowBox("Open", "Can't open " + path + ": " + read.ConversionError->substr(10),
                     BoxKind::Information);
        return false;
    }
    bytes = std::move(*loaded);
    return true;
}

DocumentCommands::ReadOutcome DocumentCommands::ReadScript(const std::string& path) {
    ReadOutcome outcome;
    // The file is loaded and read whole before anything in the window
    // changes, so a failure on the way leaves the document as it was.
    std::string bytes;
    ReadResult read;
    if (!LoadScript(path, bytes, read))
        return outcome;
    outcome.Opened = true;
    std::vector<std::string> losses = LossesOfLayout(bytes, read);
    ClearDocument();
    Image = std::move(read.ImageLines);
    View.TakeTextOrigin(read.Utf16 ? TextOrigin::Utf16Script : TextOrigin::Script, &bytes);
    View.ShowRecord(read.Record);
    MarkUnmodified();
    Source_ = ScriptSource{path, std::move(bytes), Doc.Saved(), std::move(losses), false};
    if (read.ConversionError) {
        outcome.Stop = Status::Fail(*read.ConversionError);
        return outcome;
    }
    for (const std::string& report : read.Reports)
        View.ShowBox("Parsing", report, BoxKind::Information);
    ShowImage();
    return outcome;
}

void DocumentCommands::New() {
    if (MaySetAside())
        StartNew();
}

void DocumentCommands::StartNew() {
    ClearDocument();
    Status stopped = Status::Ok();
    if (Settings.UseInitialRC && IsFile(TemplatePath)) {
        // Named after the template only while it is read, even when the
        // read throws: Save & Compile would write the new document over it.
        const OnExit unname([this] { SetFileName(std::string(NewDocumentFile)); });
        SetFileName(TemplatePath);
        stopped = ReadScript(TemplatePath).Stop;
    } else if (Settings.TemplateIncludeLines && IsFile(TemplatePath)) {
        // The compiler needs winver.h: a new document takes the template's
        // include lines, so that its first compile works.
        Expected<Lines> lines = TemplateComIncLines(TemplatePath);
        if (lines) {
            VersionRecord record = View.FormRecord();
            record.ComIncLines = std::move(*lines);
            View.ShowRecord(record);
        } else {
            stopped = Status::Fail(lines.message());
        }
    }
    // The template only lends its values: never its listing, target, name
    // or text.
    Source_.reset();
    View.ShowListing({});
    Doc.SetTarget({}, {});
    SetFileName(std::string(NewDocumentFile));
    MarkUnmodified();
    if (!stopped)
        ShowError(stopped.message());
}

// A file that cannot be loaded leaves the window exactly as it was, name
// included: otherwise Save & Compile would write the previous document's
// values over the file that failed to load.
void DocumentCommands::ReadNamedFile(const std::string& path) {
    const std::string previous = Doc.File();
    ReadOutcome read;
    {
        const OnExit restore([&] {
            if (!read.Opened)
                SetFileName(previous);
        });
        SetFileName(path);
        read = ReadScript(path);
    }
    if (!read.Stop)
        ShowError(read.Stop.message());
}

void DocumentCommands::ReadCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments.front().empty())
        return;
    // Made whole at once: a relative path must mean the same file after
    // the compiler has run in the script's folder.
    const std::string first = platform::PathBytes(
        std::filesystem::absolute(platform::NativePath(arguments.front())).lexically_normal());
    if (arguments.size() == 1 && IsFile(first)) {
        Doc.SetTarget(FolderPart(first, Style), NamePart(first, Style));
        ReadNamedFile(first);
        return;
    }
    const std::string& nameSource =
        arguments.size() > 1 && !arguments[1].empty() ? arguments[1] : first;
    Doc.SetTarget(FolderPart(first, Style),
                  ReplaceExtension(NamePart(nameSource, Style), ".rc", Style));
    const std::string entry = Doc.TargetFolder() + Doc.TargetName();
    if (Exists(entry))
        ReadNamedFile(entry);
    else
        SetFileName(Doc.File());
}

void DocumentCommands::Open() {
    if (!MaySetAside())
        return;
    const std::optional<OpenChoice> chosen = View.ChooseFileToOpen();
    if (!chosen)
        return;
    if (!chosen->ReadOnly) {
        ReadNamedFile(chosen->Path);
        return;
    }
    // Read-only: the file becomes the template of a new document that
    // proposes the file itself as its target. A file that can't be loaded
    // leaves the window as it was, its name and target included.
    const std::string previousFile = Doc.File();
    const std::string previousFolder = Doc.TargetFolder();
    const std::string previousName = Doc.TargetName();
    ReadOutcome read;
    {
        const OnExit settle([&] {
            if (read.Opened)
                return;
            Doc.SetTarget(previousFolder, previousName);
            SetFileName(previousFile);
        });
        Doc.SetTarget(FolderPart(chosen->Path, Style), NamePart(chosen->Path, Style));
        SetFileName(std::string(NewDocumentFile));
        read = ReadScript(chosen->Path);
    }
    // The file is written only when the user saves to it with Save As; its
    // bytes stay the source, so that such a save changes it where it stands.
    if (!read.Stop)
        ShowError(read.Stop.message());
}

bool DocumentCommands::CheckVersions(bool compiling) {
    const VersionRecord form = View.FormRecord();
    const auto shown = [this](const std::string& bytes) { return View.Shown(bytes); };
    const VersionReview review =
        ReviewVersions(form, compiling ? VersionFindings::RefusedOrOdds : VersionFindings::Refused,
                       compiling ? "Save and compile anyway?" : "Save anyway?", shown);
    if (!review.Ask)
        return true;
    if (!View.AskToGoOn("Check", review.Question))
        return false;
    if (review.Written != form)
        View.ShowRecord(review.Written);
    return true;
}

bool DocumentCommands::Save() {
    if (!Doc.Named())
        return SaveAs();
    return CheckVersions(false) && WriteScript();
}

bool DocumentCommands::SaveAs() {
    if (!CheckVersions(false))
        return false;
    const std::string folder = FolderPart(Doc.Named() ? Doc.File() : std::string(), Style);
    std::string name = "*.rc";
    if (Doc.Named())
        name = Doc.File();
    else if (!Doc.TargetName().empty())
        name = Doc.TargetName();
    const std::optional<std::string> chosen =
        View.ChooseFileToSave(folder.empty() ? Doc.TargetFolder() : folder, name);
    if (!chosen)
        return false;
    SetFileName(*chosen);
    return WriteScript();
}

std::optional<EditedScript> DocumentCommands::BytesToSave(const VersionRecord& record,
                                                          const std::string& refusedInPlace) {
    SavePlan plan = PlanSave(Doc.File(), Source_ ? &*Source_ : nullptr, record, Settings.Defaults,
                             refusedInPlace);
    if (!plan.Error) {
        ShowError(plan.Error.message());
        return std::nullopt;
    }
    if (plan.Ready)
        return std::move(plan.Ready);
    const auto shown = [this](const std::string& bytes) { return View.Shown(bytes); };
    if (!View.AskToGoOn("Save", LayoutQuestion(plan, Doc.File(), shown)))
        return std::nullopt;
    return EditedScript{plan.Layout, {}, {}};
}

bool DocumentCommands::WriteScript() {
    std::string refusedInPlace;
    if (!View.PrepareToWrite(refusedInPlace))
        return false;
    const VersionRecord record = View.FormRecord();
    const std::optional<EditedScript> edited = BytesToSave(record, refusedInPlace);
    if (!edited)
        return false;
    // The File Image shows what was meant to be written, also after a
    // failed save.
    Image = ListingOf(edited->Text);
    const std::string path = Doc.File();
    Status written = Status::Ok();
    {
        View.ShowBusy(true);
        const OnExit idle([this] { View.ShowBusy(false); });
        written = SaveOverSource(path, Source_ ? &*Source_ : nullptr, *edited);
    }
    if (!written) {
        ShowError(written.message());
        return false;
    }
    // The file just written is the one the next save changes.
    const ReadResult read =
        ReadScriptText(edited->Text, Settings.Defaults, true, PreprocessForScript(path));
    Source_ = SourceOfScript(path, edited->Text, record, read);
    View.ScriptWritten();
    Doc.MarkSaved(record);
    FormChanged();
    ShowImage();
    return true;
}

void DocumentCommands::Import(const VersionRecord& record, const std::string& folder,
                              const std::string& name) {
    ClearDocument();
    View.TakeTextOrigin(TextOrigin::Compiled, nullptr);
    View.ShowRecord(record);
    Image.clear();
    Doc.SetTarget(folder, name);
    SetFileName(std::string(NewDocumentFile));
}

bool DocumentCommands::MaySetAside() {
    if (!Doc.Modified(View.FormRecord()))
        return true;
    switch (View.AskToSaveChanges("Save changes to " + Doc.NameToAskAbout(Style) + "?")) {
    case SaveChoice::Save:
        return Save();
    case SaveChoice::Discard:
        return true;
    case SaveChoice::Cancel:
        return false;
    }
    return false;
}

} // namespace qm
