#pragma once

#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace shell::ui {

// The web notice on the right of the main window. Hidden until the server
// starts sending a page; hidden again when the answer turns out to be an
// error, so a branch without a connection simply sees no panel.
class NoticePanel : public QTextBrowser
{
    Q_OBJECT
public:
    explicit NoticePanel(QWidget* parent = nullptr);

    void load(const QUrl& url);
    bool isLoading() const { return !m_reply.isNull(); }
    // Lets a page that is still coming in finish, for at most `ms`, then
    // drops it.
    void finishLoading(int ms);
    void applyColors(int textBgr, int backBgr);

    // Whether the panel would show (it may sit in a hidden background).
    bool wantsVisible() const { return m_wanted; }

    // Text of a page in the charset it names (CP949 for the Korean ones,
    // else UTF-8).
    static QString DecodePage(const QByteArray& body, const QByteArray& contentType);

signals:
    void visibilityWanted(bool visible);
    void loadFinished(bool ok);

private:
    void setWanted(bool visible);
    void onMetaData();
    void onFinished();

    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    bool m_wanted = false;
};

} // namespace shell::ui
