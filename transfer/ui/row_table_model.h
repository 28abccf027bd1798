#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <utility>

namespace transfer {

// A read-only grid model over a list of plain rows: one column per
// (heading, text of a row) pair; amounts align right. Colours come from
// an optional rule per row.
template <typename Row> class RowTableModel : public QAbstractTableModel
{
public:
    struct Column
    {
        QString heading;
        std::function<QString(const Row&)> text;
        bool rightAligned = false;
    };
    // Background and text colour of a row; invalid variants for the default.
    using RowColours = std::function<std::pair<QVariant, QVariant>(const Row&)>;
    // The tooltip of a row's cells; empty for none.
    using RowTip = std::function<QString(const Row&)>;

    RowTableModel(QList<Column> columns, QObject* parent)
        : QAbstractTableModel(parent), m_columns(std::move(columns))
    {
    }

    void setRows(QList<Row> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    const QList<Row>& rows() const { return m_rows; }
    // The row at `index`, or nullptr outside the rows.
    const Row* rowAt(int index) const
    {
        return index >= 0 && index < m_rows.size() ? &m_rows[index] : nullptr;
    }
    void setColours(RowColours colours)
    {
        m_colours = std::move(colours);
        refresh();
    }
    void setToolTips(RowTip tip) { m_tip = std::move(tip); }
    // Redraws every row, for a colour rule that depends on the screen's mode.
    void refresh()
    {
        if (!m_rows.isEmpty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_columns.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_rows.size())
            return {};
        const Row& row = m_rows[index.row()];
        const Column& c = m_columns[index.column()];
        switch (role) {
        case Qt::DisplayRole:
            return c.text(row);
        case Qt::TextAlignmentRole:
            return int((c.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            return m_colours ? m_colours(row).first : QVariant();
        case Qt::ForegroundRole:
            return m_colours ? m_colours(row).second : QVariant();
        case Qt::ToolTipRole: {
            const QString tip = m_tip ? m_tip(row) : QString();
            return tip.isEmpty() ? QVariant() : QVariant(tip);
        }
        default:
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Horizontal && role == Qt::DisplayRole && section < m_columns.size())
            return m_columns[section].heading;
        return QAbstractTableModel::headerData(section, o, role);
    }

private:
    QList<Column> m_columns;
    QList<Row> m_rows;
    RowColours m_colours;
    RowTip m_tip;
};

} // namespace transfer
