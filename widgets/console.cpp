#include "console.h"

#include "consoleformats.h"
#include "consolehexview.h"
#include "consolelayout.h"
#include "linestamps.h"
#include "replycolours.h"
#include "scrollbacklimiter.h"

#include <QDateTime>
#include <QDir>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextImageFormat>
#include <QTimer>

namespace {

// A busy module brings a read every millisecond or so; painting the console
// after each costs more than the reads. Painting at most this often looks
// the same, and leaves room for a late timer and the paint itself within the
// 20 ms in which a read is to be on screen.
constexpr int kPaintIntervalMs = 10;

const QString kTimestampsKey = QStringLiteral("timestamps");
const QString kHexKey = QStringLiteral("hexView");
const QString kHighlightKey = QStringLiteral("highlightReplies");

bool endsWithBreak(const QString &text)
{
    return text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'));
}

QTextCursor endOf(QTextDocument *document)
{
    QTextCursor end(document);
    end.movePosition(QTextCursor::End);
    return end;
}

} // namespace

Console::Console(QTextEdit *view)
    : QObject(view), view(view), scrollback(new ScrollbackLimiter(view)),
      follower(new ConsoleFollower(view)), finder(new ConsoleFind(view)),
      menu(new ConsoleMenu(this, view)), hexView(new ConsoleHexView(view))
{
    ConsoleLayout::install(view);
}

Console::~Console() = default;

void Console::useChoices(atlume::UserChoices *userChoices)
{
    choices = userChoices;
    timestamps = choices->flag(kTimestampsKey);
    hex = choices->flag(kHexKey);
    highlighted = choices->flag(kHighlightKey);
}

