#pragma once

#include "transfer/batches.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace transfer {

// A saved group (row of GroupAp1): the template a batch is made from each
// month. Its lines live in GroupAp2 (TransferLines with LineTable::Group).
struct TransferGroup : TransferHead
{
    TransferGroup() : TransferHead(QStringLiteral("11"), BatchState::Unset) {}

    QString GroupName;
    QString GiganName; // of the institution GiganID10 names

    // The number and date the line operations need.
    TransferBatch lineHead() const;
};

enum class GroupOrder { None, Name, Institution };

enum class GroupField { None, Name, Institution, Password };

using GroupSave = shell::SaveOutcome<GroupField>;

// A group matches when its name begins with `name` and, with an
// institution chosen, its institution code is that one.
struct GroupSearch
{
    QString name;
    QString giganId;

    bool matches(const TransferGroup& g) const;
};
int FindGroup(const QList<TransferGroup>& groups, int from, const GroupSearch& search);

// The group operations of the group screen over GroupAp1 and GroupAp2.
class Groups
{
public:
    Groups(store::TDM1& dm, shell::Ui& ui);

    // None after showing why the groups did not read.
    std::optional<QList<TransferGroup>> List(GroupOrder order = GroupOrder::None) const;
    std::optional<TransferGroup> Find(int aptId) const;

    // A group being entered: "이름없음" for the first institution;
    // nullopt (with the message) when no institution is set up.
    std::optional<TransferGroup> NewGroup() const;
    // Checks name, institution and password in this order and stores the
    // head; no date check, a group is never sent.
    GroupSave Save(TransferGroup& row, bool isNew);
    bool Delete(const QList<int>& aptIds, const QString& caption);
    bool ToggleState(int aptId);
    // A copy of the group and all its lines; the new group's number.
    std::optional<int> Copy(int aptId);
    // TotNo and TotMoney from the lines; State stays.
    bool RecomputeTotals(int aptId);

private:
    // Inserts the head row under the next free number, which it sets in `g`.
    bool insertHead(TransferGroup& g);

    store::TDM1& m_dm;
    shell::Ui& m_ui;
};

} // namespace transfer
