#pragma once
// A numeric field: holds an integer code and shows it in engineering units (delay as time
// or distance, frequency, gain in dB, Q, ...). The user's text is read back into a code
// when the field loses the focus or when the code is asked for while the text is edited.

#include "controls/NumFormat.h"

#include <QLineEdit>
#include <QPointer>

namespace ovix {

class NumEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumEdit(QWidget* parent = nullptr);

    // Kind and unit suffix; the text is redrawn.
    void SetKind(int kind, const QString& suffix = {});
    int Kind() const { return m_format.kind; }
    void SetScaleOffset(double scale, double offset);
    // The code range; the code becomes min.
    void SetRange(int min, int max);
    int Min() const { return m_format.min; }
    int Max() const { return m_format.max; }
    const NumFormat& Format() const { return m_format; }

    // Accepted only within [min, max]; anything else is ignored.
    void SetCode(int code);
    // The code; edited text is read first (and the field redrawn and notified).
    int Code();
    // The text was edited and not read yet.
    bool IsDirty() const { return m_dirty; }

    // An id the owner chooses; messages about the field name it.
    void SetId(int id) { m_id = id; }
    int Id() const { return m_id; }

    void Enable(bool enabled);
    // Shows the focused colours (or not) without moving the focus.
    void SetFocusedLook(bool focused);
    // Custom colours on (default) or the platform's.
    void SetColoured(bool coloured);
    // A widget repainted whenever the field gains or loses the focus (a gain field's fader).
    void SetLinkedWindow(QWidget* w) { m_linked = w; }
    // A display-only field that never keeps the focus and ignores clicks.
    void SetNoFocus(bool noFocus);
    bool IsFocusedLook() const { return m_focused; }

    // Redraws the text from the code in the current language (after a language switch).
    void ReRender();

signals:
    // Edited text was read; code is the stored code.
    void edited(int code);
    // The field was clicked (sent before it takes the focus).
    void clicked();
    // Either of the two: the one notice the owner's handler listens to.
    void command();

protected:
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    // A language switch redraws the text ("OFF" has a Chinese word).
    void changeEvent(QEvent* e) override;

private:
    void Parse();
    void ApplyColours();
    void RepaintSurroundings();

    NumFormat m_format;
    int m_code = 0;
    int m_id = 0;
    bool m_dirty = false;
    bool m_focused = false;
    bool m_coloured = true;
    bool m_noFocus = false;
    QPointer<QWidget> m_linked;
};

} // namespace ovix
