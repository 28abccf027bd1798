#pragma once

#include <QDialog>
#include <QWidget>

class QPlainTextEdit;

namespace shell::ui {

// "이 프로그램은...": the program's icon, name and version.
class TfmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TfmAbout(QWidget* parent = nullptr);
};

// The start-up splash shown while the main window is being built.
class TFmWait : public QWidget
{
    Q_OBJECT
public:
    TFmWait();
};

// A read-only view of a text file of the system (CP949).
class TextViewerDialog : public QDialog
{
    Q_OBJECT
public:
    TextViewerDialog(const QString& caption, const QString& path, QWidget* parent = nullptr);
    QPlainTextEdit* editor() const { return m_editor; }

private:
    QPlainTextEdit* m_editor;
};

} // namespace shell::ui
