//===- TestSupport.h - Shared helpers of the core tests ---------*- C++ -*-===//
#pragma once

#include "versioninfo/document/Tables.h"
#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/support/SafeSave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

namespace qm::test {

inline std::string ExamplePath(const std::string& name) {
    return std::string(QM_EXAMPLES_DIR) + "/" + name;
}

inline std::string ReadExample(const std::string& name) {
    Expected<std::string> bytes = LoadFile(ExamplePath(name));
    EXPECT_TRUE(bytes.ok()) << bytes.message();
    return bytes ? *bytes : std::string();
}

/// A new, empty folder in the system's temporary folder, named with `prefix`.
inline std::string MakeTempFolder(const std::string& prefix) {
    namespace fs = std::filesystem;
    std::random_device random;
    std::error_code ec;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path folder = fs::temp_directory_path(ec) / (prefix + std::to_string(random()));
        if (fs::create_directory(folder, ec))
            return folder.string();
    }
    ADD_FAILURE() << "no temporary folder could be made: " << ec.message();
    return std::string();
}

/// A test with a fresh temporary folder of its own, removed afterwards.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override { Dir = MakeTempFolder("qm-test-"); }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(Dir, ignored);
    }
    std::string Dir;
};

inline int RowOf(const TextList& list, const std::string& text) {
    auto found = std::find(list.begin(), list.end(), text);
    return found == list.end() ? -1 : static_cast<int>(found - list.begin());
}

/// Reads a script given as lines joined with CR LF, with built-in defaults.
inline ReadResult ReadLines(const Lines& lines, const NewDocumentDefaults& defaults = {}) {
    return ReadScriptText(JoinCrLf(lines), defaults);
}

/// The Example 2 document, as a user would have filled it in.
inline VersionRecord Example2Record() {
    VersionRecord r = NewDocument({});
    r.ComIncLines = {"// Sample version resource", "#include \"sample.h\""};
    r.HFileVersion = "2, 1, 0, 15";
    r.HProductVersion = "2, 1, 0, 0";
    r.FFPreRelease = true;
    r.FileOS = "VOS__WINDOWS32";
    r.FileType = "VFT_DLL";
    r.FileSubType = "VFT2_UNKNOWN";
    r.LanguageID = RowOf(LanguageTable(), " 409  U.S. English");
    r.CodePage = RowOf(CodePageTable(), "1252  Windows, Multilingual");
    r.StringValues = {
        "2.1.0.15",   "Sample library  ",       "",       "\\0",    "Example", "",
        "SAMPLE.DLL", "\\#PRODUCT_VERSION_STR", "Sample", "sample", "",        "\\\\#1 build"};
    return r;
}

} // namespace qm::test
