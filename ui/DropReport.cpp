#include "DropReport.h"

#include <QFile>
#include <QStringList>

namespace quovex {

QString PassReasonText(PassReason nReason) {
    switch (nReason) {
        case PassReason::PASS_IS_VAULT:
            return QStringLiteral("这是保险柜本身，不能存入");
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

QString DropReportText(const TransferReport& report) {
    QStringList vLines;
    for (const std::string& strPath : report.vFailed) {
        vLines << QStringLiteral("%1（未能存入）")
                      .arg(QFile::decodeName(QByteArray::fromStdString(strPath)));
    }
    for (const PassedOverItem& item : report.vPassedOver) {
        vLines << QStringLiteral("%1（%2）")
                      .arg(QFile::decodeName(QByteArray::fromStdString(item.strPath)),
                           PassReasonText(item.nReason));
    }
    if (vLines.isEmpty()) return QString();
    const qsizetype nAll = vLines.size();
    if (nAll > DROP_REPORT_MAX_LINES) {
        vLines.resize(DROP_REPORT_MAX_LINES);
        vLines << QStringLiteral("……另有 %1 项。").arg(nAll - DROP_REPORT_MAX_LINES);
    }
    return QStringLiteral("以下项目没有完成：\n") + vLines.join(QLatin1Char('\n'));
}

}  // namespace quovex
