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
#include "versioninfo/SafeSave.h"

#include "platform/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
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
    // "r+" opens for writing without creating or truncating anything.
    std::FILE* probe = platform::OpenExistingForUpdate(Shown(target));
    if (!probe)
        return CantCreate(shown, Reason(errno));
    std::fclose(probe);
    return Status::Ok();
}

// Creates a new, unique file beside the target. The create is exclusive,
// so an existing file of that name is never reused.
std::FILE* CreateTemporary(const fs::path& target, fs::path& tempPath, int& error) {
    const fs::path folder = FolderOf(target);
    const std::string stem = "." + Shown(target.filename()) + ".save-";
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        tempPath = folder / platform::NativePath(stem + std::to_string(attempt));
        errno = 0;
        if (std::FILE* file = platform::CreateExclusive(Shown(tempPath)))
            return file;
        error = errno;
        if (error != EEXIST)
            return nullptr;
    }
    return nullptr;
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

} // namespace

Status SaveFileSafely(const std::string& path, std::string_view bytes) {
    if (path.empty())
        return Status::Fail("Can't create a file without a name");
    fs::path target = platform::NativePath(path);
    std::error_code ec;

    // Write through a symbolic link to the file it names, keeping the link.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (ec)
            return CantCreate(path, ec.message());
        target = resolved;
    }

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
    int error = 0;
    std::FILE* file = CreateTemporary(target, tempPath, error);
    if (!file)
        return CantCreate(path, Reason(error ? error : EEXIST));

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
    fs::rename(tempPath, target, ec);
    if (ec) {
        discard();
        return CantWrite(path, ec.message());
    }
    return Status::Ok();
}

Expected<std::string> LoadFile(const std::string& path) {
    std::error_code ec;
    if (fs::is_directory(platform::NativePath(path), ec))
        return Status::Fail("Can't open " + path + ": it is a folder");
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return Status::Fail("Can't open " + path + ": " + Reason(errno));

    std::string bytes;
    const std::uintmax_t size = fs::file_size(platform::NativePath(path), ec);
    if (!ec)
        bytes.reserve(static_cast<size_t>(size));
    char buffer[1 << 16];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    const int readError = errno;
    std::fclose(file);
    if (failed)
        return Status::Fail("Can't open " + path + ": " + Reason(readError ? readError : EIO));
    return bytes;
}

} // namespace qm
