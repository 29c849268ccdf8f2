#include "cloudmessagemodel.h"

namespace {

// As often as the console paints what arrives.
constexpr int kBatchIntervalMs = 20;
// The table shows the beginning of a payload; the whole one shows beside it.
constexpr int kPreviewBytes = 300;

QString preview(const QByteArray &payload)
{
    QString text =
        QString::fromUtf8(payload.constData(), qMin<qsizetype>(payload.size(), kPreviewBytes));
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

CloudMessageModel::CloudMessageModel(QObject *parent) : QAbstractTableModel(parent)
{
    batch.setSingleShot(true);
    batch.setInterval(kBatchIntervalMs);
    connect(&batch, &QTimer::timeout, this, &CloudMessageModel::addWaiting);
}

void CloudMessageModel::add(const QVector<atlume::CloudMessage> &messages)
{
    waiting += messages;
    added += messages.size();
    if (!batch.isActive())
        batch.start();
}

void CloudMessageModel::addWaiting()
{
    batch.stop();
    if (waiting.isEmpty())
        return;
    // Of a batch larger than the table, only its newest can stay; the newest
    // one always does.
    int keepFrom = int(waiting.size()) - 1;
    qint64 incomingBytes = waiting.last().payload.size();
    while (keepFrom > 0 && int(waiting.size()) - keepFrom < kMaxRows &&
           incomingBytes + waiting.at(keepFrom - 1).payload.size() <= kMaxPayloadBytes) {
        --keepFrom;
        incomingBytes += waiting.at(keepFrom).payload.size();
    }
    waiting.erase(waiting.begin(), waiting.begin() + keepFrom);
    dropOldest(incomingBytes);

    const int first = int(rows.size());
    beginInsertRows(QModelIndex(), first, first + int(waiting.size()) - 1);
    for (atlume::CloudMessage &message : waiting)
        rows.push_back(std::move(message));
    payloadBytes += incomingBytes;
    endInsertRows();
    waiting.clear();
}

void CloudMessageModel::dropOldest(qint64 incomingBytes)
{
    int count = 0;
    qint64 bytes = payloadBytes + incomingBytes;
    const int total = int(rows.size()) + int(waiting.size());
    while (count < int(rows.size()) && (total - count > kMaxRows || bytes > kMaxPayloadBytes)) {
        bytes -= rows.at(size_t(count)).payload.size();
        ++count;
    }
    if (count == 0)
        return;
    beginRemoveRows(QModelIndex(), 0, count - 1);
    rows.erase(rows.begin(), rows.begin() + count);
    payloadBytes = bytes - incomingBytes;
    endRemoveRows();
}

void CloudMessageModel::clear()
{
    beginResetModel();
    rows.clear();
    waiting.clear();
    payloadBytes = 0;
    endResetModel();
}

int CloudMessageModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows.size());
}

int CloudMessageModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CloudMessageModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= int(rows.size()))
        return QVariant();
    const atlume::CloudMessage &message = rows.at(size_t(index.row()));
    switch (index.column()) {
    case TimeColumn:
        return message.arrived.toString(QStringLiteral("HH:mm:ss.zzz"));
    case TopicColumn:
        return message.topic;
    case QosColumn:
        return message.qos < 0 ? QString() : QString::number(message.qos);
    case PayloadColumn:
        return preview(message.payload);
    default:
        return QVariant();
    }
}

QVariant CloudMessageModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TimeColumn:
        return tr("时间");
    case TopicColumn:
        return tr("主题");
    case QosColumn:
        return QStringLiteral("QoS");
    case PayloadColumn:
        return tr("内容");
    default:
        return QVariant();
    }
}
