// Test entry point for tests that need a QApplication (widgets on the offscreen platform).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Tests that need a particular locale set it themselves.
    QLocale::setDefault(QLocale::c());
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
