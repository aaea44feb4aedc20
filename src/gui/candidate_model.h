// The table model behind the two candidate lists: the core's compact rows, texts made on demand.
#pragma once

#include "core/optimise/candidate_list.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>

namespace saxolith
{

class CandidateModel : public QAbstractTableModel
{
    Q_OBJECT
  public:
    // `columnNames` name the twelve columns (header data under Qt::UserRole).
    CandidateModel(const QStringList &columnNames, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;

    [[nodiscard]] const CandidateList &list() const { return m_list; }
    void setList(CandidateList list);
    void clear() { setList({}); }

    // Runs a change of the row order only (a sort or a reversal); persistent indexes follow their
    // candidates, which a list keeps unique by their run numbers.
    void reorder(const std::function<void(CandidateList &)> &change);

  private:
    CandidateList m_list;
    QStringList m_headers;
    QStringList m_columnNames;
};

} // namespace saxolith
