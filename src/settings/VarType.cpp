#include "VarType.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double CurrencyScale = 10000.0;
constexpr double MsecsPerDay = 86400000.0;
// Far beyond any date a setting holds, but small enough for exact day counts.
constexpr double MaxDays = 1.0e8;

QDate dayZero() {
    return QDate(1899, 12, 30);
}

bool isText(const QVariant& value) {
    const int id = value.metaType().id();
    return id == QMetaType::QString || id == QMetaType::QByteArray || id == QMetaType::QChar;
}

bool isDateOrTime(const QVariant& value) {
    const int id = value.metaType().id();
    return id == QMetaType::QDate || id == QMetaType::QTime || id == QMetaType::QDateTime;
}

bool isFloating(const QVariant& value) {
    const int id = value.metaType().id();
    return id == QMetaType::Double || id == QMetaType::Float;
}

std::optional<double> textAsNumber(const QVariant& value) {
    const QString text = value.toString().trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return 1.0;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return 0.0;
    bool ok = false;
    const double number = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}

double dateTimeAsNumber(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return dateTimeNumber(value.toDate());
    case QMetaType::QTime:
        return dateTimeNumber(dayZero(), value.toTime());
    default: {
        const QDateTime dateTime = value.toDateTime();
        return dateTimeNumber(dateTime.date(), dateTime.time());
    }
    }
}

qint64 clampedRound(double number, double low, double high) {
    if (std::isnan(number))
        return 0;
    return std::llround(std::clamp(number, low, high));
}

} // namespace

bool boolDefault(const QVariant& value) {
    if (!value.isValid())
        return false;
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool();
    if (isText(value)) // "0", "false", empty and text that is no number are all false
        return textAsNumber(value).value_or(0.0) != 0.0;
    if (isDateOrTime(value))
        return dateTimeAsNumber(value) != 0.0;
    return value.canConvert<double>() && value.toDouble() != 0.0;
}

qint64 currencyDefault(const QVariant& value) {
    constexpr double limit = 9.2e18; // keeps the scaled value inside qint64
    const int id = value.metaType().id();
    if (id == QMetaType::Bool)
        return value.toBool() ? qint64(CurrencyScale) : 0;
    if (id == QMetaType::Int || id == QMetaType::UInt || id == QMetaType::LongLong ||
        id == QMetaType::Short || id == QMetaType::UShort || id == QMetaType::Char ||
        id == QMetaType::UChar || id == QMetaType::SChar)
        return clampedRound(double(value.toLongLong()) * CurrencyScale, -limit, limit);
    return clampedRound(doubleDefault(value) * CurrencyScale, -limit, limit);
}

double doubleDefault(const QVariant& value) {
    if (!value.isValid())
        return 0.0;
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? 1.0 : 0.0;
    if (isText(value))
        return textAsNumber(value).value_or(0.0);
    if (isDateOrTime(value))
        return dateTimeAsNumber(value);
    return value.canConvert<double>() ? value.toDouble() : 0.0;
}

qint32 integerDefault(const QVariant& value) {
    constexpr double low = std::numeric_limits<qint32>::min();
    constexpr double high = std::numeric_limits<qint32>::max();
    if (!value.isValid())
        return 0;
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    if (isText(value) || isFloating(value) || isDateOrTime(value))
        return qint32(clampedRound(doubleDefault(value), low, high));
    if (!value.canConvert<qlonglong>())
        return 0;
    // Integers keep their low 32 bits, as a DWORD does.
    return qint32(quint32(quint64(value.toLongLong())));
}

QString stringDefault(const QVariant& value) {
    if (!value.isValid())
        return QString();
    if (isFloating(value))
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

double dateTimeNumber(QDate date, QTime time) {
    const double days = double(dayZero().daysTo(date));
    const double fraction = time.isValid() ? time.msecsSinceStartOfDay() / MsecsPerDay : 0.0;
    return days < 0 ? days - fraction : days + fraction;
}

QDate datePart(double number) {
    if (!std::isfinite(number) || std::fabs(number) > MaxDays)
        return QDate();
    return dayZero().addDays(qint64(std::trunc(number)));
}

QTime timePart(double number) {
    if (!std::isfinite(number) || std::fabs(number) > MaxDays)
        return QTime();
    const double fraction = std::fabs(number - std::trunc(number));
    const qint64 msecs = std::min(std::llround(fraction * MsecsPerDay), qint64(MsecsPerDay) - 1);
    return QTime::fromMSecsSinceStartOfDay(int(msecs));
}
