//===- CliTestMain.cpp - GoogleTest entry with a Qt core application ------===//

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // QProcess wants an application object
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
