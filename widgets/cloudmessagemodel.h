#pragma once

#include "cloudmessages.h"

#include <QAbstractTableModel>
#include <QTimer>
#include <QVector>
#include <deque>

// The messages the module reported from the cloud, one row each, the newest
// kept. Rows arrive in batches, as the console paints its lines, so that a
// flood of messages costs one update of the views every few milliseconds
// rather than one a message.
class CloudMessageModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { TimeColumn, TopicColumn, QosColumn, PayloadColumn, ColumnCount };

    static constexpr int kMaxRows = 10000;
    // However many rows that makes: a flood of long payloads must not take
    // the machine's memory.
    static constexpr qint64 kMaxPayloadBytes = 64 * 1024 * 1024;

    explicit CloudMessageModel(QObject *parent = nullptr);

    // The messages become rows with the next batch.
    void add(const QVector<atlume::CloudMessage> &messages);
    // Makes the waiting messages rows now.
    void addWaiting();
    void clear();

    const atlume::CloudMessage &message(int row) const { return rows.at(size_t(row)); }
    // Every message added since the start, rows dropped or not.
    qint64 addedCount() const { return added; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void dropOldest(qint64 incomingBytes);

    std::deque<atlume::CloudMessage> rows;
    QVector<atlume::CloudMessage> waiting;
    qint64 payloadBytes = 0;
    qint64 added = 0;
    QTimer batch;
};
