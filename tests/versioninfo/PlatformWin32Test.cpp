//===- PlatformWin32Test.cpp - The Windows layer's own promises -----------===//
//
// Built for Windows only and run under wine by the test command: text
// converted without best fit, and a save that keeps the replaced file's
// attributes and waits out a program holding it open.
//
//===----------------------------------------------------------------------===//
#include "platform/Files.h"
#include "platform/Win32Text.h"
#include "versioninfo/support/SafeSave.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace qm {
namespace {

TEST(PlatformWin32, TextIsConvertedExactlyOrNotAtAll) {
    EXPECT_EQ(platform::NarrowToAnsiExactly(L"App.rc"), std::string("App.rc"));
    // A full-width quote and a division slash have best-fit forms ('"', '/')
    // that would change what an argument means; a CJK name has none.
    for (const wchar_t* text : {L"a\uFF02b", L"x\u2215y", L"\u65E5\u672C"})
        EXPECT_FALSE(platform::NarrowToAnsiExactly(text)) << static_cast<int>(text[1]);
}

class SavedFile : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t folder[MAX_PATH];
        ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
        Path = platform::PathBytes(std::filesystem::path(folder) / L"qm-win32-save.rc");
        ASSERT_TRUE(SaveFileSafely(Path, "old"));
    }
    void TearDown() override {
        SetFileAttributesW(platform::NativePath(Path).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(platform::NativePath(Path).c_str());
    }
    std::string Path;
};

TEST_F(SavedFile, AHiddenFileStaysHidden) {
    const std::wstring wide = platform::NativePath(Path).wstring();
    ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SaveFileSafely(Path, "new"));
    EXPECT_EQ(*LoadFile(Path), "new");
    EXPECT_TRUE(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(SavedFile, AFileHeldOpenIsNamedInUseAndKept) {
    // Opened without FILE_SHARE_DELETE, as virus scanners and indexers do.
    HANDLE held = CreateFileW(platform::NativePath(Path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Status saved = SaveFileSafely(Path, "new");
    CloseHandle(held);
    ASSERT_FALSE(saved);
    EXPECT_NE(saved.message().find("in use by another program"), std::string::npos)
        << saved.message();
    EXPECT_EQ(*LoadFile(Path), "old");
    EXPECT_TRUE(SaveFileSafely(Path, "new")); // once it is closed
}

TEST(PlatformWin32, PathsLongerThanMaxPathAreUsable) {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    std::string folder = platform::PathBytes(std::filesystem::path(temp)) + "qm-long";
    const std::string top = folder;
    while (folder.size() < 300)
        folder += "\\a-folder-with-a-rather-long-name";
    std::error_code error;
    std::filesystem::create_directories(platform::NativePath(folder), error);
    ASSERT_FALSE(error) << error.message();
    const std::string file = folder + "\\App.rc";
    ASSERT_TRUE(SaveFileSafely(file, "long"));
    EXPECT_EQ(*LoadFile(file), "long");
    std::filesystem::remove_all(platform::NativePath(top), error);
}

} // namespace
} // namespace qm
