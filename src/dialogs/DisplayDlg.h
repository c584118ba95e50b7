#pragma once
// The data-loading window: a borderless notice shown while a numbered batch of commands is
// exchanged with the processor. It blinks until the batch is done, keeps the user from
// operating the window below it, and closes itself within one 200 ms tick after the busy
// flag drops.

#include "link/LinkFlags.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace ovix {

class CDisplayDlg final : public QWidget {
    Q_OBJECT
public:
    // `console` is the console view: the window is placed over its middle and disables it
    // (or the preset manager, when that one is the owner).
    CDisplayDlg(QWidget* console, LinkFlags& flags);

    void Show(QWidget* owner = nullptr);
    void Close();

    bool Showing() const { return isVisible(); }
    // "Load Data" while a batch runs, "End of " once it is done, in the current language.
    QString Text() const;
    QColor TextColour() const { return m_colour; }

    // One timer tick, as the 200 ms timer runs it.
    void Tick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* m_console;
    LinkFlags& m_flags;
    QPointer<QWidget> m_owner;
    QTimer m_timer;
    bool m_blink = false;
    bool m_ended = false;  // the batch is done: the end text
    QColor m_colour{0, 0, 128};
};

} // namespace ovix
