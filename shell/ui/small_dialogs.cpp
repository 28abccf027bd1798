#include "shell/ui/small_dialogs.h"

#include "platform/process_list.h"
#include "shell/app_info.h"
#include "shell/codec.h"
#include "shell/file_version.h"
#include "shell/ui/app_icon.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace shell::ui {

TfmAbout::TfmAbout(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ApplicationTitle());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* grid = new QGridLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(AppIconPixmap(48));
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    auto* name = new QLabel(kServiceName, this);
    QFont f = name->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    name->setFont(f);
    grid->addWidget(name, 0, 1);
    const QString version = ReadFileVersion(platform::OwnExecutable());
    grid->addWidget(new QLabel(QStringLiteral("버전 ") + (version.isEmpty() ? kProgramVersion : version),
                               this),
                    1, 1);
    auto* ok = new QPushButton(QStringLiteral("확인"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    grid->addWidget(ok, 2, 0, 1, 2, Qt::AlignHCenter);
    grid->setColumnMinimumWidth(1, 220);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

TFmWait::TFmWait() : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setWindowTitle(ApplicationTitle());
    setWindowIcon(AppIcon());
    auto* layout = new QGridLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(AppIconPixmap(48));
    layout->addWidget(icon, 0, 0, 2, 1);
    layout->addWidget(new QLabel(QStringLiteral("프로그램 수행 준비중 입니다."), this), 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("잠시 기다려 주십시요..."), this), 1, 1);
    layout->setContentsMargins(20, 16, 28, 16);
    layout->setHorizontalSpacing(16);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace shell::ui
