#include "gui/candidate_model.h"

#include "gui/window_language.h"

#include "core/optimise/option_grid.h"

#include <algorithm>

namespace saxolith
{

namespace
{
// The remark column reads from the left; every other column is centred.
constexpr int remarkColumn = 11;
} // namespace

CandidateModel::CandidateModel(const QStringList &columnNames, QObject *parent)
    : QAbstractTableModel(parent), m_columnNames(columnNames)
{
    for (int column = 0; column < candidateColumns; ++column) {
        m_headers << QString();
    }
}

int CandidateModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_list.size());
}

int CandidateModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : candidateColumns;
}

QVariant CandidateModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return shownText(m_list.cell(static_cast<std::size_t>(index.row()), index.column()));
    case Qt::TextAlignmentRole:
        return index.column() == remarkColumn ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                              : QVariant(Qt::AlignCenter);
    default:
        return {};
    }
}

QVariant CandidateModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= candidateColumns) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return m_headers.at(section);
    }
    if (role == Qt::UserRole && section < m_columnNames.size()) {
        return m_columnNames.at(section);
    }
    return {};
}

bool CandidateModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= candidateColumns ||
        (role != Qt::EditRole && role != Qt::DisplayRole)) {
        return false;
    }
    m_headers[section] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags CandidateModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void CandidateModel::setList(CandidateList list)
{
    beginResetModel();
    m_list = std::move(list);
    endResetModel();
}

void CandidateModel::reorder(const std::function<void(CandidateList &)> &change)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> numbers;
    numbers.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex &index : before) {
        numbers.push_back(m_list.row(static_cast<std::size_t>(index.row())).number);
    }

    change(m_list);

    // Only the few indexes the views hold (current, selection) are looked up again: one pass that
    // compares each row's number with the few wanted and stops once all are found.
    QModelIndexList after;
    after.reserve(before.size());
    if (!before.isEmpty()) {
        std::vector<std::uint32_t> wanted = numbers;
        std::sort(wanted.begin(), wanted.end());
        wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
        std::vector<int> foundAt(wanted.size(), -1);
        std::size_t left = wanted.size();
        for (std::size_t row = 0; row < m_list.size() && left > 0; ++row) {
            const std::uint32_t number = m_list.row(row).number;
            const auto at = std::lower_bound(wanted.begin(), wanted.end(), number);
            if (at != wanted.end() && *at == number) {
                int &place = foundAt[static_cast<std::size_t>(at - wanted.begin())];
                if (place < 0) {
                    place = static_cast<int>(row);
                    --left;
                }
            }
        }
        for (qsizetype i = 0; i < before.size(); ++i) {
            const std::uint32_t number = numbers[static_cast<std::size_t>(i)];
            const auto at = std::lower_bound(wanted.begin(), wanted.end(), number);
            const int row = foundAt[static_cast<std::size_t>(at - wanted.begin())];
            after << (row < 0 ? QModelIndex() : index(row, before[i].column()));
        }
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace saxolith
