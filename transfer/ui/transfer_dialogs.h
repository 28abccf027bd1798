#pragma once

#include "transfer/batches.h"
#include "transfer/groups.h"
#include "transfer/lines.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace shell {
class Ui;
}

namespace transfer {

// "결과보기": count and amount of the current batch in each bank group.
class TfmTong3 : public QDialog
{
    Q_OBJECT
public:
    TfmTong3(const TransferBatch& batch, QWidget* parent = nullptr);
    // The shown count and amount of a row (0 전체 … 4 이체불능).
    QString countText(int row) const;
    QString amountText(int row) const;

private:
    QList<QLabel*> m_counts;
    QList<QLabel*> m_amounts;
};

// "이체 불능 자료 내역": the lines that were not transferred.
class TfmTongMic2 : public QDialog
{
    Q_OBJECT
public:
    TfmTongMic2(const QList<TransferItem>& lines, QWidget* parent = nullptr);
    int requested() const { return m_requested; }
    int failed() const { return m_failed; }
    QTableView* grid() const { return m_grid; }

private:
    int m_requested = 0;
    int m_failed = 0;
    QTableView* m_grid;
};

// The search dialogs of the batch and lines screens: 처음부터 searches from
// the first row, 계속검색 from the row after the current one; a match
// becomes the current row and the dialog stays open.
class FindDialog : public QDialog
{
    Q_OBJECT
public:
    // `current` gives the grid's current row, `moveTo` makes a row current.
    FindDialog(shell::Ui& ui, std::function<int()> current, std::function<void(int)> moveTo,
               QWidget* parent);
    // Searches the rows of a grid of the transfer screens.
    FindDialog(shell::Ui& ui, QTableView* grid, QWidget* parent);

    void BtnFirstClick();
    void BtnNextClick();

protected:
    // Checks the entered conditions (showing the message); false stops.
    virtual bool conditionsValid() { return true; }
    // The first matching row at or after `from`; -1 when none.
    virtual int findFrom(int from) const = 0;
    // Puts the buttons under `fields`; call once the fields exist.
    void finishLayout(QLayout* fields);
    // A choice of the institutions, with an empty first entry for any.
    QComboBox* makeInstitutionChoice(const QList<codes::Institution>& institutions);

    shell::Ui& m_ui;

private:
    void search(int from, const QString& noneMessage);

    std::function<int()> m_current;
    std::function<void(int)> m_moveTo;
};

// "검색" of the batch screen: institution and a transfer-date range.
class TfmFindTon1 : public FindDialog
{
    Q_OBJECT
public:
    TfmFindTon1(shell::Ui& ui, const QList<codes::Institution>& institutions,
                const QList<TransferBatch>& batches, QTableView* grid, QWidget* parent = nullptr);

    QComboBox* institution() const { return m_institution; }
    QLineEdit* fromDate() const { return m_from; }
    QLineEdit* toDate() const { return m_to; }

protected:
    bool conditionsValid() override;
    int findFrom(int from) const override;

private:
    const QList<TransferBatch>& m_batches;
    QComboBox* m_institution;
    QLineEdit* m_from;
    QLineEdit* m_to;
    BatchSearch m_search;
};

// "검색" of the group screen: the beginning of the group name and the
// institution.
class TfmFindGroupTon1 : public FindDialog
{
    Q_OBJECT
public:
    TfmFindGroupTon1(shell::Ui& ui, const QList<codes::Institution>& institutions,
                     const QList<TransferGroup>& groups, QTableView* grid,
                     QWidget* parent = nullptr);

    QLineEdit* name() const { return m_name; }
    QComboBox* institution() const { return m_institution; }

protected:
    int findFrom(int from) const override;

private:
    const QList<TransferGroup>& m_groups;
    QLineEdit* m_name;
    QComboBox* m_institution;
};

// "검색" of the lines screen: resident name, real-name number, account.
class TfmFindApt2 : public FindDialog
{
    Q_OBJECT
public:
    TfmFindApt2(shell::Ui& ui, const QList<TransferItem>& lines, QTableView* grid,
                QWidget* parent = nullptr);

    QLineEdit* name() const { return m_name; }
    QLineEdit* napbuNo() const { return m_napbuNo; }
    QLineEdit* bankNo() const { return m_bankNo; }

protected:
    int findFrom(int from) const override;

private:
    const QList<TransferItem>& m_lines;
    QLineEdit* m_name;
    QLineEdit* m_napbuNo;
    QLineEdit* m_bankNo;
};

} // namespace transfer
