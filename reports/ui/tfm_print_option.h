#pragma once

#include "transfer/lines.h"

#include <QDialog>

#include <QStringList>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QComboBox;

namespace shell {
class Ui;
}
namespace store {
class TDM1;
}

class QPrinter;

namespace reports {

struct PrintOptions
{
    bool toFile = false;
    QString fileName; // empty: ProgramDir + "Rendal.txt"
    int style = 0;    // 0 summary and list, 1 summary only, 2 list of main items
    int data = 0;     // 0 all, 1 transferred, 2 failed
    bool preview = false;
    bool chosenByUser = false; // set once the dialog has been confirmed
};

// "프린터 출력 설정". Without a printer the file output is preselected and
// printer output goes through the preview. The options are kept until the
// next use of the dialog.
class TfmPrintOption : public QDialog
{
    Q_OBJECT
public:
    // An options' empty file name shows as `programDir` + "Rendal.txt".
    TfmPrintOption(shell::Ui& ui, const PrintOptions& options, bool printerAvailable,
                   const QString& programDir, QWidget* parent = nullptr);

    PrintOptions options() const;
    QRadioButton* printerChoice() const { return m_printer; }
    QRadioButton* fileChoice() const { return m_file; }
    QLineEdit* fileNameEdit() const { return m_fileName; }
    QComboBox* styleChoice() const { return m_style; }
    QComboBox* dataChoice() const { return m_data; }
    QCheckBox* previewBox() const { return m_preview; }

    void BtnBrowseClick();

private:
    void updateEnabled();

    shell::Ui& m_ui;
    QRadioButton* m_printer;
    QRadioButton* m_file;
    QLineEdit* m_fileName;
    QPushButton* m_browse;
    QComboBox* m_style;
    QComboBox* m_data;
    QCheckBox* m_preview;
};

// "출 력" of the batch screen: the options, then the printout, the preview
// or the text file of the batch's lines in `order`.
void PrintLines(shell::Ui& ui, store::TDM1& dm, int aptId, transfer::LineOrder order,
                QWidget* parent);
// The same after the dialog, with the given options.
void PrintLinesWith(shell::Ui& ui, store::TDM1& dm, int aptId, transfer::LineOrder order,
                    const PrintOptions& options, QWidget* parent);
// "목록 출력": every batch straight to the printer; without a printer the
// preview opens, from where it can be printed to a PDF file.
void PrintBatchList(shell::Ui& ui, store::TDM1& dm, QWidget* parent);

// The options as last chosen (kept for the program's run).
PrintOptions& LastPrintOptions();
// Prints what `paint` draws, through the preview when asked or when no
// printer exists (from where it can go to a PDF file).
void PrintOrPreview(bool preview, QWidget* parent, const std::function<void(QPrinter*)>& paint);
bool PrinterAvailable();

} // namespace reports
