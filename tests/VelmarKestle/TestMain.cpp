#include <QApplication>

#include <gtest/gtest.h>

// Sessions and the updater need a main thread with an event loop; the updater's own
// windows need a widget application (offscreen unless a display is asked for).
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
