// The source list: adding files through the open dialog and the "Reading
// file information..." box, measuring them, refusing what cannot be measured,
// drops from the desktop, removing and clearing rows, and the trim bar
// following the list's clicks and keys.

#include "../support/MediaFixtures.h"
#include "../support/ProgramFixture.h"
#include "Code/InitFileForm.h"
#include "Code/Startup.h"
#include "Code/core/TextFormats.h"
#include "SourceRows.h"
#include "ui/PictureButton.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString readingErrorEmpty = QStringLiteral("Files reading error! Please check your files.");
const QString readingErrorRows = QStringLiteral("Files reading error! Please check your files or install a new codec.");

// Watches the "Reading file information..." box: when it showed and hid, and
// where it stood.
class BoxWatch : public QObject {
public:
    explicit BoxWatch(QWidget *box) : m_box(box)
    {
        clock.start();
        box->installEventFilter(this);
    }
    ~BoxWatch() override { m_box->removeEventFilter(this); }

    int shows = 0;
    int hides = 0;
    qint64 shownAt = -1;
    qint64 hiddenAt = -1;
    QRect geometryAtHide;
    QElapsedTimer clock;

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            ++shows;
            shownAt = clock.elapsed();
        } else if (event->type() == QEvent::Hide) {
            ++hides;
            hiddenAt = clock.elapsed();
            geometryAtHide = m_box->geometry();
        }
        return false;
    }

private:
    QWidget *m_box;
};

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The first `share` of a file's bytes.
bool writePrefix(const QString &source, const QString &target, double share)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    return writeBytes(target, in.read(qint64(double(in.size()) * share)));
}

QString settingsInitDir()
{
    return CustomProc->ReadInitDir();
}

// Drags local files from the desktop onto the list and drops them there: the
// list lets them pass to the main window, which takes them.
bool dropOnList(const QStringList &paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    mime.setUrls(urls);
    QWidget *target = rows::grid()->viewport();
    const QPoint at = target->rect().center();
    const int rowsBefore = rows::grid()->RowCount();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    // The files are taken once the drop has completed.
    const int rowsAtDrop = rows::grid()->RowCount();
    QCoreApplication::processEvents();
    return drop.isAccepted() && rowsAtDrop == rowsBefore;
}

// Every row complete, measured and listed once.
void verifyRowsWhole()
{
    QStringList names;
    for (int row = 0; row < rows::grid()->RowCount(); ++row) {
        const QStringList cells = rows::row(row);
        for (const QString &cell : cells)
            QVERIFY2(!cell.isEmpty(), qPrintable(cells.join('|')));
        QVERIFY(cells[colDuration] != QLatin1String("00:00:00"));
        QVERIFY(!names.contains(cells[colFileName]));
        names.append(cells[colFileName]);
    }
}

} // namespace

