#pragma once

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QString>

namespace widgets {

// The " 확 인" and " 취 소" buttons at the foot of a dialog.
struct OkCancelRow
{
    QHBoxLayout* layout; // both buttons, right-aligned
    QPushButton* ok;
    QPushButton* cancel;
};

// 취 소 rejects the dialog; 확 인 accepts it, unless the dialog passes its own
// `onOk` slot (a check that accepts when it holds).
template <typename Dialog = QDialog>
OkCancelRow MakeOkCancelRow(Dialog* dialog, void (Dialog::*onOk)() = nullptr)
{
    OkCancelRow r{new QHBoxLayout, new QPushButton(QStringLiteral(" 확 인"), dialog),
                  new QPushButton(QStringLiteral(" 취 소"), dialog)};
    if (onOk)
        QObject::connect(r.ok, &QPushButton::clicked, dialog, onOk);
    else
        QObject::connect(r.ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(r.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    r.layout->addStretch();
    r.layout->addWidget(r.ok);
    r.layout->addWidget(r.cancel);
    return r;
}

} // namespace widgets
