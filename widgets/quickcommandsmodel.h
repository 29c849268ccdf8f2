#pragma once

#include "quickcommands.h"

#include <QAbstractTableModel>

// The quick commands as a table the user edits in place: name, command,
// whether it is hex, the delay after it and whether a sequence sends it.
class QuickCommandsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Name, Command, Hex, Delay, InSequence, ColumnCount };

    explicit QuickCommandsModel(QObject *parent = nullptr);

    void setCommands(const QVector<atlume::QuickCommand> &list);
    const QVector<atlume::QuickCommand> &commands() const { return list; }

    // Each returns the row the command is at afterwards.
    int add(const atlume::QuickCommand &command, int at);
    void remove(int row);
    int move(int row, int by);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // The user changed the list: a row added, edited, removed or moved.
    void edited();

private:
    QVector<atlume::QuickCommand> list;
};
