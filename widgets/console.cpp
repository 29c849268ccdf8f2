#include "console.h"

#include "consolefindbar.h"
#include "consolelayout.h"
#include "scrollbacklimiter.h"
#include "settingsfile.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonDocument>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextImageFormat>
#include <QTimer>

namespace {

// Scrolling to the cursor at the end leaves the view a few pixels above the
// scroll bar's maximum; within this the view counts as at the bottom.
constexpr int kBottomSlackPx = 8;
// A busy module brings a read every millisecond or so; painting the console
// after each costs more than the reads. Painting at most once a frame of a
// 60 Hz screen looks the same, and leaves room for a late timer within the
// 20 ms in which a read is to be on screen.
constexpr int kPaintIntervalMs = 16;
constexpr int kOverlayMarginPx = 6;

const QLatin1String kTimestampsKey("timestamps");

// The lines of text as the view shows them: CR LF, a lone CR and a lone LF
// each end a paragraph. A break at the very end opens no further line.
template <class Visit> void forEachShownLine(const QString &text, Visit visit)
{
    int start = 0;
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        visit(QStringView(text).mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        visit(QStringView(text).mid(start));
}

QTextCursor endOf(QTextDocument *document)
{
    QTextCursor end(document);
    end.movePosition(QTextCursor::End);
    return end;
}

// Module output is plain text that needs no OpenType shaping, which is most
// of what laying it out costs; Qt still shapes the scripts that need it.
QTextCharFormat plainFormat(QTextCharFormat format)
{
    format.clearProperty(QTextFormat::ObjectType);
    format.setFontStyleStrategy(QFont::PreferNoShaping);
    return format;
}

QString fileNamePart(QString name)
{
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    while (name.startsWith(QLatin1Char('_')))
        name.remove(0, 1);
    return name.isEmpty() ? QStringLiteral("console") : name;
}

} // namespace

Console::Console(QTextEdit *view)
    : QObject(view), view(view), scrollback(new ScrollbackLimiter(view)),
      indicator(new QPushButton(view))
{
    ConsoleLayout::install(view);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, &Console::showContextMenu);
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, &Console::userMovedView);
    connect(view, &QTextEdit::selectionChanged, this, &Console::userMovedView);
    connect(view->document(), &QTextDocument::contentsChange, this, &Console::noteContentsChange);
    view->installEventFilter(this);

    indicator->setObjectName(QStringLiteral("consoleNewLinesIndicator"));
    indicator->setFlat(true);
    indicator->setCursor(Qt::PointingHandCursor);
    indicator->setFocusPolicy(Qt::NoFocus);
    indicator->setAutoFillBackground(true);
    indicator->hide();
    connect(indicator, &QPushButton::clicked, this, &Console::followEnd);

    auto *findShortcut = new QShortcut(QKeySequence::Find, view);
    findShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(findShortcut, &QShortcut::activated, this, &Console::showFindBar);
}

Console::~Console()
{
    stopLog();
}

void Console::setSettingsPath(const QString &path)
{
    settingsPath = path;
    // A missing, unreadable or damaged file means timestamps off.
    const auto settings = atlume::readSettingsObject(path);
    const QJsonValue shown = settings ? settings->value(kTimestampsKey) : QJsonValue();
    timestamps = shown.isBool() && shown.toBool();
}

void Console::setPortName(const QString &name)
{
    if (log && name != portName) {
        writeLogLines(tr("—— 串口 %1，%2 ——")
                          .arg(name, QDateTime::currentDateTime().toString(
                                         QStringLiteral("yyyy-MM-dd HH:mm:ss"))) +
                      QLatin1Char('\n'));
        flushLog();
    }
    portName = name;
}

QString Console::timestampText(const QTime &time)
{
    return QLatin1Char('[') + time.toString(QStringLiteral("HH:mm:ss.zzz")) + QStringLiteral("] ");
}

QString Console::currentStamp() const
{
    return timestamps ? timestampText(QTime::currentTime()) : QString();
}

void Console::beginRead()
{
    holdPainting();
    readStamp = currentStamp();
}

void Console::holdPainting()
{
    if (!view->updatesEnabled())
        return;
    view->setUpdatesEnabled(false);
    // Painted at once: a paint merely posted loses to the next read, which
    // holds painting again, and a flood would keep the view as it was.
    QTimer::singleShot(kPaintIntervalMs, view, [v = view] {
        v->setUpdatesEnabled(true);
        v->repaint();
    });
}

