#include "shell/ui/notice_panel.h"

#include "shell/codec.h"
#include "shell/ui/qt_ui.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QStringDecoder>

namespace shell::ui {
namespace {

bool isKoreanCharset(const QByteArray& cs)
{
    const QByteArray c = cs.trimmed().toLower();
    return c == "euc-kr" || c == "cp949" || c == "ks_c_5601-1987" || c == "x-windows-949"
           || c == "uhc" || c == "windows-949";
}

QByteArray charsetOf(const QByteArray& text)
{
    static const QRegularExpression re("charset\\s*=\\s*[\"']?([A-Za-z0-9_\\-]+)",
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(text));
    return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray();
}

} // namespace

NoticePanel::NoticePanel(QWidget* parent) : QTextBrowser(parent), m_network(new QNetworkAccessManager(this))
{
    setObjectName("noticePanel");
    // The page is laid out for the panel; it never scrolls.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setOpenLinks(false);
    setFrameShape(QFrame::NoFrame);
    connect(this, &QTextBrowser::anchorClicked, this,
            [](const QUrl& url) { QDesktopServices::openUrl(url); });
    setFixedWidth(222);
    hide();
}

void NoticePanel::setWanted(bool visible)
{
    if (m_wanted == visible)
        return;
    m_wanted = visible;
    emit visibilityWanted(visible);
}

void NoticePanel::load(const QUrl& url)
{
    if (m_reply)
        m_reply->abort();
    setWanted(false);
    QNetworkRequest request(url);
    request.setTransferTimeout(15000);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &NoticePanel::onMetaData);
    connect(m_reply, &QNetworkReply::finished, this, &NoticePanel::onFinished);
}

void NoticePanel::onMetaData()
{
    if (!m_reply)
        return;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    setWanted(status >= 200 && status < 300);
}

void NoticePanel::onFinished()
{
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    m_reply = nullptr;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool ok = reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
    if (ok)
        setHtml(DecodePage(reply->readAll(), reply->header(QNetworkRequest::ContentTypeHeader).toByteArray()));
    else
        clear();
    setWanted(ok);
    emit loadFinished(ok);
}

void NoticePanel::finishLoading(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (m_reply && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (m_reply)
        m_reply->abort();
}

void NoticePanel::applyColors(int textBgr, int backBgr)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Text, FromBgr(textBgr));
    pal.setColor(QPalette::Base, FromBgr(backBgr));
    setPalette(pal);
}

QString NoticePanel::DecodePage(const QByteArray& body, const QByteArray& contentType)
{
    QByteArray charset = charsetOf(contentType);
    if (charset.isEmpty())
        charset = charsetOf(body.left(2048));
    if (isKoreanCharset(charset))
        return FromCp949(body);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(body);
    // An old page that names no charset is as likely CP949 as UTF-8.
    if (charset.isEmpty() && utf8.hasError())
        return FromCp949(body);
    return text;
}

} // namespace shell::ui
