//===- MainControls.h - The main window's controls, by objectName ---------===//
//
// Tests reach the window's controls the way automation does: by the
// objectName each control carries, which is its field name.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/Tables.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QWidget;

namespace qm {
class TSpeedBtnPlus;
}

namespace qm::test {

/// The main window's controls, found by objectName as automation finds them.
struct MainControls {
    explicit MainControls(const QWidget& window);

    QTabBar* tabMain;
    QStackedWidget* noteMain;
    QPlainTextEdit* cmmComInc;
    QLineEdit* cedHFileVersion;
    QLineEdit* cedHProductVersion;
    QLineEdit* cedFileFlagsMask;
    QCheckBox* cckFFDebug;
    QCheckBox* cckFFPreRelease;
    QCheckBox* cckFFPatched;
    QComboBox* ccbFileOS;
    QComboBox* ccbFileType;
    QComboBox* ccbFileSubType;
    QComboBox* ccbLanguageID;
    QComboBox* ccbCodePage;
    /// cedFileVersion ... cedSpecialBuild, in StringKeys order.
    std::array<QLineEdit*, StringKeyCount> StringEdits{};
    QPlainTextEdit* cmmImage;
    QPlainTextEdit* cmmResult;
    QPushButton* cbtnNew;
    QPushButton* cbtnOpen;
    QPushButton* cbtnSaveAs;
    QPushButton* cbtnCompile;
    TSpeedBtnPlus* cbtnCompile32;
    QPushButton* cbtnOptions;
    QPushButton* cbtnExit;
};

/// A control the window lacks ends the test with its name.
inline MainControls Ui(const QWidget& window) {
    return MainControls(window);
}

} // namespace qm::test