void Console::showReceived(const QString &lines)
{
    if (lines.isEmpty())
        return;
    prepareInsert();
    QTextCursor end = endOf(view->document());
    const QTextCharFormat format = plainFormat(end.charFormat());
    int count = 0;
    // What the log takes: the lines as shown, each ending with LF alone.
    QString shown;
    if (timestamps || log) {
        shown.reserve(lines.size() + (lines.size() / 16 + 1) * readStamp.size());
        forEachShownLine(lines, [&](QStringView line) {
            ++count;
            shown += readStamp;
            shown += line;
            shown += QLatin1Char('\n');
        });
    } else {
        count = int(lines.count(QLatin1Char('\n')));
    }
    if (timestamps) {
        // Stamped lines begin lines of their own, also after a paragraph of
        // the window's that did not end its line.
        if (!end.block().text().isEmpty())
            end.insertBlock(end.blockFormat(), format);
        end.insertText(shown, format);
    } else {
        end.insertText(lines, format);
    }
    finishInsert(count);
    if (log) {
        writeLogLines(shown);
        flushLog();
    }
}

void Console::appendParagraph(const QString &text)
{
    prepareInsert();
    // QTextEdit::append would take text that looks like markup for rich text:
    // a message such as "<b>hot</b>" must show as typed, and an <img> in it
    // must not make the console load a file.
    QTextDocument *document = view->document();
    QTextCursor end = endOf(document);
    QTextCharFormat format = view->currentCharFormat();
    format.clearProperty(QTextFormat::ObjectType);
    if (!document->isEmpty())
        end.insertBlock(end.blockFormat(), format);
    QString shown;
    int count = 0;
    const QString stamp = currentStamp();
    if (timestamps || log) {
        forEachShownLine(text, [&](QStringView line) {
            ++count;
            shown += stamp;
            shown += line;
            shown += QLatin1Char('\n');
        });
    }
    if (timestamps) {
        // The paragraph's own line breaks stay as they were, the last one included.
        QString stamped = shown;
        if (!text.endsWith(QLatin1Char('\n')) && !text.endsWith(QLatin1Char('\r')))
            stamped.chop(1);
        end.insertText(stamped, format);
    } else {
        end.insertText(text, format);
    }
    finishInsert(qMax(1, count));
    if (log) {
        writeLogLines(shown);
        flushLog();
    }
}

void Console::appendPicture(const QString &path)
{
    prepareInsert();
    QTextCursor end = endOf(view->document());
    const QString stamp = currentStamp();
    if (timestamps) {
        if (!end.block().text().isEmpty())
            end.insertBlock();
        end.insertText(stamp, plainFormat(end.charFormat()));
    }
    QTextImageFormat image;
    image.setName(path);
    end.insertImage(image);
    end.insertText(QStringLiteral("\r\n"), QTextCharFormat());
    finishInsert(1);
    if (log) {
        writeLogLines(stamp + tr("[图片 %1]").arg(path) + QLatin1Char('\n'));
        flushLog();
    }
}

bool Console::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view && event->type() == QEvent::Resize)
        placeOverlays();
    return QObject::eventFilter(watched, event);
}

void Console::placeOverlays()
{
    const QRect area = view->viewport()->geometry();
    if (indicator->isVisible()) {
        const QSize size = indicator->sizeHint();
        indicator->setGeometry(area.right() - size.width() - kOverlayMarginPx,
                               area.bottom() - size.height() - kOverlayMarginPx, size.width(),
                               size.height());
        indicator->raise();
    }
    if (findBar && findBar->isVisible()) {
        const QSize size = findBar->sizeHint();
        findBar->setGeometry(area.right() - size.width() - kOverlayMarginPx,
                             area.top() + kOverlayMarginPx, size.width(), size.height());
        findBar->raise();
    }
}

bool Console::atBottom() const
{
    const QScrollBar *bar = view->verticalScrollBar();
    return bar->value() >= bar->maximum() - kBottomSlackPx;
}

void Console::prepareInsert()
{
    // Whether to follow was decided when the user last moved the view or the
    // selection, not from the scroll range now: Qt grows the range ahead of
    // the layout, from an estimate, so an end just scrolled to can look far
    // above the maximum until the layout catches up. Text added at the end
    // moves neither the view nor the line at its top, which is found once
    // after the user has moved the view: finding it is a search from the
    // document's start.
    if (!following && viewTopStale)
        rememberViewTop();
    inserting = true;
}

