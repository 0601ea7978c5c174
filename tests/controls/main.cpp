//===- main.cpp - Runs the controls' test suites --------------------------===//
//
// The first argument may name one suite ("SpeedBtn", "DlgsPlus"); the rest
// goes to Qt Test. Without a suite name every suite runs.
//
//===----------------------------------------------------------------------===//
#include "TestSuites.h"

#include <QApplication>
#include <QTest>

#include <cstring>
#include <vector>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<char*> args(argv, argv + argc);
    const char* only = nullptr;
    if (args.size() > 1 && args[1][0] != '-') {
        only = args[1];
        args.erase(args.begin() + 1);
    }
    struct Suite {
        const char* Name;
        std::unique_ptr<QObject> (*Make)();
    };
    const Suite suites[] = {{"SpeedBtn", MakeSpeedBtnTest}, {"DlgsPlus", MakeDlgsPlusTest}};
    int failures = 0;
    for (const Suite& suite : suites) {
        if (only && std::strcmp(only, suite.Name) != 0)
            continue;
        const std::unique_ptr<QObject> test = suite.Make();
        failures += QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
    }
    return failures == 0 ? 0 : 1;
}
