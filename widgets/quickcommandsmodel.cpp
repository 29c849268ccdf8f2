#include "quickcommandsmodel.h"

using atlume::QuickCommand;

QuickCommandsModel::QuickCommandsModel(QObject *parent) : QAbstractTableModel(parent) {}

void QuickCommandsModel::setCommands(const QVector<QuickCommand> &commands)
{
    beginResetModel();
    list = commands;
    endResetModel();
}

int QuickCommandsModel::add(const QuickCommand &command, int at)
{
    const int row = at < 0 || at > list.size() ? list.size() : at;
    beginInsertRows(QModelIndex(), row, row);
    list.insert(row, command);
    endInsertRows();
    emit edited();
    return row;
}

void QuickCommandsModel::remove(int row)
{
    if (row < 0 || row >= list.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    list.remove(row);
    endRemoveRows();
    emit edited();
}

int QuickCommandsModel::move(int row, int by)
{
    const int to = row + by;
    if (row < 0 || row >= list.size() || to < 0 || to >= list.size() || by == 0)
        return row;
    // Qt counts the destination before the move: one further when moving down.
    beginMoveRows(QModelIndex(), row, row, QModelIndex(), by > 0 ? to + 1 : to);
    list.move(row, to);
    endMoveRows();
    emit edited();
    return to;
}

int QuickCommandsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : list.size();
}

int QuickCommandsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant QuickCommandsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= list.size())
        return QVariant();
    const QuickCommand &command = list.at(index.row());
    const bool shown = role == Qt::DisplayRole || role == Qt::EditRole;
    switch (index.column()) {
    case Name:
        return shown ? QVariant(command.name) : QVariant();
    case Command:
        return shown ? QVariant(command.command) : QVariant();
    case Delay:
        return shown ? QVariant(command.delayMs) : QVariant();
    case Hex:
        return role == Qt::CheckStateRole ? QVariant(command.hex ? Qt::Checked : Qt::Unchecked)
                                          : QVariant();
    case InSequence:
        return role == Qt::CheckStateRole
                   ? QVariant(command.inSequence ? Qt::Checked : Qt::Unchecked)
                   : QVariant();
    default:
        return QVariant();
    }
}

bool QuickCommandsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() >= list.size())
        return false;
    QuickCommand &command = list[index.row()];
    const QuickCommand before = command;
    const bool checked = value.toInt() == Qt::Checked;
    switch (index.column()) {
    case Name:
        if (role == Qt::EditRole)
            command.name = value.toString();
        break;
    case Command:
        if (role == Qt::EditRole)
            command.command = value.toString();
        break;
    case Delay:
        if (role == Qt::EditRole)
            command.delayMs = qBound(0, value.toInt(), QuickCommand::kMaxDelayMs);
        break;
    case Hex:
        if (role == Qt::CheckStateRole)
            command.hex = checked;
        break;
    case InSequence:
        if (role == Qt::CheckStateRole)
            command.inSequence = checked;
        break;
    default:
        break;
    }
    if (command == before)
        return false;
    emit dataChanged(index, index);
    emit edited();
    return true;
}

Qt::ItemFlags QuickCommandsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == Hex || index.column() == InSequence)
        return flags | Qt::ItemIsUserCheckable;
    return flags | Qt::ItemIsEditable;
}

QVariant QuickCommandsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Name:
        return tr("名称");
    case Command:
        return tr("指令");
    case Hex:
        return tr("十六进制");
    case Delay:
        return tr("延时（毫秒）");
    case InSequence:
        return tr("顺序发送");
    default:
        return QVariant();
    }
}
