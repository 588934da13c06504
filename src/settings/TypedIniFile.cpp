#include "TypedIniFile.h"

#include "base/TextDecoding.h"

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
        if (digits.size() > 8 || !isDigits(digits, 16))
            return std::nullopt;
        return qint32(digits.toUInt(nullptr, 16));
    }
    const bool signed_ = text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'));
    const QStringView digits = QStringView(text).mid(signed_ ? 1 : 0);
    if (!isDigits(digits, 10))
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

qint32 TypedIniFile::readInteger(const QString& section, const QString& key,
                                 qint32 defaultValue) const {
    return parseInteger(readString(section, key, QString())).value_or(defaultValue);
}

bool TypedIniFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double TypedIniFile::readFloat(const QString& section, const QString& key,
                               double defaultValue) const {
    const QString text = readString(section, key, QString());
    bool ok = false;
    const double number = QLocale::c().toDouble(text, &ok);
    return ok ? number : defaultValue;
}

double TypedIniFile::readDate(const QString& section, const QString& key,
                              double defaultValue) const {
    const QDate date = QDate::fromString(readString(section, key, QString()), DateFormat);
    return date.isValid() ? dateTimeNumber(date) : defaultValue;
}

double TypedIniFile::readTime(const QString& section, const QString& key,
                              double defaultValue) const {
    const QTime time = parseTime(readString(section, key, QString()));
    return time.isValid() ? dateTimeNumber(datePart(0), time) : defaultValue;
}

double TypedIniFile::readDateTime(const QString& section, const QString& key,
                                  double defaultValue) const {
    // Date and time apart, so no local time zone can reject the moment.
    const QString text = readString(section, key, QString());
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    const QDate date = QDate::fromString(blank < 0 ? text : text.left(blank), DateFormat);
    const QTime time = blank < 0 ? QTime(0, 0) : parseTime(text.mid(blank + 1).trimmed());
    return date.isValid() && time.isValid() ? dateTimeNumber(date, time) : defaultValue;
}

Status TypedIniFile::writeInteger(const QString& section, const QString& key, qint32 value) {
    return writeString(section, key, QString::number(value));
}

Status TypedIniFile::writeBool(const QString& section, const QString& key, bool value) {
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

Status TypedIniFile::writeFloat(const QString& section, const QString& key, double value) {
    return writeString(section, key, QString::number(value, 'g', 15));
}

Status TypedIniFile::writeDate(const QString& section, const QString& key, double value) {
    return writeString(section, key, datePart(value).toString(DateFormat));
}

Status TypedIniFile::writeTime(const QString& section, const QString& key, double value) {
    return writeString(section, key, timePart(value).toString(TimeFormat));
}

Status TypedIniFile::writeDateTime(const QString& section, const QString& key, double value) {
    const QDate date = datePart(value);
    const QString text = date.isValid() ? date.toString(DateFormat) + QLatin1Char(' ') +
                                              timePart(value).toString(TimeFormat)
                                        : QString();
    return writeString(section, key, text);
}

Status TypedIniFile::readWrite(const QString& section, const QString& name, VariableRef data,
                               const QVariant& defaultValue, VarType varType, bool write) {
    if (write)
        return writeValue(section, name, data, varType);
    return readValue(section, name, data, defaultValue, varType);
}

Status TypedIniFile::readValue(const QString& section, const QString& name, VariableRef data,
                               const QVariant& defaultValue, VarType varType) {
    switch (varType) {
    case VarType::Bool:
        setVariable(data, readBool(section, name, boolDefault(defaultValue)));
        return Status::ok();
    case VarType::Date:
        setVariable(data, readDate(section, name, doubleDefault(defaultValue)));
        return Status::ok();
    case VarType::Time:
        setVariable(data, readTime(section, name, doubleDefault(defaultValue)));
        return Status::ok();
    case VarType::DateTime:
        setVariable(data, readDateTime(section, name, doubleDefault(defaultValue)));
        return Status::ok();
    case VarType::Float:
        setVariable(data, readFloat(section, name, doubleDefault(defaultValue)));
        return Status::ok();
    case VarType::Integer:
        setVariable(data, readInteger(section, name, integerDefault(defaultValue)));
        return Status::ok();
    case VarType::String:
    case VarType::ExpandString:
        setVariable(data, readString(section, name, stringDefault(defaultValue)));
        return Status::ok();
    default:
        return readValueFailure(); // Currency and unknown codes
    }
}

Status TypedIniFile::writeValue(const QString& section, const QString& name, VariableRef data,
                                VarType varType) {
    const std::optional<double> number = variableValue<double>(data);
    switch (varType) {
    case VarType::Bool:
        if (const std::optional<bool> value = variableValue<bool>(data))
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
        if (const std::optional<qint32> value = variableValue<qint32>(data))
            return writeInteger(section, name, *value);
        break;
    case VarType::String:
        if (const std::optional<QString> value = variableValue<QString>(data))
            return writeString(section, name, *value);
        break;
    default:
        break; // Currency, ExpandString and unknown codes
    }
    return writeValueFailure();
}
