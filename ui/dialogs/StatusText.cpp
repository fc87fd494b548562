#include "StatusText.h"

#include <QDesktopServices>
#include <QLabel>
#include <QUrl>

#include "DialogBuilder.h"
#include "DialogTemplate.h"

namespace quovex {

namespace {

void SetStatus(QLabel* pStatus, const QString& strRich, const QString& strPlain) {
    pStatus->setTextFormat(Qt::RichText);
    pStatus->setText(strRich);
    pStatus->setToolTip(strPlain);
    // Wide enough for the text, within the window.
    const int nRoom = pStatus->parentWidget()->width() - pStatus->x();
    pStatus->resize(qMin(qMax(pStatus->width(), pStatus->sizeHint().width()), nRoom),
                    pStatus->height());
}

QLabel* StatusOf(QWidget* pWindow) {
    auto* pStatus = pWindow ? FindControl<QLabel>(pWindow, RES_ID_MAIN_STATUS) : nullptr;
    if (pStatus && !pStatus->property("quovexLinked").toBool()) {
        // A link opens the folder it names; the text says nothing else.
        pStatus->setProperty("quovexLinked", true);
        QObject::connect(pStatus, &QLabel::linkActivated, pStatus,
                         [](const QString& strUrl) { QDesktopServices::openUrl(QUrl(strUrl)); });
    }
    return pStatus;
}

}  // namespace

void ShowWindowStatus(QWidget* pWindow, const QString& strText) {
    if (QLabel* pStatus = StatusOf(pWindow)) SetStatus(pStatus, strText.toHtmlEscaped(), strText);
}

void ShowWindowStatus(QWidget* pWindow, const QString& strText, const QString& strFolder) {
    QLabel* pStatus = StatusOf(pWindow);
    if (!pStatus) return;
    const QString strLink = QStringLiteral("<a href=\"%1\">%2</a>")
                                .arg(QUrl::fromLocalFile(strFolder).toString(QUrl::FullyEncoded),
                                     strFolder.toHtmlEscaped());
    SetStatus(pStatus, strText.toHtmlEscaped() + strLink, strText + strFolder);
}

}  // namespace quovex
