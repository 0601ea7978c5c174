//===- DocumentStateTest.cpp - Caption, changes mark and the question's name ===//

#include "desk/DocumentState.h"

#include <gtest/gtest.h>

using namespace qm;

TEST(DocumentState, TheCaptionNamesTheFileOrANewDocumentsTarget) {
    DocumentState doc;
    EXPECT_FALSE(doc.Named());
    EXPECT_EQ(doc.Caption(false), "Quillmark - <New>");
    doc.SetTarget("/work/app/", "App.rc");
    EXPECT_EQ(doc.Caption(true), "Quillmark - <New> (/work/app/App.rc) *");
    EXPECT_EQ(doc.NameToAskAbout(PathStyle::Posix), "App.rc");

    // A named file shows itself alone, whatever was proposed before.
    doc.SetFile("/work/app/Other.rc");
    EXPECT_TRUE(doc.Named());
    EXPECT_EQ(doc.Caption(false), "Quillmark - /work/app/Other.rc");
    EXPECT_EQ(doc.NameToAskAbout(PathStyle::Posix), "Other.rc");
    doc.SetFile("C:\\Work\\App.rc");
    EXPECT_EQ(doc.NameToAskAbout(PathStyle::Windows), "App.rc");
}

TEST(DocumentState, AFormIsModifiedUntilItIsMarkedSaved) {
    DocumentState doc;
    VersionRecord form;
    doc.MarkSaved(form);
    EXPECT_FALSE(doc.Modified(form));
    form.HFileVersion = "1, 2, 0, 0";
    EXPECT_TRUE(doc.Modified(form));
    doc.MarkSaved(form);
    EXPECT_FALSE(doc.Modified(form));
}
