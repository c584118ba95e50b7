// GoogleTest main for widget and console tests: one QApplication on Qt's offscreen
// platform for the whole run.

#include "app/QamrelApp.h"

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ovix::CQamrelApp::PrepareScreenScaling();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
