//===- SafeSaveFixture.h - A folder to save into, and what it holds -*- C++ -*-===//
#pragma once

#include "TestSupport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace qm::test {

class SafeSaveFixture : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        Target = Dir + "/script.rc";
    }
    void TearDown() override {
        // A read-only file can't be removed on Windows.
        std::error_code ignored;
        std::filesystem::permissions(Target, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ignored);
        TempFolderTest::TearDown();
    }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    void ExpectFailureNaming(const Status& status, const std::string& path) {
        EXPECT_FALSE(status.ok());
        EXPECT_NE(status.message().find(path), std::string::npos) << status.message();
    }

    std::string Target;
};

} // namespace qm::test
