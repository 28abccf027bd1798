#pragma once

#include <QFileDialog>
#include <QString>

namespace shell::ui {

// Qt's own file dialog, never the desktop's, so that it speaks Korean on any
// desktop: Qt's texts come from its Korean translation, and the listing's
// folder type ("폴더") and dates (yyyy-MM-dd HH:mm), which Qt takes from the
// desktop's language, are put in Korean here.
void MakeKorean(QFileDialog& dialog);

// The three questions the programs ask, each through such a dialog; empty
// when it was cancelled.
QString AskOpenFile(QWidget* parent, const QString& caption, const QString& dir,
                    const QString& filter);
QString AskSaveFile(QWidget* parent, const QString& caption, const QString& path,
                    const QString& filter);
QString AskDirectory(QWidget* parent, const QString& caption, const QString& dir);

} // namespace shell::ui
