#pragma once
// Helpers the console's tests share: waiting on the event loop, typing into a field.

#include "controls/NumEdit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <functional>

namespace ovix::test {

// Processes events until pred holds or the (generous) limit passes.
inline bool WaitFor(const std::function<bool()>& pred, int limitMs = 15000)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A typed value, read when the field is asked for its code (as on leaving it).
inline void Type(NumEdit* field, const QString& text)
{
    field->selectAll();
    QTest::keyClicks(field, text);
    field->Code();
}

} // namespace ovix::test
