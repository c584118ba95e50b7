// The response graph's context menu: its three commands in both languages, opened by the
// right button, the Menu key and Shift+F10, each asking the console through its signal.

#include "graph/FStatic.h"

#include "controls/UiLanguage.h"
#include "model/KTV_Data.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace ovix {
namespace {

class GraphMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUiLanguage(UiLanguage::English);
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        records = std::make_unique<CKTV_Data>(*model);
        graph = std::make_unique<CFStatic>();
        graph->resize(645, 230);
        graph->Attach(records.get());
        graph->m_menuHook = [this](QMenu& menu) {
            ++opened;
            shown.clear();
            enabled.clear();
            for (QAction* a : menu.actions())
                if (!a->isSeparator()) {
                    shown << a->text();
                    enabled << a->isEnabled();
                }
        };
    }
    void TearDown() override { SetUiLanguage(UiLanguage::English); }

    std::unique_ptr<ParameterModel> model;
    std::unique_ptr<CKTV_Data> records;
    std::unique_ptr<CFStatic> graph;
    int opened = 0;
    QStringList shown;
    QList<bool> enabled;
};

} // namespace

TEST_F(GraphMenu, ThreeCommandsInTheUsersLanguage)
{
    graph->SelectChannel(2);
    graph->ShowContextMenu({50, 50});
    EXPECT_EQ(shown, QStringList({"Import filters...", "Export filters...", "Save graph as image..."}));
    SetUiLanguage(UiLanguage::Chinese);
    graph->ShowContextMenu({50, 50});
    EXPECT_EQ(shown, QStringList({QString::fromUtf8("导入滤波器..."), QString::fromUtf8("导出滤波器..."),
                                  QString::fromUtf8("将曲线图保存为图片...")}))
        << "re-texted on the language change, without a new menu";
    SetUiLanguage(UiLanguage::English);
    EXPECT_EQ(graph->SaveImageAction().text(), "Save graph as image...");
}

TEST_F(GraphMenu, OpensFromTheMouseAndTheKeyboard)
{
    graph->SelectChannel(0);
    QContextMenuEvent mouse(QContextMenuEvent::Mouse, QPoint(100, 60), graph->mapToGlobal(QPoint(100, 60)));
    QCoreApplication::sendEvent(graph.get(), &mouse);
    EXPECT_EQ(opened, 1) << "right button";
    QTest::keyClick(graph.get(), Qt::Key_Menu);
    EXPECT_EQ(opened, 2) << "Menu key";
    QTest::keyClick(graph.get(), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(opened, 3) << "Shift+F10";
    QTest::keyClick(graph.get(), Qt::Key_F10);
    EXPECT_EQ(opened, 3) << "F10 alone is not the menu";
    EXPECT_TRUE(graph->focusPolicy() & Qt::TabFocus) << "Tab reaches the graph";
}

TEST_F(GraphMenu, FiltersNeedASelectedChannelThePictureDoesNot)
{
    graph->ShowContextMenu({10, 10});
    EXPECT_EQ(enabled, QList<bool>({false, false, true}));
    graph->SelectChannel(4);
    graph->ShowContextMenu({10, 10});
    EXPECT_EQ(enabled, QList<bool>({true, true, true}));
}

TEST_F(GraphMenu, EachCommandAsksTheConsoleOnce)
{
    graph->SelectChannel(1);
    QSignalSpy import(graph.get(), &CFStatic::ImportFiltersRequested);
    QSignalSpy exportSpy(graph.get(), &CFStatic::ExportFiltersRequested);
    QSignalSpy image(graph.get(), &CFStatic::SaveImageRequested);
    graph->ImportFiltersAction().trigger();
    EXPECT_EQ(import.count(), 1);
    EXPECT_EQ(exportSpy.count(), 0);
    EXPECT_EQ(image.count(), 0);
    graph->ExportFiltersAction().trigger();
    graph->SaveImageAction().trigger();
    EXPECT_EQ(import.count(), 1);
    EXPECT_EQ(exportSpy.count(), 1);
    EXPECT_EQ(image.count(), 1);
}

} // namespace ovix
