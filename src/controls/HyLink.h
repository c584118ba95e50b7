#pragma once
// A link: its text in "Arial" 20 px, light weight, on a transparent background;
// underlined and in the hover colour while the pointer is over it. A click opens the
// text with the desktop's handler (a web address, a mail address, a file).

#include <QLabel>

namespace ovix {

class HyLink : public QLabel {
    Q_OBJECT
public:
    explicit HyLink(QWidget* parent = nullptr);

    void SetColours(const QColor& normal, const QColor& hover);
    bool IsHover() const { return m_hover; }

signals:
    // The text was handed to the desktop; opened says whether something took it.
    void activated(bool opened);

protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void ApplyLook();

    QColor m_normal;
    QColor m_hoverColour;
    bool m_hover = false;
};

} // namespace ovix