class TestSourceList : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_program;
    QTemporaryDir m_media;
    QMap<QString, QString> m_clip; // extension -> 2.5-s clip
    QString m_short;               // 0.9 s

    QString copyOfClip(const QString &name, const QString &extension = QStringLiteral(".mp4")) const
    {
        const QString target = m_media.filePath(name);
        QFile::remove(target);
        QDir().mkpath(QFileInfo(target).absolutePath());
        return QFile::copy(m_clip.value(extension), target) ? target : QString();
    }

    void addThroughDialog(const QStringList &names)
    {
        m_program->prompts->openFileAnswers.enqueue(names);
        QTest::mouseClick(FrmMainForm->btnOpenFile, Qt::LeftButton);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_program = std::make_unique<ProgramFixture>();
        FrmMainForm->setAcceptDrops(true); // as the window's first showing does
        FrmMainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(FrmMainForm));
        QVERIFY(m_media.isValid());
        fixtures::ClipSpec clip;
        clip.seconds = 2.5;
        for (const QString &extension : fixtures::acceptedExtensions()) {
            const QString path = fixtures::makeClip(m_media.path(), "clip" + extension, clip);
            QVERIFY2(!path.isEmpty(), qPrintable(extension));
            m_clip.insert(extension, path);
        }
        fixtures::ClipSpec brief;
        brief.seconds = 0.9;
        m_short = fixtures::makeClip(m_media.path(), "short.mp4", brief);
        QVERIFY(!m_short.isEmpty());
    }

    void init()
    {
        rows::resetAll();
        m_program->prompts->messages.clear();
        m_program->prompts->openFileAnswers.clear();
        m_program->prompts->openFolders.clear();
    }

    void gridColumnsAndBehaviour()
    {
        TSourceGrid *grid = rows::grid();
        const QStringList headers{"", "File Name", "File Size", "Duration", "Start Time", "End Time", "Cut Time"};
        QCOMPARE(grid->Model()->columnCount(), 7);
        for (int column = 0; column < 7; ++column)
            QCOMPARE(grid->Model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), headers[column]);
        rows::append("/a.mp4", "00:01:00");
        for (int column = 0; column < 7; ++column) {
            const Qt::ItemFlags flags = grid->Model()->flags(grid->Model()->index(0, column));
            const bool editable = column == colStartTime || column == colEndTime;
            QCOMPARE(bool(flags & Qt::ItemIsEditable), editable);
        }
        QCOMPARE(grid->Model()->index(0, colCheck).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QVERIFY(grid->Model()->setData(grid->Model()->index(0, colCheck), Qt::Unchecked, Qt::CheckStateRole));
        QCOMPARE(grid->Cell(0, colCheck), QStringLiteral("False"));
        QVERIFY(!grid->Model()->setData(grid->Model()->index(0, colDuration), "00:00:09", Qt::EditRole));
        QCOMPARE(grid->Cell(0, colDuration), QStringLiteral("00:01:00"));

        QVERIFY(!grid->header()->sectionsMovable());
        QCOMPARE(grid->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(grid->dragEnabled());
        // Column widths follow the list's width.
        for (int width : {500, 800}) {
            grid->resize(width, grid->height());
            int total = 0;
            for (int column = 0; column < 7; ++column)
                total += grid->columnWidth(column);
            QCOMPARE(total, grid->viewport()->width());
        }
        FrmMainForm->resize(FrmMainForm->size() + QSize(1, 0)); // back to the window's own layout
    }

    void probeEveryAcceptedContainer_data()
    {
        QTest::addColumn<QString>("extension");
        for (const QString &extension : fixtures::acceptedExtensions())
            QTest::newRow(qPrintable(extension)) << extension;
    }
    void probeEveryAcceptedContainer()
    {
        QFETCH(QString, extension);
        const QString path = m_clip.value(extension);
        addThroughDialog({path});

        QCOMPARE(m_program->prompts->texts(), QStringList());
        QCOMPARE(rows::grid()->RowCount(), 1);
        const QString size = FormatFileSize(QFileInfo(path).size());
        QCOMPARE(rows::row(0), (QStringList{"True", path, size, "00:00:02", "00:00:00", "00:00:02", "00:00:02"}));
        // The first row is selected and the trim bar laid out for it.
        QCOMPARE(rows::grid()->SelectedRows(), QList<int>{0});
        QCOMPARE(CustomProc->PlayerState.DurationSeconds, qint64(2));
        QVERIFY(CustomProc->PlayerState.TrimBarReady);
    }

    void rowsKeepTheOrderOfTheDialog()
    {
        const QStringList names{m_clip[".avi"], m_clip[".mov"], m_clip[".flv"]};
        addThroughDialog(names);
        QCOMPARE(rows::column(colFileName), names);
        QCOMPARE(rows::grid()->SelectedRows(), QList<int>{0});
    }

    void upperCaseExtensionAndTwoSpellingsOfOnePath()
    {
        const QString upper = copyOfClip("UPPER.MP4");
        QVERIFY(!upper.isEmpty());
        addThroughDialog({upper});
        const QString otherSpelling = m_media.path() + "/./UPPER.MP4";
        addThroughDialog({otherSpelling});
        QCOMPARE(rows::column(colFileName), (QStringList{upper, otherSpelling}));
        QCOMPARE(rows::column(colDuration), (QStringList{"00:00:02", "00:00:02"}));
        QCOMPARE(m_program->prompts->texts(), QStringList());
    }

    void duplicatesAreSkippedSilently()
    {
        const QString path = m_clip[".mp4"];
        addThroughDialog({path, m_clip[".avi"], path}); // twice in one add
        QCOMPARE(rows::column(colFileName), (QStringList{path, m_clip[".avi"]}));
        addThroughDialog({m_clip[".avi"], path}); // already listed
        QCOMPARE(rows::column(colFileName), (QStringList{path, m_clip[".avi"]}));
        // A drop removes no duplicates itself; the list still takes each name once.
        QVERIFY(dropOnList({m_clip[".mov"], m_clip[".mov"], path}));
        QCOMPARE(rows::column(colFileName), (QStringList{path, m_clip[".avi"], m_clip[".mov"]}));
        QCOMPARE(m_program->prompts->texts(), QStringList());
    }

    // The list forgets the names of rows that are gone.
    void aRemovedFileCanBeAddedAgain_data()
    {
        QTest::addColumn<QString>("how");
        for (const char *how : {"Remove", "Clear", "Delete key", "drag out"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void aRemovedFileCanBeAddedAgain()
    {
        QFETCH(QString, how);
        const QString path = m_clip[".mp4"];
        addThroughDialog({path, m_clip[".avi"]});
        rows::selectOnly({0});
        if (how == "Remove")
            QTest::mouseClick(FrmMainForm->btnRemoveFile, Qt::LeftButton);
        else if (how == "Clear")
            QTest::mouseClick(FrmMainForm->btnClearFile, Qt::LeftButton);
        else if (how == "Delete key")
            QTest::keyClick(rows::grid(), Qt::Key_Delete);
        else
            Q_EMIT rows::grid()->EndDragOutside();
        QVERIFY(!rows::column(colFileName).contains(path));
        addThroughDialog({path, m_clip[".avi"]});
        QCOMPARE(rows::column(colFileName).count(path), 1);
        QCOMPARE(rows::column(colFileName).count(m_clip[".avi"]), 1);
        QCOMPARE(m_program->prompts->texts(), QStringList());
    }

    void namesWithoutAnAcceptedExtensionAreSkippedSilently_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("playable .mkv") << "movie.mkv";
        QTest::newRow("no extension") << "movie";
        QTest::newRow("dot only in the folder") << "folder.mp4/movie";
        QTest::newRow("accepted extension inside the name") << "movie.mp4.txt";
        QTest::newRow("trailing dot") << "movie.";
    }
    void namesWithoutAnAcceptedExtensionAreSkippedSilently()
    {
        QFETCH(QString, name);
        const QString path = copyOfClip(name); // a playable file all the same
        QVERIFY(!path.isEmpty());
        addThroughDialog({path});
        QCOMPARE(rows::grid()->RowCount(), 0);
        QCOMPARE(m_program->prompts->texts(), QStringList());
    }

    void shortFileIsRefused_data()
    {
        QTest::addColumn<bool>("listHasRows");
        QTest::addColumn<QString>("warning");
        QTest::newRow("empty list") << false << readingErrorEmpty;
        QTest::newRow("list with rows") << true << readingErrorRows;
    }
    void shortFileIsRefused()
    {
        QFETCH(bool, listHasRows);
        QFETCH(QString, warning);
        if (listHasRows)
            addThroughDialog({m_clip[".avi"]});
        addThroughDialog({m_short});
        QCOMPARE(m_program->prompts->texts(), QStringList{warning});
        QCOMPARE(m_program->prompts->messages.first().icon, QMessageBox::Warning);
        QCOMPARE(rows::grid()->RowCount(), listHasRows ? 1 : 0);
    }

    // Files that cannot be measured: the reading-error warning, no row, and
    // the names after them are still added.
    void badInput_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind :
             {"text with a media extension", "empty file", "truncated mp4", "deleted after the dialog",
              "folder with a media extension", "named pipe", "unreadable file"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void badInput()
    {
        QFETCH(QString, kind);
        const QString path = m_media.filePath("bad/" + kind.left(5).replace(' ', '_') + ".mp4");
        QDir().mkpath(m_media.filePath("bad"));
        QFile::remove(path);
        QDir(path).removeRecursively();
        if (kind.startsWith("text"))
            QVERIFY(writeBytes(path, "This is not a video, whatever its name says.\n"));
        else if (kind == "empty file")
            QVERIFY(writeBytes(path, {}));
        else if (kind == "truncated mp4")
            QVERIFY(writePrefix(m_clip[".mp4"], path, 0.4));
        else if (kind.startsWith("folder"))
            QVERIFY(QDir().mkpath(path));
        else if (kind == "named pipe") // nobody ever writes to it: reading it would wait for ever
            QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
        else if (kind == "unreadable file") {
            QVERIFY(QFile::copy(m_clip[".mp4"], path));
            QFile::setPermissions(path, QFileDevice::Permissions());
            if (::access(path.toLocal8Bit().constData(), R_OK) == 0)
                QSKIP("This user reads files whatever their permissions say (root).");
        }
        // "deleted after the dialog": the name comes back from the dialog, the file is gone.

        addThroughDialog({path, m_clip[".wmv"]});
        QCOMPARE(m_program->prompts->texts(), QStringList{readingErrorEmpty});
        QCOMPARE(rows::column(colFileName), QStringList{m_clip[".wmv"]});
        verifyRowsWhole();
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // A file cut short may still hold enough for a measurement (a stream
    // container): then it is a whole row with what can be measured, never more
    // than the full length. An MP4 whose index was at its end is refused.
    void truncatedFiles_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("listed");
        for (const char *extension : {".avi", ".mpg", ".flv", ".asf", ".rm"})
            QTest::newRow(extension) << QString::fromLatin1(extension) << true;
        QTest::newRow(".3gp") << QStringLiteral(".3gp") << false;
    }
    void truncatedFiles()
    {
        QFETCH(QString, extension);
        QFETCH(bool, listed);
        const QString path = m_media.filePath("cut" + extension);
        QVERIFY(writePrefix(m_clip[extension], path, 0.6));
        addThroughDialog({path});
        verifyRowsWhole();
        QCOMPARE(rows::grid()->RowCount(), listed ? 1 : 0);
        QCOMPARE(m_program->prompts->texts(), listed ? QStringList() : QStringList{readingErrorEmpty});
        if (listed) {
            qint64 seconds = 0;
            QVERIFY(ReadTimeSplitStrict(rows::grid()->Cell(0, colDuration), seconds));
            QVERIFY2(seconds >= 1 && seconds <= 2, qPrintable(rows::grid()->Cell(0, colDuration)));
        }
    }

    void namesWithBlanksQuotesAndOtherLetters_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("dropped");
        const QString name = QString::fromUtf8("a clip \"quoted\" 'single' ünïcødé 名前 #1%20.mp4");
        QTest::newRow("dialog") << name << false;
        QTest::newRow("drop") << name << true;
    }
    void namesWithBlanksQuotesAndOtherLetters()
    {
        QFETCH(QString, name);
        QFETCH(bool, dropped);
        const QString path = copyOfClip(name);
        QVERIFY(!path.isEmpty());
        if (dropped)
            QVERIFY(dropOnList({path}));
        else
            addThroughDialog({path});
        QCOMPARE(m_program->prompts->texts(), QStringList());
        QCOMPARE(rows::column(colFileName), QStringList{path});
        QCOMPARE(rows::grid()->Cell(0, colDuration), QStringLiteral("00:00:02"));
    }

    void addBoxShowsAndClosesByItselfEvenAfterCancel_data()
    {
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("cancelled") << true;
        QTest::newRow("file chosen") << false;
    }
    void addBoxShowsAndClosesByItselfEvenAfterCancel()
    {
        QFETCH(bool, cancelled);
        rows::append(m_clip[".mov"], "00:00:02");
        BoxWatch watch(FrmInitFileForm);
        if (!cancelled)
            m_program->prompts->openFileAnswers.enqueue({m_clip[".avi"]});
        FrmMainForm->btnOpenFileClick(); // returns once the box has closed

        QCOMPARE(watch.shows, 1);
        QCOMPARE(watch.hides, 1);
        QVERIFY(!FrmInitFileForm->isVisible());
        const qint64 shownFor = watch.hiddenAt - watch.shownAt;
        QVERIFY2(shownFor >= 280 && shownFor < 3000, qPrintable(QString::number(shownFor)));
        QCOMPARE(watch.geometryAtHide.size(), QSize(273, 45));
        QVERIFY(FrmInitFileForm->windowHandle());
        QCOMPARE(FrmInitFileForm->windowHandle()->transientParent(), FrmMainForm->windowHandle());
        // Wayland lets no program place its windows: there the compositor puts
        // the box over the window it belongs to.
        if (QGuiApplication::platformName() != QStringLiteral("wayland")) {
            const QPoint offset = watch.geometryAtHide.center() - FrmMainForm->geometry().center();
            QVERIFY2(offset.manhattanLength() <= 2,
                     qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
        }
        QVERIFY(FrmInitFileForm->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(rows::grid()->RowCount(), cancelled ? 1 : 2);
        // Even after Cancel the first row is selected and the trim bar follows it.
        QCOMPARE(rows::grid()->SelectedRows(), QList<int>{0});
        QVERIFY(CustomProc->PlayerState.TrimBarReady);
        QCOMPARE(m_program->prompts->texts(), QStringList());
    }

    void addBoxAnimation()
    {
        TFrmInitFileForm *box = FrmInitFileForm;
        QCOMPARE(box->lblInfo->text(), QStringLiteral("Reading file information..."));
        QCOMPARE(box->Timer1->interval(), 1000);
        QCOMPARE(box->Timer2->interval(), 300);
        QVERIFY(box->Timer2->isSingleShot());
        QVERIFY(!box->Timer1->isActive() && !box->Timer2->isActive());

        // Keep the box open and let the animation run faster than its second.
        QStringList shown;
        const auto record = connect(box->Timer1, &QTimer::timeout, box, [&] {
            shown.append(box->lblInfo->text());
            if (shown.size() == 5)
                box->accept();
        });
        box->Timer1->setInterval(20);
        QTimer::singleShot(0, box, [box] { box->Timer2->stop(); });
        QTimer::singleShot(5000, box, [box] { box->accept(); }); // in case the animation never runs
        box->SetFileList(nullptr, {}, {});
        box->exec();
        disconnect(record);
        box->Timer1->setInterval(1000);
        QVERIFY(!box->Timer1->isActive());
        const QStringList expected{"Installing File...  /", "Installing File...  -", "Installing File...  \\",
                                   "Installing File...  |", "Installing File...  /"};
        QCOMPARE(shown, expected);

        // The next showing starts again at the first step but keeps the text.
        int stepAtShow = 0;
        QString textAtShow;
        QTimer::singleShot(0, box, [&] {
            stepAtShow = box->AnimationStep;
            textAtShow = box->lblInfo->text();
        });
        FrmMainForm->btnOpenFileClick();
        QCOMPARE(stepAtShow, 1);
        QCOMPARE(textAtShow, expected.last());
    }

    // Only the add timer closes the box: Escape or a close request while it
    // shows must not lose the files.
    void addBoxCannotBeClosedBeforeTheAdd_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Escape") << true;
        QTest::newRow("close request") << false;
    }
    void addBoxCannotBeClosedBeforeTheAdd()
    {
        QFETCH(bool, escape);
        bool stillShown = false;
        QTimer::singleShot(50, FrmInitFileForm, [&] {
            if (escape)
                QTest::keyClick(FrmInitFileForm, Qt::Key_Escape);
            else
                FrmInitFileForm->close();
            stillShown = FrmInitFileForm->isVisible();
        });
        BoxWatch watch(FrmInitFileForm);
        addThroughDialog({m_clip[".mp4"]});
        QVERIFY(stillShown);
        QVERIFY(watch.hiddenAt - watch.shownAt >= 280);
        QCOMPARE(rows::column(colFileName), QStringList{m_clip[".mp4"]});
        QVERIFY(!FrmInitFileForm->isVisible());
    }

    // The open dialog shows each entry's own patterns, and its first entry
    // takes every accepted file in any letter case.
    void dialogFiltersReadAsDescribedAndTakeEveryAcceptedFile()
    {
        addThroughDialog({});
        const QString filter = m_program->prompts->openFilters.last();
        QFileDialog dialog(nullptr, "Open", QString(), filter);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        auto *types = dialog.findChild<QComboBox *>("fileTypeCombo");
        QVERIFY(types);
        QStringList shown;
        for (int i = 0; i < types->count(); ++i)
            shown.append(types->itemText(i));
        QCOMPARE(shown, (QStringList{"Supported Files", "3GP Files (*.3gp)", "AVI Files (*.avi)", "ASF Files (*.asf)",
                                     "MOV Files (*.mov)", "WMV Files (*.wmv)", "MP4 File (*.mp4,*.m4v)",
                                     "MPEG Files (*.mpeg,*.mpg)", "RM Files (*.rm,*.rmvb)"}));

        const QString supported = filter.section(";;", 0, 0);
        const QString patterns = supported.mid(supported.lastIndexOf('(') + 1).chopped(1);
        const auto taken = [&patterns](const QString &name) {
            for (const QString &pattern : patterns.split(' ')) {
                if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern)).match(name).hasMatch())
                    return true;
            }
            return false;
        };
        for (const QString &extension : fixtures::acceptedExtensions()) {
            QVERIFY2(taken("clip" + extension), qPrintable(extension));
            QVERIFY2(taken("CLIP" + extension.toUpper()), qPrintable(extension));
        }
        QVERIFY(!taken("clip.mkv"));
    }

    // In a list of files from one folder each row still shows its own name;
    // the whole path is the cell's tooltip and stays its text.
    void longPathsKeepTheFileNameInSight()
    {
        const QString path = "/home/someone/videos/holidays in the mountains 2026/day three/ft_final_cut.mp4";
        rows::append(path, "00:01:00");
        TSourceGrid *grid = rows::grid();
        grid->resize(700, grid->height());
        const QModelIndex cell = grid->Model()->index(grid->RowCount() - 1, colFileName);
        QCOMPARE(cell.data(Qt::ToolTipRole).toString(), path);
        QCOMPARE(grid->Cell(cell.row(), colFileName), path);
        const int width = grid->columnWidth(colFileName);
        const QString shown = grid->fontMetrics().elidedText(path, grid->textElideMode(), width - 8);
        QVERIFY2(shown.length() < path.length(), qPrintable(shown));
        QVERIFY2(shown.endsWith("ft_final_cut.mp4"), qPrintable(shown));
        QVERIFY2(shown.startsWith("/home"), qPrintable(shown));
        FrmMainForm->resize(FrmMainForm->size() + QSize(1, 0)); // back to the window's own layout
    }

    void initDirFollowsTheDialog()
    {
        QFile::remove(CustomProc->UserSettingsFile());
        FrmMainForm->dlgOpenSourceFile = TOpenDialogState();
        addThroughDialog({});
        QCOMPARE(m_program->prompts->openFolders.last(), DefaultInitDir());
        QVERIFY(!m_program->read("Config/UserSettings.ini").contains("InitDir"));

        const QString inFolder = copyOfClip("picked/clip.mp4");
        addThroughDialog({inFolder});
        const QString folder = m_media.filePath("picked") + "/";
        QCOMPARE(settingsInitDir(), folder);
        QVERIFY(m_program->read("Config/UserSettings.ini").contains("[USRInfo]"));

        addThroughDialog({}); // cancelled: starts in the stored folder and keeps it
        QCOMPARE(m_program->prompts->openFolders.last(), folder);
        QCOMPARE(settingsInitDir(), folder);

        // A drop leaves it alone.
        QVERIFY(dropOnList({m_clip[".avi"]}));
        QCOMPARE(settingsInitDir(), folder);
    }

    void dropAddsFilesWithoutTheBox()
    {
        const QString folderWithExtension = m_media.filePath("dropped.mp4");
        QDir().mkpath(folderWithExtension);
        const QString plainFolder = m_media.filePath("plain folder");
        QDir().mkpath(plainFolder);
        const QString before = settingsInitDir();
        BoxWatch watch(FrmInitFileForm);
        QVERIFY(dropOnList({m_clip[".avi"], folderWithExtension, plainFolder, m_clip[".3gp"]}));
        QCOMPARE(watch.shows, 0);
        QCOMPARE(m_program->prompts->texts(), QStringList());
        QCOMPARE(rows::column(colFileName), (QStringList{m_clip[".avi"], m_clip[".3gp"]}));
        QCOMPARE(rows::grid()->SelectedRows(), QList<int>{0});
        QCOMPARE(settingsInitDir(), before);
        verifyRowsWhole();
    }

    void dropWarnsAboutFilesItCannotMeasure()
    {
        QVERIFY(dropOnList({m_clip[".avi"], m_short}));
        QCOMPARE(m_program->prompts->texts(), QStringList{readingErrorRows});
        QCOMPARE(rows::column(colFileName), QStringList{m_clip[".avi"]});
    }

    void droppedLongNamesAreNeverCut()
    {
        const QString longName = QString(100, 'f') + "/" + QString(100, 'g') + "/" + QString(120, 'n') + ".mp4";
        const QString path = copyOfClip(longName);
        QVERIFY(!path.isEmpty());
        QVERIFY(path.size() > 300);
        QVERIFY(dropOnList({path}));
        QCOMPARE(rows::column(colFileName), QStringList{path});
    }

    // Files named at start ("Open With Movarel" in a file manager, or a
    // terminal) are added as a drop adds them: measured, refused with the
    // same warning, duplicates skipped.
    void filesFromTheCommandLine()
    {
        const QString folder = QFileInfo(m_clip[".avi"]).path();
        const QString relative = QFileInfo(m_clip[".3gp"]).fileName();
        const QStringList files = FilesFromArguments(
            {QUrl::fromLocalFile(m_clip[".avi"]).toString(), relative, m_short, m_clip[".avi"]}, folder);
        QCOMPARE(files, (QStringList{m_clip[".avi"], m_clip[".3gp"], m_short, m_clip[".avi"]}));
        FrmMainForm->OpenFiles(files);
        QCOMPARE(rows::grid()->RowCount(), 0); // once the window is up
        QTRY_COMPARE(rows::column(colFileName), (QStringList{m_clip[".avi"], m_clip[".3gp"]}));
        QCOMPARE(m_program->prompts->texts(), QStringList{readingErrorRows});
        verifyRowsWhole();
    }

    void dropOfSomethingElseIsRefused()
    {
        QMimeData mime;
        mime.setText(QStringLiteral("/tmp/clip.mp4"));
        QWidget *target = rows::grid()->viewport();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(!enter.isAccepted());
        QCOMPARE(rows::grid()->RowCount(), 0);
    }

    // Rows a..e; after the removal the row before the focused one is focused
    // and selected, when it is still there.
    void removalFocusRule_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("focused");
        QTest::addColumn<QString>("left");         // remaining rows
        QTest::addColumn<QString>("focusedAfter"); // empty: none
        QTest::addColumn<QString>("selectedAfter");
        QTest::newRow("middle row") << QList<int>{2} << 2 << "abde"
                                    << "b"
                                    << "b";
        QTest::newRow("first row: no focus afterwards") << QList<int>{0} << 0 << "bcde"
                                                        << ""
                                                        << "";
        QTest::newRow("row before the focused one also removed") << QList<int>{1, 2} << 2 << "ade"
                                                                 << ""
                                                                 << "";
        QTest::newRow("focused row not selected") << QList<int>{0, 1} << 4 << "cde"
                                                  << "d"
                                                  << "d";
        QTest::newRow("scattered selection") << QList<int>{0, 4} << 4 << "bcd"
                                             << "d"
                                             << "d";
        QTest::newRow("no focused row") << QList<int>{1} << -1 << "acde"
                                        << ""
                                        << "";
        QTest::newRow("run holding the row before the focused one") << QList<int>{1, 2, 3} << 4 << "ae"
                                                                    << ""
                                                                    << "";
        QTest::newRow("run after the remembered row") << QList<int>{3, 4} << 1 << "abc"
                                                      << "a"
                                                      << "a";
        QTest::newRow("every row") << QList<int>{0, 1, 2, 3, 4} << 3 << ""
                                   << ""
                                   << "";
        QTest::newRow("nothing selected: nothing happens") << QList<int>{} << 3 << "abcde"
                                                           << "d"
                                                           << "";
    }
    void removalFocusRule()
    {
        QFETCH(QList<int>, selected);
        QFETCH(int, focused);
        QFETCH(QString, left);
        QFETCH(QString, focusedAfter);
        QFETCH(QString, selectedAfter);
        for (QChar name : QStringLiteral("abcde"))
            rows::append(QString(name), "00:01:00");
        rows::grid()->SetFocusedRow(focused);
        rows::selectOnly(selected);
        QCOMPARE(rows::grid()->FocusedRow(), focused);

        CommonLib->RemoveSelectedRows(rows::grid());

        QCOMPARE(rows::column(colFileName).join(QString()), left);
        const int focusRow = rows::grid()->FocusedRow();
        QCOMPARE(focusRow < 0 ? QString() : rows::grid()->Cell(focusRow, colFileName), focusedAfter);
        QString selectedNames;
        for (int row : rows::grid()->SelectedRows())
            selectedNames += rows::grid()->Cell(row, colFileName);
        QCOMPARE(selectedNames, selectedAfter);
    }

    void removeLaysTheBarOutForTheRemainingSelection()
    {
        rows::append("/a.mp4", "00:03:20", "00:00:50", "00:02:30"); // 200 s, 50..150
        rows::append("/b.mp4", "00:01:40");
        rows::grid()->SetFocusedRow(1);
        rows::selectOnly({1});
        QTest::mouseClick(FrmMainForm->btnRemoveFile, Qt::LeftButton);
        QCOMPARE(rows::column(colFileName), QStringList{"/a.mp4"});
        QCOMPARE(rows::grid()->SelectedRows(), QList<int>{0});
        QCOMPARE(CustomProc->PlayerState.DurationSeconds, qint64(200));
        QCOMPARE(FrmMainForm->Panel1->LeftCutWidth(), 56);
        QCOMPARE(FrmMainForm->Panel1->RightCutWidth(), 56);

        // The last row gone: both handles back at their start.
        rows::selectOnly({0});
        QTest::mouseClick(FrmMainForm->btnRemoveFile, Qt::LeftButton);
        QCOMPARE(rows::grid()->RowCount(), 0);
        QCOMPARE(FrmMainForm->Panel1->LeftCutWidth(), 2);
        QCOMPARE(FrmMainForm->Panel1->RightCutWidth(), 2);
    }

    void clearEmptiesTheListAndResetsTheHandles()
    {
        rows::append("/a.mp4", "00:03:20", "00:00:50", "00:02:30");
        rows::append("/b.mp4", "00:01:40");
        rows::selectOnly({0});
        FrmMainForm->SyncTrimBar();
        QCOMPARE(FrmMainForm->Panel1->LeftCutWidth(), 56);
        QTest::mouseClick(FrmMainForm->btnClearFile, Qt::LeftButton);
        QCOMPARE(rows::grid()->RowCount(), 0);
        QCOMPARE(FrmMainForm->Panel1->LeftCutWidth(), 2);
        QCOMPARE(FrmMainForm->Panel1->RightCutWidth(), 2);
        QVERIFY(CommonLib->ClearSourceList(rows::grid())); // an empty list clears too
    }

    void deleteKeyRemovesTheSelectedRows_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("removes");
        QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << true;
        QTest::newRow("Shift+Delete") << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << true;
        QTest::newRow("Ctrl+Alt+Delete") << int(Qt::Key_Delete) << int(Qt::ControlModifier | Qt::AltModifier) << true;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 0 << false;
    }
    void deleteKeyRemovesTheSelectedRows()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, removes);
        rows::append("/a.mp4", "00:01:00");
        rows::append("/b.mp4", "00:01:00");
        rows::append("/c.mp4", "00:01:00");
        rows::grid()->SetFocusedRow(2);
        rows::selectOnly({1, 2});
        QTest::keyClick(rows::grid(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        const QStringList left = removes ? QStringList{"/a.mp4"} : QStringList{"/a.mp4", "/b.mp4", "/c.mp4"};
        QCOMPARE(rows::column(colFileName), left);

        if (removes) { // the last row too: the handles go back to their start
            rows::selectOnly({0});
            QTest::keyClick(rows::grid(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            QCOMPARE(rows::grid()->RowCount(), 0);
            QCOMPARE(FrmMainForm->Panel1->LeftCutWidth(), 2);
            QCOMPARE(FrmMainForm->Panel1->RightCutWidth(), 2);
        }
    }

    void rowDragEndingOutsideRemovesTheSelectedRows()
    {
        rows::append("/a.mp4", "00:01:00");
        rows::append("/b.mp4", "00:01:00");
        rows::append("/c.mp4", "00:01:00");
        rows::selectOnly({0, 2});
        Q_EMIT rows::grid()->EndDragOutside();
        QCOMPARE(rows::column(colFileName), QStringList{"/b.mp4"});
    }

    void clicksAndKeysLayTheTrimBarOut()
    {
        rows::append("/a.mp4", "00:01:40");                         // 100 s, whole
        rows::append("/b.mp4", "00:03:20", "00:00:50", "00:02:30"); // 200 s, 50..150
        rows::append("/c.mp4", "00:03:40", "00:00:55", "00:02:45"); // 220 s, 55..165
        TSourceGrid *grid = rows::grid();
        grid->setFocus();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 1)).center());
        QCOMPARE(grid->SelectedRows(), QList<int>{1});
        QCOMPARE(CustomProc->PlayerState.DurationSeconds, qint64(200));
        QCOMPARE(FrmMainForm->Panel1->LeftCutWidth(), 56);
        QCOMPARE(FrmMainForm->Panel1->RightCutWidth(), 56);

        // Key down sees the old selection, key up the new one.
        QTest::keyPress(grid, Qt::Key_Down);
        QCOMPARE(CustomProc->PlayerState.DurationSeconds, qint64(200));
        QTest::keyRelease(grid, Qt::Key_Down);
        QCOMPARE(grid->SelectedRows(), QList<int>{2});
        QCOMPARE(CustomProc->PlayerState.DurationSeconds, qint64(220));
        QCOMPARE(FrmMainForm->Panel1->LeftCutWidth(), 56);
        QCOMPARE(FrmMainForm->Panel1->RightCutWidth(), 56);

        QTest::keyClick(grid, Qt::Key_Home);
        QCOMPARE(grid->SelectedRows(), QList<int>{0});
        QCOMPARE(CustomProc->PlayerState.DurationSeconds, qint64(100));
        QCOMPARE(FrmMainForm->Panel1->LeftCutWidth(), 1);
        QCOMPARE(FrmMainForm->Panel1->RightCutWidth(), 1);
    }
};

QTEST_MAIN(TestSourceList)
#include "tst_sourcelist.moc"
