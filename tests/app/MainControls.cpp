//===- MainControls.cpp - The main window's controls, by objectName -------===//

#include "MainControls.h"

#include "controls/ButtonPL.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>

#include <string>

namespace qm::test {

namespace {

// A control the window must have; a missing one fails the test at its use.
template <typename Control> Control* Named(const QWidget& window, const char* name) {
    Control* control = window.findChild<Control*>(QString::fromLatin1(name));
    if (!control)
        qFatal("The main window has no %s", name);
    return control;
}

} // namespace

MainControls::MainControls(const QWidget& window)
    : tabMain(Named<QTabBar>(window, "tabMain")),
      noteMain(Named<QStackedWidget>(window, "noteMain")),
      cmmComInc(Named<QPlainTextEdit>(window, "cmmComInc")),
      cedHFileVersion(Named<QLineEdit>(window, "cedHFileVersion")),
      cedHProductVersion(Named<QLineEdit>(window, "cedHProductVersion")),
      cedFileFlagsMask(Named<QLineEdit>(window, "cedFileFlagsMask")),
      cckFFDebug(Named<QCheckBox>(window, "cckFFDebug")),
      cckFFPreRelease(Named<QCheckBox>(window, "cckFFPreRelease")),
      cckFFPatched(Named<QCheckBox>(window, "cckFFPatched")),
      ccbFileOS(Named<QComboBox>(window, "ccbFileOS")),
      ccbFileType(Named<QComboBox>(window, "ccbFileType")),
      ccbFileSubType(Named<QComboBox>(window, "ccbFileSubType")),
      ccbLanguageID(Named<QComboBox>(window, "ccbLanguageID")),
      ccbCodePage(Named<QComboBox>(window, "ccbCodePage")),
      cmmImage(Named<QPlainTextEdit>(window, "cmmImage")),
      cmmResult(Named<QPlainTextEdit>(window, "cmmResult")),
      cbtnNew(Named<QPushButton>(window, "cbtnNew")),
      cbtnOpen(Named<QPushButton>(window, "cbtnOpen")),
      cbtnSaveAs(Named<QPushButton>(window, "cbtnSaveAs")),
      cbtnCompile(Named<QPushButton>(window, "cbtnCompile")),
      cbtnCompile32(Named<TSpeedBtnPlus>(window, "cbtnCompile32")),
      cbtnOptions(Named<QPushButton>(window, "cbtnOptions")),
      cbtnExit(Named<QPushButton>(window, "cbtnExit")) {
    for (std::size_t k = 0; k < StringEdits.size(); ++k) {
        const std::string name = "ced" + std::string(StringKeys()[k]);
        StringEdits[k] = Named<QLineEdit>(window, name.c_str());
    }
}

} // namespace qm::test