void Console::setPortName(const QString &name)
{
    if (log.isOpen() && name != port) {
        writeLog(tr("—— 串口 %1，%2 ——")
                     .arg(name, QDateTime::currentDateTime().toString(
                                    QStringLiteral("yyyy-MM-dd HH:mm:ss"))) +
                 QLatin1Char('\n'));
    }
    port = name;
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
    hexRead = hex;
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

void Console::showReceivedBytes(const QByteArray &bytes)
{
    if (!hexRead || bytes.isEmpty())
        return;
    follower->beginInsert();
    const QTextCharFormat format =
        atlume::consoleformats::plain(endOf(view->document()).charFormat());
    const ConsoleHexView::Shown shown = hexView->show(
        bytes, readStamp, atlume::consoleformats::hex(format, view->document()->defaultFont()));
    follower->endInsert(shown.addedLines);
    writeLog(shown.finishedRows);
}

void Console::showReceived(const QString &lines)
{
    if (lines.isEmpty() || hexRead)
        return;
    if (!timestamps && !log.isOpen() && !highlighted) {
        insertAtEnd({{lines, QColor()}}, false, int(lines.count(QLatin1Char('\n'))));
        return;
    }
    int count = 0;
    const QString shown = atlume::stampedLines(lines, readStamp, &count);
    if (!highlighted) {
        // Stamped lines begin lines of their own, also after a paragraph of
        // the window's that did not end its line.
        insertAtEnd({{timestamps ? shown : lines, QColor()}}, timestamps, count);
    } else {
        // Stamped run by run, which gives the same text as all lines at once:
        // every run ends with a line break.
        auto runs = atlume::replycolours::runs(lines, view->palette());
        if (timestamps) {
            int runLines = 0;
            for (atlume::replycolours::Run &run : runs)
                run.lines = atlume::stampedLines(run.lines, readStamp, &runLines);
        }
        insertAtEnd(runs, timestamps, timestamps ? count : int(lines.count(QLatin1Char('\n'))));
    }
    writeLog(shown);
}

void Console::appendParagraph(const QString &text)
{
    // QTextEdit::append would take text that looks like markup for rich text:
    // a message such as "<b>hot</b>" must show as typed, and an <img> in it
    // must not make the console load a file.
    int count = 0;
    QString shown;
    if (timestamps || log.isOpen())
        shown = atlume::stampedLines(text, currentStamp(), &count);
    QString inserted = text;
    if (timestamps) {
        // The paragraph's own line breaks stay as they were, the last one included.
        inserted = shown;
        if (!endsWithBreak(text))
            inserted.chop(1);
    }
    follower->beginInsert();
    QTextDocument *document = view->document();
    QTextCursor end = endOf(document);
    const QTextCharFormat format = atlume::consoleformats::own(view->currentCharFormat());
    if (!document->isEmpty())
        end.insertBlock(end.blockFormat(), format);
    end.insertText(inserted, format);
    follower->endInsert(qMax(1, count));
    writeLog(shown);
}

void Console::appendPicture(const QString &path)
{
    const QString stamp = currentStamp();
    follower->beginInsert();
    QTextCursor end = endOf(view->document());
    if (timestamps) {
        if (!end.block().text().isEmpty())
            end.insertBlock();
        end.insertText(stamp, atlume::consoleformats::plain(end.charFormat()));
    }
    QTextImageFormat image;
    image.setName(path);
    end.insertImage(image);
    end.insertText(QStringLiteral("\r\n"), QTextCharFormat());
    follower->endInsert(1);
    writeLog(stamp + tr("[图片 %1]").arg(path) + QLatin1Char('\n'));
}

void Console::showSent(const QString &line)
{
    int count = 0;
    const QString shown = atlume::stampedLines(QStringLiteral("→ ") + line, currentStamp(), &count);
    insertAtEnd({{shown, atlume::consoleformats::sentColour()}}, true, count);
    writeLog(shown);
}

void Console::insertAtEnd(const QVector<atlume::replycolours::Run> &runs, bool ownLine, int lines)
{
    follower->beginInsert();
    QTextCursor end = endOf(view->document());
    const QTextCharFormat format = atlume::consoleformats::plain(end.charFormat());
    // Runs in colours of their own go in as one change of the document.
    const bool inSteps = runs.size() > 1;
    if (inSteps)
        end.beginEditBlock();
    if (ownLine && !end.block().text().isEmpty())
        end.insertBlock(end.blockFormat(), format);
    for (const atlume::replycolours::Run &run : runs) {
        if (!run.colour.isValid()) {
            end.insertText(run.lines, format);
            continue;
        }
        QTextCharFormat coloured = format;
        coloured.setForeground(run.colour);
        end.insertText(run.lines, coloured);
    }
    if (inSteps)
        end.endEditBlock();
    follower->endInsert(lines);
}

// The console's own reports about its files are lines of their own, ended,
// so that what the module sends next does not run on from them.
void Console::writeLog(const QString &text)
{
    if (!log.isOpen())
        return;
    const QString path = log.path();
    if (log.write(text))
        return;
    const QString reason = log.failure() == atlume::ConsoleLog::Failure::Removed
                               ? tr("文件已被删除")
                               : log.errorString();
    appendParagraph(
        tr("写入记录文件 %1 失败，已停止记录：%2").arg(QDir::toNativeSeparators(path), reason) +
        QLatin1Char('\n'));
}

void Console::setTimestampsShown(bool shown)
{
    if (shown == timestamps)
        return;
    timestamps = shown;
    choices->setFlag(kTimestampsKey, shown);
}

void Console::setHexShown(bool shown)
{
    if (shown == hex)
        return;
    hex = shown;
    choices->setFlag(kHexKey, shown);
    // The row being filled stays as it is; text goes on below it.
    if (!shown)
        writeLog(hexView->endRow());
}

void Console::setRepliesHighlighted(bool on)
{
    if (on == highlighted)
        return;
    highlighted = on;
    choices->setFlag(kHighlightKey, on);
}

bool Console::startLog(const QString &path)
{
    if (log.start(path))
        return true;
    appendParagraph(
        tr("无法打开记录文件 %1：%2").arg(QDir::toNativeSeparators(path), log.errorString()) +
        QLatin1Char('\n'));
    return false;
}

void Console::stopLog()
{
    log.stop();
}

bool Console::saveTo(const QString &path)
{
    QString error;
    if (atlume::saveConsoleText(path, view->toPlainText(), &error))
        return true;
    appendParagraph(tr("无法保存到 %1：%2").arg(QDir::toNativeSeparators(path), error) +
                    QLatin1Char('\n'));
    return false;
}
