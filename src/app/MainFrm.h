#pragma once
// The main window: borderless and of fixed size (1282 x 722), centred on the screen, its
// visible area inset by 2 pixels; it holds the console view, which carries the window's
// own minimise and close buttons and lets the window be dragged by its background.

#include "app/QamrelView.h"

#include <QWidget>

namespace ovix {

class CMainFrame final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 1282;
    static constexpr int kHeight = 722;

    CMainFrame(ParameterModel& model, LinkFlags& flags, CQamrelView::Options options);

    CQamrelView& View() { return *m_view; }
    void CentreOnScreen();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CQamrelView* m_view;
};

} // namespace ovix
