#include "documents/textlist_form.h"
#include "shell/document_area.h"

#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTest>

namespace {

// The document area at the main window's design size, holding n new windows.
struct Area
{
    DocumentArea area;
    explicit Area(int windows = 0)
    {
        area.resize(640, 380);
        area.show();
        for (int i = 0; i < windows; ++i)
            add();
    }
    TTextList2Form *add()
    {
        auto *form = new TTextList2Form;
        area.addDocument(form, {640, 460});
        return form;
    }
    QRect shown(QWidget *form, const QRect &rect) const
    {
        return {form->mapTo(area.viewport(), rect.topLeft()), rect.size()};
    }
};

} // namespace

class TestDocumentArea : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newWindowsFitTheArea()
    {
        // Twelve windows, more than one cascade run: every one lies wholly inside.
        Area a(12);
        for (QMdiSubWindow *frame : a.area.subWindowList())
            QVERIFY2(a.area.viewport()->rect().contains(frame->geometry()),
                     qPrintable(QStringLiteral("frame at %1,%2 %3x%4").arg(frame->x()).arg(frame->y())
                                    .arg(frame->width()).arg(frame->height())));
        QCOMPARE(a.area.subWindowList()[1]->pos() - a.area.subWindowList()[0]->pos(),
                 QPoint(1, 1) * (a.area.subWindowList()[1]->y() - a.area.subWindowList()[0]->y()));
        QVERIFY(a.area.subWindowList()[1]->y() > 0);
    }

    void furtherWindowsOpenMaximizedLikeTheActiveOne()
    {
        Area a(1);
        a.area.setActiveDocumentState(false);
        for (int i = 0; i < 10; ++i)
            a.add();
        QCOMPARE(a.area.subWindowList().size(), 11);
        QVERIFY(a.area.currentSubWindow()->isMaximized());
        QCOMPARE(a.area.currentSubWindow()->geometry(), a.area.viewport()->rect());
        // Back to normal: the window is where a window can be seen.
        a.area.setActiveDocumentState(true);
        QVERIFY(a.area.viewport()->rect().intersects(a.area.currentSubWindow()->geometry()));
    }

    void scrollsToAPartOfAWindow()
    {
        Area a;
        TTextList2Form *form = a.add();
        a.area.currentSubWindow()->move(300, 250);   // most of it past the bottom-right corner
        QTest::qWait(0);
        QVERIFY(a.area.verticalScrollBar()->isVisible());
        const QRect bottomRight(form->width() - 60, form->height() - 20, 60, 20);
        a.area.ensureVisible(form, bottomRight);
        QVERIFY(a.area.viewport()->rect().contains(a.shown(form, bottomRight)));
        // Activating a window brings its title bar into sight.
        a.add();
        a.area.setActiveSubWindow(a.area.subWindowList().first());
        QVERIFY(a.area.viewport()->rect().contains(a.area.subWindowList().first()->geometry().topLeft()));
    }
};

QTEST_MAIN(TestDocumentArea)
#include "test_document_area.moc"
