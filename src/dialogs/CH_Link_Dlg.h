#pragma once
// The channel-grouping question: which channel of a pair is the reference whose settings
// the other takes over when the pair is linked. The caller sets the pair, runs the dialog
// and, on OK, reads the choice; Cancel leaves the pair unlinked.

#include <QDialog>

class QLabel;
class QPushButton;

namespace ovix {

class ButtonRadio;

class CCH_Link_Dlg final : public QDialog {
    Q_OBJECT
public:
    // pair: 0 = CH1/CH2, 1 = CH3/CH4, 2 = CH5/CH6.
    explicit CCH_Link_Dlg(int pair, QWidget* parent = nullptr);

    // 0: the pair's first channel (CH1, CH3, CH5) is the reference, 1: the second.
    int Choice() const { return m_choice; }
    int Pair() const { return m_pair; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void Retranslate();

    int m_pair;
    int m_choice = 0;
    QLabel* m_question = nullptr;
    ButtonRadio* m_first = nullptr;
    ButtonRadio* m_second = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace ovix
