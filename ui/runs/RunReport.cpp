#include "RunReport.h"

#include <QFile>
#include <QStringList>

#include "CoreTexts.h"

namespace quovex {

QString RunReportText(const TransferReport& report, RunKind nKind) {
    const QString strFailed = nKind == RunKind::RUN_STORE     ? QStringLiteral("未能存入")
                              : nKind == RunKind::RUN_RESTORE ? QStringLiteral("未能还原")
                                                              : QStringLiteral("未能转换");
    QStringList vLines;
    for (const FailedItem& item : report.vFailed) {
        vLines << QStringLiteral("%1（%2：%3）")
                      .arg(QFile::decodeName(QByteArray::fromStdString(item.strPath)), strFailed,
                           FailReasonText(item.cause));
    }
    for (const PassedOverItem& item : report.vPassedOver) {
        vLines << QStringLiteral("%1（%2）")
                      .arg(QFile::decodeName(QByteArray::fromStdString(item.strPath)),
                           PassReasonText(item.nReason));
    }
    QString strText = ListReportText(QStringLiteral("以下项目没有完成："), vLines);
    QStringList vAway;
    for (const AwayItem& item : report.vAway) {
        vAway << QStringLiteral("%1（存入时：%2）")
                     .arg(QFile::decodeName(QByteArray::fromStdString(item.strPath)),
                          QString::fromStdString(item.strPlace));
    }
    const QString strAway =
        ListReportText(QStringLiteral("以下文件不在存入时的位置，已按存入时的名字还原："), vAway);
    if (!strAway.isEmpty())
        strText += (strText.isEmpty() ? QString() : QStringLiteral("\n\n")) + strAway;
    return strText;
}

QString ListReportText(const QString& strHeading, const QStringList& vLines, qsizetype nMore) {
    if (vLines.isEmpty()) return QString();
    QStringList vShown = vLines.mid(0, RUN_REPORT_MAX_LINES);
    nMore += vLines.size() - vShown.size();
    if (nMore > 0) vShown << QStringLiteral("……另有 %1 项。").arg(nMore);
    return strHeading + QLatin1Char('\n') + vShown.join(QLatin1Char('\n'));
}

}  // namespace quovex
