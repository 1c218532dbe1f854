#pragma once

#include <QtTest>

namespace norvane::test {

// Installs a message handler that turns every QML/JS warning into a test failure, and sets the
// process up the way the whole suite expects (test-mode standard paths, offscreen platform).
void prepareTestProcess();

// True once a QML warning was seen outside a test function (the process then exits non-zero).
bool sawQmlWarning();

} // namespace norvane::test

// QTEST_MAIN with the suite's rules: no QML warning passes, and paths never touch the user's files.
#define NORVANE_TEST_MAIN(TestObject)                                                             \
    int main(int argc, char *argv[])                                                              \
    {                                                                                             \
        norvane::test::prepareTestProcess();                                                      \
        QGuiApplication app(argc, argv);                                                          \
        QTEST_SET_MAIN_SOURCE_PATH                                                                \
        TestObject tc;                                                                            \
        const int rc = QTest::qExec(&tc, argc, argv);                                             \
        return (rc != 0 || norvane::test::sawQmlWarning()) ? 1 : 0;                               \
    }
