#include "consolemenu.h"

#include "console.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextEdit>

namespace {

QString fileNamePart(QString name)
{
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    while (name.startsWith(QLatin1Char('_')))
        name.remove(0, 1);
    return name.isEmpty() ? QStringLiteral("console") : name;
}

// A file for the console's text, offered in the documents folder under a
// name made of the port and the time.
QString chooseFile(QWidget *parent, const QString &title, const QString &portName,
                   const QString &suffix, const QString &filter, QFileDialog::Options options)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name =
        QStringLiteral("atlume-%1-%2.%3")
            .arg(fileNamePart(portName),
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")), suffix);
    return QFileDialog::getSaveFileName(parent, title, QDir(folder).filePath(name), filter, nullptr,
                                        options);
}

} // namespace

ConsoleMenu::ConsoleMenu(Console *console, QTextEdit *view)
    : QObject(console), console(console), view(view)
{
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, &ConsoleMenu::popUp);
}

QMenu *ConsoleMenu::create(const QPoint &position)
{
    const QScrollBar *vertical = view->verticalScrollBar();
    const QScrollBar *horizontal = view->horizontalScrollBar();
    QMenu *menu =
        view->createStandardContextMenu(position + QPoint(horizontal->value(), vertical->value()));
    menu->addSeparator();

    QAction *stamps = menu->addAction(tr("显示时间戳"));
    stamps->setObjectName(QStringLiteral("consoleTimestampsAction"));
    stamps->setCheckable(true);
    stamps->setChecked(console->timestampsShown());
    connect(stamps, &QAction::toggled, console, &Console::setTimestampsShown);

    QAction *hex = menu->addAction(tr("十六进制显示"));
    hex->setObjectName(QStringLiteral("consoleHexAction"));
    hex->setCheckable(true);
    hex->setChecked(console->hexShown());
    connect(hex, &QAction::toggled, console, &Console::setHexShown);

    QAction *highlight = menu->addAction(tr("高亮应答"));
    highlight->setObjectName(QStringLiteral("consoleHighlightAction"));
    highlight->setCheckable(true);
    highlight->setChecked(console->repliesHighlighted());
    connect(highlight, &QAction::toggled, console, &Console::setRepliesHighlighted);

    const QString logPath = console->logPath();
    QAction *logging =
        logPath.isEmpty()
            ? menu->addAction(tr("记录到文件…"))
            : menu->addAction(tr("停止记录（%1）").arg(QFileInfo(logPath).fileName()));
    logging->setObjectName(QStringLiteral("consoleLogAction"));
    connect(logging, &QAction::triggered, this, [this] {
        if (console->logPath().isEmpty())
            chooseLogFile();
        else
            console->stopLog();
    });

    QAction *save = menu->addAction(tr("保存为…"));
    save->setObjectName(QStringLiteral("consoleSaveAction"));
    connect(save, &QAction::triggered, this, &ConsoleMenu::chooseSaveFile);

    QAction *findAction = menu->addAction(tr("查找…"));
    findAction->setObjectName(QStringLiteral("consoleFindAction"));
    findAction->setShortcut(QKeySequence::Find);
    connect(findAction, &QAction::triggered, console, &Console::showFindBar);
    for (QAction *action : qAsConst(extra))
        menu->addAction(action);
    return menu;
}

void ConsoleMenu::popUp(const QPoint &position)
{
    QMenu *menu = create(position);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(view->viewport()->mapToGlobal(position));
}

void ConsoleMenu::chooseLogFile()
{
    // The file is appended to, so choosing an existing one asks nothing.
    const QString path =
        chooseFile(view, tr("记录到文件"), console->portName(), QStringLiteral("log"),
                   tr("记录文件 (*.log);;所有文件 (*)"), QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty())
        console->startLog(path);
}

void ConsoleMenu::chooseSaveFile()
{
    const QString path = chooseFile(view, tr("保存为"), console->portName(), QStringLiteral("txt"),
                                    tr("文本文件 (*.txt);;所有文件 (*)"), {});
    if (!path.isEmpty())
        console->saveTo(path);
}
