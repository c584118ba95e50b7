#pragma once
// The console's skinned button: a painted face for lit or unlit × normal, hover, pressed,
// and disabled, with its caption in both languages (optionally another caption while
// lit, e.g. "Bypass All EQ" / "Restore All EQ"). A click is an ordinary click; the owner
// decides when the button is lit.

#include "controls/LangText.h"

#include <QAbstractButton>

namespace ovix {

class XPButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit XPButton(QWidget* parent = nullptr);

    // The caption; also used while lit unless lit texts are set.
    void SetTexts(const QString& en, const QString& zh);
    // The caption while lit; empty texts fall back to the normal caption.
    void SetLitTexts(const QString& en, const QString& zh);
    void SetLit(bool lit);
    bool IsLit() const { return m_lit; }
    void Enable(bool enabled) { setEnabled(enabled); }
    bool IsHover() const { return m_hover; }
    // Re-reads the caption for the current language (text() follows it).
    void ApplyLanguage();
    // The caption shown now.
    QString CurrentText() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    LangText m_texts;
    LangText m_litTexts;
    bool m_lit = false;
    bool m_hover = false;
};

} // namespace ovix
