//===- SafeSave.cpp - Replace a file's contents without losing it ----------===//
//
// Emptying a file and rewriting it in place loses the user's previous file
// when the disk fills or a write fails half way. Instead the new bytes go to
// a temporary file next to the target (same folder, so the final rename is
// atomic and never crosses file systems), and the target is only replaced
// once every byte is known to be written. Standard C++, with the opening
// of files left to the platform layer.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/support/SafeSave.h"

#include "versioninfo/support/Numbers.h"

#include "platform/FileRead.h"
#include "platform/Files.h"
#include "platform/Process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace qm {

namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

Status CantCreate(const std::string& path, const std::string& why) {
    return Status::Fail("Can't create " + path + ": " + why);
}

Status CantWrite(const std::string& path, const std::string& why) {
    return Status::Fail("Can't write " + path + ": " + why);
}

fs::path FolderOf(const fs::path& target) {
    fs::path folder = target.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

std::string Shown(const fs::path& path) {
    return platform::PathBytes(path);
}

// The target must be replaceable: a regular file that this user may write.
// The write bits are checked as well as the open, because a privileged user
// would otherwise replace a read-only file without being asked.
Status CheckExistingTarget(const std::string& shown, const fs::path& target) {
    std::error_code ec;
    fs::file_status status = fs::status(target, ec);
    if (ec)
        return CantCreate(shown, ec.message());
    if (fs::is_directory(status))
        return CantCreate(shown, "it is a folder");
    if (!fs::is_regular_file(status))
        return CantCreate(shown, "it is not a regular file");
    const fs::perms writeBits =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & writeBits) == fs::perms::none)
        return CantCreate(shown, "the file is read-only");
    if (Status writable = platform::CheckWritable(Shown(target)); !writable)
        return CantCreate(shown, writable.message());
    return Status::Ok();
}

// The path a chain of symbolic links finally names, whether or not anything
// is there: a dangling link is written through like a live one.
Expected<fs::path> FinalTarget(fs::path path) {
    constexpr int MaxHops = 40; // as the kernel's own limit on a chain
    for (int hop = 0; hop < MaxHops; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec)))
            return path;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec)
            return Status::Fail(ec.message());
        path = next.is_absolute() ? next : FolderOf(path) / next;
    }
    return Status::Fail("too many levels of symbolic links");
}

// The temporary copy is named for its target and the process writing it
// (".app.rc.quillmark-save-4711.tmp"), so that a user who finds one left
// by a killed run can tell what it is, and a later save can tell whether
// its writer is gone.
std::string TemporaryPrefix(const fs::path& target) {
    return "." + Shown(target.filename()) + ".quillmark-save-";
}

// Creates a new, unique file beside the target. The create is exclusive,
// so an existing file of that name is never reused.
Expected<std::FILE*> CreateTemporary(const fs::path& target, fs::path& tempPath) {
    const fs::path folder = FolderOf(target);
    const std::string stem = TemporaryPrefix(target) + std::to_string(platform::CurrentProcessId());
    Expected<std::FILE*> file = Status::Io(Reason(EEXIST));
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        const std::string name = stem + (attempt ? "-" + std::to_string(attempt) : "") + ".tmp";
        tempPath = folder / platform::NativePath(name);
        file = platform::CreateExclusive(Shown(tempPath));
        if (file.kind() !=
            ErrorKind::Refused) // made, or failed for another reason than a name taken
            return file;
    }
    return file;
}

// The writer's process id in the name of a temporary copy of `prefix`, or
// nothing when the name is no such copy's.
std::optional<std::int64_t> WriterOf(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - 4, 4, ".tmp") != 0)
        return std::nullopt;
    const std::string id = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    const std::size_t digits = id.find_first_not_of("0123456789");
    const std::string pid = id.substr(0, digits);
    if (pid.empty() || pid.size() > 18 ||
        (digits != std::string::npos &&
         (id[digits] != '-' ||
          id.find_first_not_of("0123456789", digits + 1) != std::string::npos)))
        return std::nullopt;
    return static_cast<std::int64_t>(*ParseNumber(pid, NumberBase::Decimal));
}

// Temporary copies of `target` whose writer was killed before it could
// remove them go once a later save has replaced the target; the copy of a
// run still going is left alone.
void RemoveStaleTemporaries(const fs::path& target) {
    const std::string prefix = TemporaryPrefix(target);
    std::error_code ec;
    for (fs::directory_iterator entry(FolderOf(target), ec), end; !ec && entry != end;
         entry.increment(ec)) {
        const std::optional<std::int64_t> writer =
            WriterOf(Shown(entry->path().filename()), prefix);
        if (writer && *writer != platform::CurrentProcessId() &&
            platform::ProcessHasEnded(*writer)) {
            std::error_code ignored;
            fs::remove(entry->path(), ignored);
        }
    }
}

