//===- PathParts.cpp - Folder, name and extension of a path, by text ------===//

#include "versioninfo/support/PathParts.h"

#include "platform/System.h"

namespace qm {

namespace {

/// Index just past the last separator; 0 when there is none.
std::size_t NameStart(std::string_view path, PathStyle style) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsPathSeparator(path[i - 1], style))
            return i;
    return 0;
}

} // namespace

PathStyle NativePathStyle() {
    return platform::RunsOnWindows() ? PathStyle::Windows : PathStyle::Posix;
}

char FolderSeparator(PathStyle style) {
    return style == PathStyle::Windows ? '\\' : '/';
}

bool IsPathSeparator(char c, PathStyle style) {
    if (style == PathStyle::Windows)
        return c == '\\' || c == ':' || c == '/';
    return c == '/';
}

std::string FolderPart(std::string_view path, PathStyle style) {
    return std::string(path.substr(0, NameStart(path, style)));
}

std::string NamePart(std::string_view path, PathStyle style) {
    return std::string(path.substr(NameStart(path, style)));
}

std::string ContainingFolder(std::string_view path, PathStyle style) {
    const std::size_t nameStart = NameStart(path, style);
    if (nameStart == 0)
        return std::string();
    const std::string_view folder = path.substr(0, nameStart - 1);
    // Without its separator, "C:\" would name the drive's current folder and
    // "/" nothing at all.
    if (path[nameStart - 1] == ':' || folder.empty() || IsPathSeparator(folder.back(), style))
        return std::string(path.substr(0, nameStart));
    return std::string(folder);
}

std::string ReplaceExtension(std::string_view path, std::string_view extension, PathStyle style) {
    const std::size_t nameStart = NameStart(path, style);
    const std::size_t dot = path.rfind('.');
    const std::size_t cut = (dot != std::string_view::npos && dot >= nameStart) ? dot : path.size();
    return std::string(path.substr(0, cut)) + std::string(extension);
}

} // namespace qm