void Console::finishInsert(int lines)
{
    inserting = false;
    if (following)
        return;
    unseen += lines;
    updateIndicator();
}

void Console::keepView()
{
    if (following)
        view->moveCursor(QTextCursor::End, QTextCursor::MoveAnchor);
    else if (viewTopDropped)
        restoreViewTop();
}

void Console::followEnd()
{
    following = true;
    view->moveCursor(QTextCursor::End, QTextCursor::MoveAnchor);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    unseen = 0;
    updateIndicator();
}

void Console::userMovedView()
{
    if (inserting)
        return;
    following = atBottom() && !view->textCursor().hasSelection();
    if (following) {
        unseen = 0;
        updateIndicator();
    } else {
        viewTopStale = true;
    }
}

void Console::rememberViewTop()
{
    viewTop = view->cursorForPosition(QPoint(0, 0));
    viewTop.movePosition(QTextCursor::StartOfBlock);
    viewTopPosition = viewTop.position();
    const QRectF block = view->document()->documentLayout()->blockBoundingRect(viewTop.block());
    viewTopOffset = view->verticalScrollBar()->value() - int(block.top());
    viewTopDropped = false;
    viewTopStale = false;
}

void Console::noteContentsChange(int position, int charsRemoved, int charsAdded)
{
    Q_UNUSED(charsAdded)
    if (following || viewTop.isNull() || charsRemoved == 0 || position > viewTopPosition)
        return;
    // Text removed above the top of the view, by the scrollback limiter: the
    // view goes with its lines, or to the oldest line kept when they went too.
    if (position + charsRemoved > viewTopPosition)
        viewTopOffset = 0;
    viewTopDropped = true;
}

void Console::restoreViewTop()
{
    viewTopDropped = false;
    if (viewTop.isNull())
        return;
    const QRectF block = view->document()->documentLayout()->blockBoundingRect(viewTop.block());
    const bool wasInserting = inserting;
    inserting = true;
    view->verticalScrollBar()->setValue(int(block.top()) + viewTopOffset);
    inserting = wasInserting;
    viewTopPosition = viewTop.position();
}

void Console::updateIndicator()
{
    const bool show = !following && unseen > 0;
    if (show)
        indicator->setText(tr("↓ %1 行新消息").arg(unseen));
    if (show != indicator->isVisible())
        indicator->setVisible(show);
    if (show)
        placeOverlays();
}

void Console::setTimestampsShown(bool shown)
{
    if (shown == timestamps)
        return;
    timestamps = shown;
    if (settingsPath.isEmpty())
        return;
    QJsonObject settings;
    settings.insert(kTimestampsKey, shown);
    atlume::writeSettingsFile(settingsPath, QJsonDocument(settings).toJson());
}

bool Console::startLog(const QString &path)
{
    stopLog();
    auto *file = new QFile(path, this);
    // Appended to, never emptied: the same file can go on over several
    // sessions. A device or a pipe has no end to append at.
    const QFileInfo info(path);
    const QIODevice::OpenMode mode = info.exists() && !info.isFile()
                                         ? QIODevice::WriteOnly
                                         : QIODevice::WriteOnly | QIODevice::Append;
    if (!file->open(mode)) {
        const QString reason = file->errorString();
        delete file;
        appendParagraph(tr("无法打开记录文件 %1：%2").arg(QDir::toNativeSeparators(path), reason));
        return false;
    }
    log = file;
    return true;
}

void Console::stopLog()
{
    if (!log)
        return;
    QFile *file = log;
    log = nullptr;
    file->close();
    delete file;
}

QString Console::logPath() const
{
    return log ? log->fileName() : QString();
}

void Console::writeLogLines(const QString &text)
{
    if (log && !text.isEmpty() && log->write(text.toUtf8()) < 0)
        logFailed(log->errorString());
}

void Console::flushLog()
{
    // Once a read: what was shown is in the file even if the program or the
    // machine stops right after.
    if (log && !log->flush())
        logFailed(log->errorString());
}

void Console::logFailed(const QString &reason)
{
    const QString path = logPath();
    stopLog();
    appendParagraph(
        tr("写入记录文件 %1 失败，已停止记录：%2").arg(QDir::toNativeSeparators(path), reason));
}

