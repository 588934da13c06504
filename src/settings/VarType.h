#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>
#include <optional>
#include <variant>

// Value type of one typed store call.
enum class VarType : quint8 {
    Bool = 0,
    Currency = 1,    // qint64 counting ten-thousandths
    Date = 2,        // double: days since 1899-12-30, time of day as fraction
    Time = 3,        // double
    DateTime = 4,    // double
    Float = 5,       // double
    Integer = 6,     // qint32
    String = 7,      // QString
    ExpandString = 8 // QString
};

// The program variable a call reads into or writes from; its type must match the VarType.
using VariableRef = std::variant<bool*, qint64*, double*, qint32*, QString*>;

// Assigns the variable when it has the type T; a variable of another type is left alone.
template <class T> void setVariable(const VariableRef& data, const T& value) {
    if (T* const* target = std::get_if<T*>(&data); target && *target)
        **target = value;
}

// The variable's value when it has the type T.
template <class T> std::optional<T> variableValue(const VariableRef& data) {
    if (T* const* source = std::get_if<T*>(&data); source && *source)
        return **source;
    return std::nullopt;
}

// The conversions of the tagged default value to each type.
bool boolDefault(const QVariant& value);
qint64 currencyDefault(const QVariant& value);
double doubleDefault(const QVariant& value);
qint32 integerDefault(const QVariant& value);
QString stringDefault(const QVariant& value);

// Date-time numbers: days since 1899-12-30 in the integer part, the time of day as the fraction
// (also for days before 1899-12-30, where the integer part is negative).
double dateTimeNumber(QDate date, QTime time = QTime(0, 0));
// Invalid when the number is not finite or far out of range.
QDate datePart(double number);
QTime timePart(double number);
