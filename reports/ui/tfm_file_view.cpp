#include "reports/ui/tfm_file_view.h"

#include "shell/codec.h"
#include "shell/ui.h"
#include "shell/workspace.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDialog>
#include <QPageSetupDialog>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QStringDecoder>
#include <QToolBar>
#include <QVBoxLayout>

namespace reports {
namespace {

const QString kCaption = QStringLiteral("메모 파일 편집");
const QString kDiscardQuestion = QStringLiteral(
    "입력 또는 수정한 내용이 저장되지 않았습니다.\r\r무시하고 진행하시겠습니까?");

} // namespace

TfmFileView::TfmFileView(shell::Ui& ui, const shell::Workspace& ws, const QString& file,
                         bool readOnly, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_ws(ws), m_file(file), m_readOnly(readOnly),
      m_printer(new QPrinter(QPrinter::HighResolution))
{
    setObjectName("fmFileView");
    setMinimumSize(374, 200);
    resize(640, 480);
    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto add = [this, bar](const QString& caption, auto slot) {
        QAction* a = bar->addAction(caption);
        connect(a, &QAction::triggered, this, slot);
        m_actions.append(a);
    };
    add(QStringLiteral("화일선택"), &TfmFileView::BtnOpenClick);
    add(QStringLiteral("글꼴설정"), &TfmFileView::BtnFontClick);
    add(QStringLiteral("인쇄설정"), &TfmFileView::BtnPrintSetupClick);
    add(QStringLiteral("출 력"), &TfmFileView::BtnPrintClick);
    add(QStringLiteral("저 장"), [this] { BtnSaveClick(); });
    add(QStringLiteral("닫 기"), &QDialog::close);

    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(readOnly);
    // The notice viewer wraps; the editor keeps lines as they are.
    m_text->setLineWrapMode(readOnly ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    connect(m_text, &QPlainTextEdit::modificationChanged, this, [this] { updateActions(); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addWidget(m_text, 1);
    updateCaption();
    updateActions();
}

TfmFileView::~TfmFileView()
{
    delete m_printer;
}

QAction* TfmFileView::action(const QString& caption) const
{
    for (QAction* a : m_actions)
        if (a->text() == caption)
            return a;
    return nullptr;
}

void TfmFileView::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_file.isEmpty() && !m_loaded)
        LoadFile(m_file);
}

bool TfmFileView::LoadFile(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        m_text->clear();
        m_file.clear();
        m_loaded = false;
        updateCaption();
        updateActions();
        return false;
    }
    const QByteArray bytes = f.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    m_utf8 = !utf8.hasError();
    if (!m_utf8)
        text = shell::FromCp949(bytes);
    m_crlf = bytes.contains("\r\n") || !bytes.contains('\n');
    m_text->setPlainText(text);
    m_text->document()->setModified(false);
    m_file = file;
    m_loaded = true;
    updateCaption();
    updateActions();
    return true;
}

bool TfmFileView::mayDiscard()
{
    return !m_text->document()->isModified() || m_ui.Confirm(kDiscardQuestion, false);
}

void TfmFileView::BtnOpenClick()
{
    if (m_readOnly || !mayDiscard())
        return;
    const auto chosen = m_ui.ChooseOpenFile(kCaption, m_ws.programDir, "*.*");
    if (chosen && !LoadFile(*chosen))
        m_ui.ShowError(QStringLiteral("파일을 읽을 수 없습니다: ") + *chosen);
}

void TfmFileView::BtnFontClick()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, m_text->font(), this, QStringLiteral("글꼴설정"));
    if (ok)
        m_text->setFont(font);
}

void TfmFileView::BtnPrintSetupClick()
{
    QPageSetupDialog dialog(m_printer, this);
    dialog.exec();
}

void TfmFileView::BtnPrintClick()
{
    if (!m_loaded)
        return;
    m_printer->setDocName(QFileInfo(m_file).fileName());
    QPrintDialog dialog(m_printer, this);
    if (dialog.exec() == QDialog::Accepted)
        m_text->print(m_printer);
}

bool TfmFileView::BtnSaveClick()
{
    if (!m_text->document()->isModified())
        return false;
    const QString suggested = m_file.isEmpty() ? m_ws.programDir : m_file;
    const auto chosen = m_ui.ChooseSaveFile(kCaption, suggested, "*.*");
    return chosen && SaveTo(*chosen);
}

bool TfmFileView::SaveTo(const QString& file)
{
    QSaveFile out(file);
    QString text = m_text->toPlainText();
    if (m_crlf)
        text.replace('\n', QStringLiteral("\r\n"));
    const QByteArray bytes = m_utf8 ? text.toUtf8() : shell::ToCp949(text);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        m_ui.ShowError(QStringLiteral("파일을 저장할 수 없습니다: ") + file + "\r\r"
                       + out.errorString());
        return false;
    }
    shell::FollowUserUmask(file);
    m_file = file;
    m_loaded = true;
    m_text->document()->setModified(false);
    updateCaption();
    updateActions();
    return true;
}

void TfmFileView::updateCaption()
{
    setWindowTitle(m_file.isEmpty() ? kCaption : kCaption + " - " + QFileInfo(m_file).fileName());
}

void TfmFileView::updateActions()
{
    action(QStringLiteral("화일선택"))->setEnabled(!m_readOnly);
    action(QStringLiteral("출 력"))->setEnabled(m_loaded);
    action(QStringLiteral("저 장"))->setEnabled(!m_readOnly && m_text->document()->isModified());
}

void TfmFileView::closeEvent(QCloseEvent* event)
{
    if (mayDiscard())
        event->accept();
    else
        event->ignore();
}

void TfmFileView::reject()
{
    // Esc goes the same way as the close box.
    if (mayDiscard())
        QDialog::reject();
}

} // namespace reports
