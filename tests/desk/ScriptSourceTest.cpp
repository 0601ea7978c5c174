//===- ScriptSourceTest.cpp - What a save writes over a script it came from ===//

#include "desk/ScriptSource.h"

#include "versioninfo/script/ScriptWriter.h"
#include "versioninfo/support/Text.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

const std::string HandWritten = "// hand-written, with a second resource\r\n"
                                "1 VERSIONINFO\r\n"
                                "FILEVERSION 1,2,3,4\r\n"
                                "{\r\n"
                                " BLOCK \"StringFileInfo\"\r\n"
                                " {\r\n"
                                "  BLOCK \"040904B0\"\r\n"
                                "  {\r\n"
                                "   VALUE \"FileVersion\", \"1.2.3.4\" // kept\r\n"
                                "  }\r\n"
                                " }\r\n"
                                "}\r\n"
                                "IDI_APP ICON \"app.ico\"\r\n";

ScriptSource SourceOf(const std::string& bytes, VersionRecord& shown) {
    const ReadResult read = ReadScriptText(bytes, NewDocumentDefaults{}, true, {});
    shown = read.Record;
    return SourceOfScript("in-memory.rc", bytes, read.Record, read);
}

} // namespace

TEST(ScriptSource, AnEditedHandWrittenScriptChangesOnlyTheEditedValue) {
    VersionRecord shown;
    const ScriptSource source = SourceOf(HandWritten, shown);
    EXPECT_FALSE(source.OwnLayout);
    EXPECT_FALSE(source.Losses.empty()); // the icon and the comments

    VersionRecord edited = shown;
    edited.StringValues[0] = "1.2.3.5";
    const SavePlan plan = PlanSave("in-memory.rc", &source, edited, NewDocumentDefaults{});
    ASSERT_TRUE(plan.Ready);
    std::string expected = HandWritten;
    expected.replace(expected.find("\"1.2.3.4\""), 9, "\"1.2.3.5\"");
    EXPECT_EQ(plan.Ready->Text, expected);
}

TEST(ScriptSource, TheOwnLayoutIsWrittenAgainWithoutAQuestion) {
    VersionRecord shown;
    SourceOf(HandWritten, shown);
    const std::string layout = JoinCrLf(*FormScript(shown));
    const ScriptSource source = SourceOf(layout, shown);
    EXPECT_TRUE(source.OwnLayout);
    shown.StringValues[1] = "Tool";
    const SavePlan plan = PlanSave("in-memory.rc", &source, shown, NewDocumentDefaults{});
    ASSERT_TRUE(plan.Ready);
    EXPECT_EQ(plan.Ready->Text, JoinCrLf(*FormScript(shown)));
}

TEST(ScriptSource, AnEditRefusedInPlaceAsksWhatTheLayoutLoses) {
    VersionRecord shown;
    const ScriptSource source = SourceOf(HandWritten, shown);
    const SavePlan plan =
        PlanSave("in-memory.rc", &source, shown, NewDocumentDefaults{}, "it no longer fits");
    EXPECT_FALSE(plan.Ready);
    const std::string question =
        LayoutQuestion(plan, "in-memory.rc", [](const std::string& loss) { return loss; });
    EXPECT_EQ(question.rfind("it no longer fits\n\nSaving writes only what the form shows.", 0), 0u)
        << question;
    EXPECT_NE(question.find("ICON"), std::string::npos) << question;
    EXPECT_NE(question.find("Replace it all the same?"), std::string::npos);
}
