#include "RunReport.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include "CoreTexts.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(RunReport)
};

}  // namespace

QString RunReportText(const TransferReport& report, RunKind nKind) {
    const QString strFailed = nKind == RunKind::RUN_STORE     ? Words::tr("未能存入")
                              : nKind == RunKind::RUN_RESTORE ? Words::tr("未能还原")
                                                              : Words::tr("未能转换");
    QStringList vLines;
    for (const FailedItem& item : report.vFailed) {
        vLines << Words::tr("%1（%2：%3）")
                      .arg(QFile::decodeName(QByteArray::fromStdString(item.strPath)), strFailed,
                           FailReasonText(item.cause));
    }
    for (const PassedOverItem& item : report.vPassedOver) {
        vLines << Words::tr("%1（%2）")
                      .arg(QFile::decodeName(QByteArray::fromStdString(item.strPath)),
                           PassReasonText(item.nReason));
    }
    QString strText = ListReportText(Words::tr("以下项目没有完成："), vLines);
    QStringList vAway;
    for (const AwayItem& item : report.vAway) {
        vAway << Words::tr("%1（存入时：%2）")
                     .arg(QFile::decodeName(QByteArray::fromStdString(item.strPath)),
                          QString::fromStdString(item.strPlace));
    }
    const QString strAway =
        ListReportText(Words::tr("以下文件不在存入时的位置，已按存入时的名字还原："), vAway);
    if (!strAway.isEmpty())
        strText += (strText.isEmpty() ? QString() : QStringLiteral("\n\n")) + strAway;
    return strText;
}

QString ListReportText(const QString& strHeading, const QStringList& vLines, qsizetype nMore) {
    if (vLines.isEmpty()) return QString();
    QStringList vShown = vLines.mid(0, RUN_REPORT_MAX_LINES);
    nMore += vLines.size() - vShown.size();
    if (nMore > 0) vShown << Words::tr("……另有 %n 项。", nullptr, PluralCount(nMore));
    return strHeading + QLatin1Char('\n') + vShown.join(QLatin1Char('\n'));
}

}  // namespace quovex
