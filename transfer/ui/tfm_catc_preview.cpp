#include "transfer/ui/tfm_catc_preview.h"

#include "reports/ui/spreadsheet_grid.h"
#include "shell/codec.h"
#include "shell/ui.h"
#include "transfer/ui/screen_helpers.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace transfer {

TfmCatcPreview::TfmCatcPreview(shell::Ui& ui, const QStringList& headings, QWidget* parent)
    : QDialog(parent), m_ui(ui)
{
    setObjectName("TfmCatcPreview");
    setWindowTitle(QStringLiteral("미리보기"));

    m_grid = new QTableWidget(0, int(headings.size()), this);
    m_grid->setHorizontalHeaderLabels(headings);
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->verticalHeader()->setDefaultSectionSize(22);
    m_grid->horizontalHeader()->setStretchLastSection(true);

    m_status = new QLabel(this);
    m_status->setFrameShape(QFrame::StyledPanel);

    const auto listBox = [this](const QString& title, QPlainTextEdit*& list) {
        auto* box = new QGroupBox(title, this);
        list = new QPlainTextEdit(box);
        list->setReadOnly(true);
        list->setLineWrapMode(QPlainTextEdit::NoWrap);
        list->setFont(FixedPitchFont());
        auto* save = new QPushButton(QStringLiteral("파일로 저장"), box);
        connect(save, &QPushButton::clicked, this, [this, list] { SaveList(list); });
        auto* l = new QVBoxLayout(box);
        l->addWidget(list);
        l->addWidget(save, 0, Qt::AlignRight);
        return box;
    };
    auto* messages = new QGroupBox(QStringLiteral("메세지"), this);
    auto* ml = new QHBoxLayout(messages);
    ml->addWidget(listBox(QStringLiteral("오류 내용"), m_errors));
    ml->addWidget(listBox(QStringLiteral("계좌 재확인 필요"), m_accounts));

    auto* buttons = new QDialogButtonBox(this);
    m_apply = buttons->addButton(QStringLiteral("적용"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("취소"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_grid);
    split->addWidget(messages);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    auto* top = new QVBoxLayout(this);
    top->addWidget(split, 1);
    top->addWidget(m_status);
    top->addWidget(buttons);
    resize(960, 640);
}

void TfmCatcPreview::ShowPreview(const shell::ImportPreview& preview)
{
    m_preview = preview;
    m_grid->setRowCount(int(preview.rows.size()));
    for (int r = 0; r < preview.rows.size(); ++r)
        for (int c = 0; c < m_grid->columnCount(); ++c) {
            auto* item = new QTableWidgetItem(preview.rows[r].value(c));
            if (r == 0) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            m_grid->setItem(r, c, item);
        }
    // The headings already name the columns; the title row stays in the
    // rows (and the row numbers) only.
    m_grid->setRowHidden(0, true);
    m_grid->resizeColumnsToContents();
    m_errors->setPlainText(preview.errors.join("\n"));
    m_accounts->setPlainText(preview.accountErrors.join("\n"));
    m_status->setText(" 전체=[" + QString::number(std::max<qsizetype>(preview.rows.size() - 1, 0)) +
                      "]" + ",오류=[" + QString::number(preview.errors.size()) + "]");
    m_apply->setEnabled(!preview.blocked());
}

bool TfmCatcPreview::LoadSpreadsheet(
    const QString& fileName, const std::function<shell::ImportPreview(const shell::Grid&)>& check)
{
    if (!reports::ReadSpreadsheetIntoGrid(m_ui, fileName, m_grid)) {
        ShowPreview({});
        m_apply->setEnabled(false);
        return false;
    }
    shell::Grid rows;
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < m_grid->columnCount(); ++c)
            row.append(m_grid->item(r, c) ? m_grid->item(r, c)->text() : QString());
        rows.append(row);
    }
    ShowPreview(check(rows));
    return true;
}

bool TfmCatcPreview::SaveList(const QPlainTextEdit* list)
{
    const std::optional<QString> chosen =
        m_ui.ChooseSaveFile(QStringLiteral("파일로 저장"), QString(), "텍스트 (*.txt)");
    if (!chosen)
        return false;
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty())
        path += ".txt";
    QFile file(path);
    const QByteArray bytes = shell::ToCp949(list->toPlainText().replace("\n", "\r\n") + "\r\n");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        m_ui.ShowError(path + "\r" + file.errorString());
        return false;
    }
    file.close();
    m_ui.OpenInTextEditor(path);
    return true;
}

} // namespace transfer
