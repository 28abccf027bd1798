#include "reports/ui/tfm_print_option.h"

#include "audit/record.h"

#include "reports/line_report.h"
#include "reports/print/print_layouts.h"
#include "shell/ui.h"
#include "shell/workspace.h"
#include "store/tdm1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace reports {

PrintOptions& LastPrintOptions()
{
    static PrintOptions options;
    return options;
}

bool PrinterAvailable()
{
    return !QPrinterInfo::availablePrinters().isEmpty();
}

TfmPrintOption::TfmPrintOption(shell::Ui& ui, const PrintOptions& o, bool printerAvailable,
                               const QString& programDir, QWidget* parent)
    : QDialog(parent), m_ui(ui)
{
    setWindowTitle(QStringLiteral("프린터 출력 설정"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* target = new QGroupBox(QStringLiteral("출력 대상"), this);
    m_printer = new QRadioButton(QStringLiteral("프린터로 출력"), target);
    m_file = new QRadioButton(QStringLiteral("파일에 저장"), target);
    m_fileName =
        new QLineEdit(o.fileName.isEmpty() ? programDir + "Rendal.txt" : o.fileName, target);
    m_browse = new QPushButton("...", target);
    m_browse->setFixedWidth(28);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file);
    fileRow->addWidget(m_fileName, 1);
    fileRow->addWidget(m_browse);
    auto* targetLayout = new QVBoxLayout(target);
    targetLayout->addWidget(m_printer);
    targetLayout->addLayout(fileRow);

    m_style = new QComboBox(this);
    m_style->addItems({"전체출력 - 요약 내역과 목록 출력", "요약출력 - 요약 내역만 출력",
                       "목록출력 - 주요 항목만 목록으로 출력"});
    m_style->setCurrentIndex(o.style);
    m_data = new QComboBox(this);
    m_data->addItems({"전체자료 - 모든 자료를 출력", "정상자료 - 처리 결과가 정상인 자료만 출력",
                      "불능자료 - 처리 결과가 불능인 자료만 출력"});
    m_data->setCurrentIndex(o.data);
    m_preview = new QCheckBox(QStringLiteral("인쇄 내용 미리 보기"), this);
    m_preview->setChecked(o.preview);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("출 력 선 택"), m_style);
    form->addRow(QStringLiteral("출 력 자 료"), m_data);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral(" 확 인"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral(" 취 소"), QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(target);
    layout->addLayout(form);
    layout->addWidget(m_preview);
    layout->addWidget(buttons);

    // Without a printer the file is the default; the printer choice stays
    // open because the preview (and printing to a PDF file from there)
    // needs none.
    (o.toFile || (!printerAvailable && !o.chosenByUser) ? m_file : m_printer)->setChecked(true);
    connect(m_printer, &QRadioButton::toggled, this, &TfmPrintOption::updateEnabled);
    connect(m_browse, &QPushButton::clicked, this, &TfmPrintOption::BtnBrowseClick);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    updateEnabled();
}

void TfmPrintOption::updateEnabled()
{
    const bool file = m_file->isChecked();
    m_fileName->setEnabled(file);
    m_browse->setEnabled(file);
    m_style->setEnabled(!file);
    m_preview->setEnabled(!file);
}

void TfmPrintOption::BtnBrowseClick()
{
    const auto chosen = m_ui.ChooseSaveFile(QStringLiteral("출력 내용을 저장할 파일 선택"),
                                            m_fileName->text(),
                                            "텍스트 파일 (*.txt)|*.txt|모든 파일 (*.*)|*.*");
    if (!chosen)
        return;
    QString name = *chosen;
    if (QFileInfo(name).suffix().isEmpty())
        name += ".txt";
    m_fileName->setText(name);
}

PrintOptions TfmPrintOption::options() const
{
    PrintOptions o;
    o.toFile = m_file->isChecked();
    o.fileName = m_fileName->text();
    o.style = m_style->currentIndex();
    o.data = m_data->currentIndex();
    o.preview = m_preview->isChecked();
    o.chosenByUser = true;
    return o;
}

namespace {

// Previews or prints what `paint` draws.
void output(bool preview, QWidget* parent, const std::function<void(QPrinter*)>& paint)
{
    QPrinter printer(QPrinter::HighResolution);
    if (preview || !PrinterAvailable()) {
        QPrintPreviewDialog dialog(&printer, parent);
        dialog.setWindowTitle(QStringLiteral("인쇄 미리 보기"));
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, parent,
                         [&](QPrinter* p) { paint(p); });
        dialog.exec();
        return;
    }
    paint(&printer);
}

} // namespace

void PrintOrPreview(bool preview, QWidget* parent, const std::function<void(QPrinter*)>& paint)
{
    output(preview, parent, paint);
}

void PrintLines(shell::Ui& ui, store::TDM1& dm, int aptId, transfer::LineOrder order,
                QWidget* parent)
{
    TfmPrintOption dialog(ui, LastPrintOptions(), PrinterAvailable(), dm.workspace().programDir,
                          parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    LastPrintOptions() = dialog.options();
    PrintLinesWith(ui, dm, aptId, order, LastPrintOptions(), parent);
}

void PrintLinesWith(shell::Ui& ui, store::TDM1& dm, int aptId, transfer::LineOrder order,
                    const PrintOptions& o, QWidget* parent)
{
    const auto batch = transfer::Batches(dm, ui).Find(aptId);
    if (!batch)
        return;
    const std::optional<QList<TransferItem>> all = transfer::TransferLines(dm, ui, aptId).List(order);
    if (!all)
        return;
    const QList<TransferItem> lines = FilterLines(*all, o.data);
    if ((o.toFile || o.style == 2) && lines.isEmpty()) {
        ui.ShowInfo(QStringLiteral("출력할 내용이 없습니다."));
        return;
    }
    if (!o.toFile) {
        // The download record: a preview may be printed from its window.
        const bool preview = o.preview || !PrinterAvailable();
        if (const platform::Result<> recorded = audit::RecordDownload(
                audit::action::Print, QStringLiteral("이체자료"),
                QString("배치 %1%2").arg(aptId).arg(preview ? " (미리 보기)" : ""), lines.size());
            !recorded) {
            ui.ShowError(recorded.error());
            return;
        }
        output(o.preview, parent, [&](QPrinter* p) {
            p->setDocName(TransferListDocName());
            if (o.style == 2)
                PaintLineList(p, lines);
            else
                PaintBatchDetail(p, *batch, InstitutionLabel(dm.db(), batch->GiganID10), lines,
                                 o.style == 0);
        });
        return;
    }
    SaveLinesText(ui, o.fileName, lines);
}

void PrintBatchList(shell::Ui& ui, store::TDM1& dm, QWidget* parent)
{
    const std::optional<QList<TransferBatch>> read = transfer::Batches(dm, ui).List();
    if (!read)
        return;
    const QList<TransferBatch>& batches = *read;
    output(false, parent, [&](QPrinter* p) {
        p->setDocName(BatchListDocName());
        PaintBatchList(p, batches);
    });
}

} // namespace reports
