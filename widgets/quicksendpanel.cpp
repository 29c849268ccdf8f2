#include "quicksendpanel.h"

#include "atcommands.h"
#include "quickcommandsmodel.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using atlume::QuickCommand;
using atlume::QuickCommandList;

namespace {
QPushButton *button(const QString &text, const char *name, QWidget *parent)
{
    auto *made = new QPushButton(text, parent);
    made->setObjectName(QLatin1String(name));
    return made;
}
} // namespace

QuickSendPanel::QuickSendPanel(const QString &path, Sender sender, QWidget *parent)
    : QDockWidget(tr("快捷指令"), parent), path(path), sender(std::move(sender)),
      commands(new QuickCommandsModel(this))
{
    setObjectName(QStringLiteral("quickSendDock"));
    auto *contents = new QWidget(this);
    table = new QTableView(contents);
    table->setObjectName(QStringLiteral("quickSendView"));
    table->setModel(commands);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->hide();

    auto *add = button(tr("添加"), "quickSendAdd", contents);
    auto *remove = button(tr("删除"), "quickSendRemove", contents);
    auto *up = button(tr("上移"), "quickSendUp", contents);
    auto *down = button(tr("下移"), "quickSendDown", contents);
    sendButton = button(tr("发送"), "quickSendSend", contents);
    sequenceButton = button(tr("按顺序发送"), "quickSendSequence", contents);
    loopBox = new QCheckBox(tr("循环"), contents);
    loopBox->setObjectName(QStringLiteral("quickSendLoop"));
    stopButton = button(tr("停止"), "quickSendStop", contents);

    auto *editing = new QHBoxLayout;
    for (QWidget *widget : {add, remove, up, down})
        editing->addWidget(widget);
    editing->addStretch();
    auto *sending = new QHBoxLayout;
    for (QWidget *widget :
         {static_cast<QWidget *>(sendButton), static_cast<QWidget *>(sequenceButton),
          static_cast<QWidget *>(loopBox), static_cast<QWidget *>(stopButton)})
        sending->addWidget(widget);
    sending->addStretch();
    auto *layout = new QVBoxLayout(contents);
    layout->addWidget(table);
    layout->addLayout(editing);
    layout->addLayout(sending);
    setWidget(contents);

    connect(add, &QPushButton::clicked, this, &QuickSendPanel::addCommand);
    connect(remove, &QPushButton::clicked, this, &QuickSendPanel::removeSelected);
    connect(up, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveSelected(+1); });
    connect(sendButton, &QPushButton::clicked, this, &QuickSendPanel::sendSelected);
    connect(sequenceButton, &QPushButton::clicked, this, &QuickSendPanel::startSequence);
    connect(stopButton, &QPushButton::clicked, this, &QuickSendPanel::stopSequence);
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &QuickSendPanel::updateButtons);

    nextTimer.setSingleShot(true);
    nextTimer.setTimerType(Qt::PreciseTimer);
    connect(&nextTimer, &QTimer::timeout, this, &QuickSendPanel::sendNext);

    // Only the user's own changes: loading the list is none.
    connect(commands, &QuickCommandsModel::edited, this, &QuickSendPanel::save);
    updateButtons();
}

void QuickSendPanel::load()
{
    stopSequence();
    const QuickCommandList list = atlume::readQuickCommands(path);
    switch (list.source) {
    case QuickCommandList::Source::Missing:
        commands->setCommands(atlume::starterQuickCommands());
        break;
    case QuickCommandList::Source::Read:
        commands->setCommands(list.commands);
        break;
    case QuickCommandList::Source::Unreadable:
        commands->setCommands({});
        emit fileRefused(tr("无法读取快捷指令文件 %1，快捷指令为空；保存新的列表之前不会改动该文件")
                             .arg(QDir::toNativeSeparators(path)));
        break;
    case QuickCommandList::Source::NotAList:
        commands->setCommands({});
        emit fileRefused(
            tr("快捷指令文件 %1 不是快捷指令列表，快捷指令为空；保存新的列表之前不会改动该文件")
                .arg(QDir::toNativeSeparators(path)));
        break;
    }
    updateButtons();
}

void QuickSendPanel::save()
{
    atlume::writeQuickCommands(path, commands->commands());
    updateButtons();
}

int QuickSendPanel::selectedRow() const
{
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void QuickSendPanel::sendSelected()
{
    const int row = selectedRow();
    if (row >= 0)
        sender(commands->commands().at(row));
}

void QuickSendPanel::startSequence()
{
    sequence.clear();
    for (const QuickCommand &command : commands->commands()) {
        if (command.inSequence)
            sequence.append(command);
    }
    if (sequence.isEmpty())
        return;
    running = true;
    next = 0;
    updateButtons();
    sendNext();
}

void QuickSendPanel::stopSequence()
{
    nextTimer.stop();
    running = false;
    updateButtons();
}

void QuickSendPanel::sendNext()
{
    if (!running)
        return;
    if (next >= sequence.size()) {
        if (!loopBox->isChecked()) {
            stopSequence();
            return;
        }
        next = 0;
    }
    const QuickCommand command = sequence.at(next++);
    if (!sender(command)) {
        stopSequence();
        return;
    }
    // The last command's delay runs too: a loop waits it before it starts over.
    if (running)
        nextTimer.start(command.delayMs);
}

void QuickSendPanel::addCommand()
{
    QuickCommand command;
    command.name = tr("新指令");
    command.command = atlume::at::attention();
    const int row = commands->add(command, selectedRow() < 0 ? -1 : selectedRow() + 1);
    table->selectRow(row);
    table->edit(commands->index(row, QuickCommandsModel::Name));
}

void QuickSendPanel::removeSelected()
{
    commands->remove(selectedRow());
}

void QuickSendPanel::moveSelected(int by)
{
    const int row = selectedRow();
    if (row < 0)
        return;
    table->selectRow(commands->move(row, by));
}

void QuickSendPanel::updateButtons()
{
    sendButton->setEnabled(selectedRow() >= 0);
    sequenceButton->setEnabled(!running && !commands->commands().isEmpty());
    stopButton->setEnabled(running);
}
