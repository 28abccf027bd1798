#pragma once

#include <QDialog>

class QAction;
class QPlainTextEdit;
class QPrinter;

namespace shell {
class Ui;
struct Workspace;
}

namespace reports {

// The memo editor: a plain text file, edited or (read-only) only shown, as
// the notice viewer does. Texts are read as UTF-8 when they are valid UTF-8,
// otherwise as CP949, and saved in the encoding they came in (CP949 for a
// new file), with the line ends they came with.
class TfmFileView : public QDialog
{
    Q_OBJECT
public:
    TfmFileView(shell::Ui& ui, const shell::Workspace& ws, const QString& file, bool readOnly,
                QWidget* parent = nullptr);
    ~TfmFileView() override;

    QPlainTextEdit* editor() const { return m_text; }
    QAction* action(const QString& caption) const;
    QString fileName() const { return m_file; }

    bool LoadFile(const QString& file);
    void BtnOpenClick();
    void BtnFontClick();
    void BtnPrintSetupClick();
    void BtnPrintClick();
    bool BtnSaveClick();
    // Writes the text to `file`; false (the text stays modified) on error.
    bool SaveTo(const QString& file);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    bool mayDiscard();
    void updateCaption();
    void updateActions();

    shell::Ui& m_ui;
    const shell::Workspace& m_ws;
    QString m_file;
    bool m_readOnly;
    bool m_loaded = false;
    bool m_utf8 = false;
    bool m_crlf = true; // line ends as the file had them; CR LF for a new one
    QPlainTextEdit* m_text;
    QList<QAction*> m_actions;
    QPrinter* m_printer;
};

} // namespace reports
