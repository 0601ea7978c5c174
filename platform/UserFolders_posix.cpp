//===- UserFolders_posix.cpp - The program's and the user's folders -------===//
//
// The XDG base directories, as Qt's QStandardPaths reads them: a variable
// that is unset or holds a relative path is ignored for the folder under
// $HOME (or under "/" without a HOME).
//
//===----------------------------------------------------------------------===//

#include "platform/UserFolders.h"

#include <cstdlib>
#include <string_view>

#include <unistd.h>

namespace qm::platform {

namespace {

std::string XdgFolder(const char* variable, std::string_view underHome) {
    const char* set = std::getenv(variable);
    if (set && set[0] == '/')
        return set;
    const char* home = std::getenv("HOME");
    std::string folder = home && home[0] ? home : "";
    return folder + '/' + std::string(underHome);
}

} // namespace

std::string ProgramFolder() {
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size())
        return "";
    path.resize(static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/'));
}

std::string UserConfigFolder() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string UserDataFolder() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

std::string UserStateFolder() {
    return XdgFolder("XDG_STATE_HOME", ".local/state");
}

std::optional<RegistryValue> ReadUserRegistryValue(const std::string&, const std::string&) {
    return std::nullopt;
}

Status WriteUserRegistryText(const std::string& subKey, const std::string& name,
                             const std::string&) {
    return Status::Fail("Can't store " + name + " in HKEY_CURRENT_USER\\" + subKey +
                        ": this system has no registry.");
}

} // namespace qm::platform
