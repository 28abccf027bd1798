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

} // namespace shell::ui
