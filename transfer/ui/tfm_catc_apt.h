#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>
#include <functional>

class QAction;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTableWidget;

namespace shell {
class Ui;
}
namespace store {
class TDM1;
}
namespace widgets {
class ScreenCommands;
}

namespace transfer {

// A layout as the editor keeps it: a name, a record length and one start
// and size per item.
struct EditorLayout
{
    QString name;
    int len = 0;
    QList<int> start;
    QList<int> size;
};

// What the editor edits: the lines' layouts (APTCONV) or the consents'
// (TongRegisterConv), and how a chosen file is previewed.
struct LayoutKind
{
    QString objectName;
    QString caption;
    QStringList items;
    int sampleWidth = 80;
    // The consent layouts are used with spreadsheets only: 화일선택 drops
    // down "엑셀파일(*.xls)" and a text file cannot be converted.
    bool spreadsheet = false;
    std::function<QList<EditorLayout>()> list;
    std::function<bool(const EditorLayout& layout, const QString& oldName)> save;
    std::function<bool(const QString& name)> remove;
    // Shows the preview of `file` by `layout`; true when it was applied.
    std::function<bool(const EditorLayout& layout, const QString& file, QWidget* parent)> preview;
};

// The layout editor ("Veltrin 자료변환" for the lines): the stored layouts,
// their starts and sizes over a sample of the chosen file, and 자료변환,
// which ends the editor accepted once the preview was applied.
class TfmCatcApt : public QDialog
{
    Q_OBJECT
public:
    enum Extra { ChooseFile, Convert, ExtraCount };

    TfmCatcApt(shell::Ui& ui, LayoutKind kind, QWidget* parent = nullptr);

    // The kind for transfer lines: layouts in APTCONV, the preview of
    // PreviewLines.
    static LayoutKind LineKind(store::TDM1& dm, shell::Ui& ui);

    const EditorLayout* current() const;
    const QString& fileName() const { return m_file; }
    widgets::ScreenCommands* commands() const { return m_commands; }
    QAction* extra(Extra e) const { return m_extras[e]; }
    QTableWidget* grid() const { return m_grid; }
    QListWidget* layoutList() const { return m_list; }
    QLineEdit* nameField() const { return m_name; }
    QLineEdit* lenField() const { return m_len; }
    QPlainTextEdit* sample() const { return m_sample; }
    bool editing() const { return m_editing; }

    void BtnInsertClick();
    void BtnEditClick();
    void BtnDeleteClick();
    void BtnSaveClick();
    void BtnCancelClick();
    // 화일선택: false when cancelled.
    bool ChooseFileClick();
    void ConvertClick();
    void BtnCloseClick();
    // The mouse rule: a selection of the sample's first line, in characters.
    void SelectSample(int from, int length);
    // The content cell of a grid row as the rule gives it.
    QString ContentOf(int row) const;

protected:
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reload(const QString& select = {});
    void showLayout();
    void setEditing(bool on);
    // Edits `row`: a new layout, or the current one under its stored name.
    void startEditing(const EditorLayout& row, bool isNew);
    void updateCommands();
    void readSample();
    void refreshContent(int row);
    void highlight(int row);
    void moveToNextCell();

    shell::Ui& m_ui;
    LayoutKind m_kind;
    QList<EditorLayout> m_layouts;
    EditorLayout m_row; // the layout being entered or edited
    QString m_oldName;
    QString m_file;
    QByteArray m_firstLine; // the sample's first record, CP949
    widgets::ScreenCommands* m_commands;
    QAction* m_extras[ExtraCount] = {};
    QListWidget* m_list;
    QLineEdit* m_name;
    QLineEdit* m_len;
    QTableWidget* m_grid;
    QPlainTextEdit* m_ruler;
    QPlainTextEdit* m_sample;
    bool m_editing = false;
    bool m_isNew = false;
    bool m_filling = false;
};

// The first `count` records of a file's bytes as the sample pane shows them:
// blocks of `len` bytes (zero bytes as blanks; a short block ends the
// sample) or text lines, each cut to or filled with blanks to `width`.
QList<QByteArray> SampleRecords(const QByteArray& bytes, int len, int width, int count = 5);
// The two ruler lines above the sample: the tens every ten columns, then
// the units.
QStringList RulerLines(int width);

} // namespace transfer
