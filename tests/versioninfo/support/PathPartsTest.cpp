//===- PathPartsTest.cpp - Folder, name and extension of a path -----------===//

#include "versioninfo/support/PathParts.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

constexpr PathStyle Posix = PathStyle::Posix;
constexpr PathStyle Windows = PathStyle::Windows;

TEST(PathParts, FolderAndNameSplitAtTheLastSeparatorOfTheStyle) {
    struct Case {
        const char* Path;
        PathStyle Style;
        const char* Folder;
    };
    const Case cases[] = {
        {"/proj/sub/Project1.dpr", Posix, "/proj/sub/"},
        {"Project1.dpr", Posix, ""},
        {"/a.rc", Posix, "/"},
        {"/proj/", Posix, "/proj/"},
        {"<New>", Posix, ""},
        {"a\\b.rc", Posix, ""},
        {"a\\b:c/d.rc", Windows, "a\\b:c/"},
        {"C:App.rc", Windows, "C:"},
    };
    for (const Case& c : cases) {
        const std::string folder = FolderPart(c.Path, c.Style);
        EXPECT_EQ(folder, c.Folder) << c.Path;
        EXPECT_EQ(folder + NamePart(c.Path, c.Style), c.Path);
    }
}

TEST(PathParts, TheExtensionOfTheNameAloneIsReplaced) {
    EXPECT_EQ(ReplaceExtension("Project1.dpr", ".rc", Posix), "Project1.rc");
    EXPECT_EQ(ReplaceExtension("Project1", ".rc", Posix), "Project1.rc");
    EXPECT_EQ(ReplaceExtension("a.b.c", ".rc", Posix), "a.b.rc");
    EXPECT_EQ(ReplaceExtension("/my.proj/Project1", ".res", Posix), "/my.proj/Project1.res");
    EXPECT_EQ(ReplaceExtension("D:\\W.x\\App", ".res", Windows), "D:\\W.x\\App.res");
}

TEST(PathParts, TheContainingFolderKeepsOnlyTheSeparatorsThatNameIt) {
    EXPECT_EQ(ContainingFolder("/a/b/App.rc", Posix), "/a/b");
    EXPECT_EQ(ContainingFolder("/App.rc", Posix), "/");
    EXPECT_EQ(ContainingFolder("App.rc", Posix), "");
    EXPECT_EQ(ContainingFolder("/a\\b/rc", Posix), "/a\\b"); // a POSIX name may hold "\"
    EXPECT_EQ(ContainingFolder("C:\\Tools\\Rc\\BRCC32.EXE", Windows), "C:\\Tools\\Rc");
    EXPECT_EQ(ContainingFolder("C:/Work/App.rc", Windows), "C:/Work");
    EXPECT_EQ(ContainingFolder("D:\\BRCC32.EXE", Windows), "D:\\");
    EXPECT_EQ(ContainingFolder("C:App.rc", Windows), "C:");
    EXPECT_EQ(ContainingFolder("\\\\server\\share\\rc.exe", Windows), "\\\\server\\share");
}

} // namespace
