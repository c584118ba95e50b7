#include "controls/CMsgBox.h"
#include "WidgetTestUtil.h"

#include <QTimer>

namespace ovix {
namespace {

using test::WidgetTest;

// Closes whatever modal box is still open after a generous time, and remembers that it
// had to.
struct Watchdog {
    QTimer timer;
    bool fired = false;
    Watchdog()
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            fired = true;
            if (QWidget* w = QApplication::activeModalWidget())
                w->close();
        });
        timer.start(5000);
    }
};

class CMsgBoxTest : public WidgetTest {};

TEST_F(CMsgBoxTest, ShowTextClosesByItself)
{
    QString seen;
    QTimer peek;
    peek.setSingleShot(true);
    QObject::connect(&peek, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<CMsgBox*>(QApplication::activeModalWidget()))
            seen = box->Text();
    });
    peek.start(0);
    Watchdog dog;
    CMsgBox::ShowText(nullptr, QStringLiteral("Connection failure!"));
    EXPECT_FALSE(dog.fired) << "the box should have closed itself";
    EXPECT_EQ(seen, QStringLiteral("Connection failure!"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(CMsgBoxTest, OwnedBoxClosesByItselfEachTimeItIsShown)
{
    QWidget owner;
    CMsgBox box(&owner);
    QStringList shown;
    QObject::connect(&box, &CMsgBox::shown, [&](const QString& t) { shown << t; });
    Watchdog dog;
    EXPECT_EQ(box.Show(QStringLiteral("one")), QDialog::Accepted);
    EXPECT_EQ(box.Show(QStringLiteral("two")), QDialog::Accepted);
    EXPECT_FALSE(dog.fired);
    EXPECT_EQ(shown, QStringList({QStringLiteral("one"), QStringLiteral("two")}));
    EXPECT_FALSE(box.isVisible());
}

} // namespace
} // namespace ovix
