#include "DateText.h"

#include <QCoreApplication>
#include <QDateTime>

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(DateText)
};

}  // namespace

QString FormatDateText(std::int64_t nSeconds) {
    // QDateTime's format takes the C locale: ASCII digits whatever the
    // user's locale, as the dialog has always shown them.
    return QDateTime::fromSecsSinceEpoch(nSeconds).toString(Words::tr("yyyy年M月d日 H:m"));
}

}  // namespace quovex
