#include <QCoreApplication>
#include <QLoggingCategory>

#include <gtest/gtest.h>

// Sessions and the updater need a main thread with an event loop.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
