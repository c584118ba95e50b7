#pragma once
// The console's skinned button: a painted face for lit or unlit × normal, hover, pressed,
// and disabled, with its caption (optionally another caption while lit, e.g. "Bypass All
// EQ" / "Restore All EQ"). The owner gives the captions in the language of the moment and
// gives them again when the language changes. A click is an ordinary click; the owner
// decides when the button is lit.

#include <QAbstractButton>

namespace ovix {

class XPButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit XPButton(QWidget* parent = nullptr);

    // The caption; also used while lit unless a lit caption is set.
    void SetCaption(const QString& text);
    // The caption while lit; an empty one falls back to the normal caption.
    void SetLitCaption(const QString& text);
    void SetLit(bool lit);
    bool IsLit() const { return m_lit; }
    void Enable(bool enabled) { setEnabled(enabled); }
    bool IsHover() const { return m_hover; }
    // The caption shown now (text() follows it).
    QString CurrentText() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void ShowCaption();

    QString m_caption;
    QString m_litCaption;
    bool m_lit = false;
    bool m_hover = false;
};

} // namespace ovix
