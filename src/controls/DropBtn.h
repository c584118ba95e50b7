#pragma once
// The popup list of a ComBoxBtn: a borderless list under its button. Choosing an item
// (click, or Enter on the current one) reports its index and closes the list; a click
// anywhere else, or Escape, closes it without a choice.

#include <QFrame>
#include <QPointer>

class QListWidget;

namespace ovix {

class DropBtn : public QFrame {
    Q_OBJECT
public:
    // The owner is the button the list drops from; it owns the popup.
    explicit DropBtn(QWidget* owner);

    // Shows the items under the owner with the given one current.
    void Open(const QStringList& items, int current);
    QListWidget* List() const { return m_list; }

signals:
    void chosen(int index);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Choose(int index);

    QPointer<QWidget> m_owner;
    QListWidget* m_list;  // child, owned by the frame
};

} // namespace ovix