bool Console::saveTo(const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(view->toPlainText().toUtf8()) < 0 ||
        !file.commit()) {
        appendParagraph(
            tr("无法保存到 %1：%2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    return true;
}

bool Console::find(const QString &text, bool backward)
{
    if (text.isEmpty())
        return false;
    // One pass over the raw text, whose positions are the document's, costs
    // far less than QTextDocument::find, which copies every line it passes.
    const QString raw = view->document()->toRawText();
    const QTextCursor current = view->textCursor();
    int at = -1;
    if (backward) {
        const int before = current.selectionStart() - 1;
        if (before >= 0)
            at = raw.lastIndexOf(text, before, Qt::CaseInsensitive);
        if (at < 0)
            at = raw.lastIndexOf(text, -1, Qt::CaseInsensitive);
    } else {
        at = raw.indexOf(text, current.selectionEnd(), Qt::CaseInsensitive);
        if (at < 0)
            at = raw.indexOf(text, 0, Qt::CaseInsensitive);
    }
    if (at < 0)
        return false;
    QTextCursor found(view->document());
    found.setPosition(at);
    found.setPosition(at + text.size(), QTextCursor::KeepAnchor);
    view->setTextCursor(found);
    view->ensureCursorVisible();
    return true;
}

void Console::showFindBar()
{
    if (!findBar) {
        findBar = new ConsoleFindBar(view);
        connect(findBar, &ConsoleFindBar::findRequested, this,
                [this](const QString &text, bool backward) {
                    findBar->setNoMatch(!find(text, backward));
                    // The bar was sized without the status; make room for it.
                    placeOverlays();
                });
        connect(findBar, &ConsoleFindBar::closed, view, [this] { view->setFocus(); });
    }
    findBar->show();
    placeOverlays();
    findBar->activate();
}

QMenu *Console::createContextMenu(const QPoint &position)
{
    const QScrollBar *vertical = view->verticalScrollBar();
    const QScrollBar *horizontal = view->horizontalScrollBar();
    QMenu *menu =
        view->createStandardContextMenu(position + QPoint(horizontal->value(), vertical->value()));
    menu->addSeparator();

    QAction *stamps = menu->addAction(tr("显示时间戳"));
    stamps->setObjectName(QStringLiteral("consoleTimestampsAction"));
    stamps->setCheckable(true);
    stamps->setChecked(timestamps);
    connect(stamps, &QAction::toggled, this, &Console::setTimestampsShown);

    QAction *logging =
        log ? menu->addAction(tr("停止记录（%1）").arg(QFileInfo(log->fileName()).fileName()))
            : menu->addAction(tr("记录到文件…"));
    logging->setObjectName(QStringLiteral("consoleLogAction"));
    connect(logging, &QAction::triggered, this, [this] {
        if (log)
            stopLog();
        else
            chooseLogFile();
    });

    QAction *save = menu->addAction(tr("保存为…"));
    save->setObjectName(QStringLiteral("consoleSaveAction"));
    connect(save, &QAction::triggered, this, &Console::chooseSaveFile);

    QAction *findAction = menu->addAction(tr("查找…"));
    findAction->setObjectName(QStringLiteral("consoleFindAction"));
    findAction->setShortcut(QKeySequence::Find);
    connect(findAction, &QAction::triggered, this, &Console::showFindBar);
    return menu;
}

void Console::showContextMenu(const QPoint &position)
{
    QMenu *menu = createContextMenu(position);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(view->viewport()->mapToGlobal(position));
}

void Console::chooseLogFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name =
        QStringLiteral("atlume-%1-%2.log")
            .arg(fileNamePart(portName),
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    // The file is appended to, so choosing an existing one asks nothing.
    const QString path = QFileDialog::getSaveFileName(
        view, tr("记录到文件"), QDir(folder).filePath(name), tr("记录文件 (*.log);;所有文件 (*)"),
        nullptr, QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty())
        startLog(path);
}

void Console::chooseSaveFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name =
        QStringLiteral("atlume-%1-%2.txt")
            .arg(fileNamePart(portName),
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString path = QFileDialog::getSaveFileName(
        view, tr("保存为"), QDir(folder).filePath(name), tr("文本文件 (*.txt);;所有文件 (*)"));
    if (!path.isEmpty())
        saveTo(path);
}
