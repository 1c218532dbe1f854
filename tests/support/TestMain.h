#pragma once

#include <QtTest>

namespace norvane::test {

// Sets the process up the way the whole suite expects (test-mode standard paths, offscreen platform,
// keyring items under a service of this process only).
void prepareTestProcess();

// Makes every later QML/JS warning fail the running test function. Call it from inside a test
// (QmlHarness does); the suite's QML tests go through QmlHarness.
void installQmlWarningGuard();

// True once a QML warning was seen outside a test function (the process then exits non-zero).
bool sawQmlWarning();

} // namespace norvane::test

// QTEST_MAIN with the suite's rules: no QML warning passes, and paths never touch the user's files.
#define NORVANE_TEST_MAIN(TestObject)                                                                        \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        norvane::test::prepareTestProcess();                                                                 \
        QGuiApplication app(argc, argv);                                                                     \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        TestObject tc;                                                                                       \
        const int rc = QTest::qExec(&tc, argc, argv);                                                        \
        return (rc != 0 || norvane::test::sawQmlWarning()) ? 1 : 0;                                          \
    }
