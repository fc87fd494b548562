#include "RunReport.h"

#include <QFile>
#include <QStringList>

namespace quovex {

QString PassReasonText(PassReason nReason) {
    switch (nReason) {
        case PassReason::PASS_IS_VAULT:
            return QStringLiteral("这是保险柜或其存放位置，不能存入");
        case PassReason::PASS_IN_VAULT:
            return QStringLiteral("位于保险柜之内，不能存入");
        case PassReason::PASS_SOURCE_CHANGED:
            return QStringLiteral("存入时源文件有变动，源文件已保留");
        case PassReason::PASS_BAD_RECORDED_PATH:
            return QStringLiteral("记录的原位置不可用");
        case PassReason::PASS_TARGET_IN_VAULT:
            return QStringLiteral("还原位置在保险柜之内，未还原");
    }
    return QString();
}

QString RunReportText(const TransferReport& report, RunKind nKind) {
    const QString strFailed =
        nKind == RunKind::RUN_STORE ? QStringLiteral("未能存入") : QStringLiteral("未能还原");
    QStringList vLines;
    for (const std::string& strPath : report.vFailed) {
        vLines << QStringLiteral("%1（%2）")
                      .arg(QFile::decodeName(QByteArray::fromStdString(strPath)), strFailed);
    }
    for (const PassedOverItem& item : report.vPassedOver) {
        vLines << QStringLiteral("%1（%2）")
                      .arg(QFile::decodeName(QByteArray::fromStdString(item.strPath)),
                           PassReasonText(item.nReason));
    }
    return ListReportText(QStringLiteral("以下项目没有完成："), vLines);
}

QString ListReportText(const QString& strHeading, const QStringList& vLines, qsizetype nMore) {
    if (vLines.isEmpty()) return QString();
    QStringList vShown = vLines.mid(0, RUN_REPORT_MAX_LINES);
    nMore += vLines.size() - vShown.size();
    if (nMore > 0) vShown << QStringLiteral("……另有 %1 项。").arg(nMore);
    return strHeading + QLatin1Char('\n') + vShown.join(QLatin1Char('\n'));
}

}  // namespace quovex
