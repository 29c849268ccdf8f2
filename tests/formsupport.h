#pragma once

#include <QByteArray>
#include <QGridLayout>
#include <QMetaType>
#include <QtTest>

// Where an item sits in its grid, as the form gives it: row, column and the
// two spans. Compared whole, so that a failure shows all four.
struct GridCell {
    int row = -1;
    int column = -1;
    int rowSpan = -1;
    int columnSpan = -1;

    bool operator==(const GridCell &other) const
    {
        return row == other.row && column == other.column && rowSpan == other.rowSpan &&
               columnSpan == other.columnSpan;
    }
};

Q_DECLARE_METATYPE(GridCell)

namespace QTest {
template <> inline char *toString(const GridCell &cell)
{
    return qstrdup(QByteArray("GridCell{" + QByteArray::number(cell.row) + ", " +
                              QByteArray::number(cell.column) + ", " +
                              QByteArray::number(cell.rowSpan) + ", " +
                              QByteArray::number(cell.columnSpan) + "}")
                       .constData());
}
} // namespace QTest

// The cell of the grid's item at index; a cell of -1s for an index outside the grid.
inline GridCell cellAt(QGridLayout *grid, int index)
{
    GridCell cell;
    if (index >= 0 && index < grid->count())
        grid->getItemPosition(index, &cell.row, &cell.column, &cell.rowSpan, &cell.columnSpan);
    return cell;
}

inline GridCell cellOf(QGridLayout *grid, QWidget *widget)
{
    return cellAt(grid, grid->indexOf(widget));
}
