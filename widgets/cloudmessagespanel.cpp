#include "cloudmessagespanel.h"

#include "cloudmessagemodel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {
constexpr int kTimeColumnWidth = 100;
constexpr int kTopicColumnWidth = 200;
constexpr int kQosColumnWidth = 40;
constexpr int kTableStretch = 3;
} // namespace

CloudMessagesPanel::CloudMessagesPanel(QMainWindow *window)
    : QObject(window), window(window), messages(new CloudMessageModel(this)),
      toggle(new QAction(tr("云端消息"), this))
{
    toggle->setObjectName(QStringLiteral("consoleCloudMessagesAction"));
    toggle->setCheckable(true);
    connect(toggle, &QAction::toggled, this, &CloudMessagesPanel::setShown);
}

void CloudMessagesPanel::take(const QByteArray &bytes)
{
    const QVector<atlume::CloudMessage> found = reader.feed(bytes);
    if (!found.isEmpty())
        messages->add(found);
}

QString CloudMessagesPanel::payloadText(const QByteArray &payload)
{
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(payload, &error);
    if (error.error == QJsonParseError::NoError && !json.isNull())
        return QString::fromUtf8(json.toJson(QJsonDocument::Indented));
    return QString::fromUtf8(payload.constData(), payload.size());
}

void CloudMessagesPanel::setShown(bool shown)
{
    if (!dock && !shown)
        return;
    if (!dock)
        build();
    dock->setVisible(shown);
}

// The panel is made when it is first shown: until then the window is the
// one it always was.
void CloudMessagesPanel::build()
{
    dock = new QDockWidget(tr("云端消息"), window);
    dock->setObjectName(QStringLiteral("cloudMessagesDock"));
    auto *content = new QWidget(dock);

    auto *filter = new QLineEdit(content);
    filter->setObjectName(QStringLiteral("cloudMessagesFilter"));
    filter->setPlaceholderText(tr("按主题筛选"));
    filter->setClearButtonEnabled(true);
    auto *clear = new QPushButton(tr("清空"), content);
    clear->setObjectName(QStringLiteral("cloudMessagesClear"));

    filtered = new QSortFilterProxyModel(this);
    filtered->setSourceModel(messages);
    filtered->setFilterKeyColumn(CloudMessageModel::TopicColumn);
    connect(filter, &QLineEdit::textChanged, filtered,
            &QSortFilterProxyModel::setFilterFixedString);

    auto *splitter = new QSplitter(Qt::Vertical, content);
    table = new QTableView(splitter);
    table->setObjectName(QStringLiteral("cloudMessagesView"));
    table->setModel(filtered);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    // Rows of one height need no measuring, however many arrive.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setColumnWidth(CloudMessageModel::TimeColumn, kTimeColumnWidth);
    table->setColumnWidth(CloudMessageModel::TopicColumn, kTopicColumnWidth);
    table->setColumnWidth(CloudMessageModel::QosColumn, kQosColumnWidth);

    auto *copy = new QAction(tr("复制内容"), table);
    copy->setObjectName(QStringLiteral("cloudMessagesCopyAction"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &CloudMessagesPanel::copySelected);
    table->addAction(copy);
    table->setContextMenuPolicy(Qt::ActionsContextMenu);

    details = new QPlainTextEdit(splitter);
    details->setObjectName(QStringLiteral("cloudMessagePayload"));
    details->setReadOnly(true);
    splitter->setStretchFactor(0, kTableStretch);
    splitter->setStretchFactor(1, 1);

    auto *bar = new QHBoxLayout;
    bar->addWidget(filter);
    bar->addWidget(clear);
    auto *layout = new QVBoxLayout(content);
    layout->addLayout(bar);
    layout->addWidget(splitter);
    dock->setWidget(content);

    connect(clear, &QPushButton::clicked, this, [this] {
        messages->clear();
        details->clear();
    });
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CloudMessagesPanel::showSelected);
    // Like the console, the table follows its end only while the user is at
    // the bottom and has nothing selected; otherwise the rows in view stay
    // in view as the oldest go.
    connect(filtered, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this] { following = atEnd() && !table->selectionModel()->hasSelection(); });
    connect(filtered, &QAbstractItemModel::rowsInserted, this, [this] {
        if (following)
            table->scrollToBottom();
    });
    connect(filtered, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] {
        following = atEnd() && !table->selectionModel()->hasSelection();
        viewTop = table->verticalScrollBar()->value();
    });
    connect(filtered, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) {
                if (first == 0 && !following)
                    table->verticalScrollBar()->setValue(viewTop - (last - first + 1));
            });
    connect(dock->toggleViewAction(), &QAction::toggled, toggle, &QAction::setChecked);
    window->addDockWidget(Qt::BottomDockWidgetArea, dock);
    table->scrollToBottom();
}

bool CloudMessagesPanel::atEnd() const
{
    const QScrollBar *bar = table->verticalScrollBar();
    return bar->value() >= bar->maximum();
}

int CloudMessagesPanel::selectedRow() const
{
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : filtered->mapToSource(rows.first()).row();
}

void CloudMessagesPanel::showSelected()
{
    const int row = selectedRow();
    details->setPlainText(row < 0 ? QString() : payloadText(messages->message(row).payload));
}

void CloudMessagesPanel::copySelected()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const QByteArray &payload = messages->message(row).payload;
    QApplication::clipboard()->setText(QString::fromUtf8(payload.constData(), payload.size()));
}
