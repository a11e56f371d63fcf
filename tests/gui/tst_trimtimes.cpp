// Start and end times typed into the source list: every posted edit brings
// the selected rows' times inside their duration and recomputes the cut.

#include "../support/ProgramFixture.h"
#include "SourceRows.h"
#include "ui/TimeEditDelegate.h"

#include <QLineEdit>
#include <QPixmap>
#include <QTest>

namespace {

// The rows as the grid shows them, header pictures included.
QAbstractItemModel *model()
{
    return rows::grid()->model();
}

// The user's edit of one cell, as the grid posts it.
void post(int row, int column, const QString &text)
{
    QVERIFY(model()->setData(model()->index(row, column), text, Qt::EditRole));
}

// The time editor the grid has open, if any (closed ones may linger hidden
// until they are deleted).
QLineEdit *openEditor()
{
    for (QLineEdit *editor : rows::grid()->findChildren<QLineEdit *>("TimeEditor")) {
        if (editor->isVisible())
            return editor;
    }
    return nullptr;
}

QStringList trimCells(int row)
{
    return {rows::grid()->Cell(row, colStartTime), rows::grid()->Cell(row, colEndTime),
            rows::grid()->Cell(row, colCutTime)};
}

} // namespace

class TestTrimTimes : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_program;

private Q_SLOTS:
    void initTestCase()
    {
        m_program = std::make_unique<ProgramFixture>();
        FrmMainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(FrmMainForm));
    }

    void init()
    {
        rows::resetAll();
        m_program->prompts->messages.clear();
    }

    // A row of 00:05:00; the start or the end is typed, the other cell holds
    // the other entered value.
    void workedCases_data()
    {
        QTest::addColumn<int>("edited");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QStringList>("after"); // start, end, cut
        const struct {
            const char *name;
            const char *start;
            const char *end;
            QStringList after;
        } cases[] = {
            {"inside", "00:01:00", "00:04:00", {"00:01:00", "00:04:00", "00:03:00"}},
            {"both empty", "", "", {"00:00:00", "00:05:00", "00:05:00"}},
            {"end beyond the duration", "00:01:00", "00:09:00", {"00:01:00", "00:05:00", "00:04:00"}},
            {"start after the end", "00:04:00", "00:02:00", {"00:04:00", "00:04:00", "00:00:00"}},
            {"start beyond, end at the duration", "00:07:00", "00:05:00", {"00:05:00", "00:05:00", "00:00:00"}},
            {"start beyond, end inside", "00:07:00", "00:02:00", {"00:05:00", "00:07:00", "00:00:00"}},
            {"start empty", "", "00:03:00", {"00:00:00", "00:03:00", "00:03:00"}},
            {"end empty", "00:01:30", "", {"00:01:30", "00:05:00", "00:03:30"}},
            {"start at the duration", "00:05:00", "00:05:00", {"00:05:00", "00:05:00", "00:00:00"}},
            {"start equal to the end", "00:02:00", "00:02:00", {"00:02:00", "00:02:00", "00:00:00"}},
        };
        for (const auto &c : cases) {
            QTest::addRow("%s, start typed", c.name) << int(colStartTime) << c.start << c.end << c.after;
            QTest::addRow("%s, end typed", c.name) << int(colEndTime) << c.start << c.end << c.after;
        }
    }
    void workedCases()
    {
        QFETCH(int, edited);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QStringList, after);
        rows::append("/a.mp4", "00:05:00");
        rows::selectOnly({0});
        rows::grid()->SetCell(0, colStartTime, start);
        rows::grid()->SetCell(0, colEndTime, end);
        post(0, edited, edited == colStartTime ? start : end);
        QCOMPARE(trimCells(0), after);
        QCOMPARE(m_program->prompts->texts(), QStringList());
    }

    void everySelectedRowIsValidated()
    {
        rows::append("/a.mp4", "00:05:00");
        rows::append("/b.mp4", "00:02:00");
        rows::append("/c.mp4", "00:02:00");
        rows::grid()->SetCell(1, colEndTime, "00:09:00");
        rows::grid()->SetCell(2, colStartTime, "00:09:00");
        rows::selectOnly({0, 1});
        post(0, colStartTime, "00:01:00");
        QCOMPARE(trimCells(0), (QStringList{"00:01:00", "00:05:00", "00:04:00"}));
        QCOMPARE(trimCells(1), (QStringList{"00:00:00", "00:02:00", "00:02:00"}));
        QCOMPARE(trimCells(2), (QStringList{"00:09:00", "00:02:00", "00:02:00"})); // not selected

        // An edit of a row that is not selected validates the selected ones only.
        rows::grid()->SetCell(0, colEndTime, "00:09:00");
        post(2, colEndTime, "00:08:00");
        QCOMPARE(trimCells(0), (QStringList{"00:01:00", "00:05:00", "00:04:00"}));
        QCOMPARE(trimCells(2), (QStringList{"00:09:00", "00:08:00", "00:02:00"}));
    }

    void withoutSelectionOnlyTheEditedCellChanges()
    {
        rows::append("/a.mp4", "00:05:00");
        rows::grid()->clearSelection();
        post(0, colStartTime, "00:09:00");
        QCOMPARE(trimCells(0), (QStringList{"00:09:00", "00:05:00", "00:05:00"}));
        post(0, colEndTime, QString());
        QCOMPARE(trimCells(0), (QStringList{"00:09:00", "", "00:05:00"}));
    }

    // The user toggles the check box (Space on the check cell): a posted edit.
    void checkBoxEditValidatesToo()
    {
        rows::append("/a.mp4", "00:05:00");
        rows::grid()->SetCell(0, colEndTime, "00:06:00");
        rows::selectOnly({0});
        rows::grid()->setCurrentIndex(model()->index(0, colCheck));
        rows::selectOnly({0});
        QTest::keyClick(rows::grid(), Qt::Key_Space);
        QCOMPARE(rows::grid()->Cell(0, colCheck), QStringLiteral("False"));
        QCOMPARE(trimCells(0), (QStringList{"00:00:00", "00:05:00", "00:05:00"}));
        QTest::keyClick(rows::grid(), Qt::Key_Space);
        QCOMPARE(rows::grid()->Cell(0, colCheck), QStringLiteral("True"));
    }

    // A duration of 100 hours or more has three hour digits, which the
    // fixed-position reading refuses: the error is reported and the row is
    // left as it was.
    void hundredHourDurationIsReported()
    {
        rows::append("/a.mp4", "100:00:00");
        rows::selectOnly({0});
        post(0, colStartTime, "00:01:00");
        QCOMPARE(m_program->prompts->messages.size(), 1);
        QCOMPARE(m_program->prompts->messages.first().icon, QMessageBox::Critical);
        QCOMPARE(trimCells(0), (QStringList{"00:01:00", "100:00:00", "100:00:00"}));
    }

    void editorOpensOnAClickAndPostsTheTypedTime()
    {
        rows::append("/a.mp4", "00:05:00");
        rows::append("/b.mp4", "00:05:00");
        TSourceGrid *grid = rows::grid();
        grid->setFocus();
        const QModelIndex start = model()->index(1, colStartTime);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(start).center());
        QLineEdit *editor = openEditor();
        QVERIFY(editor);
        QCOMPARE(editor->inputMask(), QStringLiteral("00:00:00;_"));
        QCOMPARE(grid->SelectedRows(), QList<int>{1});
        QTest::keyClicks(editor, "000130");
        QTest::keyClick(editor, Qt::Key_Return); // posted once the editor has seen the key
        QTRY_COMPARE(trimCells(1), (QStringList{"00:01:30", "00:05:00", "00:03:30"}));

        // A time typed in part: the missing digits count as zeros.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(model()->index(0, colEndTime)).center());
        editor = openEditor();
        QVERIFY(editor);
        QTest::keyClicks(editor, "0002");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(trimCells(0), (QStringList{"00:00:00", "00:02:00", "00:02:00"}));

        // An editor left without a digit posts an empty cell, which becomes zero.
        rows::grid()->SetCell(1, colEndTime, "00:04:00");
        const QModelIndex end = model()->index(1, colEndTime);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(end).center());
        editor = openEditor();
        QVERIFY(editor);
        editor->clear();
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(rows::grid()->Cell(1, colEndTime), QStringLiteral("00:05:00"));
        QCOMPARE(trimCells(1), (QStringList{"00:01:30", "00:05:00", "00:03:30"}));

        // Letters typed over the selected time are refused and leave it whole.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(start).center());
        editor = openEditor();
        QVERIFY(editor);
        QVERIFY(editor->hasSelectedText());
        QTest::keyClicks(editor, "x ");
        QCOMPARE(editor->text(), QStringLiteral("00:01:30"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::qWait(100);
        QCOMPARE(trimCells(1), (QStringList{"00:01:30", "00:05:00", "00:03:30"}));
    }

    // The check column's header is a picture with a name for screen readers.
    void checkHeaderIsAPictureWithAName()
    {
        const QAbstractItemModel *m = model();
        QVERIFY(m->headerData(colCheck, Qt::Horizontal, Qt::DisplayRole).toString().isEmpty());
        QVERIFY(!m->headerData(colCheck, Qt::Horizontal, Qt::DecorationRole).value<QPixmap>().isNull());
        QCOMPARE(m->headerData(colCheck, Qt::Horizontal, Qt::AccessibleTextRole).toString(), QStringLiteral("Convert"));
    }

    void postedText_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("posted");
        QTest::newRow("whole") << "12:34:56"
                               << "12:34:56";
        QTest::newRow("blanks are zeros") << "01:3_:__"
                                          << "01:30:00";
        QTest::newRow("no digit: empty") << "__:__:__" << QString();
        QTest::newRow("blank separators only") << "  :  :  " << QString();
    }
    void postedText()
    {
        QFETCH(QString, shown);
        QFETCH(QString, posted);
        QCOMPARE(TTimeEditDelegate::PostedText(shown), posted);
    }
};

QTEST_MAIN(TestTrimTimes)
#include "tst_trimtimes.moc"
