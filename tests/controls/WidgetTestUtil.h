#pragma once
// Small helpers shared by the widget tests.

#include "controls/UiGlobals.h"
#include "controls/UiLanguage.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace ovix::test {

// Switches the whole interface the way the console does: installs (Chinese) or removes
// (English) the translators; every widget has re-texted itself when it returns.
inline void UseLanguage(UiLanguage language) { SetUiLanguage(language); }
inline void UseChinese(bool chinese) { UseLanguage(chinese ? UiLanguage::Chinese : UiLanguage::English); }

// Every test starts and ends in English.
class WidgetTest : public ::testing::Test {
protected:
    void SetUp() override { UseLanguage(UiLanguage::English); }
    void TearDown() override { UseLanguage(UiLanguage::English); }
};

template <class P>
class WidgetTestP : public ::testing::TestWithParam<P> {
protected:
    void SetUp() override { UseLanguage(UiLanguage::English); }
    void TearDown() override { UseLanguage(UiLanguage::English); }
};

// Shows a top-level window and makes it the active one, so focus changes happen.
inline bool ShowActive(QWidget& w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

// Types text character by character, including characters outside Latin-1 (which
// QTest::keyClicks cannot send).
inline void Type(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
}

} // namespace ovix::test
