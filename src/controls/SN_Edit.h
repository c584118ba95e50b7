#pragma once
// A number or code shown for copying: selectable and copyable (Ctrl+A, Ctrl+C), never
// editable, and a paste is refused.

#include <QLineEdit>

namespace ovix {

class SN_Edit : public QLineEdit {
    Q_OBJECT
public:
    explicit SN_Edit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

} // namespace ovix
