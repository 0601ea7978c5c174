//===- DocumentCommandsTest.cpp - The document commands over a fake view --===//

#include "desk/DocumentCommands.h"

#include "platform/Files.h"
#include "versioninfo/support/SafeSave.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>

using namespace qm;

namespace {

/// A window reduced to its record, its caption and scripted answers.
class FakeView : public DocumentView {
public:
    VersionRecord Form;
    std::string Caption;
    bool Named = false;
    std::vector<std::string> Boxes;
    std::deque<SaveChoice> SaveAnswers;
    std::optional<OpenChoice> ToOpen;
    std::optional<std::string> ToSave;

    VersionRecord FormRecord() override { return Form; }
    void ShowRecord(const VersionRecord& record) override { Form = record; }
    void ShowListing(const Lines&) override {}
    void ClearCompilerPage() override {}
    void ShowCaption(const std::string& caption, bool named) override {
        Caption = caption;
        Named = named;
    }
    void ShowBox(const std::string& caption, const std::string& text, BoxKind) override {
        Boxes.push_back(caption + ": " + text);
    }
    bool AskToGoOn(const std::string&, const std::string&) override { return false; }
    SaveChoice AskToSaveChanges(const std::string& text) override {
        Boxes.push_back(text);
        const SaveChoice answer = SaveAnswers.front();
        SaveAnswers.pop_front();
        return answer;
    }
    std::optional<OpenChoice> ChooseFileToOpen() override { return ToOpen; }
    std::optional<std::string> ChooseFileToSave(const std::string&, const std::string&) override {
        return ToSave;
    }
    void TakeTextOrigin(TextOrigin, const std::string*) override {}
};

const std::string HandWritten = "#include <winver.h>\n"
                                "1 VERSIONINFO\n"
                                "FILEVERSION 1,2,3,4\n"
                                "{\n"
                                "  BLOCK \"StringFileInfo\"\n"
                                "  {\n"
                                "    BLOCK \"040904B0\"\n"
                                "    {\n"
                                "      VALUE \"CompanyName\", \"Harbour\" /* kept */\n"
                                "    }\n"
                                "  }\n"
                                "}\n";

class DocumentCommandsTest : public ::testing::Test {
protected:
    FakeView View;
    std::unique_ptr<DocumentCommands> Commands;
    std::string Dir;

    void SetUp() override {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("qm-desk-" + std::to_string(stamp));
        std::filesystem::create_directories(folder);
        Dir = platform::PathBytes(folder);
        Commands = std::make_unique<DocumentCommands>(View, Dir + "/Initial.rc", NativePathStyle());
        Commands->StartNew();
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(platform::NativePath(Dir), ignored);
    }
};

} // namespace

TEST_F(DocumentCommandsTest, AReadOnlyOpenProposesTheFileAndSavesOverItInPlace) {
    const std::string path = Dir + "/app.rc";
    ASSERT_TRUE(SaveFileSafely(path, HandWritten));
    View.ToOpen = OpenChoice{path, true};
    Commands->Open();
    EXPECT_EQ(View.Caption, "Quillmark - <New> (" + path + ")");
    EXPECT_FALSE(View.Named);
    EXPECT_EQ(View.Form.StringValues[4], "Harbour");

    View.Form.StringValues[4] = "Harbour Tools";
    EXPECT_EQ(View.Caption.back(), ')'); // the caption follows only FormChanged
    Commands->FormChanged();
    EXPECT_EQ(View.Caption, "Quillmark - <New> (" + path + ") *");
    View.ToSave = path;
    ASSERT_TRUE(Commands->Save());
    std::string expected = HandWritten;
    expected.replace(expected.find("Harbour"), 7, "Harbour Tools");
    EXPECT_EQ(*LoadFile(path), expected);
    EXPECT_EQ(View.Caption, "Quillmark - " + path);
    EXPECT_TRUE(View.Boxes.empty()) << View.Boxes.front();
}

TEST_F(DocumentCommandsTest, AFileThatCantBeReadLeavesTheDocumentAsItWas) {
    View.Form.StringValues[1] = "typed";
    View.SaveAnswers = {SaveChoice::Discard};
    View.ToOpen = OpenChoice{Dir + "/missing.rc", false};
    Commands->Open();
    EXPECT_EQ(View.Boxes.back(), "Open: Can't open " + Dir + "/missing.rc");
    EXPECT_EQ(View.Caption, "Quillmark - <New> *");
    EXPECT_EQ(View.Form.StringValues[1], "typed");
}

TEST_F(DocumentCommandsTest, ChangesAreAskedAboutAndCancelKeepsThem) {
    View.Form.StringValues[1] = "typed";
    View.SaveAnswers = {SaveChoice::Cancel, SaveChoice::Discard};
    Commands->New();
    EXPECT_EQ(View.Boxes.at(0), "Save changes to <New>?");
    EXPECT_EQ(View.Form.StringValues[1], "typed");
    Commands->New();
    EXPECT_EQ(View.Form.StringValues[1], "");
    EXPECT_EQ(View.Caption, "Quillmark - <New>");
}
