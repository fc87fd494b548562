#include "DateText.h"

#include <QDateTime>

namespace quovex {

QString FormatDateText(std::int64_t nSeconds) {
    // QDateTime's format takes the C locale: ASCII digits whatever the
    // user's locale, as the dialog has always shown them.
    return QDateTime::fromSecsSinceEpoch(nSeconds).toString(QStringLiteral("yyyy年M月d日 H:m"));
}

}  // namespace quovex
