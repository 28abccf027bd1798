#pragma once

#include <QDialog>
#include <QSqlDatabase>

class QLineEdit;

namespace shell {
class Ui;
struct Workspace;
}

namespace consent {

// "증빙자료 암호화키 등록": the evidence transfer ID and encryption key, and
// the secure client's configuration written from them.
class fmEvidentialAuthkey : public QDialog
{
    Q_OBJECT
public:
    fmEvidentialAuthkey(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                        QWidget* parent = nullptr);

    QLineEdit* sendIdEdit() const { return m_sendId; }
    QLineEdit* keyEdit() const { return m_key; }

    void BtnOkClick();

    void done(int result) override;

private:
    QSqlDatabase m_db;
    shell::Ui& m_ui;
    const shell::Workspace& m_ws;
    QLineEdit* m_sendId;
    QLineEdit* m_key;
};

} // namespace consent
