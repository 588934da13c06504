#include "TEnhIniFile.h"

#include <QLocale>

namespace {

const QLatin1String DateFormat("yyyy-MM-dd");
const QLatin1String TimeFormat("HH:mm:ss");
const QLatin1String ShortTimeFormat("HH:mm");

Status readValueFailure() {
    return Status::failure(QStringLiteral("VarType is not recognized in TEnhIniFile.ReadValue"));
}

Status writeValueFailure() {
    return Status::failure(QStringLiteral("VarType is not recognized in TEnhIniFile.WriteValue"));
}

bool allDigits(QStringView text, int base) {
    for (QChar c : text) {
        const bool decimal = c >= u'0' && c <= u'9';
        const bool hex = (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (!decimal && !(base == 16 && hex))
            return false;
    }
    return !text.isEmpty();
}

// Decimal with an optional sign, or up to 8 hex digits after "0x", "0X" or "$"
// (taken as a DWORD, so 0xFFFFFFFF is -1).
std::optional<qint32> parseInteger(const QString& text) {
    qsizetype hexStart = -1;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        hexStart = 2;
    else if (text.startsWith(QLatin1Char('$')))
        hexStart = 1;
    if (hexStart > 0) {
        const QStringView digits = QStringView(text).mid(hexStart);
        if (digits.size() > 8 || !allDigits(digits, 16))
            return std::nullopt;
        return qint32(digits.toUInt(nullptr, 16));
    }
    const bool signed_ = text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'));
    const QStringView digits = QStringView(text).mid(signed_ ? 1 : 0);
    if (!allDigits(digits, 10))
        return std::nullopt;
    bool ok = false;
    const qint32 number = text.toInt(&ok, 10);
    return ok ? std::optional<qint32>(number) : std::nullopt;
}

QTime parseTime(const QString& text) {
    const QTime time = QTime::fromString(text, TimeFormat);
    return time.isValid() ? time : QTime::fromString(text, ShortTimeFormat);
}

} // namespace

qint32 TEnhIniFile::readInteger(const QString& section, const QString& key,
                                qint32 defaultValue) const {
    return parseInteger(readString(section, key, QString())).value_or(defaultValue);
}

bool TEnhIniFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double TEnhIniFile::readFloat(const QString& section, const QString& key,
                              double defaultValue) const {
    const QString text = readString(section, key, QString());
    bool ok = false;
    const double number = QLocale::c().toDouble(text, &ok);
    return ok ? number : defaultValue;
}

double TEnhIniFile::readDate(const QString& section, const QString& key,
                             double defaultValue) const {
    const QDate date = QDate::fromString(readString(section, key, QString()), DateFormat);
    return date.isValid() ? DateTimeNumber(date) : defaultValue;
}

double TEnhIniFile::readTime(const QString& section, const QString& key,
                             double defaultValue) const {
    const QTime time = parseTime(readString(section, key, QString()));
    return time.isValid() ? DateTimeNumber(DatePart(0), time) : defaultValue;
}

double TEnhIniFile::readDateTime(const QString& section, const QString& key,
                                 double defaultValue) const {
    // Date and time apart, so no local time zone can reject the moment.
    const QString text = readString(section, key, QString());
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    const QDate date = QDate::fromString(blank < 0 ? text : text.left(blank), DateFormat);
    const QTime time = blank < 0 ? QTime(0, 0) : parseTime(text.mid(blank + 1).trimmed());
    return date.isValid() && time.isValid() ? DateTimeNumber(date, time) : defaultValue;
}

Status TEnhIniFile::writeInteger(const QString& section, const QString& key, qint32 value) {
    return writeString(section, key, QString::number(value));
}

Status TEnhIniFile::writeBool(const QString& section, const QString& key, bool value) {
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

Status TEnhIniFile::writeFloat(const QString& section, const QString& key, double value) {
    return writeString(section, key, QString::number(value, 'g', 15));
}

Status TEnhIniFile::writeDate(const QString& section, const QString& key, double value) {
    return writeString(section, key, DatePart(value).toString(DateFormat));
}

Status TEnhIniFile::writeTime(const QString& section, const QString& key, double value) {
    return writeString(section, key, TimePart(value).toString(TimeFormat));
}

Status TEnhIniFile::writeDateTime(const QString& section, const QString& key, double value) {
    const QDate date = DatePart(value);
    const QString text = date.isValid() ? date.toString(DateFormat) + QLatin1Char(' ') +
                                              TimePart(value).toString(TimeFormat)
                                        : QString();
    return writeString(section, key, text);
}

Status TEnhIniFile::ReadWriteSth(const QString& section, const QString& name, VarRef data,
                                 const QVariant& defaultValue, VarType varType, bool write) {
    if (write)
        return WriteValue(section, name, data, varType);
    return ReadValue(section, name, data, defaultValue, varType);
}

Status TEnhIniFile::ReadValue(const QString& section, const QString& name, VarRef data,
                              const QVariant& defaultValue, VarType varType) {
    switch (varType) {
    case VarType::Bool:
        AssignVar(data, readBool(section, name, DefaultAsBool(defaultValue)));
        return Status::ok();
    case VarType::Date:
        AssignVar(data, readDate(section, name, DefaultAsDouble(defaultValue)));
        return Status::ok();
    case VarType::Time:
        AssignVar(data, readTime(section, name, DefaultAsDouble(defaultValue)));
        return Status::ok();
    case VarType::DateTime:
        AssignVar(data, readDateTime(section, name, DefaultAsDouble(defaultValue)));
        return Status::ok();
    case VarType::Float:
        AssignVar(data, readFloat(section, name, DefaultAsDouble(defaultValue)));
        return Status::ok();
    case VarType::Integer:
        AssignVar(data, readInteger(section, name, DefaultAsInteger(defaultValue)));
        return Status::ok();
    case VarType::String:
    case VarType::ExpandString:
        AssignVar(data, readString(section, name, DefaultAsString(defaultValue)));
        return Status::ok();
    default:
        return readValueFailure(); // Currency and unknown codes
    }
}

Status TEnhIniFile::WriteValue(const QString& section, const QString& name, VarRef data,
                               VarType varType) {
    const std::optional<double> number = VarValue<double>(data);
    switch (varType) {
    case VarType::Bool:
        if (const std::optional<bool> value = VarValue<bool>(data))
            return writeBool(section, name, *value);
        break;
    case VarType::Date:
        if (number)
            return writeDate(section, name, *number);
        break;
    case VarType::Time:
        if (number)
            return writeTime(section, name, *number);
        break;
    case VarType::DateTime:
        if (number)
            return writeDateTime(section, name, *number);
        break;
    case VarType::Float:
        if (number)
            return writeFloat(section, name, *number);
        break;
    case VarType::Integer:
        if (const std::optional<qint32> value = VarValue<qint32>(data))
            return writeInteger(section, name, *value);
        break;
    case VarType::String:
        if (const std::optional<QString> value = VarValue<QString>(data))
            return writeString(section, name, *value);
        break;
    default:
        break; // Currency, ExpandString and unknown codes
    }
    return writeValueFailure();
}