// Writes, flushes and closes; every step is checked (a short write, a failed
// flush of buffered data, and a failed close all count).
int WriteAndClose(std::FILE* file, std::string_view bytes) {
    errno = 0;
    const size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), file);
    int error = 0;
    if (written != bytes.size())
        error = errno ? errno : EIO;
    if (std::fflush(file) != 0 && !error)
        error = errno ? errno : EIO;
    if (std::fclose(file) != 0 && !error)
        error = errno ? errno : EIO;
    return error;
}

// A file with other names (hard links) is written in place, so that every
// name shows the new content; a rename would leave the others with the old.
// The complete new content is already in `tempPath`: should the write in
// place fail part-way, that copy stays and the message names it.
Status WriteInPlace(const std::string& path, const fs::path& target, std::string_view bytes,
                    const fs::path& tempPath) {
    std::error_code ec;
    Expected<std::FILE*> file = platform::OpenExistingForUpdate(platform::PathBytes(target));
    std::string failure = file ? std::string() : file.message();
    if (file)
        if (int error = WriteAndClose(*file, bytes))
            failure = Reason(error);
    if (failure.empty()) {
        fs::resize_file(target, bytes.size(), ec);
        if (ec)
            failure = Reason(ec.value() ? ec.value() : EIO);
    }
    if (!failure.empty())
        return CantWrite(path, failure +
                                   "; it has other names (hard links), so it is "
                                   "written in place, and its new content is kept in " +
                                   Shown(tempPath));
    fs::remove(tempPath, ec);
    return Status::Ok();
}

} // namespace

Status SaveFileSafely(const std::string& path, std::string_view bytes) {
    if (path.empty())
        return Status::Fail("Can't create a file without a name");
    fs::path target = platform::NativePath(path);
    std::error_code ec;

    // Write through a symbolic link to the file it names, keeping the link,
    // also when that file does not exist yet.
    Expected<fs::path> linked = FinalTarget(target);
    if (!linked)
        return CantCreate(path, linked.message());
    target = *linked;

    const fs::path folder = FolderOf(target);
    fs::file_status folderStatus = fs::status(folder, ec);
    if (!fs::exists(folderStatus))
        return CantCreate(path, "the folder " + Shown(folder) + " does not exist");
    if (!fs::is_directory(folderStatus))
        return CantCreate(path, Shown(folder) + " is not a folder");

    const bool targetExists = fs::exists(fs::status(target, ec));
    fs::perms keptPermissions = fs::perms::unknown;
    if (targetExists) {
        if (Status checked = CheckExistingTarget(path, target); !checked)
            return checked;
        keptPermissions = fs::status(target, ec).permissions();
    }

    fs::path tempPath;
    Expected<std::FILE*> created = CreateTemporary(target, tempPath);
    if (!created)
        return CantCreate(path, created.message());
    std::FILE* file = *created;

    auto discard = [&tempPath] {
        std::error_code ignored;
        fs::remove(tempPath, ignored);
    };
    if (int writeError = WriteAndClose(file, bytes)) {
        discard();
        return CantWrite(path, Reason(writeError));
    }
    if (targetExists) {
        fs::permissions(tempPath, keptPermissions, fs::perm_options::replace, ec);
        if (ec) {
            discard();
            return CantWrite(path, ec.message());
        }
    }
    if (targetExists && fs::hard_link_count(target, ec) > 1 && !ec) {
        Status written = WriteInPlace(path, target, bytes, tempPath);
        if (written)
            RemoveStaleTemporaries(target);
        return written;
    }
    if (Status renamed = platform::RenameOver(tempPath, target); !renamed) {
        discard();
        return CantWrite(path, renamed.message());
    }
    RemoveStaleTemporaries(target);
    return Status::Ok();
}

LoadedFile LoadFile(const std::string& path, FileSource source, std::uint64_t maxBytes) {
    Expected<std::string> read = platform::ReadWholeFile(path, maxBytes,
                                                         source == FileSource::RegularFile
                                                             ? platform::ReadSource::RegularFile
                                                             : platform::ReadSource::FileOrStream);
    if (read)
        return LoadedFile(std::move(*read));
    const std::string cantOpen = "Can't open " + path + ": ";
    LoadedFile loaded = Status::Fail(cantOpen + read.message(), read.kind());
    if (read.kind() == ErrorKind::Limit)
        loaded =
            Status::Limit(cantOpen + "it is larger than " + std::to_string(maxBytes >> 20) +
                          (maxBytes == MaxScriptBytes ? " MB, too large for a script" : " MB"));
    loaded.Refused = read.kind() == ErrorKind::Refused || read.kind() == ErrorKind::Limit;
    return loaded;
}

} // namespace qm
