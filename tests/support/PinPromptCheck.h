#pragma once

#include "ItemInput.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

namespace norvane::test {

// The section's PIN prompt is open for the locked row and its field has the keyboard focus: a
// wrong PIN typed there shows the warning.
inline void typeWrongPin(QObject *view, const QString &sheetName, const QString &rowName)
{
    auto *sheet = findByName<QObject>(view, sheetName);
    QVERIFY(sheet);
    clickItem(visibleItem(view, rowName));
    QTRY_VERIFY(sheet->property("opened").toBool());
    auto *field = findByName<QQuickItem>(sheet, QStringLiteral("pinField"));
    QVERIFY(field);
    QTRY_VERIFY(field->hasActiveFocus());
    typeText(field->window(), QStringLiteral("1234"));
    QTest::keyClick(field->window(), Qt::Key_Return);
    QVERIFY(isShown(sheet, QStringLiteral("pinWrong")));
    QVERIFY(sheet->property("visible").toBool());
}

// After a wrong PIN, the prompt cancelled and opened again from its row comes back fresh: an empty
// field with the keyboard focus and no warning.
inline void reopenFreshPrompt(QObject *view, const QString &sheetName, const QString &rowName)
{
    auto *sheet = findByName<QObject>(view, sheetName);
    QVERIFY(sheet);
    clickItem(findByName<QQuickItem>(sheet, QStringLiteral("pinCancel")));
    QTRY_VERIFY(!sheet->property("visible").toBool());
    clickItem(visibleItem(view, rowName));
    QTRY_VERIFY(sheet->property("opened").toBool());
    auto *field = findByName<QQuickItem>(sheet, QStringLiteral("pinField"));
    QTRY_VERIFY(field->hasActiveFocus());
    QCOMPARE(field->property("text").toString(), QString());
    QVERIFY(!isShown(sheet, QStringLiteral("pinWrong")));
}

} // namespace norvane::test
