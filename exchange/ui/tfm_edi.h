#pragma once

#include "edi/link.h"
#include "exchange/edi_flow.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTableWidget;

namespace shell {
class Ui;
}
namespace store {
class TDM1;
}

namespace exchange {

// The transmission window: one exchange in one of the four modes, its
// caption the mode name. The flow runs once when the window is first shown.
class TfmEdi : public QDialog, private EdiFlowView
{
    Q_OBJECT
public:
    using MissingConsentPreview = std::function<bool(const MissingConsentList&)>;

    TfmEdi(store::TDM1& dm, shell::Ui& ui, edi::Link& link, const shell::Workspace& ws, int mode,
           QWidget* parent = nullptr);
    ~TfmEdi() override;

    // The list of lines without consent; fmRegisterPreview unless replaced.
    void setMissingConsentPreview(MissingConsentPreview preview) { m_preview = std::move(preview); }

    void FormActivate();
    void BtnSendClick();

    const EdiFlow& flow() const { return *m_flow; }
    QTableWidget* grid() const { return m_grid; }
    QLabel* listLabel() const { return m_label; }
    QLabel* counter() const { return m_counter; }
    QLabel* messageLine() const { return m_message; }
    QPushButton* sendButton() const { return m_send; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* closeButton() const { return m_close; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void FlowChanged(const EdiFlow& flow) override;
    bool ConfirmMissingConsents(const MissingConsentList& rows) override;
    void updateCounter();

    std::unique_ptr<EdiFlow> m_flow;
    shell::Ui& m_ui;
    MissingConsentPreview m_preview;
    QString m_tempDir; // where the list without consent is exported
    QTableWidget* m_grid;
    QLabel* m_label;
    QLabel* m_counter;
    QLabel* m_message;
    QPushButton* m_send;
    QPushButton* m_cancel;
    QPushButton* m_close;
    bool m_shown = false;
};

} // namespace exchange
