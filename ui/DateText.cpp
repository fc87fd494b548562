#include "DateText.h"

namespace quovex {

QString FormatDateText(const QDateTime& time) {
    const QDateTime local = time.toLocalTime();
    const QDate date = local.date();
    const QTime clock = local.time();
    return QStringLiteral("%1年%2月%3日 %4:%5")
        .arg(date.year())
        .arg(date.month())
        .arg(date.day())
        .arg(clock.hour())
        .arg(clock.minute());
}

QString FormatDateText(std::int64_t nSeconds) {
    return FormatDateText(QDateTime::fromSecsSinceEpoch(nSeconds));
}

}  // namespace quovex
