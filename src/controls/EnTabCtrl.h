#pragma once
// A tab control with painted tabs on the dialog background RGB(227,228,238); the selected
// tab is RGB(127,168,222). The owner gives the captions in the language of the moment
// (setTabText when the language changes).

#include <QTabBar>
#include <QTabWidget>

namespace ovix {

class EnTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit EnTabBar(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* e) override;
    QSize tabSizeHint(int index) const override;
};

class EnTabCtrl : public QTabWidget {
    Q_OBJECT
public:
    explicit EnTabCtrl(QWidget* parent = nullptr);

    int AddTab(QWidget* page, const QString& caption);

protected:
    void paintEvent(QPaintEvent* e) override;
};

} // namespace ovix
