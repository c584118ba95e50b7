#pragma once
// A drop-down list on a skinned button: the button shows the selected item; a click opens
// or closes the popup list (DropBtn); choosing an item selects it and tells the owner with
// the owner's notify id. The wheel steps through the items in whole notches.

#include <QAbstractButton>
#include <QStringList>

namespace ovix {

class DropBtn;

class ComBoxBtn : public QAbstractButton {
    Q_OBJECT
public:
    explicit ComBoxBtn(QWidget* parent = nullptr);

    int AddItem(const QString& text);  // returns the new item's index
    // No items, no selection.
    void Reset();
    // -1 clears the selection; other indices outside the list are ignored.
    void SetSel(int index);
    int GetSel() const { return m_sel; }
    int Count() const { return int(m_items.size()); }
    QString ItemText(int index) const { return m_items.value(index); }
    // The number the selection notice carries; the owner's choice.
    void SetNotifyId(int id) { m_notifyId = id; }
    int NotifyId() const { return m_notifyId; }

    void ShowPopup();
    void HidePopup();
    bool IsPopupOpen() const;
    DropBtn* Popup() const { return m_popup; }

    QSize sizeHint() const override;

signals:
    // An item was chosen from the list or with the wheel.
    void selected(int notifyId, int index);

protected:
    void paintEvent(QPaintEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    void Choose(int index);

    QStringList m_items;
    int m_sel = -1;
    int m_notifyId = 0;
    int m_wheel = 0;  // accumulated wheel delta, kept within -120..120
    bool m_hover = false;
    DropBtn* m_popup;  // owned through the parent chain
};

} // namespace ovix
