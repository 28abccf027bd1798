#pragma once

#include "edi/link.h"
#include "exchange/send_result.h"

#include <QDialog>
#include <QSqlDatabase>

class QLabel;
class QPushButton;
class QTableWidget;

namespace shell {
class Ui;
}

namespace exchange {

// "송신 결과 조회": the link's report on recent transmissions, read from
// RptEDI in the result directory, with the details of the selected entry.
class TfmSendResult : public QDialog
{
    Q_OBJECT
public:
    TfmSendResult(QSqlDatabase db, shell::Ui& ui, edi::Link& link, const shell::Workspace& ws,
                  QWidget* parent = nullptr);

    // Reads and shows the report; runs once when the window is first shown.
    void FormActivate();
    void BtnReReceiveClick();

    QTableWidget* grid() const { return m_grid; }
    QLabel* counter() const { return m_counter; }
    QLabel* messageLine() const { return m_message; }
    // The detail panel: work, receiver ID, receiver name, fetches, size, result.
    QStringList detailTexts() const;
    QPushButton* reReceiveButton() const { return m_reReceive; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void report();
    void showDetail(int row);

    QSqlDatabase m_db;
    shell::Ui& m_ui;
    edi::Link& m_link;
    const shell::Workspace& m_ws;
    QList<TResultRecord> m_records;
    QTableWidget* m_grid;
    QLabel* m_counter;
    QLabel* m_message;
    QLabel* m_work;
    QLabel* m_receiverId;
    QLabel* m_receiverName;
    QLabel* m_fetches;
    QLabel* m_size;
    QLabel* m_result;
    QPushButton* m_reReceive;
    bool m_shown = false;
    bool m_activated = false;
};

} // namespace exchange
