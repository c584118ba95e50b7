#pragma once
// A modal message box that closes itself: about a second after it is shown it is
// accepted, as if Enter had been pressed. The console uses it for notices that need no
// answer (a failed connection).

#include <QDialog>
#include <QTimer>

class QLabel;

namespace ovix {

class XPButton;

class CMsgBox : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCloseDelayMs = 1000;

    // Created once by its owner and kept hidden until Show.
    explicit CMsgBox(QWidget* parent = nullptr);

    // Shows the text modally; returns when the box has closed (by itself or by the user).
    int Show(const QString& text);
    // A box of its own for one text, shown modally over the parent.
    static void ShowText(QWidget* parent, const QString& text);

    QString Text() const;

signals:
    // The box is on screen with this text (its close timer is running).
    void shown(const QString& text);

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;
    // The close timer's handler: the simulated Enter.
    void OnCloseTimer();

private:
    QLabel* m_label;  // children, owned by the dialog
    XPButton* m_ok;
    QTimer m_closeTimer;
};

} // namespace ovix
