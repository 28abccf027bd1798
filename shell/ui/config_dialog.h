#pragma once

#include <QDialog>

class QFrame;
class QLineEdit;
class QListWidget;
class QTabWidget;

namespace shell {
class Ui;
struct Workspace;
}

namespace shell::ui {

// The settings dialog: the program password on one page, the background
// picture and the notice colours on the other; only one page shows. Both
// are kept in the workspace's Firm.ini.
class TfmConfig : public QDialog
{
    Q_OBJECT
public:
    enum Page { PasswordPage, ScreenPage };

    TfmConfig(Ui& ui, const Workspace& ws, Page page, QWidget* parent = nullptr);

    Page page() const { return m_page; }
    QLineEdit* oldPassword() const { return m_old; }
    QLineEdit* newPassword() const { return m_new; }
    QLineEdit* confirmPassword() const { return m_confirm; }
    QListWidget* pictures() const { return m_pictures; }
    int textColor() const { return m_textColor; }
    int backColor() const { return m_backColor; }

    // " 확 인": checks, stores and closes; stays open on a failed check.
    void BtnOkClick();
    void BtnTextColorClick();
    void BtnBackColorClick();

private:
    void showColor(QFrame* sample, int bgr);
    bool checkAndStorePassword();

    Ui& m_ui;
    const Workspace& m_ws;
    Page m_page;
    QTabWidget* m_tabs;
    QLineEdit* m_old;
    QLineEdit* m_new;
    QLineEdit* m_confirm;
    QListWidget* m_pictures;
    QFrame* m_textSample;
    QFrame* m_backSample;
    int m_textColor;
    int m_backColor;
};

} // namespace shell::ui
